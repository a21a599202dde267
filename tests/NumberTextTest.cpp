#include <gtest/gtest.h>

#include <ostream>

#include "runtime/NumberText.h"
#include "runtime/RuntimeError.h"

namespace {

struct PatternCase {
    double value;
    const char* pattern;
    const char* expected;
};

std::ostream& operator<<(std::ostream& out, const PatternCase& c) {
    return out << c.value << " as " << c.pattern;
}

class FormatNumberTest : public ::testing::TestWithParam<PatternCase> {};

TEST_P(FormatNumberTest, WritesThePattern) {
    const PatternCase& c = GetParam();
    EXPECT_EQ(runtime::FormatNumber(c.value, QString::fromLatin1(c.pattern)).toStdString(),
              c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, FormatNumberTest,
    ::testing::Values(PatternCase{12.0, "00.00", "12.00"}, PatternCase{13, "00.00", "13.00"},
                      PatternCase{7, "00.00", "07.00"}, PatternCase{-3, "00.00", "-03.00"},
                      PatternCase{5, "00.000", "05.000"}, PatternCase{12.3456, "00.000", "12.346"},
                      PatternCase{-2.5, "00.000", "-02.500"}, PatternCase{600, "00.000", "600.000"},
                      PatternCase{-3, "00.000", "-03.000"}, PatternCase{14.5, "00.000", "14.500"},
                      PatternCase{2.5, "00", "03"}, PatternCase{-2.5, "00", "-03"},
                      PatternCase{0.4, "00", "00"}, PatternCase{-0.4, "00", "00"},
                      PatternCase{120, "00", "120"}, PatternCase{2.675, "0.00", "2.68"},
                      PatternCase{1.0625, "0.000", "1.063"},
                      PatternCase{0.0005, "00.000", "00.001"},
                      PatternCase{9.9995, "00.000", "10.000"}, PatternCase{0, "00.000", "00.000"}));

struct PlainCase {
    double value;
    const char* expected;
};

std::ostream& operator<<(std::ostream& out, const PlainCase& c) {
    return out << c.value;
}

class PlainTest : public ::testing::TestWithParam<PlainCase> {};

TEST_P(PlainTest, WritesTheGeneralForm) {
    EXPECT_EQ(runtime::Plain(GetParam().value).toStdString(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Values, PlainTest,
                         ::testing::Values(PlainCase{2.5, "2.5"}, PlainCase{10, "10"},
                                           PlainCase{0.1 + 0.2, ".3"}, PlainCase{0.5, ".5"},
                                           PlainCase{-0.5, "-.5"}, PlainCase{120, "120"},
                                           PlainCase{0, "0"}, PlainCase{20, "20"},
                                           PlainCase{-3, "-3"}));

struct LeadingCase {
    const char* text;
    double expected;
};

std::ostream& operator<<(std::ostream& out, const LeadingCase& c) {
    return out << '"' << c.text << '"';
}

class LeadingNumberTest : public ::testing::TestWithParam<LeadingCase> {};

TEST_P(LeadingNumberTest, ReadsTheNumberAtTheStart) {
    EXPECT_DOUBLE_EQ(runtime::LeadingNumber(QString::fromUtf8(GetParam().text)),
                     GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Texts, LeadingNumberTest,
                         ::testing::Values(LeadingCase{"250 Gallons", 250}, LeadingCase{"  42", 42},
                                           LeadingCase{"abc", 0}, LeadingCase{"", 0},
                                           LeadingCase{"2.5.1", 2.5}, LeadingCase{"-7x", -7},
                                           LeadingCase{".5", 0.5}, LeadingCase{"1e3 m", 1000},
                                           LeadingCase{"12e", 12}, LeadingCase{"3,5", 3}));

struct WholeCase {
    double value;
    int expected;
};

std::ostream& operator<<(std::ostream& out, const WholeCase& c) {
    return out << c.value;
}

class RoundHalfEvenTest : public ::testing::TestWithParam<WholeCase> {};

TEST_P(RoundHalfEvenTest, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(runtime::ToInt32(GetParam().value), GetParam().expected);
    EXPECT_EQ(runtime::ToInt16(GetParam().value), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Values, RoundHalfEvenTest,
                         ::testing::Values(WholeCase{2.5, 2}, WholeCase{3.5, 4},
                                           WholeCase{30.5, 30}, WholeCase{31.5, 32},
                                           WholeCase{-2.5, -2}, WholeCase{2.4999, 2},
                                           WholeCase{2.5001, 3}));

TEST(WholeNumberTest, OutOfRangeIsAnOverflowError) {
    try {
        runtime::ToInt16(40000);
        FAIL() << "no error";
    } catch (const runtime::RuntimeError& error) {
        EXPECT_EQ(error.number(), 6);
    }
    EXPECT_EQ(runtime::ToInt16(32767), 32767);
    EXPECT_THROW(runtime::ToInt32(3e9), runtime::RuntimeError);
}

}  // namespace
