#pragma once
// The registration form of a new participant: age, gender and major. Begin records them
// (datSubject) and reports the registration through Registered; Cancel returns to the login.

#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>
#include <array>

#include "core/RunRecord.h"

class frmNewSubject : public QWidget {
    Q_DECLARE_TR_FUNCTIONS(frmNewSubject)

  public:
    explicit frmNewSubject(Run& run);

    QLabel tagAge{this};
    QLineEdit txtAge{this};
    QGroupBox fraGender{this};
    QRadioButton optFemale{&fraGender};
    QRadioButton optMale{&fraGender};
    QComboBox cboMajor{this};
    QPushButton btnBegin{this};
    QPushButton btnCancel{this};

    // Age given, gender chosen, major given.
    std::array<bool, 3> FieldFilled{};
    // Begin was pressed and the participant recorded.
    bool Registered = false;

    void txtAge_Change();
    void txtAge_KeyPress(int& KeyAscii);
    void optFemale_Click();
    void optMale_Click();
    void cboMajor_Change();
    void cboMajor_Click();
    void btnBegin_Click();
    void btnCancel_Click();

  private:
    void StartEmpty();
    void EnableBegin();

    Run& run_;
};

// What the age box may hold, however it gets there (keys, paste, drop): nothing, or a whole
// age from 1 to 999 in digits.
bool IsAgeText(const QString& text);

// The majors offered, in their order, as recorded (in English).
const QStringList& Majors();

// A major of the list as the screen shows it, in the screen's language.
QString ShownMajor(const QString& major);

// What is recorded for the major box's text: a major of the list as shown in the screen's
// language is recorded in English, so that data of labs in any language reads alike; a major
// typed in is recorded as typed.
QString RecordedMajor(const QString& shown);
