#include "screens/intake/frmLogin.h"

#include <QFocusEvent>
#include <QRect>
#include <QScopeGuard>
#include <algorithm>
#include <memory>

#include "access/TableAccess.h"
#include "config/ConfigError.h"
#include "config/Languages.h"
#include "config/RuleBook.h"
#include "config/Scenarios.h"
#include "config/ScreenSetup.h"
#include "config/Setup.h"
#include "core/RunRecord.h"
#include "core/Shutdown.h"
#include "db/Location.h"
#include "recording/Resume.h"
#include "recording/RunClaim.h"
#include "runtime/ProgramEnd.h"
#include "runtime/RuntimeError.h"
#include "screens/common/Dialogs.h"
#include "screens/common/Twips.h"
#include "screens/intake/FormLayout.h"
#include "screens/intake/KeyPress.h"
#include "screens/intake/Subjects.h"
#include "screens/intake/frmNewSubject.h"

namespace {

constexpr int kEnter = 13;
constexpr QRect kNameBoxTwips(1080, 360, 2895, 375);
constexpr QRect kVersionBoxTwips(5280, 360, 855, 420);

QString NoVersionsMessage(const Run& run) {
    return frmLogin::tr(
               "No version of the experiment is set up: the table tblSetup of the experiment "
               "database is empty.\r\n%1\r\nPlease call the experimenter.")
        .arg(db::LocationForMessages(DatabasePath(run)));
}

QString UnreadableRunMessage(const Run& run, const runtime::RuntimeError& error) {
    return frmLogin::tr(
               "The records of %1 in version %2 cannot be read, so the run can neither "
               "continue nor start again under this name.\r\nError %3: %4\r\nPlease "
               "call the experimenter.")
        .arg(run.state.SubjectName, run.state.Version)
        .arg(error.number())
        .arg(error.description());
}

}  // namespace

frmLogin::frmLogin(Run& run) : run_(run) {
    intake::SetUpForm(*this, QStringLiteral("frmLogin"), tr("Welcome"), 6375, 1725);
    intake::SetUpLabel(lblLogin, tr("Login: "));
    intake::Place(lblLogin, 360, 360, 735, 375);
    intake::WidenLeftToCaption(lblLogin, intake::CaptionMargin());
    intake::Place(txtName, kNameBoxTwips.x(), kNameBoxTwips.y(), kNameBoxTwips.width(),
                  kNameBoxTwips.height());
    intake::SetUpLabel(lblVersion, tr("Version:"));
    intake::Place(lblVersion, 4320, 360, 975, 375);
    intake::WidenLeftToCaption(lblVersion, txtName.geometry().right() + intake::CaptionMargin());
    cboVersion.setEditable(true);
    // The box takes what is typed as it is: no completion, and Enter adds nothing to the list.
    cboVersion.setCompleter(nullptr);
    cboVersion.setInsertPolicy(QComboBox::NoInsert);
    intake::Place(cboVersion, kVersionBoxTwips.x(), kVersionBoxTwips.y(), kVersionBoxTwips.width(),
                  kVersionBoxTwips.height());
    cmdStart.setText(tr("Start"));
    intake::MakeBold(cmdStart);
    cmdStart.setEnabled(false);
    intake::Place(cmdStart, 1200, 960, 1815, 495);
    cmdQuit.setText(tr("Quit"));
    intake::Place(cmdQuit, 3360, 960, 1815, 495);
    setTabOrder(&txtName, &cboVersion);
    setTabOrder(&cboVersion, &cmdStart);
    setTabOrder(&cmdStart, &cmdQuit);

    connect(&txtName, &QLineEdit::textChanged, this,
            runtime::EventHandler([this] { txtName_Change(); }));
    new intake::KeyPressFilter(txtName, [this](int& key) { txtName_KeyPress(key); });
    new intake::KeyPressFilter(cboVersion, [this](int& key) { cboVersion_KeyPress(key); });
    cboVersion.installEventFilter(this);
    connect(&cmdStart, &QPushButton::clicked, this,
            runtime::EventHandler([this] { cmdStart_Click(); }));
    connect(&cmdQuit, &QPushButton::clicked, this,
            runtime::EventHandler([this] { cmdQuit_Click(); }));
}

