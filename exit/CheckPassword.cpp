#include "exit/CheckPassword.h"

#include "access/TableAccess.h"
#include "core/RunRecord.h"
#include "db/Error.h"

namespace {

// Reads the rows found for the user name; true when one holds the typed password. Compared
// here, not in the query: the column ignores letter case, the password must not.
bool AnyRowHolds(db::Recordset& rows, const QString& password) {
    rows.MoveFirst();
    RunState.ExpectedPassword = rows.Field(QStringLiteral("password")).toString();
    for (; !rows.Eof(); rows.MoveNext()) {
        const QVariant stored = rows.Field(QStringLiteral("password"));
        if (!stored.isNull() && !password.isEmpty() && stored.toString() == password) {
            RunState.ExpectedPassword = stored.toString();
            return true;
        }
    }
    return false;
}

}  // namespace

void CheckPassword(const QString& username, const QString& password) {
    RunState.PasswordMatched = false;
    const TableRead read(
        QStringLiteral("Select password from tblPasswords where username=") + SqlText(username),
        QStringLiteral("Checking password"));
    if (!read.rows().Eof()) RunState.PasswordMatched = AnyRowHolds(read.rows(), password);
}
