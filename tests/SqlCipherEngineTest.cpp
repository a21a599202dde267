// The encrypted file engine on real SQLCipher files: keys, passphrase compatibility with the
// sqlcipher shell, the file's own errors, declared types and indexes. What every engine does
// is in EngineContractTest.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <chrono>
#include <functional>
#include <map>
#include <ostream>
#include <thread>

#include "db/Engine.h"
#include "db/sqlcipher/KeyCache.h"
#include "tests/support/DamagedFile.h"
#include "tests/support/EngineErrors.h"
#include "tests/support/ScratchDisk.h"
#include "tests/support/TempDatabase.h"
#include "tests/support/WriteProtection.h"

namespace {

using db::Connection;
using db::OpenMode;
using db::Statement;

// Runs SQL in the sqlcipher shell, keyed with the passphrase as an experimenter would.
QString Shell(const QString& path, const QString& sql) {
    QProcess shell;
    shell.start(QStringLiteral("sqlcipher"), {path});
    shell.write(QStringLiteral("PRAGMA key='%1';\n%2\n").arg(db::DatabasePassword(), sql).toUtf8());
    shell.closeWriteChannel();
    shell.waitForFinished(30000);
    return QString::fromUtf8(shell.readAllStandardOutput() + shell.readAllStandardError())
        .trimmed();
}

bool HaveShell() {
    return !QStandardPaths::findExecutable(QStringLiteral("sqlcipher")).isEmpty();
}

class SqlCipherEngineTest : public ::testing::Test {
  protected:
    Connection open(OpenMode mode = OpenMode::ReadWrite) {
        return Connection(file.path(), db::DatabasePassword(), mode);
    }
    TempDatabase file;
};

TEST_F(SqlCipherEngineTest, TheSqlcipherShellReadsOurFileWithThePassphrase) {
    if (!HaveShell()) GTEST_SKIP() << "sqlcipher shell not installed";
    file.execute(
        QStringLiteral("INSERT INTO tblPasswords (username, password) VALUES ('lab', 'x1')"));
    EXPECT_EQ(
        Shell(file.path(), QStringLiteral("SELECT username || '/' || password FROM tblPasswords;")),
        QStringLiteral("lab/x1"));
}

TEST_F(SqlCipherEngineTest, AFileKeyedWithThePassphraseOpensThroughTheKeyCache) {
    if (!HaveShell()) GTEST_SKIP() << "sqlcipher shell not installed";
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("byShell.mdb"));
    Shell(path,
          QStringLiteral("CREATE TABLE t (a TEXT); INSERT INTO t VALUES ('made by the shell');"));
    ASSERT_TRUE(QFile::exists(path));

    for (int open = 0; open < 2; ++open) {
        Connection connection(path, db::DatabasePassword(), OpenMode::ReadOnly);
        db::Statement select = connection.prepare(QStringLiteral("SELECT a FROM t"));
        ASSERT_TRUE(select.step());
        EXPECT_EQ(select.value(0).toString(), QStringLiteral("made by the shell"));
    }
}

TEST_F(SqlCipherEngineTest, TheKeyIsDerivedOncePerFileNotPerOpen) {
    { Connection first = open(); }
    const int derivations = db::keys::DerivationCount();
    for (int i = 0; i < 5; ++i) {
        Connection again = open(i % 2 ? OpenMode::ReadOnly : OpenMode::ReadWrite);
    }
    EXPECT_EQ(db::keys::DerivationCount(), derivations);
}

TEST_F(SqlCipherEngineTest, AWrongPasswordIsRefusedAtOpenNamingTheFile) {
    QString description;
    EXPECT_EQ(
        ErrorNumber([&] { Connection(file.path(), QStringLiteral("wrong"), OpenMode::ReadOnly); },
                    &description),
        db::errors::NotValidPassword);
    EXPECT_TRUE(description.contains(QStringLiteral("cannot be read with the database password")))
        << description.toStdString();
    EXPECT_TRUE(description.contains(file.path())) << description.toStdString();
}

