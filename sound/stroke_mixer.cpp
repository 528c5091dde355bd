#include "stroke_mixer.h"

#include "bell_stroke.h"

#include <algorithm>

namespace bw {

StrokeMixer::StrokeMixer(std::vector<std::int16_t> stroke, int sampleRate)
    : stroke_(std::move(stroke)), rate_(static_cast<std::uint64_t>(sampleRate)) {}

std::uint64_t StrokeMixer::earliestStart(Clock::time_point when) const {
    const bool recent = rungBefore_ && produced_ < lastStart_ + 2 * rate_;
    if (!recent) return produced_;
    const double gap = std::chrono::duration<double>(when - lastRing_).count();
    const double shortest = double(stroke_.size()) / double(rate_) +
                            std::chrono::duration<double>(kQuietBetweenStrokes).count();
    const double spacing = std::clamp(gap, shortest, std::max(shortest, 1.0));
    return std::max(produced_, lastStart_ + static_cast<std::uint64_t>(spacing * double(rate_)));
}

void StrokeMixer::ring(Clock::time_point when) {
    const std::uint64_t start = earliestStart(when);
    voiceStarts_.push_back(start);
    lastStart_ = start;
    lastRing_ = when;
    rungBefore_ = true;
}

void StrokeMixer::next(std::int16_t* out, std::size_t frames) {
    std::fill(out, out + frames, std::int16_t{0});
    const std::uint64_t end = produced_ + frames;
    for (std::uint64_t start : voiceStarts_) {
        if (start >= end) continue;
        const std::size_t into = start > produced_ ? std::size_t(start - produced_) : 0;
        const std::size_t offset = start > produced_ ? 0 : std::size_t(produced_ - start);
        mixSaturating(out + into, frames - into, stroke_, offset);
    }
    produced_ = end;
    std::erase_if(voiceStarts_,
                  [this](std::uint64_t start) { return start + stroke_.size() <= produced_; });
}

} // namespace bw
