// Random clicks on every control, random resizes from 1 to 50000 twips wide
// and random ticks against the real window, 200000 of them (set
// BELLWARDEN_FUZZ_EVENTS to change): nothing may crash or be reported, and
// what the window shows must agree with the session. The seed is printed;
// BELLWARDEN_FUZZ_SEED runs the same events again.

#include "message_log.h"
#include "window_rig.h"

#include <QAbstractButton>
#include <gtest/gtest.h>

#include <random>

using namespace bw;
using namespace bw::test;

namespace {

QString twoDigits(int v) {
    return v >= 100 ? QString("%1").arg(v % 100, 2, 10, QChar('0')) : QString("%1").arg(v, 2);
}

void checkWindowAgrees(WindowRig& rig) {
    const SessionState& st = rig.form.session().state();
    const bool over = st.runState == RunState::OverTime;
    ASSERT_EQ(rig.get("LabelOver")->isVisible(), over);
    ASSERT_EQ(rig.get("ProgBar")->isVisible(), !over);
    ASSERT_EQ(rig.get("LabelPause")->isVisible(), st.paused == Paused::Yes);
    ASSERT_EQ(rig.get("CBpfwd")->isEnabled(), st.paused == Paused::Yes);
    ASSERT_EQ(rig.text("CBstend"), st.runState == RunState::Ready ? "Start" : " End ");
    if (over) {
        ASSERT_EQ(rig.text("Dminutes"), twoDigits(std::min<int>(st.remMin, 99)));
    } else {
        ASSERT_EQ(rig.text("Dminutes"), twoDigits(st.dispMin));
        ASSERT_EQ(rig.text("Dseconds"), twoDigits(100 + st.secs));
        const TwipsScale& s = rig.form.scale();
        const int u = st.unit;
        ASSERT_EQ(rig.get("ProgBar")->width(),
                  s.px(12 * u + progBarWidth(st.unit, st.progressShown)) - s.px(12 * u));
    }
    ASSERT_TRUE(st.unit == 15 || st.unit == 20 || st.unit == 25 || st.unit == 32 || st.unit == 40);
}

} // namespace

TEST(WindowFuzz, RandomClicksResizesAndTicks) {
    const long events = qEnvironmentVariableIntValue("BELLWARDEN_FUZZ_EVENTS") > 0
                            ? qEnvironmentVariableIntValue("BELLWARDEN_FUZZ_EVENTS")
                            : 200000;
    bool seedGiven = false;
    const unsigned seed = qEnvironmentVariable("BELLWARDEN_FUZZ_SEED").toUInt(&seedGiven);
    const unsigned runSeed = seedGiven ? seed : std::random_device{}();
    std::printf("seed %u: BELLWARDEN_FUZZ_SEED=%u runs these events again\n", runSeed, runSeed);
    WindowRig rig;
    QList<QAbstractButton*> buttons = rig.form.findChildren<QAbstractButton*>();
    ASSERT_EQ(buttons.size(), 14); // 12 command buttons, 2 option buttons
    std::mt19937 rng(runSeed);
    auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    MessageLog capture;
    long overTime = 0;
    for (long event = 1; event <= events; ++event) {
        const int r = pick(100);
        if (r < 70) {
            rig.clock.seconds += pick(10) == 0 ? 0 : 1;
            rig.form.onTimer();
        } else if (r < 95) {
            // A real mouse click, also on disabled buttons, which must ignore it.
            // End is seldom clicked, so that sessions reach over time too.
            QAbstractButton* button = buttons[pick(int(buttons.size()))];
            const bool wouldEnd = button->objectName() == "CBstend" &&
                                  rig.form.session().state().runState != RunState::Ready;
            if (!wouldEnd || pick(200) == 0) QTest::mouseClick(button, Qt::LeftButton);
        } else {
            const int twips = 1 + pick(50000);
            rig.form.resize(std::max(1, rig.form.scale().px(twips)), 50 + pick(1500));
            QApplication::processEvents();
        }
        overTime += rig.form.session().state().runState == RunState::OverTime;
        checkWindowAgrees(rig);
        if (::testing::Test::HasFatalFailure())
            FAIL() << "after event " << event << " of seed " << runSeed;
    }
    EXPECT_EQ(capture.text(), "");
    EXPECT_GT(overTime, 0);
    std::printf("%ld events, %ld in over time\n", events, overTime);
}
