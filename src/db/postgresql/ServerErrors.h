#pragma once
// The server's failures as the numbers the table access reacts to. The server tells what went
// wrong by an SQLSTATE; the program's numbers are those of the encrypted file engine.

#include <QString>

#include "db/Error.h"

namespace db::postgresql {

// A failed statement, by the server's SQLSTATE and message. server is the location as shown.
Error StatementError(const char* sqlState, const QString& message, const QString& server,
                     const QString& sql);

// A connection that could not be made: refused login, unknown database or unreachable server.
Error ConnectError(const QString& libpqMessage, const QString& server);

// A connection that was open and broke: passes when the server is back, so it is retried.
Error LostConnectionError(const QString& libpqMessage, const QString& server);

}  // namespace db::postgresql
