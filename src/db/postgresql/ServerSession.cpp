#include "db/postgresql/ServerSession.h"

#include <QMutex>
#include <QSet>
#include <atomic>
#include <map>
#include <utility>

#include "db/postgresql/ServerErrors.h"
#include "db/postgresql/SqlDialect.h"

namespace db::postgresql {

namespace {

// A station must not hang on a server that does not answer.
constexpr char kConnectTimeoutSeconds[] = "10";

// Type numbers of the server's built-in types that come back as numbers.
constexpr Oid kInt8 = 20, kInt2 = 21, kInt4 = 23, kOid = 26, kFloat4 = 700, kFloat8 = 701,
              kNumeric = 1700, kBytea = 17;

// Changes of the tables by any session of this process, counted.
std::atomic<quint64> g_schemaGeneration{0};
// The channel on which a session that changed the tables tells the sessions of other
// processes.
constexpr char kSchemaChannel[] = "fluxmere_schema";

// A commit that notifies (a schema notice, or a recorded row's from the tables' trigger)
// queues on one lock of the whole server, held in turn by every other notifying commit of every
// database; the lock timeout is for the rows and tables other stations hold, so a transaction
// lifts it once its statements are done.
constexpr char kLiftLockTimeout[] = "SET LOCAL lock_timeout = 0";
constexpr char kCommit[] = "SET LOCAL lock_timeout = 0; COMMIT";
// The same in a pipeline's implicit transaction, where SET LOCAL would warn.
constexpr char kLiftLockTimeoutInPipeline[] = "SELECT set_config('lock_timeout', '0', true)";

// Statements prepared on one session before they are all dropped and prepared afresh.
constexpr int kMostPreparedStatements = 500;

PGconn* Connect(const ServerLocation& location) {
    std::vector<QByteArray> keys;
    std::vector<QByteArray> values;
    for (const auto& [key, value] : location.settings) {
        keys.push_back(key);
        values.push_back(value);
    }
    std::vector<const char*> keyPointers;
    std::vector<const char*> valuePointers;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        keyPointers.push_back(keys[i].constData());
        valuePointers.push_back(values[i].constData());
    }
    keyPointers.push_back(nullptr);
    valuePointers.push_back(nullptr);
    return PQconnectdbParams(keyPointers.data(), valuePointers.data(), 0);
}

ServerLocation WithSessionDefaults(const ServerLocation& location) {
    ServerLocation withDefaults =
        location.with("client_encoding", "UTF8").with("fallback_application_name", "fluxmere");
    if (location.setting("connect_timeout").isEmpty())
        withDefaults = withDefaults.with("connect_timeout", kConnectTimeoutSeconds);
    return withDefaults;
}

int ChangesOf(const PGresult* result) {
    const char* tuples = PQcmdTuples(const_cast<PGresult*>(result));
    return tuples && *tuples ? QByteArray(tuples).toInt() : 0;
}

QString LockTimeoutSetting(int milliseconds) {
    // The server's 0 waits for ever; the program's 0 means not to wait.
    return QStringLiteral("SET lock_timeout = %1").arg(std::max(milliseconds, 1));
}

}  // namespace

ServerSession::ServerSession(const ServerLocation& location, bool readOnly)
    : shown_(location.shown), readOnly_(readOnly) {
    connection_ = Connect(WithSessionDefaults(location));
    if (PQstatus(connection_) != CONNECTION_OK) {
        const QString message = QString::fromUtf8(PQerrorMessage(connection_));
        PQfinish(connection_);
        connection_ = nullptr;
        throw ConnectError(message, shown_);
    }
    seenGeneration_ = g_schemaGeneration;
    configure();
}

void ServerSession::configure() {
    send(QByteArray("LISTEN ") + kSchemaChannel +
         "; SET DateStyle = ISO, YMD; SET client_min_messages = warning; "
         "SET default_transaction_read_only = " +
         (readOnly_ ? "on" : "off"));
}

