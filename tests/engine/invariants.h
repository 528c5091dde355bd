#pragma once
// The session record's invariants, and the agreement of the recorded display
// with the record, checked with gtest assertions after any event.

#include "phase_colour.h"
#include "recording_window.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

namespace bw::test {

inline std::string twoDigits(int v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, v >= 100 ? "%02d" : "%2d", v % 100);
    return buf;
}

// armedTotal: mint1 + mint2 + mint3 as they were at the last re-arm.
inline void checkInvariants(const SessionState& st, RecordingWindow& window, i16 armedTotal) {
    ASSERT_EQ(st.totalMin, st.startMin);
    ASSERT_EQ(st.totalMin, armedTotal);
    ASSERT_GE(st.totalMin, 7);
    ASSERT_LE(st.totalMin, 150);
    ASSERT_GT(st.bell1Min, st.bell2Min);
    ASSERT_GE(st.bell2Min, 1);
    ASSERT_GE(st.secs, 0);
    ASSERT_LE(st.secs, 59);
    ASSERT_GE(st.beepsDue, 0);
    ASSERT_LE(st.beepsDue, 3);
    ASSERT_TRUE(st.paused == Paused::No || st.runState != RunState::Ready);
    ASSERT_EQ(window[Element::ProgBar].width, 3.0f * st.unit * st.progressShown);

    const bool over = st.runState == RunState::OverTime;
    ASSERT_EQ(window[Element::Form1].back,
              over ? PhaseColour::overTimeWindow : PhaseColour::normalWindow);
    ASSERT_EQ(window[Element::Lbackground].opaque, !over);
    ASSERT_EQ(window[Element::LabelOver].visible, over);
    ASSERT_EQ(window[Element::ProgBar].visible, !over);
    ASSERT_EQ(window[Element::ProgFrame].visible, !over);
    ASSERT_EQ(window[Element::LabelPause].visible, st.paused == Paused::Yes);
    ASSERT_EQ(window[Element::CBpfwd].enabled, st.paused == Paused::Yes);
    ASSERT_EQ(window[Element::CBpause].enabled, st.runState != RunState::Ready);
    ASSERT_EQ(window[Element::CBpause].caption, st.paused == Paused::Yes ? "Resume" : "Pause");
    ASSERT_EQ(window[Element::CBstend].caption, st.runState == RunState::Ready ? "Start" : " End ");

    if (over) {
        ASSERT_GE(st.remMin, 0);
        ASSERT_LE(st.remMin, 100);
        ASSERT_EQ(window[Element::Dminutes].caption, twoDigits(std::min<int>(st.remMin, 99)));
        ASSERT_EQ(window[Element::Dseconds].caption,
                  st.remMin >= 100 ? "99" : twoDigits(100 + st.secs));
        return;
    }
    ASSERT_GE(st.remMin, 0);
    ASSERT_LE(st.remMin, st.startMin);
    if (st.remMin == st.startMin) {
        ASSERT_EQ(st.secs, 0);
    }
    const bool beforeBell2 = st.remMin >= st.bell2Min;
    const int shown = st.modeCur == 0 && beforeBell2 ? st.remMin - st.bell2Min : st.remMin;
    ASSERT_EQ(st.dispMin, shown);
    ASSERT_EQ(window[Element::Dminutes].caption, twoDigits(st.dispMin));
    ASSERT_EQ(window[Element::Dseconds].caption, twoDigits(100 + st.secs));
    const Colour band = st.remMin >= st.bell1Min ? PhaseColour::beforeBell1
                        : beforeBell2            ? PhaseColour::afterBell1
                                                 : PhaseColour::afterBell2;
    ASSERT_EQ(window[Element::Lbackground].back, band);
    const double elapsed = st.totalMin * 60.0 - (st.remMin * 60.0 + st.secs);
    ASSERT_LE(std::abs(st.progressShown - 150.0 * elapsed / (60.0 * st.totalMin)), 1.0);
}

} // namespace bw::test
