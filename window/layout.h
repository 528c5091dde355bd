#pragma once
// The proportional layout: from the window's outer width to one of five
// layout units and the geometry of the fifteen top-level display elements.
// A pure function, so it can be checked without a window.

#include "checked.h"

#include <array>
#include <optional>

namespace bw {

struct LayoutRow {
    const char* control;
    // Twips; a property left empty keeps its design value.
    std::optional<i16> left, width, top, height;
    std::optional<i16> fontPoints;
};

struct Layout {
    i16 formWidth = 0;
    i16 unit = 0;
    std::array<LayoutRow, 15> rows{};
};

// Outer width in twips to a 16-bit width: rounded half to even, and a window
// wider than 32767 twips counts as 32767 (it gets the largest unit anyway).
i16 formWidthFromOuterWidth(double outerWidthTwips);

i16 unitForWidth(i16 formWidth);

// Throws OverflowError if a value leaves the 16-bit range (only possible with
// a progressShown far outside 0..150).
Layout computeLayout(double outerWidthTwips, i16 progressShown);

} // namespace bw
