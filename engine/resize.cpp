// The window's resize: the record keeps the width and the layout unit that
// the bar's later widths are formed from.

#include "session.h"

namespace bw {

void Session::Resize(i16 formWidth, i16 unit) {
    st_.formWidth = formWidth;
    st_.unit = unit;
}

} // namespace bw
