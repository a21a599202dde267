#include "db/postgresql/ServerErrors.h"

namespace db::postgresql {

namespace {

QString Sentence(QString message) {
    message = message.trimmed();
    while (message.endsWith(QLatin1Char('.'))) message.chop(1);
    return message;
}

bool StateIs(const char* sqlState, const char* expected) {
    return qstrncmp(sqlState, expected, 5) == 0;
}

bool ClassIs(const char* sqlState, const char* expected) {
    return qstrncmp(sqlState, expected, 2) == 0;
}

}  // namespace

Error StatementError(const char* sqlState, const QString& message, const QString& server,
                     const QString& sql) {
    const QString text = Sentence(message);
    const QString during = sql.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(sql);
    if (!sqlState) sqlState = "";
    if (StateIs(sqlState, "55P03") || StateIs(sqlState, "40P01") || StateIs(sqlState, "57014"))
        return Error(errors::RowLocked,
                     QStringLiteral("Could not update; currently locked by another user of "
                                    "'%1': %2.")
                         .arg(server, text));
    if (StateIs(sqlState, "40001"))
        return Error(
            errors::DataChanged,
            QStringLiteral("The data was changed by another user of '%1': %2.").arg(server, text));
    if (StateIs(sqlState, "42P01"))
        return Error(errors::TableNotFound,
                     QStringLiteral("The database '%1' has no table or query: %2%3.")
                         .arg(server, text, during));
    if (StateIs(sqlState, "42501"))
        return Error(errors::CannotOpenFile,
                     QStringLiteral("The lab server '%1' does not allow this: %2. The "
                                    "experimenter's guide says which rights the program's user "
                                    "needs.")
                         .arg(server, text));
    if (ClassIs(sqlState, "42"))
        return Error(errors::SyntaxError,
                     QStringLiteral("Error in the SQL text: %1%2.").arg(text, during));
    if (StateIs(sqlState, "25006"))
        return Error(
            errors::ReadOnlyObject,
            QStringLiteral("Cannot update. The database '%1' is opened read-only.").arg(server));
    if (StateIs(sqlState, "22003"))
        return Error(errors::Overflow, QStringLiteral("Overflow: %1%2.").arg(text, during));
    if (ClassIs(sqlState, "22"))
        return Error(errors::DataTypeConversion,
                     QStringLiteral("Data type conversion error: %1%2.").arg(text, during));
    if (StateIs(sqlState, "23505"))
        return Error(errors::DuplicateKey,
                     QStringLiteral("The row was not stored because it would duplicate a key "
                                    "of the table: %1.")
                         .arg(text));
    if (StateIs(sqlState, "53100"))
        return Error(
            errors::DiskFull,
            QStringLiteral("Not enough space on the disk of the lab server '%1'.").arg(server));
    if (ClassIs(sqlState, "08") || ClassIs(sqlState, "57") || StateIs(sqlState, "53300"))
        return LostConnectionError(message, server);
    return Error(errors::EngineFailure,
                 QStringLiteral("Database engine error on '%1': %2%3.").arg(server, text, during));
}

Error ConnectError(const QString& libpqMessage, const QString& server) {
    const QString text = Sentence(libpqMessage.simplified());
    const bool refused = text.contains(QLatin1String("password authentication failed")) ||
                         text.contains(QLatin1String("no password supplied")) ||
                         text.contains(QLatin1String("authentication failed")) ||
                         text.contains(QLatin1String("pg_hba.conf"));
    if (refused)
        return Error(errors::NotValidPassword,
                     QStringLiteral("The lab server '%1' refused the login: %2. Check the user "
                                    "name and password the station was given.")
                         .arg(server, text));
    if (text.contains(QLatin1String("database \"")) &&
        text.contains(QLatin1String("does not exist")))
        return Error(
            errors::FileNotFound,
            QStringLiteral("The lab server '%1' has no such database: %2.").arg(server, text));
    if (text.contains(QLatin1String("too many clients")) ||
        text.contains(QLatin1String("starting up")) ||
        text.contains(QLatin1String("shutting down")))
        return LostConnectionError(libpqMessage, server);
    return Error(errors::DiskOrNetworkError,
                 QStringLiteral("Cannot reach the lab server '%1': %2.").arg(server, text));
}

Error LostConnectionError(const QString& libpqMessage, const QString& server) {
    return Error(errors::FileLockRefused,
                 QStringLiteral("The connection to the lab server '%1' was lost or refused for "
                                "now: %2.")
                     .arg(server, Sentence(libpqMessage.simplified())));
}

}  // namespace db::postgresql
