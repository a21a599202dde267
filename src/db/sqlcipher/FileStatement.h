#pragma once
// A prepared statement on an SQLCipher file.

#include "db/Backend.h"

struct sqlite3_stmt;

namespace db::sqlcipher {

class FileConnection;

class FileStatement : public backend::StatementBackend {
  public:
    FileStatement(FileConnection& connection, const QString& sql);
    ~FileStatement() override;
    FileStatement(const FileStatement&) = delete;
    FileStatement& operator=(const FileStatement&) = delete;

    void bindText(int position, std::string_view utf8) override;
    void bindDouble(int position, double value) override;
    void bindInt(int position, long long value) override;
    void bindBlob(int position, const QByteArray& bytes) override;
    void bindNull(int position) override;
    bool step() override;
    void reset() override;
    int columnCount() const override;
    QString columnName(int column) const override;
    ValueKind kind(int column) const override;
    std::string_view text(int column) const override;
    double doubleValue(int column) const override;
    long long intValue(int column) const override;
    QByteArray blob(int column) const override;

  private:
    void check(int engineResult);

    FileConnection& connection_;
    QString sql_;
    sqlite3_stmt* stmt_ = nullptr;
};

}  // namespace db::sqlcipher
