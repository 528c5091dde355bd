#pragma once
// Stand-ins for the engine's clock and beeper, shared by the tests and the
// benchmarks.

#include "window_elements.h"

#include <cstdio>
#include <string>
#include <vector>

namespace bw::test {

// "HH:MM:SS" for a count of seconds, the form the wall clock gives.
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

// Counts the beeps and, if given a log, notes each one in it among the
// window's writes.
class CountingBeeper : public Beeper {
  public:
    explicit CountingBeeper(std::vector<std::string>* log = nullptr) : log_(log) {}
    int beeps = 0;
    void beep() override {
        ++beeps;
        if (log_) log_->push_back("beep");
    }

  private:
    std::vector<std::string>* log_;
};

} // namespace bw::test
