// The period cycle of frmHydrovat: a chain of one-shot timers. Every handler first stops its
// own timer, does its step, arms the timer of the next step and returns, so the screen stays
// responsive and each phase shows for the version's pause.
#include <QLocale>
#include <algorithm>
#include <cmath>

#include "core/RunRecord.h"
#include "core/RunValues.h"
#include "core/Shutdown.h"
#include "recording/EventLog.h"
#include "recording/SubmitTime.h"
#include "recording/TrialSummary.h"
#include "simulation/PeriodModel.h"
#include "config/ScreenSetup.h"
#include "simulation/frmHydrovat.h"
#include "runtime/Clock.h"

namespace {

// BGR 255, 49152 and 0 of the design.
const QColor kRed(255, 0, 0);
const QColor kGreen(0, 192, 0);
const QColor kBlack(0, 0, 0);

// Arms a one-shot step: interval first, then enabled, which restarts a running countdown.
// A pause of 0 ms means no pause; a timer with interval 0 would never fire and stall the run.
void Arm(ui::FormTimer& timer, int milliseconds) {
    timer.setInterval(std::max(milliseconds, 1));
    timer.setEnabled(true);
}

void Record(const QString& eventType) {
    RunState.EventID += 1;
    RecordEvent(eventType);
}

void ShowPipeAmount(ui::Label& label, const QColor& back, const QString& caption) {
    label.setBackColor(back);
    label.setCaption(caption);
}

// The order typed into an entry box. A text that is not a whole number (the key filter keeps
// such texts out, but a box can still hold one) orders nothing rather than a stray prefix.
double EnteredOrder(const QLineEdit& box) {
    bool ok = false;
    const double value = QLocale::c().toDouble(box.text().trimmed(), &ok);
    return ok && std::isfinite(value) ? value : 0;
}

void StoreOrder(std::vector<double>& orders, long period, double amount) {
    if (HasElement(orders, period)) orders[static_cast<std::size_t>(period)] = amount;
}

void ClearFlowFlags() {
    RunState.IsEnvInFlow = false;
    RunState.IsEnvOutFlow = false;
    RunState.IsUserInFlow = false;
    RunState.IsUserOutFlow = false;
}

void HideAllPipes(frmHydrovat& form) {
    for (const std::int16_t pipe :
         {RunState.PipeUserIn, RunState.PipeUserOut, RunState.PipeEnvIn, RunState.PipeEnvOut}) {
        form.PipeWater(pipe, false);
    }
}

void ShowPeriodNumber(frmHydrovat& form) {
    form.lblCurrTimePeriod.setCaption(QString::number(RunState.CurrentTrial));
}

void RecordTrialSummaryOf(const frmHydrovat& form) {
    RecordTrialSummary(form.txtUsrInflowVal.text(), form.txtUsrOutflowVal.text());
}

// The earnings message ends the program; no step may run or record behind it.
[[noreturn]] void FinishExperiment(frmHydrovat& form) {
    form.StopCycleTimers();
    EndExperiment();
}

}  // namespace

void frmHydrovat::ConnectCycle() {
    connect(&cmdNextTrial, &QPushButton::clicked, this, &frmHydrovat::cmdNextTrial_Click);
    connect(&Timer1, &ui::FormTimer::Timer, this, &frmHydrovat::Timer1_Timer);
    connect(&Timer2, &ui::FormTimer::Timer, this, &frmHydrovat::Timer2_Timer);
    connect(&tmrUserDelay, &ui::FormTimer::Timer, this, &frmHydrovat::tmrUserDelay_Timer);
    connect(&tmrUserMv, &ui::FormTimer::Timer, this, &frmHydrovat::tmrUserMv_Timer);
    connect(&tmrEnvDelay, &ui::FormTimer::Timer, this, &frmHydrovat::tmrEnvDelay_Timer);
    connect(&tmrEnvMv, &ui::FormTimer::Timer, this, &frmHydrovat::tmrEnvMv_Timer);
}

void frmHydrovat::StopCycleTimers() {
    for (ui::FormTimer* timer :
         {&Timer1, &Timer2, &tmrUserDelay, &tmrUserMv, &tmrEnvDelay, &tmrEnvMv}) {
        timer->setEnabled(false);
    }
}

// The period's phases

