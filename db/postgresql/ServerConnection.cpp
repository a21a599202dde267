#include "db/postgresql/ServerConnection.h"

#include <QRegularExpression>

#include "db/postgresql/PostgresEngine.h"
#include "db/postgresql/ServerStatement.h"

namespace db::postgresql {

namespace {

// The maintenance database every server has, for creating the experiment's database.
constexpr char kMaintenanceDatabase[] = "postgres";

void CreateDatabase(const ServerLocation& location) {
    ServerSession maintenance(location.with("dbname", kMaintenanceDatabase), false);
    maintenance.send("CREATE DATABASE " +
                     QuoteIdentifier(QString::fromUtf8(location.setting("dbname"))).toUtf8());
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
    // A database made or dropped changes no table of this one; its notice would only queue on
    // the server-wide lock every notifying commit of every database takes.
    static const QRegularExpression schemaChange(
        QStringLiteral(R"(\b(create|alter|drop)\b(?!\s+database\b))"),
        QRegularExpression::CaseInsensitiveOption);
    if (schemaChange.match(sql).hasMatch()) session_->schemaChanged();
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
