#pragma once
// The simulation screen: the tank (graphical mode) or the department store (discrete mode),
// the period counter, the flow and money read-outs and the decision entry. Creating the form
// runs its load sequence; the period cycle then drives it through the public methods.

#include <QLineEdit>
#include <QPushButton>
#include <QSize>
#include <QWidget>
#include <cstdint>
#include <vector>

#include "core/RunRecord.h"
#include "screens/common/Controls.h"
#include "screens/common/FormTimer.h"
#include "task/PeriodCycle.h"

// The form shows the period cycle's steps and runs them on its own timers.
class frmHydrovat : public QWidget, private period::CycleView, private period::StepTimers {
    Q_OBJECT

  public:
    using DoorReadouts = ui::ControlArray<ui::Label, 2>;

    // The client area in twips.
    static constexpr double kClientWidth = 16080;
    static constexpr double kClientHeight = 10260;

    explicit frmHydrovat(Run& run, QWidget* parent = nullptr);

    // The twips per pixel that fit the screen into the given free screen area (pixels),
    // at most twice the design size. The program applies it once, before any form is built.
    static double FitTwipsPerPixel(const QSize& availablePixels);
    static void ScaleToScreen();

    // Drawing of the tank, its scale and the people.
    void FillTank(std::int16_t index, double amount);
    void PlaceYMarks(std::int16_t count, const std::vector<QString>& labels);
    void PlaceGoalLine(double height);

    // The read-out panel: goal and amount (in YUnits), back orders and discharge orders.
    void ShowPanelReadouts();

    // Liquid in the flow pipes and the door read-outs. An index or selector that names no
    // control changes nothing.
    void PipeWater(std::int16_t pipe, bool visible);
    void SetUserInputCaption(std::int16_t index, const QString& text);
    void SetEnvInputCaption(std::int16_t index, const QString& text);
    void SetUserOutputCaption(std::int16_t index, const QString& text);
    void SetEnvOutputCaption(std::int16_t index, const QString& text);
    void ClearFlowHighlight(std::int16_t kind, std::int16_t index);
    void HighlightInflow(std::int16_t source, std::int16_t index);
    void HighlightOutflow(std::int16_t source, std::int16_t index);

    // --- The period cycle (frmHydrovatCycle.cpp): each method runs the cycle's step ---
    // The phases of a period: user-phase announcement, environment phase, scoring of amount
    // (always AmountInTank, unchanged).
    void processDecision();
    void EnvironmentDecision();
    void CalCost(double& amount);
    // The Submit button and the six one-shot timers.
    void cmdNextTrial_Click();
    void onStoreOrdersTimer();
    void onPeriodTimer();
    void onUserFlowsTimer();
    void onUserPhaseEndTimer();
    void onEnvironmentPipesTimer();
    void onEnvironmentPhaseEndTimer();
    // Stops all six timers, so that no step runs or records once the run has ended.
    void StopCycleTimers();
    // --- end of the period cycle ---

    // Top band: period counter and flow read-outs.
    ui::Label lblTimePeriod;
    ui::Label lblCurrTimePeriod;
    ui::Label lblOf;
    ui::Label lblTotTimePeriod;
    ui::Label lblInFlowStatusEnv;
    ui::Label lblInFlowStatusEnvVal;
    ui::Label lblOutFlowStatusEnv;
    ui::Label lblOutFlowStatusEnvVal;
    ui::Label lblInFlowStatus;
    ui::Label lblInFlowStatusVal;
    ui::Label lblOutFlowStatus;
    ui::Label lblOutFlowStatusVal;
    ui::Label lblGoalStatus;
    ui::Label lblGoalStatusVal;
    ui::Label lblAmountStatus;
    ui::Label lblAmountStatusVal;

    // Tank area (graphical mode).
    ui::ControlArray<ui::Shape, 1> Tank;
    ui::ControlArray<ui::Shape, 1> TankFill;
    ui::ControlArray<ui::Line, 1> WaterLine;
    ui::ControlArray<ui::Line, 10> markY;
    ui::ControlArray<ui::Label, 10> lblMarkY;
    ui::Label lblUnits;
    ui::Line lineGoal;
    ui::Label lblGoal;
    ui::ControlArray<ui::Shape, 4> Water0;
    ui::ControlArray<ui::Line, 8> PipeBorder;
    ui::ControlArray<ui::Label, 4> lblUser;
    ui::ControlArray<ui::Label, 4> lblEnvironment;
    ui::Label lblUsrInCon;
    ui::Label lblEnvInCon;
    ui::Label lblUsrOutCon;
    ui::Label lblEnvOutCon;

