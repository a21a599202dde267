#pragma once
// The arithmetic of one period of frmHydrovat, apart from its controls: the delay update,
// the participant's orders that fall due, their effect on the tank, the environment's
// effect, the bonus rules and the read-out texts. Each function reads and changes the run
// record's fields and returns what the screen shows; the screen applies it to its controls
// and records the events.

#include <QString>
#include <cstdint>

#include "core/RunRecord.h"

namespace period {

// Number texts: "00.000" always; the read-outs "00.000" in graphical mode, "00" in discrete.
QString Three(double x);
QString Readout(const Run& run, double x);

// Sets UserInflowTP and UserOutflowTP from the delay schedule when the current period ends
// a segment (never in the last period); a later matching row overrides an earlier one.
void UpdateDelays(Run& run);

// The period whose order falls due now with the given delay: CurrentTrial - (delay - 1).
// Zero or below means the initial pipeline supplies the amount.
long OrderPeriod(const Run& run, std::int16_t delay);

// A user flow in the current period.
struct DueFlow {
    bool due = false;        // the flow acts: pipe water, flag, event
    double amount = 0;       // what it adds to or takes from the tank
    bool fromOrder = false;  // an order of the participant, not the initial pipeline
    QString doorCaption;     // "USER: " and the amount
    QString pipeCaption;     // the amount beside the pipe, "00.000"
};

// What falls due now, without changing anything.
DueFlow DueInflow(const Run& run);
DueFlow DueOutflow(const Run& run);

// Announcement of the user phase: marks a due flow (IsUserInFlow/IsUserOutFlow,
// UserFlowPending for an own order) and keeps TotalBackOrder/TotalForwardDischarge equal
// to what is ordered and not yet due. Time-driven, only what has not fallen due before is
// due (every amount falls due once, whether one or two user phases run in its period).
DueFlow AnnounceInflow(Run& run);
DueFlow AnnounceOutflow(Run& run);

// In time-driven mode, clears UserFlowPending when neither due order holds an amount.
void QuietCheck(Run& run);

// Application of the user phase: adds the due inflow to AmountInTank, takes the due outflow.
// Time-driven, what was announced and has not yet acted.
DueFlow ApplyInflow(Run& run);
DueFlow ApplyOutflow(Run& run);

// The read-out panel: goal and amount in model units, the two order totals.
struct PanelTexts {
    QString goal;          // lblGoalStatusVal
    QString amount;        // lblAmountStatusVal
    QString backOrder;     // lblBackOrderVal
    QString forwardOrder;  // lblForwardOrderVal
};
PanelTexts PanelReadouts(const Run& run);

// The read-outs after the user phase: the environment rates and the participant's due
// orders (0 while the initial pipeline flows); the panel is read by PanelReadouts.
struct UserPhaseTexts {
    QString envIn;    // lblInFlowStatusEnvVal
    QString envOut;   // lblOutFlowStatusEnvVal
    QString userIn;   // lblInFlowStatusVal
    QString userOut;  // lblOutFlowStatusVal
};
UserPhaseTexts UserPhaseReadouts(const Run& run);

// The environment's rates of the current period. A period beyond the scenario's rates
// reads 0 for both and has no environment action, like one whose two rates are negative.
struct EnvironmentRates {
    double in = 0;
    double out = 0;
    bool acts = false;
};
EnvironmentRates CurrentEnvironmentRates(const Run& run);

// The environment phase: sets EnvActionTime and both environment flags, and when the
// environment acts changes AmountInTank by (in - out) * simTimeForTP.
struct EnvironmentEffect {
    bool acts = false;
    QString inPipeCaption;   // lblEnvInCon, "00.000"
    QString outPipeCaption;  // lblEnvOutCon
    QString inDoorCaption;   // "ENV: " and the inflow
    QString outDoorCaption;  // "ENV: " and the outflow
};
EnvironmentEffect ApplyEnvironment(Run& run);

// The two bonus rules; the time-gap rule also sets EnvToSubmitSeconds.
bool EarnsBandBonus(const Run& run, double amount);
bool EarnsTimeGapBonus(Run& run);

// Scoring (CalCost): one rule by IsBonusOnTimeGap; sets CurrentBonus and adds it to
// TotBonus. amount is the held AmountInTank.
struct Score {
    bool earned = false;
    QString currentBonus;  // lblCurrBonusVal
    QString totBonus;      // lblAccuBonusVal
};
Score ScorePeriod(Run& run, double amount);

}  // namespace period
