// The rules by which a sound server's stream is judged to play, with time
// points instead of a server.

#include "playback_judge.h"

#include <gtest/gtest.h>

using namespace bw;
using namespace std::chrono_literals;
using Verdict = PlaybackJudge::Verdict;

namespace {
constexpr auto kStroke = 550ms;

// A stream that started at t = 0 and is checked every 50 ms, as the output
// does; the server answers each timing request at once while it plays.
struct Stream {
    PlaybackJudge judge;
    PlaybackJudge::TimePoint t0 = PlaybackJudge::Clock::now(), now = t0;
    std::int64_t position = 0;
    bool serverPlays = true, serverAnswers = true;

    Stream() {
        judge.reset(now);
        judge.started(now);
    }
    // Runs the checks for `span`, returning the worst verdict seen.
    Verdict run(PlaybackJudge::Clock::duration span) {
        Verdict worst = Verdict::Plays;
        for (const auto end = now + span; now < end;) {
            now += 50ms;
            if (serverPlays) position += 4800;
            if (!judge.awaitingAnswer()) judge.asked(now);
            if (serverAnswers) judge.answered(position);
            worst = std::max(worst, judge.check(now, now));
        }
        return worst;
    }
    // The server's answers held back during a stop arrive all at once.
    void answerAll() {
        while (judge.awaitingAnswer())
            judge.answered(position);
    }
    // Rung just after the last check.
    void ring() {
        now += 1ms;
        judge.handedOver(now, judge.startFor(now), kStroke);
    }
};
} // namespace

TEST(PlaybackJudge, AShortStopFaltersAndPlaysOnWhileALastingOneIsAStop) {
    Stream hiccup;
    EXPECT_EQ(hiccup.run(1s), Verdict::Plays);
    hiccup.serverPlays = hiccup.serverAnswers = false; // 0.3 s, as a server probing a card
    EXPECT_EQ(hiccup.run(300ms), Verdict::Faltering);
    hiccup.serverPlays = hiccup.serverAnswers = true;
    hiccup.answerAll();
    EXPECT_EQ(hiccup.run(1s), Verdict::Plays);

    Stream stopped; // answers from its own state, but its position stands still
    stopped.run(1s);
    stopped.serverPlays = false;
    EXPECT_EQ(stopped.run(PlaybackJudge::kGiveUpAfter - 50ms), Verdict::Faltering);
    EXPECT_EQ(stopped.run(100ms), Verdict::Stopped);

    Stream silent; // answers nothing at all
    silent.run(1s);
    silent.serverAnswers = false;
    EXPECT_EQ(silent.run(PlaybackJudge::kGiveUpAfter + 100ms), Verdict::NotAnswering);
}

TEST(PlaybackJudge, ThisProgramHeldUpIsNotTheServerStopping) {
    Stream s;
    s.run(1s);
    s.now += 400ms; // stopped or starved, with the server's answers waiting unread
    EXPECT_EQ(s.judge.check(s.now, s.now - 400ms), Verdict::HeldUp);
    s.answerAll();
    s.now += 10ms;
    EXPECT_EQ(s.judge.check(s.now, s.now), Verdict::Plays);
    EXPECT_EQ(s.run(1s), Verdict::Plays);
}

TEST(PlaybackJudge, AStreamTheServerNeverStartsIsGivenUp) {
    PlaybackJudge judge;
    const auto t0 = PlaybackJudge::Clock::now();
    judge.reset(t0);
    EXPECT_EQ(judge.check(t0 + 2s, t0 + 2s), Verdict::Plays);
    EXPECT_FALSE(judge.hasStarted());
    EXPECT_EQ(judge.check(t0 + 3100ms, t0 + 3100ms), Verdict::NeverStarts);
}

TEST(PlaybackJudge, StrokesAreSpacedAndARungStrokeKeepsTheStreamUntilItHasSounded) {
    Stream s;
    s.run(200ms);
    s.ring();
    const auto second = s.judge.startFor(s.now); // asked for at once after the first
    EXPECT_EQ(second, s.now + kStroke + 200ms);
    // Rung, then the output is no longer wanted: it still sounds, so it stays.
    EXPECT_TRUE(s.judge.sounding(s.now));
    EXPECT_EQ(s.judge.unheard(), 1); // not confirmed yet
    s.run(100ms);
    EXPECT_EQ(s.judge.unheard(), 0); // confirmed and begun while the position moved
    EXPECT_TRUE(s.judge.sounding(s.now));
    s.run(kStroke); // over, but the quiet after it is kept too
    EXPECT_TRUE(s.judge.sounding(s.now));
    s.run(200ms);
    EXPECT_FALSE(s.judge.sounding(s.now));
}

TEST(PlaybackJudge, StrokesNotBegunWhenTheServerStoppedAreUnheard) {
    Stream s;
    s.run(500ms);
    s.ring();
    s.run(100ms); // confirmed, and playing
    s.serverPlays = false;
    s.run(100ms);
    s.ring(); // waits behind the first, which the server no longer plays
    s.run(200ms);
    EXPECT_EQ(s.judge.unheard(), 1); // the first began while it moved; the second never did
    EXPECT_TRUE(s.judge.sounding(s.now + 10s)); // so the stream is not closed under it
}
