#include "app/Arguments.h"

std::optional<ProgramArguments> ParseArguments(const QStringList& arguments, QString& problem) {
    ProgramArguments parsed;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--windowed")) {
            parsed.windowed = true;
            continue;
        }
        if (argument == QLatin1String("--database") && parsed.database.isEmpty()) {
            if (i + 1 == arguments.size() || arguments[i + 1].isEmpty()) {
                problem = QStringLiteral(
                    "fluxmere: --database needs the experiment database's "
                    "file");
                return std::nullopt;
            }
            parsed.database = arguments[++i];
            continue;
        }
        problem = QStringLiteral(
                      "fluxmere: unknown argument '%1'; the only options are --windowed and "
                      "--database FILE")
                      .arg(argument);
        return std::nullopt;
    }
    return parsed;
}
