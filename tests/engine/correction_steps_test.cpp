// Corrections while paused, on the default intervals 10, 5 and 5.

#include "phase_colour.h"
#include "recording_window.h"

#include <gtest/gtest.h>

using namespace bw;
using namespace bw::test;

namespace {

// A rig paused with `left` seconds to the 3rd bell, reached by counting.
struct PausedRig : Rig {
    explicit PausedRig(int left, bool modeB = true) {
        if (modeB) session.RBmode_Click(1);
        start();
        steps(20 * 60 - left);
        session.CBpause_Click();
    }
    // Paused `over` seconds into over time.
    static PausedRig over(int over) { return PausedRig(-1 - over); }
    std::vector<std::string> back(int n) { return press(n, &Session::CBpback_Click); }
    std::vector<std::string> fwd(int n) { return press(n, &Session::CBpfwd_Click); }
    std::vector<std::string> press(int n, void (Session::*click)()) {
        std::vector<std::string> shown;
        for (int i = 0; i < n; ++i) {
            (session.*click)();
            shown.push_back(readout());
        }
        return shown;
    }
};

using V = std::vector<std::string>;

} // namespace

TEST(CorrectionSteps, BackStepsRoundUpAndCrossTheSecondBell) {
    PausedRig p(4 * 60 + 37);
    EXPECT_EQ(p.band(), PhaseColour::afterBell2);
    EXPECT_EQ(p.back(3), (V{" 4:40", " 4:50", " 5:00"}));
    EXPECT_EQ(p.band(), PhaseColour::afterBell1);

    PausedRig a(4 * 60 + 37, false);
    EXPECT_EQ(a.back(3), (V{" 4:40", " 4:50", " 0:00"})); // Mode-A: 0:00 to the 2nd bell
    EXPECT_EQ(a.back(1), (V{" 0:10"}));
}

TEST(CorrectionSteps, ForwardStepsRoundDown) {
    PausedRig p(4 * 60 + 37);
    EXPECT_EQ(p.fwd(5), (V{" 4:30", " 4:20", " 4:10", " 4:00", " 3:50"}));
    EXPECT_EQ(p.beeper.beeps, 1 + 2);
}

TEST(CorrectionSteps, ForwardAcrossTheFirstBellIsSilent) {
    PausedRig p(10 * 60);
    EXPECT_EQ(p.band(), PhaseColour::beforeBell1);
    const int beeps = p.beeper.beeps;
    EXPECT_EQ(p.fwd(1), (V{" 9:50"}));
    EXPECT_EQ(p.band(), PhaseColour::afterBell1);
    EXPECT_EQ(p.beeper.beeps, beeps);
    p.session.CBpause_Click();
    p.steps(3);
    EXPECT_EQ(p.beeper.beeps, beeps); // and no bell is owed after resuming
}

TEST(CorrectionSteps, ForwardAtTheSecondBellInModeAShowsTimeToTheThird) {
    PausedRig a(5 * 60, false);
    EXPECT_EQ(a.readout(), " 0:00");
    EXPECT_EQ(a.fwd(1), (V{" 4:50"}));
    EXPECT_EQ(a.band(), PhaseColour::afterBell2);
    // and back again
    EXPECT_EQ(a.back(1), (V{" 0:00"}));
    EXPECT_EQ(a.band(), PhaseColour::afterBell1);
}

TEST(CorrectionSteps, BackAcrossTheFirstBellRestoresTheFirstColour) {
    PausedRig p(9 * 60 + 55);
    EXPECT_EQ(p.back(1), (V{"10:00"}));
    EXPECT_EQ(p.band(), PhaseColour::beforeBell1);
}

TEST(CorrectionSteps, BackStepsStopAtTheArmedStart) {
    PausedRig p(19 * 60 + 45);
    EXPECT_EQ(p.back(4), (V{"19:50", "20:00", "20:00", "20:00"}));
    EXPECT_EQ(p.st.progress, 0);
    EXPECT_EQ(p.window[Element::ProgBar].width, 0);
}

TEST(CorrectionSteps, ForwardIntoOverTimeIsSilent) {
    PausedRig p(10);
    const int beeps = p.beeper.beeps;
    EXPECT_EQ(p.fwd(2), (V{" 0:00", " 0:00"}));
    EXPECT_EQ(p.st.runState, RunState::OverTime);
    EXPECT_EQ(p.st.paused, Paused::Yes);
    EXPECT_EQ(p.window[Element::Form1].back, PhaseColour::overTimeWindow);
    EXPECT_FALSE(p.window[Element::Lbackground].opaque);
    EXPECT_TRUE(p.window[Element::LabelOver].visible);
    EXPECT_FALSE(p.window[Element::ProgBar].visible);
    EXPECT_FALSE(p.window[Element::ProgBack].visible);
    EXPECT_FALSE(p.window[Element::ProgFrame].visible);
    EXPECT_EQ(p.st.progressShown, 150);
    EXPECT_EQ(p.beeper.beeps, beeps);
    p.session.CBpause_Click();
    p.steps(3);
    EXPECT_EQ(p.beeper.beeps, beeps);
    EXPECT_EQ(p.readout(), " 0:03");
}

TEST(CorrectionSteps, OverTimeBackStepsShortenTheOverrun) {
    PausedRig p = PausedRig::over(60 + 23);
    EXPECT_EQ(p.readout(), " 1:23");
    EXPECT_EQ(p.back(4), (V{" 1:20", " 1:10", " 1:00", " 0:50"}));
}

TEST(CorrectionSteps, BackOutOfOverTimeRingsTheThirdBellAgain) {
    PausedRig p = PausedRig::over(0);
    p.back(1);
    EXPECT_EQ(p.st.runState, RunState::CountingDown);
    EXPECT_EQ(p.readout(), " 0:00");
    EXPECT_EQ(p.band(), PhaseColour::afterBell2);
    EXPECT_TRUE(p.window[Element::Lbackground].opaque);
    EXPECT_TRUE(p.window[Element::Form1].back.isButtonFace());
    EXPECT_FALSE(p.window[Element::LabelOver].visible);
    EXPECT_EQ(p.window[Element::ProgBar].width, 450 * 15);
    EXPECT_TRUE(p.window[Element::ProgBar].visible);

    const int beeps = p.beeper.beeps;
    p.session.CBpause_Click();
    p.steps(3);
    EXPECT_EQ(p.st.runState, RunState::OverTime);
    EXPECT_EQ(p.beeper.beeps, beeps + 3);
}

TEST(CorrectionSteps, OverTimeForwardStepsAndTheStop) {
    PausedRig p = PausedRig::over(60 + 23);
    EXPECT_EQ(p.fwd(4), (V{" 1:30", " 1:40", " 1:50", " 2:00"}));

    p.st.remMin = 99;
    p.st.secs = 55;
    p.session.ShowMinutes(99);
    EXPECT_EQ(p.fwd(3), (V{"99:99", "99:99", "99:99"}));
    EXPECT_EQ(p.st.remMin, 100);
    EXPECT_EQ(p.back(1), (V{"99:50"}));
}

TEST(CorrectionSteps, IgnoredWhileRunningOrReady) {
    Rig rig;
    rig.window.clearLog();
    rig.session.CBpback_Click();
    rig.session.CBpfwd_Click();
    rig.start();
    rig.steps(100);
    rig.window.clearLog();
    rig.session.CBpback_Click();
    rig.session.CBpfwd_Click();
    EXPECT_TRUE(rig.window.log.empty());
    EXPECT_EQ(rig.readout(), "13:20");
}