void frmHydrovat::processDecision() {
    HideAllPipes(*this);
    period::UpdateDelays();
    // Written at the start of every user phase, whether or not a flow falls due.
    Record(QStringLiteral("No User Effect"));

    const period::DueFlow in = period::AnnounceInflow();
    if (in.due) {
        PipeWater(RunState.PipeUserIn, true);
        SetUserInputCaption(1, in.doorCaption);
        HighlightInflow(0, 1);
        ShowPipeAmount(lblUsrInCon, kRed, in.pipeCaption);
    }
    const period::DueFlow out = period::AnnounceOutflow();
    if (out.due) {
        PipeWater(RunState.PipeUserOut, true);
        SetUserOutputCaption(0, out.doorCaption);
        HighlightOutflow(0, 0);
        ShowPipeAmount(lblUsrOutCon, kGreen, out.pipeCaption);
    }
    period::QuietCheck();

    tmrUserDelay.setInterval(std::max(ExperimentSetup.userDelay, 1));
    if (!ExperimentSetup.IsTimeDriven) cmdNextTrial.setEnabled(false);
    tmrUserDelay.setEnabled(true);
}

void frmHydrovat::EnvironmentDecision() {
    const period::EnvironmentEffect effect = period::ApplyEnvironment();
    HideAllPipes(*this);
    if (effect.acts) {
        PipeWater(RunState.PipeUserIn, false);
        PipeWater(RunState.PipeUserOut, false);
        PipeWater(RunState.PipeEnvIn, true);
        PipeWater(RunState.PipeEnvOut, true);
        ShowPipeAmount(lblEnvInCon, kRed, effect.inPipeCaption);
        ShowPipeAmount(lblEnvOutCon, kGreen, effect.outPipeCaption);
        FillTank(RunState.TankIndex, RunState.AmountInTank);
        Record(QStringLiteral("Environment Effect"));
        SetEnvOutputCaption(0, effect.outDoorCaption);
        HighlightOutflow(1, 0);
        SetEnvInputCaption(1, effect.inDoorCaption);
        HighlightInflow(1, 1);
    }

    tmrEnvDelay.setInterval(std::max(ExperimentSetup.envDelay, 1));
    if (!ExperimentSetup.IsTimeDriven) cmdNextTrial.setEnabled(false);
    tmrEnvDelay.setEnabled(true);
    RunState.EnvActionDone = true;
}

void frmHydrovat::CalCost(double& amount) {
    const period::Score score = period::ScorePeriod(amount);
    lblCurrBonusVal.setCaption(score.currentBonus);
    lblAccuBonusVal.setCaption(score.totBonus);
}

// Submit and the period clock

void frmHydrovat::cmdNextTrial_Click() {
    cmdNextTrial.setEnabled(false);
    RunState.SubmitTime = runtime::TimeOfDay();
    if (!ExperimentSetup.IsTimeDriven) {
        RunState.PeriodEndTime = runtime::TimeOfDay();
        RecordSubmitTime();
        RecordTrialSummaryOf(*this);
    } else {
        RecordSubmitTime();
    }
    // The rest runs once the click has been handled.
    Arm(Timer1, 1);
}

void frmHydrovat::Timer1_Timer() {
    Timer1.setEnabled(false);
    if (RunState.CurrentTrial < ExperimentSetup.MaxTrial) {
        RunState.PeriodStartTime = runtime::TimeOfDay();
        if (!ExperimentSetup.IsTimeDriven) {
            RunState.CurrentTrial += 1;
            ShowPeriodNumber(*this);
        }
        txtUsrInflowVal.setEnabled(false);
        txtUsrOutflowVal.setEnabled(false);
        for (QLineEdit* box : {&txtUsrInflowVal, &txtUsrOutflowVal}) {
            if (box->text().isEmpty()) box->setText(QStringLiteral("0"));
        }
        StoreOrder(RunState.UserInFlow, RunState.CurrentTrial, EnteredOrder(txtUsrInflowVal));
        StoreOrder(RunState.UserOutFlow, RunState.CurrentTrial, EnteredOrder(txtUsrOutflowVal));
        ClearFlowFlags();
        Record(QStringLiteral("Submit Clicked"));
        if (!ExperimentSetup.IsTimeDriven) EnvironmentDecision();
    }
    if (ExperimentSetup.IsTimeDriven) processDecision();
}

