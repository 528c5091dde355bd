// Random events of every kind, with random clock texts; the record's
// invariants and the display must agree after each one, and no overflow may
// escape while the settings stay within their bounds.

#include "invariants.h"
#include "recording_window.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace bw;
using namespace bw::test;

namespace {

class RandomClock : public TimeOfDay {
  public:
    std::string next = "09:00:00";
    std::string text() override { return next; }
};

struct Fuzz {
    RecordingWindow window;
    RandomClock clock;
    CountingBeeper beeper{&window.log};
    Session session{window, clock, beeper};
    SessionState& st = session.stateForTests();
    std::mt19937 rng{20261208};
    int clockSeconds = 0;
    int overTimeEvents = 0, pausedOverTimeEvents = 0, bells = 0;

    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }

    void resize() {
        static const i16 units[] = {15, 20, 25, 32, 40};
        st.unit = units[pick(5)];
        window.setWidthTwips(Element::ProgBar, float(progBarWidth(st.unit, st.progressShown)));
    }

    void tick() {
        const int r = pick(100);
        if (r < 3) {
            static const char* odd[] = {"", "12:00", "x", "23:59:59", "00:00:00"};
            clock.next = odd[pick(5)];
        } else if (r < 8) {
            // the timer fires again within the same second
        } else {
            clock.next = clockText(++clockSeconds);
        }
        session.Tick();
    }

    void event(int endWeight) {
        const int r = pick(1000);
        if (r < 820) return tick();
        if (r < 835) return session.CBpause_Click();
        if (r < 880) return session.CBpback_Click();
        if (r < 920) return session.CBpfwd_Click();
        if (r < 960) {
            // Shortening clicks come twice as often, so sessions stay short
            // enough for the run to spend time in over time too.
            using Click = void (Session::*)();
            static const Click clicks[] = {
                &Session::CBinc5_Click, &Session::CBdec5_Click, &Session::CBinc1_Click,
                &Session::CBdec1_Click, &Session::CBinc2_Click, &Session::CBdec2_Click,
                &Session::CBinc3_Click, &Session::CBdec3_Click, &Session::CBdec5_Click,
                &Session::CBdec1_Click, &Session::CBdec2_Click, &Session::CBdec3_Click};
            return (session.*clicks[pick(12)])();
        }
        if (r < 970) return session.RBmode_Click(static_cast<i16>(pick(2)));
        if (r < 980) return resize();
        if (st.runState == RunState::Ready || pick(20) < endWeight) session.CBstend_Click();
    }
};

} // namespace

TEST(Property, InvariantsHoldUnderRandomEvents) {
    Fuzz f;
    f.session.Initialize();
    f.session.Load();
    f.resize();
    i16 armedTotal = f.st.totalMin;
    const int events = 300000;
    for (int i = 0; i < events; ++i) {
        // Long stretches without End let sessions reach and stay in over time.
        const int endWeight = (i / 5000) % 2 == 0 ? 1 : 0;
        const int beepsBefore = f.beeper.beeps;
        ASSERT_NO_THROW(f.event(endWeight)) << "event " << i;
        ASSERT_LE(f.beeper.beeps - beepsBefore, 1);
        if (f.st.runState == RunState::Ready)
            armedTotal = static_cast<i16>(f.st.mint1 + f.st.mint2 + f.st.mint3);
        ASSERT_GE(f.st.mint1, 5);
        ASSERT_LE(f.st.mint1, 90);
        ASSERT_GE(f.st.mint2, 1);
        ASSERT_LE(f.st.mint3, 30);
        checkInvariants(f.st, f.window, armedTotal);
        if (::testing::Test::HasFatalFailure()) FAIL() << "after event " << i;
        f.overTimeEvents += f.st.runState == RunState::OverTime;
        f.pausedOverTimeEvents += f.st.runState == RunState::OverTime && f.st.paused == Paused::Yes;
    }
    // The run must have reached the states it is meant to exercise.
    EXPECT_GT(f.overTimeEvents, events / 20);
    EXPECT_GT(f.pausedOverTimeEvents, events / 100);
    EXPECT_GT(f.beeper.beeps, 100);
}
