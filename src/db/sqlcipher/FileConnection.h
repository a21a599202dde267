#pragma once
// A connection to an SQLCipher file. Every engine result is checked; failures are mapped to
// the numbers the table access reacts to.

#include <QHash>
#include <string>

#include "db/Backend.h"

struct sqlite3;
struct sqlite3_stmt;

namespace db::sqlcipher {

class FileConnection : public backend::ConnectionBackend {
  public:
    FileConnection(const QString& path, const QString& password, OpenMode mode,
                   int busyTimeoutMilliseconds);
    ~FileConnection() override;
    FileConnection(const FileConnection&) = delete;
    FileConnection& operator=(const FileConnection&) = delete;

    QString location() const override { return path_; }
    void execute(const QString& sql) override;
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
    QString rowKey() const override;
    void backupTo(const QString& copyPath) override;
    QStringList checkIntegrity(IntegrityDepth depth, int maxFaults) override;
    void createTable(const TableDef& table) override;
    void addColumn(const QString& table, const ColumnDef& column) override;

    sqlite3* handle() const { return db_; }
    [[noreturn]] void raise(int engineResult, const QString& context = QString()) const;

    // A statement for the SQL text: one kept from an earlier use of the same text, or prepared
    // now. The recording path asks for the same few statements for every row.
    sqlite3_stmt* takeStatement(const QString& sql);
    // Back from its user: kept, reset and unbound, for the next use of the same text.
    void returnStatement(const QString& sql, sqlite3_stmt* statement) noexcept;

  private:
    // Opens and keys the file; a reader that finds the journal of an interrupted write has a
    // writer undo it first.
    void openUndoingAnInterruptedWrite(const QString& password, int busyTimeoutMilliseconds);
    // Opens and keys the file; false when a reader finds the journal of an interrupted write.
    bool open(const QString& password, int busyTimeoutMilliseconds);
    void key(const QString& password);
    void close() noexcept;
    void runKept(const QString& sql);
    // A new file keyed as the original is (key and salt), so that the same password opens it.
    FileConnection(const QString& copyPath, const FileConnection& original);
    void applyKey(const QByteArray& pragma);
    // Every page of the original, as of one moment.
    void copyFrom(FileConnection& original);
    // The file's bytes as of one moment, copied under a read that is as short as the copy;
    // false when the copy cannot be written.
    bool copyFileTo(const QString& copyPath);
    QStringList checkInPlace(IntegrityDepth depth, int maxFaults);

    QString path_;
    OpenMode mode_;
    bool keyed_ = false;
    QByteArray keyText_;  // the PRAGMA key text this file was opened with
    sqlite3* db_ = nullptr;
    QHash<QString, sqlite3_stmt*> kept_;
    struct KnownTable {
        std::string definition;
        std::vector<ColumnInfo> columns;
    };
    QHash<QString, KnownTable> knownTables_;  // by lower-case name
};

}  // namespace db::sqlcipher
