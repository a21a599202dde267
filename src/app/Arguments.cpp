#include "app/Arguments.h"

std::optional<ProgramArguments> ParseArguments(const QStringList& arguments, QString& problem) {
    ProgramArguments parsed;
    for (const QString& argument : arguments) {
        if (argument == QLatin1String("--windowed")) {
            parsed.windowed = true;
            continue;
        }
        problem = QStringLiteral("fluxmere: unknown argument '%1'; the only option is --windowed")
                      .arg(argument);
        return std::nullopt;
    }
    return parsed;
}
