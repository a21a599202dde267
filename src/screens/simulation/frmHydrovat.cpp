#include "screens/simulation/frmHydrovat.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "config/ScreenSetup.h"
#include "core/RunRecord.h"
#include "core/RunValues.h"
#include "runtime/NumberText.h"
#include "screens/common/Twips.h"
#include "task/PeriodModel.h"
#include "task/TankGeometry.h"

namespace {

const QColor kBlack(0, 0, 0);
const QColor kYellow(255, 255, 0);
const QColor kRed(255, 0, 0);
const QColor kGreen(0, 192, 0);
const QColor kBlue(0, 0, 255);
const QColor kTeal(0, 192, 192);
const QColor kDarkRed(192, 0, 0);

// The design look of a label; the form's labels are bold 12 point unless said otherwise.
struct LabelLook {
    QString caption = QString();
    ui::Label::Justify justify = ui::Label::LeftJustify;
    QColor fore = kBlack;
    QColor back = QColor();  // invalid: the form shows through
    double points = 12;
    bool bold = true;
    bool visible = true;
};

// The pipe and door read-outs: black on black until a flow lights them up.
LabelLook DarkReadout() {
    return {.justify = ui::Label::Center, .fore = kBlack, .back = kBlack, .visible = false};
}

// Pipe and door names.
LabelLook SmallName(const QString& caption) {
    return {.caption = caption, .points = 8.25, .visible = false};
}

void Design(QWidget& form, ui::Label& label, double left, double top, double width, double height,
            const LabelLook& look) {
    label.setParent(&form);
    label.Move(left, top, width, height);
    label.setCaption(look.caption);
    label.setJustify(look.justify);
    label.setForeColor(look.fore);
    label.setBackColor(look.back);
    label.setFont(ui::DesignFont(look.points, look.bold));
    label.setVisible(look.visible);
}

struct ShapeLook {
    ui::Shape::FillStyles fill = ui::Shape::TransparentFill;
    ui::Shape::BorderStyles border = ui::Shape::SolidBorder;
    QColor color = kBlack;  // fill and border
    int borderWidth = 1;
    bool visible = true;
};

void Design(QWidget& form, ui::Shape& shape, double left, double top, double width, double height,
            const ShapeLook& look) {
    shape.setParent(&form);
    shape.Move(left, top, width, height);
    shape.setFillStyle(look.fill);
    shape.setFillColor(look.color);
    shape.setBorderStyle(look.border);
    shape.setBorderColor(look.color);
    shape.setBorderWidth(look.borderWidth);
    shape.setVisible(look.visible);
}

struct LineLook {
    QColor color = kBlack;
    int width = 1;
    bool visible = true;
};

void Design(QWidget& form, ui::Line& line, double x1, double y1, double x2, double y2,
            const LineLook& look) {
    line.setParent(&form);
    line.Move(x1, y1, x2, y2);
    line.setBorderColor(look.color);
    line.setBorderWidth(look.width);
    line.setVisible(look.visible);
}

void PlaceTwips(QWidget& form, QWidget& widget, double left, double top, double width,
                double height) {
    widget.setParent(&form);
    widget.setGeometry(ui::TwipRect(left, top, width, height));
    widget.setFont(ui::DesignFont(12, true));
}

void SetVisible(std::initializer_list<QWidget*> widgets, bool visible) {
    for (QWidget* widget : widgets) widget->setVisible(visible);
}

template <typename Array>
void SetVisible(Array& controls, bool visible) {
    for (auto& control : controls) control.setVisible(visible);
}

// The ten marks of the design, 240 twips apart above the tank's bottom.
double DesignMarkY(int i) {
    constexpr double kTankBottomTwips = 6360;
    constexpr double kMarkSpacingTwips = 240;
    return kTankBottomTwips - kMarkSpacingTwips * i;
}

}  // namespace

