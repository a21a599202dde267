#pragma once
// Progress of long imports and exports, shown on stderr only when it is a terminal.

#include <QString>
#include <chrono>

namespace tool {

class Progress {
  public:
    virtual ~Progress() = default;
    // A new piece of work (a table) with its expected number of rows (0 when unknown).
    virtual void start(const QString& what, long long total) = 0;
    // Rows done so far; called often, so implementations must be cheap.
    virtual void advance(long long done) = 0;
    virtual void finish() = 0;
    // The work stopped half-way: whatever is said next starts on a line of its own.
    virtual void abandon() = 0;
    // Whether anyone sees it: counting rows in advance is worth it only then.
    virtual bool visible() const = 0;
};

// Reports nothing (tests, pipes).
class NoProgress : public Progress {
  public:
    void start(const QString&, long long) override {}
    void advance(long long) override {}
    void finish() override {}
    void abandon() override {}
    bool visible() const override { return false; }
};

// One line on the terminal, redrawn at most a few times a second.
class TerminalProgress : public Progress {
  public:
    void start(const QString& what, long long total) override;
    void advance(long long done) override;
    void finish() override;
    void abandon() override;
    bool visible() const override { return true; }

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
