#include "tests/support/IntakeScripts.h"

#include "screens/intake/frmLogin.h"
#include "screens/intake/frmNewSubject.h"
#include "tests/support/Typing.h"

void ScriptRegistration(ui::ScriptedDialogs& dialogs) {
    dialogs.onNextModal([](QWidget& form) {
        auto& registration = dynamic_cast<frmNewSubject&>(form);
        TypeKeys(registration.txtAge, "25");
        registration.optMale.click();
        registration.cboMajor.setEditText("Art");
        registration.btnBegin_Click();
    });
}

void ScriptLogin(ui::ScriptedDialogs& dialogs, const QString& name, const QString& version) {
    dialogs.onNextModal([name, version](QWidget& form) {
        auto& login = dynamic_cast<frmLogin&>(form);
        login.txtName.setText(name);
        login.cboVersion.setEditText(version);
        login.cmdStart_Click();
    });
}