frmHydrovat::frmHydrovat(Run& run, QWidget* parent) : QWidget(parent), run_(run) {
    setWindowTitle(QStringLiteral("Fluxmere"));
    setFont(ui::DesignFont(8.25, false));
    setFixedSize(ui::TwipSize(kClientWidth, kClientHeight));
    BuildTopBand();
    BuildTankArea();
    BuildPipes();
    BuildStoreArea();
    BuildDecisionArea();
    ConnectCycle();
    BeginRun();
    InstallEntryFilters();  // decision entry and leaving (frmHydrovatEntry.cpp)
}

// Screen size

double frmHydrovat::FitTwipsPerPixel(const QSize& availablePixels) {
    // Room for the window's title bar and borders around the client area.
    constexpr int kFrameWidth = 16;
    constexpr int kFrameHeight = 48;
    const int width = availablePixels.width() - kFrameWidth;
    const int height = availablePixels.height() - kFrameHeight;
    if (width <= 0 || height <= 0) return ui::kDesignTwipsPerPixel;
    const double fit = std::max(kClientWidth / width, kClientHeight / height);
    // Rounded up to a tenth, so that the form surely fits.
    return std::max(std::ceil(fit * 10) / 10, ui::kDesignTwipsPerPixel / 2);
}

void frmHydrovat::ScaleToScreen() {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        runtime::CurrentContext().twipsPerPixel =
            FitTwipsPerPixel(screen->availableGeometry().size());
    }
}

// Design layout

void frmHydrovat::BuildTopBand() {
    const LabelLook counter{
        .justify = ui::Label::Center, .fore = kYellow, .back = kBlack, .visible = false};
    Design(*this, lblTimePeriod, 720, 240, 1695, 375,
           {.caption = tr("Time Period"), .justify = ui::Label::Center, .visible = false});
    Design(*this, lblCurrTimePeriod, 2640, 240, 1215, 375, counter);
    Design(*this, lblOf, 3840, 240, 495, 375,
           {.caption = tr("of"), .justify = ui::Label::Center, .visible = false});
    Design(*this, lblTotTimePeriod, 4440, 240, 1215, 375, counter);

    Design(*this, lblInFlowStatusEnv, 5760, 360, 3255, 615, {});
    Design(*this, lblInFlowStatusEnvVal, 9240, 360, 1335, 615, {.fore = kRed});
    Design(*this, lblOutFlowStatusEnv, 10680, 360, 3495, 615, {});
    Design(*this, lblOutFlowStatusEnvVal, 14400, 360, 1455, 615, {.fore = kGreen});
    Design(*this, lblInFlowStatus, 5760, 1200, 3255, 615, {});
    Design(*this, lblInFlowStatusVal, 9240, 1200, 1335, 615, {.fore = kRed});
    Design(*this, lblOutFlowStatus, 10680, 1200, 3495, 615, {});
    Design(*this, lblOutFlowStatusVal, 14400, 1200, 1455, 615, {.fore = kGreen});
    Design(*this, lblGoalStatus, 6240, 2040, 2775, 495, {});
    Design(*this, lblGoalStatusVal, 9240, 2040, 1335, 495, {.fore = kRed});
    Design(*this, lblAmountStatus, 10680, 2040, 3495, 495, {});
    Design(*this, lblAmountStatusVal, 14400, 2040, 1455, 495, {.fore = kBlue});
}

void frmHydrovat::BuildTankArea() {
    // The liquid first, so that the tank's wall stays visible over it.
    Design(*this, TankFill[0], 2880, 2760, 9360, 3615,
           {.fill = ui::Shape::Solid, .color = kBlue, .visible = false});
    Design(*this, Tank[0], 2880, 2760, 9375, 3585, {.borderWidth = 3});
    Design(*this, WaterLine[0], 2880, 2760, 12240, 2760, {.color = kBlue});
    for (int i = markY.LBound; i <= markY.UBound; ++i) {
        Design(*this, markY[i], 2520, DesignMarkY(i), 2880, DesignMarkY(i), {.visible = false});
        Design(
            *this, lblMarkY[i], 1920, DesignMarkY(i) - 127.5, 495, 255,
            {.justify = ui::Label::RightJustify, .points = 8.25, .bold = false, .visible = false});
    }
    Design(*this, lblUnits, 480, 4200, 1215, 375, {.visible = false});
    Design(*this, lineGoal, 1800, 4440, 13440, 4440, {.color = kRed, .width = 3});
    Design(*this, lblGoal, 13560, 4320, 495, 255, {.caption = tr("Goal"), .points = 8.25});
}

