#pragma once
// Message boxes and modal forms with widgets. The program puts RealDialogs into its context;
// a test uses ScopedScriptedDialogs, sets the answers and reads what was shown.

#include <QString>
#include <QWidget>
#include <deque>
#include <functional>
#include <vector>

#include "runtime/Context.h"
#include "runtime/Questions.h"

namespace ui {

// Shows the form through the context's modal forms; returns once it is hidden or closed.
// Other events (timers among them) go on running meanwhile.
void ShowModal(QWidget& form);

class RealDialogs : public runtime::Questions, public runtime::ModalForms {
  public:
    int messageBox(const runtime::MessageBoxRequest& request) override;
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

// Answers every question and modal form with a script for the lifetime of the object.
class ScopedScriptedDialogs : public ScriptedDialogs {
  public:
    ScopedScriptedDialogs() {
        context_->questions = this;
        context_->modalForms = this;
    }

  private:
    runtime::ScopedContext context_;
};

}  // namespace ui
