#include "bell_player.h"

#include <gtest/gtest.h>

using namespace bw;
using namespace std::chrono_literals;

namespace {
QAudioFormat format(int channels, QAudioFormat::SampleFormat sample) {
    QAudioFormat f;
    f.setSampleRate(1000);
    f.setChannelCount(channels);
    f.setSampleFormat(sample);
    return f;
}
// Frames (mono, int16) at which sound starts after silence.
std::vector<int> onsets(const QByteArray& bytes) {
    std::vector<int> found;
    const auto* s = reinterpret_cast<const std::int16_t*>(bytes.constData());
    for (int i = 0; i < bytes.size() / 2; ++i)
        if (s[i] != 0 && (i == 0 || s[i - 1] == 0)) found.push_back(i);
    return found;
}
} // namespace

TEST(StrokeMixer, SilenceUntilRungThenTheStroke) {
    StrokeMixer mixer({5, 6, 7}, format(1, QAudioFormat::Int16));
    EXPECT_EQ(mixer.next(4), QByteArray(8, '\0'));
    mixer.ring();
    EXPECT_TRUE(mixer.ringing());
    const QByteArray out = mixer.next(5);
    const auto* s = reinterpret_cast<const std::int16_t*>(out.constData());
    EXPECT_EQ(std::vector<int>(s, s + 5), (std::vector<int>{5, 6, 7, 0, 0}));
    EXPECT_FALSE(mixer.ringing());
}

TEST(StrokeMixer, StrokesQueuedDuringAStallKeepTheirSpacing) {
    StrokeMixer mixer(std::vector<std::int16_t>(300, 100), format(1, QAudioFormat::Int16));
    const auto t0 = StrokeMixer::Clock::now();
    // Three requests a second apart while the output takes nothing.
    mixer.ring(t0);
    mixer.ring(t0 + 1s);
    mixer.ring(t0 + 2s);
    EXPECT_EQ(onsets(mixer.next(3000)), (std::vector<int>{0, 1000, 2000}));
}

TEST(StrokeMixer, AStrokeLateFromAStallKeepsTheNextOneASecondBehind) {
    StrokeMixer mixer(std::vector<std::int16_t>(100, 100), format(1, QAudioFormat::Int16));
    const auto t0 = StrokeMixer::Clock::now();
    mixer.ring(t0);
    mixer.next(300);     // the output took only 0.3 s of sound in the next second
    mixer.ring(t0 + 1s); // the bell's second stroke
    EXPECT_EQ(onsets(mixer.next(1000)), (std::vector<int>{700}));
}

TEST(StrokeMixer, AStallIsNotCarriedIntoALaterBell) {
    StrokeMixer mixer(std::vector<std::int16_t>(100, 100), format(1, QAudioFormat::Int16));
    const auto t0 = StrokeMixer::Clock::now();
    mixer.ring(t0);
    mixer.next(3500);    // half a second behind the clock after a stall
    mixer.ring(t0 + 4s); // a later bell starts at once
    EXPECT_EQ(onsets(mixer.next(100)), (std::vector<int>{0}));
}

TEST(StrokeMixer, ARingAfterSilenceStartsAtOnce) {
    StrokeMixer mixer(std::vector<std::int16_t>(10, 100), format(1, QAudioFormat::Int16));
    const auto t0 = StrokeMixer::Clock::now();
    mixer.ring(t0);
    mixer.next(2000);       // two seconds played
    mixer.ring(t0 + 500ms); // a late-delivered request never waits for the past
    EXPECT_EQ(onsets(mixer.next(100)), (std::vector<int>{0}));
}

TEST(StrokeMixer, WritesEveryChannelInFloat) {
    StrokeMixer mixer({16384}, format(2, QAudioFormat::Float));
    mixer.ring();
    const QByteArray out = mixer.next(2);
    ASSERT_EQ(out.size(), 2 * 2 * 4);
    const auto* f = reinterpret_cast<const float*>(out.constData());
    EXPECT_FLOAT_EQ(f[0], 0.5f);
    EXPECT_FLOAT_EQ(f[1], 0.5f);
    EXPECT_FLOAT_EQ(f[2], 0.0f);
}
