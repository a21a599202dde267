#include "exit/CheckPassword.h"

#include <algorithm>
#include <vector>

#include "access/TableAccess.h"
#include "core/RunRecord.h"
#include "db/Error.h"
#include "runtime/MessageText.h"
#include "runtime/OffThread.h"

namespace {

// The stored passwords of the user name's rows, read and the database closed again before
// the slow comparison, so that the period cycle may record meanwhile.
QStringList StoredPasswordsOf(const QString& username) {
    const TableRead read(
        QStringLiteral("Select password from tblPasswords where username=") + SqlText(username),
        QStringLiteral("Checking password"));
    QStringList stored;
    if (read.rows().Eof()) return stored;
    for (read.rows().MoveFirst(); !read.rows().Eof(); read.rows().MoveNext())
        stored << read.rows().Field(QStringLiteral("password")).toString();
    return stored;
}

// Compared here, not in the query: the column ignores letter case, the password must not.
std::vector<accounts::Verdict> VerdictsOn(const QStringList& stored, const QString& password) {
    std::vector<accounts::Verdict> verdicts;
    runtime::RunOffThread([&] {
        for (const QString& value : stored) {
            verdicts.push_back(accounts::Verify(value, password));
            if (verdicts.back() == accounts::Verdict::Matches) return;
        }
    });
    return verdicts;
}

}  // namespace

void CheckPassword(const QString& username, const QString& password) {
    RunState.PasswordMatched = false;
    const QStringList stored = StoredPasswordsOf(username);
    if (stored.isEmpty()) return;
    RunState.ExpectedPassword = stored.first();
    const std::vector<accounts::Verdict> verdicts = VerdictsOn(stored, password);
    if (verdicts.back() == accounts::Verdict::Matches) {
        RunState.ExpectedPassword = stored[static_cast<qsizetype>(verdicts.size() - 1)];
        RunState.PasswordMatched = true;
        return;
    }
    if (std::find(verdicts.begin(), verdicts.end(), accounts::Verdict::Unreadable) !=
        verdicts.end())
        throw accounts::PasswordError(
            QStringLiteral("the stored password of '%1' is not in a form this program reads; "
                           "set it again with fluxmere-db passwd")
                .arg(runtime::ValueForMessage(username))
                .toStdString());
}
