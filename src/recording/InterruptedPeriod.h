#pragma once
// A station may stop at any moment, also in the middle of a period. A continued run goes on
// from the end of the last complete period and plays the interrupted period again in full;
// the rows of the interrupted attempt stay in the database, marked as superseded.

#include <QString>
#include <cstdint>
#include <vector>

#include "core/RunRecord.h"

// An event row of the participant's run as the continuation judges it.
struct RecordedEvent {
    std::int32_t eventID = 0;
    long trial = 0;
    QString eventType;
};

// The last complete period and the event row that closed it; 0 and 0 when no period is
// complete.
struct CompletePeriod {
    long period = 0;
    std::int32_t closingEventID = 0;
};

// Judges the kept event rows of a run, oldest first. Each user phase opens with "No User
// Effect" and, like a time-driven period's environment phase, closes with "After Cost
// Calculation". The latest period is complete when its last row is such a closing row and
// every phase begun in it (and one a time-driven Submit began just before the clock opened
// it) is closed; in time-driven mode each Submit press recorded in the period must also have
// been taken over ("Submit Clicked"), except in the last period, which records none. When
// the latest period is not complete, the one before it is: the cycle opens a period only
// after the previous one ended.
CompletePeriod LastCompletePeriod(const std::vector<RecordedEvent>& events, bool timeDriven,
                                  long pressesInLatestPeriod, long maxTrial);

// Whether a row has been set aside by an earlier continuation. A file recorded before
// continuations replayed periods has no such column: nothing in it was set aside.
namespace db {
class Rows;
}
bool IsSuperseded(const db::Rows& row);

// Marks, in one write, the participant's rows recorded after the kept event row
// (run.state.LastKeptEventID) and the Submit presses of the periods played again, and adds
// the mark's column to a file recorded by an earlier program.
void SupersedeInterruptedAttempt(Run& run);
