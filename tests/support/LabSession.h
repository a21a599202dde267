#pragma once
// A lab session of three stations, played headless through the program's cycle and
// recording: lab-01 finished, lab-02 in the middle of period 2, lab-03 killed in period 3.
// The simulated stations play from 09:00 on the session's day; the session is looked at at kNow.

#include <QDateTime>
#include <QString>
#include <vector>

#include "tests/support/ExperimentDatabase.h"

class LabSession {
  public:
    static const QDate kDay;
    static const QDateTime kNow;

    // Sets the version up in the database.
    explicit LabSession(const ExperimentDatabase& database);

    // Plays one participant of version Paced headless to the end, recorded as PREFIX-heuristic-1
    // and marked simulated; the earnings message it ends with.
    QString play(const QString& prefix) const;

    // The three stations; the earnings message of each, as its station showed it.
    std::vector<QString> playThreeStations() const;

  private:
    void placeAt(const struct LabStation& station) const;

    const ExperimentDatabase& database_;
};
