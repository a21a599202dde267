#pragma once
// The process-wide seams in one place: whom to ask, who shows modal forms, the clock, the
// experiment database's path and the screen's twip scale. The program sets them at
// start-up; a test changes what it needs inside a ScopedContext, which gives the earlier settings
// back when it ends.

#include <QDateTime>
#include <QString>
#include <functional>

class QWidget;

namespace runtime {

class Questions;

// The design's twips a pixel (96 dpi).
constexpr double kDesignTwipsPerPixel = 15.0;

// Shows a form modally and returns once it is hidden; the widget layer implements it.
class ModalForms {
  public:
    virtual ~ModalForms() = default;
    virtual void showModal(QWidget& form) = 0;
};

struct Context {
    Questions* questions = nullptr;    // nullptr: nobody to ask
    ModalForms* modalForms = nullptr;  // nullptr: the real modal forms
    double twipsPerPixel = kDesignTwipsPerPixel;
};

// The context in force: the innermost ScopedContext's, else the program's own.
Context& CurrentContext();

// A copy of the context in force that is in force itself while alive. Scopes may end in any
// order; each takes only its own settings away.
class ScopedContext {
  public:
    ScopedContext();
    ~ScopedContext();
    ScopedContext(const ScopedContext&) = delete;
    ScopedContext& operator=(const ScopedContext&) = delete;

    Context& operator*() { return context_; }
    Context* operator->() { return &context_; }

  private:
    Context context_;
};

}  // namespace runtime
