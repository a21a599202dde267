#include "access/TableAccess.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <thread>

#include "core/RunRecord.h"
#include "core/Shutdown.h"
#include "runtime/Clock.h"
#include "runtime/ProgramEnd.h"
#include "runtime/Questions.h"

namespace {

const QString CrLf = QStringLiteral("\r\n");

// "Problems opening table": Yes returns (the caller repeats the step), No ends the program,
// saying that the database stopped the session.
void AskProblemsOpening(Run& run, const db::Error& error, const QString& status) {
    const QString text = QCoreApplication::translate("TableAccess", "Error %1: %2")
                             .arg(error.number())
                             .arg(error.description()) +
                         CrLf +
                         QCoreApplication::translate("TableAccess", "Status was %1").arg(status) +
                         CrLf + QCoreApplication::translate("TableAccess", "Retry?");
    if (run.ask(text, runtime::Buttons::YesNo, runtime::Icon::None,
                QCoreApplication::translate("TableAccess", "Problems opening table")) ==
        runtime::Answer::No) {
        EndAfterDatabaseFailure(run, error, status);
    }
}

bool AskRetry(const Run& run, const db::Error& error, const QString& source,
              const QString& status) {
    const QString title =
        QCoreApplication::translate("TableAccess", "Error %1: %2").arg(error.number()).arg(status);
    const QString text = error.description() + CrLf + source + CrLf +
                         QCoreApplication::translate("TableAccess", "Retry? (No to quit)");
    return run.ask(text, runtime::Buttons::YesNo, runtime::Icon::Question, title) ==
           runtime::Answer::Yes;
}

// A neighbour's commit holds the file for some milliseconds. Reads and the opening of a write
// wait that out in the engine, too briefly to be felt, instead of failing at once: a failed try
// costs a back-off pause, and under steady recording tries that only sample the lock keep
// meeting commits.
constexpr int OpenWaitMilliseconds = 100;

// The run's connection, shared with the caller: an event handled during a wait may let the
// run's go while the caller still uses it.
std::shared_ptr<db::Connection> HeldConnection(Run& run) {
    if (!run.session.connection.held) {
        run.session.connection.held =
            std::make_shared<db::Connection>(DatabasePath(run), db::DatabasePassword(),
                                             db::OpenMode::ReadWrite, OpenWaitMilliseconds);
    }
    return run.session.connection.held;
}

// Runs step until it succeeds, reacting to each engine error as ReactionTo says. A failure
// that is not a passing conflict lets the run's connection go, so that a repeat starts afresh.
template <typename Step>
auto Retrying(Run& run, const QString& source, const QString& status, Step&& step)
    -> decltype(step(std::declval<db::Connection&>())) {
    db::BackOff backOff;
    int immediateRepeats = 0;
    for (;;) {
        try {
            const std::shared_ptr<db::Connection> connection = HeldConnection(run);
            connection->setBusyTimeout(OpenWaitMilliseconds);
            return step(*connection);
        } catch (const db::Error& error) {
            const db::ErrorReaction reaction = db::ReactionTo(error.number());
            if (reaction != db::ErrorReaction::RepeatAtOnce) immediateRepeats = 0;
            if (!db::PassesByItself(error.number())) CloseRunConnection(run);
            switch (reaction) {
                case db::ErrorReaction::RepeatAtOnce:
                    if (++immediateRepeats > db::ImmediateRepeatsBeforeQuestion) {
                        immediateRepeats = 0;
                        AskProblemsOpening(run, error, status);
                    }
                    break;
                case db::ErrorReaction::StartAgain: {
                    const std::shared_ptr<db::Connection> connection = HeldConnection(run);
                    return step(*connection);
                }
                case db::ErrorReaction::AskUser:
                    AskProblemsOpening(run, error, status);
                    break;
                case db::ErrorReaction::BackOff:
                    if (backOff.spent()) {
                        if (!AskRetry(run, error, source, status)) {
                            AskProblemsOpening(run, error, status);
                            break;  // repeat at once; the next failure asks again
                        }
                        backOff.restartAt(1);
                    }
                    backOff.wait(run);
                    break;
            }
        }
    }
}

}  // namespace

QString DatabasePath(const Run& run) {
    return run.session.databasePath.isEmpty() ? DatabasePath() : run.session.databasePath;
}

QString DatabasePath() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/data/") +
           QStringLiteral("Hydrovat.mdb");
}

db::Connection& RunConnection(Run& run) {
    return *HeldConnection(run);
}

void CloseRunConnection(Run& run) {
    // A transaction open on it belongs to its holder, who ends it.
    const std::shared_ptr<db::Connection>& held = run.session.connection.held;
    if (held && !held->inTransaction()) run.session.connection.held.reset();
}

db::Rows ReadRows(Run& run, const db::Query& query, const QString& status) {
    return Retrying(run, query.sql, status,
                    [&query](db::Connection& connection) { return db::Rows(connection, query); });
}

std::unique_ptr<db::Transaction> BeginWrite(Run& run, const QString& source,
                                            const QString& status) {
    return Retrying(run, source, status, [](db::Connection& connection) {
        return std::make_unique<db::Transaction>(connection);
    });
}

QString SqlText(const QString& value) {
    QString quoted = value;
    quoted.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

namespace db {

ErrorReaction ReactionTo(int errorNumber) {
    switch (errorNumber) {
        case errors::Overflow:
        case errors::NoCurrentRecord:
        case errors::FileLockRefused:
        case errors::ShareLockCountExceeded:
        case errors::RowLocked:
            return ErrorReaction::BackOff;
        case errors::DataChanged:
            return ErrorReaction::RepeatAtOnce;
        case errors::ObjectNotSet:
            return ErrorReaction::StartAgain;
        default:
            return ErrorReaction::AskUser;
    }
}

bool PassesByItself(int errorNumber) {
    const ErrorReaction reaction = ReactionTo(errorNumber);
    return reaction == ErrorReaction::BackOff || reaction == ErrorReaction::RepeatAtOnce;
}

void BackOff::wait(Run& run) const {
    runtime::DoEvents();
    const std::chrono::milliseconds pause =
        BackOffWait(count_, std::uniform_real_distribution<double>(0.0, 1.0)(run.random));
    if (run.pause)
        run.pause(pause);
    else
        WaitResponsively(pause);
}

std::chrono::milliseconds BackOffWait(int counter, double random) {
    using std::chrono::milliseconds;
    constexpr milliseconds kFirst(50);
    constexpr milliseconds kLongest(1000);
    milliseconds base = kFirst;
    for (int retry = 1; retry < counter && base < kLongest; ++retry) base *= 2;
    base = std::min(base, kLongest);
    return milliseconds(static_cast<long long>(double(base.count()) * (0.5 + random)));
}

void WaitResponsively(std::chrono::microseconds wait) {
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + wait;
    if (QCoreApplication::instance()) {
        // Whole milliseconds in a nested loop that keeps the window alive; the rest below.
        const auto whole = duration_cast<milliseconds>(wait);
        if (whole.count() > 0) {
            QEventLoop loop;
            QTimer timer;
            timer.setTimerType(Qt::PreciseTimer);
            timer.setSingleShot(true);
            QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
            timer.start(whole);
            runtime::ExecUntilEnd(loop);
        }
    }
    const auto rest = deadline - steady_clock::now();
    if (rest > steady_clock::duration::zero()) std::this_thread::sleep_for(rest);
}

}  // namespace db
