#include "tool/common/QtMessages.h"

#include <QString>
#include <cstdio>

namespace tool {

void QuietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "fluxmere-db: %s\n", message.toLocal8Bit().constData());
}

}  // namespace tool
