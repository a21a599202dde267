#pragma once
// Where an experiment database is: a file path, or a server's address ("scheme://...").
// A server's address may carry a login; messages show it without the password.

#include <QRegularExpression>
#include <QString>

namespace db {

inline bool IsServerLocation(const QString& location) {
    static const QRegularExpression uri(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*://"));
    return uri.match(location).hasMatch();
}

// A file path as it is; a server's address without "user:password@"'s password and without a
// "password=" parameter.
inline QString LocationForMessages(const QString& location) {
    if (!IsServerLocation(location)) return location;
    static const QRegularExpression userPassword(
        QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]*://[^/@:?]*):[^@/?]*@"));
    static const QRegularExpression passwordParameter(QStringLiteral("([?&])password=[^&]*(&|$)"),
                                                      QRegularExpression::CaseInsensitiveOption);
    QString shown = location;
    shown.replace(userPassword, QStringLiteral("\\1@"));
    shown.replace(passwordParameter, QStringLiteral("\\1"));
    if (shown.endsWith(QLatin1Char('?')) || shown.endsWith(QLatin1Char('&'))) shown.chop(1);
    return shown;
}

}  // namespace db
