#include "stroke_mixer.h"

#include <gtest/gtest.h>

using namespace bw;
using namespace std::chrono_literals;

namespace {
constexpr int kRate = 1000; // one frame a millisecond

struct Mixer {
    StrokeMixer mixer;
    explicit Mixer(std::size_t strokeFrames)
        : mixer(std::vector<std::int16_t>(strokeFrames, 100), kRate) {}
    std::vector<std::int16_t> next(std::size_t frames) {
        std::vector<std::int16_t> out(frames, -1);
        mixer.next(out.data(), frames);
        return out;
    }
    // Frames at which sound starts after silence.
    std::vector<int> onsets(std::size_t frames) {
        const auto s = next(frames);
        std::vector<int> found;
        for (std::size_t i = 0; i < s.size(); ++i)
            if (s[i] != 0 && (i == 0 || s[i - 1] == 0)) found.push_back(int(i));
        return found;
    }
};
} // namespace

TEST(StrokeMixer, SilenceUntilRungThenTheStroke) {
    StrokeMixer mixer({5, 6, 7}, kRate);
    std::vector<std::int16_t> out(5, -1);
    mixer.next(out.data(), 4);
    EXPECT_EQ(out, (std::vector<std::int16_t>{0, 0, 0, 0, -1}));
    mixer.ring();
    EXPECT_TRUE(mixer.ringing());
    mixer.next(out.data(), 5);
    EXPECT_EQ(out, (std::vector<std::int16_t>{5, 6, 7, 0, 0}));
    EXPECT_FALSE(mixer.ringing());
}

TEST(StrokeMixer, StrokesQueuedDuringAStallKeepTheirSpacing) {
    Mixer m(300);
    const auto t0 = StrokeMixer::Clock::now();
    // Three requests a second apart while the output takes nothing.
    m.mixer.ring(t0);
    m.mixer.ring(t0 + 1s);
    m.mixer.ring(t0 + 2s);
    EXPECT_EQ(m.onsets(3000), (std::vector<int>{0, 1000, 2000}));
}

TEST(StrokeMixer, AStrokeLateFromAStallKeepsTheNextOneASecondBehind) {
    Mixer m(100);
    const auto t0 = StrokeMixer::Clock::now();
    m.mixer.ring(t0);
    m.next(300);           // the output took only 0.3 s of sound in the next second
    m.mixer.ring(t0 + 1s); // the bell's second stroke
    EXPECT_EQ(m.onsets(1000), (std::vector<int>{700}));
}

TEST(StrokeMixer, AStallOfTheProgramAddsNoMoreThanOneStrokeInterval) {
    Mixer m(550);
    const auto t0 = StrokeMixer::Clock::now();
    m.mixer.ring(t0);
    m.next(100);           // stopped for 5 s a tenth of a second into the stroke
    m.mixer.ring(t0 + 5s); // the second stroke, asked for after the stall
    EXPECT_EQ(m.onsets(1000), (std::vector<int>{0, 900})); // the first one ends, then the second
}

TEST(StrokeMixer, StrokesAskedForCloseTogetherStillSoundApart) {
    Mixer m(550);
    const auto t0 = StrokeMixer::Clock::now();
    m.mixer.ring(t0);
    m.mixer.ring(t0 + 100ms); // two steps in quick succession after a stall
    // The second starts once the first has ended and a short quiet has passed.
    EXPECT_EQ(m.onsets(2000), (std::vector<int>{0, 750}));
}

TEST(StrokeMixer, AStallIsNotCarriedIntoALaterBell) {
    Mixer m(100);
    const auto t0 = StrokeMixer::Clock::now();
    m.mixer.ring(t0);
    m.next(3500);          // half a second behind the clock after a stall
    m.mixer.ring(t0 + 4s); // a later bell starts at once
    EXPECT_EQ(m.onsets(100), (std::vector<int>{0}));
}

TEST(StrokeMixer, ARingAfterSilenceStartsAtOnce) {
    Mixer m(10);
    const auto t0 = StrokeMixer::Clock::now();
    m.mixer.ring(t0);
    m.next(2000);             // two seconds played
    m.mixer.ring(t0 + 500ms); // a late-delivered request never waits for the past
    EXPECT_EQ(m.onsets(100), (std::vector<int>{0}));
}
