// Decision entry on the simulation screen: the keyboard filter of the two order boxes, the
// Submit button's keys, and the guard on leaving the experiment (Ctrl+X, the close command).

#include <QCloseEvent>
#include <QKeyEvent>

#include "core/RunRecord.h"
#include "runtime/ProgramEnd.h"
#include "screens/common/Dialogs.h"
#include "screens/common/TextRule.h"
#include "screens/exit/frmPasswordAuth.h"
#include "screens/simulation/frmHydrovat.h"
#include "task/EntryFilter.h"

namespace {

constexpr char16_t kNoCharacter = 0;
constexpr char16_t kTab = 9;
constexpr char16_t kEnter = 13;

// The character code the key types: Ctrl with a letter gives its control code (Ctrl+X is
// 24); keys that type nothing (arrows, Delete, Home) give none.
char16_t CharacterCode(const QKeyEvent& event) {
    const int key = event.key();
    if ((event.modifiers() & Qt::ControlModifier) && key >= Qt::Key_A && key <= Qt::Key_Z) {
        return char16_t(key - Qt::Key_A + 1);
    }
    if (key == Qt::Key_Backspace) return entry::kBackspace;
    const QString text = event.text();
    return text.isEmpty() ? kNoCharacter : text.front().unicode();
}

// Keys that never reach the filter: Enter presses Submit through the form, Tab moves the
// focus, and keys that type nothing are the box's own editing (checked by the validator).
bool BypassesFilter(char16_t code) {
    return code == kNoCharacter || code == kEnter || code == kTab;
}

}  // namespace

void frmHydrovat::InstallEntryFilters() {
    for (QLineEdit* box : {&txtUsrInflowVal, &txtUsrOutflowVal}) {
        // A change that would leave no number is refused, however it comes.
        ui::AcceptOnly(*box, [this](const QString& text) {
            return entry::IsValidEntry(text, run_.setup.graphicalMode);
        });
        box->installEventFilter(this);
    }
    cmdNextTrial.installEventFilter(this);
}

bool frmHydrovat::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
    const char16_t code = CharacterCode(*static_cast<QKeyEvent*>(event));
    if (watched == &cmdNextTrial) {
        return !runtime::HandleEvent([&] { cmdNextTrial_KeyPress(code); });
    }
    QLineEdit* box = nullptr;
    if (watched == &txtUsrInflowVal) box = &txtUsrInflowVal;
    if (watched == &txtUsrOutflowVal) box = &txtUsrOutflowVal;
    if (box == nullptr || BypassesFilter(code)) return QWidget::eventFilter(watched, event);
    char16_t keyAscii = code;
    if (!runtime::HandleEvent([&] { EntryBox_KeyPress(*box, keyAscii); })) return true;
    // A key let through after the password form was cancelled only reaches a box that can
    // still take it: the cycle may have disabled it meanwhile.
    return keyAscii == 0 || !box->isEnabled();
}

bool frmHydrovat::ExitPromptAnsweredNo() {
    if (run_.ask(tr("Are you sure you want to exit?"), runtime::Buttons::YesNo, runtime::Icon::None,
                 tr("Exit Application")) == runtime::Answer::No) {
        return true;
    }
    // An accepted password ends the program inside the form; otherwise the experiment goes on.
    ShowPasswordAuth(run_, this);
    return false;
}

void frmHydrovat::EntryBox_KeyPress(QLineEdit& box, char16_t& KeyAscii) {
    const entry::Box state{box.text(),
                           box.hasSelectedText() ? box.selectionStart() : box.cursorPosition(),
                           int(box.selectedText().size())};
    switch (entry::FilterKey(state, KeyAscii, run_.setup.graphicalMode)) {
        case entry::KeyOutcome::Insert:
        case entry::KeyOutcome::Pass:
            return;
        case entry::KeyOutcome::ReplaceZero:
            box.clear();
            return;
        case entry::KeyOutcome::ZeroPoint:
            box.setText(QStringLiteral("0."));
            KeyAscii = 0;
            return;
        case entry::KeyOutcome::ExitPrompt:
            if (!ExitPromptAnsweredNo()) return;
            KeyAscii = 0;
            return;
        case entry::KeyOutcome::Discard:
            KeyAscii = 0;
            return;
    }
}

void frmHydrovat::cmdNextTrial_KeyPress(char16_t KeyAscii) {
    if (KeyAscii == entry::kCtrlX) ExitPromptAnsweredNo();
}

bool frmHydrovat::confirmClose() {
    return ShowPasswordAuth(run_, this);
}

void frmHydrovat::closeEvent(QCloseEvent* event) {
    bool mayClose = false;
    const bool running = runtime::HandleEvent([&] { mayClose = confirmClose(); });
    if (!running || !mayClose) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}