void ServerSession::reconnectIfLost() {
    if (!connection_)
        throw Error(errors::ObjectNotSet, QStringLiteral("The connection is closed."));
    if (PQstatus(connection_) == CONNECTION_OK) return;
    PQreset(connection_);
    if (PQstatus(connection_) != CONNECTION_OK)
        throw LostConnectionError(QString::fromUtf8(PQerrorMessage(connection_)), shown_);
    // A new server process: nothing prepared or set on the old one holds.
    prepared_.clear();
    lockTimeoutApplied_ = -1;
    configure();
}

ServerSession::~ServerSession() {
    PQfinish(connection_);
}

QString ServerSession::serverEncoding() const {
    return QString::fromUtf8(PQparameterStatus(connection_, "server_encoding"));
}

bool ServerSession::reusable() const {
    return connection_ && PQstatus(connection_) == CONNECTION_OK &&
           PQtransactionStatus(connection_) == PQTRANS_IDLE && !beginPending_ && !deferred_;
}

void ServerSession::begin() {
    beginPending_ = true;
}

bool ServerSession::inTransaction() const {
    return beginPending_ || PQtransactionStatus(connection_) != PQTRANS_IDLE;
}

void ServerSession::commit() {
    if (beginPending_) {
        // Nothing was sent but perhaps one write: alone, it is a transaction of its own.
        beginPending_ = false;
        if (!deferred_) return;
        const DeferredWrite write = std::move(*deferred_);
        deferred_.reset();
        runPipelined(write.statement, write.parameters);
        return;
    }
    flush();
    checked(PQexec(connection_, kCommit), QStringLiteral("COMMIT"));
}

void ServerSession::rollback() {
    beginPending_ = false;
    deferred_.reset();
    if (PQtransactionStatus(connection_) != PQTRANS_IDLE)
        checked(PQexec(connection_, "ROLLBACK"), QStringLiteral("ROLLBACK"));
}

void ServerSession::setLockTimeout(int milliseconds) {
    lockTimeoutWanted_ = milliseconds;
}

QByteArrayList ServerSession::takePrelude() {
    QByteArrayList prelude;
    if (lockTimeoutWanted_ != lockTimeoutApplied_) {
        prelude << LockTimeoutSetting(lockTimeoutWanted_).toUtf8();
        lockTimeoutApplied_ = lockTimeoutWanted_;
    }
    if (beginPending_) {
        prelude << "BEGIN";
        beginPending_ = false;
    }
    return prelude;
}

void ServerSession::raise(const PGresult* result, const QString& sql) {
    const QString message =
        QString::fromUtf8(result ? PQresultErrorMessage(result) : PQerrorMessage(connection_));
    if (PQstatus(connection_) != CONNECTION_OK) throw LostConnectionError(message, shown_);
    const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    const char* primary = result ? PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
    throw StatementError(state, primary ? QString::fromUtf8(primary) : message, shown_, sql);
}

Result ServerSession::checked(PGresult* raw, const QString& sql) {
    Result result(raw);
    const ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
        lockTimeoutApplied_ = -1;  // a setting sent with a failed statement was undone with it
        raise(result.get(), sql);
    }
    changes_ = ChangesOf(result.get());
    return result;
}

void ServerSession::execute(const QString& sql) {
    const QByteArray text = ToServerSql(sql, catalog()).text;
    if (inTransaction()) {
        send(text, sql);
        return;
    }
    // On its own the text is a transaction of its own, committed as it ends, with a notice
    // when it wrote rows.
    send(text + "; " + kLiftLockTimeout, sql, 1);
}

void ServerSession::changeSchema(const QString& sql) {
    // Sent alone: a database is made or dropped outside any transaction.
    send(ToServerSql(sql, catalog()).text, sql);
    schemaChanged();
}

bool ServerSession::defer(const PreparedStatement& statement, const Parameters& parameters) {
    if (!beginPending_ || deferred_ || !statement.names.empty()) return false;
    deferred_ = DeferredWrite{statement, parameters};
    return true;
}

void ServerSession::flush() {
    if (!deferred_) return;
    const DeferredWrite write = std::move(*deferred_);
    deferred_.reset();
    runPipelined(write.statement, write.parameters);
}

