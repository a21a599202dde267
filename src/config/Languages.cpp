#include "config/Languages.h"

namespace config {

const QStringList& LanguageCodes() {
    static const QStringList codes{QStringLiteral("en"), QStringLiteral("de"), QStringLiteral("es"),
                                   QStringLiteral("fr"), QStringLiteral("zh")};
    return codes;
}

QString LanguageCode(const QString& cell) {
    return cell.isEmpty() ? LanguageCodes().front() : cell.toLower();
}

bool IsLanguageCode(const QString& code) {
    return LanguageCodes().contains(code);
}

QString SharedLanguage(const QStringList& codes) {
    if (codes.isEmpty() || codes.count(codes.front()) != codes.size() ||
        !IsLanguageCode(codes.front()))
        return LanguageCodes().front();
    return codes.front();
}

}  // namespace config
