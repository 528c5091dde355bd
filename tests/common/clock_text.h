#pragma once
// "HH:MM:SS" for a count of seconds, the form the wall clock gives; test
// clocks advance the count by hand.

#include <cstdio>
#include <string>

namespace bw::test {

inline std::string clockText(int seconds) {
    char buf[16];
    const int s = ((seconds % 86400) + 86400) % 86400;
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", s / 3600, s / 60 % 60, s % 60);
    return buf;
}

} // namespace bw::test
