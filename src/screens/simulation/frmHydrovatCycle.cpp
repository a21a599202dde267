// The period cycle on frmHydrovat: the handlers run the cycle's steps (simulation/PeriodCycle),
// the six form timers carry them, and the form draws what each step shows.
#include "core/RunRecord.h"
#include "core/Shutdown.h"
#include "runtime/ProgramEnd.h"
#include "screens/simulation/frmHydrovat.h"

namespace {

// BGR 255, 49152 and 0 of the design.
const QColor kRed(255, 0, 0);
const QColor kGreen(0, 192, 0);
const QColor kBlack(0, 0, 0);

void ShowPipeAmount(ui::Label& label, const QColor& back, const QString& caption) {
    label.setBackColor(back);
    label.setCaption(caption);
}

}  // namespace

void frmHydrovat::ConnectCycle() {
    using runtime::EventHandler;
    connect(&cmdNextTrial, &QPushButton::clicked, this,
            EventHandler(this, &frmHydrovat::cmdNextTrial_Click));
    connect(&Timer1, &ui::FormTimer::Timer, this,
            EventHandler(this, &frmHydrovat::onStoreOrdersTimer));
    connect(&Timer2, &ui::FormTimer::Timer, this, EventHandler(this, &frmHydrovat::onPeriodTimer));
    connect(&tmrUserDelay, &ui::FormTimer::Timer, this,
            EventHandler(this, &frmHydrovat::onUserFlowsTimer));
    connect(&tmrUserMv, &ui::FormTimer::Timer, this,
            EventHandler(this, &frmHydrovat::onUserPhaseEndTimer));
    connect(&tmrEnvDelay, &ui::FormTimer::Timer, this,
            EventHandler(this, &frmHydrovat::onEnvironmentPipesTimer));
    connect(&tmrEnvMv, &ui::FormTimer::Timer, this,
            EventHandler(this, &frmHydrovat::onEnvironmentPhaseEndTimer));
}

void frmHydrovat::StopCycleTimers() {
    cycle_.StopTimers();
}

// The handlers

void frmHydrovat::processDecision() {
    cycle_.processDecision();
}

void frmHydrovat::EnvironmentDecision() {
    cycle_.EnvironmentDecision();
}

void frmHydrovat::CalCost(double& amount) {
    cycle_.CalCost(amount);
}

void frmHydrovat::cmdNextTrial_Click() {
    cycle_.Submit();
}

void frmHydrovat::onStoreOrdersTimer() {
    cycle_.StoreOrders();
}

void frmHydrovat::onPeriodTimer() {
    cycle_.OpenPeriod();
}

void frmHydrovat::onEnvironmentPipesTimer() {
    cycle_.ClearEnvironmentPipes();
}

void frmHydrovat::onEnvironmentPhaseEndTimer() {
    cycle_.EndEnvironmentPhase();
}

void frmHydrovat::onUserFlowsTimer() {
    cycle_.ApplyUserFlows();
}

void frmHydrovat::onUserPhaseEndTimer() {
    cycle_.EndUserPhase();
}

// The cycle's timers are the form's

ui::FormTimer& frmHydrovat::TimerOf(period::Step step) {
    switch (step) {
        case period::Step::Timer1:
            return Timer1;
        case period::Step::Timer2:
            return Timer2;
        case period::Step::UserDelay:
            return tmrUserDelay;
        case period::Step::UserMove:
            return tmrUserMv;
        case period::Step::EnvDelay:
            return tmrEnvDelay;
        case period::Step::EnvMove:
            break;
    }
    return tmrEnvMv;
}

void frmHydrovat::arm(period::Step step, int milliseconds) {
    TimerOf(step).arm(milliseconds);
}

void frmHydrovat::stop(period::Step step) {
    TimerOf(step).setEnabled(false);
}

// What the cycle shows

QLineEdit& frmHydrovat::EntryBox(period::Entry box) {
    return box == period::Entry::Inflow ? txtUsrInflowVal : txtUsrOutflowVal;
}

QString frmHydrovat::entryText(period::Entry box) const {
    return (box == period::Entry::Inflow ? txtUsrInflowVal : txtUsrOutflowVal).text();
}

void frmHydrovat::setEntryText(period::Entry box, const QString& text) {
    EntryBox(box).setText(text);
}

void frmHydrovat::setEntryEnabled(bool enabled) {
    txtUsrInflowVal.setEnabled(enabled);
    txtUsrOutflowVal.setEnabled(enabled);
}

