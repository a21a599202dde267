#pragma once
// The screen's twip scale. The program sets it at start-up; a test changes it inside a
// ScopedContext, which gives the earlier setting back when it ends.

#include <QDateTime>
#include <QString>
#include <functional>

namespace runtime {

// The design's twips a pixel (96 dpi).
constexpr double kDesignTwipsPerPixel = 15.0;

struct Context {
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
