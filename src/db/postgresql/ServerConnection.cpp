#include "db/postgresql/ServerConnection.h"

#include "db/postgresql/PostgresEngine.h"
#include "db/postgresql/ServerErrors.h"
#include "db/postgresql/ServerStatement.h"
#include "db/postgresql/StationRights.h"

namespace db::postgresql {

namespace {

// The maintenance database every server has, for creating the experiment's database.
constexpr char kMaintenanceDatabase[] = "postgres";

// In UTF8 whatever the server's own default: a cluster made under the C locale makes
// SQL_ASCII databases, which cannot compare the texts as the program does.
void CreateDatabase(const ServerLocation& location) {
    ServerSession maintenance(location.with("dbname", kMaintenanceDatabase), false);
    maintenance.send("CREATE DATABASE " +
                     QuoteIdentifier(QString::fromUtf8(location.setting("dbname"))).toUtf8() +
                     " ENCODING 'UTF8' TEMPLATE template0");
}

// The experiment's texts and its collation need UTF8.
void RequireUtf8(const ServerSession& session, const ServerLocation& location) {
    const QString encoding = session.serverEncoding();
    if (encoding.compare(QLatin1String("UTF8"), Qt::CaseInsensitive) == 0) return;
    const QString database = QString::fromUtf8(location.setting("dbname"));
    throw Error(errors::CannotOpenFile,
                QStringLiteral("The database %1 on the lab server '%2' is in %3, not UTF8; make "
                               "it anew with: createdb --encoding UTF8 --template template0 %1")
                    .arg(database, location.shown, encoding));
}

std::shared_ptr<ServerSession> OpenSession(const ServerLocation& location, OpenMode mode) {
    const bool readOnly = mode == OpenMode::ReadOnly;
    try {
        return SessionPool::take(location, readOnly);
    } catch (const Error& error) {
        if (mode != OpenMode::Create || error.number() != errors::FileNotFound) throw;
    }
    try {
        CreateDatabase(location);
    } catch (const Error&) {
        // Another station may have created it meanwhile; if not, opening says why.
    }
    return SessionPool::take(location, readOnly);
}

ServerLocation WithPassword(ServerLocation location, const QString& password) {
    if (location.setting("password").isEmpty() && !password.isEmpty())
        location = location.with("password", password.toUtf8());
    return location;
}

}  // namespace

std::unique_ptr<backend::ConnectionBackend> Open(const QString& uri, const QString& password,
                                                 OpenMode mode, int busyTimeoutMilliseconds) {
    return std::make_unique<ServerConnection>(WithPassword(ParseLocation(uri), password), mode,
                                              busyTimeoutMilliseconds);
}

ServerConnection::ServerConnection(const ServerLocation& location, OpenMode mode,
                                   int busyTimeoutMilliseconds)
    : location_(location), session_(OpenSession(location, mode)) {
    RequireUtf8(*session_, location_);
    session_->setLockTimeout(busyTimeoutMilliseconds);
}

ServerConnection::~ServerConnection() {
    try {
        if (session_->inTransaction()) session_->rollback();
    } catch (const Error&) {
        // A session that cannot end its transaction is not reused (see giveBack).
    }
    SessionPool::giveBack(std::move(session_), location_);
}

void ServerConnection::execute(const QString& sql) {
    session_->execute(sql);
}

void ServerConnection::changeSchema(const QString& sql) {
    session_->changeSchema(sql);
}

std::unique_ptr<backend::StatementBackend> ServerConnection::prepare(const QString& sql) {
    return std::make_unique<ServerStatement>(session_, sql);
}

void ServerConnection::beginWrite() {
    session_->begin();
}
void ServerConnection::commit() {
    session_->commit();
}
void ServerConnection::rollback() {
    session_->rollback();
}
bool ServerConnection::inTransaction() const {
    return session_->inTransaction();
}
int ServerConnection::changes() const {
    return session_->changes();
}

QString ServerConnection::insertUnlessKeyTakenSql(const QString& table,
                                                  const QStringList& columns) const {
    return QStringLiteral("INSERT ") + backend::InsertTargetSql(table, columns) +
           QStringLiteral(" ON CONFLICT DO NOTHING");
}

void ServerConnection::setBusyTimeout(int milliseconds) {
    session_->setLockTimeout(milliseconds);
}

std::vector<ColumnInfo> ServerConnection::tableColumns(const QString& table) {
    const Catalog::Table* found = session_->findTable(table);
    return found ? found->columns : std::vector<ColumnInfo>{};
}

bool ServerConnection::tableExists(const QString& table) {
    return session_->findTable(table) != nullptr;
}

bool ServerConnection::indexExists(const QString& index) {
    return !firstValue(
                QStringLiteral(
                    "SELECT 1 FROM pg_class WHERE relkind = 'i' AND lower(relname) = lower(?) "
                    "AND relnamespace = current_schema()::regnamespace"),
                {index})
                .isEmpty();
}

QString ServerConnection::firstValue(const QString& sql, const QStringList& values) {
    const PreparedStatement& statement = session_->prepare(sql);
    Parameters parameters;
    for (const QString& value : values) parameters.push_back(value.toUtf8());
    const Result rows = session_->run(statement, parameters);
    if (PQntuples(rows.get()) == 0) return QString();
    return QString::fromUtf8(PQgetvalue(rows.get(), 0, 0));
}

QString ServerConnection::ownersRightsOf(const QString& role) {
    return firstValue(OwnersRightsSql(), {role});
}

bool ServerConnection::holdsOwnersRights() {
    return ownersRightsOf(loginName()) == QLatin1String("1");
}

QString ServerConnection::loginName() {
    return firstValue(QStringLiteral("SELECT current_user"), {});
}

void ServerConnection::grantStationRights(const QString& role,
                                          const std::vector<TableRights>& rights) {
    const QString owners = ownersRightsOf(role);
    if (owners.isEmpty())
        throw Error(errors::CannotOpenFile,
                    QStringLiteral("The lab server '%1' has no login role '%2'; make it with: "
                                   "createuser --pwprompt %2")
                        .arg(location_.shown, role));
    if (owners == QLatin1String("1"))
        throw Error(errors::CannotOpenFile,
                    QStringLiteral("'%1' owns the database on the lab server '%2' or is a "
                                   "superuser: a station needs a login of its own, which holds "
                                   "nothing more than a station's rights")
                        .arg(role, location_.shown));
    const QString schema = firstValue(QStringLiteral("SELECT current_schema()"), {});
    const QString database = firstValue(QStringLiteral("SELECT current_database()"), {});
    session_->createDatabaseObjects();
    session_->send(GrantStationRightsSql(role, database, schema, rights).toUtf8());
}

QString ServerConnection::rowKey() const {
    return QLatin1String(kRowKey);
}

int ServerConnection::recordingSocket() {
    return session_->listenForRecordings();
}

bool ServerConnection::recordedSinceAsked() {
    return session_->takeRecordedSignal();
}

void ServerConnection::createTable(const TableDef& table) {
    session_->createDatabaseObjects();
    session_->send(CreateTableSql(table).toUtf8());
    session_->schemaChanged();
}

void ServerConnection::addColumn(const QString& table, const ColumnDef& column) {
    session_->send(AddColumnSql(table, column).toUtf8());
    session_->schemaChanged();
}

}  // namespace db::postgresql
