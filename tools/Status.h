#pragma once
// fluxmere-db status: one line per participant of the session, as text for a terminal or as
// CSV, once or refreshed in place.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <vector>

#include "tools/Session.h"

class QTextStream;

namespace tool {

// The clock of the session views: the context's when it has one, else the system's.
QDateTime SessionNow();

// The table for a terminal, with a closing line counting the states.
QString StatusText(const std::vector<SessionRun>& runs, const QDateTime& now);
QByteArray StatusCsv(const std::vector<SessionRun>& runs, const QDateTime& now);

struct StatusOptions {
    QString databasePath;
    QDateTime since;
    bool csv = false;
    bool watch = false;  // redraw every second until interrupted
};

void PrintStatus(const StatusOptions& options, QTextStream& out);

}  // namespace tool
