#include "simulation/HeadlessPlayer.h"

#include "core/RunRecord.h"

namespace period {

HeadlessPlayer::HeadlessPlayer() {
    // No tank is drawn: amounts are held in model units, one unit a mark.
    if (ExperimentSetup.graphicalMode && RunState.TwipsPerMark <= 0) RunState.TwipsPerMark = 1;
    cycle_.Begin();
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
