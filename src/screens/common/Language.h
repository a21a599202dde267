#pragma once
// The language the participant's screens speak. The program holds one and installs its
// translator on the application; the screens built afterwards take their texts from it.
// English is the program's own text and needs no translator.

#include <QString>
#include <QTranslator>

namespace ui {

class ParticipantLanguage {
  public:
    ParticipantLanguage() = default;
    ~ParticipantLanguage();
    ParticipantLanguage(const ParticipantLanguage&) = delete;
    ParticipantLanguage& operator=(const ParticipantLanguage&) = delete;

    // Speaks the language of a code of config::LanguageCodes from now on; false, and English,
    // for a code without a shipped translation.
    bool speak(const QString& code);
    QString code() const { return code_; }

  private:
    void silence();

    QTranslator translator_;
    QString code_ = QStringLiteral("en");
};

// Where a language's translation is kept in the program's resources.
QString TranslationFile(const QString& code);

}  // namespace ui