void frmHydrovat::Timer2_Timer() {
    Timer2.setEnabled(false);
    RunState.PeriodEndTime = runtime::TimeOfDay();
    if (RunState.CurrentTrial >= ExperimentSetup.MaxTrial) FinishExperiment(*this);
    RecordTrialSummaryOf(*this);
    RunState.EnvActionDone = false;
    RunState.CurrentTrial += 1;
    RunState.PeriodStartTime = runtime::TimeOfDay();
    // A period without a Submit orders nothing.
    StoreOrder(RunState.UserInFlow, RunState.CurrentTrial, 0);
    StoreOrder(RunState.UserOutFlow, RunState.CurrentTrial, 0);
    ShowPeriodNumber(*this);
    if (RunState.CurrentTrial == 1) cmdNextTrial.setEnabled(true);  // held back at load
    if (!ExperimentSetup.IsTimeDriven || RunState.UserFlowPending) {
        EnvironmentDecision();
    } else {
        processDecision();
    }
}

// The pauses and movements

void frmHydrovat::tmrEnvDelay_Timer() {
    tmrEnvDelay.setEnabled(false);
    if (period::CurrentEnvironmentRates().acts) {
        ShowPipeAmount(lblEnvInCon, kBlack, QString());
        ShowPipeAmount(lblEnvOutCon, kBlack, QString());
    }
    Arm(tmrEnvMv, ExperimentSetup.EnvMv);
}

void frmHydrovat::tmrEnvMv_Timer() {
    tmrEnvMv.setEnabled(false);
    const period::EnvironmentRates rates = period::CurrentEnvironmentRates();
    if (rates.acts) {
        SetEnvInputCaption(0, QString());
        SetEnvInputCaption(1, QString());
        SetEnvOutputCaption(0, QString());
        SetEnvOutputCaption(1, QString());
        ClearFlowHighlight(1, 0);
        ClearFlowHighlight(1, 1);
        ClearFlowHighlight(3, 0);
        ClearFlowHighlight(3, 1);
    }
    if (!ExperimentSetup.IsTimeDriven) {
        processDecision();
        return;
    }
    CalCost(RunState.AmountInTank);
    UpdateTrialAmount();
    Record(QStringLiteral("After Cost Calculation"));
    lblInFlowStatusEnvVal.setCaption(period::Readout(rates.in));
    lblOutFlowStatusEnvVal.setCaption(period::Readout(rates.out));
    ShowPanelReadouts();
    Arm(Timer2, PeriodClockInterval(ExperimentSetup.TimeBetweenEnvTries));
}

void frmHydrovat::tmrUserDelay_Timer() {
    tmrUserDelay.setEnabled(false);
    HideAllPipes(*this);
    if (period::ApplyInflow().due) {
        ShowPipeAmount(lblUsrInCon, kBlack, QString());
        FillTank(RunState.TankIndex, RunState.AmountInTank);
        Record(QStringLiteral("User Inflow"));
    }
    if (period::ApplyOutflow().due) {
        FillTank(RunState.TankIndex, RunState.AmountInTank);
        ShowPipeAmount(lblUsrOutCon, kBlack, QString());
        Record(QStringLiteral("User Outflow"));
    }
    period::QuietCheck();

    const period::UserPhaseTexts texts = period::UserPhaseReadouts();
    lblInFlowStatusEnvVal.setCaption(texts.envIn);
    lblOutFlowStatusEnvVal.setCaption(texts.envOut);
    lblInFlowStatusVal.setCaption(texts.userIn);
    lblOutFlowStatusVal.setCaption(texts.userOut);
    ShowPanelReadouts();
    Arm(tmrUserMv, ExperimentSetup.UsrMv);
}

void frmHydrovat::tmrUserMv_Timer() {
    tmrUserMv.setEnabled(false);
    SetUserInputCaption(0, QString());
    SetUserInputCaption(1, QString());
    SetUserOutputCaption(0, QString());
    SetUserOutputCaption(1, QString());
    ClearFlowHighlight(0, 0);
    ClearFlowHighlight(0, 1);
    ClearFlowHighlight(2, 0);
    ClearFlowHighlight(2, 1);
    CalCost(RunState.AmountInTank);
    Record(QStringLiteral("After Cost Calculation"));

    cmdNextTrial.setEnabled(true);
    txtUsrInflowVal.setEnabled(true);
    txtUsrOutflowVal.setEnabled(true);
    // Time-driven boxes keep what was typed until one of the participant's orders fell due.
    if (!ExperimentSetup.IsTimeDriven || RunState.UserFlowPending) {
        txtUsrInflowVal.setText(QStringLiteral("0"));
        txtUsrOutflowVal.setText(QStringLiteral("0"));
    }
    ClearFlowFlags();
    UpdateTrialAmount();

    if (ExperimentSetup.IsTimeDriven) {
        if (!RunState.EnvActionDone) EnvironmentDecision();
    } else if (RunState.CurrentTrial == ExperimentSetup.MaxTrial) {
        FinishExperiment(*this);
    }
}
