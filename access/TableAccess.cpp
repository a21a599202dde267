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
#include "runtime/Context.h"
#include "runtime/ProgramEnd.h"
#include "runtime/Questions.h"

namespace {

const QString CrLf = QStringLiteral("\r\n");

std::shared_ptr<db::Database> OpenDatabaseAt(db::Workspace& workspace, const QString& path,
                                             bool readOnly) {
    return workspace.OpenDatabase(path, false, readOnly,
                                  QStringLiteral(";pwd=") + db::DatabasePassword());
}

// One run of the opening steps. A failed step is repeated by running again: the steps
// already done are kept.
class Opening {
  public:
    Opening(Run& run, const db::Query& source, bool readOnly)
        : run_(run), source_(source), readOnly_(readOnly) {}

    std::unique_ptr<db::Recordset> run() {
        if (step_ == 1) {
            path_ = DatabasePath(run_);
            step_ = 2;
        }
        if (step_ == 2) {
            workspace_ = db::DefaultWorkspace();
            run_.session.workspace = workspace_;
            step_ = 3;
        }
        if (step_ == 3) {
            database_ = run_.session.held ? run_.session.held
                                          : OpenDatabaseAt(*workspace_, path_, readOnly_);
            run_.session.database = database_;
            step_ = 4;
        }
        auto recordset =
            database_->OpenRecordset(source_, readOnly_ ? db::dbOpenSnapshot : db::dbOpenDynaset);
        // A call made by an event during a wait may have replaced or cleared them.
        run_.session.workspace = workspace_;
        run_.session.database = database_;
        return recordset;
    }

  private:
    Run& run_;
    db::Query source_;
    bool readOnly_;
    int step_ = 1;
    QString path_;
    std::shared_ptr<db::Workspace> workspace_;
    std::shared_ptr<db::Database> database_;
};

// "Problems opening table": Yes returns (the caller repeats the step), No ends the program,
// saying that the database stopped the session.
void AskProblemsOpening(Run& run, const db::Error& error, const QString& status) {
    const QString text = QCoreApplication::translate("TableAccess", "Error %1: %2")
                             .arg(error.number())
                             .arg(error.description()) +
                         CrLf +
                         QCoreApplication::translate("TableAccess", "Status was %1").arg(status) +
                         CrLf + QCoreApplication::translate("TableAccess", "Retry?");
    if (run.MsgBox(text, runtime::vbYesNo,
                   QCoreApplication::translate("TableAccess", "Problems opening table")) ==
        runtime::vbNo) {
        EndAfterDatabaseFailure(run, error, status);
    }
}

bool AskRetry(const Run& run, const db::Error& error, const QString& source,
              const QString& status) {
    const QString title =
        QCoreApplication::translate("TableAccess", "Error %1: %2").arg(error.number()).arg(status);
    const QString text = error.description() + CrLf + source + CrLf +
                         QCoreApplication::translate("TableAccess", "Retry? (No to quit)");
    return run.MsgBox(text, runtime::vbYesNo + runtime::vbQuestion, title) == runtime::vbYes;
}

}  // namespace

QString DatabasePath(const Run& run) {
    return run.session.databasePath.isEmpty() ? DatabasePath() : run.session.databasePath;
}

QString DatabasePath() {
    const QString& chosen = runtime::CurrentContext().databasePath;
    if (!chosen.isEmpty()) return chosen;
    return QCoreApplication::applicationDirPath() + QStringLiteral("/data/") +
           QStringLiteral("Hydrovat.mdb");
}

std::unique_ptr<db::Recordset> OpenTable(Run& run, const db::Query& source, bool readOnly,
                                         const QString& status) {
    Opening opening(run, source, readOnly);
    db::BackOff backOff;
    int immediateRepeats = 0;
    for (;;) {
        try {
            return opening.run();
        } catch (const db::Error& error) {
            const db::ErrorReaction reaction = db::ReactionTo(error.number());
            if (reaction != db::ErrorReaction::RepeatAtOnce) immediateRepeats = 0;
            switch (reaction) {
                case db::ErrorReaction::RepeatAtOnce:
                    if (++immediateRepeats > db::ImmediateRepeatsBeforeQuestion) {
                        immediateRepeats = 0;
                        AskProblemsOpening(run, error, status);
                    }
                    break;
                case db::ErrorReaction::StartAgain:
                    return Opening(run, source, readOnly).run();
                case db::ErrorReaction::AskUser:
                    AskProblemsOpening(run, error, status);
                    break;
                case db::ErrorReaction::BackOff:
                    if (backOff.spent()) {
                        if (!AskRetry(run, error, source.sql, status)) {
                            AskProblemsOpening(run, error, status);
                            break;  // repeat at once; the next failure asks again
                        }
                        backOff.restartAt(1);
                    }
                    backOff.wait();
                    break;
            }
        }
    }
}

TableRead::TableRead(Run& run, const db::Query& source, const QString& status) : run_(run) {
    try {
        rows_ = OpenTable(run, source, true, status);
    } catch (...) {
        CloseDatabase(run);
        throw;
    }
}

TableRead::~TableRead() {
    // Nothing was written, so a failure to close loses nothing; it must not escape a
    // destructor that may run while another error unwinds.
    try {
        rows_->Close();
    } catch (const db::Error&) {
    }
    try {
        CloseDatabase(run_);
    } catch (const db::Error&) {
    }
}

void CloseDatabase(Run& run) {
    if (run.session.database) {
        if (run.session.database != run.session.held) run.session.database->Close();
        run.session.database.reset();
    }
    if (run.session.workspace) {
        run.session.workspace->Close();
        run.session.workspace.reset();
    }
}

std::shared_ptr<db::Database> OpenDatabaseForWriting(const Run& run) {
    return OpenDatabaseAt(*db::DefaultWorkspace(), DatabasePath(run), false);
}

HeldTransaction::HeldTransaction(Run& run) : HeldTransaction(run, OpenDatabaseForWriting(run)) {
    closesDatabase_ = true;
}

HeldTransaction::HeldTransaction(Run& run, std::shared_ptr<db::Database> database)
    : run_(run),
      database_(std::move(database)),
      transaction_(std::make_unique<db::Transaction>(database_->connection())) {
    run_.session.held = database_;
}

HeldTransaction::~HeldTransaction() {
    run_.session.held.reset();
    if (run_.session.database == database_) CloseDatabase(run_);
    transaction_.reset();  // undoes the rows unless committed
    if (!closesDatabase_) return;
    try {
        database_->Close();
    } catch (const db::Error&) {
        // Closing without the commit undoes the rows all the same.
    }
}

void HeldTransaction::commit() {
    transaction_->commit();
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

void BackOff::wait() const {
    runtime::DoEvents();
    const std::chrono::milliseconds pause = BackOffWait(count_, runtime::Rnd());
    if (const auto& wait = runtime::CurrentContext().wait)
        wait(pause);
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
