// Which language a version speaks, and which the screens before the choice of a version speak.
#include <gtest/gtest.h>

#include "config/Languages.h"
#include "config/Setup.h"
#include "db/Engine.h"
#include "tests/support/ExperimentDatabase.h"

namespace {

struct CodeCase {
    const char* cell;
    const char* code;
};

TEST(LanguagesTest, ACellNamesItsCodeInLowerCaseAndAnEmptyOneEnglish) {
    for (const CodeCase& c : {CodeCase{"", "en"}, CodeCase{"de", "de"}, CodeCase{"ZH", "zh"},
                              CodeCase{"Fr", "fr"}, CodeCase{"nl", "nl"}}) {
        EXPECT_EQ(config::LanguageCode(QString::fromLatin1(c.cell)), QLatin1String(c.code))
            << c.cell;
    }
    EXPECT_EQ(config::LanguageCodes(), (QStringList{"en", "de", "es", "fr", "zh"}));
    EXPECT_FALSE(config::IsLanguageCode("nl"));
}

struct SharedCase {
    QStringList codes;
    const char* shared;
};

TEST(LanguagesTest, TheScreensBeforeTheChoiceSpeakWhatEveryVersionSpeaksElseEnglish) {
    for (const SharedCase& c : {SharedCase{{"de", "de", "de"}, "de"}, SharedCase{{"zh"}, "zh"},
                                SharedCase{{"de", "fr"}, "en"}, SharedCase{{"de", "en"}, "en"},
                                SharedCase{{}, "en"}, SharedCase{{"nl", "nl"}, "en"}}) {
        EXPECT_EQ(config::SharedLanguage(c.codes), QLatin1String(c.shared))
            << c.codes.join(',').toStdString();
    }
}

TEST(LanguagesTest, EveryVersionsLanguageIsReadEmptyAsEnglish) {
    ExperimentDatabase database;
    database.addVersion("A", {{"Language", "'de'"}});
    database.addVersion("B", {{"Language", "NULL"}});
    database.addVersion("C", {{"Language", "'FR'"}});
    db::Connection connection(database.path(), db::DatabasePassword(), db::OpenMode::ReadOnly);
    QStringList languages = ReadLanguages(connection);
    languages.sort();
    EXPECT_EQ(languages, (QStringList{"de", "en", "fr"}));
}

TEST(LanguagesTest, AFileMadeBeforeTheColumnSpeaksEnglish) {
    ExperimentDatabase database;
    database.execute("DROP TABLE tblSetup; CREATE TABLE tblSetup (Version TEXT, MaxTrial INTEGER)");
    database.execute("INSERT INTO tblSetup (Version, MaxTrial) VALUES ('A', 12)");
    db::Connection connection(database.path(), db::DatabasePassword(), db::OpenMode::ReadOnly);
    EXPECT_EQ(ReadLanguages(connection), (QStringList{"en"}));
}

}  // namespace
