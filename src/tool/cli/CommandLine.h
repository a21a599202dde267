#pragma once
// The command line of fluxmere-db: one command per call, each with --help.

#include <QDateTime>
#include <QStringList>
#include <QtGlobal>
#include <functional>

class QTextStream;

namespace tool {

// Runs the command named by arguments[0]; returns the exit code (0 done, 1 failed or
// problems found, 2 the command line was wrong). Results go to out, messages to err. The
// session views and simulated sessions read the time from now (by default the system's).
int RunTool(const QStringList& arguments, QTextStream& out, QTextStream& err,
            const std::function<QDateTime()>& now = QDateTime::currentDateTime);

// The whole program: sets up Qt (a picture needs a GUI application, offscreen) and runs.
int ToolMain(int argc, char** argv);

}  // namespace tool
