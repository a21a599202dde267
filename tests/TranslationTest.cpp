// Every text the participant reads in every shipped language: each translated, finished and
// with its placeholders; the translations cover exactly the texts the sources mark; the
// program's embedded translations say what the sources say.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <map>
#include <set>

#include "screens/common/Language.h"

namespace {

const QStringList kTranslated{"de", "es", "fr", "zh"};

struct Message {
    QString context;
    QString source;
    QString translation;
    QString type;  // "unfinished", "vanished", ... for a translation not ready; empty when it is
};

// The text of the element the reader stands on; lupdate writes a carriage return as a byte
// element.
QString ElementText(QXmlStreamReader& reader) {
    QString text;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isCharacters()) text += reader.text();
        if (reader.isStartElement() && reader.name() == QLatin1String("byte"))
            text += QChar(reader.attributes().value("value").mid(1).toInt(nullptr, 16));
        if (reader.isEndElement() && reader.name() != QLatin1String("byte")) break;
    }
    return text;
}

std::vector<Message> ReadTranslations(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    QXmlStreamReader reader(&file);
    std::vector<Message> messages;
    QString context;
    while (!reader.atEnd()) {
        reader.readNext();
        if (!reader.isStartElement()) continue;
        const auto name = reader.name();
        if (name == QLatin1String("name")) {
            context = ElementText(reader);
        } else if (name == QLatin1String("message")) {
            messages.push_back({context, {}, {}, {}});
        } else if (name == QLatin1String("source")) {
            messages.back().source = ElementText(reader);
        } else if (name == QLatin1String("translation")) {
            messages.back().type = reader.attributes().value("type").toString();
            messages.back().translation = ElementText(reader);
        }
    }
    EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
    return messages;
}

QString ShippedFile(const QString& language) {
    return QStringLiteral(FX_TRANSLATIONS_FOLDER "/fluxmere_%1.ts").arg(language);
}

// "%1", "%2", ... in their order of number, each as often as it occurs.
std::multiset<QString> Placeholders(const QString& text) {
    std::multiset<QString> found;
    static const QRegularExpression placeholder(QStringLiteral("%[0-9]+"));
    for (const auto& match : placeholder.globalMatch(text)) found.insert(match.captured());
    return found;
}

bool HasMnemonic(const QString& text) {
    return text.contains(QRegularExpression(QStringLiteral("&[^&\\s]")));
}

// Where the language writes a text as English does, said here so that no untranslated text
// passes unnoticed.
const std::map<QString, std::set<QString>> kSameAsEnglish{
    {"de", {"OK", "Start", "Design", "Version:", "Version 11"}},
    {"es", {"&No", "Error %1: %2"}},
    {"fr", {"OK", "Architecture", "Art", "Design", "Version 11"}},
    {"zh", {}},
};

class ShippedLanguageTest : public ::testing::TestWithParam<QString> {};

TEST_P(ShippedLanguageTest, EveryTextIsTranslatedFinishedAndKeepsItsPlaceholders) {
    const std::vector<Message> messages = ReadTranslations(ShippedFile(GetParam()));
    ASSERT_FALSE(messages.empty());
    for (const Message& m : messages) {
        SCOPED_TRACE((m.context + " / " + m.source).toStdString());
        EXPECT_EQ(m.type, QString()) << "not finished";
        EXPECT_FALSE(m.translation.trimmed().isEmpty());
        EXPECT_EQ(Placeholders(m.translation), Placeholders(m.source));
        EXPECT_EQ(HasMnemonic(m.translation), HasMnemonic(m.source));
        EXPECT_EQ(m.translation.count(QLatin1String("\r\n")), m.source.count(QLatin1String("\r\n")))
            << "the lines of a message";
        if (m.translation == m.source) {
            EXPECT_TRUE(kSameAsEnglish.at(GetParam()).count(m.source)) << "left in English";
        }
    }
}

// The texts the sources mark for translation now, as lupdate finds them.
std::set<std::pair<QString, QString>> MarkedTexts() {
    QTemporaryDir folder;
    const QString extracted = folder.filePath(QStringLiteral("marked.ts"));
    QProcess lupdate;
    QStringList arguments{"-silent", "-locations", "none", "-I", FX_SOURCE_ROOT};
    arguments << QString::fromUtf8(FX_TRANSLATED_FOLDERS).split('|') << "-ts" << extracted;
    lupdate.start(QStringLiteral(FX_LUPDATE), arguments);
    EXPECT_TRUE(lupdate.waitForFinished(120000));
    EXPECT_EQ(lupdate.exitCode(), 0) << lupdate.readAllStandardError().toStdString();
    std::set<std::pair<QString, QString>> texts;
    for (const Message& m : ReadTranslations(extracted)) texts.insert({m.context, m.source});
    return texts;
}

TEST(TranslationTest, EveryLanguageHoldsExactlyTheTextsTheSourcesMark) {
    const std::set<std::pair<QString, QString>> marked = MarkedTexts();
    ASSERT_GT(marked.size(), 50u);
    for (const QString& language : kTranslated) {
        std::set<std::pair<QString, QString>> shipped;
        for (const Message& m : ReadTranslations(ShippedFile(language)))
            shipped.insert({m.context, m.source});
        for (const auto& text : marked)
            EXPECT_TRUE(shipped.count(text))
                << language.toStdString() << " lacks " << text.first.toStdString() << " / "
                << text.second.toStdString()
                << " (cmake --build build --target update-translations)";
        for (const auto& text : shipped)
            EXPECT_TRUE(marked.count(text))
                << language.toStdString()
                << " holds a text no source marks: " << text.first.toStdString() << " / "
                << text.second.toStdString();
    }
}

TEST_P(ShippedLanguageTest, TheProgramSpeaksEveryTextAsTheSourceSays) {
    ui::ParticipantLanguage language;
    ASSERT_TRUE(language.speak(GetParam()));
    EXPECT_EQ(language.code(), GetParam());
    for (const Message& m : ReadTranslations(ShippedFile(GetParam()))) {
        EXPECT_EQ(QCoreApplication::translate(m.context.toUtf8().constData(),
                                              m.source.toUtf8().constData()),
                  m.translation)
            << m.context.toStdString() << " / " << m.source.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, ShippedLanguageTest, ::testing::ValuesIn(kTranslated),
                         [](const auto& info) { return info.param.toStdString(); });

TEST(TranslationTest, EnglishIsTheSourceTextAndAnUnknownCodeStaysEnglish) {
    const char* context = "frmLogin";
    const char* source = "Welcome";
    ui::ParticipantLanguage language;
    EXPECT_EQ(QCoreApplication::translate(context, source), "Welcome");
    ASSERT_TRUE(language.speak("fr"));
    EXPECT_EQ(QCoreApplication::translate(context, source), "Bienvenue");
    EXPECT_TRUE(language.speak("en"));
    EXPECT_EQ(QCoreApplication::translate(context, source), "Welcome");
    EXPECT_FALSE(language.speak("nl"));
    EXPECT_EQ(language.code(), "en");
    EXPECT_EQ(QCoreApplication::translate(context, source), "Welcome");
}

TEST(TranslationTest, ALanguageIsSpokenOnlyWhileItsHolderLives) {
    {
        ui::ParticipantLanguage language;
        ASSERT_TRUE(language.speak("de"));
        EXPECT_EQ(QCoreApplication::translate("frmLogin", "Quit"), "Beenden");
    }
    EXPECT_EQ(QCoreApplication::translate("frmLogin", "Quit"), "Quit");
}

}  // namespace
