// phase_late_p95_ms: how late the steps of the period cycle follow each other. A time-driven
// run of 50 periods whose pauses are all 20 ms records into a database on a RAM disk (so the
// figure is the program's, not the disk's flush time). For each step the time from the start
// of its timer handler to the start of the next step's, less the 20 ms between them, is the
// step's own work (its database writes included) plus the timer's lateness; the figure is the
// 95th percentile of these, in milliseconds.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "access/TableAccess.h"
#include "bench/Figure.h"
#include "core/RunRecord.h"
#include "db/Engine.h"
#include "db/Schema.h"
#include "runtime/ProgramEnd.h"
#include "screens/common/Dialogs.h"
#include "screens/common/Twips.h"
#include "screens/simulation/frmHydrovat.h"
#include "task/HeadlessPlayer.h"

namespace {

constexpr int kPeriods = 50;
constexpr int kPauseMs = 20;

// An experiment database in a folder on the RAM disk when there is one.
class RamDatabase {
  public:
    RamDatabase()
        : dir_((QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm")
                                                          : QDir::tempPath()) +
               QStringLiteral("/fluxmere-phase-XXXXXX")) {
        db::Connection connection(path(), db::DatabasePassword(), db::OpenMode::Create);
        db::CreateSchema(connection);
    }
    QString path() const { return dir_.filePath(QStringLiteral("Hydrovat.mdb")); }

  private:
    QTemporaryDir dir_;
};

// A fresh time-driven run in the store view: every pause and the period clock 20 ms, delays
// of 1, an environment that alternately fills and empties.
void PrepareRun(Run& run) {
    runtime::CurrentContext().twipsPerPixel = ui::kDesignTwipsPerPixel;
    ExperimentSetupRecord& setup = run.setup;
    RunStateRecord& state = run.state;
    state.SubjectName = QStringLiteral("Bench");
    state.Version = QStringLiteral("V1");
    state.PipeUserIn = 0;
    state.PipeUserOut = 1;
    state.PipeEnvIn = 2;
    state.PipeEnvOut = 3;
    state.UserInflowTP = 1;
    state.UserOutflowTP = 1;
    setup.IsTimeDriven = true;
    setup.graphicalMode = false;
    setup.YUnits = QStringLiteral("People");
    setup.MaxTrial = kPeriods;
    setup.MaxNumberOfAScenarioType = kPeriods;
    setup.AfterEveryNTrials = 1;
    setup.numMarks = 10;
    setup.RWIDTH = 5;
    setup.RHEIGHT = 10;
    setup.simTimeForTP = 1;
    setup.GoalLinePosition = 40;
    setup.InitialAmountInTank = 40;
    setup.LowerBoundFromGoal = 5;
    setup.UpperBoundFromGoal = 5;
    setup.BonusAmount = 0.5;
    setup.userDelay = kPauseMs;
    setup.envDelay = kPauseMs;
    setup.UsrMv = kPauseMs;
    setup.EnvMv = kPauseMs;
    setup.TimeBetweenEnvTries = kPauseMs;
    for (auto* values : {&state.UserInFlow, &state.UserOutFlow, &state.BackOrder,
                         &state.ForwardDischarge, &state.EnvInFlow, &state.EnvOutFlow}) {
        SizeArray(*values, kPeriods + 1);
    }
    for (int trial = 1; trial <= kPeriods; ++trial) {
        state.EnvInFlow[trial] = trial % 2 ? 6 : 2;
        state.EnvOutFlow[trial] = trial % 2 ? 2 : 6;
    }
}

// Notes the moment every timer of the screen starts its handler: a timer event delivered
// to a QTimer is the start of the handler connected to it.
class HandlerStarts : public QObject {
  public:
    explicit HandlerStarts(const QTimer& ignored) : ignored_(ignored) { clock_.start(); }
    std::vector<double> startsMs;

  protected:
    bool eventFilter(QObject* receiver, QEvent* event) override {
        if (event->type() == QEvent::Timer && receiver != &ignored_ &&
            qobject_cast<QTimer*>(receiver)) {
            startsMs.push_back(clock_.nsecsElapsed() / 1e6);
        }
        return false;
    }

  private:
    const QTimer& ignored_;
    QElapsedTimer clock_;
};

// The value below which the fraction q of the values lie (nearest rank).
double Percentile(std::vector<double> values, double q) {
    if (values.empty()) return NAN;
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<std::size_t>(std::ceil(q * values.size()));
    return values[std::max<std::size_t>(rank, 1) - 1];
}

// The steps the run takes: the same run played first through the cycle driver on a
// simulated clock.
long StepsOfTheRun() {
    RamDatabase database;
    Run run;
    PrepareRun(run);
    run.session.databasePath = database.path();
    period::HeadlessPlayer player(run);
    player.playToEnd();
    return player.stepsPlayed();
}

double PhaseLateP95() {
    const long steps = StepsOfTheRun();
    RamDatabase database;
    Run run;
    PrepareRun(run);
    run.session.databasePath = database.path();
    ui::ScriptedDialogs dialogs;  // the earnings message
    run.asks = &dialogs;
    QTimer wake;  // waiting for events never blocks for long, even if the cycle stalled
    HandlerStarts starts(wake);
    QCoreApplication::instance()->installEventFilter(&starts);
    {
        frmHydrovat form(run);
        wake.start(50);
        QElapsedTimer limit;
        limit.start();
        try {
            while (limit.elapsed() < 60000) {
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
                runtime::RaiseKeptEnd();
            }
            std::fprintf(stderr, "phase_late_p95_ms: the run did not end within a minute\n");
        } catch (const runtime::ProgramEnded&) {
        }
    }
    QCoreApplication::instance()->removeEventFilter(&starts);

    // Every step is 20 ms from the next.
    const std::vector<double>& t = starts.startsMs;
    if (static_cast<long>(t.size()) != steps) {
        std::fprintf(stderr, "phase_late_p95_ms: %zu handler starts, expected %ld\n", t.size(),
                     steps);
    }
    std::vector<double> late;
    for (std::size_t i = 0; i + 1 < t.size(); ++i) late.push_back(t[i + 1] - t[i] - kPauseMs);
    std::fprintf(stderr, "phase_late: %zu steps, median %.2f ms, max %.2f ms\n", late.size(),
                 Percentile(late, 0.5), Percentile(late, 1));
    return Percentile(late, 0.95);
}

}  // namespace

FX_VALUE(phase_late_p95_ms, PhaseLateP95);
