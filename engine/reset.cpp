// Defaults at window creation and the re-arming of a session.

#include "phase_colour.h"
#include "session.h"

namespace bw {

Session::Session(WindowElements& ui, TimeOfDay& clock, Beeper& beeper)
    : ui_(ui), clock_(clock), beeper_(beeper) {}

void Session::Initialize() {
    st_.modeSel = 0;
    st_.mint1 = 10;
    st_.mint2 = 5;
    st_.mint3 = 5;
    st_.beepsDue = 0;
    st_.clockShown = "00:00:00";
    ui_.setEnabled(Element::CBstend, true);
}

void Session::ResetSession() {
    // All three sums first, so an overflow leaves the record and display untouched.
    const i16 toBell2 = add(st_.mint1, st_.mint2);
    const i16 total = add(toBell2, st_.mint3);
    const i16 bell1 = add(st_.mint3, st_.mint2);

    st_.bell1Min = bell1;
    st_.bell2Min = st_.mint3;
    st_.modeCur = st_.modeSel;
    st_.startMin = st_.totalMin = st_.remMin = total;
    st_.secs = 0;
    st_.progressShown = 0;
    st_.dispMin = st_.modeSel == 0 ? toBell2 : total;
    st_.runState = RunState::Ready;
    st_.paused = Paused::No;

    ShowMinutes(st_.dispMin);
    ShowSeconds(st_.secs);
    ui_.setCaption(Element::CBstend, "Start");
    ui_.setCaption(Element::CBpause, "Pause");
    ui_.setEnabled(Element::CBpause, false);
    ui_.setEnabled(Element::CBpback, false);
    ui_.setEnabled(Element::CBpfwd, false);
    ui_.setVisible(Element::Label4, false);
    ui_.setBackOpaque(Element::Lbackground, true);
    paintBand(PhaseColour::beforeBell1);
    ui_.setVisible(Element::LabelPause, false);
    ui_.setVisible(Element::LabelOver, false);
    ui_.setWidthTwips(Element::ProgBar, 0);
    ui_.setVisible(Element::ProgFrame, true);
    ui_.setVisible(Element::ProgBack, true);
    ui_.setVisible(Element::ProgBar, true);
    ui_.setBackColour(Element::Form1, PhaseColour::normalWindow);
}

} // namespace bw
