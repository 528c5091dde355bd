// Whole sessions driven second by second against an independent model of
// what the display must show.

#include "phase_colour.h"
#include "recording_window.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace bw;
using namespace bw::test;

namespace {

struct Expected {
    std::string readout;
    Colour band;
    bool overTime;
};

// What the display shows `k` count steps after Start, for intervals m1, m2, m3.
Expected expectedAfter(int k, int m1, int m2, int m3, bool modeA) {
    const int total = (m1 + m2 + m3) * 60, bell1 = (m2 + m3) * 60, bell2 = m3 * 60;
    const int left = total - k;
    if (left < 0) {
        const int over = std::min(-left - 1, 100 * 60 - 1);
        const bool stopped = -left - 1 >= 100 * 60;
        return {stopped ? "99:99" : mmss(over / 60, over % 60), PhaseColour::afterBell2, true};
    }
    const Colour band = left >= bell1   ? PhaseColour::beforeBell1
                        : left >= bell2 ? PhaseColour::afterBell1
                                        : PhaseColour::afterBell2;
    const int minutes = modeA && left >= bell2 ? left / 60 - m3 : left / 60;
    return {mmss(minutes, left % 60), band, false};
}

void runWholeSession(int m1, int m2, int m3, bool modeA, int overSeconds) {
    Rig rig;
    rig.st.mint1 = static_cast<i16>(m1);
    rig.st.mint2 = static_cast<i16>(m2);
    rig.st.mint3 = static_cast<i16>(m3);
    rig.st.modeSel = modeA ? 0 : 1;
    rig.session.ResetSession();
    rig.start();
    const int total = (m1 + m2 + m3) * 60;
    const int bells[] = {total - (m2 + m3) * 60 + 1, total - m3 * 60 + 1, total + 1};
    std::vector<int> beepSteps;
    std::vector<int> predicted = {rig.session.stepsToNextBeep()}; // after each step, from 0
    int lastProgress = 0;
    for (int k = 1; k <= total + overSeconds; ++k) {
        const int before = rig.beeper.beeps;
        rig.step();
        rig.session.Tick(); // a second firing in the same second changes nothing
        if (rig.beeper.beeps != before) beepSteps.push_back(k);
        predicted.push_back(rig.session.stepsToNextBeep());
        ASSERT_EQ(rig.beeper.beeps - before, rig.beeper.beeps == before ? 0 : 1) << k;

        const Expected e = expectedAfter(k, m1, m2, m3, modeA);
        ASSERT_EQ(rig.readout(), e.readout) << "step " << k;
        ASSERT_EQ(rig.st.runState, e.overTime ? RunState::OverTime : RunState::CountingDown) << k;
        ASSERT_EQ(rig.window[Element::Form1].back,
                  e.overTime ? PhaseColour::overTimeWindow : PhaseColour::normalWindow);
        ASSERT_EQ(rig.window[Element::LabelOver].visible, e.overTime);
        ASSERT_EQ(rig.window[Element::ProgBar].visible, !e.overTime);
        ASSERT_EQ(rig.window[Element::Lbackground].opaque, !e.overTime);
        if (!e.overTime) {
            ASSERT_EQ(rig.band(), e.band) << k;
            // Progress never goes back and stays within one step of the exact share.
            const double exact = 150.0 * k / total;
            ASSERT_GE(rig.st.progress, lastProgress);
            ASSERT_LE(std::abs(rig.st.progress - exact), 1.0) << k;
            ASSERT_EQ(rig.window[Element::ProgBar].width, 45.0f * rig.st.progressShown);
            lastProgress = rig.st.progress;
        }
    }
    const std::vector<int> expectedBeeps = {bells[0], bells[1],     bells[1] + 1,
                                            bells[2], bells[2] + 1, bells[2] + 2};
    EXPECT_EQ(beepSteps, expectedBeeps);
    // The forecast of the next beep, made after every step, came true.
    for (int k = 0; k < int(predicted.size()); ++k) {
        const auto next = std::upper_bound(beepSteps.begin(), beepSteps.end(), k);
        ASSERT_EQ(predicted[k], next == beepSteps.end() ? -1 : *next - k) << "after step " << k;
    }
    EXPECT_EQ(rig.window[Element::ProgBar].width, 45.0f * 150);
}

} // namespace

TEST(WholeSession, DefaultsInModeA) {
    runWholeSession(10, 5, 5, true, 130);
}
TEST(WholeSession, DefaultsInModeB) {
    runWholeSession(10, 5, 5, false, 130);
}
TEST(WholeSession, ShortestSessionInModeA) {
    runWholeSession(5, 1, 1, true, 61);
}
TEST(WholeSession, LongestSessionRunsToTheOverTimeStop) {
    runWholeSession(90, 30, 30, false, 100 * 60 + 300);
}

TEST(WholeSession, ModeATextsAroundTheBells) {
    Rig rig;
    rig.start();
    EXPECT_EQ(rig.readout(), "15:00"); // Start alone changes no readout
    rig.step();
    EXPECT_EQ(rig.readout(), "14:59");
    rig.steps(599);
    EXPECT_EQ(rig.readout(), " 5:00");
    EXPECT_EQ(rig.beeper.beeps, 0);
    rig.step();
    EXPECT_EQ(rig.readout(), " 4:59");
    EXPECT_EQ(rig.beeper.beeps, 1);
    rig.steps(299);
    EXPECT_EQ(rig.readout(), " 0:00");
    rig.step();
    EXPECT_EQ(rig.readout(), " 4:59"); // now the time to the 3rd bell
    rig.steps(299);
    rig.step();
    EXPECT_EQ(rig.readout(), " 0:00"); // entering over time keeps the last count
    rig.step();
    EXPECT_EQ(rig.readout(), " 0:01");
}

TEST(WholeSession, TicksWithinOneSecondCountOnce) {
    Rig rig;
    rig.start();
    for (int i = 0; i < 20; ++i)
        rig.session.Tick();
    EXPECT_EQ(rig.readout(), "15:00");
    rig.clock.seconds += 1;
    for (int i = 0; i < 20; ++i)
        rig.session.Tick();
    EXPECT_EQ(rig.readout(), "14:59");
}

TEST(WholeSession, ClockJumpCountsOneStep) {
    Rig rig;
    rig.start();
    rig.clock.seconds += 3600; // the clock was set forward an hour
    rig.session.Tick();
    EXPECT_EQ(rig.readout(), "14:59");
}

TEST(WholeSession, OverTimeStopHoldsWhileBeepsStillDrain) {
    Rig rig;
    rig.start();
    rig.steps(1201);
    rig.st.remMin = 99;
    rig.st.secs = 59;
    rig.session.ShowMinutes(99);
    const int beeps = rig.beeper.beeps;
    ASSERT_EQ(rig.st.beepsDue, 2);
    rig.step();
    EXPECT_EQ(rig.readout(), "99:99");
    EXPECT_EQ(rig.st.remMin, 100);
    EXPECT_EQ(rig.beeper.beeps, beeps + 1);
    rig.steps(5);
    EXPECT_EQ(rig.readout(), "99:99");
    EXPECT_EQ(rig.st.remMin, 100);
    EXPECT_EQ(rig.st.beepsDue, 0);
    EXPECT_EQ(rig.beeper.beeps, beeps + 2);
    EXPECT_EQ(rig.window[Element::Label5].caption, rig.clock.text());
}
