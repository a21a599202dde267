#pragma once
// The participant program's command line, once Qt has taken its own options: nothing, or
// --windowed for today's framed windows (trying a version at a desk), and --database FILE for
// an experiment database other than data/Hydrovat.mdb beside the program (a scratch copy that
// the experimenter's window tries a version on).

#include <QStringList>
#include <optional>

struct ProgramArguments {
    bool windowed = false;
    QString database;  // empty: data/Hydrovat.mdb beside the program
};

// The arguments after the program's name; nothing when one of them is unknown, with a
// one-line message for the terminal in problem.
std::optional<ProgramArguments> ParseArguments(const QStringList& arguments, QString& problem);