void frmHydrovat::BuildPipes() {
    const ShapeLook liquid{
        .fill = ui::Shape::Solid, .border = ui::Shape::NoBorder, .color = kBlue, .visible = false};
    Design(*this, Water0[0], 3000, 1920, 150, 900, liquid);
    Design(*this, Water0[2], 4560, 1920, 135, 900, liquid);
    Design(*this, Water0[1], 12240, 6120, 1110, 180, liquid);
    Design(*this, Water0[3], 12240, 5640, 1110, 180, liquid);

    const LineLook wall{.visible = false};
    Design(*this, PipeBorder[0], 3120, 1920, 3120, 2760, wall);
    Design(*this, PipeBorder[1], 3000, 1920, 3000, 2760, wall);
    Design(*this, PipeBorder[4], 4560, 1920, 4560, 2760, wall);
    Design(*this, PipeBorder[5], 4680, 1920, 4680, 2760, wall);
    Design(*this, PipeBorder[2], 12240, 6240, 13320, 6240, wall);
    Design(*this, PipeBorder[3], 12240, 6120, 13320, 6120, wall);
    Design(*this, PipeBorder[6], 12240, 5760, 13320, 5760, wall);
    Design(*this, PipeBorder[7], 12240, 5640, 13320, 5640, wall);

    Design(*this, lblUser[0], 2520, 1560, 975, 255, SmallName(tr("User Inflow")));
    Design(*this, lblEnvironment[0], 3720, 1560, 1695, 255, SmallName(tr("Environment Inflow")));
    Design(*this, lblUser[1], 13440, 6120, 1335, 255, SmallName(tr("User Outflow")));
    Design(*this, lblEnvironment[1], 13440, 5640, 1815, 255, SmallName(tr("Environment Outflow")));

    Design(*this, lblUsrInCon, 1560, 1920, 1215, 615, DarkReadout());
    Design(*this, lblEnvInCon, 4800, 1920, 1215, 615, DarkReadout());
    Design(*this, lblUsrOutCon, 12480, 6360, 1215, 615, DarkReadout());
    Design(*this, lblEnvOutCon, 12480, 4920, 1215, 615, DarkReadout());
}

void frmHydrovat::BuildStoreArea() {
    Picture1.setParent(this);
    Picture1.Move(2880, 2760, 9375, 3615);
    Picture1.setVisible(false);

    Design(*this, lblUser[3], 2760, 1560, 975, 255, SmallName(tr("User Inflow")));
    Design(*this, lblEnvironment[3], 3960, 1560, 1695, 255, SmallName(tr("Environment Inflow")));
    Design(*this, lblUser[2], 12480, 4440, 1335, 255, SmallName(tr("User Outflow")));
    Design(*this, lblEnvironment[2], 12480, 6600, 1815, 255, SmallName(tr("Environment Outflow")));

    Design(*this, lblUserInput[1], 2760, 1920, 1095, 735, DarkReadout());
    Design(*this, lblEnvInput[1], 3960, 1920, 1095, 735, DarkReadout());
    Design(*this, lblUserOutput[0], 12480, 4800, 1095, 735, DarkReadout());
    Design(*this, lblEnvOutput[0], 12480, 5760, 1095, 735, DarkReadout());
    Design(*this, lblUserInput[0], 2760, 840, 1095, 735, DarkReadout());
    Design(*this, lblEnvInput[0], 3960, 840, 1095, 735, DarkReadout());
    Design(*this, lblUserOutput[1], 14160, 4800, 1095, 735, DarkReadout());
    Design(*this, lblEnvOutput[1], 14160, 5760, 1095, 735, DarkReadout());

    Design(*this, MissedFB[0], 6480, 3480, 510, 360,
           {.caption = QStringLiteral("120"),
            .justify = ui::Label::Center,
            .fore = kTeal,
            .points = 13.5,
            .visible = false});
    Design(*this, MissedFB[1], 8160, 3480, 510, 360,
           {.caption = QStringLiteral("120"),
            .justify = ui::Label::Center,
            .fore = kDarkRed,
            .points = 13.5});
    Design(*this, lblStore, 6720, 6480, 2175, 375,
           {.caption = tr("Department Store"), .justify = ui::Label::Center, .visible = false});

    Design(*this, Line2, 3240, 2640, 3240, 2760, {});
    Design(*this, Line3, 4560, 2640, 4560, 2760, {});
    Design(*this, Line4, 12480, 5160, 12240, 5160, {});
    Design(*this, Line5, 12480, 6120, 12240, 6120, {});
    Design(*this, Line1[0], 3240, 1560, 3240, 1920, {});
    Design(*this, Line1[1], 4560, 1560, 4560, 1920, {});
    Design(*this, Line1[2], 13560, 5160, 14160, 5160, {});
    Design(*this, Line1[3], 13560, 6120, 14160, 6120, {});
}

