#pragma once
// The colours of the session phases. The phase itself is not stored: these
// are written at the moment a phase is entered.

#include "colour.h"

namespace bw::PhaseColour {

inline constexpr Colour beforeBell1 = Colour::rgb(0, 255, 255);
inline constexpr Colour afterBell1 = Colour::rgb(127, 255, 127);
inline constexpr Colour afterBell2 = Colour::rgb(255, 255, 0);
inline constexpr Colour overTimeWindow = Colour::rgb(255, 0, 0);
inline constexpr Colour normalWindow = Colour::buttonFace();

} // namespace bw::PhaseColour
