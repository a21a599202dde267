// What the lab server engine does beyond the contract every engine keeps: many writers at
// once, the server's names and parameters, and its failures named without the password.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <atomic>
#include <functional>
#include <thread>

#include "db/Engine.h"
#include "tests/support/TestServer.h"

namespace {

using db::Connection;
using db::OpenMode;

db::Error ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const db::Error& error) {
        return error;
    }
    return db::Error(0, QString());
}

Connection Open(const QString& location, OpenMode mode = OpenMode::ReadWrite) {
    return Connection(location, db::DatabasePassword(), mode);
}

QStringList Texts(Connection& connection, const QString& sql) {
    db::Statement select = connection.prepare(sql);
    QStringList texts;
    while (select.step()) texts << select.value(0).toString();
    return texts;
}

class PostgresEngineTest : public ::testing::Test {
  protected:
    TempServerDatabase database_;
};

TEST_F(PostgresEngineTest, WritersOfDifferentParticipantsDoNotWaitForEachOther) {
    Connection first = Open(database_.location());
    first.beginWrite();
    first.execute(
        QStringLiteral("INSERT INTO datExperimentTrials (Subject, EventID) VALUES ('Ann', 1)"));
    Connection second = Open(database_.location());
    QElapsedTimer clock;
    clock.start();
    second.beginWrite();
    second.execute(
        QStringLiteral("INSERT INTO datExperimentTrials (Subject, EventID) VALUES ('Bo', 1)"));
    second.commit();
    EXPECT_LT(clock.elapsed(), 1000);
    first.commit();
    EXPECT_EQ(Texts(first, QStringLiteral("SELECT count(*) FROM datExperimentTrials")),
              QStringList{"2"});
}

// Ways a recorded row reaches the server outside a transaction of the caller's.
struct RecordedWrite {
    const char* name;
    std::function<void(Connection&, int)> write;
};

const RecordedWrite kRecordedWrites[] = {
    {"one statement",
     [](Connection& connection, int event) {
         db::Statement insert = connection.prepare(QStringLiteral(
             "INSERT INTO datExperimentTrials (Subject, EventID) VALUES ('Ann', ?)"));
         insert.bind(1, event);
         insert.step();
     }},
    {"a write begun and committed",
     [](Connection& connection, int event) {
         connection.beginWrite();
         db::Statement insert = connection.prepare(QStringLiteral(
             "INSERT INTO datExperimentTrials (Subject, EventID) VALUES ('Ann', ?)"));
         insert.bind(1, event);
         insert.step();
         connection.commit();
     }},
    {"SQL text",
     [](Connection& connection, int event) {
         connection.execute(
             QStringLiteral("INSERT INTO datExperimentTrials (Subject, EventID) VALUES ('Ann', %1)")
                 .arg(event));
     }},
};

// Every commit that notifies, in any database of the server, takes one lock of the whole
// server in turn; a neighbour whose commits hold it long must not make a station's write fail.
TEST_F(PostgresEngineTest, ARecordedRowIsNotRefusedWhileOtherCommitsNotify) {
    constexpr int kWritesPerWay = 30;
    std::atomic<bool> writing{true};
    std::thread neighbour([&] {
        // It waits for the lock as long as it takes; only the station's writes are judged.
        Connection noisy(database_.location(), db::DatabasePassword(), OpenMode::ReadWrite, 60000);
        while (writing) {
            noisy.execute(
                QStringLiteral("SELECT pg_notify('fx_neighbour', g || repeat('x', 2000)) FROM "
                               "generate_series(1, 1000) g"));
        }
    });
    std::vector<QString> failures;
    for (const RecordedWrite& way : kRecordedWrites) {
        Connection connection = Open(database_.location());
        for (int event = 0; event < kWritesPerWay; ++event) {
            const db::Error error = ErrorOf([&] { way.write(connection, event); });
            if (error.number() != 0)
                failures.push_back(
                    QStringLiteral("%1: %2").arg(QLatin1String(way.name), error.description()));
        }
    }
    writing = false;
    neighbour.join();
    EXPECT_TRUE(failures.empty()) << failures.size()
                                  << " failed, first: " << failures.front().toStdString();
    Connection connection = Open(database_.location());
    EXPECT_EQ(Texts(connection, QStringLiteral("SELECT count(*) FROM datExperimentTrials")),
              QStringList{QString::number(kWritesPerWay * std::size(kRecordedWrites))});
}

TEST_F(PostgresEngineTest, NamesMatchInAnyLetterCaseAndKeepTheirSpelling) {
    Connection connection = Open(database_.location());
    connection.execute(QStringLiteral(
        "insert into TBLSETUP (version, goallinepoisition, IsTimeDriven) values ('A', 30, -1)"));
    db::Statement select = connection.prepare(QStringLiteral(
        "SELECT tblSetup.GOALLINEPOISITION, istimedriven FROM tblsetup WHERE VERSION = 'a'"));
    ASSERT_TRUE(select.step());
    EXPECT_EQ(select.columnName(0), QStringLiteral("GoalLinePoisition"));
    EXPECT_EQ(select.value(0).toDouble(), 30.0);
    EXPECT_EQ(select.value(1).toLongLong(), -1);
}