int ServerSession::changes() {
    flush();
    return changes_;
}

void ServerSession::send(const QByteArray& text, const QString& sql, int trailing) {
    reconnectIfLost();
    flush();
    QByteArrayList statements = takePrelude();
    statements << text;
    const QString shownSql = sql.isEmpty() ? QString::fromUtf8(text) : sql;
    // Several statements in one text run in one round trip; the caller's is the last but the
    // trailing ones, and the first that fails ends it.
    if (!PQsendQuery(connection_, statements.join(';').constData())) raise(nullptr, shownSql);
    std::vector<Result> results;
    while (PGresult* result = PQgetResult(connection_)) results.emplace_back(result);
    if (results.empty()) raise(nullptr, shownSql);
    for (Result& result : results) result = checked(result.release(), shownSql);
    const std::size_t callers =
        results.size() > std::size_t(trailing) ? results.size() - 1 - trailing : 0;
    changes_ = ChangesOf(results[callers].get());
}

const PreparedStatement& ServerSession::prepare(const QString& sql) {
    reconnectIfLost();
    forgetSchemaIfChanged();
    const auto known = prepared_.constFind(sql);
    if (known != prepared_.cend()) return *known;
    if (prepared_.size() >= kMostPreparedStatements) {
        prepared_.clear();
        send("DEALLOCATE ALL");
    }
    const ServerSql server = ToServerSql(sql, catalog());
    PreparedStatement statement;
    statement.name = "fx" + QByteArray::number(++nextStatement_);
    statement.parameters = server.parameters;
    checked(PQprepare(connection_, statement.name.constData(), server.text.constData(), 0, nullptr),
            sql);
    const Result described =
        checked(PQdescribePrepared(connection_, statement.name.constData()), sql);
    // The row key shows once, where the text asks for it; a "*" never shows it.
    bool keyAsked = server.text.contains(kRowKey);
    for (int c = 0; c < PQnfields(described.get()); ++c) {
        const QString name = QString::fromUtf8(PQfname(described.get(), c));
        if (name == QLatin1String(kRowKey) && !std::exchange(keyAsked, false)) continue;
        statement.visible.push_back(c);
        statement.names.push_back(name);
        statement.kinds.push_back(kindOf(PQftype(described.get(), c)));
    }
    return *prepared_.insert(sql, statement);
}

Result ServerSession::run(const PreparedStatement& statement, const Parameters& parameters) {
    reconnectIfLost();
    flush();
    return runPipelined(statement, parameters);
}

Result ServerSession::runPipelined(const PreparedStatement& statement,
                                   const Parameters& parameters) {
    std::vector<const char*> values;
    for (const auto& value : parameters) values.push_back(value ? value->constData() : nullptr);
    values.resize(std::size_t(statement.parameters), nullptr);
    const QString sqlName = QString::fromLatin1(statement.name);
    // A write outside a transaction commits as it ends, perhaps with a recorded row's notice.
    const bool commitsAlone = !inTransaction() && statement.names.empty();
    const QByteArrayList prelude = takePrelude();
    if (prelude.isEmpty() && !commitsAlone) {
        return checked(PQexecPrepared(connection_, statement.name.constData(), statement.parameters,
                                      values.data(), nullptr, nullptr, 0),
                       sqlName);
    }
    // The prelude (a BEGIN, a setting) and the lifted timeout travel with the statement in one
    // round trip; up to the sync they are one transaction.
    PQenterPipelineMode(connection_);
    for (const QByteArray& command : prelude)
        PQsendQueryParams(connection_, command.constData(), 0, nullptr, nullptr, nullptr, nullptr,
                          0);
    PQsendQueryPrepared(connection_, statement.name.constData(), statement.parameters,
                        values.data(), nullptr, nullptr, 0);
    if (commitsAlone)
        PQsendQueryParams(connection_, kLiftLockTimeoutInPipeline, 0, nullptr, nullptr, nullptr,
                          nullptr, 0);
    PQpipelineSync(connection_);
    const std::size_t expected = std::size_t(prelude.size()) + (commitsAlone ? 2 : 1);
    std::vector<Result> results;
    while (results.size() < expected) {
        Result result(PQgetResult(connection_));
        if (!result) break;
        while (PGresult* rest = PQgetResult(connection_)) PQclear(rest);
        results.push_back(std::move(result));
    }
    while (PGresult* sync = PQgetResult(connection_)) {
        const bool done = PQresultStatus(sync) == PGRES_PIPELINE_SYNC;
        PQclear(sync);
        if (done) break;
    }
    PQexitPipelineMode(connection_);
    if (results.size() != expected) raise(nullptr, sqlName);
    Result kept;
    for (std::size_t i = 0; i < results.size(); ++i) {
        if (PQresultStatus(results[i].get()) == PGRES_PIPELINE_ABORTED) continue;
        Result result = checked(results[i].release(), sqlName);
        if (i == std::size_t(prelude.size())) kept = std::move(result);
    }
    if (!kept) raise(nullptr, sqlName);
    changes_ = ChangesOf(kept.get());
    return kept;
}

