#pragma once
// RFC 4180 CSV: a fast buffered writer that takes raw UTF-8 text, and a reader that keeps
// track of lines so that every error can name its line and column.

#include <QString>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

class QIODevice;

namespace tool {

class CsvWriter {
  public:
    // out must be open for writing and outlive the writer.
    explicit CsvWriter(QIODevice& out);
    CsvWriter(const CsvWriter&) = delete;
    CsvWriter& operator=(const CsvWriter&) = delete;

    // An empty cell: no value.
    void null();
    // A text cell, quoted when it holds a comma, a quote or a line break, or when it is
    // empty (so that an empty text stays apart from no value).
    void text(std::string_view utf8);
    void text(const QString& value);
    void number(long long value);
    // The shortest text that reads back as exactly the same double.
    void number(double value);
    // A cell the caller knows needs no quoting.
    void plain(std::string_view ascii);
    // Ends the row with CRLF.
    void endRow();
    // A whole row of column names the caller knows need no quoting.
    void header(std::initializer_list<std::string_view> names);
    // Writes what is buffered; throws ToolError when the device refuses.
    void flush();

  private:
    void separate() {
        if (cellsInRow_++ > 0) buffer_.push_back(',');
    }
    void flushIfFull() {
        if (buffer_.size() >= kFlushSize) flush();
    }

    static constexpr std::size_t kFlushSize = 1 << 20;
    QIODevice& out_;
    std::string buffer_;
    int cellsInRow_ = 0;
};

struct CsvField {
    std::string value;
    bool quoted = false;  // "" is an empty text; an empty unquoted field is no value
};

class CsvReader {
  public:
    // data must outlive the reader; a UTF-8 byte order mark at its start is skipped.
    // sourceName goes into error messages ("FILE:LINE: ...").
    CsvReader(std::string_view data, QString sourceName);

    // Reads the next record; false at the end of the data. Blank lines are skipped.
    // Throws ToolError naming the line for malformed quoting.
    bool next(std::vector<CsvField>& record);
    // The line on which the last record read began (1-based).
    long long line() const { return recordLine_; }
    std::size_t bytesRead() const { return pos_; }

  private:
    [[noreturn]] void fail(long long line, std::size_t field, const QString& what) const;
    void readQuoted(CsvField& field, std::size_t fieldNumber);
    void readPlain(CsvField& field);

    std::string_view data_;
    QString sourceName_;
    std::size_t pos_ = 0;
    long long line_ = 1;
    long long recordLine_ = 0;
};

// True when the bytes are well-formed UTF-8.
bool IsValidUtf8(std::string_view bytes);

}  // namespace tool
