#include "bell_stroke.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace bw;

namespace {
double rms(const std::vector<std::int16_t>& s, std::size_t from, std::size_t count) {
    double sum = 0;
    for (std::size_t i = from; i < from + count; ++i)
        sum += double(s[i]) * s[i];
    return std::sqrt(sum / double(count));
}
int peakOf(const std::vector<std::int16_t>& s) {
    int peak = 0;
    for (auto v : s)
        peak = std::max(peak, std::abs(int(v)));
    return peak;
}
} // namespace

TEST(BellStroke, IsAboutHalfASecondLoudButNotClippedAndDecays) {
    for (int rate : {44100, 48000}) {
        const auto s = synthesizeBellStroke(rate);
        EXPECT_NEAR(double(s.size()) / rate, 0.55, 0.01);
        const int peak = peakOf(s);
        EXPECT_NEAR(peak / 32767.0, 0.55, 0.01);
        EXPECT_LT(peak, 32767); // headroom left, nothing clipped
        const std::size_t tenth = rate / 10;
        // Sound from the first milliseconds, then an exponential fade.
        EXPECT_GT(rms(s, 0, rate / 200), 0.02 * 32767);
        const double first = rms(s, 0, tenth), second = rms(s, tenth, tenth),
                     third = rms(s, 2 * tenth, tenth), last = rms(s, s.size() - tenth, tenth);
        EXPECT_LT(second, first);
        EXPECT_LT(third, second);
        EXPECT_LT(last, first / 8);
        // The stroke ends in silence, without a click.
        EXPECT_LT(std::abs(int(s.back())), 50);
    }
}

TEST(BellStroke, IsABellNotABeep) {
    // A struck bell has inharmonic partials: the waveform does not repeat at
    // the fundamental's period the way a pure tone would.
    const int rate = 48000;
    const auto s = synthesizeBellStroke(rate);
    const std::size_t period = rate / 880, from = rate / 20;
    double diff = 0, energy = 0;
    for (std::size_t i = from; i < from + 2000; ++i) {
        diff += std::abs(s[i] - s[i + period]);
        energy += std::abs(s[i]);
    }
    EXPECT_GT(diff / energy, 0.2);
}

TEST(BellStroke, MixingSaturatesInsteadOfWrapping) {
    std::vector<std::int16_t> voice = {30000, -30000, 100};
    std::int16_t mix[4] = {10000, -10000, 5, 7};
    mixSaturating(mix, 4, voice, 0);
    EXPECT_EQ(mix[0], 32767);
    EXPECT_EQ(mix[1], -32768);
    EXPECT_EQ(mix[2], 105);
    EXPECT_EQ(mix[3], 7); // past the voice's end: untouched
    std::int16_t tail[2] = {0, 0};
    mixSaturating(tail, 2, voice, 2);
    EXPECT_EQ(tail[0], 100);
    mixSaturating(tail, 2, voice, 9); // a finished voice adds nothing
    EXPECT_EQ(tail[0], 100);
}
