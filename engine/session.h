#pragma once
// The session engine: every rule of a session, driven by the window's events.
// Each public handler corresponds to one window event. A handler may throw
// OverflowError; the writes made before that point stay.

#include "session_state.h"
#include "window_elements.h"

namespace bw {

class Session {
  public:
    Session(WindowElements& ui, TimeOfDay& clock, Beeper& beeper);

    // Window events
    void Initialize();
    void Load() { ResetSession(); }
    void Tick();
    void CBstend_Click();
    void CBpause_Click();
    void CBpback_Click();
    void CBpfwd_Click();
    void CBinc5_Click();
    void CBdec5_Click();
    void CBinc1_Click();
    void CBdec1_Click();
    void CBinc2_Click();
    void CBdec2_Click();
    void CBinc3_Click();
    void CBdec3_Click();
    void RBmode_Click(i16 index);
    // The window was resized: the width it now has and the layout unit for it.
    void Resize(i16 formWidth, i16 unit);

    void ResetSession();

    // Shared display procedures
    void ShowMinutes(i16 value);
    void ShowSeconds(i16 value);
    void UpdateProgress();
    void EnterOverTime(bool queueThirdBell = false);
    void LeaveOverTime();

    // Count steps until the next one that sounds a beep, or -1 when none can
    // come without a click first (ready, paused, or over time with none queued).
    int stepsToNextBeep() const;
    // The same as if the count ran now: while paused, the steps after a
    // resume, so that a bell right after it finds the sound ready.
    int stepsToNextBeepOnResume() const;

    const SessionState& state() const { return st_; }
    // Only tests set up a record by hand; the program changes it through the
    // handlers above.
    SessionState& stateForTests() { return st_; }

  private:
    void countDownStep();
    void countUpStep();
    void soundDueBeep();
    void showOverTimeMinute();
    void setProgBarWidth(i16 progress);
    void paintBand(Colour c) { ui_.setBackColour(Element::Lbackground, c); }
    void changeInterval(i16& interval, Element box, i16 step, i16 low, i16 high);

    WindowElements& ui_;
    TimeOfDay& clock_;
    Beeper& beeper_;
    SessionState st_;
};

// Decimal text with a sign position (a blank before a non-negative number),
// cut to its last two characters: the form of every two-digit readout.
std::string lastTwoWithSign(i16 value);

// Width of the progress bar in twips: three layout units for each 150th.
i16 progBarWidth(i16 unit, i16 progress);

} // namespace bw
