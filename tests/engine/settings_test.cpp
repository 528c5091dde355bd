#include "recording_window.h"

#include <gtest/gtest.h>

using namespace bw;
using namespace bw::test;

namespace {
using Click = void (Session::*)();
std::string box(Rig& rig, Element e) {
    return rig.window[e].caption;
}
void press(Rig& rig, Click click, int times = 1) {
    for (int i = 0; i < times; ++i)
        (rig.session.*click)();
}
} // namespace

TEST(Settings, FirstIntervalIsClampedTo5And90) {
    Rig rig;
    press(rig, &Session::CBdec1_Click, 3);
    EXPECT_EQ(box(rig, Element::TBmint1), " 7");
    press(rig, &Session::CBdec5_Click);
    EXPECT_EQ(rig.st.mint1, 5); // not 2
    EXPECT_EQ(box(rig, Element::TBmint1), " 5");
    press(rig, &Session::CBdec5_Click);
    press(rig, &Session::CBdec1_Click);
    EXPECT_EQ(rig.st.mint1, 5);

    rig.st.mint1 = 88;
    press(rig, &Session::CBinc5_Click);
    EXPECT_EQ(rig.st.mint1, 90); // not 93
    press(rig, &Session::CBinc5_Click);
    press(rig, &Session::CBinc1_Click);
    EXPECT_EQ(rig.st.mint1, 90);
    EXPECT_EQ(box(rig, Element::TBmint1), "90");
}

TEST(Settings, GapsAreClampedTo1And30) {
    Rig rig;
    press(rig, &Session::CBdec2_Click, 10);
    press(rig, &Session::CBdec3_Click, 10);
    EXPECT_EQ(rig.st.mint2, 1);
    EXPECT_EQ(rig.st.mint3, 1);
    EXPECT_EQ(box(rig, Element::TBmint2), " 1");
    EXPECT_EQ(rig.readout(), "11:00"); // 10, 1, 1 in Mode-A
    EXPECT_EQ(rig.st.totalMin, 12);
    press(rig, &Session::CBdec5_Click);
    EXPECT_EQ(rig.readout(), " 6:00"); // the shortest session, 5, 1, 1
    EXPECT_EQ(rig.st.totalMin, 7);
    press(rig, &Session::CBinc2_Click, 40);
    press(rig, &Session::CBinc3_Click, 40);
    EXPECT_EQ(rig.st.mint2, 30);
    EXPECT_EQ(rig.st.mint3, 30);
    EXPECT_EQ(box(rig, Element::TBmint3), "30");
}

TEST(Settings, TextBoxShowsABlankBeforeOneDigit) {
    Rig rig;
    rig.st.mint2 = 10;
    press(rig, &Session::CBdec2_Click);
    EXPECT_EQ(box(rig, Element::TBmint2), " 9");
}

TEST(Settings, WhileReadyTheDisplayFollowsAtOnce) {
    Rig rig;
    rig.session.RBmode_Click(1);
    EXPECT_EQ(rig.readout(), "20:00");
    press(rig, &Session::CBinc2_Click);
    EXPECT_EQ(rig.readout(), "21:00");
    EXPECT_EQ(rig.st.bell1Min, 11);
    rig.session.RBmode_Click(0);
    EXPECT_EQ(rig.readout(), "16:00");

    rig.st.mint1 = 90;
    rig.st.mint2 = 30;
    rig.st.mint3 = 30;
    rig.session.RBmode_Click(1);
    EXPECT_EQ(rig.st.dispMin, 150);
    EXPECT_EQ(rig.minutes(), "50");
}

TEST(Settings, WhileRunningChangesWaitForTheNextReArm) {
    Rig rig;
    rig.session.RBmode_Click(1);
    rig.start();
    rig.steps(30);
    press(rig, &Session::CBinc5_Click);
    rig.session.RBmode_Click(0);
    EXPECT_EQ(box(rig, Element::TBmint1), "15");
    EXPECT_EQ(rig.st.modeSel, 0);
    EXPECT_EQ(rig.st.modeCur, 1);
    EXPECT_EQ(rig.st.totalMin, 20);
    EXPECT_EQ(rig.readout(), "19:30");
    rig.step();
    EXPECT_EQ(rig.readout(), "19:29");
    rig.start();                       // End
    EXPECT_EQ(rig.readout(), "20:00"); // 15 + 5 to the 2nd bell, Mode-A
    EXPECT_EQ(rig.st.totalMin, 25);
}

TEST(Settings, ModeIndexOutsideTheTwoButtonsIsIgnored) {
    Rig rig;
    rig.window.clearLog();
    rig.session.RBmode_Click(2);
    rig.session.RBmode_Click(-1);
    EXPECT_EQ(rig.st.modeSel, 0);
    EXPECT_TRUE(rig.window.log.empty());
}
