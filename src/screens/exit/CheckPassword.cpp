#include "screens/exit/CheckPassword.h"

#include <algorithm>
#include <vector>

#include "access/TableAccess.h"
#include "core/RunRecord.h"
#include "db/Error.h"
#include "db/Location.h"
#include "db/Schema.h"
#include "runtime/MessageText.h"
#include "runtime/OffThread.h"

namespace {

// The stored passwords of the user name's rows, read and the database closed again before
// the slow comparison, so that the period cycle may record meanwhile.
QStringList StoredPasswordsOf(Run& run, const QString& username) {
    db::Rows rows = ReadRows(
        run,
        QStringLiteral("Select password from tblPasswords where username=") + SqlText(username),
        QStringLiteral("Checking password"));
    QStringList stored;
    for (; !rows.atEnd(); rows.next()) stored << rows.value(QStringLiteral("password")).toString();
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

[[noreturn]] void RaiseUnreadable(const QString& username) {
    throw accounts::PasswordError(
        QStringLiteral("the stored password of '%1' is not in a form this program reads; "
                       "set it again with fluxmere-db passwd")
            .arg(runtime::ValueForMessage(username))
            .toStdString());
}

// What a station function of the server answers, one value a row.
QStringList ServerAnswers(Run& run, const QString& function, const QVariantList& arguments) {
    QStringList places;
    for (qsizetype i = 0; i < arguments.size(); ++i) places << QStringLiteral("?");
    db::Rows rows = ReadRows(run,
                             db::Query(QStringLiteral("select %1(%2) as Answer")
                                           .arg(function, places.join(QStringLiteral(", "))),
                                       arguments),
                             QStringLiteral("Checking password"));
    QStringList answers;
    for (; !rows.atEnd(); rows.next()) answers << rows.value(QStringLiteral("Answer")).toString();
    return answers;
}

// The typed password as each account of the name would store it: hashed with the account's
// own scheme, iterations and salt (an empty text when they cannot be read); for an account
// stored in clear, its SHA-256, so that the password never leaves the station as typed.
QStringList StoredFormsOfTyped(const QStringList& settings, const QString& password) {
    QStringList forms;
    runtime::RunOffThread([&] {
        for (const QString& setting : settings)
            forms << (setting.isEmpty() ? accounts::ClearPasswordDigest(password)
                                        : accounts::HashedLike(setting, password));
    });
    return forms;
}

void CheckOnTheServer(Run& run, const QString& username, const QString& password) {
    const QStringList settings =
        ServerAnswers(run, QLatin1String(db::kPasswordSettings), {username});
    if (settings.isEmpty() || password.isEmpty()) return;
    const QStringList forms = StoredFormsOfTyped(settings, password);
    for (const QString& form : forms) {
        if (form.isEmpty() ||
            !db::IsTrue(
                ServerAnswers(run, QLatin1String(db::kPasswordCheck), {username, form}).value(0)))
            continue;
        run.state.ExpectedPassword = form;
        run.state.PasswordMatched = true;
        return;
    }
    if (forms.contains(QString())) RaiseUnreadable(username);
}

}  // namespace

void CheckPassword(Run& run, const QString& username, const QString& password) {
    run.state.PasswordMatched = false;
    if (db::IsServerLocation(DatabasePath(run))) return CheckOnTheServer(run, username, password);
    const QStringList stored = StoredPasswordsOf(run, username);
    if (stored.isEmpty()) return;
    run.state.ExpectedPassword = stored.first();
    const std::vector<accounts::Verdict> verdicts = VerdictsOn(stored, password);
    if (verdicts.back() == accounts::Verdict::Matches) {
        run.state.ExpectedPassword = stored[static_cast<qsizetype>(verdicts.size() - 1)];
        run.state.PasswordMatched = true;
        return;
    }
    if (std::find(verdicts.begin(), verdicts.end(), accounts::Verdict::Unreadable) !=
        verdicts.end())
        RaiseUnreadable(username);
}
