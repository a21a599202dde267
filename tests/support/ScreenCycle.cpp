#include "tests/support/ScreenCycle.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include "runtime/ProgramEnd.h"
#include "screens/simulation/frmHydrovat.h"

bool RunScreenUntil(const std::function<bool()>& done) {
    QTimer wake;  // so that waiting for events never blocks for long
    wake.start(5);
    QElapsedTimer limit;
    limit.start();
    try {
        while (!done() && limit.elapsed() < 30000) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            runtime::RaiseKeptEnd();
        }
    } catch (const runtime::ProgramEnded&) {
        return true;
    }
    EXPECT_TRUE(done()) << "the cycle stalled";
    return false;
}

bool PhaseTimersIdle(const frmHydrovat& form) {
    for (const ui::FormTimer* timer :
         {&form.Timer1, &form.tmrUserDelay, &form.tmrUserMv, &form.tmrEnvDelay, &form.tmrEnvMv}) {
        if (timer->Enabled()) return false;
    }
    return true;
}
