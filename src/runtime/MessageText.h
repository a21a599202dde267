#pragma once
// Values as messages show them.

#include <QString>

namespace runtime {

// The value whole when it is short; otherwise its start and how long it is, so that a pasted
// page of text cannot flood a message box or a terminal.
QString ValueForMessage(const QString& value);

}  // namespace runtime
