#pragma once
// "HH:MM:SS" for a count of seconds, the form the wall clock gives, and a
// test clock whose seconds the test advances by hand.

#include "window_elements.h"

#include <cstdio>
#include <string>

namespace bw::test {

inline std::string clockText(int seconds) {
    char buf[16];
    const int s = ((seconds % 86400) + 86400) % 86400;
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", s / 3600, s / 60 % 60, s % 60);
    return buf;
}

// A clock that reads "HH:MM:SS" from a second counter the test advances.
class ScriptedClock : public TimeOfDay {
  public:
    explicit ScriptedClock(int start = 9 * 3600) : seconds(start) {}
    int seconds;
    std::string text() override { return clockText(seconds); }
};

} // namespace bw::test
