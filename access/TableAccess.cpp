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

// The database of the HeldTransaction alive, if any.
std::shared_ptr<db::Database> g_heldDatabase;

std::shared_ptr<db::Database> OpenDatabaseAt(db::Workspace& workspace, const QString& path,
                                             bool readOnly) {
    return workspace.OpenDatabase(path, false, readOnly,
                                  QStringLiteral(";pwd=") + db::DatabasePassword());
}

// One run of the opening steps. A failed step is repeated by running again: the steps
// already done are kept.
class Opening {
  public:
    Opening(const db::Query& source, bool readOnly) : source_(source), readOnly_(readOnly) {}

    std::unique_ptr<db::Recordset> run() {
        if (step_ == 1) {
            path_ = DatabasePath();
            step_ = 2;
        }
        if (step_ == 2) {
            workspace_ = db::DefaultWorkspace();
            RunState.Workspace = workspace_;
            step_ = 3;
        }
        if (step_ == 3) {
            database_ =
                g_heldDatabase ? g_heldDatabase : OpenDatabaseAt(*workspace_, path_, readOnly_);
            RunState.Database = database_;
            step_ = 4;
        }
        auto recordset =
            database_->OpenRecordset(source_, readOnly_ ? db::dbOpenSnapshot : db::dbOpenDynaset);
        // A call made by an event during a wait may have replaced or cleared them.
        RunState.Workspace = workspace_;
        RunState.Database = database_;
        return recordset;
    }

  private:
    db::Query source_;
    bool readOnly_;
    int step_ = 1;
    QString path_;
    std::shared_ptr<db::Workspace> workspace_;
    std::shared_ptr<db::Database> database_;
};

// "Problems opening table": Yes returns (the caller repeats the step), No ends the program,
// saying that the database stopped the session.
void AskProblemsOpening(const db::Error& error, const QString& status) {
    const QString text =
        QStringLiteral("Error %1: %2").arg(error.number()).arg(error.description()) + CrLf +
        QStringLiteral("Status was ") + status + CrLf + QStringLiteral("Retry?");
    if (runtime::MsgBox(text, runtime::vbYesNo, QStringLiteral("Problems opening table")) ==
        runtime::vbNo) {
        EndAfterDatabaseFailure(error, status);
    }
}

bool AskRetry(const db::Error& error, const QString& source, const QString& status) {
    const QString title = QStringLiteral("Error %1: ").arg(error.number()) + status;
    const QString text =
        error.description() + CrLf + source + CrLf + QStringLiteral("Retry? (No to quit)");
    return runtime::MsgBox(text, runtime::vbYesNo + runtime::vbQuestion, title) == runtime::vbYes;
}

}  // namespace

QString DatabasePath() {
    const QString& chosen = runtime::CurrentContext().databasePath;
    if (!chosen.isEmpty()) return chosen;
    return QCoreApplication::applicationDirPath() + QStringLiteral("/data/") +
           QStringLiteral("Hydrovat.mdb");
}

std::unique_ptr<db::Recordset> OpenTable(const db::Query& source, bool readOnly,
                                         const QString& status) {
    Opening opening(source, readOnly);
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
                        AskProblemsOpening(error, status);
                    }
                    break;
                case db::ErrorReaction::StartAgain:
                    return Opening(source, readOnly).run();
                case db::ErrorReaction::AskUser:
                    AskProblemsOpening(error, status);
                    break;
                case db::ErrorReaction::BackOff:
                    if (backOff.spent()) {
                        if (!AskRetry(error, source.sql, status)) {
                            AskProblemsOpening(error, status);
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

TableRead::TableRead(const db::Query& source, const QString& status) {
    try {
        rows_ = OpenTable(source, true, status);
    } catch (...) {
        CloseDatabase();
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
        CloseDatabase();
    } catch (const db::Error&) {
    }
}

void CloseDatabase() {
    if (RunState.Database) {
        if (RunState.Database != g_heldDatabase) RunState.Database->Close();
        RunState.Database.reset();
    }
    if (RunState.Workspace) {
        RunState.Workspace->Close();
        RunState.Workspace.reset();
    }
}

std::shared_ptr<db::Database> OpenDatabaseForWriting() {
    return OpenDatabaseAt(*db::DefaultWorkspace(), DatabasePath(), false);
}

HeldTransaction::HeldTransaction() : HeldTransaction(OpenDatabaseForWriting()) {
    closesDatabase_ = true;
}

HeldTransaction::HeldTransaction(std::shared_ptr<db::Database> database)
    : database_(std::move(database)),
      transaction_(std::make_unique<db::Transaction>(database_->connection())) {
    g_heldDatabase = database_;
}

HeldTransaction::~HeldTransaction() {
    g_heldDatabase.reset();
    if (RunState.Database == database_) CloseDatabase();
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
