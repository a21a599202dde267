#pragma once
// One participant's run: the parameters of the chosen version (setup), everything else the
// run shares between screens and procedures (state), its database session, its clock and whom
// it asks. A run is a value: the model, the cycle, recording, resume and the screens receive
// it, so one process can hold several runs at once.

#include <QDate>
#include <QDateTime>
#include <QString>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <vector>

#include "runtime/Clock.h"
#include "runtime/Questions.h"

class QTimer;

namespace db {
class Connection;
}  // namespace db

// Arrays are indexed from 0 to an upper bound, both inclusive; sizing clears them.
template <typename T>
void SizeArray(std::vector<T>& array, long upperBound) {
    array.assign(upperBound < 0 ? 0 : static_cast<std::size_t>(upperBound) + 1, T{});
}

struct ExperimentSetupRecord {
    std::int32_t MaxTrial = 0;
    double BaseMoney = 0;
    std::int16_t numMarks = 0;
    double InitialAmountInTank = 0;
    double GoalLinePosition = 0;  // column "GoalLinePoisition"
    double InitialBackOrder = 0;
    double InitialForwardDischarge = 0;
    double simTimeForTP = 0;
    std::int16_t ScenarioUsed = 0;
    std::int16_t DelayScenario = 0;
    std::int16_t AfterEveryNTrials = 0;  // not a column: 1 whenever the setup is loaded
    double CostUnderFlowPerAmount = 0;
    double CostOverFlowPerAmount = 0;
    double BonusAmount = 0;
    QString YUnits;
    bool graphicalMode = false;
    std::int32_t userDelay = 0;
    std::int32_t envDelay = 0;
    double RHEIGHT = 0;
    double RWIDTH = 0;
    double UpperBoundFromGoal = 0;
    double LowerBoundFromGoal = 0;
    std::int32_t ExperimentTimeForInstructions = 0;
    std::int16_t MaxNumberOfAScenarioType = 0;
    bool IsTimeDriven = false;
    bool OrdersDueOnce = false;  // empty (false) in files made before the column existed
    bool IsBonusOnTimeGap = false;
    bool ShowBackOrder = false;
    bool ShowDischargeOrder = false;
    bool ShowTimePeriods = false;
    double deltaTmeBetweenEnvUsr = 0;
    double TimeBetweenEnvTries = 0;
    std::int32_t UsrMv = 0;
    std::int32_t EnvMv = 0;
    QString Language;  // as the cell holds it: a code of config::LanguageCodes, empty for English
};

// Each order falls due once, in the first period whose delay reaches back to it: always on a
// clock (a period may run two user phases), by choice when paced by Submit. Otherwise a
// change of delay re-aims the due period and moves no order.
bool OrdersFallDueOnce(const ExperimentSetupRecord& setup);

// Runs whose orders fall due once: how far one of the participant's flows has fallen due,
// so that nothing falls due twice, and what fell due but has not yet reached the stock.
struct FlowArrivals {
    long pipelineThrough = 0;        // the last period whose initial pipeline entry fell due
    bool pipelineRestTaken = false;  // the delay reached back to period 1: every entry came
    long ordersThrough = 0;          // the last period whose order fell due
    bool pending = false;            // fallen due, not yet applied
    bool pendingFromOrder = false;
    double pendingAmount = 0;
};

struct RunStateRecord {
    // Participant and run
    QString SubjectName;
    QString Version;
    QString Condition;
    std::int32_t CurrentTrial = 0;
    std::int32_t EventID = 0;
    // A continued run keeps the event rows up to this one, the end of its last complete
    // period; the later rows were an interrupted attempt that the run plays again.
    std::int32_t LastKeptEventID = 0;
    // The last period recorded whole: every phase begun in it scored, no Submit of it pending.
    std::int32_t LastCompletePeriod = 0;
    bool QuitAtLogin = false;
    bool ExitConfirmed = false;

    // Configuration tables loaded at login and start-up
    std::vector<double> EnvInFlow;           // 0..MaxNumberOfAScenarioType+1
    std::vector<double> EnvOutFlow;          // 0..MaxNumberOfAScenarioType+1
    std::vector<double> InflowDelayValue;    // 0..InflowDelayCount
    std::vector<double> InflowDelayLength;   // 0..InflowDelayCount
    std::vector<double> OutflowDelayValue;   // 0..OutflowDelayCount
    std::vector<double> OutflowDelayLength;  // 0..OutflowDelayCount
    std::int16_t InflowDelayCount = 0;
    std::int16_t OutflowDelayCount = 0;
    std::vector<std::int16_t> InflowDelayEnd;   // 0..MaxNumberOfAScenarioType
    std::vector<std::int16_t> OutflowDelayEnd;  // 0..MaxNumberOfAScenarioType
    std::vector<QString> MarkLabels;            // 0..numMarks
    double TopLabelValue = 0;

