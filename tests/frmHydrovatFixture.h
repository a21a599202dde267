#pragma once
// A run record ready for the simulation screen: a fresh start of version "V1" with the
// design tank scale (top label 1000, ten marks), a goal of 600 and the pipe constants.

#include <gtest/gtest.h>

#include <QString>

#include "core/RunRecord.h"
#include "screens/common/Twips.h"

inline void PrepareScreenRun(::Run& run, bool graphical) {
    run = ::Run{};
    runtime::CurrentContext().twipsPerPixel = ui::kDesignTwipsPerPixel;
    run.state.Version = QStringLiteral("V1");
    run.state.PipeUserIn = 0;
    run.state.PipeUserOut = 1;
    run.state.PipeEnvIn = 2;
    run.state.PipeEnvOut = 3;
    run.setup.graphicalMode = graphical;
    run.setup.YUnits = QStringLiteral("Gallons");
    run.setup.MaxTrial = 20;
    run.setup.numMarks = 10;
    run.setup.GoalLinePosition = 600;
    run.setup.InitialAmountInTank = 600;
    run.setup.RWIDTH = 5;
    run.setup.RHEIGHT = 10;
    run.setup.TimeBetweenEnvTries = 1000;
    SizeArray(run.state.EnvInFlow, 21);
    SizeArray(run.state.EnvOutFlow, 21);
    if (graphical) {
        run.state.TopLabelValue = 1000;
        SizeArray(run.state.MarkLabels, run.setup.numMarks);
        for (int i = 0; i < run.setup.numMarks; ++i) {
            run.state.MarkLabels[i] = QString::number((i + 1) * 100);
        }
    }
}

class ScreenTest : public ::testing::Test {
  protected:
    ::Run run;

  protected:
    runtime::ScopedContext context;
};