void frmHydrovat::BuildDecisionArea() {
    const LabelLook prompt{.caption = tr("Make Decision->")};
    Design(*this, lblDecision[0], 720, 6960, 2175, 375, prompt);
    Design(*this, lblInFlow[1], 3360, 6960, 5175, 375, {});
    PlaceTwips(*this, txtUsrInflowVal, 8760, 6960, 975, 420);
    Design(*this, lblDecision[1], 720, 7680, 2175, 375, prompt);
    Design(*this, lblOutflow, 3360, 7680, 5295, 375, {});
    PlaceTwips(*this, txtUsrOutflowVal, 8760, 7680, 975, 420);
    PlaceTwips(*this, cmdNextTrial, 10200, 7680, 1455, 495);
    cmdNextTrial.setText(tr("Submit"));
    cmdNextTrial.setDefault(true);

    Design(*this, lblCurrBonus, 3360, 8400, 4695, 375,
           {.caption = tr("Current bonus for the time period is:")});
    Design(*this, lblCurrBonusVal, 9120, 8400, 975, 375, {});
    Design(*this, lblDollar[0], 10320, 8400, 255, 255, {.caption = QStringLiteral("$")});
    Design(*this, lblAccuBonus, 3360, 8880, 4815, 375,
           {.caption = tr("Total money to be paid at the end:")});
    Design(*this, lblAccuBonusVal, 9120, 9000, 975, 255, {});
    Design(*this, lblDollar[1], 10320, 9000, 255, 255, {.caption = QStringLiteral("$")});
    Design(*this, lblBackOrder, 10920, 8280, 2655, 495,
           {.caption = tr("Back Order (Gallons):"), .visible = false});
    Design(*this, lblBackOrderVal, 13800, 8280, 1455, 495, {.fore = kBlue, .visible = false});
    Design(*this, lblForwardOrder, 10920, 9000, 2655, 495,
           {.caption = tr("Dch Order (Gallons):"), .visible = false});
    Design(*this, lblForwardOrderVal, 13800, 9000, 1455, 495, {.fore = kBlue, .visible = false});
}

// The run shown and begun

void frmHydrovat::BeginRun() {
    Timer1.setInterval(1);
    Timer2.setInterval(PeriodClockInterval(run_.setup.TimeBetweenEnvTries));
    Timer1.setEnabled(false);
    Timer2.setEnabled(false);
    ShowRunCounters();
    ShowCaptions();
    if (run_.setup.graphicalMode) PlaceYMarks(run_.setup.numMarks, run_.state.MarkLabels);
    cycle_.Begin();  // once the scale is placed: a fresh run starts at the scaled initial amount
    DrawFirstPicture();
    ShowModeElements();
    ShowPanelReadouts();
}

