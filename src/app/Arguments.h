#pragma once
// The participant program's command line, once Qt has taken its own options: nothing, or
// --windowed for today's framed windows (trying a version at a desk).

#include <QStringList>
#include <optional>

struct ProgramArguments {
    bool windowed = false;
};

// The arguments after the program's name; nothing when one of them is unknown, with a
// one-line message for the terminal in problem.
std::optional<ProgramArguments> ParseArguments(const QStringList& arguments, QString& problem);
