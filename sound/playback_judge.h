#pragma once
// Whether a stream the sound server holds really plays, judged by what it
// plays rather than by its answers: the server is asked for its timing every
// 50 ms, and only a read position that moves says it plays (a server whose
// audio graph hangs may answer on from its own state). A short stop (a
// server probing a new card, a Bluetooth profile switching) is a reason to
// ready another route, not yet a loss; a stop that lasts is. The judge also
// keeps the ledger of the strokes handed over, so that it can tell which of
// them would go unheard if the stream went now.
//
// Plain code with time points, so that the rules can be tried without a
// server.

#include <chrono>
#include <cstdint>
#include <deque>

namespace bw {

class PlaybackJudge {
  public:
    using Clock = std::chrono::steady_clock;
    using TimePoint = Clock::time_point;

    static constexpr std::chrono::milliseconds kPingEvery{50};
    // Still this long: the next route is readied, the strokes still wait.
    static constexpr std::chrono::milliseconds kDoubtAfter{150};
    // Still this long: the stream has stopped and its strokes are lost. With
    // the pings' pace and the notice's way to the chair this stays within a
    // second of the stop, still within the bell, while a 0.3 s hiccup passes.
    static constexpr std::chrono::milliseconds kGiveUpAfter{600};
    // A waking device may take this long before the server starts a stream.
    static constexpr std::chrono::seconds kStartWithin{3};
    // A check that runs this late means this program itself was held up.
    static constexpr std::chrono::milliseconds kHeldUp{40};

    enum class Verdict {
        Plays,
        Faltering,    // still or silent for a moment: ready another route
        HeldUp,       // this program was held up: nothing judged, check again soon
        NotAnswering, // the server has not answered for too long
        Stopped,      // the server answers but plays nothing
        NeverStarts,  // the stream was never started
    };

    // A new stream, ready now.
    void reset(TimePoint now);
    void started(TimePoint now);
    // The stream ran dry (this program was late to feed it): the position
    // stands still for a moment without any fault of the server.
    void underflow(TimePoint now) { lastMoved_ = std::max(lastMoved_, now); }
    // A timing request was sent now; its answers come back in order.
    void asked(TimePoint now) { pings_.push_back(now); }
    // The oldest request answered; a negative position when it gave none.
    void answered(std::int64_t readIndex);
    bool awaitingAnswer() const { return !pings_.empty(); }
    bool hasStarted() const { return started_; }

    // When a stroke handed over now would start: after the one before it and
    // the quiet that separates them.
    TimePoint startFor(TimePoint now) const;
    // A stroke `length` long was handed over now, to start at `starts`.
    void handedOver(TimePoint now, TimePoint starts, Clock::duration length);
    // Some stroke handed over may not have finished sounding.
    bool sounding(TimePoint now) const;
    // Strokes that would go unheard if the stream went now: not confirmed by
    // an answer, or not begun while the position was still seen to move.
    int unheard() const;

    // The periodic check, meant to run at `due`.
    Verdict check(TimePoint now, TimePoint due);

  private:
    struct Stroke {
        TimePoint written, starts, ends;
    };
    Clock::duration since(TimePoint then, TimePoint now) const;

    TimePoint readySince_{};
    TimePoint lastAnswered_{}; // when the last answered request was sent
    TimePoint lastMoved_{};    // when the position was last seen to move
    TimePoint heldUpUntil_{};  // nothing before this counts against the server
    std::int64_t readIndex_ = -1;
    bool started_ = false;
    std::deque<TimePoint> pings_; // sent and not yet answered
    std::deque<Stroke> strokes_;  // handed over and still needed
};

} // namespace bw
