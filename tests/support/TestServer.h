#pragma once
// The throwaway PostgreSQL server of the tests, and fresh experiment databases on it.
// ctest starts the server once for all tests, in a folder of the build's own; a test program
// run by hand while it is not running starts one of its own and stops it when it ends.
// FLUXMERE_TEST_PGHOST names another server's socket folder.

#include <QString>
#include <QStringList>

#include "db/Engine.h"

// A server of the caller's own in a folder of its own, stopped and removed with the object.
class OwnTestServer {
  public:
    explicit OwnTestServer(const QString& name);
    ~OwnTestServer();
    OwnTestServer(const OwnTestServer&) = delete;
    OwnTestServer& operator=(const OwnTestServer&) = delete;

    const QString& folder() const { return folder_; }
    // Stops the server and keeps its databases, for start() to start it with them again.
    void halt() const;
    void start() const;

  private:
    QString folder_;
};

// The socket folder of the running test server.
QString TestServerFolder();

// The location of a database on the test server, without password: the server's superuser
// logs in with the experiment database's password.
QString TestServerLocation(const QString& database);
// The same on the server answering in the socket folder.
QString ServerLocationIn(const QString& folder, const QString& database);

// Makes the template the fresh databases of a whole test run are copied from, once, before
// the tests start: making one per test program would build the whole schema in every one.
void MakeSharedTestTemplate();

// A fresh experiment database with every table and no rows on the test server (or, empty,
// a database without tables, as an experimenter makes one), dropped with the object.
class TempServerDatabase {
  public:
    // Ascii: a database without tables in SQL_ASCII, as a cluster made under the C locale
    // makes them.
    enum class Contents { EveryTable, Empty, Ascii };
    explicit TempServerDatabase(Contents contents = Contents::EveryTable);
    ~TempServerDatabase();
    TempServerDatabase(const TempServerDatabase&) = delete;
    TempServerDatabase& operator=(const TempServerDatabase&) = delete;

    const QString& name() const { return name_; }
    const QString& location() const { return location_; }
    void execute(const QString& sql) const;

  private:
    QString name_;
    QString location_;
};

// A login role of its own on the test server (a name no other test uses), with a password,
// dropped with the object together with every right it was given in the database.
class TestLoginRole {
  public:
    explicit TestLoginRole(const TempServerDatabase& database);
    ~TestLoginRole();
    TestLoginRole(const TestLoginRole&) = delete;
    TestLoginRole& operator=(const TestLoginRole&) = delete;

    const QString& name() const { return name_; }
    static QString password();
    // The database's location with this role's login and password in it.
    QString location() const;

  private:
    const TempServerDatabase& database_;
    QString name_;
};

// The first row of a query at a location (a server's or a file's), as texts.
inline QStringList FirstRow(const QString& location, const QString& sql) {
    db::Connection connection(location, db::DatabasePassword(), db::OpenMode::ReadOnly);
    db::Statement select = connection.prepare(sql);
    QStringList texts;
    if (select.step()) {
        for (int c = 0; c < select.columnCount(); ++c) texts << select.value(c).toString();
    }
    return texts;
}
