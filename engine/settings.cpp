// The three bell intervals and the display mode. Changes re-arm the session
// at once only while ready; otherwise they wait for the next re-arm.

#include "session.h"

#include <algorithm>

namespace bw {

namespace {
constexpr i16 kMint1Low = 5, kMint1High = 90;
constexpr i16 kGapLow = 1, kGapHigh = 30;
} // namespace

void Session::changeInterval(i16& interval, Element box, i16 step, i16 low, i16 high) {
    // A minus button checks only the lower bound, a plus button only the upper.
    const i16 moved = add(interval, step);
    interval = step < 0 ? std::max(moved, low) : std::min(moved, high);
    ui_.setCaption(box, lastTwoWithSign(interval));
    if (st_.runState == RunState::Ready) ResetSession();
}

void Session::CBinc5_Click() {
    changeInterval(st_.mint1, Element::TBmint1, 5, kMint1Low, kMint1High);
}
void Session::CBdec5_Click() {
    changeInterval(st_.mint1, Element::TBmint1, -5, kMint1Low, kMint1High);
}
void Session::CBinc1_Click() {
    changeInterval(st_.mint1, Element::TBmint1, 1, kMint1Low, kMint1High);
}
void Session::CBdec1_Click() {
    changeInterval(st_.mint1, Element::TBmint1, -1, kMint1Low, kMint1High);
}
void Session::CBinc2_Click() {
    changeInterval(st_.mint2, Element::TBmint2, 1, kGapLow, kGapHigh);
}
void Session::CBdec2_Click() {
    changeInterval(st_.mint2, Element::TBmint2, -1, kGapLow, kGapHigh);
}
void Session::CBinc3_Click() {
    changeInterval(st_.mint3, Element::TBmint3, 1, kGapLow, kGapHigh);
}
void Session::CBdec3_Click() {
    changeInterval(st_.mint3, Element::TBmint3, -1, kGapLow, kGapHigh);
}

void Session::RBmode_Click(i16 index) {
    // Only the two option buttons exist; any other index is ignored.
    if (index != 0 && index != 1) return;
    st_.modeSel = index;
    if (st_.runState == RunState::Ready) ResetSession();
}

} // namespace bw
