#pragma once
// fluxmere-db monitor: the session's participants in a window, refreshed live. It reads only,
// on a connection opened for each refresh and closed right after, in short slices: a station
// never waits on it for more than a moment.

#include <QDateTime>
#include <QLabel>
#include <QPixmap>
#include <QSocketNotifier>
#include <QTableWidget>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

#include "db/Engine.h"
#include "session/Session.h"
#include "session/Status.h"

namespace tool {

// A participant's amount over the periods against the goal and its bonus band.
QPixmap DrawRunPath(const SessionRun& run, QSize size);

class SessionMonitor : public QWidget {
    Q_OBJECT

  public:
    SessionMonitor(QString location, QDateTime since, int intervalMs = 1000,
                   QWidget* parent = nullptr);

    const QTableWidget& table() const { return table_; }
    const QLabel& statusLine() const { return statusLine_; }

    // The clock the states are judged by (by default the system's).
    void setClock(std::function<QDateTime()> now) { now_ = std::move(now); }

    // Reads what is new and shows the session; the poll timer calls it.
    void refresh();

  private:
    void showRuns(const std::vector<SessionRun>& runs, const QDateTime& now);
    void showRow(int row, const SessionRun& run, const QDateTime& now);

    // A lab server tells of recorded rows at once; the poll stays as the backstop (and is all
    // a file has).
    void listenForRecordings();
    void recordingsTold();

    QString location_;
    std::function<QDateTime()> now_ = SessionNow;
    SessionReader reader_;
    QTableWidget table_;
    QLabel statusLine_;
    QTimer poll_;
    std::optional<db::Connection> listener_;
    std::unique_ptr<QSocketNotifier> told_;
};

}  // namespace tool
