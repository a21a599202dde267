#include "screens/intake/frmNewSubject.h"

#include "core/RunRecord.h"
#include "runtime/NumberText.h"
#include "runtime/ProgramEnd.h"
#include "runtime/Questions.h"
#include "screens/common/TextRule.h"
#include "screens/intake/FormLayout.h"
#include "screens/intake/KeyPress.h"
#include "screens/intake/Subjects.h"

namespace {

constexpr int kBackspace = 8;
constexpr int kEnter = 13;
constexpr int kMostAgeDigits = 3;

}  // namespace

bool IsAgeText(const QString& text) {
    if (text.isEmpty()) return true;
    if (text.size() > kMostAgeDigits) return false;
    for (const QChar c : text)
        if (c < u'0' || c > u'9') return false;
    return text.toInt() >= 1;
}

const QStringList& Majors() {
    static const QStringList majors{
        QT_TRANSLATE_NOOP("frmNewSubject", "Architecture"),
        QT_TRANSLATE_NOOP("frmNewSubject", "Art"),
        QT_TRANSLATE_NOOP("frmNewSubject", "Biological Sciences"),
        QT_TRANSLATE_NOOP("frmNewSubject", "Business"),
        QT_TRANSLATE_NOOP("frmNewSubject", "Chemical Engineering"),
        QT_TRANSLATE_NOOP("frmNewSubject", "Chemistry"),
        QT_TRANSLATE_NOOP("frmNewSubject", "Civil & Environmental Engineering"),
        QT_TRANSLATE_NOOP("frmNewSubject", "Computer Science"),
        QT_TRANSLATE_NOOP("frmNewSubject", "Design"),
        QT_TRANSLATE_NOOP("frmNewSubject", "Drama"),
        QT_TRANSLATE_NOOP("frmNewSubject", "Economics"),
        QT_TRANSLATE_NOOP("frmNewSubject", "Electrical & Computer Engineering"),
        QT_TRANSLATE_NOOP("frmNewSubject", "Engineering & Public Policy"),
        QT_TRANSLATE_NOOP("frmNewSubject", "English"),
        QT_TRANSLATE_NOOP("frmNewSubject", "History"),
        QT_TRANSLATE_NOOP("frmNewSubject", "Industrial Management"),
        QT_TRANSLATE_NOOP("frmNewSubject", "Materials Science & Engineering"),
        QT_TRANSLATE_NOOP("frmNewSubject", "Mathematical Sciences"),
        QT_TRANSLATE_NOOP("frmNewSubject", "Mechanical Engineering"),
        QT_TRANSLATE_NOOP("frmNewSubject", "Music"),
        QT_TRANSLATE_NOOP("frmNewSubject", "Modern Languages"),
        QT_TRANSLATE_NOOP("frmNewSubject", "Philosophy"),
        QT_TRANSLATE_NOOP("frmNewSubject", "Physics"),
        QT_TRANSLATE_NOOP("frmNewSubject", "Psychology"),
        QT_TRANSLATE_NOOP("frmNewSubject", "Social & Decision Sciences"),
        QT_TRANSLATE_NOOP("frmNewSubject", "Statistics"),
        QT_TRANSLATE_NOOP("frmNewSubject", "Other"),
    };
    return majors;
}

QString ShownMajor(const QString& major) {
    return frmNewSubject::tr(major.toUtf8().constData());
}

QString RecordedMajor(const QString& shown) {
    for (const QString& major : Majors())
        if (shown == ShownMajor(major)) return major;
    return shown;
}

