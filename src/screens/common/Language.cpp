#include "screens/common/Language.h"

#include <QCoreApplication>

namespace ui {

QString TranslationFile(const QString& code) {
    return QStringLiteral(":/translations/fluxmere_%1.qm").arg(code);
}

ParticipantLanguage::~ParticipantLanguage() {
    silence();
}

void ParticipantLanguage::silence() {
    if (!translator_.isEmpty()) QCoreApplication::removeTranslator(&translator_);
    code_ = QStringLiteral("en");
}

bool ParticipantLanguage::speak(const QString& code) {
    if (code == code_) return true;
    silence();
    if (code == code_) return true;
    if (!translator_.load(TranslationFile(code))) return false;
    QCoreApplication::installTranslator(&translator_);
    code_ = code;
    return true;
}

}  // namespace ui
