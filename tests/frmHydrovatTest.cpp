// The simulation screen: its load sequence in both display modes, the captions, the timers,
// the pipes and door read-outs, the setup check before it shows, and its size and fonts.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetricsF>
#include <QImage>
#include <QKeyEvent>
#include <QSet>
#include <QTextLayout>
#include <functional>
#include <ostream>

#include "config/ScreenSetup.h"
#include "screens/common/Dialogs.h"
#include "screens/simulation/frmHydrovat.h"
#include "tests/frmHydrovatFixture.h"
#include "tests/support/TempDatabase.h"

namespace {

const QColor kBlack(0, 0, 0);
const QColor kRed(255, 0, 0);
const QColor kGreen(0, 192, 0);

class ScreenLoad : public ScreenTest {};

// Visibility after loading, by mode.

struct ShownCase {
    const char* control;
    std::function<QWidget&(frmHydrovat&)> widget;
    bool graphical;
    bool discrete;
};

#define CONTROL(expr) #expr, [](frmHydrovat & f) -> QWidget& { return f.expr; }

const ShownCase kShown[] = {
    {CONTROL(Tank[0]), true, true},  // covered by the picture in discrete mode
    {CONTROL(TankFill[0]), true, false},
    {CONTROL(WaterLine[0]), false, true},  // covered by the picture in discrete mode
    {CONTROL(Picture1), false, true},
    {CONTROL(markY[0]), true, false},
    {CONTROL(markY[9]), true, false},
    {CONTROL(lblMarkY[0]), true, false},
    {CONTROL(lblMarkY[9]), true, false},
    {CONTROL(lblUnits), true, false},
    {CONTROL(lineGoal), true, false},
    {CONTROL(lblGoal), true, false},
    {CONTROL(PipeBorder[0]), true, false},
    {CONTROL(PipeBorder[7]), true, false},
    {CONTROL(Water0[0]), false, false},
    {CONTROL(Water0[3]), false, false},
    {CONTROL(lblUser[0]), true, false},
    {CONTROL(lblUser[1]), true, false},
    {CONTROL(lblEnvironment[0]), true, false},
    {CONTROL(lblEnvironment[1]), true, false},
    {CONTROL(lblUsrInCon), true, false},
    {CONTROL(lblEnvInCon), true, false},
    {CONTROL(lblUsrOutCon), true, false},
    {CONTROL(lblEnvOutCon), true, false},
    {CONTROL(lblUser[2]), false, true},
    {CONTROL(lblUser[3]), false, true},
    {CONTROL(lblEnvironment[2]), false, true},
    {CONTROL(lblEnvironment[3]), false, true},
    {CONTROL(lblUserInput[1]), false, true},
    {CONTROL(lblEnvInput[1]), false, true},
    {CONTROL(lblUserOutput[0]), false, true},
    {CONTROL(lblEnvOutput[0]), false, true},
    {CONTROL(lblUserInput[0]), false, false},
    {CONTROL(lblEnvInput[0]), false, false},
    {CONTROL(lblUserOutput[1]), false, false},
    {CONTROL(lblEnvOutput[1]), false, false},
    {CONTROL(lblStore), false, true},
    {CONTROL(MissedFB[0]), false, true},
    {CONTROL(MissedFB[1]), false, true},
    {CONTROL(Line1[0]), false, false},
    {CONTROL(Line1[3]), false, false},
    {CONTROL(Line2), false, true},
    {CONTROL(Line3), false, true},
    {CONTROL(Line4), false, true},
    {CONTROL(Line5), true, true},
    {CONTROL(lblInFlowStatusEnvVal), true, true},
    {CONTROL(txtUsrInflowVal), true, true},
    {CONTROL(cmdNextTrial), true, true},
};

TEST_F(ScreenLoad, EachModeShowsItsOwnElements) {
    for (const bool graphical : {true, false}) {
        PrepareScreenRun(run, graphical);
        frmHydrovat form(run);
        for (const ShownCase& c : kShown) {
            EXPECT_EQ(c.widget(form).isVisibleTo(&form), graphical ? c.graphical : c.discrete)
                << c.control << (graphical ? " in graphical mode" : " in discrete mode");
        }
    }
}

TEST_F(ScreenLoad, StoreViewSetsEveryDoorReadoutBlack) {
    PrepareScreenRun(run, false);
    frmHydrovat form(run);
    for (auto* readouts :
         {&form.lblUserInput, &form.lblUserOutput, &form.lblEnvInput, &form.lblEnvOutput}) {
        for (const ui::Label& readout : *readouts) EXPECT_EQ(readout.BackColor(), kBlack);
    }
}

TEST_F(ScreenLoad, SetupFlagsShowTheCounterAndTheOrderReadouts) {
    struct Flags {
        bool periods, back, discharge;
    };
    for (const Flags flags : {Flags{true, true, false}, Flags{false, false, true}}) {
        PrepareScreenRun(run, true);
        run.setup.ShowTimePeriods = flags.periods;
        run.setup.ShowBackOrder = flags.back;
        run.setup.ShowDischargeOrder = flags.discharge;
        frmHydrovat form(run);
        for (QWidget* counter :
             std::initializer_list<QWidget*>{&form.lblTimePeriod, &form.lblCurrTimePeriod,
                                             &form.lblOf, &form.lblTotTimePeriod}) {
            EXPECT_EQ(counter->isVisibleTo(&form), flags.periods);
        }
        EXPECT_EQ(form.lblBackOrder.Visible(), flags.back);
        EXPECT_EQ(form.lblBackOrderVal.Visible(), flags.back);
        EXPECT_EQ(form.lblForwardOrder.Visible(), flags.discharge);
        EXPECT_EQ(form.lblForwardOrderVal.Visible(), flags.discharge);
    }
}

// Texts after loading.

TEST_F(ScreenLoad, CaptionsCarryTheUnitWord) {
    PrepareScreenRun(run, true);
    frmHydrovat form(run);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Fluxmere"));
    EXPECT_EQ(form.lblInFlowStatusEnv.Caption(), QStringLiteral("Env InFlow(Gallons/Hour):"));
    EXPECT_EQ(form.lblOutFlowStatusEnv.Caption(), QStringLiteral("Env OutFlow(Gallons/Hour):"));
    EXPECT_EQ(form.lblInFlowStatus.Caption(), QStringLiteral("UserInFlow(Gallons/Hour):"));
    EXPECT_EQ(form.lblOutFlowStatus.Caption(), QStringLiteral("UserOutFlow(Gallons/Hour):"));
    EXPECT_EQ(form.lblGoalStatus.Caption(), QStringLiteral("Goal(Gallons):"));
    EXPECT_EQ(form.lblAmountStatus.Caption(), QStringLiteral("Amount in Tank(Gallons):"));
    EXPECT_EQ(form.lblInFlow[1].Caption(), QStringLiteral("Enter the Inflow(Gallons/Hour):"));
    EXPECT_EQ(form.lblOutflow.Caption(), QStringLiteral("Enter the Outflow(Gallons/Hour):"));
    EXPECT_EQ(form.lblUnits.Caption(), QStringLiteral("Gallons"));
}

TEST_F(ScreenLoad, DiscreteCaptionsAndTheFixedOrderCaptions) {
    PrepareScreenRun(run, false);
    run.setup.YUnits = QStringLiteral("People");
    frmHydrovat form(run);
    EXPECT_EQ(form.lblAmountStatus.Caption(), QStringLiteral("Amount(People):"));
    EXPECT_EQ(form.lblGoalStatus.Caption(), QStringLiteral("Goal(People):"));
    EXPECT_EQ(form.lblBackOrder.Caption(), QStringLiteral("Back Order (Gallons):"));
    EXPECT_EQ(form.lblForwardOrder.Caption(), QStringLiteral("Dch Order (Gallons):"));
    EXPECT_EQ(form.lblGoalStatusVal.Caption(), QStringLiteral("600"));
    EXPECT_EQ(form.lblAmountStatusVal.Caption(), QStringLiteral("600"));
}

TEST_F(ScreenLoad, FirstStartShowsZerosAndLeavesTheFlowReadoutsEmpty) {
    PrepareScreenRun(run, true);
    run.state.TotBonus = 5;
    run.state.TotalBackOrder = 12.5;
    const runtime::TimeValue before = runtime::TimeOfDay();
    frmHydrovat form(run);
    EXPECT_EQ(form.txtUsrInflowVal.text(), QStringLiteral("0"));
    EXPECT_EQ(form.txtUsrOutflowVal.text(), QStringLiteral("0"));
    EXPECT_EQ(form.lblCurrTimePeriod.Caption(), QStringLiteral("0"));
    EXPECT_EQ(form.lblTotTimePeriod.Caption(), QStringLiteral("20"));
    EXPECT_EQ(form.lblCurrBonusVal.Caption(), QStringLiteral("00.000"));
    EXPECT_EQ(form.lblAccuBonusVal.Caption(), QStringLiteral("05.000"));
    EXPECT_EQ(form.lblBackOrderVal.Caption(), QStringLiteral("12.500"));
    EXPECT_EQ(form.lblForwardOrderVal.Caption(), QStringLiteral("00.000"));
    EXPECT_TRUE(form.lblInFlowStatusEnvVal.Caption().isEmpty());
    EXPECT_TRUE(form.lblOutFlowStatusEnvVal.Caption().isEmpty());
    EXPECT_GE(run.state.PeriodStartTime.seconds, before.seconds);
}

TEST_F(ScreenLoad, ContinuedRunRedrawsTheAmountAndShowsThePeriodsEnvironment) {
    for (const bool graphical : {true, false}) {
        PrepareScreenRun(run, graphical);
        run.state.CurrentTrial = 3;
        run.state.AmountInTank = 300;
        run.state.EnvInFlow[3] = 4.5;
        run.state.EnvOutFlow[3] = 2;
        frmHydrovat form(run);
        EXPECT_EQ(form.lblCurrTimePeriod.Caption(), QStringLiteral("3"));
        EXPECT_EQ(form.lblInFlowStatusEnvVal.Caption(),
                  graphical ? QStringLiteral("04.500") : QStringLiteral("05"));
        EXPECT_EQ(form.lblOutFlowStatusEnvVal.Caption(),
                  graphical ? QStringLiteral("02.000") : QStringLiteral("02"));
        EXPECT_TRUE(form.lblInFlowStatusVal.Caption().isEmpty());
        EXPECT_TRUE(form.lblOutFlowStatusVal.Caption().isEmpty());
        if (graphical) {
            EXPECT_DOUBLE_EQ(run.state.AmountInTank, 300 * 358.5);
            EXPECT_DOUBLE_EQ(form.TankFill[0].Height(), 1075);  // 1075.5 drawn whole
            EXPECT_EQ(form.lblAmountStatusVal.Caption(), QStringLiteral("300.000"));
        } else {
            EXPECT_EQ(form.Picture1.Boxes().size(), 300u);
            EXPECT_EQ(form.MissedFB[0].Caption(), QStringLiteral("300"));
        }
    }
}

TEST_F(ScreenLoad, ContinuedRunBeyondTheScenarioShowsNoRateInsteadOfFailing) {
    PrepareScreenRun(run, true);
    run.state.CurrentTrial = 99;
    frmHydrovat form(run);
    EXPECT_EQ(form.lblInFlowStatusEnvVal.Caption(), QStringLiteral("00.000"));
}

// The two cycle timers after loading.

struct TimerCase {
    bool timeDriven;
    double timeBetweenEnvTries;
    int interval;
};

std::ostream& operator<<(std::ostream& out, const TimerCase& c) {
    return out << (c.timeDriven ? "time-driven " : "participant-paced ") << c.timeBetweenEnvTries;
}

class ScreenTimers : public ScreenTest, public ::testing::WithParamInterface<TimerCase> {};

TEST_P(ScreenTimers, OnlyTheClockOfATimeDrivenRunIsRunning) {
    const TimerCase& c = GetParam();
    PrepareScreenRun(run, true);
    run.setup.IsTimeDriven = c.timeDriven;
    run.setup.TimeBetweenEnvTries = c.timeBetweenEnvTries;
    frmHydrovat form(run);
    EXPECT_EQ(form.Timer1.Interval(), 1);
    EXPECT_FALSE(form.Timer1.Enabled());
    EXPECT_EQ(form.Timer2.Interval(), c.interval);
    EXPECT_EQ(form.Timer2.Enabled(), c.timeDriven);
    for (const ui::FormTimer* phase :
         {&form.tmrUserDelay, &form.tmrUserMv, &form.tmrEnvDelay, &form.tmrEnvMv}) {
        EXPECT_FALSE(phase->Enabled());
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ScreenTimers,
                         ::testing::Values(TimerCase{false, 2.5, 2}, TimerCase{false, 3.5, 4},
                                           TimerCase{true, 2.5, 2}, TimerCase{true, 3.5, 4},
                                           TimerCase{true, 1500, 1500}));

TEST(PeriodClockInterval, RoundsHalvesToEvenAndStaysWithinATimer) {
    EXPECT_EQ(PeriodClockInterval(2.5), 2);
    EXPECT_EQ(PeriodClockInterval(3.5), 4);
    EXPECT_EQ(PeriodClockInterval(0.4), 0);
    EXPECT_EQ(PeriodClockInterval(-20), 0);
    EXPECT_EQ(PeriodClockInterval(1e12), std::numeric_limits<int>::max());
    EXPECT_EQ(PeriodClockInterval(std::numeric_limits<double>::quiet_NaN()), 0);
}

// Pipes and door read-outs.

class ScreenFlows : public ScreenTest {};

TEST_F(ScreenFlows, PipeWaterShowsOnePipeInGraphicalModeOnly) {
    PrepareScreenRun(run, true);
    frmHydrovat form(run);
    form.PipeWater(2, true);
    for (int pipe = 0; pipe < 4; ++pipe) EXPECT_EQ(form.Water0[pipe].Visible(), pipe == 2);
    form.PipeWater(4, true);
    form.PipeWater(-1, true);
    for (int pipe = 0; pipe < 4; ++pipe) EXPECT_EQ(form.Water0[pipe].Visible(), pipe == 2);
    form.PipeWater(2, false);
    EXPECT_FALSE(form.Water0[2].Visible());

    PrepareScreenRun(run, false);
    frmHydrovat store(run);
    for (std::int16_t pipe = 0; pipe < 4; ++pipe) store.PipeWater(pipe, true);
    for (int pipe = 0; pipe < 4; ++pipe) EXPECT_FALSE(store.Water0[pipe].Visible());
}

struct HighlightCase {
    const char* call;
    std::function<void(frmHydrovat&)> act;
    std::function<ui::Label&(frmHydrovat&)> label;
    QColor color;
};

#define LABEL(expr) [](frmHydrovat& f) -> ui::Label& { return f.expr; }

TEST_F(ScreenFlows, HighlightsColourTheirDoorReadout) {
    const HighlightCase cases[] = {
        {"HighlightInflow(0, 1)", [](frmHydrovat& f) { f.HighlightInflow(0, 1); },
         LABEL(lblUserInput[1]), kRed},
        {"HighlightInflow(1, 1)", [](frmHydrovat& f) { f.HighlightInflow(1, 1); },
         LABEL(lblEnvInput[1]), kRed},
        {"HighlightOutflow(0, 0)", [](frmHydrovat& f) { f.HighlightOutflow(0, 0); },
         LABEL(lblUserOutput[0]), kGreen},
        {"HighlightOutflow(1, 0)", [](frmHydrovat& f) { f.HighlightOutflow(1, 0); },
         LABEL(lblEnvOutput[0]), kGreen},
        {"ClearFlowHighlight(0, 1)",
         [](frmHydrovat& f) {
             f.HighlightInflow(0, 1);
             f.ClearFlowHighlight(0, 1);
         },
         LABEL(lblUserInput[1]), kBlack},
        {"ClearFlowHighlight(1, 0)",
         [](frmHydrovat& f) {
             f.HighlightInflow(1, 0);
             f.ClearFlowHighlight(1, 0);
         },
         LABEL(lblEnvInput[0]), kBlack},
        {"ClearFlowHighlight(2, 0)",
         [](frmHydrovat& f) {
             f.HighlightOutflow(0, 0);
             f.ClearFlowHighlight(2, 0);
         },
         LABEL(lblUserOutput[0]), kBlack},
        {"ClearFlowHighlight(3, 1)",
         [](frmHydrovat& f) {
             f.HighlightOutflow(1, 1);
             f.ClearFlowHighlight(3, 1);
         },
         LABEL(lblEnvOutput[1]), kBlack},
    };
    PrepareScreenRun(run, false);
    for (const HighlightCase& c : cases) {
        frmHydrovat form(run);
        c.act(form);
        EXPECT_EQ(c.label(form).BackColor(), c.color) << c.call;
    }
}

TEST_F(ScreenFlows, SelectorsAndIndexesThatNameNoReadoutChangeNothing) {
    PrepareScreenRun(run, false);
    frmHydrovat form(run);
    form.HighlightInflow(2, 1);
    form.HighlightOutflow(2, 0);
    form.HighlightInflow(-1, 1);
    form.ClearFlowHighlight(4, 0);
    form.ClearFlowHighlight(-1, 0);
    form.HighlightInflow(0, 2);
    form.HighlightOutflow(1, -1);
    form.SetUserInputCaption(2, QStringLiteral("USER: 1"));
    form.SetEnvOutputCaption(-1, QStringLiteral("ENV: 1"));
    for (auto* readouts :
         {&form.lblUserInput, &form.lblUserOutput, &form.lblEnvInput, &form.lblEnvOutput}) {
        for (const ui::Label& readout : *readouts) {
            EXPECT_EQ(readout.BackColor(), kBlack);
            EXPECT_TRUE(readout.Caption().isEmpty());
        }
    }
}

TEST_F(ScreenFlows, CaptionSettersWriteTheirMemberInEitherMode) {
    for (const bool graphical : {true, false}) {
        PrepareScreenRun(run, graphical);
        frmHydrovat form(run);
        form.SetUserInputCaption(1, QStringLiteral("USER: 12"));
        form.SetEnvInputCaption(0, QStringLiteral("ENV: 4"));
        form.SetUserOutputCaption(0, QStringLiteral("USER: 2.5"));
        form.SetEnvOutputCaption(1, QStringLiteral("ENV: 3"));
        EXPECT_EQ(form.lblUserInput[1].Caption(), QStringLiteral("USER: 12"));
        EXPECT_EQ(form.lblEnvInput[0].Caption(), QStringLiteral("ENV: 4"));
        EXPECT_EQ(form.lblUserOutput[0].Caption(), QStringLiteral("USER: 2.5"));
        EXPECT_EQ(form.lblEnvOutput[1].Caption(), QStringLiteral("ENV: 3"));
    }
}

TEST_F(ScreenFlows, AReadoutShowsItsCaptionOnlyWhileHighlighted) {
    PrepareScreenRun(run, false);
    frmHydrovat form(run);
    ui::Label& door = form.lblUserInput[1];
    form.SetUserInputCaption(1, QStringLiteral("USER: 12"));
    const auto colours = [&door] {
        const QImage image = door.grab().toImage();
        QSet<QRgb> seen;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) seen.insert(image.pixel(x, y));
        }
        return seen;
    };
    EXPECT_EQ(colours(), QSet<QRgb>{kBlack.rgb()});
    form.HighlightInflow(0, 1);
    const QSet<QRgb> lit = colours();
    EXPECT_TRUE(lit.contains(kRed.rgb()));
    EXPECT_TRUE(lit.contains(kBlack.rgb()));  // the caption, in black
}