namespace {

// The tables and columns of the database's schema, one row per column.
constexpr char kColumnsSql[] =
    "SELECT c.relname, a.attname, t.typname FROM pg_class c "
    "JOIN pg_attribute a ON a.attrelid = c.oid AND a.attnum > 0 AND NOT a.attisdropped "
    "JOIN pg_type t ON t.oid = a.atttypid "
    "WHERE c.relnamespace = current_schema()::regnamespace "
    "AND c.relkind IN ('r', 'v', 'p') "
    "ORDER BY c.relname, a.attnum";

void AddColumns(Catalog& catalog, const PGresult* columns) {
    for (int r = 0; r < PQntuples(columns); ++r) {
        const QString table = QString::fromUtf8(PQgetvalue(columns, r, 0));
        const QString column = QString::fromUtf8(PQgetvalue(columns, r, 1));
        Catalog::Table& entry = catalog.tables[table.toLower()];
        entry.name = table;
        if (column == QLatin1String(kRowKey)) continue;
        entry.columns.push_back(
            {column, ColumnTypeOf(QString::fromUtf8(PQgetvalue(columns, r, 2)))});
        entry.spelling.insert(column.toLower(), column);
    }
}

}  // namespace

void ServerSession::loadCatalog() {
    reconnectIfLost();
    Catalog catalog;
    AddColumns(
        catalog,
        checked(PQexec(connection_, kColumnsSql), QStringLiteral("reading the tables")).get());
    const Result domains =
        checked(PQexec(connection_, "SELECT oid, typbasetype FROM pg_type WHERE typtype = 'd'"),
                QStringLiteral("reading the types"));
    domainBase_.clear();
    for (int r = 0; r < PQntuples(domains.get()); ++r) {
        domainBase_.insert(Oid(QByteArray(PQgetvalue(domains.get(), r, 0)).toUInt()),
                           Oid(QByteArray(PQgetvalue(domains.get(), r, 1)).toUInt()));
    }
    catalog_ = std::move(catalog);
}

const Catalog& ServerSession::catalog() {
    forgetSchemaIfChanged();
    if (!catalog_) loadCatalog();
    return *catalog_;
}

const Catalog::Table* ServerSession::findTable(const QString& name) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        const auto found = catalog().tables.constFind(name.toLower());
        if (found != catalog_->tables.cend()) return &*found;
        catalog_.reset();  // another station or tool may have made it since
    }
    return nullptr;
}

void ServerSession::createDatabaseObjects() {
    if (databaseObjectsMade_) return;
    execute(DatabaseObjectsSql());
    databaseObjectsMade_ = true;
    schemaChanged();
}

void ServerSession::schemaChanged() {
    ++g_schemaGeneration;
    forgetSchema();
    // The sessions of other stations learn it on the channel they listen to.
    if (inTransaction()) {
        send(QByteArray("NOTIFY ") + kSchemaChannel);
    } else {
        send(QByteArray("BEGIN; NOTIFY ") + kSchemaChannel + "; " + kCommit);
    }
}