TEST_F(SqlCipherEngineTest, AMissingFileIsReportedWithItsPathAndNeverCreated) {
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("data/Hydrovat.mdb"));
    for (OpenMode mode : {OpenMode::ReadOnly, OpenMode::ReadWrite}) {
        QString description;
        EXPECT_EQ(
            ErrorNumber([&] { Connection(missing, db::DatabasePassword(), mode); }, &description),
            db::errors::FileNotFound);
        EXPECT_EQ(description, QStringLiteral("Could not find file '%1'.").arg(missing));
    }
    EXPECT_FALSE(QFile::exists(missing));
}

TEST_F(SqlCipherEngineTest, AFileThatIsNoDatabaseIsRefusedClearly) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("notes.mdb"));
    QFile text(path);
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write(QByteArray(4096, 'x'));
    text.close();

    QString description;
    EXPECT_EQ(ErrorNumber([&] { Connection(path, db::DatabasePassword(), OpenMode::ReadOnly); },
                          &description),
              db::errors::NotValidPassword);
    EXPECT_TRUE(description.contains(path));
    EXPECT_EQ(ErrorNumber([&] { Connection(path, QString(), OpenMode::ReadOnly); }),
              db::errors::NotADatabase);

    // An empty file would pass for an empty database; for us it is none.
    ASSERT_TRUE(text.open(QIODevice::WriteOnly | QIODevice::Truncate));
    text.close();
    for (const OpenMode mode : {OpenMode::ReadOnly, OpenMode::ReadWrite}) {
        EXPECT_EQ(
            ErrorNumber([&] { Connection(path, db::DatabasePassword(), mode); }, &description),
            db::errors::NotADatabase);
        EXPECT_EQ(
            description,
            QStringLiteral("The file '%1' is empty: it is not an experiment database.").arg(path));
    }
}

// What a damaged or foreign file is, as far as its bytes tell; the password is blamed only as
// one of the reasons it cannot be read.
struct UnreadableCase {
    const char* name;
    std::function<void(const QString& path)> spoil;
    const char* says;
};

std::ostream& operator<<(std::ostream& out, const UnreadableCase& c) {
    return out << c.name;
}

class UnreadableFileTest : public SqlCipherEngineTest,
                           public ::testing::WithParamInterface<UnreadableCase> {};

TEST_P(UnreadableFileTest, IsNamedAsDamagedOrNotAnExperimentDatabase) {
    GetParam().spoil(file.path());
    for (const OpenMode mode : {OpenMode::ReadOnly, OpenMode::ReadWrite}) {
        QString description;
        EXPECT_NE(ErrorNumber([&] { open(mode); }, &description), 0);
        EXPECT_TRUE(description.contains(QString::fromUtf8(GetParam().says)))
            << description.toStdString();
        EXPECT_TRUE(description.contains(file.path())) << description.toStdString();
        EXPECT_FALSE(description.startsWith(QStringLiteral("Not a valid password")));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, UnreadableFileTest,
    ::testing::Values(
        UnreadableCase{"PlainSqlite",
                       [](const QString& path) {
                           QFile::remove(path);
                           Connection plain(path, QString(), OpenMode::Create);
                           plain.execute(QStringLiteral("CREATE TABLE tblSetup (Version TEXT)"));
                       },
                       "is an SQLite database without encryption: it is not an experiment "
                       "database"},
        UnreadableCase{"CutInsideTheFirstPage", [](const QString& path) { CutShort(path, 700); },
                       "is damaged: it ends inside a page (700 bytes)"},
        UnreadableCase{"CutInsideALaterPage", [](const QString& path) { CutShort(path, 5000); },
                       "is damaged"},
        UnreadableCase{"SaltOverwritten",
                       [](const QString& path) { OverwriteWithRandomBytes(path, 0, 16); },
                       "it is damaged, or it is not an experiment database"},
        UnreadableCase{"FirstPageOverwritten",
                       [](const QString& path) { OverwriteWithRandomBytes(path, 200, 64); },
                       "it is damaged, or it is not an experiment database"}),
    [](const auto& info) { return std::string(info.param.name); });

// A second name would keep a crashed writer's journal where the other name's stations do not
// look; the file is opened by one name only.
TEST_F(SqlCipherEngineTest, AFileWithOtherHardLinksIsRefusedSayingWhy) {
    const QString other = file.path() + QStringLiteral("-other-name");
    ASSERT_EQ(
        ::link(QFile::encodeName(file.path()).constData(), QFile::encodeName(other).constData()),
        0);
    for (const QString& name : {file.path(), other}) {
        for (const OpenMode mode : {OpenMode::ReadOnly, OpenMode::ReadWrite}) {
            QString description;
            EXPECT_EQ(
                ErrorNumber([&] { Connection(name, db::DatabasePassword(), mode); }, &description),
                db::errors::CannotOpenFile);
            EXPECT_TRUE(description.contains(name + QStringLiteral("' has 2 names (hard links)")))
                << description.toStdString();
        }
    }
    ASSERT_TRUE(QFile::remove(other));
    EXPECT_EQ(ErrorNumber([&] { open(); }), 0);
}

TEST_F(SqlCipherEngineTest, AHeldWriteLockIsReportedNamingTheFile) {
    Connection holder = open();
    holder.beginWrite();
    Connection writer = open();
    QString description;
    EXPECT_EQ(ErrorNumber([&] { writer.beginWrite(); }, &description), db::errors::FileLockRefused);
    EXPECT_TRUE(description.contains(file.path()));
}

// A connection given a busy timeout waits for a writer already while it opens, so a tool
// started while a station commits does not fail at once.
TEST_F(SqlCipherEngineTest, ABusyTimeoutCoversTheOpeningItself) {
    Connection holder = open();
    holder.execute(QStringLiteral("BEGIN EXCLUSIVE"));
    EXPECT_EQ(ErrorNumber([&] { open(OpenMode::ReadOnly); }), db::errors::FileLockRefused);
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        holder.rollback();
    });
    EXPECT_EQ(ErrorNumber([&] {
                  Connection patient(file.path(), db::DatabasePassword(), OpenMode::ReadOnly,
                                     30000);
              }),
              0);
    release.join();
}