void frmHydrovat::ShowRunCounters() {
    lblCurrTimePeriod.setCaption(QString::number(run_.state.CurrentTrial));
    lblTotTimePeriod.setCaption(QString::number(run_.setup.MaxTrial));
    lblUnits.setCaption(run_.setup.YUnits);

    lblCurrBonusVal.setCaption(period::Three(run_.state.CurrentBonus));
    lblAccuBonusVal.setCaption(period::Three(run_.state.TotBonus));
    lblBackOrderVal.setCaption(period::Three(run_.state.TotalBackOrder));
    lblForwardOrderVal.setCaption(period::Three(run_.state.TotalForwardDischarge));

    SetVisible({&lblTimePeriod, &lblCurrTimePeriod, &lblOf, &lblTotTimePeriod},
               run_.setup.ShowTimePeriods);
    SetVisible({&lblBackOrder, &lblBackOrderVal}, run_.setup.ShowBackOrder);
    SetVisible({&lblForwardOrder, &lblForwardOrderVal}, run_.setup.ShowDischargeOrder);

    txtUsrInflowVal.setText(QStringLiteral("0"));
    txtUsrOutflowVal.setText(QStringLiteral("0"));
}

void frmHydrovat::ShowCaptions() {
    const QString& units = run_.setup.YUnits;
    lblInFlowStatusEnv.setCaption(tr("Env InFlow(%1/Hour):").arg(units));
    lblOutFlowStatusEnv.setCaption(tr("Env OutFlow(%1/Hour):").arg(units));
    lblInFlowStatus.setCaption(tr("UserInFlow(%1/Hour):").arg(units));
    lblOutFlowStatus.setCaption(tr("UserOutFlow(%1/Hour):").arg(units));
    lblGoalStatus.setCaption(tr("Goal(%1):").arg(units));
    lblAmountStatus.setCaption(
        (run_.setup.graphicalMode ? tr("Amount in Tank(%1):") : tr("Amount(%1):")).arg(units));
    lblInFlow[1].setCaption(tr("Enter the Inflow(%1/Hour):").arg(units));
    lblOutflow.setCaption(tr("Enter the Outflow(%1/Hour):").arg(units));
}

void frmHydrovat::DrawFirstPicture() {
    if (run_.state.CurrentTrial == 0) {
        FillTank(run_.state.TankIndex, run_.setup.InitialAmountInTank);
        return;
    }
    FillTank(run_.state.TankIndex, run_.state.AmountInTank);
    lblInFlowStatusEnvVal.setCaption(
        period::Readout(run_, ElementOrZero(run_.state.EnvInFlow, run_.state.CurrentTrial)));
    lblOutFlowStatusEnvVal.setCaption(
        period::Readout(run_, ElementOrZero(run_.state.EnvOutFlow, run_.state.CurrentTrial)));
}

void frmHydrovat::ShowModeElements() {
    const bool graphical = run_.setup.graphicalMode;
    if (graphical) {
        SetupTankView();
    } else {
        SetupStoreView();
    }
    for (const std::int16_t pipe : {run_.state.PipeUserIn, run_.state.PipeUserOut,
                                    run_.state.PipeEnvIn, run_.state.PipeEnvOut}) {
        PipeWater(pipe, false);
    }
    if (graphical) {
        PlaceGoalLine(run_.setup.GoalLinePosition / run_.state.AmountPerMark);
        Picture1.setVisible(false);
    }
    SetVisible({&lblEnvInCon, &lblEnvOutCon, &lblUsrInCon, &lblUsrOutCon}, graphical);
    lblStore.setVisible(!graphical);
    lblUnits.setVisible(graphical);
}

void frmHydrovat::ShowPanelReadouts() {
    const period::PanelTexts panel = period::PanelReadouts(run_);
    lblGoalStatusVal.setCaption(panel.goal);
    lblAmountStatusVal.setCaption(panel.amount);
    lblBackOrderVal.setCaption(panel.backOrder);
    lblForwardOrderVal.setCaption(panel.forwardOrder);
}

