#pragma once
// The one record that drives a session, in its declared order. Every number
// is 16-bit signed; the clock texts are the only strings.

#include "checked.h"

#include <string>

namespace bw {

// Stored as 16-bit numbers like every other field of the record.
enum class RunState : i16 { Ready = 0, CountingDown = 1, OverTime = 2 };
enum class Paused : i16 { No = 0, Yes = 1 };

struct SessionState {
    i16 modeSel = 0;  // display mode chosen: 0 Mode-A, 1 Mode-B
    i16 modeCur = 0;  // mode in force for the armed session
    i16 totalMin = 0; // minutes from start to the 3rd bell
    i16 mint1 = 0;    // start to 1st bell
    i16 mint2 = 0;    // 1st to 2nd bell
    i16 mint3 = 0;    // 2nd to 3rd bell
    i16 secs = 0;     // seconds part of the running count, 0..59
    i16 remMin = 0;   // minutes left to the 3rd bell; in over time minutes past it
    i16 dispMin = 0;  // minutes shown while counting down
    i16 startMin = 0; // remMin at the armed start
    i16 bell1Min = 0; // remMin at which the 1st bell falls
    i16 bell2Min = 0; // remMin at which the 2nd bell falls
    RunState runState = RunState::Ready;
    Paused paused = Paused::No;
    i16 beepsDue = 0;      // beeps still to sound, one per counted second
    i16 formWidth = 0;     // window width in twips at the last resize
    i16 unit = 0;          // layout unit in twips, 0 before the first resize
    i16 progress = 0;      // elapsed share of the session in 150ths
    i16 progressShown = 0; // progress value the bar was last sized from
    std::string clockNow;
    std::string clockShown;
};

} // namespace bw
