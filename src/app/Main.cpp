#include "app/Main.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QTimer>
#include <memory>

#include "access/TableAccess.h"
#include "app/IntegrityCheck.h"
#include "config/ConfigError.h"
#include "config/Languages.h"
#include "config/ScreenSetup.h"
#include "config/Setup.h"
#include "core/RunRecord.h"
#include "core/Shutdown.h"
#include "db/Engine.h"
#include "db/Location.h"
#include "db/Rows.h"
#include "db/Schema.h"
#include "recording/Resume.h"
#include "recording/RunClaim.h"
#include "runtime/Clock.h"
#include "runtime/ProgramEnd.h"
#include "screens/common/Dialogs.h"
#include "screens/intake/frmLogin.h"
#include "screens/intake/frmSplash.h"
#include "screens/simulation/frmHydrovat.h"
#include "station/StationServer.h"

namespace {

// Ends the start-up with a message. No run has begun, so there are no earnings to announce.
[[noreturn]] void EndStartUp(const Run& run, const QString& message) {
    run.ask(message, runtime::Buttons::Ok, runtime::Icon::Critical);
    runtime::EndRun(runtime::ExitStatus::StartUpRefused, message);
}

// Keeps the splash up for a while; the window stays responsive meanwhile.
void ShowFor(int milliseconds) {
    QEventLoop wait;
    QTimer::singleShot(milliseconds, &wait, &QEventLoop::quit);
    runtime::ExecUntilEnd(wait);
}

// Every recording writes a journal beside the database, so its folder must take new files;
// without this, a read-only folder would pass start-up and fail at the first recording.
QString FolderProblem(const QString& databasePath) {
    if (db::IsServerLocation(databasePath)) return QString();  // a server keeps its own journal
    const QString folder = QFileInfo(databasePath).absolutePath();
    if (!QFileInfo(folder).isDir()) return QString();  // the database check names the path
    QTemporaryFile probe(folder + QStringLiteral("/.fluxmere-write-check-XXXXXX"));
    if (probe.open()) return QString();
    return QStringLiteral(
               "The folder of the experiment database cannot be written:\r\n%1\r\n%2. The "
               "program writes a journal beside the database while it records.\r\nPlease call "
               "the experimenter.")
        .arg(QDir::toNativeSeparators(folder), probe.errorString());
}

// Files made by earlier programs get what runs are claimed with, their registrations the
// station's column and the key that lets one of two stations registering the same name win,
// and their recorded rows the key of each write.
void AddSessionTables(db::Connection& connection) {
    PrepareRunClaims(connection);
    for (const char* table :
         {"datSubject", "datExperimentTrials", "datTrialSummary", "datUserTimesSummary"}) {
        db::AddMissingColumns(connection, QLatin1String(table));
        db::AddUniqueKeys(connection, QLatin1String(table));
    }
}

// A station's login on a lab server may not add what an earlier program's database lacks.
QString SchemaProblem(db::Connection& connection) {
    if (db::SchemaIsCurrent(connection) || connection.holdsOwnersRights()) return QString();
    return QStringLiteral(
               "The experiment database on %1 was made by an earlier Fluxmere: it lacks tables "
               "or columns this program records, which the station's login '%2' may not "
               "add.\r\nThe experimenter brings it up to date with: fluxmere-db grant "
               "postgresql://OWNER@HOST/DATABASE %2\r\nPlease call the experimenter.")
        .arg(connection.location(), connection.loginName());
}

}  // namespace

Program::Program() {
    run_.asks = &dialogs_;
    run_.showsForms = &dialogs_;
}

Program::~Program() = default;

// When the station's file names a lab server, every load and recording goes there.
void Program::FollowStationServer() {
    const QString file = DatabasePath(run_);
    if (db::IsServerLocation(file)) return;
    try {
        const QString server = station::ServerOf(file);
        if (!server.isEmpty()) run_.session.databasePath = server;
    } catch (const db::Error&) {
        // A file that cannot be read is named by the check of the database that follows.
    }
}

