#include "playback_judge.h"

#include "bell_stroke.h"

#include <algorithm>

namespace bw {

void PlaybackJudge::reset(TimePoint now) {
    readySince_ = now;
    lastAnswered_ = lastMoved_ = heldUpUntil_ = TimePoint{};
    readIndex_ = -1;
    started_ = false;
    pings_.clear();
    strokes_.clear();
}

void PlaybackJudge::started(TimePoint now) {
    started_ = true;
    lastMoved_ = std::max(lastMoved_, now);
}

void PlaybackJudge::answered(std::int64_t readIndex) {
    if (pings_.empty()) return;
    lastAnswered_ = pings_.front();
    pings_.pop_front();
    if (readIndex < 0) return;
    if (readIndex > readIndex_) lastMoved_ = std::max(lastMoved_, lastAnswered_);
    readIndex_ = readIndex;
}

PlaybackJudge::TimePoint PlaybackJudge::startFor(TimePoint now) const {
    return strokes_.empty() ? now : std::max(now, strokes_.back().ends + kQuietBetweenStrokes);
}

void PlaybackJudge::handedOver(TimePoint now, TimePoint starts, Clock::duration length) {
    strokes_.push_back({now, starts, starts + length});
}

// By this program's clock, and until the server is seen to have begun every
// stroke: one a stop of the server held back is not cut off by a close.
bool PlaybackJudge::sounding(TimePoint now) const {
    return !strokes_.empty() &&
           (strokes_.back().ends + kQuietBetweenStrokes > now || unheard() > 0);
}

int PlaybackJudge::unheard() const {
    return static_cast<int>(
        std::count_if(strokes_.begin(), strokes_.end(), [this](const Stroke& s) {
            return !started_ || s.written > lastAnswered_ || s.starts > lastMoved_;
        }));
}

// How long since `then`, not counting a time this program was held up.
PlaybackJudge::Clock::duration PlaybackJudge::since(TimePoint then, TimePoint now) const {
    return now - std::max(then, heldUpUntil_);
}

PlaybackJudge::Verdict PlaybackJudge::check(TimePoint now, TimePoint due) {
    if (now - due > kHeldUp) {
        // The server's answers may be waiting unread: they are read first.
        heldUpUntil_ = now;
        return Verdict::HeldUp;
    }
    if (!started_) return now - readySince_ > kStartWithin ? Verdict::NeverStarts : Verdict::Plays;
    const auto unanswered = pings_.empty() ? Clock::duration{} : since(pings_.front(), now);
    // A server that does not answer gives no position to judge.
    if (unanswered > kDoubtAfter)
        return unanswered > kGiveUpAfter ? Verdict::NotAnswering : Verdict::Faltering;
    const auto still = since(lastMoved_, now);
    if (still > kGiveUpAfter) return Verdict::Stopped;
    // A stroke is kept while it is unconfirmed or may still space the next one.
    while (!strokes_.empty() && strokes_.front().ends + kQuietBetweenStrokes < now &&
           strokes_.front().written <= lastAnswered_)
        strokes_.pop_front();
    return still > kDoubtAfter ? Verdict::Faltering : Verdict::Plays;
}

} // namespace bw