    // Store area (discrete mode).
    ui::PictureBox Picture1;
    DoorReadouts lblUserInput;
    DoorReadouts lblEnvInput;
    DoorReadouts lblUserOutput;
    DoorReadouts lblEnvOutput;
    ui::ControlArray<ui::Label, 2> MissedFB;
    ui::Label lblStore;
    ui::Line Line2;
    ui::Line Line3;
    ui::Line Line4;
    ui::Line Line5;
    ui::ControlArray<ui::Line, 4> Line1;

    // Decision and money area.
    ui::ControlArray<ui::Label, 2> lblDecision;
    ui::ControlArray<ui::Label, 1, 1> lblInFlow;
    QLineEdit txtUsrInflowVal;
    ui::Label lblOutflow;
    QLineEdit txtUsrOutflowVal;
    QPushButton cmdNextTrial;
    ui::Label lblCurrBonus;
    ui::Label lblCurrBonusVal;
    ui::ControlArray<ui::Label, 2> lblDollar;
    ui::Label lblAccuBonus;
    ui::Label lblAccuBonusVal;
    ui::Label lblBackOrder;
    ui::Label lblBackOrderVal;
    ui::Label lblForwardOrder;
    ui::Label lblForwardOrderVal;

    // The period cycle's timers.
    ui::FormTimer Timer1;
    ui::FormTimer Timer2;
    ui::FormTimer tmrUserDelay;
    ui::FormTimer tmrUserMv;
    ui::FormTimer tmrEnvDelay;
    ui::FormTimer tmrEnvMv;

  protected:
    // Enter presses the default button, Submit, while it is enabled.
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void BuildTopBand();
    void BuildTankArea();
    void BuildPipes();
    void BuildStoreArea();
    void BuildDecisionArea();
    // --- The period cycle shown on the form (frmHydrovatCycle.cpp) ---
    void ConnectCycle();
    ui::FormTimer& TimerOf(period::Step step);
    void arm(period::Step step, int milliseconds) override;
    void stop(period::Step step) override;
    QLineEdit& EntryBox(period::Entry box);
    QString entryText(period::Entry box) const override;
    void setEntryText(period::Entry box, const QString& text) override;
    void setEntryEnabled(bool enabled) override;
    void setSubmitEnabled(bool enabled) override;
    void showPeriodNumber() override;
    void showUserFlowsDue(const period::DueFlow& in, const period::DueFlow& out) override;
    void showUserFlowsApplied(const period::DueFlow& in, const period::DueFlow& out) override;
    void clearUserDoors() override;
    void showEnvironmentEffect(const period::EnvironmentEffect& effect) override;
    void clearEnvironmentAmounts() override;
    void clearEnvironmentDoors() override;
    void showEnvironmentRates(const QString& in, const QString& out) override;
    void showDueOrders(const QString& in, const QString& out) override;
    void showPanel() override;
    void showScore(const period::Score& score) override;
    void finishExperiment() override;
    void HideAllPipes();

    Run& run_;
    period::Cycle cycle_{run_, *this, *this};
    // --- end of the period cycle shown on the form ---

    void BeginRun();
    void ShowRunCounters();
    void ShowCaptions();
    void DrawFirstPicture();
    void ShowModeElements();
    void SetupTankView();
    void SetupStoreView();
    void ShowMarks(bool visible);

    void FillLiquid(std::int16_t index, double amount);
    void FillStore(std::int16_t index, double amount);
    void DrawPeople(double count);
    void ClearPeople();

    double TankBottom();
    // A door read-out array by the selectors the period model uses; null for any other.
    DoorReadouts* InflowReadouts(std::int16_t source);
    DoorReadouts* OutflowReadouts(std::int16_t source);
    static void SetReadoutColor(DoorReadouts* readouts, std::int16_t index, const QColor& color);
    static void SetReadoutCaption(DoorReadouts& readouts, std::int16_t index, const QString& text);

    // --- Decision entry and leaving the experiment (frmHydrovatEntry.cpp) ---
  public:
    // The keyboard filter of both order boxes, each working on its own box: KeyAscii set to 0
    // discards the key.
    void EntryBox_KeyPress(QLineEdit& box, char16_t& KeyAscii);
    void cmdNextTrial_KeyPress(char16_t KeyAscii);
    // Before the window closes: true when the experimenter's password lets it close.
    bool confirmClose();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void InstallEntryFilters();
    // The Ctrl+X prompt, and the password form unless it is answered No. True when answered No.
    bool ExitPromptAnsweredNo();
    // --- end of decision entry ---
};
