#include "tool/data/Passwd.h"

#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <iterator>

#include "accounts/StoredPassword.h"
#include "tool/common/TableData.h"
#include "tool/common/ToolError.h"

namespace tool {

namespace {

QString ReadLine(std::FILE* input) {
    QByteArray line;
    int c;
    while ((c = std::fgetc(input)) != EOF && c != '\n') line.append(static_cast<char>(c));
    if (line.endsWith('\r')) line.chop(1);
    return QString::fromUtf8(line);
}

// What a signal handler needs to give the terminal its echo back.
int g_quietTerminal = -1;
termios g_echoingSettings{};

extern "C" void RestoreEchoAndStop(int signal) {
    tcsetattr(g_quietTerminal, TCSANOW, &g_echoingSettings);  // safe within a handler
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// Echo is off for the life of the object, and back on however it ends, Ctrl+C included.
class EchoOff {
  public:
    explicit EchoOff(int fd) : fd_(fd) {
        tcgetattr(fd_, &saved_);
        g_quietTerminal = fd_;
        g_echoingSettings = saved_;
        for (std::size_t i = 0; i < std::size(kStoppingSignals); ++i) {
            previous_[i] = std::signal(kStoppingSignals[i], RestoreEchoAndStop);
        }
        termios quiet = saved_;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(fd_, TCSAFLUSH, &quiet);
    }
    ~EchoOff() {
        tcsetattr(fd_, TCSAFLUSH, &saved_);
        for (std::size_t i = 0; i < std::size(kStoppingSignals); ++i) {
            std::signal(kStoppingSignals[i], previous_[i]);
        }
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

  private:
    static constexpr int kStoppingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

    int fd_;
    termios saved_{};
    void (*previous_[std::size(kStoppingSignals)])(int) = {};
};

QString AskHidden(std::FILE* input, std::FILE* prompts, const char* question) {
    std::fputs(question, prompts);
    std::fflush(prompts);
    QString answer;
    {
        EchoOff quiet(fileno(input));
        answer = ReadLine(input);
    }
    std::fputc('\n', prompts);
    return answer;
}

}  // namespace

void RequireNewPassword(const QString& password, const QString& repeated) {
    if (password.isEmpty())
        throw ToolError(QStringLiteral("the password is empty; nothing was changed"));
    if (repeated != password)
        throw ToolError(QStringLiteral("the two passwords differ; nothing was changed"));
}

QString ReadNewPassword(std::FILE* input, std::FILE* prompts) {
    if (!isatty(fileno(input))) {
        const QString line = ReadLine(input);
        RequireNewPassword(line, line);
        return line;
    }
    const QString password = AskHidden(input, prompts, "New password: ");
    RequireNewPassword(password, password.isEmpty()
                                     ? password
                                     : AskHidden(input, prompts, "Repeat the password: "));
    return password;
}

QString PasswordSetText(const QString& user, bool added) {
    return (added ? QStringLiteral("added the experimenter account '%1'")
                  : QStringLiteral("changed the password of '%1'"))
        .arg(user.trimmed());
}

QStringList ExperimenterAccounts(db::Connection& connection) {
    const Rows rows(
        connection,
        QStringLiteral("SELECT username FROM tblPasswords ORDER BY %1").arg(connection.rowKey()));
    QStringList names;
    for (int r = 0; r < rows.size(); ++r) {
        const QString name = rows.at(r, QStringLiteral("username")).toString();
        if (!names.contains(name, Qt::CaseInsensitive)) names << name;
    }
    return names;
}

void RemoveExperimenter(db::Connection& connection, const QString& user) {
    const QString name = user.trimmed();
    if (Rows(connection, QStringLiteral("SELECT 1 FROM tblPasswords WHERE username = ?"), {name})
            .empty())
        throw ToolError(QStringLiteral("there is no experimenter account '%1'").arg(name));
    const Rows others(connection,
                      QStringLiteral("SELECT password FROM tblPasswords WHERE username <> '' "
                                     "AND NOT (username = ?)"),
                      {name});
    bool anotherOpens = false;
    for (int r = 0; r < others.size(); ++r)
        anotherOpens = anotherOpens ||
                       accounts::OpensASession(others.at(r, QStringLiteral("password")).toString());
    if (!anotherOpens)
        throw ToolError(QStringLiteral("'%1' is the last account that can end a session; add "
                                       "another one first")
                            .arg(name));
    db::Statement remove =
        connection.prepare(QStringLiteral("DELETE FROM tblPasswords WHERE username = ?"));
    remove.bind(1, name);
    remove.step();
}

bool SetExperimenterPassword(db::Connection& connection, const QString& user,
                             const QString& password) {
    const QString name = user.trimmed();
    if (name.isEmpty()) throw ToolError(QStringLiteral("the user name is empty"));
    if (password.isEmpty()) throw ToolError(QStringLiteral("the password is empty"));
    const bool known =
        !Rows(connection, QStringLiteral("SELECT 1 FROM tblPasswords WHERE username = ?"), {name})
             .empty();
    db::Statement write = connection.prepare(
        known ? QStringLiteral("UPDATE tblPasswords SET password = ?1 WHERE username = ?2")
              : QStringLiteral("INSERT INTO tblPasswords (password, username) VALUES (?1, ?2)"));
    write.bind(1, accounts::HashPassword(password));
    write.bind(2, name);
    write.step();
    return !known;
}

bool SetExperimenterPassword(const QString& databasePath, const QString& user,
                             const QString& password) {
    auto connection = OpenExperimentDatabase(databasePath, db::OpenMode::ReadWrite);
    return SetExperimenterPassword(*connection, user, password);
}

}  // namespace tool
