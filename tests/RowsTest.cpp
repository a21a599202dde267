// The typed helpers on a real experiment database: rows of a query found by column name, and
// one row of a table whose values are stored as its columns keep them.
#include <gtest/gtest.h>

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <ostream>

#include "db/Engine.h"
#include "db/Rows.h"
#include "tests/support/EngineErrors.h"
#include "tests/support/TempDatabase.h"

namespace {

class RowsTest : public ::testing::Test {
  protected:
    db::Connection open() const {
        return db::Connection(file.path(), db::DatabasePassword(), db::OpenMode::ReadWrite);
    }
    // Column values of every row of a query, in row order.
    std::vector<QVariant> column(const db::Query& query, const QString& name) const {
        db::Connection connection = open();
        db::Rows rows(connection, query);
        std::vector<QVariant> values;
        for (; !rows.atEnd(); rows.next()) values.push_back(rows.value(name));
        return values;
    }
    // Inserts one row of table with the column set to value; the value as stored.
    QVariant storedAs(const QString& table, const QString& name, const QVariant& value) const {
        db::Connection connection = open();
        connection.execute(QStringLiteral("DELETE FROM %1").arg(table));
        db::TableRow row(connection, table);
        row.set(name, value);
        row.insert();
        const auto values = column(QStringLiteral("SELECT %1 FROM %2").arg(name, table), name);
        return values.size() == 1 ? values[0]
                                  : QVariant(QStringLiteral("rows: %1").arg(values.size()));
    }
    void addSubject(const QString& subject, double age) const {
        db::Connection connection = open();
        db::TableRow row(connection, QStringLiteral("datSubject"));
        row.set(QStringLiteral("Subject"), subject);
        row.set(QStringLiteral("Version"), QStringLiteral("A"));
        row.set(QStringLiteral("Age"), age);
        row.insert();
    }
    TempDatabase file;
};

TEST_F(RowsTest, ColumnNamesMatchWithoutRegardToCase) {
    addSubject(QStringLiteral("Ann"), 30);
    db::Connection connection = open();
    const db::Rows rows(connection, QStringLiteral("select subject, AGE from DatSubject"));
    EXPECT_EQ(rows.value(QStringLiteral("SUBJECT")).toString(), QStringLiteral("Ann"));
    EXPECT_EQ(rows.value(QStringLiteral("age")).toDouble(), 30.0);
    EXPECT_TRUE(rows.has(QStringLiteral("Subject")));
    EXPECT_FALSE(rows.has(QStringLiteral("Major")));
    EXPECT_EQ(ErrorNumber([&] { rows.value(QStringLiteral("Major")); }), db::errors::ItemNotFound);
}

TEST_F(RowsTest, AnEmptyResultIsAtItsEndAtOnceAndHasNoCurrentRow) {
    db::Connection connection = open();
    db::Rows rows(connection, QStringLiteral("select * from datSubject"));
    EXPECT_TRUE(rows.atEnd());
    EXPECT_EQ(rows.count(), 0u);
    EXPECT_EQ(ErrorNumber([&] { rows.value(QStringLiteral("Subject")); }),
              db::errors::NoCurrentRecord);
    EXPECT_EQ(ErrorNumber([&] { rows.next(); }), db::errors::NoCurrentRecord);
}

TEST_F(RowsTest, RowsAreReadWholeSoNoLockStaysHeld) {
    for (int i = 0; i < 3; ++i) addSubject(QStringLiteral("S%1").arg(i), i);
    db::Connection connection = open();
    db::Rows rows(connection, QStringLiteral("select * from datSubject"));
    // Another connection writes while the rows are still being gone through.
    db::Connection other = open();
    db::Transaction write(other);
    other.execute(QStringLiteral("DELETE FROM datSubject"));
    write.commit();
    EXPECT_EQ(rows.count(), 3u);
    QStringList subjects;
    for (; !rows.atEnd(); rows.next()) subjects << rows.value(QStringLiteral("subject")).toString();
    EXPECT_EQ(subjects, (QStringList{"S0", "S1", "S2"}));
}

TEST_F(RowsTest, ParametersAreBoundInOrder) {
    addSubject(QStringLiteral("O'Brien"), 40);
    addSubject(QStringLiteral("Ann"), 30);
    const auto ages = column({QStringLiteral("select Age from datSubject where Subject=? and "
                                             "Version=?"),
                              {QStringLiteral("o'brien"), QStringLiteral("A")}},
                             QStringLiteral("Age"));
    ASSERT_EQ(ages.size(), 1u);
    EXPECT_EQ(ages[0].toDouble(), 40.0);
}

struct StoredCase {
    const char* name;
    const char* table;
    const char* column;
    QVariant written;
    QVariant stored;
};

std::ostream& operator<<(std::ostream& out, const StoredCase& c) {
    return out << c.name;
}

class StoredValueTest : public RowsTest, public ::testing::WithParamInterface<StoredCase> {};

TEST_P(StoredValueTest, IsWhatTheColumnKeeps) {
    const StoredCase& c = GetParam();
    const QVariant stored =
        storedAs(QString::fromLatin1(c.table), QString::fromLatin1(c.column), c.written);
    EXPECT_EQ(stored.toString(), c.stored.toString());
    if (c.stored.typeId() == QMetaType::LongLong) EXPECT_EQ(stored.typeId(), QMetaType::LongLong);
}

const StoredCase kStored[] = {
    {"YesNoTrue", "datExperimentTrials", "isuserinflow", true, qlonglong(-1)},
    {"YesNoFalse", "datExperimentTrials", "IsUserInFlow", false, qlonglong(0)},
    {"YesNoOne", "datExperimentTrials", "IsUserInFlow", 1, qlonglong(-1)},
    {"YesNoSeven", "datExperimentTrials", "IsUserInFlow", 7, qlonglong(-1)},
    {"YesNoHalf", "datExperimentTrials", "IsUserInFlow", 0.5, qlonglong(-1)},
    {"YesNoZero", "datExperimentTrials", "IsUserInFlow", 0, qlonglong(0)},
    {"YesNoTrueText", "datExperimentTrials", "IsUserInFlow", QStringLiteral("True"), qlonglong(-1)},
    {"YesNoZeroText", "datExperimentTrials", "IsUserInFlow", QStringLiteral("0"), qlonglong(0)},
    {"YesNoNull", "datExperimentTrials", "IsUserInFlow", QVariant(), qlonglong(0)},
    {"WholeHalfDown", "datUserTimesSummary", "Trial", 30.5, qlonglong(30)},
    {"WholeHalfUp", "datUserTimesSummary", "Trial", 31.5, qlonglong(32)},
    {"WholeNegativeHalf", "datUserTimesSummary", "Trial", -2.5, qlonglong(-2)},
    {"WholeFromText", "datUserTimesSummary", "Trial", QStringLiteral("12"), qlonglong(12)},
    {"Date", "datTrialSummary", "Date", QDate(2025, 3, 4), QStringLiteral("2025-03-04")},
    {"Time", "datTrialSummary", "startTime", QTime(13, 4, 5), QStringLiteral("13:04:05")},
    {"TimeOfADateTime", "datTrialSummary", "endTime",
     QDateTime(QDate(1899, 12, 30), QTime(0, 0, 0)), QStringLiteral("00:00:00")},
};

INSTANTIATE_TEST_SUITE_P(Written, StoredValueTest, ::testing::ValuesIn(kStored),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RowsTest, AnUnsetYesNoColumnStoresFalse) {
    EXPECT_EQ(storedAs(QStringLiteral("datTrialSummary"), QStringLiteral("Trial"), 1).toInt(), 1);
    EXPECT_EQ(column(QStringLiteral("SELECT graphicalMode FROM datTrialSummary"),
                     QStringLiteral("graphicalMode"))[0]
                  .toLongLong(),
              0);
}

TEST_F(RowsTest, ValuesAColumnCannotHoldAndUnknownNamesAreRefused) {
    db::Connection connection = open();
    db::TableRow row(connection, QStringLiteral("datUserTimesSummary"));
    EXPECT_EQ(ErrorNumber([&] { row.set(QStringLiteral("Trial"), 3e9); }), db::errors::Overflow);
    EXPECT_EQ(ErrorNumber([&] { row.set(QStringLiteral("Trial"), QStringLiteral("seven")); }),
              db::errors::DataTypeConversion);
    EXPECT_EQ(ErrorNumber([&] { row.set(QStringLiteral("Shoe"), 1); }), db::errors::ItemNotFound);
    EXPECT_FALSE(row.has(QStringLiteral("Shoe")));
    EXPECT_TRUE(row.has(QStringLiteral("trial")));
    EXPECT_EQ(ErrorNumber([&] { db::TableRow(connection, QStringLiteral("datNothing")); }),
              db::errors::TableNotFound);
}

TEST_F(RowsTest, UpdateFirstChangesOnlyTheFirstRowSelectedAndTellsWhetherOneWas) {
    for (int i = 0; i < 3; ++i) addSubject(QStringLiteral("Twin"), 20);
    db::Connection connection = open();
    db::TableRow row(connection, QStringLiteral("datSubject"));
    row.set(QStringLiteral("Age"), 21);
    EXPECT_TRUE(row.updateFirst(QStringLiteral("Subject=?"), {QStringLiteral("twin")}));
    EXPECT_FALSE(row.updateFirst(QStringLiteral("Subject=?"), {QStringLiteral("Nobody")}));
    const auto ages = column(QStringLiteral("select Age from datSubject"), QStringLiteral("Age"));
    ASSERT_EQ(ages.size(), 3u);
    EXPECT_EQ(ages[0].toDouble(), 21.0);
    EXPECT_EQ(ages[1].toDouble(), 20.0);
    EXPECT_EQ(ages[2].toDouble(), 20.0);
}

TEST_F(RowsTest, DelaySegmentsComeBackInTheOrderTheyWereStored) {
    file.execute(
        QStringLiteral("INSERT INTO tblDelayScenarios (DelayScenario, inflowDelayValue) VALUES "
                       "(2, 9), (1, 5), (2, 3), (1, 4), (2, 7)"));
    const auto values =
        column(QStringLiteral("Select * from tblDelayScenarios where DelayScenario=2;"),
               QStringLiteral("inflowDelayValue"));
    ASSERT_EQ(values.size(), 3u);
    EXPECT_EQ(values[0].toDouble(), 9.0);
    EXPECT_EQ(values[1].toDouble(), 3.0);
    EXPECT_EQ(values[2].toDouble(), 7.0);
}

}  // namespace
