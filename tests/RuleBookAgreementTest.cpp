// One table of broken configurations, each given to the real login form and to fluxmere-db
// check: what one refuses the other refuses, for the same reason; what check only warns about
// the login lets through.
#include <gtest/gtest.h>

#include <QApplication>
#include <algorithm>
#include <ostream>

#include "access/TableAccess.h"
#include "config/RuleBook.h"
#include "core/RunRecord.h"
#include "runtime/ProgramEnd.h"
#include "screens/common/Dialogs.h"
#include "screens/intake/frmLogin.h"
#include "support/IntakeScripts.h"
#include "support/ToolFixtures.h"
#include "tool/common/ToolError.h"
#include "tool/data/Check.h"
#include "tool/simulated/Simulate.h"

namespace {

using config::Severity;

enum class Login { Refuses, EndsProgram, Accepts };

struct Broken {
    const char* name;
    const char* version;  // the demo's version the change breaks
    const char* sql;
    Login login;
    const char* reason;  // part of the message both show
};

std::ostream& operator<<(std::ostream& out, const Broken& c) {
    return out << c.name;
}

struct LoginOutcome {
    Login login = Login::Accepts;
    QString message;  // the first message shown
    bool recorded = false;
};

QString Texts(const std::vector<tool::Problem>& problems) {
    QStringList texts;
    for (const tool::Problem& problem : problems) texts << problem.text();
    return texts.join('\n');
}

class RuleBookAgreementTest : public ::testing::TestWithParam<Broken> {
  protected:
    ::Run run;
    frmLogin login{run};

  protected:
    void SetUp() override {
        Execute(demo.path(), QString::fromLatin1(GetParam().sql));
        run.session.databasePath = demo.path();
    }

    // Ann types the version and presses Start, as a participant would.
    LoginOutcome logIn() {
        ui::ScriptedDialogs dialogs;
        run.asks = &dialogs;
        run.showsForms = &dialogs;
        ScriptRegistration(dialogs);
        login.LoadVersions();
        frmLogin& form = login;
        form.txtName.setText(QStringLiteral("Ann"));
        form.cboVersion.setEditText(QString::fromLatin1(GetParam().version));
        LoginOutcome outcome;
        try {
            form.cmdStart_Click();
            outcome.login = form.Accepted() ? Login::Accepts : Login::Refuses;
        } catch (const runtime::ProgramEnded&) {
            outcome.login = Login::EndsProgram;
        }
        if (!dialogs.shown().empty()) outcome.message = dialogs.shown().front().text;
        outcome.recorded = !Column(demo.path(), "SELECT Subject FROM datSubject").isEmpty();
        return outcome;
    }

