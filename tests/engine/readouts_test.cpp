#include "phase_colour.h"
#include "recording_window.h"

#include <gtest/gtest.h>

using namespace bw;
using namespace bw::test;

TEST(Readouts, MinutesKeepTheLastTwoCharactersWithASignPosition) {
    Rig rig;
    const std::pair<i16, const char*> cases[] = {{0, " 0"},   {9, " 9"},   {10, "10"}, {99, "99"},
                                                 {100, "00"}, {150, "50"}, {-5, "-5"}, {-15, "15"}};
    for (auto [value, text] : cases) {
        rig.session.ShowMinutes(value);
        EXPECT_EQ(rig.minutes(), text) << value;
    }
}

TEST(Readouts, SecondsArePaddedWithAZero) {
    Rig rig;
    for (i16 s = 0; s < 60; ++s) {
        rig.session.ShowSeconds(s);
        EXPECT_EQ(rig.seconds(), mmss(0, s).substr(3)) << s;
    }
}

TEST(Readouts, ReadyDisplayAfterLoad) {
    Rig rig;
    EXPECT_EQ(rig.readout(), "15:00");
    EXPECT_EQ(rig.st.bell1Min, 10);
    EXPECT_EQ(rig.st.bell2Min, 5);
    EXPECT_EQ(rig.st.remMin, 20);
    EXPECT_EQ(rig.st.totalMin, 20);
    EXPECT_EQ(rig.window[Element::CBstend].caption, "Start");
    EXPECT_EQ(rig.window[Element::CBpause].caption, "Pause");
    EXPECT_FALSE(rig.window[Element::CBpause].enabled);
    EXPECT_FALSE(rig.window[Element::CBpback].enabled);
    EXPECT_FALSE(rig.window[Element::CBpfwd].enabled);
    EXPECT_FALSE(rig.window[Element::Label4].visible);
    EXPECT_FALSE(rig.window[Element::LabelPause].visible);
    EXPECT_FALSE(rig.window[Element::LabelOver].visible);
    EXPECT_TRUE(rig.window[Element::ProgBar].visible);
    EXPECT_EQ(rig.window[Element::ProgBar].width, 0);
    EXPECT_EQ(rig.band(), Colour::rgb(0, 255, 255));
    EXPECT_EQ(rig.band().packed(), 0xFFFF00u); // red + 256 green + 65536 blue
    EXPECT_TRUE(rig.window[Element::Form1].back.isButtonFace());
    EXPECT_EQ(rig.window[Element::Label5].caption, "09:00:00");
}

TEST(Readouts, InitializeSetsOnlyTheDefaults) {
    RecordingWindow window;
    ScriptedClock clock;
    CountingBeeper beeper{&window.log};
    Session session{window, clock, beeper};
    session.Initialize();
    const auto& st = session.state();
    EXPECT_EQ(st.mint1, 10);
    EXPECT_EQ(st.mint2, 5);
    EXPECT_EQ(st.mint3, 5);
    EXPECT_EQ(st.clockShown, "00:00:00");
    EXPECT_EQ(st.unit, 0);
    EXPECT_EQ(window.log, std::vector<std::string>{"CBstend.enabled=1"});
}

struct ProgressCase {
    i16 total, rem, secs, progress;
};

TEST(Readouts, UpdateProgressComputesElapsedShareIn150ths) {
    const ProgressCase cases[] = {
        {20, 19, 59, 0}, {20, 10, 0, 75}, {7, 3, 1, 85}, {20, 0, 0, 150}, {150, 150, 0, 0}};
    for (const auto& c : cases) {
        Rig rig;
        rig.st.totalMin = c.total;
        rig.st.remMin = c.rem;
        rig.st.secs = c.secs;
        rig.window.clearLog();
        rig.session.UpdateProgress();
        EXPECT_EQ(rig.st.progress, c.progress);
        EXPECT_EQ(rig.st.progressShown, c.progress);
        EXPECT_EQ(rig.window.writesTo(Element::ProgBar, "width"), c.progress == 0 ? 0 : 1);
        EXPECT_EQ(rig.window[Element::ProgBar].width, 45.0f * c.progress);
    }
}

TEST(Readouts, UnchangedProgressDoesNotRewriteTheBar) {
    Rig rig;
    rig.st.unit = 40;
    rig.st.remMin = 10;
    rig.session.UpdateProgress();
    EXPECT_EQ(rig.window[Element::ProgBar].width, 120 * 75);
    rig.window.clearLog();
    rig.session.UpdateProgress();
    EXPECT_TRUE(rig.window.log.empty());
}

TEST(Readouts, LeaveOverTimeRestoresAFullBarAndTheYellowBand) {
    Rig rig;
    rig.st.unit = 32;
    rig.start();
    rig.steps(1201); // the 3rd bell
    ASSERT_EQ(rig.st.runState, RunState::OverTime);
    rig.session.LeaveOverTime();
    EXPECT_EQ(rig.st.runState, RunState::CountingDown);
    EXPECT_EQ(rig.window[Element::ProgBar].width, 450 * 32);
    EXPECT_EQ(rig.st.progressShown, 150);
    EXPECT_TRUE(rig.window[Element::ProgBar].visible);
    EXPECT_TRUE(rig.window[Element::ProgBack].visible);
    EXPECT_TRUE(rig.window[Element::ProgFrame].visible);
    EXPECT_FALSE(rig.window[Element::LabelOver].visible);
    EXPECT_TRUE(rig.window[Element::Lbackground].opaque);
    EXPECT_EQ(rig.band(), PhaseColour::afterBell2);
    EXPECT_TRUE(rig.window[Element::Form1].back.isButtonFace());
    EXPECT_EQ(rig.readout(), " 0:00");
}
