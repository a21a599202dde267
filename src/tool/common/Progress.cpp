#include "tool/common/Progress.h"

#include <unistd.h>

#include <cstdio>

namespace tool {

void TerminalProgress::started(const QString& what, long long total) {
    what_ = what;
    total_ = total;
    done_ = 0;
    lastDraw_ = {};
    draw(0);
}

void TerminalProgress::advanced(long long done) {
    done_ = done;
    // Looking at the clock costs little, but not nothing: only every 4096 rows.
    if ((done & 4095) != 0) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - lastDraw_ < std::chrono::milliseconds(200)) return;
    draw(done);
}

void TerminalProgress::finish() {
    draw(done_);
    std::fputc('\n', stderr);
    lineOpen_ = false;
}

void TerminalProgress::abandon() {
    if (lineOpen_) std::fputc('\n', stderr);
    lineOpen_ = false;
}

void TerminalProgress::draw(long long done) {
    lastDraw_ = std::chrono::steady_clock::now();
    lineOpen_ = true;
    const QByteArray what = what_.toUtf8();
    if (total_ > 0)
        std::fprintf(stderr, "\r%s: %lld of %lld rows (%lld%%)\x1b[K", what.constData(), done,
                     total_, done * 100 / total_);
    else
        std::fprintf(stderr, "\r%s: %lld rows\x1b[K", what.constData(), done);
    std::fflush(stderr);
}

Progress& ProgressForStderr() {
    static TerminalProgress terminal;
    static NoProgress none;
    if (isatty(STDERR_FILENO)) return terminal;
    return none;
}

}  // namespace tool
