// Recordsets on a real experiment database: field look-up, yes/no columns, snapshots and
// dynasets, AddNew/Edit/Update, navigation and their errors.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>

#include "access/TableAccess.h"
#include "db/Dao.h"
#include "tests/support/EngineErrors.h"
#include "tests/support/TempDatabase.h"

namespace {

using db::dbOpenDynaset;
using db::dbOpenSnapshot;

class DaoTest : public ::testing::Test {
  protected:
    std::shared_ptr<db::Database> open(bool readOnly = false) {
        return db::DefaultWorkspace()->OpenDatabase(
            file.path(), false, readOnly, QStringLiteral(";pwd=") + db::DatabasePassword());
    }
    // Column values of every row of a query, in row order.
    std::vector<QVariant> column(const QString& sql, const QString& name) {
        auto database = open(true);
        auto rows = database->OpenRecordset(sql, dbOpenSnapshot);
        std::vector<QVariant> values;
        for (; !rows->Eof(); rows->MoveNext()) values.push_back(rows->Field(name));
        return values;
    }
    void addSubject(const QString& subject, double age) {
        auto database = open();
        auto rows = database->OpenRecordset(QStringLiteral("datSubject"), dbOpenDynaset);
        rows->AddNew();
        rows->SetField(QStringLiteral("Subject"), subject);
        rows->SetField(QStringLiteral("Version"), QStringLiteral("A"));
        rows->SetField(QStringLiteral("Age"), age);
        rows->Update();
    }
    TempDatabase file;
};

TEST_F(DaoTest, FieldNamesMatchWithoutRegardToCase) {
    addSubject(QStringLiteral("Ann"), 30);
    auto database = open(true);
    auto rows = database->OpenRecordset(QStringLiteral("select subject, AGE from DatSubject"),
                                        dbOpenSnapshot);
    EXPECT_EQ(rows->Field(QStringLiteral("SUBJECT")).toString(), QStringLiteral("Ann"));
    EXPECT_EQ((*rows)[QStringLiteral("Subject")].toString(), QStringLiteral("Ann"));
    EXPECT_EQ(rows->Field(QStringLiteral("age")).toDouble(), 30.0);
    EXPECT_EQ(ErrorNumber([&] { rows->Field(QStringLiteral("Major")); }), db::errors::ItemNotFound);
}

struct BooleanCase {
    QVariant written;
    qlonglong stored;
};

std::ostream& operator<<(std::ostream& out, const BooleanCase& c) {
    return out << c.written.toString().toStdString();
}

class BooleanColumnTest : public DaoTest, public ::testing::WithParamInterface<BooleanCase> {};

TEST_P(BooleanColumnTest, AnyNonZeroIsStoredAsMinusOne) {
    {
        auto database = open();
        auto rows = database->OpenRecordset(QStringLiteral("datExperimentTrials"), dbOpenDynaset);
        rows->AddNew();
        rows->SetField(QStringLiteral("isuserinflow"), GetParam().written);
        EXPECT_EQ(rows->Field(QStringLiteral("IsUserInFlow")).toLongLong(), GetParam().stored);
        rows->Update();
    }
    const auto values = column(QStringLiteral("SELECT IsUserInFlow FROM datExperimentTrials"),
                               QStringLiteral("IsUserInFlow"));
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0].typeId(), QMetaType::LongLong);
    EXPECT_EQ(values[0].toLongLong(), GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(
    Written, BooleanColumnTest,
    ::testing::Values(BooleanCase{true, -1}, BooleanCase{false, 0}, BooleanCase{1, -1},
                      BooleanCase{-1, -1}, BooleanCase{7, -1}, BooleanCase{0.5, -1},
                      BooleanCase{0, 0}, BooleanCase{QStringLiteral("True"), -1},
                      BooleanCase{QStringLiteral("0"), 0}, BooleanCase{QVariant(), 0}));

TEST_F(DaoTest, AnUnassignedYesNoColumnReadsFalse) {
    {
        auto database = open();
        auto rows = database->OpenRecordset(QStringLiteral("datTrialSummary"), dbOpenDynaset);
        rows->AddNew();
        rows->SetField(QStringLiteral("Trial"), 1);
        rows->Update();
    }
    const auto values = column(QStringLiteral("SELECT graphicalMode FROM datTrialSummary"),
                               QStringLiteral("graphicalMode"));
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0].toLongLong(), 0);
}

TEST_F(DaoTest, IntegerColumnsRoundHalfToEvenAndRefuseOverflow) {
    auto database = open();
    auto rows = database->OpenRecordset(QStringLiteral("datUserTimesSummary"), dbOpenDynaset);
    rows->AddNew();
    for (const auto& [written, stored] : std::vector<std::pair<QVariant, qlonglong>>{
             {30.5, 30}, {31.5, 32}, {-2.5, -2}, {QStringLiteral("12"), 12}, {7, 7}}) {
        rows->SetField(QStringLiteral("Trial"), written);
        EXPECT_EQ(rows->Field(QStringLiteral("Trial")).toLongLong(), stored)
            << written.toString().toStdString();
    }
    EXPECT_EQ(ErrorNumber([&] { rows->SetField(QStringLiteral("Trial"), 3e9); }),
              db::errors::Overflow);
    EXPECT_EQ(
        ErrorNumber([&] { rows->SetField(QStringLiteral("Trial"), QStringLiteral("seven")); }),
        db::errors::DataTypeConversion);
}