void frmHydrovat::SetupTankView() {
    SetVisible(PipeBorder, true);
    SetVisible(Water0, true);
    SetVisible({&lblUser[0], &lblUser[1], &lblEnvironment[0], &lblEnvironment[1]}, true);
    for (DoorReadouts* readouts : {&lblUserInput, &lblUserOutput, &lblEnvInput, &lblEnvOutput}) {
        SetVisible(*readouts, false);
    }
    SetVisible(Line1, false);
    SetVisible({&Line2, &Line3, &Line4, &MissedFB[0], &MissedFB[1]}, false);
    SetVisible({&lineGoal, &lblGoal}, true);
    Picture1.setVisible(false);
    ShowMarks(true);
}

void frmHydrovat::SetupStoreView() {
    SetVisible(PipeBorder, false);
    SetVisible(Water0, false);
    SetVisible({&lblUser[0], &lblUser[1], &lblEnvironment[0], &lblEnvironment[1]}, false);
    SetVisible({&lblUser[2], &lblUser[3], &lblEnvironment[2], &lblEnvironment[3]}, true);
    // The doors in use: the inflows' member 1 and the outflows' member 0.
    SetVisible({&lblUserInput[0], &lblUserOutput[1], &lblEnvInput[0], &lblEnvOutput[1]}, false);
    SetVisible({&lblUserInput[1], &lblUserOutput[0], &lblEnvInput[1], &lblEnvOutput[0]}, true);
    for (DoorReadouts* readouts : {&lblUserInput, &lblUserOutput, &lblEnvInput, &lblEnvOutput}) {
        for (ui::Label& readout : *readouts) readout.setBackColor(kBlack);
    }
    SetVisible(Line1, false);
    SetVisible({&Line2, &Line3, &Line4, &MissedFB[0], &MissedFB[1]}, true);
    SetVisible({&lineGoal, &lblGoal}, false);
    Picture1.setVisible(true);
    ShowMarks(false);
}

void frmHydrovat::ShowMarks(bool visible) {
    // Only the marks the tank has; a setup asking for more is refused before the screen shows.
    const int count = std::min<int>(run_.setup.numMarks, markY.UBound + 1);
    for (int i = 0; i < count; ++i) SetVisible({&lblMarkY[i], &markY[i]}, visible);
}

// Tank drawing

double frmHydrovat::TankBottom() {
    return Tank[0].Top() + Tank[0].Height();
}

void frmHydrovat::PlaceYMarks(std::int16_t count, const std::vector<QString>& labels) {
    // Without marks there is no scale; start-up refuses such a setup before the screen shows.
    if (count == 0) return;
    const tank::MarkScale scale =
        tank::ScaleForMarks(run_.state.TopLabelValue, count, Tank[0].Height());
    run_.state.AmountPerMark = scale.AmountPerMark;
    run_.state.TwipsPerMark = scale.TwipsPerMark;
    run_.setup.GoalLinePosition *= scale.TwipsPerMark;
    run_.setup.InitialAmountInTank *= scale.TwipsPerMark;
    run_.state.AmountInTank *= scale.TwipsPerMark;

    for (int i = 0; i < count && markY.exists(i); ++i) {
        const double y = tank::MarkY(TankBottom(), scale.TwipsPerMark, i);
        markY[i].setVisible(true);
        markY[i].setY1(y);
        markY[i].setY2(markY[i].Y1());
        lblMarkY[i].setVisible(true);
        lblMarkY[i].setTop(y - lblMarkY[i].Height() / 2);
        lblMarkY[i].setCaption(ElementOrZero(labels, i));
    }
}

void frmHydrovat::FillTank(std::int16_t index, double amount) {
    if (!TankFill.exists(index)) return;  // the screen has one tank
    if (run_.setup.graphicalMode) {
        FillLiquid(index, amount);
    } else {
        FillStore(index, amount);
    }
}

void frmHydrovat::FillLiquid(std::int16_t index, double amount) {
    WaterLine[index].setVisible(false);
    ui::Shape& liquid = TankFill[index];
    liquid.setVisible(true);
    const tank::Liquid next = tank::NextLiquid({liquid.Top(), liquid.Height()},
                                               amount / run_.state.AmountPerMark, TankBottom());
    liquid.Move(liquid.Left(), next.top, liquid.Width(), next.height);
}

