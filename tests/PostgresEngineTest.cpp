// What the lab server engine does beyond the contract every engine keeps: many writers at
// once, the server's names and parameters, and its failures named without the password.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <functional>

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
    maintenance.execute(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name));
    {
        Connection connection = Open(TestServerLocation(name), OpenMode::Create);
        EXPECT_FALSE(connection.tableExists(QStringLiteral("tblSetup")));
    }
    maintenance.execute(QStringLiteral("DROP DATABASE %1 WITH (FORCE)").arg(name));
}

}  // namespace
