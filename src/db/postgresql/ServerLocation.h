#pragma once
// A server location: the parts of a connection URI, and the URI as messages show it.

#include <QString>
#include <utility>
#include <vector>

namespace db::postgresql {

struct ServerLocation {
    // libpq's keywords and values as the URI gives them (the password among them, if any).
    std::vector<std::pair<QByteArray, QByteArray>> settings;
    // The URI without its password: safe for messages.
    QString shown;

    QByteArray setting(const char* keyword) const;
    // The same settings with one keyword replaced or added.
    ServerLocation with(const char* keyword, const QByteArray& value) const;
};

// Raises CannotOpenFile (3051) for a URI libpq cannot read; the message never shows the
// password.
ServerLocation ParseLocation(const QString& uri);

}  // namespace db::postgresql
