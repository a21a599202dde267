#pragma once
// The experimenter's password screen, shown over the simulation screen when someone tries to
// leave the experiment. An accepted pair ends the program at once, without the earnings
// message; Cancel returns to the experiment.

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include "core/RunRecord.h"

class frmPasswordAuth : public QWidget {
    Q_DECLARE_TR_FUNCTIONS(frmPasswordAuth)

  public:
    // The client area in twips.
    static constexpr double kClientWidth = 4680;
    static constexpr double kClientHeight = 3090;

    // Creating the form empties its boxes. A given owner keeps it over that window.
    explicit frmPasswordAuth(Run& run, QWidget* owner = nullptr);

    QLabel Label1{this};
    QLineEdit txtUsername{this};
    QLabel Label2{this};
    QLineEdit txtPassword{this};
    QPushButton Command1{this};
    QPushButton Command2{this};

    void Command1_Click();  // "Exit Application"
    void Command2_Click();  // "Cancel"

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void ClearBoxes();
    void CheckWithoutASecondClick();

    Run& run_;
    bool checking_ = false;
};

// Shows a fresh password form modally over the owner and returns run.state.ExitAuthorised
// once it has closed: false, since an accepted password ends the program inside the form.
// The period cycle's timers go on firing meanwhile.
bool ShowPasswordAuth(Run& run, QWidget* owner = nullptr);
