#pragma once
// Told when a session starts running (counting, over time, paused or not) and
// when it is back to ready, and how far off the next beep is, for services
// that only matter during a talk.

namespace bw {

class SessionActivity {
  public:
    virtual ~SessionActivity() = default;
    virtual void sessionRunningChanged(bool) {}
    // Count steps (seconds) until the next beep, or -1 when none is in sight;
    // told whenever it changes.
    virtual void nextBeepIn(int) {}
};

} // namespace bw
