// The CSV writer and reader: quoting that survives every kind of text, lines named in errors.
#include <gtest/gtest.h>

#include <QBuffer>
#include <ostream>

#include "tool/common/Csv.h"
#include "tool/common/ToolError.h"

namespace {

using tool::CsvField;
using tool::CsvReader;
using tool::CsvWriter;

std::string Written(const std::function<void(CsvWriter&)>& write) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    CsvWriter writer(buffer);
    write(writer);
    writer.flush();
    return bytes.toStdString();
}

std::vector<std::vector<CsvField>> ReadAll(std::string_view csv) {
    CsvReader reader(csv, QStringLiteral("test.csv"));
    std::vector<std::vector<CsvField>> records;
    std::vector<CsvField> record;
    while (reader.next(record)) records.push_back(record);
    return records;
}

QString ReadError(std::string_view csv) {
    try {
        ReadAll(csv);
    } catch (const tool::ToolError& error) {
        return error.message();
    }
    return QString();
}

struct TextCase {
    std::string text;
    std::string cell;  // as written
};

// Line breaks shown as escapes, so that each case stays on one line of the test list.
std::ostream& operator<<(std::ostream& out, const TextCase& c) {
    for (const char ch : c.text) {
        if (ch == '\n') {
            out << "\\n";
        } else if (ch == '\r') {
            out << "\\r";
        } else {
            out << ch;
        }
    }
    return out;
}

class CsvTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(CsvTextTest, TextIsWrittenAsExpectedAndReadsBackUnchanged) {
    const TextCase& c = GetParam();
    const std::string csv = Written([&](CsvWriter& w) {
        w.text(c.text);
        w.number(7LL);
        w.endRow();
    });
    EXPECT_EQ(csv, c.cell + ",7\r\n");
    const auto records = ReadAll(csv);
    ASSERT_EQ(records.size(), 1u);
    ASSERT_EQ(records[0].size(), 2u);
    EXPECT_EQ(records[0][0].value, c.text);
    EXPECT_TRUE(records[0][0].quoted || !c.text.empty());
}

INSTANTIATE_TEST_SUITE_P(Texts, CsvTextTest,
                         ::testing::Values(TextCase{"plain", "plain"}, TextCase{"Müller", "Müller"},
                                           TextCase{"O'Brien", "O'Brien"},
                                           TextCase{"a, b", "\"a, b\""},
                                           TextCase{"say \"hi\"", "\"say \"\"hi\"\"\""},
                                           TextCase{"two\nlines", "\"two\nlines\""},
                                           TextCase{"crlf\r\ninside", "\"crlf\r\ninside\""},
                                           TextCase{"", "\"\""}, TextCase{" spaced ", " spaced "},
                                           TextCase{"日本語, ünïcödé", "\"日本語, ünïcödé\""}));

TEST(CsvWriterTest, NoValueIsAnEmptyUnquotedCell) {
    const std::string csv = Written([](CsvWriter& w) {
        w.null();
        w.text(std::string_view());
        w.null();
        w.endRow();
    });
    EXPECT_EQ(csv, ",\"\",\r\n");
    const auto records = ReadAll(csv);
    ASSERT_EQ(records[0].size(), 3u);
    EXPECT_FALSE(records[0][0].quoted);
    EXPECT_TRUE(records[0][1].quoted);
    EXPECT_FALSE(records[0][2].quoted);
}

TEST(CsvWriterTest, DoublesAreWrittenShortestAndReadBackExactly) {
    const double values[] = {0.1, 1.0 / 3, -2.5, 1e20, 5.0, 123456789.125, -0.0};
    const std::string csv = Written([&](CsvWriter& w) {
        for (double v : values) w.number(v);
        w.endRow();
    });
    EXPECT_EQ(csv, "0.1,0.3333333333333333,-2.5,1e+20,5,123456789.125,-0\r\n");
    const auto records = ReadAll(csv);
    for (std::size_t i = 0; i < std::size(values); ++i)
        EXPECT_EQ(std::stod(records[0][i].value), values[i]);
}

TEST(CsvWriterTest, LargeOutputIsWrittenCompletely) {
    const std::string csv = Written([](CsvWriter& w) {
        for (long long i = 0; i < 200000; ++i) {
            w.number(i);
            w.text(std::string_view("some text, quoted"));
            w.endRow();
        }
    });
    const auto records = ReadAll(csv);
    ASSERT_EQ(records.size(), 200000u);
    EXPECT_EQ(records.back()[0].value, "199999");
    EXPECT_EQ(records.back()[1].value, "some text, quoted");
}

TEST(CsvReaderTest, LineEndsOfEveryKindAndBlankLinesAndAByteOrderMark) {
    const auto records = ReadAll(
        "\xEF\xBB\xBF"
        "a,b\r\n1,2\n\n3,4\r5,6");
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0][0].value, "a");
    EXPECT_EQ(records[2][1].value, "4");
    EXPECT_EQ(records[3][1].value, "6");
}

TEST(CsvReaderTest, ATrailingCommaIsAnEmptyLastCell) {
    const auto records = ReadAll("a,\n");
    ASSERT_EQ(records.size(), 1u);
    ASSERT_EQ(records[0].size(), 2u);
    EXPECT_EQ(records[0][1].value, "");
}

TEST(CsvReaderTest, RecordsKnowTheLineTheyBeganOn) {
    CsvReader reader("h1,h2\n\"multi\nline\",x\n\nlast,y\n", QStringLiteral("f.csv"));
    std::vector<CsvField> record;
    std::vector<long long> lines;
    while (reader.next(record)) lines.push_back(reader.line());
    EXPECT_EQ(lines, (std::vector<long long>{1, 2, 5}));
}

TEST(CsvReaderTest, MalformedQuotingNamesFileLineAndColumn) {
    EXPECT_EQ(
        ReadError("a,b\n1,\"open\n2,3\n"),
        QStringLiteral("test.csv:2: column 2: the quote opened on this line is never closed"));
    EXPECT_TRUE(
        ReadError("a,b\n1,2\n\"x\"y,3\n")
            .startsWith(QStringLiteral("test.csv:3: column 1: text after the closing quote")));
}

TEST(CsvReaderTest, AQuoteInsideAnUnquotedCellIsKept) {
    const auto records = ReadAll("5\" pipe,x\n");
    EXPECT_EQ(records[0][0].value, "5\" pipe");
}

TEST(Utf8Test, WellFormedAndMalformedBytes) {
    EXPECT_TRUE(tool::IsValidUtf8("Müller O'Brien 日本 😀"));
    EXPECT_FALSE(tool::IsValidUtf8("M\xFCller"));     // Latin-1 ü
    EXPECT_FALSE(tool::IsValidUtf8("\xC3"));          // cut short
    EXPECT_FALSE(tool::IsValidUtf8("\xC0\xAF"));      // overlong
    EXPECT_FALSE(tool::IsValidUtf8("\xED\xA0\x80"));  // surrogate
}

}  // namespace
