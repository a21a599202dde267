#include "db/postgresql/ServerStatement.h"

#include <charconv>

namespace db::postgresql {

namespace {

QByteArray ShortestText(double value) {
    char buffer[32];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value);
    return QByteArray(buffer, int(written.ptr - buffer));
}

}  // namespace

ServerStatement::ServerStatement(std::shared_ptr<ServerSession> session, const QString& sql)
    : session_(std::move(session)), statement_(session_->prepare(sql)) {}

void ServerStatement::bind(int position, std::optional<QByteArray> text) {
    if (position < 1 || position > statement_.parameters) {
        throw Error(errors::SyntaxError,
                    QStringLiteral("The SQL text has no parameter %1.").arg(position));
    }
    if (parameters_.size() < std::size_t(position)) parameters_.resize(std::size_t(position));
    parameters_[std::size_t(position - 1)] = std::move(text);
}

void ServerStatement::bindText(int position, std::string_view utf8) {
    bind(position, QByteArray(utf8.data(), qsizetype(utf8.size())));
}
void ServerStatement::bindDouble(int position, double value) {
    bind(position, ShortestText(value));
}
void ServerStatement::bindInt(int position, long long value) {
    bind(position, QByteArray::number(value));
}
void ServerStatement::bindBlob(int position, const QByteArray& bytes) {
    bind(position, "\\x" + bytes.toHex());
}
void ServerStatement::bindNull(int position) {
    bind(position, std::nullopt);
}

bool ServerStatement::step() {
    if (deferred_) return false;
    if (!result_) {
        if (session_->defer(statement_, parameters_)) {
            deferred_ = true;  // a write returns no rows; it is sent with the commit
            return false;
        }
        result_ = session_->run(statement_, parameters_);
    }
    ++row_;
    return row_ < PQntuples(result_.get());
}

void ServerStatement::reset() {
    result_.reset();
    deferred_ = false;
    row_ = -1;
    parameters_.clear();
}

int ServerStatement::columnCount() const {
    return int(statement_.visible.size());
}

QString ServerStatement::columnName(int column) const {
    return statement_.names.at(std::size_t(column));
}

int ServerStatement::resultColumn(int column) const {
    return statement_.visible.at(std::size_t(column));
}

ValueKind ServerStatement::kind(int column) const {
    if (!result_ || row_ < 0 || PQgetisnull(result_.get(), row_, resultColumn(column)))
        return ValueKind::Null;
    return statement_.kinds.at(std::size_t(column));
}

std::string_view ServerStatement::text(int column) const {
    if (kind(column) == ValueKind::Null) return {};
    const int at = resultColumn(column);
    return {PQgetvalue(result_.get(), row_, at), std::size_t(PQgetlength(result_.get(), row_, at))};
}

double ServerStatement::doubleValue(int column) const {
    const std::string_view digits = text(column);
    double value = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return value;
}

long long ServerStatement::intValue(int column) const {
    const std::string_view digits = text(column);
    long long value = 0;
    const auto read = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (read.ptr != digits.data() + digits.size())
        return static_cast<long long>(doubleValue(column));
    return value;
}

QByteArray ServerStatement::blob(int column) const {
    const std::string_view encoded = text(column);
    if (encoded.size() < 2) return {};
    return QByteArray::fromHex(QByteArray(encoded.data() + 2, qsizetype(encoded.size() - 2)));
}

}  // namespace db::postgresql
