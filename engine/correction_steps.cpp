// Corrections while paused: back and forward steps that snap the seconds to
// multiples of ten, crossing minutes, bells and the border of over time.
// Steps never sound a beep.

#include "phase_colour.h"
#include "session.h"

namespace bw {

namespace {
i16 roundDownToTen(i16 secs) {
    return mul(div(secs, 10), 10);
}
// 37 -> 30, 30 -> 20: a value on the grid moves a whole step.
i16 stepDownToTen(i16 secs) {
    return secs % 10 == 0 ? sub(secs, 10) : roundDownToTen(secs);
}
// 37 -> 40, 40 -> 50.
i16 stepUpToTen(i16 secs) {
    return add(roundDownToTen(secs), 10);
}
} // namespace

void Session::CBpback_Click() {
    if (st_.paused != Paused::Yes) return;
    if (st_.runState == RunState::CountingDown) {
        if (st_.secs >= 50) {
            st_.secs = 0;
            st_.remMin = add(st_.remMin, 1);
            st_.dispMin = add(st_.dispMin, 1);
            if (st_.remMin == st_.bell1Min) {
                paintBand(PhaseColour::beforeBell1);
            } else if (st_.remMin == st_.bell2Min) {
                paintBand(PhaseColour::afterBell1);
                if (st_.modeCur == 0) st_.dispMin = 0; // exactly at the 2nd bell
            }
            ShowMinutes(st_.dispMin);
            ShowSeconds(st_.secs);
        } else if (st_.remMin < st_.startMin) {
            st_.secs = stepUpToTen(st_.secs);
            ShowSeconds(st_.secs);
        }
        UpdateProgress();
    } else if (st_.runState == RunState::OverTime) {
        if (st_.secs != 0) {
            st_.secs = stepDownToTen(st_.secs);
            ShowSeconds(st_.secs);
        } else if (st_.remMin != 0) {
            st_.remMin = sub(st_.remMin, 1);
            st_.secs = 50;
            ShowMinutes(st_.remMin);
            ShowSeconds(st_.secs);
        } else {
            LeaveOverTime();
        }
    }
}

void Session::CBpfwd_Click() {
    if (st_.paused != Paused::Yes) return;
    if (st_.runState == RunState::CountingDown) {
        if (st_.secs != 0) {
            st_.secs = stepDownToTen(st_.secs);
            ShowSeconds(st_.secs);
        } else {
            if (st_.remMin == st_.bell1Min) {
                paintBand(PhaseColour::afterBell1);
            } else if (st_.remMin == st_.bell2Min) {
                paintBand(PhaseColour::afterBell2);
                st_.dispMin = st_.remMin;
            }
            if (st_.remMin != 0) {
                st_.remMin = sub(st_.remMin, 1);
                st_.dispMin = sub(st_.dispMin, 1);
                st_.secs = 50;
                ShowMinutes(st_.dispMin);
                ShowSeconds(st_.secs);
            } else {
                EnterOverTime(); // silently: a correction is not a bell
            }
        }
        UpdateProgress();
    } else if (st_.runState == RunState::OverTime) {
        if (st_.remMin >= 100) return;
        st_.secs = stepUpToTen(st_.secs);
        if (st_.secs == 60) {
            st_.secs = 0;
            st_.remMin = add(st_.remMin, 1);
            showOverTimeMinute();
        } else {
            ShowSeconds(st_.secs);
        }
    }
}

} // namespace bw
