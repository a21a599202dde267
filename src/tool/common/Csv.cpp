#include "tool/common/Csv.h"

#include <QIODevice>
#include <charconv>

#include "tool/common/OutputFile.h"
#include "tool/common/ToolError.h"

namespace tool {

CsvWriter::CsvWriter(QIODevice& out) : out_(out) {
    buffer_.reserve(kFlushSize + 4096);
}

void CsvWriter::null() {
    separate();
}

void CsvWriter::text(std::string_view utf8) {
    separate();
    bool needsQuotes = utf8.empty();
    for (char c : utf8) {
        if (c == ',' || c == '"' || c == '\n' || c == '\r') {
            needsQuotes = true;
            break;
        }
    }
    if (!needsQuotes) {
        buffer_.append(utf8);
    } else {
        buffer_.push_back('"');
        for (char c : utf8) {
            if (c == '"') buffer_.push_back('"');
            buffer_.push_back(c);
        }
        buffer_.push_back('"');
    }
    flushIfFull();
}

void CsvWriter::text(const QString& value) {
    const QByteArray utf8 = value.toUtf8();
    text(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

void CsvWriter::number(long long value) {
    separate();
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    buffer_.append(digits, result.ptr);
}

void CsvWriter::number(double value) {
    separate();
    char digits[32];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    buffer_.append(digits, result.ptr);
}

void CsvWriter::plain(std::string_view ascii) {
    separate();
    buffer_.append(ascii);
}

void CsvWriter::header(std::initializer_list<std::string_view> names) {
    for (const std::string_view name : names) plain(name);
    endRow();
}

void CsvWriter::endRow() {
    buffer_.append("\r\n", 2);
    cellsInRow_ = 0;
    flushIfFull();
}

void CsvWriter::flush() {
    if (buffer_.empty()) return;
    WriteAll(out_, buffer_.data(), static_cast<qint64>(buffer_.size()));
    buffer_.clear();
}

CsvReader::CsvReader(std::string_view data, QString sourceName)
    : data_(data), sourceName_(std::move(sourceName)) {
    if (data_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;
}

void CsvReader::fail(long long line, std::size_t field, const QString& what) const {
    throw ToolError(
        QStringLiteral("%1:%2: column %3: %4").arg(sourceName_).arg(line).arg(field).arg(what));
}

bool CsvReader::next(std::vector<CsvField>& record) {
    record.clear();
    // Blank lines carry no record.
    while (pos_ < data_.size() && (data_[pos_] == '\n' || data_[pos_] == '\r')) {
        if (data_[pos_] == '\r' && pos_ + 1 < data_.size() && data_[pos_ + 1] == '\n') ++pos_;
        ++pos_;
        ++line_;
    }
    if (pos_ >= data_.size()) return false;
    recordLine_ = line_;
    for (;;) {
        CsvField& field = record.emplace_back();
        if (pos_ < data_.size() && data_[pos_] == '"')
            readQuoted(field, record.size());
        else
            readPlain(field);
        if (pos_ >= data_.size()) return true;
        const char c = data_[pos_++];
        if (c == ',') {
            if (pos_ >= data_.size()) {
                record.emplace_back();
                return true;
            }
            continue;
        }
        // A line end: CRLF, LF or a lone CR.
        if (c == '\r' && pos_ < data_.size() && data_[pos_] == '\n') ++pos_;
        ++line_;
        return true;
    }
}

void CsvReader::readPlain(CsvField& field) {
    const std::size_t start = pos_;
    while (pos_ < data_.size()) {
        const char c = data_[pos_];
        if (c == ',' || c == '\n' || c == '\r') break;
        ++pos_;
    }
    field.value.assign(data_.substr(start, pos_ - start));
}

void CsvReader::readQuoted(CsvField& field, std::size_t fieldNumber) {
    const long long openedOn = line_;
    field.quoted = true;
    ++pos_;  // the opening quote
    for (;;) {
        const std::size_t quote = data_.find('"', pos_);
        if (quote == std::string_view::npos)
            fail(openedOn, fieldNumber,
                 QStringLiteral("the quote opened on this line is never closed"));
        const std::string_view chunk = data_.substr(pos_, quote - pos_);
        for (char c : chunk)
            if (c == '\n') ++line_;
        field.value.append(chunk);
        pos_ = quote + 1;
        if (pos_ < data_.size() && data_[pos_] == '"') {
            field.value.push_back('"');
            ++pos_;
            continue;
        }
        break;
    }
    if (pos_ < data_.size()) {
        const char c = data_[pos_];
        if (c != ',' && c != '\n' && c != '\r')
            fail(line_, fieldNumber,
                 QStringLiteral("text after the closing quote (write a quote inside quoted "
                                "text as two quotes)"));
    }
}

bool IsValidUtf8(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p < end) {
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int extra;
        unsigned int codePoint;
        if ((c & 0xE0) == 0xC0) {
            extra = 1;
            codePoint = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
            codePoint = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3;
            codePoint = c & 0x07;
        } else {
            return false;
        }
        if (end - p <= extra) return false;
        for (int i = 1; i <= extra; ++i) {
            if ((p[i] & 0xC0) != 0x80) return false;
            codePoint = (codePoint << 6) | (p[i] & 0x3F);
        }
        // Overlong forms, surrogates and values beyond Unicode are not UTF-8.
        static constexpr unsigned int kSmallest[] = {0, 0x80, 0x800, 0x10000};
        if (codePoint < kSmallest[extra] || codePoint > 0x10FFFF ||
            (codePoint >= 0xD800 && codePoint <= 0xDFFF))
            return false;
        p += extra + 1;
    }
    return true;
}

}  // namespace tool
