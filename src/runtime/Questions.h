#pragma once
// Asking the user: a message box with a text, buttons and a title gives an answer. A run asks
// through this interface; the program answers with real dialogs, tests with a script, and a
// run with nobody to ask writes the question to the error stream.

#include <QString>
#include <deque>
#include <vector>

class QWidget;

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

// With nobody to ask: the question goes to the error stream, and a Yes/No question is
// answered No, so that nothing waits for an answer that cannot come.
class UnattendedQuestions : public Questions {
  public:
    int messageBox(const MessageBoxRequest& request) override;
};

// Shows a form modally and returns once it is hidden; the widget layer implements it.
class ModalForms {
  public:
    virtual ~ModalForms() = default;
    virtual void showModal(QWidget& form) = 0;
};

}  // namespace runtime
