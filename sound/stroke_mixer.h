#pragma once
// An endless stream of silence with the bell strokes rung so far mixed in,
// as 16-bit mono samples. A stroke starts in the next frames handed out. While
// the stroke before it is recent, it starts no closer to that one than the two
// requests were in time, and never more than one stroke interval after it: if
// the output stalled (a sound server waking a device, a stopped program), the
// strokes of a bell keep their one-second spacing instead of running together
// or carrying the stall. A bell minutes later starts at once.

#include <chrono>
#include <cstdint>
#include <vector>

namespace bw {

class StrokeMixer {
  public:
    using Clock = std::chrono::steady_clock;
    StrokeMixer(std::vector<std::int16_t> stroke, int sampleRate);
    void ring(Clock::time_point when = Clock::now());
    bool ringing() const { return !voiceStarts_.empty(); }
    // Strokes rung and not yet handed out whole.
    int voices() const { return static_cast<int>(voiceStarts_.size()); }
    // Forgets them, as a device that stopped playing has.
    void clear() { voiceStarts_.clear(); }
    // The next `frames` frames of sound, written to `out`.
    void next(std::int16_t* out, std::size_t frames);

  private:
    std::uint64_t earliestStart(Clock::time_point when) const;

    std::vector<std::int16_t> stroke_;
    std::uint64_t rate_;
    std::uint64_t produced_ = 0;             // frames handed out so far
    std::vector<std::uint64_t> voiceStarts_; // stream frame at which each stroke starts
    std::uint64_t lastStart_ = 0;
    Clock::time_point lastRing_{};
    bool rungBefore_ = false;
};

} // namespace bw