frmNewSubject::frmNewSubject(Run& run) : run_(run) {
    intake::SetUpForm(*this, QStringLiteral("frmNewSubject"), tr("Subject Info: "), 5055, 2550);
    intake::SetUpLabel(tagAge, tr("Age:"));
    intake::Place(tagAge, 360, 480, 615, 375);
    intake::WidenLeftToCaption(tagAge, intake::CaptionMargin());
    intake::Place(txtAge, 960, 480, 615, 390);
    fraGender.setTitle(tr("Gender"));
    intake::Place(fraGender, 1800, 240, 2895, 735);
    optFemale.setText(tr("Female"));
    intake::Place(optFemale, 240, 360, 1215, 270);
    optMale.setText(tr("Male"));
    intake::Place(optMale, 1800, 360, 855, 270);
    intake::ScaleOptionMark(optFemale);
    intake::ScaleOptionMark(optMale);
    intake::WidenOptionToCaption(optFemale, optFemale.x(), optMale.x() - intake::CaptionMargin());
    intake::WidenOptionToCaption(
        optMale, optFemale.x() + optFemale.sizeHint().width() + intake::CaptionMargin(),
        fraGender.contentsRect().right());
    cboMajor.setEditable(true);
    cboMajor.setCompleter(nullptr);
    cboMajor.setInsertPolicy(QComboBox::NoInsert);
    intake::Place(cboMajor, 360, 1080, 4335, 390);
    btnBegin.setText(tr("Begin"));
    intake::MakeBold(btnBegin);
    btnBegin.setEnabled(false);
    intake::Place(btnBegin, 360, 1680, 2055, 495);
    btnCancel.setText(tr("Cancel"));
    intake::Place(btnCancel, 2640, 1680, 2055, 495);
    setTabOrder(&txtAge, &optFemale);
    setTabOrder(&optFemale, &optMale);
    setTabOrder(&optMale, &cboMajor);
    setTabOrder(&cboMajor, &btnBegin);
    setTabOrder(&btnBegin, &btnCancel);

    ui::AcceptOnly(txtAge, IsAgeText);
    using runtime::EventHandler;
    connect(&txtAge, &QLineEdit::textChanged, this,
            EventHandler(this, &frmNewSubject::txtAge_Change));
    new intake::KeyPressFilter(txtAge, [this](int& key) { txtAge_KeyPress(key); });
    connect(&optFemale, &QRadioButton::clicked, this,
            EventHandler(this, &frmNewSubject::optFemale_Click));
    connect(&optMale, &QRadioButton::clicked, this,
            EventHandler(this, &frmNewSubject::optMale_Click));
    connect(&cboMajor, &QComboBox::editTextChanged, this,
            EventHandler(this, &frmNewSubject::cboMajor_Change));
    connect(&cboMajor, &QComboBox::activated, this,
            EventHandler(this, &frmNewSubject::cboMajor_Click));
    connect(&btnBegin, &QPushButton::clicked, this,
            EventHandler(this, &frmNewSubject::btnBegin_Click));
    connect(&btnCancel, &QPushButton::clicked, this,
            EventHandler(this, &frmNewSubject::btnCancel_Click));

    StartEmpty();
}

void frmNewSubject::StartEmpty() {
    for (const QString& major : Majors()) cboMajor.addItem(ShownMajor(major));
    cboMajor.setCurrentIndex(-1);
    cboMajor.setEditText(tr("Major"));
    setWindowTitle(windowTitle() + run_.state.SubjectName);
    // Setting the major's text above counts as a change; this undoes it.
    FieldFilled = {false, false, false};
    Registered = false;
    EnableBegin();
}

void frmNewSubject::EnableBegin() {
    btnBegin.setEnabled(FieldFilled[0] && FieldFilled[1] && FieldFilled[2]);
}

void frmNewSubject::txtAge_Change() {
    FieldFilled[0] = !txtAge.text().trimmed().isEmpty();
    EnableBegin();
}

void frmNewSubject::txtAge_KeyPress(int& KeyAscii) {
    if (KeyAscii >= '0' && KeyAscii <= '9') {
        // No leading zero.
        if (txtAge.text().isEmpty() && KeyAscii == '0') KeyAscii = 0;
        if (txtAge.text() == QStringLiteral("0")) txtAge.clear();
    } else if (KeyAscii == kEnter) {
        KeyAscii = 0;
        if (btnBegin.isEnabled()) btnBegin_Click();
    } else if (KeyAscii != kBackspace) {
        KeyAscii = 0;
    }
}

void frmNewSubject::optFemale_Click() {
    FieldFilled[1] = true;
    EnableBegin();
}

void frmNewSubject::optMale_Click() {
    FieldFilled[1] = true;
    EnableBegin();
}

void frmNewSubject::cboMajor_Change() {
    FieldFilled[2] = !cboMajor.currentText().trimmed().isEmpty();
    EnableBegin();
}

void frmNewSubject::cboMajor_Click() {
    cboMajor_Change();
}

void frmNewSubject::btnBegin_Click() {
    run_.state.Condition =
        run_.setup.graphicalMode ? QStringLiteral("continuous") : QStringLiteral("discrete");
    Registered = RecordDemographics(
        run_, Demographics{
                  RecordedMajor(cboMajor.currentText()),
                  optMale.isChecked() ? QStringLiteral("Male") : QStringLiteral("Female"),
                  runtime::LeadingNumber(txtAge.text()),
              });
    // Taken meanwhile by another station: the login is shown again.
    if (!Registered)
        run_.ask(RegisteredMeanwhileMessage(run_), runtime::Buttons::Ok, runtime::Icon::Warning);
    close();
}

void frmNewSubject::btnCancel_Click() {
    close();
}
