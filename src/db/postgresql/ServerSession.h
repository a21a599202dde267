#pragma once
// One open libpq connection to a lab server, kept for reuse by later opens of the same
// database in this process (see SessionPool): it keeps what it learnt (the tables, the
// prepared statements) so that opening the database around every operation costs no extra
// round trip to the server.

#include <libpq-fe.h>

#include <QByteArray>
#include <QHash>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

#include "db/Engine.h"
#include "db/postgresql/ServerLocation.h"
#include "db/postgresql/SqlDialect.h"

namespace db::postgresql {

struct ResultDeleter {
    void operator()(PGresult* result) const { PQclear(result); }
};
using Result = std::unique_ptr<PGresult, ResultDeleter>;

// A statement prepared on the server, with the columns it returns.
struct PreparedStatement {
    QByteArray name;
    int parameters = 0;
    std::vector<int> visible;  // result columns shown: the row key only where asked for
    std::vector<QString> names;
    std::vector<ValueKind> kinds;  // the kind of a non-null value, by column
};

using Parameters = std::vector<std::optional<QByteArray>>;

class ServerSession {
  public:
    // Errors: refused login (3031), no such database (3024), unreachable server (3043).
    ServerSession(const ServerLocation& location, bool readOnly);
    ~ServerSession();
    ServerSession(const ServerSession&) = delete;
    ServerSession& operator=(const ServerSession&) = delete;

    const QString& shown() const { return shown_; }
    // The database's encoding, as the server told it at the login.
    QString serverEncoding() const;
    bool readOnly() const { return readOnly_; }
    // Open, idle and in no transaction: fit to be handed to the next user.
    bool reusable() const;

    // The transaction starts with the next statement sent, in the same round trip.
    void begin();
    bool inTransaction() const;
    void commit();
    void rollback();
    // Applied with the next statement sent.
    void setLockTimeout(int milliseconds);

    // One or more statements without parameters.
    void execute(const QString& sql);
    // Statements that change the tables (or databases, or logins): sent alone, and every
    // session forgets what it knew of the tables.
    void changeSchema(const QString& sql);
    // Sends statements the engine wrote itself (no names to respell, no parameters); the
    // changes counted are those of the last statement but the trailing ones.
    void send(const QByteArray& text, const QString& sql = QString(), int trailing = 0);
    const PreparedStatement& prepare(const QString& sql);
    Result run(const PreparedStatement& statement, const Parameters& parameters);
    // A write that opens a transaction waits to travel with the commit when it is the
    // transaction's only statement: one round trip, as for a write on its own. Its failure
    // then shows at the commit. False when it must run now.
    bool defer(const PreparedStatement& statement, const Parameters& parameters);
    int changes();

    // The tables as the server holds them; reread when a table is not found in it.
    const Catalog& catalog();
    const Catalog::Table* findTable(const QString& name);
    // Creates the collation and types the tables use, once per session.
    void createDatabaseObjects();
    // Listens on the recorded tables' channel; the socket to watch.
    int listenForRecordings();
    // Whether rows were recorded since it was last asked; raises when the server is lost.
    bool takeRecordedSignal();
    // After this session changed the schema: tables, and statements that may read them, are
    // forgotten, here and in every other session.
    void schemaChanged();

  private:
    // The session's settings, sent once the connection is made.
    void configure();
    // A connection the server dropped (restarted, or lost on the network) is made again
    // before the next statement. Raises 3050 while the server cannot be reached.
    void reconnectIfLost();
    [[noreturn]] void raise(const PGresult* result, const QString& sql);
    Result checked(PGresult* result, const QString& sql);
    Result runPipelined(const PreparedStatement& statement, const Parameters& parameters);
    // Sends a deferred write inside its transaction before anything else is sent.
    void flush();
    QByteArrayList takePrelude();
    void loadCatalog();
    void forgetSchema();
    // What was learnt of the tables holds until a session of this process, or of another
    // (told by a notification), changes them: checked without a round trip.
    void forgetSchemaIfChanged();
    // Reads the notifications that came in without waiting; true when a table changed.
    bool readNotifications();
    ValueKind kindOf(Oid type) const;

    PGconn* connection_ = nullptr;
    bool recordedSeen_ = false;
    QString shown_;
    bool readOnly_;
    bool beginPending_ = false;
    int lockTimeoutApplied_ = -1;
    int lockTimeoutWanted_ = 0;
    bool databaseObjectsMade_ = false;
    int changes_ = 0;
    struct DeferredWrite {
        PreparedStatement statement;
        Parameters parameters;
    };
    std::optional<DeferredWrite> deferred_;
    int nextStatement_ = 0;
    quint64 seenGeneration_ = 0;
    QHash<QString, PreparedStatement> prepared_;
    std::optional<Catalog> catalog_;
    QHash<Oid, Oid> domainBase_;
};

// Open sessions by database, login and mode, for reuse within the process.
class SessionPool {
  public:
    static std::shared_ptr<ServerSession> take(const ServerLocation& location, bool readOnly);
    // A session that can be reused goes back to the pool; any other is closed.
    static void giveBack(std::shared_ptr<ServerSession> session, const ServerLocation& location);
};

}  // namespace db::postgresql