    DemoDatabase demo;
};

TEST_P(RuleBookAgreementTest, TheLoginAndCheckGiveTheSameVerdictAndReason) {
    const Broken& c = GetParam();
    const std::vector<tool::Problem> problems = tool::CheckDatabase(demo.path());
    std::vector<tool::Problem> refusals;
    std::copy_if(problems.begin(), problems.end(), std::back_inserter(refusals),
                 [](const tool::Problem& p) { return p.severity != Severity::Warns; });
    const LoginOutcome outcome = logIn();
    const QString reason = QString::fromLatin1(c.reason);
    ASSERT_EQ(outcome.login, c.login) << "the login showed: " << outcome.message.toStdString();

    if (c.login == Login::Accepts) {
        EXPECT_EQ(Texts(refusals), QString()) << "check refuses what the login runs";
        EXPECT_TRUE(std::any_of(problems.begin(), problems.end(),
                                [&](const tool::Problem& p) { return p.message.contains(reason); }))
            << "check does not warn:\n"
            << Texts(problems).toStdString();
        return;
    }
    EXPECT_TRUE(outcome.message.contains(reason)) << outcome.message.toStdString();
    EXPECT_FALSE(outcome.recorded) << "the refused participant was registered";
    const Severity severity =
        c.login == Login::EndsProgram ? Severity::EndsProgram : Severity::Refuses;
    // The login's message is check's message, at most prefixed with the version.
    EXPECT_TRUE(std::any_of(refusals.begin(), refusals.end(),
                            [&](const tool::Problem& p) {
                                return p.severity == severity && p.message.contains(reason) &&
                                       outcome.message.contains(p.message);
                            }))
        << "login: " << outcome.message.toStdString() << "\ncheck:\n"
        << Texts(problems).toStdString();
}

// fluxmere-db simulate plays what the login runs and refuses the rest with the login's message.
TEST_P(RuleBookAgreementTest, SimulateRefusesWithTheLoginsMessage) {
    const Broken& c = GetParam();
    const LoginOutcome outcome = logIn();
    tool::SimulateOptions options;
    options.databasePath = demo.path();
    options.version = QString::fromLatin1(c.version);
    options.strategy.name = QStringLiteral("none");
    if (c.login == Login::Accepts) {
        EXPECT_NO_THROW(tool::Simulate(options));
        return;
    }
    try {
        tool::Simulate(options);
        ADD_FAILURE() << "simulate ran what the login refuses";
    } catch (const tool::ToolError& error) {
        EXPECT_EQ(error.message().toStdString(), tool::OneLine(outcome.message).toStdString());
    }
}

// The demo's rows: tblSetup 1 TankP, 2 TankT (graphical, scenario 1, delay scenario 1),
// 3 StoreP, 4 StoreT (discrete, scenario 2, delay scenario 2); tblDelayScenarios rows 1-3 are
// delay scenario 1, rows 4-6 delay scenario 2.
INSTANTIATE_TEST_SUITE_P(
    Demo, RuleBookAgreementTest,
    ::testing::Values(
        Broken{"ScenarioWithoutRows", "TankP",
               "UPDATE tblSetup SET ScenarioUsed = 9 WHERE Version = 'TankP'", Login::Refuses,
               "Environment scenario 9 has no rows in tblScenarios."},
        Broken{"DelayScenarioWithoutRows", "StoreT",
               "UPDATE tblSetup SET DelayScenario = 9 WHERE Version = 'StoreT'", Login::Refuses,
               "Delay scenario 9 has no rows in tblDelayScenarios."},
        Broken{"NoPeriods", "TankP", "UPDATE tblSetup SET MaxTrial = 0 WHERE Version = 'TankP'",
               Login::Refuses, "MaxTrial is 0; the experiment needs at least one period."},
        Broken{"MaxTrialBeyondTheScenario", "TankT",
               "UPDATE tblSetup SET MaxTrial = 32 WHERE Version = 'TankT'", Login::Refuses,
               "MaxTrial is 32, but MaxNumberOfAScenarioType (30)"},
        Broken{"NegativeMaxNumberOfAScenarioType", "StoreP",
               "UPDATE tblSetup SET MaxNumberOfAScenarioType = -1 WHERE Version = 'StoreP'",
               Login::Refuses, "MaxNumberOfAScenarioType is -1"},
        Broken{"ScenarioPeriodBeyondTheArrays", "TankP",
               "UPDATE tblScenarios SET Trial = 40 WHERE Scenario = 1 AND Trial = 5",
               Login::Refuses, "Trial is 40, outside the range 0 to 31"},
        Broken{"TooManyMarks", "TankP", "UPDATE tblSetup SET numMarks = 11 WHERE Version = 'TankP'",
               Login::Refuses, "numMarks is 11; the tank has room for 1 to 10 scale marks."},
        Broken{"TopLabelReadsAsZero", "TankP",
               "UPDATE tblLabels SET LabelName = 'full' WHERE version = 'TankP' AND "
               "LabelNumber = 10",
               Login::Refuses, "the top label 'full' reads as 0"},
        Broken{"NoLabels", "TankP", "DELETE FROM tblLabels WHERE version = 'TankP'", Login::Refuses,
               "has no labels in tblLabels"},
        Broken{"MoreDelaySegmentsThanFit", "StoreP",
               "UPDATE tblSetup SET MaxNumberOfAScenarioType = 1, MaxTrial = 2 WHERE Version = "
               "'StoreP'",
               Login::Refuses, "has 3 segments, more than the 2"},
        Broken{"DelayBelowOnePeriod", "StoreP",
               "UPDATE tblDelayScenarios SET inflowDelayValue = 0 WHERE DelayScenario = 2 AND "
               "SegmentNumber = 2",
               Login::Refuses, "segment 2: inflowDelayValue is 0, outside the range 1 to 32767."},
        Broken{"DelayBeyondSixteenBits", "TankP",
               "UPDATE tblDelayScenarios SET outflowDelayValue = 40000 WHERE DelayScenario = 1 AND "
               "SegmentNumber = 3",
               Login::Refuses, "segment 3: outflowDelayValue is 40000"},
        Broken{"NegativeDelayLength", "StoreT",
               "UPDATE tblDelayScenarios SET outflowDelayLength = -1 WHERE DelayScenario = 2 AND "
               "SegmentNumber = 3",
               Login::Refuses, "outflowDelayLength is -1, outside the range 0 to 32767."},
        Broken{"ScheduleBeyondSixteenBits", "TankT",
               "UPDATE tblDelayScenarios SET inflowDelayLength = 30000 WHERE DelayScenario = 1",
               Login::Refuses, "the end of segment 2 (running sum of inflowDelayLength) is 60000"},
        Broken{"ClockBelowOneMillisecond", "StoreT",
               "UPDATE tblSetup SET TimeBetweenEnvTries = 0.5 WHERE Version = 'StoreT'",
               Login::Refuses, "TimeBetweenEnvTries is 0.5 ms"},
        Broken{"NullInSetup", "StoreT",
               "UPDATE tblSetup SET BonusAmount = NULL WHERE Version = 'StoreT'", Login::Refuses,
               "BonusAmount is empty; it must hold a number."},
        Broken{"TextInSetup", "TankT",
               "UPDATE tblSetup SET simTimeForTP = 'one' WHERE Version = 'TankT'", Login::Refuses,
               "simTimeForTP holds 'one', which is not a number."},
        Broken{"SixteenBitOverflow", "StoreP",
               "UPDATE tblSetup SET ScenarioUsed = 40000 WHERE Version = 'StoreP'", Login::Refuses,
               "ScenarioUsed is 40000, outside the range -32768 to 32767."},
        Broken{"NullInScenario", "StoreP",
               "UPDATE tblScenarios SET outFlowRateEnviron = NULL WHERE Scenario = 2 AND Trial = 2",
               Login::Refuses, "outFlowRateEnviron is empty"},
        Broken{"NullInDelayScenario", "TankP",
               "UPDATE tblDelayScenarios SET inflowDelayLength = NULL WHERE DelayScenario = 1 AND "
               "SegmentNumber = 2",
               Login::Refuses, "segment 2: inflowDelayLength is empty"},
        Broken{"InitialBackOrderWithADelayOfOne", "TankP",
               "UPDATE tblDelayScenarios SET inflowDelayValue = 1 WHERE DelayScenario = 1 AND "
               "SegmentNumber = 1",
               Login::EndsProgram, "Value of inFlowTPAfter or outFlowTPAfter is 1"},
        Broken{"ScheduleEndingBeforeMaxTrial", "StoreP",
               "UPDATE tblDelayScenarios SET inflowDelayLength = 4.5 WHERE DelayScenario = 2 AND "
               "SegmentNumber = 3",
               Login::Accepts, "the inflow segments of delay scenario 2 end in period 18"},
        Broken{"GoalAboveTheTank", "TankP",
               "UPDATE tblSetup SET GoalLinePoisition = 120 WHERE Version = 'TankP'",
               Login::Accepts, "GoalLinePoisition 120 is outside the tank's scale"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