// A station that dies while it writes leaves the file's journal behind. Whoever opens the
// file next, even only to read it, finds the write undone and the rows as they were.
// A station that writes into the file and dies with its write open.
void DieWhileWriting(const QString& path) {
    const pid_t child = fork();
    if (child == 0) {
        Connection writer(path, db::DatabasePassword(), OpenMode::ReadWrite);
        // A tiny cache sends changed pages to the file before the commit, as a long write does.
        writer.execute(QStringLiteral("PRAGMA cache_size = 1"));
        writer.beginWrite();
        writer.execute(QStringLiteral("DELETE FROM datSubject"));
        for (int i = 0; i < 200; ++i) {
            writer.execute(
                QStringLiteral("INSERT INTO datSubject (Subject, Major) VALUES ('x%1', '%2')")
                    .arg(i)
                    .arg(QString(500, QLatin1Char('m'))));
        }
        _exit(0);  // the station dies with its write open
    }
    ASSERT_GT(child, 0);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_TRUE(QFileInfo::exists(path + QStringLiteral("-journal")));
}

TEST_F(SqlCipherEngineTest, AnInterruptedWriteIsUndoneWhenTheFileIsNextOpenedEvenToRead) {
    open().execute(QStringLiteral("INSERT INTO datSubject (Subject) VALUES ('Ann')"));
    DieWhileWriting(file.path());
    if (HasFatalFailure()) return;

    Connection reader = open(OpenMode::ReadOnly);
    Statement subjects = reader.prepare(QStringLiteral("SELECT Subject FROM datSubject"));
    ASSERT_TRUE(subjects.step());
    EXPECT_EQ(subjects.value(0).toString(), QStringLiteral("Ann"));
    EXPECT_FALSE(subjects.step());
    EXPECT_FALSE(QFileInfo::exists(file.path() + QStringLiteral("-journal")));
}

// In a folder that may not be written, the journal cannot be undone: that is said, not a
// "disk I/O error".
TEST_F(SqlCipherEngineTest, AJournalInAReadOnlyFolderIsNamedAsSuch) {
    ScratchDisk disk(4 * 1024 * 1024);
    const QString path = disk.filePath(QStringLiteral("Hydrovat.mdb"));
    {
        Connection created(path, db::DatabasePassword(), OpenMode::Create);
        db::CreateSchema(created);
    }
    DieWhileWriting(path);
    if (HasFatalFailure()) return;
    disk.makeReadOnly();
    for (const OpenMode mode : {OpenMode::ReadOnly, OpenMode::ReadWrite}) {
        QString description;
        EXPECT_NE(
            ErrorNumber([&] { Connection(path, db::DatabasePassword(), mode); }, &description), 0);
        EXPECT_TRUE(description.contains(path + QStringLiteral("-journal")))
            << description.toStdString();
        EXPECT_TRUE(description.contains(QStringLiteral("may not be written")))
            << description.toStdString();
        EXPECT_FALSE(description.contains(QStringLiteral("disk I/O error")));
    }
}

