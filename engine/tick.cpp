// The timer handler: keeps the wall clock current and moves the count by one
// second each time the clock's text changes, whatever the timer's interval.

#include "phase_colour.h"
#include "session.h"

namespace bw {

void Session::Tick() {
    if (st_.paused == Paused::Yes || st_.runState == RunState::Ready) {
        st_.clockShown = clock_.text();
        ui_.setCaption(Element::Label5, st_.clockShown);
        return;
    }
    st_.clockNow = clock_.text();
    if (st_.clockNow == st_.clockShown) return;
    st_.clockShown = st_.clockNow;
    ui_.setCaption(Element::Label5, st_.clockShown);

    if (st_.runState == RunState::CountingDown)
        countDownStep();
    else
        countUpStep();
    soundDueBeep();
}

void Session::countDownStep() {
    if (st_.secs != 0) {
        st_.secs = sub(st_.secs, 1);
        ShowSeconds(st_.secs);
    } else if (st_.remMin != 0) {
        // A bell rings on the step that leaves its minute.
        if (st_.remMin == st_.bell1Min) {
            st_.beepsDue = 1;
            paintBand(PhaseColour::afterBell1);
        } else if (st_.remMin == st_.bell2Min) {
            st_.dispMin = st_.remMin; // Mode-A now shows the time to the 3rd bell
            st_.beepsDue = 2;
            paintBand(PhaseColour::afterBell2);
        }
        st_.remMin = sub(st_.remMin, 1);
        st_.dispMin = sub(st_.dispMin, 1);
        st_.secs = 59;
        ShowMinutes(st_.dispMin);
        ShowSeconds(st_.secs);
    } else {
        EnterOverTime(true); // the 3rd bell; the readouts stay at " 0" "00"
    }
    UpdateProgress();
}

void Session::countUpStep() {
    if (st_.remMin >= 100) return;
    st_.secs = add(st_.secs, 1);
    if (st_.secs != 60) {
        ShowSeconds(st_.secs);
        return;
    }
    st_.secs = 0;
    st_.remMin = add(st_.remMin, 1);
    showOverTimeMinute();
}

void Session::soundDueBeep() {
    if (st_.beepsDue <= 0) return;
    st_.beepsDue = sub(st_.beepsDue, 1);
    beeper_.beep();
}

int Session::stepsToNextBeep() const {
    return st_.paused == Paused::Yes ? -1 : stepsToNextBeepOnResume();
}

int Session::stepsToNextBeepOnResume() const {
    if (st_.runState == RunState::Ready) return -1;
    if (st_.beepsDue > 0) return 1;
    if (st_.runState == RunState::OverTime) return -1;
    // Plain int: a query, nothing stored, and at most 150 minutes of seconds.
    const int left = st_.remMin * 60 + st_.secs;
    for (int bellAt : {st_.bell1Min * 60, st_.bell2Min * 60, 0})
        if (left >= bellAt) return left - bellAt + 1; // the step leaving the bell's minute
    return -1;
}

} // namespace bw
