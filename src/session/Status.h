#pragma once
// fluxmere-db status: one line per participant of the session, as text for a terminal or as
// CSV, once or refreshed in place.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "session/Session.h"

class QTextStream;

namespace tool {

// The clock of the session views.
QDateTime SessionNow();

// The columns of the session views and a run's values in them.
QStringList StatusHeadings();
QStringList StatusCells(const SessionRun& run, const QDateTime& now);
// "3 participants at 10:05:03: 1 running, 1 finished, 1 stalled"
QString SessionSummary(const std::vector<SessionRun>& runs, const QDateTime& now);

// The table for a terminal (long names cut), with the summary as its closing line.
QString StatusText(const std::vector<SessionRun>& runs, const QDateTime& now);
QByteArray StatusCsv(const std::vector<SessionRun>& runs, const QDateTime& now);

struct StatusOptions {
    QString databasePath;
    QDateTime since;
    bool csv = false;
    bool watch = false;  // redraw every second until interrupted
    std::function<QDateTime()> now = SessionNow;
};

void PrintStatus(const StatusOptions& options, QTextStream& out);

}  // namespace tool
