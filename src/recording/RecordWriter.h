#pragma once
// Writing one recorded row. The participant's run must not go on without its record, and
// no row may be left half-written: the engine stores a row whole or not at all; when a
// write fails, a passing conflict with another station is tried again after a pause, and
// otherwise the user is asked whether to write the row again (Yes) or to end the program
// (No). A row that repeats a unique key of its table would repeat it on every try: that
// error goes to the caller, who knows what it means.

#include <QString>
#include <QVariant>
#include <functional>

#include "core/RunRecord.h"
#include "db/Rows.h"
#include "runtime/Clock.h"

// Runs write on the run's connection in one write transaction (joining one the run holds) and
// commits it. On a failure nothing of the try stays stored before it is tried again.
void WriteRecord(Run& run, const QString& table, const QString& status,
                 const std::function<void(db::Connection&)>& write);
// Appends a row to table with the values assign sets, and the key of the write where the table
// has its column.
void InsertRecord(Run& run, const QString& table, const QString& status,
                  const std::function<void(db::TableRow&)>& assign);
// Changes the first row of table that condition selects (its "?" bound to the query's values)
// to the values assign sets; false when there is no such row.
bool UpdateRecord(Run& run, const QString& table, const db::Query& condition, const QString& status,
                  const std::function<void(db::TableRow&)>& assign);

// While one is alive, WriteRecord and its kin store nothing of the run: a headless run that is only
// to be measured plays the same steps without touching the database.
class ScopedRecordingOff {
  public:
    explicit ScopedRecordingOff(Run& run);
    ~ScopedRecordingOff();
    ScopedRecordingOff(const ScopedRecordingOff&) = delete;
    ScopedRecordingOff& operator=(const ScopedRecordingOff&) = delete;

  private:
    Run& run_;
};

// The question asked when a row could not be written.
QString WriteFailureTitle();
QString WriteFailureText(int number, const QString& description, const QString& table,
                         const QString& status);

// A true flag is written as 1; a false one is left unassigned, so the column keeps its
// default (false).
void SetFlag(db::TableRow& record, const QString& column, bool value);

// Columns that the event log and the period summary share, in their order: AmountInTank,
// GoalAmount (both in model units), SimulationTime, BaseMoney, UserInflowTP, UserOutflowTP;
// and the flags IsUserInFlow, IsUserOutFlow, IsEnvInFlow, IsEnvOutFlow, graphicalMode.
void AssignTankColumns(const Run& run, db::TableRow& record);
// UserInFlow and UserOutFlow: the orders of the current period.
void AssignOrderColumns(const Run& run, db::TableRow& record);
// BackOrder and ForwardDischarge of the current period, TotalBackOrder, TotalForwardDischarge.
void AssignPipelineColumns(const Run& run, db::TableRow& record);
void AssignFlowFlags(const Run& run, db::TableRow& record);

// A time-of-day value as a time column holds it.
QVariant TimeField(runtime::TimeValue time);
