// A headless station for the load benchmarks: records EVENTS event-log rows of one participant
// through the program's own recording code into the database at LOCATION, and prints how long
// each recording took, in milliseconds, one a line. A question the recording asks (a lock that
// outlasted the back-off) goes to the error stream as "question: TITLE" and is answered Yes,
// as a participant would, so that the run goes on. With PAUSE, the station waits that many
// milliseconds after each recording, as a participant's period takes its time.
//   station-player LOCATION SUBJECT EVENTS [PAUSE]
#include <QCoreApplication>
#include <QElapsedTimer>
#include <chrono>
#include <cstdio>
#include <thread>

#include "core/RunRecord.h"
#include "recording/EventLog.h"
#include "runtime/Questions.h"

namespace {

class AnswerYes : public runtime::Questions {
  public:
    runtime::Answer ask(const runtime::Question& question) override {
        std::fprintf(stderr, "question: %s\n", qPrintable(question.title));
        return question.isYesNo() ? runtime::Answer::Yes : runtime::Answer::Ok;
    }
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() != 4 && arguments.size() != 5) {
        std::fprintf(stderr, "usage: station-player LOCATION SUBJECT EVENTS [PAUSE]\n");
        return 2;
    }
    AnswerYes participant;
    Run run;
    run.session.databasePath = arguments[1];
    run.asks = &participant;
    run.state.SubjectName = arguments[2];
    run.state.Version = QStringLiteral("TankP");
    const int events = arguments[3].toInt();
    const auto pause = std::chrono::milliseconds(arguments.value(4).toInt());
    QElapsedTimer clock;
    for (int event = 1; event <= events; ++event) {
        run.state.EventID = event;
        run.state.CurrentTrial = event / 4;
        clock.start();
        RecordEvent(run, QStringLiteral("After Cost Calculation"));
        std::printf("%.3f\n", double(clock.nsecsElapsed()) / 1e6);
        std::this_thread::sleep_for(pause);
    }
    return 0;
}