// The splash and the login speak the language every version shares. Nothing may ask the
// participant anything yet: a database that cannot be read leaves English, and the checks
// that follow name what is wrong.
void Program::SpeakTheOfferedLanguage() {
    try {
        db::Connection connection(DatabasePath(run_), db::DatabasePassword(),
                                  db::OpenMode::ReadOnly);
        language_.speak(config::SharedLanguage(ReadLanguages(connection)));
    } catch (const db::Error&) {
    }
}

void Program::ShowSplashAndLoadVersions() {
    // The station's own file is checked, also when it names a lab server.
    const QString stationFile = DatabasePath(run_);
    FollowStationServer();
    SpeakTheOfferedLanguage();
    frmSplash splash;
    splash.show();
    splash.repaint();
    IntegrityCheck integrity(stationFile);
    ShowFor(splashMilliseconds_);
    run_.random.seed(runtime::TickCount());
    if (const QString problem = DatabaseProblem(DatabasePath(run_)); !problem.isEmpty())
        EndStartUp(run_, problem);
    if (const QString damage = integrity.damage(); !damage.isEmpty()) EndStartUp(run_, damage);
    try {
        LoginForm().LoadVersions();
    } catch (const ConfigError& error) {
        EndStartUp(run_, error.message());
    }
}

// The login, shown until an accepted Start unloads it. Closing its window ends the program
// as Quit does.
void Program::LogIn() {
    ui::ShowModal(run_.showsForms, LoginForm());
    const bool accepted = LoginForm().Accepted();
    login_.reset();
    if (!accepted) {
        run_.state.QuitAtLogin = true;
        EndProgram(run_);
    }
}

void Program::PrepareRun() {
    // The login checked the same; the database may have changed since.
    try {
        RequireRunnableVersion(run_);
    } catch (const ConfigError& error) {
        EndStartUp(run_, error.message());
    }
    try {
        InitRun(run_);
    } catch (const runtime::RuntimeError& error) {
        EndStartUp(run_, QStringLiteral("The recorded decisions of %1 could not be read.\r\nError "
                                        "%2: %3\r\nPlease call the experimenter.")
                             .arg(run_.state.SubjectName)
                             .arg(error.number())
                             .arg(error.description()));
    }
}

void Program::Main() {
    ShowSplashAndLoadVersions();
    LogIn();
    language_.speak(config::LanguageCode(run_.setup.Language));
    PrepareRun();
    screen_ = std::make_unique<frmHydrovat>(run_);
    screen_->show();
}

void Program::CloseSession() {
    ReleaseRun(run_);
    screen_.reset();
    login_.reset();
}

frmLogin& Program::LoginForm() {
    if (!login_) {
        login_ = std::make_unique<frmLogin>(run_);
        login_->SetLanguageSwitch([this, own = language_.code()](const QString& code) {
            language_.speak(code.isEmpty() ? own : code);
        });
    }
    return *login_;
}

void Program::UnloadSimulationScreen() {
    screen_.reset();
}

QString DatabaseProblem(const QString& path) {
    if (const QString problem = FolderProblem(path); !problem.isEmpty()) return problem;
    try {
        // Opened for writing: a file the program cannot record into is refused before anyone
        // logs in.
        db::Connection connection(path, db::DatabasePassword(), db::OpenMode::ReadWrite);
        // Checked before anything is written: a file without a table of the program's would
        // take a registration and then fail at the first recording.
        if (const QStringList missing = db::MissingForTheProgram(connection); !missing.isEmpty()) {
            return QStringLiteral(
                       "The experiment database lacks what the program needs:\r\n%1\r\n"
                       "missing: %2\r\nNothing was recorded. Please call the "
                       "experimenter.")
                .arg(db::LocationForMessages(path), missing.join(QStringLiteral(", ")));
        }
        db::Rows(connection, QStringLiteral("select Version from tblSetup"));
        if (const QString problem = SchemaProblem(connection); !problem.isEmpty()) return problem;
        AddSessionTables(connection);
        return QString();
    } catch (const db::Error& error) {
        // A lock held by another station passes; the table access waits for it.
        if (db::PassesByItself(error.number())) return QString();
        return QStringLiteral(
                   "The experiment database could not be opened:\r\n%1\r\nError %2: "
                   "%3\r\nPlease call the experimenter.")
            .arg(db::LocationForMessages(path))
            .arg(error.number())
            .arg(error.description());
    }
}