frmLogin::~frmLogin() {
    // The controls go before the form; focus moving among them must not validate.
    cboVersion.removeEventFilter(this);
}

bool frmLogin::eventFilter(QObject* watched, QEvent* event) {
    // Validate runs when the focus moves to another control of the form, not when another
    // window or the box's own list takes it.
    if (watched == &cboVersion && event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            runtime::HandleEvent([this] { cboVersion_Validate(); });
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frmLogin::txtName_Change() {
    cmdStart.setEnabled(!txtName.text().trimmed().isEmpty());
}

void frmLogin::txtName_KeyPress(int& KeyAscii) {
    if (KeyAscii == kEnter && cmdStart.isEnabled()) {
        KeyAscii = 0;
        cmdStart_Click();
    }
}

void frmLogin::cboVersion_KeyPress(int& KeyAscii) {
    if (KeyAscii == kEnter && cmdStart.isEnabled()) cmdStart_Click();
}

void frmLogin::cboVersion_Validate() {
    // With an empty list there is nothing to choose: the typed text stays, and Start says
    // that no version is set up.
    if (cboVersion.count() == 0) return;
    const QString typed = cboVersion.currentText();
    int chosen = 0;
    for (int i = 0; i < cboVersion.count(); ++i) {
        if (cboVersion.itemText(i).compare(typed, Qt::CaseInsensitive) == 0) {
            chosen = i;
            break;
        }
    }
    cboVersion.setCurrentIndex(chosen);
    cboVersion.setEditText(cboVersion.itemText(chosen));
    ShowVersionFromItsStart();
}

// A version too long even for the widened box shows its beginning, as the list shows it.
void frmLogin::ShowVersionFromItsStart() {
    cboVersion.lineEdit()->setCursorPosition(0);
}

// The design width holds about five letters; a participant must read the whole name. The box
// keeps its place and grows to the right, never narrower than designed and never wider than
// the name box; a longer version shows its beginning.
void frmLogin::FitVersionBoxToItsVersions() {
    cboVersion.setSizeAdjustPolicy(QComboBox::AdjustToContents);
    const int wanted =
        std::clamp(cboVersion.sizeHint().width(), ui::TwipsToPixelsX(kVersionBoxTwips.width()),
                   ui::TwipsToPixelsX(kNameBoxTwips.width()));
    const int growth = std::max(0, wanted - cboVersion.width());
    cboVersion.resize(cboVersion.width() + growth, cboVersion.height());
    setFixedWidth(width() + growth);
    intake::CenterOnScreen(*this);
}

void frmLogin::cmdQuit_Click() {
    run_.state.QuitAtLogin = true;
    EndProgram(run_);
}

void frmLogin::cmdStart_Click() {
    run_.state.SubjectName = txtName.text().trimmed();
    run_.state.Version = cboVersion.currentText();
    txtName.setSelection(0, static_cast<int>(txtName.text().size()));
    txtName.setFocus();
    // Each press starts from a clean run: nothing restored for an earlier name stays.
    ForgetRestoredRun(run_);
    if (cboVersion.count() == 0) {
        run_.ask(NoVersionsMessage(run_), runtime::Buttons::Ok, runtime::Icon::Warning);
        return;
    }
    if (!LoadVersion()) return;
    Speak(config::LanguageCode(run_.setup.Language));
    const auto speakAsTheLogin = qScopeGuard([this] {
        if (!accepted_) Speak(QString());
    });
    if (const QString problem = SetupCheckProblem(run_); !problem.isEmpty()) {
        // The version cannot run: an ending without earnings, which were never played for.
        run_.ask(problem, runtime::Buttons::Ok);
        runtime::EndRun(runtime::ExitStatus::StartUpRefused, problem);
    }
    SizeArray(run_.state.BackOrder, run_.setup.MaxTrial + 1L);
    SizeArray(run_.state.ForwardDischarge, run_.setup.MaxTrial + 1L);
    bool isNew = false;
    try {
        isNew = CheckNewUser(run_);
    } catch (const runtime::RuntimeError& error) {
        ForgetRestoredRun(run_);
        run_.ask(UnreadableRunMessage(run_, error), runtime::Buttons::Ok, runtime::Icon::Warning);
        return;
    }
    if (isNew) {
        RegisterNewParticipant();
    } else {
        OfferContinuation();
    }
}

// The version's setup, delay scenario and schedule, and what start-up loads after the login;
// a version that cannot be used is named in a message and the login stays.
bool frmLogin::LoadVersion() {
    try {
        LoadSetup(run_);
        LoadDelayScenario(run_);
        BuildDelaySchedule(run_);
        RequireRunnableVersion(run_);
        return true;
    } catch (const ConfigError& error) {
        run_.ask(error.message(), runtime::Buttons::Ok, runtime::Icon::Warning);
        return false;
    }
}

// A participant plays on one station at a time: while another station plays this name and
// version, the login says where and stays.
bool frmLogin::ClaimForThisStation() {
    std::optional<RunHolder> holder;
    try {
        holder = ClaimRun(run_);
    } catch (const runtime::RuntimeError& error) {
        ForgetRestoredRun(run_);
        run_.ask(UnreadableRunMessage(run_, error), runtime::Buttons::Ok, runtime::Icon::Warning);
        return false;
    }
    if (!holder) return true;
    ForgetRestoredRun(run_);
    run_.ask(RunHeldMessage(run_, *holder), runtime::Buttons::Ok, runtime::Icon::Warning);
    return false;
}

void frmLogin::RegisterNewParticipant() {
    if (!ClaimForThisStation()) return;
    hide();
    frmNewSubject registration(run_);
    ui::ShowModal(run_.showsForms, registration);
    if (registration.Registered) {
        Accept();
    } else {
        ReleaseRun(run_);
        Speak(QString());
        ui::ShowModal(run_.showsForms, *this);
    }
}

// A station that stopped between the last period's closing event and the completion of its
// summary row leaves that row begun only: it is completed as a continuation would complete it.
// The run has ended either way, so a row that cannot be completed stays as it was.
void frmLogin::SettleFinishedRun() {
    try {
        InitRun(run_);
    } catch (const runtime::RuntimeError&) {
    }
}

void frmLogin::OfferContinuation() {
    if (run_.state.CurrentTrial >= run_.setup.MaxTrial) {
        SettleFinishedRun();
        EndProgram(run_);
    }
    if (!ClaimForThisStation()) return;
    const runtime::Answer answer = run_.ask(
        tr("Continue with Trial #%1").arg(run_.state.CurrentTrial + 1), runtime::Buttons::YesNo,
        runtime::Icon::None, tr("Login %1 already used").arg(run_.state.SubjectName));
    if (answer == runtime::Answer::Yes) {
        Accept();
    } else {
        ReleaseRun(run_);
    }
}

void frmLogin::Speak(const QString& code) {
    if (speak_) speak_(code);
}

void frmLogin::Accept() {
    accepted_ = true;
    hide();
}

void frmLogin::LoadVersions() {
    cboVersion.addItems(ReadVersions(run_));
    if (cboVersion.count() > 0) cboVersion.setCurrentIndex(0);
    FitVersionBoxToItsVersions();
    ShowVersionFromItsStart();
}

QString SetupCheckProblem(const Run& run) {
    const config::Findings findings = config::InitialOrderRules(
        {run.state.Version, 0, run.setup}, run.state.UserInflowTP, run.state.UserOutflowTP);
    return findings.empty() ? QString() : findings.front().message;
}