// Enter presses Submit, the default button.

TEST_F(ScreenLoad, EnterInAnEntryBoxPressesSubmitWhileItIsEnabled) {
    PrepareScreenRun(run, true);
    // Submit records the press.
    TempDatabase database;
    run.session.databasePath = database.path();
    ui::ScriptedDialogs dialogs;
    run.asks = &dialogs;
    frmHydrovat form(run);
    int clicks = 0;
    QObject::connect(&form.cmdNextTrial, &QPushButton::clicked, [&clicks] { ++clicks; });
    const auto pressEnter = [&form] {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        QApplication::sendEvent(&form.txtUsrInflowVal, &press);
    };
    pressEnter();
    EXPECT_EQ(clicks, 1);
    form.cmdNextTrial.setEnabled(false);
    pressEnter();
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(form.cmdNextTrial.isDefault());
    EXPECT_EQ(form.cmdNextTrial.text(), QStringLiteral("Submit"));
}

// A screen shown with a scale the rule book refuses does not fail.

TEST_F(ScreenLoad, AScreenShownWithABadScaleDoesNotFail) {
    const std::function<void()> bad[] = {
        [&] { run.setup.numMarks = 0; },       [&] { run.setup.numMarks = 12; },
        [&] { run.setup.numMarks = -3; },      [&] { run.state.TopLabelValue = 0; },
        [&] { run.state.MarkLabels.clear(); },
    };
    for (const auto& change : bad) {
        PrepareScreenRun(run, true);
        change();
        frmHydrovat form(run);
        form.FillTank(0, 1000);
        form.grab();
        for (const ui::Line& mark : form.markY) EXPECT_TRUE(std::isfinite(mark.Y1()));
    }
    PrepareScreenRun(run, true);
    run.setup.numMarks = 12;
    run.state.TopLabelValue = 1200;
    frmHydrovat form(run);
    for (int i = 0; i < 10; ++i) EXPECT_TRUE(form.markY[i].Visible()) << i;
}

