#pragma once
// Asking the user: a message box with a text, buttons and a title gives an answer. The logic
// asks through this interface; the program answers with real dialogs, tests with a script,
// and a process with nobody to ask writes the question to the error stream.

#include <QString>
#include <deque>
#include <vector>

#include "runtime/Context.h"

namespace runtime {

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

class Questions {
  public:
    virtual ~Questions() = default;
    virtual int messageBox(const MessageBoxRequest& request) = 0;
};

// Shows a message box; an empty title stands for the application title.
int MsgBox(const QString& text, int style = vbOKOnly, const QString& title = QString());

// Answers from a queue and keeps every message box shown. An unscripted Yes/No box answers
// Yes, an OK box OK.
class ScriptedQuestions : public Questions {
  public:
    void answerNext(int result) { answers_.push_back(result); }
    const std::vector<MessageBoxRequest>& shown() const { return shown_; }
    void clear();

    int messageBox(const MessageBoxRequest& request) override;

  private:
    std::deque<int> answers_;
    std::vector<MessageBoxRequest> shown_;
};

// Answers every question with a script for the lifetime of the object.
class ScopedScriptedQuestions : public ScriptedQuestions {
  public:
    ScopedScriptedQuestions() { context_->questions = this; }

  private:
    ScopedContext context_;
};

// With nobody to ask: the question goes to the error stream, and a Yes/No question is
// answered No, so that nothing waits for an answer that cannot come.
class UnattendedQuestions : public Questions {
  public:
    int messageBox(const MessageBoxRequest& request) override;
};

}  // namespace runtime
