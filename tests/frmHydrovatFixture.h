#pragma once
// A run record ready for the simulation screen: a fresh start of version "V1" with the
// design tank scale (top label 1000, ten marks), a goal of 600 and the pipe constants.

#include <gtest/gtest.h>

#include <QString>

#include "core/RunRecord.h"
#include "ui/Twips.h"

inline void PrepareScreenRun(bool graphical) {
    ResetRunRecord();
    runtime::CurrentContext().twipsPerPixel = ui::kDesignTwipsPerPixel;
    RunState.Version = QStringLiteral("V1");
    RunState.PipeUserIn = 0;
    RunState.PipeUserOut = 1;
    RunState.PipeEnvIn = 2;
    RunState.PipeEnvOut = 3;
    ExperimentSetup.graphicalMode = graphical;
    ExperimentSetup.YUnits = QStringLiteral("Gallons");
    ExperimentSetup.MaxTrial = 20;
    ExperimentSetup.numMarks = 10;
    ExperimentSetup.GoalLinePosition = 600;
    ExperimentSetup.InitialAmountInTank = 600;
    ExperimentSetup.RWIDTH = 5;
    ExperimentSetup.RHEIGHT = 10;
    ExperimentSetup.TimeBetweenEnvTries = 1000;
    SizeArray(RunState.EnvInFlow, 21);
    SizeArray(RunState.EnvOutFlow, 21);
    if (graphical) {
        RunState.TopLabelValue = 1000;
        SizeArray(RunState.MarkLabels, ExperimentSetup.numMarks);
        for (int i = 0; i < ExperimentSetup.numMarks; ++i) {
            RunState.MarkLabels[i] = QString::number((i + 1) * 100);
        }
    }
}

class ScreenTest : public ::testing::Test {
  protected:
    void TearDown() override { ResetRunRecord(); }

    runtime::ScopedContext context;
};