TEST_F(DaoTest, ASnapshotCanNeverWrite) {
    addSubject(QStringLiteral("Ann"), 30);
    for (bool readOnlyDatabase : {false, true}) {
        auto database = open(readOnlyDatabase);
        for (const auto type : {dbOpenSnapshot, dbOpenDynaset}) {
            if (type == dbOpenDynaset && !readOnlyDatabase) continue;
            auto rows = database->OpenRecordset(QStringLiteral("select * from datSubject"), type);
            EXPECT_FALSE(rows->Updatable());
            EXPECT_EQ(ErrorNumber([&] { rows->AddNew(); }), db::errors::ReadOnlyObject);
            EXPECT_EQ(ErrorNumber([&] { rows->Edit(); }), db::errors::ReadOnlyObject);
        }
    }
    EXPECT_EQ(column(QStringLiteral("select * from datSubject"), QStringLiteral("Age")).size(), 1u);
}

TEST_F(DaoTest, EditChangesExactlyTheCurrentRowEvenAmongEqualRows) {
    for (int i = 0; i < 3; ++i) addSubject(QStringLiteral("Twin"), 20);
    {
        auto database = open();
        auto rows =
            database->OpenRecordset(QStringLiteral("select * from datSubject where Subject=") +
                                        SqlText(QStringLiteral("twin")),
                                    dbOpenDynaset);
        ASSERT_TRUE(rows->Updatable());
        rows->MoveNext();
        rows->Edit();
        rows->SetField(QStringLiteral("Age"), 21);
        rows->Update();
        EXPECT_EQ(rows->Field(QStringLiteral("Age")).toDouble(), 21.0);
    }
    const auto ages = column(QStringLiteral("select Age from datSubject"), QStringLiteral("Age"));
    ASSERT_EQ(ages.size(), 3u);
    EXPECT_EQ(ages[0].toDouble(), 20.0);
    EXPECT_EQ(ages[1].toDouble(), 21.0);
    EXPECT_EQ(ages[2].toDouble(), 20.0);
}

TEST_F(DaoTest, ARowDeletedByAnotherUserBetweenTwoEditsIsReported) {
    addSubject(QStringLiteral("Ann"), 30);
    auto database = open();
    auto rows = database->OpenRecordset(QStringLiteral("select * from datSubject"), dbOpenDynaset);
    rows->Edit();
    rows->SetField(QStringLiteral("Age"), 31);
    rows->Update();  // commits and lets other users in
    file.execute(QStringLiteral("DELETE FROM datSubject"));
    rows->Edit();
    rows->SetField(QStringLiteral("Age"), 32);
    EXPECT_EQ(ErrorNumber([&] { rows->Update(); }), db::errors::DataChanged);
    rows->Close();
    EXPECT_TRUE(column(QStringLiteral("select * from datSubject"), QStringLiteral("Age")).empty());
}

TEST_F(DaoTest, RecordCountIsTheRowsVisitedAndExactAfterMoveLast) {
    for (int i = 0; i < 4; ++i) addSubject(QStringLiteral("S%1").arg(i), i);
    for (const auto type : {dbOpenSnapshot, dbOpenDynaset}) {
        auto database = open();
        auto rows = database->OpenRecordset(QStringLiteral("select * from datSubject"), type);
        EXPECT_EQ(rows->RecordCount(), 1);
        rows->MoveNext();
        EXPECT_EQ(rows->RecordCount(), 2);
        rows->MoveLast();
        EXPECT_EQ(rows->RecordCount(), 4);
        EXPECT_EQ(rows->Field(QStringLiteral("Subject")).toString(), QStringLiteral("S3"));
        rows->MoveFirst();
        EXPECT_EQ(rows->Field(QStringLiteral("Subject")).toString(), QStringLiteral("S0"));
        EXPECT_EQ(rows->RecordCount(), 4);
    }
}

TEST_F(DaoTest, AnEmptyResultIsEofAtOnceAndHasNoCurrentRow) {
    auto database = open();
    for (const auto type : {dbOpenSnapshot, dbOpenDynaset}) {
        auto rows = database->OpenRecordset(QStringLiteral("select * from datSubject"), type);
        EXPECT_TRUE(rows->Eof());
        EXPECT_EQ(rows->RecordCount(), 0);
        EXPECT_EQ(ErrorNumber([&] { rows->Field(QStringLiteral("Subject")); }),
                  db::errors::NoCurrentRecord);
        EXPECT_EQ(ErrorNumber([&] { rows->MoveNext(); }), db::errors::NoCurrentRecord);
        EXPECT_EQ(ErrorNumber([&] { rows->MoveFirst(); }), db::errors::NoCurrentRecord);
        EXPECT_EQ(ErrorNumber([&] { rows->MoveLast(); }), db::errors::NoCurrentRecord);
        rows->Close();
    }
}

