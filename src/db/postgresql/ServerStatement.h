#pragma once
// A statement prepared on a lab server. The server runs it at the first step; the rows then
// come from its answer.

#include <memory>

#include "db/Backend.h"
#include "db/postgresql/ServerSession.h"

namespace db::postgresql {

class ServerStatement : public backend::StatementBackend {
  public:
    ServerStatement(std::shared_ptr<ServerSession> session, const QString& sql);

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
    void bind(int position, std::optional<QByteArray> text);
    int resultColumn(int column) const;

    std::shared_ptr<ServerSession> session_;
    const PreparedStatement statement_;
    Parameters parameters_;
    Result result_;
    bool deferred_ = false;
    int row_ = -1;
};

}  // namespace db::postgresql
