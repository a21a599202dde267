#pragma once
// The login screen: the participant's name and the version of the experiment. Start loads
// the version, checks its setup and sends a new participant to registration, or offers a
// returning one to continue where the event log stopped.

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>
#include <functional>

#include "core/RunRecord.h"

class frmLogin : public QWidget {
    Q_DECLARE_TR_FUNCTIONS(frmLogin)

  public:
    explicit frmLogin(Run& run);
    ~frmLogin() override;

    QLabel lblLogin{this};
    QLineEdit txtName{this};
    QLabel lblVersion{this};
    QComboBox cboVersion{this};
    QPushButton cmdStart{this};
    QPushButton cmdQuit{this};

    void txtName_Change();
    void txtName_KeyPress(int& KeyAscii);
    void cboVersion_KeyPress(int& KeyAscii);
    void cboVersion_Validate();
    void cmdStart_Click();
    void cmdQuit_Click();

    // Fills the version box with the versions of tblSetup, the first selected.
    void LoadVersions();
    void ShowVersionFromItsStart();
    // Widens the version box, and the form with it, until the longest version shows whole.
    void FitVersionBoxToItsVersions();

    // An accepted Start unloaded the form: a participant registered or continuing.
    bool Accepted() const { return accepted_; }

    // How the screens change their language: given a version's code, or an empty one for the
    // login's own. What follows a Start speaks the chosen version's language, and the login
    // its own again when it stays. Without it the language never changes.
    void SetLanguageSwitch(std::function<void(const QString& code)> speak) {
        speak_ = std::move(speak);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool LoadVersion();
    bool ClaimForThisStation();
    void RegisterNewParticipant();
    void OfferContinuation();
    void SettleFinishedRun();
    void Accept();
    void Speak(const QString& code);

    Run& run_;
    std::function<void(const QString&)> speak_;
    bool accepted_ = false;
};

// The login's setup check, asked of the rule book for the loaded setup and starting delays:
// the message when an initial order could never be delivered with a delay of 1, else empty.
QString SetupCheckProblem(const Run& run);