// Size and fonts.

TEST(ScreenSize, FitsTheFreeScreenAreaRoundedUpToATenth) {
    struct Case {
        QSize available;
        double twipsPerPixel;
    };
    const Case cases[] = {
        {{1920, 1080}, 10.0},                       // 1608 by 1026 pixels
        {{1920, 1040}, 10.4},                       // a task bar below
        {{1088, 732}, 15.0},                        // the design size and its frame exactly
        {{1366, 768}, 14.3},  {{1024, 600}, 18.6},  // smaller than the design: shrinks
        {{3840, 2160}, 7.5},                        // at most twice the design size
        {{0, 0}, 15.0},
    };
    for (const Case& c : cases) {
        const double tpp = frmHydrovat::FitTwipsPerPixel(c.available);
        EXPECT_NEAR(tpp, c.twipsPerPixel, 1e-9)
            << c.available.width() << "x" << c.available.height();
        if (c.available.isEmpty()) continue;
        EXPECT_LE(16080 / tpp + 16, c.available.width() + 0.5);
        EXPECT_LE(10260 / tpp + 48, c.available.height() + 0.5);
    }
}

// Whether a label's caption, wrapped at word boundaries as the label wraps it, fits its box:
// no line wider than the box, and the letters of the last line above its bottom edge.
bool CaptionFits(const ui::Label& label) {
    const QRect box = label.geometry();
    const QString caption = label.Caption();
    QTextLayout layout(caption, label.font());
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    qreal height = 0;
    qreal widest = 0;
    QTextLine last;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(box.width());
        line.setPosition(QPointF(0, height));
        height += line.height();
        widest = std::max(widest, line.naturalTextWidth());
        last = line;
    }
    layout.endLayout();
    const QString lastLine = caption.mid(last.textStart(), last.textLength());
    const qreal inkBelowBaseline =
        std::max<qreal>(0, QFontMetricsF(label.font()).tightBoundingRect(lastLine).bottom());
    return widest <= box.width() && height - last.descent() + inkBelowBaseline <= box.height();
}

