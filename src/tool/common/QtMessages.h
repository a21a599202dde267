#pragma once
// Keeps Qt's own notes (a missing runtime folder and the like) off the terminal of the
// experimenter's programs; only what stops Qt reaches it.

#include <QtGlobal>

namespace tool {

void QuietQtMessages(QtMsgType type, const QMessageLogContext& context, const QString& message);

}  // namespace tool
