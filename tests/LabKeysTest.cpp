// Fluxmere Lab's Try, Data and Accounts tabs are worked from the keyboard: every mnemonic of a
// tab is its own, and none takes the letter of a tab or of the menu bar.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QSettings>
#include <QUuid>

#include "lab/LabWindow.h"
#include "tests/support/ToolFixtures.h"

namespace {

QChar Mnemonic(const QString& text) {
    const qsizetype at = text.indexOf(QLatin1Char('&'));
    return at >= 0 && at + 1 < text.size() ? text[at + 1].toLower() : QChar();
}

QString Letters(const QStringList& texts) {
    QString letters;
    for (const QString& text : texts)
        if (const QChar letter = Mnemonic(text); !letter.isNull()) letters += letter;
    return letters;
}

TEST(LabKeysTest, EachOfTheTabsMnemonicsIsItsOwn) {
    const QString settingsName = QUuid::createUuid().toString(QUuid::WithoutBraces);
    DemoDatabase demo;
    {
        lab::LabWindow window(nullptr, settingsName);
        ASSERT_TRUE(window.openStudy(demo.path()));
        QStringList windowTexts;
        for (int tab = 0; tab < window.tabs()->count(); ++tab)
            windowTexts << window.tabs()->tabText(tab);
        for (const QAction* menu : window.menuBar()->actions()) windowTexts << menu->text();
        const QString taken = Letters(windowTexts);
        ASSERT_EQ(QSet<QChar>(taken.begin(), taken.end()).size(), taken.size())
            << taken.toStdString();

        for (int tab = 0; tab < window.tabs()->count(); ++tab) {
            const QString name = window.tabs()->tabText(tab);
            if (name != "&Try" && name != "&Data" && name != "&Accounts") continue;
            QStringList texts;
            for (const auto* button : window.tabs()->widget(tab)->findChildren<QAbstractButton*>())
                texts << button->text();
            for (const auto* label : window.tabs()->widget(tab)->findChildren<QLabel*>())
                texts << label->text();
            const QString own = Letters(texts);
            EXPECT_GE(own.size(), 5) << name.toStdString();
            EXPECT_EQ(QSet<QChar>(own.begin(), own.end()).size(), own.size())
                << name.toStdString() << ": " << own.toStdString();
            for (const QChar letter : own)
                EXPECT_FALSE(taken.contains(letter))
                    << name.toStdString() << ": " << letter.toLatin1();
        }
    }
    QFile::remove(QSettings(QStringLiteral("Fluxmere"), settingsName).fileName());
}

}  // namespace