// The longest texts the read-outs show in a usual run.
void FillReadouts(frmHydrovat& form) {
    for (ui::Label* value :
         {&form.lblInFlowStatusEnvVal, &form.lblOutFlowStatusEnvVal, &form.lblInFlowStatusVal,
          &form.lblOutFlowStatusVal, &form.lblGoalStatusVal, &form.lblAmountStatusVal,
          &form.lblBackOrderVal, &form.lblForwardOrderVal}) {
        value->setCaption(QStringLiteral("1000.000"));
    }
    for (ui::Label* pipe :
         {&form.lblUsrInCon, &form.lblEnvInCon, &form.lblUsrOutCon, &form.lblEnvOutCon}) {
        pipe->setCaption(QStringLiteral("100.000"));
    }
    form.lblCurrBonusVal.setCaption(QStringLiteral("100.000"));
    form.lblAccuBonusVal.setCaption(QStringLiteral("100.000"));
    form.lblCurrTimePeriod.setCaption(QStringLiteral("1000"));
    form.SetUserInputCaption(1, QStringLiteral("USER: 1000.5"));
    form.SetEnvOutputCaption(0, QStringLiteral("ENV: 100.25"));
    form.MissedFB[0].setCaption(QStringLiteral("120"));
}

TEST_F(ScreenLoad, NoCaptionIsCutOffAtAnyScreenSize) {
    for (const double tpp : {15.0, 14.3, 12.0, 10.4, 10.3, 10.0, 7.5}) {
        for (const bool graphical : {true, false}) {
            PrepareScreenRun(run, graphical);
            context->twipsPerPixel = tpp;
            frmHydrovat form(run);
            FillReadouts(form);
            for (const QLabel* child : form.findChildren<QLabel*>()) {
                const auto* label = dynamic_cast<const ui::Label*>(child);
                ASSERT_NE(label, nullptr);
                EXPECT_TRUE(CaptionFits(*label))
                    << label->Caption().toStdString() << " at " << tpp << " twips a pixel";
            }
        }
    }
}

TEST_F(ScreenLoad, ClientAreaFollowsTheTwipMapping) {
    PrepareScreenRun(run, true);
    {
        frmHydrovat form(run);
        EXPECT_EQ(form.size(), QSize(1072, 684));
        EXPECT_EQ(form.lblAmountStatusVal.font().pixelSize(), 16);
    }
    PrepareScreenRun(run, true);
    context->twipsPerPixel = 10;
    frmHydrovat large(run);
    EXPECT_EQ(large.size(), QSize(1608, 1026));
    EXPECT_EQ(large.lblAmountStatusVal.font().pixelSize(), 24);
    EXPECT_EQ(large.lblAmountStatusVal.font().family(), QStringLiteral("Liberation Sans"));
    EXPECT_TRUE(large.lblAmountStatusVal.font().bold());
}

}  // namespace
