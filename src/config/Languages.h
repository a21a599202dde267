#pragma once
// The languages a version can speak to its participants, named by the codes tblSetup's
// Language column holds. English is the program's own text; an empty cell means English.

#include <QString>
#include <QStringList>

namespace config {

// "en", "de", "es", "fr", "zh": English first, then the translations shipped.
const QStringList& LanguageCodes();

// The code a Language cell stands for: its text in lower case, "en" for an empty one.
QString LanguageCode(const QString& cell);

bool IsLanguageCode(const QString& code);

// The language every one of the given codes names, else English: what the screens before the
// choice of a version speak.
QString SharedLanguage(const QStringList& codes);

}  // namespace config
