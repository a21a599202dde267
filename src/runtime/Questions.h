#pragma once
// Asking the user: a question with a text, a title, the buttons it offers and an icon gets an
// answer. A run asks through this interface; the program answers with real dialogs, tests with
// a script, and a run with nobody to ask writes the question to the error stream.

#include <QString>
#include <deque>
#include <vector>

class QWidget;

namespace runtime {

// The buttons a question offers.
enum class Buttons { Ok, YesNo };
// The symbol beside a question's text.
enum class Icon { None, Critical, Question, Warning, Information };
// The button pressed.
enum class Answer { Ok, Yes, No };

// The title a question shows when the caller gives none.
QString ApplicationTitle();

struct Question {
    QString text;
    QString title;
    Buttons buttons = Buttons::Ok;
    Icon icon = Icon::None;

    bool isYesNo() const { return buttons == Buttons::YesNo; }
};

class Questions {
  public:
    virtual ~Questions() = default;
    virtual Answer ask(const Question& question) = 0;
};

// Answers from a queue and keeps every question asked. An unscripted Yes/No question is
// answered Yes, an OK one OK.
class ScriptedQuestions : public Questions {
  public:
    void answerNext(Answer answer) { answers_.push_back(answer); }
    const std::vector<Question>& shown() const { return shown_; }
    void clear();

    Answer ask(const Question& question) override;

  private:
    std::deque<Answer> answers_;
    std::vector<Question> shown_;
};

// With nobody to ask: the question goes to the error stream, and a Yes/No question is
// answered No, so that nothing waits for an answer that cannot come.
class UnattendedQuestions : public Questions {
  public:
    Answer ask(const Question& question) override;
};

// Shows a form modally and returns once it is hidden; the widget layer implements it.
class ModalForms {
  public:
    virtual ~ModalForms() = default;
    virtual void showModal(QWidget& form) = 0;
};

}  // namespace runtime