TEST_F(PostgresEngineTest, NumberedAndPlainParametersBindByPosition) {
    Connection connection = Open(database_.location());
    db::Statement insert = connection.prepare(
        QStringLiteral("INSERT INTO tblPasswords (password, username) VALUES (?2, ?1)"));
    insert.bind(1, QStringLiteral("O'Brien"));
    insert.bind(2, QStringLiteral("it's ?1"));
    insert.step();
    db::Statement select = connection.prepare(
        QStringLiteral("SELECT password FROM tblPasswords WHERE username = ? AND 1 = ?"));
    select.bind(1, QStringLiteral("o'brien"));
    select.bind(2, 1);
    ASSERT_TRUE(select.step());
    EXPECT_EQ(select.value(0).toString(), QStringLiteral("it's ?1"));
}

TEST_F(PostgresEngineTest, TextComparisonIgnoresTheCaseOfEveryLetter) {
    Connection connection = Open(database_.location());
    connection.execute(QStringLiteral("INSERT INTO datSubject (Subject) VALUES ('Müller')"));
    EXPECT_EQ(Texts(connection,
                    QStringLiteral("SELECT Subject FROM datSubject WHERE Subject = 'MÜLLER'")),
              QStringList{"Müller"});
    EXPECT_TRUE(
        Texts(connection, QStringLiteral("SELECT Subject FROM datSubject WHERE Subject = 'Muller'"))
            .isEmpty());
}

TEST_F(PostgresEngineTest, TheRowKeyIsHiddenFromEveryRowReadWhole) {
    Connection connection = Open(database_.location());
    connection.execute(QStringLiteral("INSERT INTO datSubject (Subject) VALUES ('Ann')"));
    const int columns = int(db::FindTable(QStringLiteral("datSubject"))->columns.size());
    db::Statement whole = connection.prepare(QStringLiteral("SELECT * FROM datSubject"));
    EXPECT_EQ(whole.columnCount(), columns);
    db::Statement keyed =
        connection.prepare(QStringLiteral("SELECT %1, * FROM datSubject").arg(connection.rowKey()));
    EXPECT_EQ(keyed.columnCount(), columns + 1);
    ASSERT_TRUE(keyed.step());
    EXPECT_EQ(keyed.kind(0), db::ValueKind::Integer);
}

TEST_F(PostgresEngineTest, ARefusedLoginNamesTheServerButNeverThePassword) {
    const QString location =
        QString(database_.location())
            .replace(QStringLiteral("postgres@"), QStringLiteral("postgres:Secret-42@"));
    const db::Error error = ErrorOf([&] { Open(location); });
    EXPECT_EQ(error.number(), db::errors::NotValidPassword);
    EXPECT_FALSE(error.description().contains(QStringLiteral("Secret-42")));
    EXPECT_TRUE(error.description().contains(QStringLiteral("postgresql://postgres@/")))
        << error.description().toStdString();
}

struct ConnectCase {
    const char* name;
    QString location;
    int number;
};

TEST(PostgresEngineConnectTest, AServerThatCannotServeTheDatabaseIsNamed) {
    const ConnectCase cases[] = {
        {"no server", QStringLiteral("postgresql://postgres:pw@/x?host=/nonexistent"),
         db::errors::DiskOrNetworkError},
        {"no database", TestServerLocation(QStringLiteral("fx_not_there")),
         db::errors::FileNotFound},
        {"not an address", QStringLiteral("postgresql://a:b@[::1"), db::errors::CannotOpenFile},
    };
    for (const ConnectCase& c : cases) {
        const db::Error error = ErrorOf([&] { Open(c.location, OpenMode::ReadOnly); });
        EXPECT_EQ(error.number(), c.number) << c.name << ": " << error.description().toStdString();
        EXPECT_FALSE(error.description().contains(QStringLiteral(":pw@"))) << c.name;
    }
}

TEST_F(PostgresEngineTest, ALostConnectionIsPassingAndTheNextOpenConnectsAfresh) {
    {
        Connection connection = Open(database_.location());
        Open(TestServerLocation(QStringLiteral("postgres")))
            .execute(QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity "
                                    "WHERE datname = '%1'")
                         .arg(database_.location()
                                  .section(QLatin1Char('/'), 3)
                                  .section(QLatin1Char('?'), 0, 0)));
        const db::Error lost = ErrorOf([&] {
            connection.execute(QStringLiteral("INSERT INTO datSubject (Subject) VALUES ('Ann')"));
        });
        EXPECT_EQ(lost.number(), db::errors::FileLockRefused) << lost.description().toStdString();
    }
    Connection again = Open(database_.location());
    again.execute(QStringLiteral("INSERT INTO datSubject (Subject) VALUES ('Ann')"));
    EXPECT_EQ(Texts(again, QStringLiteral("SELECT Subject FROM datSubject")), QStringList{"Ann"});
}

TEST(PostgresEngineCreateTest, CreatingMakesTheDatabaseWhenTheServerHasNone) {
    const QString name = QStringLiteral("fx_created_%1").arg(QCoreApplication::applicationPid());
    Connection maintenance = Open(TestServerLocation(QStringLiteral("postgres")));
    maintenance.changeSchema(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name));
    {
        Connection connection = Open(TestServerLocation(name), OpenMode::Create);
        EXPECT_FALSE(connection.tableExists(QStringLiteral("tblSetup")));
    }
    maintenance.changeSchema(QStringLiteral("DROP DATABASE %1 WITH (FORCE)").arg(name));
}

}  // namespace
