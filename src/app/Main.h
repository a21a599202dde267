#pragma once
// The participant program: one run, its start-up (the splash screen, the login, the
// preparation of the run) and its simulation screen, which then lives on its own events.

#include <QString>
#include <memory>

#include "core/RunRecord.h"
#include "screens/common/Dialogs.h"
#include "screens/common/Language.h"

class frmHydrovat;
class frmLogin;

class Program {
  public:
    Program();
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Runs once when the program starts and returns once the simulation screen is shown.
    // Anything that stops the start-up ends the run (raises runtime::ProgramEnded) with a
    // message naming what is wrong.
    void Main();

    // Once the run has ended, however it did: gives the run's claim up and closes its windows,
    // which must go before the application.
    void CloseSession();

    // How long the splash screen stays up, in milliseconds (tests shorten it).
    void SetSplashMilliseconds(int milliseconds) { splashMilliseconds_ = milliseconds; }

    Run& run() { return run_; }
    // The login form, created on first use.
    frmLogin& LoginForm();
    // The code of the language the screens speak now.
    QString Language() const { return language_.code(); }
    // The simulation screen Main showed, or null.
    frmHydrovat* SimulationScreen() const { return screen_.get(); }
    void UnloadSimulationScreen();

  private:
    void ShowSplashAndLoadVersions();
    void LogIn();
    void PrepareRun();
    void FollowStationServer();
    void SpeakTheOfferedLanguage();

    // Before the windows, which go first.
    ui::ParticipantLanguage language_;
    ui::RealDialogs dialogs_;
    Run run_;
    int splashMilliseconds_ = 1500;
    std::unique_ptr<frmLogin> login_;
    std::unique_ptr<frmHydrovat> screen_;
};

// Empty when the experiment database can be opened for writing with the program's key and
// holds the versions table; otherwise a message naming the file and what is wrong.
QString DatabaseProblem(const QString& path);
