#include "tests/support/TestServer.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFileInfo>
#include <QProcess>
#include <cstdlib>

#include "db/Engine.h"
#include "db/Schema.h"

namespace {

const QString kScript = QStringLiteral(FX_TEST_SERVER_SCRIPT);

void RunScript(const QString& action, const QString& folder) {
    QProcess script;
    script.setProcessChannelMode(QProcess::ForwardedChannels);
    script.start(QStringLiteral("bash"), {kScript, action, folder});
    if (!script.waitForFinished(120000) || script.exitCode() != 0) {
        throw db::Error(db::errors::EngineFailure,
                        QStringLiteral("The test server could not %1 in %2.").arg(action, folder));
    }
}

void Maintain(const QString& sql) {
    db::Connection(TestServerLocation(QStringLiteral("postgres")), db::DatabasePassword(),
                   db::OpenMode::ReadWrite)
        .changeSchema(sql);
}

bool DatabaseExists(const QString& name) {
    db::Connection maintenance(TestServerLocation(QStringLiteral("postgres")),
                               db::DatabasePassword(), db::OpenMode::ReadOnly);
    db::Statement found =
        maintenance.prepare(QStringLiteral("SELECT 1 FROM pg_database WHERE datname = ?"));
    found.bind(1, name);
    return found.step();
}

void MakeTemplate(const QString& name) {
    Maintain(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(name));
    {
        db::Connection connection(TestServerLocation(name), db::DatabasePassword(),
                                  db::OpenMode::Create);
        db::CreateSchema(connection);
    }
    // A template is copied only while nobody is connected to it.
    Maintain(QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE "
                            "datname = '%1' AND pid <> pg_backend_pid()")
                 .arg(name));
}

// The template of a whole test run, named by the schema it holds: a build with other tables
// does not copy it.
QString SharedTemplateName() {
    QCryptographicHash schema(QCryptographicHash::Sha1);
    for (const db::TableDef& table : db::Tables()) {
        schema.addData(table.name.toUtf8());
        for (const db::ColumnDef& column : table.columns)
            schema.addData(
                QStringLiteral("|%1:%2").arg(column.name).arg(int(column.type)).toUtf8());
        for (const auto& indexes : {table.indexes, table.uniqueKeys}) {
            for (const db::IndexDef& index : indexes)
                schema.addData((u'#' + index.name + index.columns.join(u',')).toUtf8());
        }
        schema.addData(table.recorded ? "*;" : ";");
    }
    return QStringLiteral("fx_template_%1")
        .arg(QString::fromLatin1(schema.result().toHex().left(16)));
}

// Every fresh database is a copy of the run's template; a test program run on its own makes
// one of its own.
const QString& TemplateDatabase() {
    static const QString name = [] {
        const QString shared = SharedTemplateName();
        if (DatabaseExists(shared)) return shared;
        const QString own =
            QStringLiteral("fx_template_%1").arg(QCoreApplication::applicationPid());
        MakeTemplate(own);
        return own;
    }();
    return name;
}

}  // namespace

void MakeSharedTestTemplate() {
    MakeTemplate(SharedTemplateName());
}

OwnTestServer::OwnTestServer(const QString& name)
    : folder_(
          QStringLiteral("/dev/shm/fxpg-%1-%2").arg(name).arg(QCoreApplication::applicationPid())) {
    start();
}

OwnTestServer::~OwnTestServer() {
    try {
        RunScript(QStringLiteral("stop"), folder_);
    } catch (const db::Error&) {
        // Ending anyway; the folder is in memory and goes with the machine.
    }
}

void OwnTestServer::halt() const {
    RunScript(QStringLiteral("halt"), folder_);
}

void OwnTestServer::start() const {
    RunScript(QStringLiteral("start"), folder_);
}

QString TestServerFolder() {
    const QByteArray fromEnvironment = qgetenv("FLUXMERE_TEST_PGHOST");
    if (!fromEnvironment.isEmpty()) return QString::fromLocal8Bit(fromEnvironment);
    // The server ctest started for this build answers on its socket there.
    const QString fromCtest = QStringLiteral(FX_TEST_SERVER_FOLDER);
    if (QFileInfo::exists(fromCtest + QStringLiteral("/.s.PGSQL.5432"))) return fromCtest;
    // A test program run by hand while ctest's server is not running: one of its own.
    static const OwnTestServer server(QStringLiteral("own"));
    return server.folder();
}

QString TestServerLocation(const QString& database) {
    return ServerLocationIn(TestServerFolder(), database);
}

QString ServerLocationIn(const QString& folder, const QString& database) {
    return QStringLiteral("postgresql://postgres@/%1?host=%2").arg(database, folder);
}

TempServerDatabase::TempServerDatabase(Contents contents) {
    static int made = 0;
    name_ = QStringLiteral("fx_test_%1_%2").arg(QCoreApplication::applicationPid()).arg(++made);
    const QString from =
        contents == Contents::EveryTable ? QStringLiteral("TEMPLATE %1").arg(TemplateDatabase())
        : contents == Contents::Ascii    ? QStringLiteral("ENCODING 'SQL_ASCII' TEMPLATE template0")
                                         : QString();
    Maintain(QStringLiteral("CREATE DATABASE %1 %2").arg(name_, from));
    location_ = TestServerLocation(name_);
}

TempServerDatabase::~TempServerDatabase() {
    try {
        Maintain(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name_));
    } catch (const db::Error&) {
        // The server goes with the test run.
    }
}

void TempServerDatabase::execute(const QString& sql) const {
    db::Connection(location_, db::DatabasePassword(), db::OpenMode::ReadWrite).execute(sql);
}

namespace {

constexpr char kRolePassword[] = "Station-Pw-7";

}  // namespace

TestLoginRole::TestLoginRole(const TempServerDatabase& database) : database_(database) {
    static int made = 0;
    name_ = QStringLiteral("fx_login_%1_%2").arg(QCoreApplication::applicationPid()).arg(++made);
    Maintain(QStringLiteral("DROP ROLE IF EXISTS %1; CREATE ROLE %1 LOGIN PASSWORD '%2'")
                 .arg(name_, QLatin1String(kRolePassword)));
}

TestLoginRole::~TestLoginRole() {
    try {
        database_.execute(QStringLiteral("DROP OWNED BY %1").arg(name_));
        Maintain(QStringLiteral("DROP ROLE IF EXISTS %1").arg(name_));
    } catch (const db::Error&) {
        // The server goes with the test run.
    }
}

QString TestLoginRole::password() {
    return QLatin1String(kRolePassword);
}

QString TestLoginRole::location() const {
    return QString(database_.location())
        .replace(QStringLiteral("postgres@"),
                 QStringLiteral("%1:%2@").arg(name_, QLatin1String(kRolePassword)));
}
