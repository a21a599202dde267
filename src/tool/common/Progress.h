#pragma once
// Progress of long work (imports, exports, merges, simulated runs), and how it is cancelled;
// the tool shows it on stderr only when that is a terminal.

#include <QString>
#include <atomic>
#include <chrono>

#include "tool/common/ToolError.h"

namespace tool {

// The work stopped because it was asked to, before anything it writes was kept.
class Cancelled : public ToolError {
  public:
    Cancelled() : ToolError(QStringLiteral("cancelled; nothing was written")) {}
};

// What long work reports as it goes, and how it is asked to stop: whoever shows the progress
// (a terminal, a window) may cancel it from another thread or a signal handler; the work
// learns of it the next time it reports, and throws Cancelled there.
class Progress {
  public:
    virtual ~Progress() = default;
    // A new piece of work (a table) with its expected number of rows (0 when unknown).
    void start(const QString& what, long long total) {
        stopIfCancelled();
        started(what, total);
    }
    // Rows done so far; called often, so implementations must be cheap.
    void advance(long long done) {
        stopIfCancelled();
        advanced(done);
    }
    virtual void finish() = 0;
    // The work stopped half-way: whatever is said next starts on a line of its own.
    virtual void abandon() = 0;
    // Whether anyone sees it: counting rows in advance is worth it only then.
    virtual bool visible() const = 0;

    // Lock-free, so a signal handler may call it.
    void cancel() { cancelled_.store(true, std::memory_order_relaxed); }
    bool cancelled() const { return cancelled_.load(std::memory_order_relaxed); }
    // Work calls it before it keeps what it wrote.
    void stopIfCancelled() const {
        if (cancelled()) throw Cancelled();
    }

  protected:
    virtual void started(const QString& what, long long total) = 0;
    virtual void advanced(long long done) = 0;

  private:
    std::atomic<bool> cancelled_{false};
};

// Reports nothing (tests, pipes).
class NoProgress : public Progress {
  public:
    void finish() override {}
    void abandon() override {}
    bool visible() const override { return false; }

  protected:
    void started(const QString&, long long) override {}
    void advanced(long long) override {}
};

// One line on the terminal, redrawn at most a few times a second.
class TerminalProgress : public Progress {
  public:
    void finish() override;
    void abandon() override;
    bool visible() const override { return true; }

  protected:
    void started(const QString& what, long long total) override;
    void advanced(long long done) override;

  private:
    void draw(long long done);

    bool lineOpen_ = false;
    QString what_;
    long long total_ = 0;
    long long done_ = 0;
    std::chrono::steady_clock::time_point lastDraw_;
};

// A TerminalProgress when stderr is a terminal, otherwise a NoProgress.
Progress& ProgressForStderr();

}  // namespace tool
