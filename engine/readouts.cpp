// The readouts, the progress bar and the switches into and out of over time.

#include "phase_colour.h"
#include "session.h"

#include <cstdio>

namespace bw {

std::string lastTwoWithSign(i16 value) {
    char text[8]; // sign position and at most five digits
    const int length = std::snprintf(text, sizeof text, value >= 0 ? " %d" : "%d", value);
    return std::string(text + length - 2, 2);
}

void Session::ShowMinutes(i16 value) {
    ui_.setCaption(Element::Dminutes, lastTwoWithSign(value));
}

void Session::ShowSeconds(i16 value) {
    // Adding 100 pads the seconds with a leading zero.
    ui_.setCaption(Element::Dseconds, lastTwoWithSign(add(value, 100)));
}

i16 progBarWidth(i16 unit, i16 progress) {
    return mul(mul(unit, 3), progress);
}

void Session::setProgBarWidth(i16 progress) {
    ui_.setWidthTwips(Element::ProgBar, static_cast<float>(progBarWidth(st_.unit, progress)));
}

void Session::UpdateProgress() {
    const i16 elapsedMinutes = mul(sub(st_.totalMin, st_.remMin), 150);
    const i16 secondsShare = div(mul(st_.secs, 5), 2);
    st_.progress = div(sub(elapsedMinutes, secondsShare), st_.totalMin);
    if (st_.progress == st_.progressShown) return;
    setProgBarWidth(st_.progress);
    st_.progressShown = st_.progress;
}

void Session::EnterOverTime(bool queueThirdBell) {
    st_.runState = RunState::OverTime;
    if (queueThirdBell) st_.beepsDue = 3;
    ui_.setBackColour(Element::Form1, PhaseColour::overTimeWindow);
    ui_.setBackOpaque(Element::Lbackground, false);
    ui_.setVisible(Element::LabelOver, true);
    ui_.setVisible(Element::ProgBar, false);
    ui_.setVisible(Element::ProgBack, false);
    ui_.setVisible(Element::ProgFrame, false);
}

void Session::LeaveOverTime() {
    st_.runState = RunState::CountingDown;
    setProgBarWidth(150);
    st_.progressShown = 150;
    ui_.setVisible(Element::ProgFrame, true);
    ui_.setVisible(Element::ProgBack, true);
    ui_.setVisible(Element::ProgBar, true);
    ui_.setVisible(Element::LabelOver, false);
    ui_.setBackOpaque(Element::Lbackground, true);
    paintBand(PhaseColour::afterBell2);
    ui_.setBackColour(Element::Form1, PhaseColour::normalWindow);
}

void Session::showOverTimeMinute() {
    // At 100 minutes the display stops at "99" "99"; the minutes already show 99.
    if (st_.remMin >= 100) {
        ui_.setCaption(Element::Dseconds, "99");
        return;
    }
    ShowMinutes(st_.remMin);
    ui_.setCaption(Element::Dseconds, "00");
}

} // namespace bw