TEST_F(DaoTest, MisuseRaisesTheEngineNumbers) {
    addSubject(QStringLiteral("Ann"), 30);
    auto database = open();
    auto rows = database->OpenRecordset(QStringLiteral("datSubject"), dbOpenDynaset);
    EXPECT_EQ(ErrorNumber([&] { rows->Update(); }), db::errors::UpdateWithoutAddNewOrEdit);
    EXPECT_EQ(ErrorNumber([&] { rows->SetField(QStringLiteral("Age"), 1); }),
              db::errors::UpdateWithoutAddNewOrEdit);
    rows->AddNew();
    EXPECT_EQ(ErrorNumber([&] { rows->SetField(QStringLiteral("Shoe"), 1); }),
              db::errors::ItemNotFound);
    rows->Close();
    EXPECT_EQ(ErrorNumber([&] { rows->Eof(); }), db::errors::ObjectNotSet);
    EXPECT_EQ(ErrorNumber([&] { rows->AddNew(); }), db::errors::ObjectNotSet);
    database->Close();
    EXPECT_EQ(
        ErrorNumber([&] { database->OpenRecordset(QStringLiteral("datSubject"), dbOpenSnapshot); }),
        db::errors::ObjectNotSet);
    EXPECT_EQ(
        ErrorNumber([&] { database->OpenRecordset(QStringLiteral("datNothing"), dbOpenSnapshot); }),
        db::errors::ObjectNotSet);
    auto reopened = open();
    EXPECT_EQ(
        ErrorNumber([&] { reopened->OpenRecordset(QStringLiteral("datNothing"), dbOpenDynaset); }),
        db::errors::TableNotFound);
}

TEST_F(DaoTest, ARecordsetOutlivesItsDatabaseObject) {
    addSubject(QStringLiteral("Ann"), 30);
    std::unique_ptr<db::Recordset> rows;
    {
        auto database = open();
        rows = database->OpenRecordset(QStringLiteral("datSubject"), dbOpenDynaset);
        database->Close();
    }
    EXPECT_EQ(rows->Field(QStringLiteral("Subject")).toString(), QStringLiteral("Ann"));
    rows->AddNew();
    rows->SetField(QStringLiteral("Subject"), QStringLiteral("Bob"));
    rows->Update();
    rows->Close();
    EXPECT_EQ(column(QStringLiteral("select * from datSubject"), QStringLiteral("Subject")).size(),
              2u);
}

TEST_F(DaoTest, ADynasetHoldsTheWriteLockUntilItIsClosed) {
    auto first = open();
    auto writing = first->OpenRecordset(QStringLiteral("datSubject"), dbOpenDynaset);
    auto second = open();
    EXPECT_EQ(
        ErrorNumber([&] { second->OpenRecordset(QStringLiteral("datSubject"), dbOpenDynaset); }),
        db::errors::FileLockRefused);
    // Reading goes on meanwhile.
    EXPECT_NO_THROW(second->OpenRecordset(QStringLiteral("datSubject"), dbOpenSnapshot));
    writing->Close();
    EXPECT_NO_THROW(second->OpenRecordset(QStringLiteral("datSubject"), dbOpenDynaset));
}

TEST_F(DaoTest, DatesAndTimesAreStoredAsIsoText) {
    {
        auto database = open();
        auto rows = database->OpenRecordset(QStringLiteral("datTrialSummary"), dbOpenDynaset);
        rows->AddNew();
        rows->SetField(QStringLiteral("Date"), QDate(2025, 3, 4));
        rows->SetField(QStringLiteral("startTime"), QTime(13, 4, 5));
        rows->SetField(QStringLiteral("endTime"), QDateTime(QDate(1899, 12, 30), QTime(0, 0, 0)));
        rows->Update();
    }
    auto database = open(true);
    auto rows = database->OpenRecordset(QStringLiteral("datTrialSummary"), dbOpenSnapshot);
    EXPECT_EQ(rows->Field(QStringLiteral("Date")).toString(), QStringLiteral("2025-03-04"));
    EXPECT_EQ(rows->Field(QStringLiteral("startTime")).toString(), QStringLiteral("13:04:05"));
    EXPECT_EQ(rows->Field(QStringLiteral("endTime")).toString(), QStringLiteral("00:00:00"));
}

TEST_F(DaoTest, DelaySegmentsComeBackInTheOrderTheyWereStored) {
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

TEST_F(DaoTest, AQuotedNameIsStoredAndFoundAsTyped) {
    addSubject(QStringLiteral("O'Brien"), 40);
    const auto ages = column(QStringLiteral("select * from datSubject where Subject=") +
                                 SqlText(QStringLiteral("o'brien")),
                             QStringLiteral("Age"));
    ASSERT_EQ(ages.size(), 1u);
    EXPECT_EQ(ages[0].toDouble(), 40.0);
}

}  // namespace
