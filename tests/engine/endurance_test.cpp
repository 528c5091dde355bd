// The longest session the settings allow, run to its end and on through 100
// minutes of over time, then End, then the same in the other mode: one count
// step per clock second, every bell and beep at its second, the stop at 99:99
// held, and the invariants after every step.

#include "invariants.h"
#include "recording_window.h"

#include <gtest/gtest.h>

using namespace bw;
using namespace bw::test;

namespace {

// Seconds of the count: left to the 3rd bell while counting down, negative
// (minus one, minus the overrun) in over time.
int countSeconds(const SessionState& st) {
    return st.runState == RunState::OverTime ? -1 - (st.remMin * 60 + st.secs)
                                             : st.remMin * 60 + st.secs;
}

void runLongestSession(Rig& rig, i16 mode) {
    rig.session.RBmode_Click(mode);
    while (rig.st.mint1 < 90)
        rig.session.CBinc5_Click();
    while (rig.st.mint2 < 30)
        rig.session.CBinc2_Click();
    while (rig.st.mint3 < 30)
        rig.session.CBinc3_Click();
    ASSERT_EQ(rig.st.totalMin, 150);
    rig.start();
    const int total = 150 * 60, overTime = 100 * 60, extra = 600;
    std::vector<std::pair<int, int>> beeps; // (step, beeps so far)
    int count = countSeconds(rig.st);
    for (int step = 1; step <= total + overTime + extra; ++step) {
        const int before = rig.beeper.beeps;
        rig.step();
        rig.session.Tick(); // more firings within the second
        rig.session.Tick();
        if (rig.beeper.beeps != before) beeps.emplace_back(step, rig.beeper.beeps - before);

        const int now = countSeconds(rig.st);
        const bool stopped = rig.st.runState == RunState::OverTime && rig.st.remMin >= 100;
        if (!stopped) {
            ASSERT_EQ(now, count - 1) << "step " << step; // one second, never two
        }
        count = now;
        checkInvariants(rig.st, rig.window, 150);
        if (::testing::Test::HasFatalFailure()) FAIL() << "step " << step;
    }
    EXPECT_EQ(rig.readout(), "99:99");
    EXPECT_EQ(rig.st.remMin, 100);
    const int bell1 = total - 60 * 60 + 1, bell2 = total - 30 * 60 + 1, bell3 = total + 1;
    const std::vector<std::pair<int, int>> expected = {{bell1, 1}, {bell2, 1},     {bell2 + 1, 1},
                                                       {bell3, 1}, {bell3 + 1, 1}, {bell3 + 2, 1}};
    EXPECT_EQ(beeps, expected);
    rig.start(); // End
    EXPECT_EQ(rig.st.runState, RunState::Ready);
    EXPECT_EQ(rig.st.beepsDue, 0);
}

} // namespace

TEST(Endurance, LongestSessionsInBothModesBackToBack) {
    Rig rig;
    runLongestSession(rig, 0);
    EXPECT_EQ(rig.readout(), "20:00"); // 90 + 30 to the 2nd bell, last two digits
    runLongestSession(rig, 1);
    EXPECT_EQ(rig.readout(), "50:00"); // the full 150 minutes, last two digits
}
