#include "task/HeadlessPlayer.h"

#include "core/RunRecord.h"

namespace period {

HeadlessPlayer::HeadlessPlayer(Run& run) : HeadlessPlayer(run, QDateTime()) {}

HeadlessPlayer::HeadlessPlayer(Run& run, const QDateTime& start)
    : run_(run), cycle_(run, *this, clock_) {
    if (start.isValid()) {
        run_.clock = [this, start] { return start.addMSecs(clock_.now()); };
        keepsRunClock_ = true;
    }
    // No tank is drawn: amounts are held in model units, one unit a mark.
    if (run_.setup.graphicalMode && run_.state.TwipsPerMark <= 0) run_.state.TwipsPerMark = 1;
    cycle_.Begin();
}

HeadlessPlayer::~HeadlessPlayer() {
    if (keepsRunClock_) run_.clock = nullptr;
}

void HeadlessPlayer::type(const QString& inflow, const QString& outflow) {
    if (!entryEnabled_) return;
    inflow_ = inflow;
    outflow_ = outflow;
}

QString HeadlessPlayer::entryText(Entry box) const {
    return box == Entry::Inflow ? inflow_ : outflow_;
}

void HeadlessPlayer::submit() {
    if (submitOffered_ && !ended_) cycle_.Submit();
}

bool HeadlessPlayer::FireNext() {
    return !ended_ && clock_.fireNext([this](Step step) {
        ++stepsPlayed_;
        cycle_.Fire(step);
    });
}

void HeadlessPlayer::playUntil(const std::function<bool()>& done) {
    while (!done() && FireNext()) {
    }
}

void HeadlessPlayer::playTo(std::int64_t moment) {
    while (!ended_ && clock_.nextDue() && *clock_.nextDue() <= moment) FireNext();
    if (!ended_) clock_.advanceTo(moment);
}

void HeadlessPlayer::playToEnd() {
    playUntil([] { return false; });
}

void HeadlessPlayer::setEntryText(Entry box, const QString& text) {
    (box == Entry::Inflow ? inflow_ : outflow_) = text;
}

void HeadlessPlayer::setEntryEnabled(bool enabled) {
    entryEnabled_ = enabled;
}

void HeadlessPlayer::setSubmitEnabled(bool enabled) {
    submitOffered_ = enabled;
}

void HeadlessPlayer::showScore(const Score& score) {
    if (scoreObserver_) scoreObserver_(score);
}

void HeadlessPlayer::finishExperiment() {
    ended_ = true;
}

}  // namespace period
