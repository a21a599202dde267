#pragma once
// A connection to an experiment database on a lab server. It borrows an open session from the
// process's pool and gives it back when it closes.

#include <memory>

#include "db/Backend.h"
#include "db/postgresql/ServerLocation.h"
#include "db/postgresql/ServerSession.h"

namespace db::postgresql {

class ServerConnection : public backend::ConnectionBackend {
  public:
    ServerConnection(const ServerLocation& location, OpenMode mode, int busyTimeoutMilliseconds);
    ~ServerConnection() override;
    ServerConnection(const ServerConnection&) = delete;
    ServerConnection& operator=(const ServerConnection&) = delete;

    QString location() const override { return location_.shown; }
    void execute(const QString& sql) override;
    void changeSchema(const QString& sql) override;
    std::unique_ptr<backend::StatementBackend> prepare(const QString& sql) override;
    void beginWrite() override;
    void commit() override;
    void rollback() override;
    bool inTransaction() const override;
    int changes() const override;
    QString insertUnlessKeyTakenSql(const QString& table,
                                    const QStringList& columns) const override;
    void setBusyTimeout(int milliseconds) override;
    std::vector<ColumnInfo> tableColumns(const QString& table) override;
    bool tableExists(const QString& table) override;
    bool indexExists(const QString& index) override;
    bool holdsOwnersRights() override;
    QString loginName() override;
    void grantStationRights(const QString& role, const std::vector<TableRights>& rights) override;
    QString rowKey() const override;
    int recordingSocket() override;
    bool recordedSinceAsked() override;
    void createTable(const TableDef& table) override;
    void addColumn(const QString& table, const ColumnDef& column) override;

  private:
    // The first column of the first row the query gives for the texts; empty when no row.
    QString firstValue(const QString& sql, const QStringList& values);
    // 1 owner or superuser, 0 neither, empty: no such login.
    QString ownersRightsOf(const QString& role);
    ServerLocation location_;
    std::shared_ptr<ServerSession> session_;
};

}  // namespace db::postgresql