void ServerSession::forgetSchema() {
    // Statements prepared before stay on the server unused until the session ends.
    catalog_.reset();
    prepared_.clear();
    seenGeneration_ = g_schemaGeneration;
}

void ServerSession::forgetSchemaIfChanged() {
    const bool changed = seenGeneration_ != g_schemaGeneration;
    if (readNotifications() || changed) forgetSchema();
}

bool ServerSession::readNotifications() {
    bool schemaChanged = false;
    // Notifications that came in meanwhile are read without waiting for the server.
    if (connection_ && PQconsumeInput(connection_)) {
        while (PGnotify* notification = PQnotifies(connection_)) {
            if (qstrcmp(notification->relname, kRecordedChannel) == 0) {
                recordedSeen_ = true;
            } else {
                schemaChanged = true;
            }
            PQfreemem(notification);
        }
    }
    return schemaChanged;
}

int ServerSession::listenForRecordings() {
    reconnectIfLost();
    send(QByteArray("LISTEN ") + kRecordedChannel);
    return PQsocket(connection_);
}

bool ServerSession::takeRecordedSignal() {
    if (!connection_ || !PQconsumeInput(connection_) || PQstatus(connection_) != CONNECTION_OK)
        throw LostConnectionError(QString::fromUtf8(PQerrorMessage(connection_)), shown_);
    if (readNotifications()) forgetSchema();
    return std::exchange(recordedSeen_, false);
}

ValueKind ServerSession::kindOf(Oid type) const {
    switch (type) {
        case kInt2:
        case kInt4:
        case kInt8:
        case kOid:
            return ValueKind::Integer;
        case kFloat4:
        case kFloat8:
        case kNumeric:
            return ValueKind::Real;
        case kBytea:
            return ValueKind::Blob;
        default:
            break;
    }
    const auto base = domainBase_.constFind(type);
    return base == domainBase_.cend() ? ValueKind::Text : kindOf(*base);
}

// ---- pool ----------------------------------------------------------------------------------

namespace {

QMutex& PoolLock() {
    static QMutex lock;
    return lock;
}

std::multimap<QByteArray, std::shared_ptr<ServerSession>>& Idle() {
    static std::multimap<QByteArray, std::shared_ptr<ServerSession>> idle;
    return idle;
}

// The databases this process has logged in to, by PoolKey.
QSet<QByteArray>& Reached() {
    static QSet<QByteArray> reached;
    return reached;
}

QByteArray PoolKey(const ServerLocation& location, bool readOnly) {
    QByteArray key = readOnly ? "r" : "w";
    for (const auto& [keyword, value] : location.settings) key += '\0' + keyword + '=' + value;
    return key;
}

}  // namespace

std::shared_ptr<ServerSession> SessionPool::take(const ServerLocation& location, bool readOnly) {
    const QByteArray server = PoolKey(location, false);
    {
        const QMutexLocker lock(&PoolLock());
        const auto found = Idle().find(PoolKey(location, readOnly));
        if (found != Idle().end()) {
            std::shared_ptr<ServerSession> session = std::move(found->second);
            Idle().erase(found);
            return session;
        }
    }
    try {
        auto session = std::make_shared<ServerSession>(location, readOnly);
        const QMutexLocker lock(&PoolLock());
        Reached().insert(server);
        return session;
    } catch (const Error& error) {
        const QMutexLocker lock(&PoolLock());
        // A server this process has worked with is lost for now, not missing: it is waited
        // for as a passing conflict is.
        if (error.number() != errors::DiskOrNetworkError || !Reached().contains(server)) throw;
        throw LostConnectionError(error.description(), location.shown);
    }
}

void SessionPool::giveBack(std::shared_ptr<ServerSession> session, const ServerLocation& location) {
    if (!session->reusable()) return;
    const QMutexLocker lock(&PoolLock());
    Idle().emplace(PoolKey(location, session->readOnly()), std::move(session));
}

}  // namespace db::postgresql
