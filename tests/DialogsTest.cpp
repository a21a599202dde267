#include <gtest/gtest.h>

#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include "core/RunRecord.h"
#include "screens/common/Dialogs.h"
#include "screens/common/FormTimer.h"

namespace {

TEST(DialogsTest, ScriptedAnswersAreReturnedInOrderAndEveryBoxIsKept) {
    ui::ScriptedDialogs dialogs;
    ::Run run;
    run.asks = &dialogs;
    dialogs.answerNext(runtime::Answer::No);
    EXPECT_EQ(
        run.ask("Retry?", runtime::Buttons::YesNo, runtime::Icon::Question, "Error 3050: Loading"),
        runtime::Answer::No);
    EXPECT_EQ(run.ask("Done"), runtime::Answer::Ok);
    ASSERT_EQ(dialogs.shown().size(), 2u);
    EXPECT_EQ(dialogs.shown()[0].buttons, runtime::Buttons::YesNo);
    EXPECT_EQ(dialogs.shown()[0].title, "Error 3050: Loading");
    EXPECT_TRUE(dialogs.shown()[0].isYesNo());
    EXPECT_EQ(dialogs.shown()[0].icon, runtime::Icon::Question);
    // Without a title the application title is shown.
    EXPECT_EQ(dialogs.shown()[1].title, "Fluxmere");
}

TEST(DialogsTest, ModalFormReturnsWhenHiddenWhileTimersKeepFiring) {
    ui::ScriptedDialogs dialogs;
    QWidget form;
    form.setObjectName("frmPasswordAuth");
    auto* cancel = new QPushButton("Cancel", &form);
    QObject::connect(cancel, &QPushButton::clicked, &form, &QWidget::hide);

    ui::FormTimer cycle;
    int ticks = 0;
    QObject::connect(&cycle, &ui::FormTimer::Timer, [&] { ++ticks; });
    cycle.arm(2);

    // The experimenter waits while the cycle goes on, then presses Cancel.
    dialogs.onNextModal([&](QWidget&) {
        auto* wait = new QTimer(&form);
        QObject::connect(wait, &QTimer::timeout, [&, wait] {
            if (ticks >= 3) {
                wait->stop();
                cancel->click();
            }
        });
        wait->start(1);
    });
    ui::ShowModal(&dialogs, form);
    EXPECT_FALSE(form.isVisible());
    EXPECT_GE(ticks, 3);
    EXPECT_EQ(dialogs.modalForms(), std::vector<QString>{"frmPasswordAuth"});
}

TEST(DialogsTest, UnscriptedModalFormIsClosedAtOnce) {
    ui::ScriptedDialogs dialogs;
    QWidget form;
    ui::ShowModal(&dialogs, form);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(dialogs.modalForms().size(), 1u);
}

}  // namespace