void frmHydrovat::FillStore(std::int16_t index, double amount) {
    TankFill[index].setVisible(false);
    MissedFB[index].setCaption(runtime::Plain(amount));
    MissedFB[index + 1].setCaption(runtime::Plain(run_.setup.GoalLinePosition));
    if (amount > 0) {
        DrawPeople(amount);
    } else {
        ClearPeople();
    }
}

void frmHydrovat::DrawPeople(double count) {
    Picture1.Cls();
    // Blocks are sized in design pixels, so the store holds as many people a row on every
    // screen size.
    const tank::PeopleArea area{Picture1.Left(),          Picture1.Top(),
                                Picture1.ScaleWidth(),    Picture1.ScaleHeight(),
                                ui::kDesignTwipsPerPixel, ui::kDesignTwipsPerPixel};
    for (const QRectF& block :
         tank::PersonBlocks(count, area, run_.setup.RWIDTH, run_.setup.RHEIGHT)) {
        Picture1.FillBox(block.left(), block.top(), block.right(), block.bottom(), kBlue);
    }
}

void frmHydrovat::ClearPeople() {
    Picture1.Cls();
}

void frmHydrovat::PlaceGoalLine(double height) {
    // No scale, no goal height; start-up refuses such a setup before the screen shows.
    if (!std::isfinite(height)) return;
    const double y = tank::GoalLineY(TankBottom(), height);
    lineGoal.setY1(y);
    lineGoal.setY2(lineGoal.Y1());
    lblGoal.setTop(y);
}

// Pipes and door read-outs

void frmHydrovat::PipeWater(std::int16_t pipe, bool visible) {
    if (!run_.setup.graphicalMode || !Water0.exists(pipe)) return;
    Water0[pipe].setVisible(visible);
}

void frmHydrovat::SetUserInputCaption(std::int16_t index, const QString& text) {
    SetReadoutCaption(lblUserInput, index, text);
}

void frmHydrovat::SetEnvInputCaption(std::int16_t index, const QString& text) {
    SetReadoutCaption(lblEnvInput, index, text);
}

void frmHydrovat::SetUserOutputCaption(std::int16_t index, const QString& text) {
    SetReadoutCaption(lblUserOutput, index, text);
}

void frmHydrovat::SetEnvOutputCaption(std::int16_t index, const QString& text) {
    SetReadoutCaption(lblEnvOutput, index, text);
}

void frmHydrovat::ClearFlowHighlight(std::int16_t kind, std::int16_t index) {
    // Kinds 0 and 1 are the inflows of participant and environment, 2 and 3 their outflows.
    DoorReadouts* readouts = kind < 2 ? InflowReadouts(kind) : OutflowReadouts(kind - 2);
    SetReadoutColor(readouts, index, kBlack);
}

void frmHydrovat::HighlightInflow(std::int16_t source, std::int16_t index) {
    SetReadoutColor(InflowReadouts(source), index, kRed);
}

void frmHydrovat::HighlightOutflow(std::int16_t source, std::int16_t index) {
    SetReadoutColor(OutflowReadouts(source), index, kGreen);
}

frmHydrovat::DoorReadouts* frmHydrovat::InflowReadouts(std::int16_t source) {
    return source == 0 ? &lblUserInput : source == 1 ? &lblEnvInput : nullptr;
}

frmHydrovat::DoorReadouts* frmHydrovat::OutflowReadouts(std::int16_t source) {
    return source == 0 ? &lblUserOutput : source == 1 ? &lblEnvOutput : nullptr;
}

void frmHydrovat::SetReadoutColor(DoorReadouts* readouts, std::int16_t index, const QColor& color) {
    if (readouts && readouts->exists(index)) (*readouts)[index].setBackColor(color);
}

void frmHydrovat::SetReadoutCaption(DoorReadouts& readouts, std::int16_t index,
                                    const QString& text) {
    if (readouts.exists(index)) readouts[index].setCaption(text);
}

// Keyboard

void frmHydrovat::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && cmdNextTrial.isEnabled() && cmdNextTrial.isVisibleTo(this)) {
        cmdNextTrial.click();
        return;
    }
    QWidget::keyPressEvent(event);
}
