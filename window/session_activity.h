#pragma once
// Told when a session starts running (counting, over time, paused or not) and
// when it is back to ready, for services that only matter during a talk.

namespace bw {

class SessionActivity {
  public:
    virtual ~SessionActivity() = default;
    virtual void sessionRunningChanged(bool running) = 0;
};

} // namespace bw
