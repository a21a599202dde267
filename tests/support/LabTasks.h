#pragma once
// Waiting for a task of Fluxmere Lab's window, with the window's events handled meanwhile.

#include <QEventLoop>
#include <QString>

#include "lab/TaskRunner.h"

// The runner's task to its end; what its status line then says, without the task's title.
inline QString FinishTask(lab::TaskRunner& runner) {
    QEventLoop loop;
    QObject::connect(&runner, &lab::TaskRunner::finished, &loop, &QEventLoop::quit);
    if (runner.busy()) loop.exec();
    return runner.statusLine().text().section(QStringLiteral(": "), 1, -1);
}
