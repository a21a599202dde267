// A headless station for the load benchmark: records EVENTS event-log rows of one participant
// through the program's own recording code into the database at LOCATION, and prints how long
// each recording took, in milliseconds, one a line.
//   station-player LOCATION SUBJECT EVENTS
#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>

#include "core/RunRecord.h"
#include "recording/EventLog.h"
#include "runtime/Context.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() != 4) {
        std::fprintf(stderr, "usage: station-player LOCATION SUBJECT EVENTS\n");
        return 2;
    }
    runtime::CurrentContext().databasePath = arguments[1];
    RunState.SubjectName = arguments[2];
    RunState.Version = QStringLiteral("TankP");
    const int events = arguments[3].toInt();
    QElapsedTimer clock;
    for (int event = 1; event <= events; ++event) {
        RunState.EventID = event;
        RunState.CurrentTrial = event / 4;
        clock.start();
        RecordEvent(QStringLiteral("After Cost Calculation"));
        std::printf("%.3f\n", double(clock.nsecsElapsed()) / 1e6);
    }
    return 0;
}
