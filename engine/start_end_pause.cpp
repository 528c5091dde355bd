// Start, End and Pause: they only flip the run and pause states; the tick
// does the counting.

#include "session.h"

namespace bw {

void Session::CBstend_Click() {
    if (st_.runState != RunState::Ready) {
        ResetSession();
        return;
    }
    st_.runState = RunState::CountingDown;
    ui_.setCaption(Element::CBstend, " End ");
    ui_.setEnabled(Element::CBpause, true);
    st_.beepsDue = 0;
}

void Session::CBpause_Click() {
    if (st_.runState == RunState::Ready) return;
    const bool pausing = st_.paused == Paused::No;
    st_.paused = pausing ? Paused::Yes : Paused::No;
    ui_.setCaption(Element::CBpause, pausing ? "Resume" : "Pause");
    ui_.setEnabled(Element::CBpback, pausing);
    ui_.setEnabled(Element::CBpfwd, pausing);
    ui_.setVisible(Element::Label4, pausing);
    ui_.setVisible(Element::LabelPause, pausing);
    // Beeps of a bell not yet sounded are dropped, not kept for the resume.
    if (pausing) st_.beepsDue = 0;
}

} // namespace bw
