// The tool's command table is the one list of its commands: the help prints it, and the guide's
// list and the manual page must name the same commands with the same options, in its order.
#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QStringList>
#include <QTextStream>

#include "tool/cli/CommandLine.h"

namespace {

QString SourceFile(const QString& relative) {
    QFile file(QStringLiteral(FX_SOURCE_DIR "/") + relative);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << relative.toStdString();
    return QString::fromUtf8(file.readAll());
}

// The lines of text that start with prefix, prefix and surrounding blanks removed.
QStringList LinesStartingWith(const QString& text, const QString& prefix) {
    QStringList found;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        if (line.startsWith(prefix)) found << line.mid(prefix.size()).trimmed();
    }
    return found;
}

QStringList HelpSynopses() {
    QString text;
    QTextStream out(&text);
    QString errors;
    QTextStream err(&errors);
    EXPECT_EQ(tool::RunTool({QStringLiteral("--help")}, out, err), 0);
    out.flush();
    return LinesStartingWith(text, QStringLiteral("  fluxmere-db "));
}

QString Section(const QString& text, const QString& from, const QString& to) {
    const qsizetype start = text.indexOf(from);
    EXPECT_GE(start, 0) << from.toStdString();
    const qsizetype end = to.isEmpty() ? text.size() : text.indexOf(to, start);
    return text.mid(start, end - start);
}

// A synopsis reduced to what must agree everywhere: the command and its options, in order.
QString CommandAndOptions(const QString& synopsis) {
    QStringList parts{synopsis.section(QLatin1Char(' '), 0, 0)};
    static const QRegularExpression option(QStringLiteral("--[a-z-]+"));
    for (const auto& match : option.globalMatch(synopsis)) parts << match.captured();
    return parts.join(QLatin1Char(' '));
}

// The manual's SYNOPSIS, one entry per ".br", with troff's macros and escapes taken out.
QStringList ManualSynopses() {
    const QString manual = SourceFile(QStringLiteral("packaging/fluxmere-db.1"));
    const QString synopsis =
        Section(manual, QStringLiteral(".SH SYNOPSIS\n"), QStringLiteral(".SH DESCRIPTION"));
    QStringList entries;
    for (const QString& block : synopsis.split(QStringLiteral("\n.br\n"))) {
        QStringList words;
        for (QString line : block.split(QLatin1Char('\n'))) {
            if (line.startsWith(QLatin1String(".SH"))) continue;
            if (line.startsWith(QLatin1Char('.'))) line = line.section(QLatin1Char(' '), 1);
            words << line.replace(QLatin1String("\\-"), QLatin1String("-"))
                         .remove(QLatin1String("\\&"))
                         .remove(QLatin1Char('"'));
        }
        entries << words.join(QLatin1Char(' ')).simplified();
    }
    return entries;
}

// One line each, so that a failure shows the lists readably.
std::string Lines(const QStringList& lines) {
    return lines.join(QLatin1Char('\n')).toStdString();
}

std::string CommandsAndOptions(const QStringList& synopses) {
    QStringList reduced;
    for (const QString& synopsis : synopses) reduced << CommandAndOptions(synopsis);
    return Lines(reduced);
}

// The commands of the help, each once, in its order.
QStringList CommandNames() {
    QStringList commands;
    for (const QString& synopsis : HelpSynopses()) {
        const QString command = synopsis.section(QLatin1Char(' '), 0, 0);
        if (!commands.contains(command)) commands << command;
    }
    return commands;
}

TEST(CommandTableTest, GuideListsEveryCommandAsTheHelpDoes) {
    const QString guide = SourceFile(QStringLiteral("docs/guide.md"));
    const QString list = Section(guide, QStringLiteral("## 9. The commands"), QString());
    EXPECT_EQ(Lines(LinesStartingWith(list, QStringLiteral("    fluxmere-db "))),
              Lines(HelpSynopses()));
}

TEST(CommandTableTest, ManualSynopsisNamesTheHelpsCommandsWithTheirOptions) {
    QStringList manual = ManualSynopses();
    ASSERT_FALSE(manual.isEmpty());
    // The last entry is the help of any command: "fluxmere-db [ COMMAND ] --help".
    EXPECT_EQ(CommandAndOptions(manual.takeLast()).toStdString(), "fluxmere-db --help");
    for (QString& entry : manual) entry.remove(0, QStringLiteral("fluxmere-db ").size());
    EXPECT_EQ(CommandsAndOptions(manual), CommandsAndOptions(HelpSynopses()));
}

TEST(CommandTableTest, ManualDescribesEachCommandOnceInTheHelpsOrder) {
    const QString manual = SourceFile(QStringLiteral("packaging/fluxmere-db.1"));
    QStringList described;
    for (const QString& heading : LinesStartingWith(manual, QStringLiteral(".SS ")))
        described << heading.section(QLatin1Char(' '), 0, 0);
    EXPECT_EQ(Lines(described), Lines(CommandNames()));
}

TEST(CommandTableTest, ManualDescribesEveryOptionOfACommandsHelp) {
    const QString manual = SourceFile(QStringLiteral("packaging/fluxmere-db.1"));
    static const QRegularExpression option(QStringLiteral("--[a-z-]+"));
    const QStringList commands = CommandNames();
    ASSERT_FALSE(commands.isEmpty());
    for (const QString& command : commands) {
        QString help;
        QTextStream out(&help);
        QTextStream err(&help);
        EXPECT_EQ(tool::RunTool({command, QStringLiteral("--help")}, out, err), 0);
        out.flush();
        const QString block = Section(manual, QStringLiteral(".SS ") + command + QLatin1Char(' '),
                                      QStringLiteral("\n.SS "))
                                  .replace(QLatin1String("\\-"), QLatin1String("-"));
        for (const auto& match : option.globalMatch(help))
            EXPECT_TRUE(block.contains(match.captured()))
                << command.toStdString() << ": " << match.captured().toStdString();
    }
}

}  // namespace
