#include "phase_colour.h"
#include "recording_window.h"

#include <gtest/gtest.h>

using namespace bw;
using namespace bw::test;

namespace {
void expectReadyDisplay(Rig& rig) {
    EXPECT_EQ(rig.st.runState, RunState::Ready);
    EXPECT_EQ(rig.st.paused, Paused::No);
    EXPECT_EQ(rig.readout(), "15:00");
    EXPECT_EQ(rig.window[Element::CBstend].caption, "Start");
    EXPECT_EQ(rig.window[Element::CBpause].caption, "Pause");
    EXPECT_FALSE(rig.window[Element::CBpause].enabled);
    EXPECT_FALSE(rig.window[Element::CBpback].enabled);
    EXPECT_FALSE(rig.window[Element::CBpfwd].enabled);
    EXPECT_FALSE(rig.window[Element::LabelPause].visible);
    EXPECT_FALSE(rig.window[Element::Label4].visible);
    EXPECT_FALSE(rig.window[Element::LabelOver].visible);
    EXPECT_TRUE(rig.window[Element::ProgBar].visible);
    EXPECT_TRUE(rig.window[Element::ProgBack].visible);
    EXPECT_TRUE(rig.window[Element::ProgFrame].visible);
    EXPECT_EQ(rig.window[Element::ProgBar].width, 0);
    EXPECT_TRUE(rig.window[Element::Lbackground].opaque);
    EXPECT_EQ(rig.band(), PhaseColour::beforeBell1);
    EXPECT_TRUE(rig.window[Element::Form1].back.isButtonFace());
}
} // namespace

TEST(StartEndPause, StartShowsEndWithASpaceEachSideAndEnablesPause) {
    Rig rig;
    rig.st.beepsDue = 2;
    rig.start();
    EXPECT_EQ(rig.st.runState, RunState::CountingDown);
    EXPECT_EQ(rig.window[Element::CBstend].caption, " End ");
    EXPECT_TRUE(rig.window[Element::CBpause].enabled);
    EXPECT_EQ(rig.st.beepsDue, 0);
    EXPECT_EQ(rig.readout(), "15:00");
}

TEST(StartEndPause, EndComesBackToTheSameReadyDisplayFromEveryState) {
    Rig rig;
    rig.start();
    rig.start(); // End at once, before any tick
    expectReadyDisplay(rig);

    rig.start();
    rig.steps(700);
    rig.session.CBpause_Click();
    rig.start(); // End while paused
    expectReadyDisplay(rig);

    rig.start();
    rig.steps(1300);
    rig.session.CBpause_Click();
    ASSERT_EQ(rig.st.runState, RunState::OverTime);
    rig.start(); // End while paused in over time
    expectReadyDisplay(rig);
}

TEST(StartEndPause, PauseBeforeStartIsIgnored) {
    Rig rig;
    rig.window.clearLog();
    rig.session.CBpause_Click();
    EXPECT_TRUE(rig.window.log.empty());
    EXPECT_EQ(rig.st.paused, Paused::No);
}

TEST(StartEndPause, PauseFreezesTheCountAndShowsTheCorrectionControls) {
    Rig rig;
    rig.start();
    rig.steps(10);
    rig.session.CBpause_Click();
    EXPECT_EQ(rig.window[Element::CBpause].caption, "Resume");
    EXPECT_TRUE(rig.window[Element::CBpback].enabled);
    EXPECT_TRUE(rig.window[Element::CBpfwd].enabled);
    EXPECT_TRUE(rig.window[Element::Label4].visible);
    EXPECT_TRUE(rig.window[Element::LabelPause].visible);
    rig.steps(30);
    EXPECT_EQ(rig.readout(), "14:50");
    EXPECT_EQ(rig.window[Element::Label5].caption, rig.clock.text()); // clock still runs

    rig.session.CBpause_Click();
    EXPECT_EQ(rig.window[Element::CBpause].caption, "Pause");
    EXPECT_FALSE(rig.window[Element::CBpback].enabled);
    EXPECT_FALSE(rig.window[Element::Label4].visible);
    EXPECT_FALSE(rig.window[Element::LabelPause].visible);
    rig.session.Tick(); // same second as the last paused tick: no step
    EXPECT_EQ(rig.readout(), "14:50");
    rig.step();
    EXPECT_EQ(rig.readout(), "14:49");
}

TEST(StartEndPause, PausingMidBellDropsTheRemainingBeeps) {
    Rig rig;
    rig.start();
    rig.steps(1201); // 3rd bell: first of three beeps
    EXPECT_EQ(rig.beeper.beeps, 1 + 2 + 1);
    rig.session.CBpause_Click();
    EXPECT_EQ(rig.st.beepsDue, 0);
    rig.steps(5);
    rig.session.CBpause_Click();
    rig.steps(5);
    EXPECT_EQ(rig.beeper.beeps, 4);
    EXPECT_EQ(rig.readout(), " 0:05");
}

TEST(StartEndPause, NoBeepIsForecastWhileReadyOrPaused) {
    Rig rig;
    EXPECT_EQ(rig.session.stepsToNextBeep(), -1);
    rig.start();
    EXPECT_EQ(rig.session.stepsToNextBeep(), 601); // the step leaving 10:00 to go
    rig.steps(600);
    EXPECT_EQ(rig.session.stepsToNextBeep(), 1);
    rig.session.CBpause_Click();
    EXPECT_EQ(rig.session.stepsToNextBeep(), -1);
    rig.session.CBpause_Click();
    EXPECT_EQ(rig.session.stepsToNextBeep(), 1);
}

TEST(StartEndPause, PauseCarriesAcrossOverTime) {
    Rig rig;
    rig.start();
    rig.steps(1250);
    rig.session.CBpause_Click();
    EXPECT_EQ(rig.st.runState, RunState::OverTime);
    EXPECT_EQ(rig.window[Element::CBpause].caption, "Resume");
    EXPECT_EQ(rig.window[Element::CBstend].caption, " End ");
}
