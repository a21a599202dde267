// What every engine behind the engine interface must do, as one table of cases run against
// each engine: a fresh experiment database with every table, opened by its location.
#include <gtest/gtest.h>

#include <QDate>
#include <QTime>
#include <algorithm>
#include <functional>
#include <latch>
#include <memory>
#include <ostream>
#include <thread>

#include "db/Engine.h"
#include "db/Rows.h"
#include "db/Schema.h"
#include "tests/support/EngineErrors.h"
#include "tests/support/TempDatabase.h"
#include "tests/support/TestServer.h"

namespace {

using db::Connection;
using db::OpenMode;

// A fresh database with every table and no rows, for the life of the object.
class EngineDatabase {
  public:
    virtual ~EngineDatabase() = default;
    virtual QString location() const = 0;
    Connection open(OpenMode mode = OpenMode::ReadWrite) const {
        return Connection(location(), db::DatabasePassword(), mode);
    }
};

class EncryptedFile : public EngineDatabase {
  public:
    QString location() const override { return file_.path(); }

  private:
    TempDatabase file_;
};

class ServerDatabase : public EngineDatabase {
  public:
    QString location() const override { return database_.location(); }

  private:
    TempServerDatabase database_;
};

struct Engine {
    const char* name;
    std::function<std::unique_ptr<EngineDatabase>()> fresh;
};

const Engine kEngines[] = {
    {"EncryptedFile", [] { return std::make_unique<EncryptedFile>(); }},
    {"LabServer", [] { return std::make_unique<ServerDatabase>(); }},
};

// The values of the first column of a query, as texts, in row order.
QStringList Texts(Connection& connection, const QString& sql) {
    db::Statement select = connection.prepare(sql);
    QStringList texts;
    while (select.step()) texts << select.value(0).toString();
    return texts;
}

// Each name inserted into datSubject (version A) by a thread of its own on a connection of
// its own, all at the same moment; a lock is waited for and tried again. Each thread's
// outcome: 0 when its row was stored, else the error number.
std::vector<int> RaceToInsert(const EngineDatabase& database, const QStringList& names) {
    std::vector<int> outcomes(std::size_t(names.size()), -1);
    std::latch start(names.size());
    std::vector<std::thread> writers;
    for (qsizetype i = 0; i < names.size(); ++i) {
        writers.emplace_back([&, i] {
            Connection connection(database.location(), db::DatabasePassword(), OpenMode::ReadWrite,
                                  5000);
            const QString insert =
                QStringLiteral("INSERT INTO datSubject (Subject, Version) VALUES ('%1', 'A')")
                    .arg(names[i]);
            start.arrive_and_wait();
            for (;;) {
                const int number = ErrorNumber([&] {
                    db::Transaction transaction(connection);
                    connection.execute(insert);
                    transaction.commit();
                });
                if (number != db::errors::FileLockRefused && number != db::errors::RowLocked) {
                    outcomes[std::size_t(i)] = number;
                    return;
                }
            }
        });
    }
    for (std::thread& writer : writers) writer.join();
    return outcomes;
}

struct ContractCase {
    const char* name;
    std::function<void(const EngineDatabase&)> check;
};

const ContractCase kCases[] = {
    {"EveryTableHasExactlyItsColumnsInOrderAndTypes",
     [](const EngineDatabase& database) {
         Connection connection = database.open(OpenMode::ReadOnly);
         for (const db::TableDef& table : db::Tables()) {
             const std::vector<db::ColumnInfo> columns = connection.tableColumns(table.name);
             ASSERT_EQ(columns.size(), table.columns.size()) << table.name.toStdString();
             for (std::size_t c = 0; c < columns.size(); ++c) {
                 EXPECT_EQ(columns[c].name, table.columns[c].name);
                 EXPECT_EQ(columns[c].type, table.columns[c].type) << columns[c].name.toStdString();
             }
             EXPECT_TRUE(connection.tableExists(table.name.toUpper()));
         }
         EXPECT_FALSE(connection.tableExists(QStringLiteral("tblNothing")));
         EXPECT_TRUE(connection.tableColumns(QStringLiteral("tblNothing")).empty());
     }},
    {"CreatingAgainKeepsTheRows",
     [](const EngineDatabase& database) {
         Connection connection = database.open();
         connection.execute(
             QStringLiteral("INSERT INTO tblSetup (Version, MaxTrial) VALUES ('A', 30)"));
         db::CreateSchema(connection);
         EXPECT_EQ(Texts(connection, QStringLiteral("SELECT count(*) FROM tblSetup")),
                   QStringList{"1"});
     }},
    {"TextEqualityIgnoresLetterCase",
     [](const EngineDatabase& database) {
         database.open().execute(QStringLiteral(
             "INSERT INTO datSubject (Subject, Version) VALUES ('Alice', 'Tank A')"));
         Connection connection = database.open(OpenMode::ReadOnly);
         EXPECT_EQ(Texts(connection, QStringLiteral("SELECT SUBJECT FROM DATSUBJECT WHERE "
                                                    "subject = 'ALICE' AND version = 'tank a'")),
                   QStringList{"Alice"});
     }},
    {"ValuesComeBackInTheirStorageType",
     [](const EngineDatabase& database) {
         Connection connection = database.open();
         db::Statement select =
             connection.prepare(QStringLiteral("SELECT 7, 2.5, 'text', NULL, ?, ?, ?"));
         select.bind(1, true);
         select.bind(2, QDate(2024, 2, 29));
         select.bind(3, QTime(7, 5, 9));
         ASSERT_TRUE(select.step());
         EXPECT_EQ(select.value(0).typeId(), QMetaType::LongLong);
         EXPECT_EQ(select.value(1).typeId(), QMetaType::Double);
         EXPECT_EQ(select.value(2).typeId(), QMetaType::QString);
         EXPECT_FALSE(select.value(3).isValid());
         EXPECT_TRUE(select.isNull(3));
         EXPECT_EQ(select.kind(3), db::ValueKind::Null);
         EXPECT_EQ(select.value(4).toLongLong(), -1);
         EXPECT_EQ(select.value(5).toString(), QStringLiteral("2024-02-29"));
         EXPECT_EQ(select.value(6).toString(), QStringLiteral("07:05:09"));
     }},
    {"AWrongPasswordIsRefusedAtOpen",
     [](const EngineDatabase& database) {
         EXPECT_EQ(ErrorNumber([&] {
                       Connection(database.location(), QStringLiteral("wrong"), OpenMode::ReadOnly);
                   }),
                   db::errors::NotValidPassword);
     }},
    {"AWriterHoldingARowRefusesAnotherWriterOfItPromptly",
     [](const EngineDatabase& database) {
         database.open().execute(QStringLiteral("INSERT INTO datSubject (Subject) VALUES ('Ann')"));
         const QString change =
             QStringLiteral("UPDATE datSubject SET Age = 20 WHERE Subject = 'Ann'");
         Connection holder = database.open();
         holder.beginWrite();
         holder.execute(change);
         // The file refuses the second writer as it begins, the server as it reaches the row.
         Connection writer = database.open();
         const int refused = ErrorNumber([&] {
             writer.beginWrite();
             writer.execute(change);
         });
         EXPECT_TRUE(refused == db::errors::FileLockRefused || refused == db::errors::RowLocked)
             << refused;
         writer.rollback();
         // Readers are not blocked by a writer that has not committed yet.
         Connection reader = database.open(OpenMode::ReadOnly);
         EXPECT_EQ(Texts(reader, QStringLiteral("SELECT coalesce(Age, 0) FROM datSubject")),
                   QStringList{"0"});
         holder.rollback();
         writer.beginWrite();
         writer.execute(change);
         writer.commit();
     }},
    {"ARolledBackWriteLeavesNothing",
     [](const EngineDatabase& database) {
         Connection connection = database.open();
         connection.beginWrite();
         EXPECT_TRUE(connection.inTransaction());
         connection.execute(QStringLiteral("INSERT INTO datSubject (Subject) VALUES ('Ann')"));
         EXPECT_EQ(connection.changes(), 1);
         connection.rollback();
         EXPECT_FALSE(connection.inTransaction());
         EXPECT_TRUE(Texts(connection, QStringLiteral("SELECT Subject FROM datSubject")).isEmpty());
     }},
    {"ANestedTransactionIsStoredOnlyWithTheOutermost",
     [](const EngineDatabase& database) {
         Connection connection = database.open();
         Connection reader = database.open(OpenMode::ReadOnly);
         const QString count = QStringLiteral("SELECT count(*) FROM datSubject");
         db::Transaction outer(connection);
         connection.execute(QStringLiteral("INSERT INTO datSubject (Subject) VALUES ('Ann')"));
         {
             db::Transaction nested(connection);
             connection.execute(QStringLiteral("INSERT INTO datSubject (Subject) VALUES ('Bob')"));
             nested.commit();
         }
         EXPECT_TRUE(connection.inTransaction());
         EXPECT_EQ(Texts(reader, count), QStringList{"0"});
         outer.commit();
         EXPECT_FALSE(connection.inTransaction());
         EXPECT_EQ(Texts(reader, count), QStringList{"2"});
     }},
    {"ANestedTransactionEndingUncommittedUndoesTheOutermost",
     [](const EngineDatabase& database) {
         Connection connection = database.open();
         const QString count = QStringLiteral("SELECT count(*) FROM datSubject");
         const auto insert = [&](const char* name) {
             connection.execute(
                 QStringLiteral("INSERT INTO datSubject (Subject) VALUES ('%1')").arg(name));
         };
         // Ended by a failed statement, and ended without a word.
         const std::function<void()> failures[] = {
             [&] {
                 EXPECT_NE(
                     ErrorNumber([&] {
                         db::Transaction nested(connection);
                         connection.execute(QStringLiteral("INSERT INTO tblNothing VALUES (1)"));
                         nested.commit();
                     }),
                     0);
             },
             [&] {
                 db::Transaction nested(connection);
                 insert("Bob");
             },
         };
         for (const auto& fail : failures) {
             db::Transaction outer(connection);
             insert("Ann");
             fail();
             EXPECT_EQ(ErrorNumber([&] { outer.commit(); }), db::errors::EngineFailure);
             EXPECT_FALSE(connection.inTransaction());
             EXPECT_EQ(Texts(connection, count), QStringList{"0"});
         }
         // The next transaction is not held to the failure before it.
         db::Transaction next(connection);
         insert("Cid");
         next.commit();
         EXPECT_EQ(Texts(connection, count), QStringList{"1"});
     }},
    {"BadSqlAndUnknownTablesHaveTheirOwnNumbers",
     [](const EngineDatabase& database) {
         Connection connection = database.open();
         EXPECT_EQ(ErrorNumber([&] { connection.prepare(QStringLiteral("SELEKT 1")); }),
                   db::errors::SyntaxError);
         EXPECT_EQ(
             ErrorNumber([&] { connection.prepare(QStringLiteral("SELECT * FROM tblNothing")); }),
             db::errors::TableNotFound);
     }},
    {"AReadOnlyConnectionCannotWrite",
     [](const EngineDatabase& database) {
         Connection connection = database.open(OpenMode::ReadOnly);
         EXPECT_TRUE(connection.readOnly());
         EXPECT_EQ(
             ErrorNumber([&] { connection.execute(QStringLiteral("DELETE FROM datSubject")); }),
             db::errors::ReadOnlyObject);
     }},
    {"TheRowKeyRisesInStoredOrderAndIsNoColumn",
     [](const EngineDatabase& database) {
         Connection connection = database.open();
         for (const char* subject : {"Cy", "Ann", "Bo"})
             connection.execute(
                 QStringLiteral("INSERT INTO datSubject (Subject) VALUES ('%1')").arg(subject));
         EXPECT_EQ(Texts(connection, QStringLiteral("SELECT Subject FROM datSubject ORDER BY %1")
                                         .arg(connection.rowKey())),
                   (QStringList{"Cy", "Ann", "Bo"}));
         for (const db::ColumnInfo& column : connection.tableColumns(QStringLiteral("datSubject")))
             EXPECT_NE(column.name.compare(connection.rowKey(), Qt::CaseInsensitive), 0);
     }},
    {"AnUpdateOfTheFirstRowChangesExactlyThatOneAmongEqualRows",
     [](const EngineDatabase& database) {
         database.open().execute(
             QStringLiteral("INSERT INTO datTrialSummary (Subject, Trial) VALUES ('Ann', 1); "
                            "INSERT INTO datTrialSummary (Subject, Trial) VALUES ('Ann', 1)"));
         {
             Connection writable = database.open();
             db::TableRow row(writable, QStringLiteral("datTrialSummary"));
             row.set(QStringLiteral("AmountInTank"), 12.5);
             EXPECT_TRUE(row.updateFirst(QStringLiteral("Subject=? and Trial=?"),
                                         {QStringLiteral("ann"), 1}));
             EXPECT_FALSE(row.updateFirst(QStringLiteral("Subject=? and Trial=?"),
                                          {QStringLiteral("ann"), 2}));
         }
         Connection connection = database.open(OpenMode::ReadOnly);
         EXPECT_EQ(Texts(connection, QStringLiteral("SELECT coalesce(AmountInTank, -1) FROM "
                                                    "datTrialSummary ORDER BY %1")
                                         .arg(connection.rowKey())),
                   (QStringList{"12.5", "-1"}));
     }},
    {"ATypedRowIsStoredAsItsColumnsKeepItAndReadBackByName",
     [](const EngineDatabase& database) {
         Connection connection = database.open();
         {
             db::Transaction transaction(connection);
             db::TableRow row(connection, QStringLiteral("datTrialSummary"));
             row.set(QStringLiteral("subject"), QStringLiteral("O'Brien"));
             row.set(QStringLiteral("Trial"), 2.5);
             row.set(QStringLiteral("graphicalMode"), 7);
             row.set(QStringLiteral("Date"), QDate(2025, 3, 4));
             row.set(QStringLiteral("startTime"), QTime(13, 4, 5));
             row.insert();
             db::TableRow(connection, QStringLiteral("datTrialSummary")).insert();
             transaction.commit();
         }
         db::Rows rows(
             connection,
             {QStringLiteral("SELECT * FROM datTrialSummary ORDER BY %1").arg(connection.rowKey()),
              {}});
         ASSERT_EQ(rows.count(), 2u);
         EXPECT_EQ(rows.value(QStringLiteral("SUBJECT")).toString(), QStringLiteral("O'Brien"));
         EXPECT_EQ(rows.value(QStringLiteral("Trial")).toLongLong(), 2);
         EXPECT_EQ(rows.value(QStringLiteral("graphicalmode")).toLongLong(), -1);
         EXPECT_EQ(rows.value(QStringLiteral("Date")).toString(), QStringLiteral("2025-03-04"));
         EXPECT_EQ(rows.value(QStringLiteral("startTime")).toString(), QStringLiteral("13:04:05"));
         rows.next();
         EXPECT_TRUE(rows.value(QStringLiteral("Subject")).isNull());
         EXPECT_EQ(rows.value(QStringLiteral("graphicalMode")).toLongLong(), 0);
     }},
    {"AColumnAddedByAnotherConnectionIsSeenByOneAlreadyOpen",
     [](const EngineDatabase& database) {
         Connection reader = database.open();
         const std::size_t before = reader.tableColumns(QStringLiteral("datSubject")).size();
         EXPECT_EQ(reader.prepare(QStringLiteral("SELECT * FROM datSubject")).columnCount(),
                   int(before));
         database.open().addColumn(QStringLiteral("datSubject"),
                                   {QStringLiteral("Extra"), db::ColumnType::Text, ""});
         const std::vector<db::ColumnInfo> after =
             reader.tableColumns(QStringLiteral("datSubject"));
         ASSERT_EQ(after.size(), before + 1);
         EXPECT_EQ(after.back().name, QStringLiteral("Extra"));
         db::Statement again = reader.prepare(QStringLiteral("SELECT * FROM datSubject"));
         reader.execute(
             QStringLiteral("INSERT INTO datSubject (Subject, Extra) VALUES ('A', 'x')"));
         ASSERT_TRUE(again.step());
         EXPECT_EQ(again.columnCount(), int(before + 1));
     }},
    {"AStatementAskedForAgainStartsUnboundAndHoldsNoRead",
     [](const EngineDatabase& database) {
         Connection connection = database.open();
         connection.execute(QStringLiteral(
             "INSERT INTO datSubject (Subject) VALUES ('Ann'); INSERT INTO datSubject (Subject) "
             "VALUES ('Bo')"));
         const QString sql = QStringLiteral("SELECT Subject FROM datSubject WHERE Subject <> ?");
         {
             db::Statement first = connection.prepare(sql);
             first.bind(1, QStringLiteral("Bo"));
             ASSERT_TRUE(first.step());  // left in the middle of its rows
         }
         Connection writer = database.open();
         writer.beginWrite();
         writer.execute(QStringLiteral("DELETE FROM datSubject WHERE Subject = 'Bo'"));
         writer.commit();  // no read of the first connection is still open
         db::Statement second = connection.prepare(sql);
         EXPECT_FALSE(second.step());  // unbound: compares with nothing
     }},
    {"AnAddedColumnJoinsTheTableAndExistingRowsReadNo",
     [](const EngineDatabase& database) {
         Connection connection = database.open();
         connection.execute(QStringLiteral("INSERT INTO datSubject (Subject) VALUES ('Ann')"));
         connection.addColumn(QStringLiteral("datSubject"),
                              {QStringLiteral("Later"), db::ColumnType::Boolean, QString()});
         const std::vector<db::ColumnInfo> columns =
             connection.tableColumns(QStringLiteral("datSubject"));
         ASSERT_FALSE(columns.empty());
         EXPECT_EQ(columns.back().name, QStringLiteral("Later"));
         EXPECT_EQ(columns.back().type, db::ColumnType::Boolean);
         EXPECT_EQ(Texts(connection, QStringLiteral("SELECT Later FROM datSubject")),
                   QStringList{"0"});
     }},
    {"OfTwoWritersOfOneKeyAtTheSameMomentOneStoresItAndTheOtherIsTold",
     [](const EngineDatabase& database) {
         {
             Connection connection = database.open();
             db::AddUniqueKeys(connection, QStringLiteral("datSubject"));
         }
         constexpr int kRounds = 8;
         for (int round = 0; round < kRounds; ++round) {
             // The same name in another letter case is the same participant.
             const QStringList names = {QStringLiteral("Pat%1").arg(round),
                                        QStringLiteral("PAT%1").arg(round)};
             const std::vector<int> outcomes = RaceToInsert(database, names);
             EXPECT_EQ(std::count(outcomes.begin(), outcomes.end(), 0), 1) << round;
             EXPECT_EQ(std::count(outcomes.begin(), outcomes.end(), db::errors::DuplicateKey), 1)
                 << round;
         }
         Connection connection = database.open(OpenMode::ReadOnly);
         EXPECT_EQ(Texts(connection, QStringLiteral("SELECT count(*) FROM datSubject")),
                   QStringList{QString::number(kRounds)});
     }},
    {"AUniqueKeyIsNotAddedOverRowsThatRepeatIt",
     [](const EngineDatabase& database) {
         Connection connection = database.open();
         connection.execute(
             QStringLiteral("INSERT INTO datSubject (Subject, Version) VALUES ('Ann', 'A'); "
                            "INSERT INTO datSubject (Subject, Version) VALUES ('ann', 'A')"));
         db::AddUniqueKeys(connection, QStringLiteral("datSubject"));
         connection.execute(
             QStringLiteral("INSERT INTO datSubject (Subject, Version) VALUES ('ANN', 'A')"));
         EXPECT_EQ(Texts(connection, QStringLiteral("SELECT count(*) FROM datSubject")),
                   QStringList{"3"});
     }},
    {"RowsTakeTheirOrderColumnThenStoredOrder",
     [](const EngineDatabase& database) {
         Connection connection = database.open();
         connection.execute(QStringLiteral(
             "INSERT INTO tblDelayScenarios (DelayScenario, inflowDelayValue, SegmentNumber) "
             "VALUES (1, 30, NULL), (1, 20, 2), (1, 10, 1), (1, 21, 2)"));
         EXPECT_EQ(Texts(connection,
                         QStringLiteral("SELECT inflowDelayValue FROM tblDelayScenarios") +
                             db::OrderOfRows(connection, QStringLiteral("tblDelayScenarios"))),
                   (QStringList{"10", "20", "21", "30"}));
     }},
};

void PrintTo(const Engine& engine, std::ostream* out) {
    *out << engine.name;
}
void PrintTo(const ContractCase& contract, std::ostream* out) {
    *out << contract.name;
}

class EngineContractTest : public ::testing::TestWithParam<std::tuple<Engine, ContractCase>> {};

TEST_P(EngineContractTest, Holds) {
    const auto& [engine, contract] = GetParam();
    const std::unique_ptr<EngineDatabase> database = engine.fresh();
    contract.check(*database);
}

INSTANTIATE_TEST_SUITE_P(Engines, EngineContractTest,
                         ::testing::Combine(::testing::ValuesIn(kEngines),
                                            ::testing::ValuesIn(kCases)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "_" +
                                    std::get<1>(info.param).name;
                         });

}  // namespace
