#pragma once
// Message boxes and modal forms, behind one host. The program shows real dialogs; a test
// installs a ScriptedDialogs host, sets the answers and reads what was shown.

#include <QString>
#include <QWidget>
#include <deque>
#include <functional>
#include <vector>

namespace ui {

// Button and icon flags, added together as the callers write them (4 + 32 = 36).
enum MsgBoxStyle {
    vbOKOnly = 0,
    vbYesNo = 4,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
};
enum MsgBoxResult { vbOK = 1, vbYes = 6, vbNo = 7 };

// The title a message box shows when the caller gives none.
QString ApplicationTitle();

struct MessageBoxRequest {
    QString text;
    QString title;
    int style = vbOKOnly;

    bool isYesNo() const { return (style & 0x0F) == vbYesNo; }
    int icon() const { return style & 0x70; }
};

class DialogHost {
  public:
    virtual ~DialogHost() = default;
    virtual int messageBox(const MessageBoxRequest& request) = 0;
    // Shows the form modally; returns once it is hidden or closed. Other events (timers
    // among them) go on running meanwhile.
    virtual void showModal(QWidget& form) = 0;
};

// The host in use: the real dialogs unless a test installed another.
DialogHost& Dialogs();
void SetDialogHost(DialogHost* host);  // nullptr puts the real dialogs back

// Shows a message box; an empty title stands for the application title.
int MsgBox(const QString& text, int style = vbOKOnly, const QString& title = QString());
void ShowModal(QWidget& form);

class RealDialogs : public DialogHost {
  public:
    int messageBox(const MessageBoxRequest& request) override;
    void showModal(QWidget& form) override;
};

// Runs a nested event loop until the widget is hidden, closed or destroyed.
void WaitUntilHidden(QWidget& form);

// A host for tests: answers come from a queue, every message box shown is kept.
// An unscripted Yes/No box answers Yes, an OK box OK. A modal form runs its scripted
// action inside a nested event loop, as a real modal form would; with no action left the
// form is closed at once.
class ScriptedDialogs : public DialogHost {
  public:
    using FormAction = std::function<void(QWidget&)>;

    void answerNext(int result) { answers_.push_back(result); }
    void onNextModal(FormAction action) { formActions_.push_back(std::move(action)); }

    const std::vector<MessageBoxRequest>& shown() const { return shown_; }
    const std::vector<QString>& modalForms() const { return modalForms_; }
    void clear();

    int messageBox(const MessageBoxRequest& request) override;
    void showModal(QWidget& form) override;

  private:
    std::deque<int> answers_;
    std::deque<FormAction> formActions_;
    std::vector<MessageBoxRequest> shown_;
    std::vector<QString> modalForms_;
};

// Installs a ScriptedDialogs host for the lifetime of the object.
class ScopedScriptedDialogs : public ScriptedDialogs {
  public:
    ScopedScriptedDialogs() { SetDialogHost(this); }
    ~ScopedScriptedDialogs() override { SetDialogHost(nullptr); }
};

}  // namespace ui
