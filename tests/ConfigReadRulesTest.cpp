#include <gtest/gtest.h>

#include <QVariant>
#include <functional>
#include <ostream>

#include "config/ConfigError.h"
#include "config/ConfigQuery.h"
#include "config/ReadRules.h"
#include "db/Schema.h"

namespace {

const QString kWhere = QStringLiteral("Version 'A' in tblSetup");

// What a read gives: a number, or the text of the ConfigError it raised.
using Read = std::function<double(const QVariant&)>;

std::string Outcome(const Read& read, const QVariant& value) {
    try {
        return QString::number(read(value), 'g', 15).toStdString();
    } catch (const ConfigError& error) {
        return error.message().toStdString();
    }
}

const Read kInt16 = [](const QVariant& v) {
    return config::ReadInt16(v, QStringLiteral("numMarks"), kWhere);
};
const Read kInt32 = [](const QVariant& v) {
    return config::ReadInt32(v, QStringLiteral("MaxTrial"), kWhere);
};
const Read kDouble = [](const QVariant& v) {
    return config::ReadDouble(v, QStringLiteral("BaseMoney"), kWhere);
};

struct NumberCase {
    const char* name;
    const Read* read;
    QVariant value;
    const char* expected;
};

std::ostream& operator<<(std::ostream& out, const NumberCase& c) {
    return out << c.name;
}

class NumberReadTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(NumberReadTest, GivesTheValueOrNamesTheProblem) {
    const NumberCase& c = GetParam();
    EXPECT_EQ(Outcome(*c.read, c.value), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, NumberReadTest,
    ::testing::Values(
        NumberCase{"HalfDownToEven", &kInt32, 30.5, "30"},
        NumberCase{"HalfUpToEven", &kInt32, 31.5, "32"},
        NumberCase{"NegativeHalfToEven", &kInt32, -2.5, "-2"},
        NumberCase{"WholeInteger", &kInt32, QVariant(qlonglong(7)), "7"},
        NumberCase{"NumericText", &kInt32, QStringLiteral("12.5"), "12"},
        NumberCase{"Int16Top", &kInt16, 32767, "32767"},
        NumberCase{"Int16Bottom", &kInt16, -32768.4, "-32768"},
        NumberCase{
            "Int16TooLarge", &kInt16, 40000,
            "Version 'A' in tblSetup: numMarks is 40000, outside the range -32768 to 32767."},
        NumberCase{"Int16HalfRoundsOut", &kInt16, 32767.5,
                   "Version 'A' in tblSetup: numMarks is 32767.5, outside the range -32768 to "
                   "32767."},
        NumberCase{"Int32TooLarge", &kInt32, 3e9,
                   "Version 'A' in tblSetup: MaxTrial is 3000000000, outside the range "
                   "-2147483648 to 2147483647."},
        NumberCase{"NullInteger", &kInt32, QVariant(),
                   "Version 'A' in tblSetup: MaxTrial is empty; it must hold a number."},
        NumberCase{"NullDouble", &kDouble, QVariant(),
                   "Version 'A' in tblSetup: BaseMoney is empty; it must hold a number."},
        NumberCase{"TextDouble", &kDouble, QStringLiteral("five"),
                   "Version 'A' in tblSetup: BaseMoney holds 'five', which is not a number."},
        NumberCase{"EmptyTextDouble", &kDouble, QString(""),
                   "Version 'A' in tblSetup: BaseMoney holds '', which is not a number."},
        NumberCase{"Double", &kDouble, 2.75, "2.75"}),
    [](const auto& info) { return std::string(info.param.name); });

struct BooleanCase {
    QVariant value;
    bool expected;
};

std::ostream& operator<<(std::ostream& out, const BooleanCase& c) {
    return out << c.value.toString().toStdString();
}

class BooleanReadTest : public ::testing::TestWithParam<BooleanCase> {};

TEST_P(BooleanReadTest, IsTrueOnlyForMinusOne) {
    EXPECT_EQ(db::IsTrue(GetParam().value), GetParam().expected)
        << GetParam().value.toString().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Rules, BooleanReadTest,
                         ::testing::Values(BooleanCase{QVariant(qlonglong(-1)), true},
                                           BooleanCase{-1.0, true}, BooleanCase{1, false},
                                           BooleanCase{0, false}, BooleanCase{QVariant(), false},
                                           BooleanCase{QStringLiteral("yes"), false}));

TEST(TextReadTest, NullAndEmptyGiveEmptyText) {
    EXPECT_EQ(config::ReadText(QVariant()), QString());
    EXPECT_EQ(config::ReadText(QString("")), QString());
    EXPECT_EQ(config::ReadText(QStringLiteral("Gallons")), QStringLiteral("Gallons"));
    EXPECT_EQ(config::ReadText(QVariant(qlonglong(250))), QStringLiteral("250"));
}

TEST(DatabaseProblemTest, AnErrorPassedOnByTheTableAccessNamesWhatWasLoading) {
    try {
        config::ReportingDatabaseErrors(kWhere, []() -> int {
            throw db::Error(db::errors::EngineFailure, QStringLiteral("disk I/O error"));
        });
        FAIL() << "the database error was swallowed";
    } catch (const ConfigError& error) {
        EXPECT_EQ(error.message(),
                  "Version 'A' in tblSetup: the database reported error 3146 (disk I/O error).");
    }
}

TEST(DatabaseProblemTest, ALoadThatSucceedsGivesItsResult) {
    EXPECT_EQ(config::ReportingDatabaseErrors(kWhere, [] { return 42; }), 42);
}

}  // namespace