// The engine would quietly open a write-protected file for reading only; a writer is told
// at once, a reader is served.
TEST_F(SqlCipherEngineTest, AWriteProtectedFileIsRefusedToAWriterAtOnce) {
    const ScopedWriteProtection protection(file.path());
    if (!protection.active()) GTEST_SKIP() << "the file system cannot write-protect the file";
    QString description;
    EXPECT_EQ(ErrorNumber([&] { open(OpenMode::ReadWrite); }, &description),
              db::errors::ReadOnlyObject);
    EXPECT_EQ(description,
              QStringLiteral("The database file '%1' is read-only: nothing can be written into it.")
                  .arg(file.path()));
    EXPECT_EQ(ErrorNumber([&] { open(OpenMode::ReadOnly); }), 0);
}

// The file declares each column's type so that the sqlcipher shell and other readers see
// what it holds.
TEST_F(SqlCipherEngineTest, DeclaredTypesShowWhatAColumnHolds) {
    Connection connection = open();
    std::map<QString, QString> types;
    Statement info = connection.prepare(QStringLiteral("PRAGMA table_info(datExperimentTrials)"));
    while (info.step()) types[info.value(1).toString()] = info.value(2).toString();
    EXPECT_EQ(types["Date"], QStringLiteral("DATE"));
    EXPECT_EQ(types["Time"], QStringLiteral("TIME"));
    EXPECT_EQ(types["EventID"], QStringLiteral("INTEGER"));
    EXPECT_EQ(types["AmountInTank"], QStringLiteral("DOUBLE"));
    EXPECT_EQ(types["graphicalMode"], QStringLiteral("BOOLEAN"));
    EXPECT_EQ(types["Subject"], QStringLiteral("TEXT"));
}

// Files made by other programs declare types in their own words.
TEST_F(SqlCipherEngineTest, ForeignDeclarationsAreTypedByTheirWords) {
    file.execute(
        QStringLiteral("CREATE TABLE foreign_types (a BIT, b BIGINT, c FLOAT, d DATE, "
                       "e TIME, f DATETIME, g VARCHAR(10))"));
    std::vector<db::ColumnType> types;
    for (const db::ColumnInfo& column : open().tableColumns(QStringLiteral("foreign_types")))
        types.push_back(column.type);
    using T = db::ColumnType;
    EXPECT_EQ(types, (std::vector<T>{T::Boolean, T::Integer, T::Double, T::Date, T::Time, T::Text,
                                     T::Text}));
}

TEST_F(SqlCipherEngineTest, TheQueriesFindTheirIndexes) {
    Connection connection = open();
    const struct {
        const char* query;
        const char* index;
    } cases[] = {
        {"SELECT * FROM datExperimentTrials WHERE datExperimentTrials.Subject='a' and version ='1' "
         "ORDER BY  datExperimentTrials.EventID DESC;",
         "datExperimentTrials_Subject_Version_EventID"},
        {"select * from datTrialSummary where Version='1' and Subject='a' and Trial=3",
         "datTrialSummary_Subject_Version_Trial"},
        {"select * from datSubject where Version='1'", "datSubject_Version"},
        {"Select * from tblScenarios where Scenario=2;", "tblScenarios_Scenario"},
        {"Select LabelName from tblLabels where version='1' order by LabelNumber",
         "tblLabels_version_LabelNumber"},
    };
    for (const auto& c : cases) {
        Statement plan = connection.prepare(QStringLiteral("EXPLAIN QUERY PLAN ") +
                                            QString::fromLatin1(c.query));
        QString details;
        while (plan.step()) details += plan.value(3).toString() + QLatin1Char('\n');
        EXPECT_TRUE(details.contains(QString::fromLatin1(c.index))) << c.query << "\n"
                                                                    << details.toStdString();
    }
}

}  // namespace
