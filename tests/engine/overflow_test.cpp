// An overflow abandons the handler where it happens and keeps what was
// written before it.

#include "recording_window.h"

#include <gtest/gtest.h>

using namespace bw;
using namespace bw::test;

TEST(Overflow, CheckedArithmeticRefusesToWrap) {
    EXPECT_EQ(add(32766, 1), 32767);
    EXPECT_THROW(add(32767, 1), OverflowError);
    EXPECT_THROW(sub(-32768, 1), OverflowError);
    EXPECT_THROW(mul(200, 200), OverflowError);
    EXPECT_EQ(mul(-128, 256), -32768);
    EXPECT_THROW(bw::div(-32768, -1), OverflowError);
    EXPECT_THROW(bw::div(1, 0), OverflowError);
    EXPECT_EQ(bw::div(-7, 2), -3); // truncates toward zero
}

TEST(Overflow, ResetSessionWritesNothingWhenTheSumsOverflow) {
    Rig rig;
    rig.st.mint1 = 32767;
    const SessionState before = rig.st;
    rig.window.clearLog();
    EXPECT_THROW(rig.session.ResetSession(), OverflowError);
    EXPECT_TRUE(rig.window.log.empty());
    EXPECT_EQ(rig.st.totalMin, before.totalMin);
    EXPECT_EQ(rig.st.remMin, before.remMin);
    EXPECT_EQ(rig.st.bell1Min, before.bell1Min);
}

TEST(Overflow, TickKeepsTheWritesBeforeTheFault) {
    Rig rig;
    rig.start();
    rig.steps(7);        // the 8th second moves the bar for the first time
    rig.st.unit = 20000; // a bar width that cannot be formed
    rig.window.clearLog();
    ++rig.clock.seconds;
    EXPECT_THROW(rig.session.Tick(), OverflowError);
    EXPECT_EQ(rig.readout(), "14:52");
    EXPECT_EQ(rig.window[Element::Label5].caption, rig.clock.text());
    EXPECT_EQ(rig.window.writesTo(Element::ProgBar, "width"), 0);
    EXPECT_EQ(rig.st.progressShown, 0); // not moved past the failed write
    // The count goes on at the next second once the cause is gone.
    rig.st.unit = 15;
    rig.step();
    EXPECT_EQ(rig.readout(), "14:51");
    EXPECT_EQ(rig.st.progressShown, 1);
    EXPECT_EQ(rig.window[Element::ProgBar].width, 45.0f);
}