void frmHydrovat::setSubmitEnabled(bool enabled) {
    cmdNextTrial.setEnabled(enabled);
}

void frmHydrovat::showPeriodNumber() {
    lblCurrTimePeriod.setCaption(QString::number(run_.state.CurrentTrial));
}

void frmHydrovat::HideAllPipes() {
    for (const std::int16_t pipe : {run_.state.PipeUserIn, run_.state.PipeUserOut,
                                    run_.state.PipeEnvIn, run_.state.PipeEnvOut}) {
        PipeWater(pipe, false);
    }
}

void frmHydrovat::showUserFlowsDue(const period::DueFlow& in, const period::DueFlow& out) {
    HideAllPipes();
    if (in.due) {
        PipeWater(run_.state.PipeUserIn, true);
        SetUserInputCaption(1, in.doorCaption);
        HighlightInflow(0, 1);
        ShowPipeAmount(lblUsrInCon, kRed, in.pipeCaption);
    }
    if (out.due) {
        PipeWater(run_.state.PipeUserOut, true);
        SetUserOutputCaption(0, out.doorCaption);
        HighlightOutflow(0, 0);
        ShowPipeAmount(lblUsrOutCon, kGreen, out.pipeCaption);
    }
}

void frmHydrovat::showUserFlowsApplied(const period::DueFlow& in, const period::DueFlow& out) {
    HideAllPipes();
    if (in.due) ShowPipeAmount(lblUsrInCon, kBlack, QString());
    if (out.due) ShowPipeAmount(lblUsrOutCon, kBlack, QString());
    if (in.due || out.due) FillTank(run_.state.TankIndex, run_.state.AmountInTank);
}

void frmHydrovat::clearUserDoors() {
    SetUserInputCaption(0, QString());
    SetUserInputCaption(1, QString());
    SetUserOutputCaption(0, QString());
    SetUserOutputCaption(1, QString());
    ClearFlowHighlight(0, 0);
    ClearFlowHighlight(0, 1);
    ClearFlowHighlight(2, 0);
    ClearFlowHighlight(2, 1);
}

void frmHydrovat::showEnvironmentEffect(const period::EnvironmentEffect& effect) {
    HideAllPipes();
    if (!effect.acts) return;
    PipeWater(run_.state.PipeUserIn, false);
    PipeWater(run_.state.PipeUserOut, false);
    PipeWater(run_.state.PipeEnvIn, true);
    PipeWater(run_.state.PipeEnvOut, true);
    ShowPipeAmount(lblEnvInCon, kRed, effect.inPipeCaption);
    ShowPipeAmount(lblEnvOutCon, kGreen, effect.outPipeCaption);
    FillTank(run_.state.TankIndex, run_.state.AmountInTank);
    SetEnvOutputCaption(0, effect.outDoorCaption);
    HighlightOutflow(1, 0);
    SetEnvInputCaption(1, effect.inDoorCaption);
    HighlightInflow(1, 1);
}

void frmHydrovat::clearEnvironmentAmounts() {
    ShowPipeAmount(lblEnvInCon, kBlack, QString());
    ShowPipeAmount(lblEnvOutCon, kBlack, QString());
}

void frmHydrovat::clearEnvironmentDoors() {
    SetEnvInputCaption(0, QString());
    SetEnvInputCaption(1, QString());
    SetEnvOutputCaption(0, QString());
    SetEnvOutputCaption(1, QString());
    ClearFlowHighlight(1, 0);
    ClearFlowHighlight(1, 1);
    ClearFlowHighlight(3, 0);
    ClearFlowHighlight(3, 1);
}

void frmHydrovat::showEnvironmentRates(const QString& in, const QString& out) {
    lblInFlowStatusEnvVal.setCaption(in);
    lblOutFlowStatusEnvVal.setCaption(out);
}

void frmHydrovat::showDueOrders(const QString& in, const QString& out) {
    lblInFlowStatusVal.setCaption(in);
    lblOutFlowStatusVal.setCaption(out);
}

void frmHydrovat::showPanel() {
    ShowPanelReadouts();
}

void frmHydrovat::showScore(const period::Score& score) {
    lblCurrBonusVal.setCaption(score.currentBonus);
    lblAccuBonusVal.setCaption(score.totBonus);
}

void frmHydrovat::finishExperiment() {
    EndExperiment(run_);
}
