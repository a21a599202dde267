#include "screens/exit/frmPasswordAuth.h"

#include <QCloseEvent>
#include <QPointer>
#include <QScopeGuard>
#include <QShowEvent>

#include "core/RunRecord.h"
#include "core/Shutdown.h"
#include "db/Error.h"
#include "runtime/ProgramEnd.h"
#include "screens/common/Dialogs.h"
#include "screens/common/Twips.h"
#include "screens/exit/CheckPassword.h"

namespace {

constexpr double kFontPoints = 12;

void Place(QWidget& control, double left, double top, double width, double height, bool bold) {
    control.setGeometry(ui::TwipRect(left, top, width, height));
    control.setFont(ui::DesignFont(kFontPoints, bold));
}

QString UncheckedMessage(const QString& reason) {
    return frmPasswordAuth::tr("The password could not be checked: %1.").arg(reason);
}

QString DatabaseReported(const db::Error& error) {
    return frmPasswordAuth::tr("the database reported error %1 (%2)")
        .arg(error.number())
        .arg(error.description());
}

}  // namespace

frmPasswordAuth::frmPasswordAuth(Run& run, QWidget* owner) : QWidget(owner, Qt::Dialog), run_(run) {
    setObjectName(QStringLiteral("frmPasswordAuth"));
    setWindowTitle(tr("Authentication"));
    setFixedSize(ui::TwipSize(kClientWidth, kClientHeight));

    Label1.setText(tr("Username"));
    Place(Label1, 240, 600, 1815, 375, true);
    Place(txtUsername, 2280, 600, 1935, 495, false);
    Label2.setText(tr("Password"));
    Place(Label2, 240, 1560, 1815, 375, true);
    Place(txtPassword, 2280, 1560, 1935, 495, false);
    txtPassword.setEchoMode(QLineEdit::Password);
    // One "*" for every character, whatever the style's own mask character is.
    txtPassword.setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    Command1.setText(tr("Exit Application"));
    Place(Command1, 240, 2400, 2175, 495, true);
    Command2.setText(tr("Cancel"));
    Place(Command2, 2640, 2400, 1575, 495, true);
    setTabOrder(&txtUsername, &txtPassword);
    setTabOrder(&txtPassword, &Command1);
    setTabOrder(&Command1, &Command2);

    connect(&Command1, &QPushButton::clicked, this,
            runtime::EventHandler(this, &frmPasswordAuth::Command1_Click));
    connect(&Command2, &QPushButton::clicked, this,
            runtime::EventHandler(this, &frmPasswordAuth::Command2_Click));
    ClearBoxes();
}

void frmPasswordAuth::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) txtUsername.setFocus();
}

void frmPasswordAuth::ClearBoxes() {
    txtUsername.clear();
    txtPassword.clear();
    txtUsername.setVisible(true);
    txtPassword.setVisible(true);
}

void frmPasswordAuth::Command1_Click() {
    if (txtUsername.text().isEmpty()) {
        run_.ask(tr("Please enter Username"));
        return;
    }
    if (txtPassword.text().isEmpty()) {
        run_.ask(tr("Please enter Password"));
        return;
    }
    // Unverified is refused: the experiment goes on and the experimenter may try again.
    try {
        CheckWithoutASecondClick();
    } catch (const db::Error& error) {
        run_.ask(UncheckedMessage(DatabaseReported(error)), runtime::Buttons::Ok,
                 runtime::Icon::Warning);
        return;
    } catch (const accounts::PasswordError& error) {
        run_.ask(UncheckedMessage(QString::fromStdString(error.what())), runtime::Buttons::Ok,
                 runtime::Icon::Warning);
        return;
    }
    if (run_.state.PasswordMatched) {
        run_.state.ExitConfirmed = true;
        run_.state.ExitAuthorised = true;
        EndProgram(run_);
    }
    run_.ask(tr("Username or Password is incorrect. Please try again"), runtime::Buttons::Ok,
             runtime::Icon::Warning, tr("Password Incorrect"));
    ClearBoxes();
    txtUsername.setFocus();
}

// The slow hash lets the window's events run: the form takes no click, key or close until
// the answer is in.
void frmPasswordAuth::CheckWithoutASecondClick() {
    setEnabled(false);
    checking_ = true;
    const auto reopen = qScopeGuard([this] {
        checking_ = false;
        setEnabled(true);
    });
    CheckPassword(run_, txtUsername.text(), txtPassword.text());
}

void frmPasswordAuth::closeEvent(QCloseEvent* event) {
    if (checking_)
        event->ignore();
    else
        QWidget::closeEvent(event);
}

void frmPasswordAuth::Command2_Click() {
    run_.state.ExitAuthorised = false;
    close();
}

bool ShowPasswordAuth(Run& run, QWidget* owner) {
    // A fresh form for every showing, gone once it returns or the program ends inside it. The
    // guarded pointer covers an owner that takes its child along first.
    const QPointer<frmPasswordAuth> form = new frmPasswordAuth(run, owner);
    const auto unload = qScopeGuard([&form] { delete form.data(); });
    ui::ShowModal(run.showsForms, *form);
    return run.state.ExitAuthorised;
}