    // Tank, orders and flows
    double AmountInTank = 0;
    std::vector<double> BackOrder;         // 0..MaxTrial+1
    std::vector<double> ForwardDischarge;  // 0..MaxTrial+1
    double TotalBackOrder = 0;
    double TotalForwardDischarge = 0;
    std::int16_t UserInflowTP = 0;
    std::int16_t UserOutflowTP = 0;
    std::vector<double> UserInFlow;   // 0..MaxTrial+1
    std::vector<double> UserOutFlow;  // 0..MaxTrial+1
    bool IsUserInFlow = false;
    bool IsUserOutFlow = false;
    bool IsEnvInFlow = false;
    bool IsEnvOutFlow = false;

    // Money
    double CurrentCost = 0;
    double TotCost = 0;
    double CurrentBonus = 0;
    double TotBonus = 0;

    // Period cycle and times
    bool UserFlowPending = false;
    bool EnvActionDone = false;
    FlowArrivals InflowArrivals;
    FlowArrivals OutflowArrivals;
    runtime::TimeValue PeriodStartTime;
    runtime::TimeValue PeriodEndTime;
    runtime::TimeValue EnvActionTime;
    runtime::TimeValue SubmitTime;
    std::int32_t EnvToSubmitSeconds = 0;

    // Screen scale
    double TwipsPerMark = 0;
    double AmountPerMark = 0;
    std::int16_t TankIndex = 0;
    std::int16_t PipeUserIn = 0;
    std::int16_t PipeUserOut = 0;
    std::int16_t PipeEnvIn = 0;
    std::int16_t PipeEnvOut = 0;

    // Exit control
    QString ExpectedPassword;
    bool PasswordMatched = false;
    bool ExitAuthorised = false;
};

// A connection serves one run at a time: a copy of a run (another run, perhaps on another
// thread) opens its own.
class RunConnectionSlot {
  public:
    RunConnectionSlot() = default;
    RunConnectionSlot(const RunConnectionSlot& /*other*/) {}
    RunConnectionSlot& operator=(const RunConnectionSlot& other) {
        if (this != &other) held.reset();
        return *this;
    }
    RunConnectionSlot(RunConnectionSlot&&) noexcept = default;
    RunConnectionSlot& operator=(RunConnectionSlot&&) noexcept = default;
    ~RunConnectionSlot() = default;

    std::shared_ptr<db::Connection> held;
};

// The run's connection to the experiment database.
struct RunSession {
    QString databasePath;  // empty: the station's own file beside the program
    // Opened by the run's first read or write and kept for the others; let go after a failure
    // that may have spoilt it, so that the next try opens it afresh.
    RunConnectionSlot connection;
    // While above 0 nothing is recorded: a run that is only measured.
    int recordingOff = 0;
    // The station the run is recorded from, as people know it; empty: this computer's host name.
    QString stationName;
    // This station's claim on the run (empty: none held) and the timer that keeps it alive.
    QString claim;
    std::shared_ptr<QTimer> claimHeartbeat;
};

struct Run {
    ExperimentSetupRecord setup;
    RunStateRecord state;
    RunSession session;
    std::function<QDateTime()> clock;    // empty: the system clock
    runtime::Questions* asks = nullptr;  // nullptr: nobody; the question goes to the error stream
    runtime::ModalForms* showsForms = nullptr;  // nullptr: real modal forms
    // The back-off's pause between two tries at the database (empty: real time, the window
    // responsive), and the random draws that keep stations from retrying in step.
    std::function<void(std::chrono::milliseconds)> pause;
    std::mt19937 random{5489u};

    // The run's date and time.
    QDateTime Now() const;
    QDate Today() const { return Now().date(); }
    runtime::TimeValue TimeOfDay() const;
    QString TimeText() const { return TimeOfDay().toText(); }
    // Asks whom the run asks; an empty title stands for the application title.
    runtime::Answer ask(const QString& text, runtime::Buttons buttons = runtime::Buttons::Ok,
                        runtime::Icon icon = runtime::Icon::None,
                        const QString& title = QString()) const;
};
