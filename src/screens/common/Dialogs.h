#pragma once
// Message boxes and modal forms with widgets. The program's run asks RealDialogs; a test's run
// asks ScriptedDialogs, which has the answers set and keeps what was shown.

#include <QString>
#include <QWidget>
#include <deque>
#include <functional>
#include <vector>

#include "runtime/Questions.h"

namespace ui {

// Shows the form through the given modal forms (nullptr: real ones); returns once it is
// hidden or closed. Other events (timers among them) go on running meanwhile.
void ShowModal(runtime::ModalForms* forms, QWidget& form);

class RealDialogs : public runtime::Questions, public runtime::ModalForms {
  public:
    runtime::Answer ask(const runtime::Question& question) override;
    void showModal(QWidget& form) override;
};

// Runs a nested event loop until the widget is hidden, closed or destroyed.
void WaitUntilHidden(QWidget& form);

// A host for tests: message boxes are answered as ScriptedQuestions does. A modal form runs
// its scripted action inside a nested event loop, as a real modal form would; with no action
// left the form is closed at once.
class ScriptedDialogs : public runtime::ScriptedQuestions, public runtime::ModalForms {
  public:
    using FormAction = std::function<void(QWidget&)>;

    void onNextModal(FormAction action) { formActions_.push_back(std::move(action)); }
    const std::vector<QString>& modalForms() const { return modalForms_; }
    void clear();

    void showModal(QWidget& form) override;

  private:
    std::deque<FormAction> formActions_;
    std::vector<QString> modalForms_;
};

}  // namespace ui
