// Experimenter passwords as stored: salted slow hashes, clear ones from earlier programs, and
// values that cannot be read; checked as the password screen checks them, on both engines.
#include <gtest/gtest.h>

#include <QSet>
#include <functional>
#include <memory>
#include <ostream>

#include "accounts/StoredPassword.h"
#include "core/RunRecord.h"
#include "db/Engine.h"
#include "screens/exit/CheckPassword.h"
#include "tests/support/OpenWrite.h"
#include "tests/support/TempDatabase.h"
#include "tests/support/TestServer.h"
#include "tool/data/Passwd.h"

namespace {

using accounts::StoredForm;
using accounts::Verdict;

// Few iterations keep the table quick; the stored count is what the check uses.
constexpr int kQuick = 1000;
const QString kSalt = QStringLiteral("AAECAwQFBgcICQoLDA0ODw==");                        // 16 bytes
const QString kDigest = QStringLiteral("AAECAwQFBgcICQoLDA0ODxAREhMUFRYXGBkaGxwdHh8=");  // 32

QString Stored(const QString& iterations, const QString& salt, const QString& digest) {
    return QStringLiteral("pbkdf2-sha256$%1$%2$%3").arg(iterations, salt, digest);
}

struct FormCase {
    const char* name;
    QString stored;
    StoredForm form;
};

std::ostream& operator<<(std::ostream& out, const FormCase& c) {
    return out << c.name;
}

class StoredFormTest : public ::testing::TestWithParam<FormCase> {};

// A value that names the scheme must be whole; anything else is a password from an earlier
// program. A malformed value never matches and never holds the screen long.
TEST_P(StoredFormTest, IsRecognisedAndAMalformedOneNeverOpens) {
    QString fault;
    EXPECT_EQ(accounts::FormOf(GetParam().stored, &fault), GetParam().form);
    if (GetParam().form != StoredForm::Malformed) return;
    EXPECT_FALSE(fault.isEmpty());
    EXPECT_EQ(accounts::Verify(GetParam().stored, QStringLiteral("anything")), Verdict::Unreadable);
    EXPECT_THROW(accounts::StoredFormOf(GetParam().stored), accounts::PasswordError);
}

INSTANTIATE_TEST_SUITE_P(
    Values, StoredFormTest,
    ::testing::Values(
        FormCase{"Hashed", Stored("600000", kSalt, kDigest), StoredForm::Hashed},
        FormCase{"FewestIterations", Stored("1000", kSalt, kDigest), StoredForm::Hashed},
        FormCase{"ClearPassword", "Tank#42", StoredForm::Plain},
        FormCase{"ClearPasswordWithDollars", "pbkdf2$1$2$3", StoredForm::Plain},
        FormCase{"OnlyTheScheme", "pbkdf2-sha256$", StoredForm::Malformed},
        FormCase{"PartMissing", "pbkdf2-sha256$600000$" + kSalt, StoredForm::Malformed},
        FormCase{"PartTooMany", Stored("600000", kSalt, kDigest) + "$x", StoredForm::Malformed},
        FormCase{"IterationsNotANumber", Stored("many", kSalt, kDigest), StoredForm::Malformed},
        FormCase{"IterationsTooFew", Stored("999", kSalt, kDigest), StoredForm::Malformed},
        FormCase{"IterationsNegative", Stored("-600000", kSalt, kDigest), StoredForm::Malformed},
        FormCase{"IterationsTooMany", Stored("99999999999", kSalt, kDigest), StoredForm::Malformed},
        FormCase{"SaltNotBase64", Stored("600000", "!!!!", kDigest), StoredForm::Malformed},
        FormCase{"SaltTooShort", Stored("600000", "AAEC", kDigest), StoredForm::Malformed},
        FormCase{"HashTooShort", Stored("600000", kSalt, kSalt), StoredForm::Malformed},
        FormCase{"HashEmpty", Stored("600000", kSalt, ""), StoredForm::Malformed}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(StoredPasswordTest, EachHashHasASaltOfItsOwnAndOpensOnlyWithItsPassword) {
    const QString first = accounts::HashPassword(QStringLiteral("Tank#42"));
    const QString second = accounts::HashPassword(QStringLiteral("Tank#42"));
    EXPECT_NE(first, second);
    EXPECT_TRUE(first.startsWith(QStringLiteral("pbkdf2-sha256$%1$").arg(accounts::kIterations)));
    EXPECT_FALSE(first.contains(QStringLiteral("Tank#42")));
    for (const QString& stored : {first, second}) {
        EXPECT_EQ(accounts::FormOf(stored), StoredForm::Hashed);
        EXPECT_EQ(accounts::Verify(stored, QStringLiteral("Tank#42")), Verdict::Matches);
        EXPECT_EQ(accounts::Verify(stored, QStringLiteral("tank#42")), Verdict::Differs);
    }
}

TEST(StoredPasswordTest, StoringHashesAClearPasswordAndKeepsAStoredHash) {
    const QString hashed = accounts::StoredFormOf(QStringLiteral("it's me"));
    EXPECT_EQ(accounts::Verify(hashed, QStringLiteral("it's me")), Verdict::Matches);
    EXPECT_EQ(accounts::StoredFormOf(hashed), hashed);
}

// What a lab server compares for an account stored in clear: the password's SHA-256, in hex.
TEST(StoredPasswordTest, AClearPasswordIsComparedOnAServerAsItsDigest) {
    EXPECT_EQ(accounts::ClearPasswordDigest(QStringLiteral("abc")),
              QStringLiteral("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"));
    EXPECT_NE(accounts::ClearPasswordDigest(QStringLiteral("Abc")),
              accounts::ClearPasswordDigest(QStringLiteral("abc")));
}

// A fresh database on one engine, the program's database while alive.
class AccountsDatabase {
  public:
    virtual ~AccountsDatabase() = default;
    virtual QString location() const = 0;
    db::Connection open() const {
        return db::Connection(location(), db::DatabasePassword(), db::OpenMode::ReadWrite);
    }
    void add(const QString& user, const QString& stored) const {
        db::Connection connection = open();
        db::Statement insert = connection.prepare(
            QStringLiteral("INSERT INTO tblPasswords (username, password) VALUES (?1, ?2)"));
        insert.bind(1, user);
        insert.bind(2, stored);
        insert.step();
    }
    QStringList storedOf(const QString& user) const {
        db::Connection connection = open();
        db::Statement select = connection.prepare(
            QStringLiteral("SELECT password FROM tblPasswords WHERE username = ?1"));
        select.bind(1, user);
        QStringList stored;
        while (select.step()) stored << select.value(0).toString();
        return stored;
    }
};

class FileAccounts : public AccountsDatabase {
  public:
    QString location() const override { return file_.path(); }

  private:
    TempDatabase file_;
};

class ServerAccounts : public AccountsDatabase {
  public:
    QString location() const override { return server_.location(); }

  private:
    TempServerDatabase server_;
};

struct Engine {
    const char* name;
    std::function<std::unique_ptr<AccountsDatabase>()> fresh;
};

std::ostream& operator<<(std::ostream& out, const Engine& e) {
    return out << e.name;
}

const Engine kEngines[] = {
    {"EncryptedFile", [] { return std::make_unique<FileAccounts>(); }},
    {"LabServer", [] { return std::make_unique<ServerAccounts>(); }},
};

enum class Outcome { Opens, Refused, Unreadable };

struct CheckCase {
    const char* name;
    QStringList stored;  // the rows of the user name, in order
    const char* typed;
    Outcome outcome;
};

std::ostream& operator<<(std::ostream& out, const CheckCase& c) {
    return out << c.name;
}

const QString kHashed = accounts::HashPassword(QStringLiteral("Tank#42"), kQuick);

const CheckCase kCheckCases[] = {
    {"HashedRight", {kHashed}, "Tank#42", Outcome::Opens},
    {"HashedWrong", {kHashed}, "Tank#43", Outcome::Refused},
    {"HashedInOtherCase", {kHashed}, "TANK#42", Outcome::Refused},
    {"HashedTheHashTyped", {kHashed}, "", Outcome::Refused},
    {"ClearRight", {"Tank#42"}, "Tank#42", Outcome::Opens},
    {"ClearWrong", {"Tank#42"}, "Tank#42 ", Outcome::Refused},
    {"Malformed", {"pbkdf2-sha256$600000$short"}, "Tank#42", Outcome::Unreadable},
    {"MalformedWithoutALongWait",
     {Stored("99999999999", kSalt, kDigest)},
     "x",
     Outcome::Unreadable},
    {"MalformedBesideARightRow", {"pbkdf2-sha256$x", kHashed}, "Tank#42", Outcome::Opens},
    {"MalformedBesideAWrongRow", {"Tank#1", "pbkdf2-sha256$x"}, "Tank#42", Outcome::Unreadable},
};

class StoredPasswordCheckTest : public ::testing::TestWithParam<std::tuple<Engine, CheckCase>> {
  protected:
    ::Run run;

  protected:
};

// The password screen's check of every stored form, on each engine: a right password opens,
// a wrong one is refused, and a value that cannot be read is named, not crashed on.
TEST_P(StoredPasswordCheckTest, OpensRefusesOrNamesTheUnreadableAccount) {
    const auto& [engine, c] = GetParam();
    const auto database = engine.fresh();
    run.session.databasePath = database->location();
    for (const QString& stored : c.stored) database->add(QStringLiteral("Experimenter"), stored);
    // "The hash typed" means the stored text itself.
    const QString typed = *c.typed ? QString::fromUtf8(c.typed) : c.stored.first();

    switch (c.outcome) {
        case Outcome::Opens:
        case Outcome::Refused:
            CheckPassword(run, QStringLiteral("experimenter"), typed);
            EXPECT_EQ(run.state.PasswordMatched, c.outcome == Outcome::Opens);
            break;
        case Outcome::Unreadable:
            try {
                CheckPassword(run, QStringLiteral("experimenter"), typed);
                ADD_FAILURE() << "an unreadable stored password was not named";
            } catch (const accounts::PasswordError& error) {
                EXPECT_STREQ(error.what(),
                             "the stored password of 'experimenter' is not in a form this "
                             "program reads; set it again with fluxmere-db passwd");
            }
            EXPECT_FALSE(run.state.PasswordMatched);
            break;
    }
    EXPECT_FALSE(WriteLeftOpen(run)) << "a write was left open";
}

INSTANTIATE_TEST_SUITE_P(EnginesAndForms, StoredPasswordCheckTest,
                         ::testing::Combine(::testing::ValuesIn(kEngines),
                                            ::testing::ValuesIn(kCheckCases)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "_" +
                                    std::get<1>(info.param).name;
                         });

class PasswdOnEngineTest : public ::testing::TestWithParam<Engine> {
  protected:
    ::Run run;

  protected:
};

// passwd stores the whole hash, which the column keeps as it was written, and the password
// screen opens with the password, not with the stored text.
TEST_P(PasswdOnEngineTest, StoresTheWholeHashAndThePasswordOpens) {
    const auto database = GetParam().fresh();
    run.session.databasePath = database->location();
    {
        db::Connection connection = database->open();
        EXPECT_TRUE(tool::SetExperimenterPassword(connection, QStringLiteral("Experimenter"),
                                                  QStringLiteral("Tank#42")));
    }
    const QStringList stored = database->storedOf(QStringLiteral("experimenter"));
    ASSERT_EQ(stored.size(), 1);
    EXPECT_EQ(accounts::FormOf(stored.first()), StoredForm::Hashed);
    EXPECT_FALSE(stored.first().contains(QStringLiteral("Tank#42")));
    EXPECT_EQ(accounts::Verify(stored.first(), QStringLiteral("Tank#42")), Verdict::Matches);

    CheckPassword(run, QStringLiteral("Experimenter"), QStringLiteral("Tank#42"));
    EXPECT_TRUE(run.state.PasswordMatched);
    CheckPassword(run, QStringLiteral("Experimenter"), stored.first());
    EXPECT_FALSE(run.state.PasswordMatched);
}

INSTANTIATE_TEST_SUITE_P(Engines, PasswdOnEngineTest, ::testing::ValuesIn(kEngines),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
