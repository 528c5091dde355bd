#pragma once
// The desktop's own beep, the fallback when no bell can be played.

#include "window_elements.h"

#include <QApplication>

namespace bw {

class SystemBeep : public Beeper {
  public:
    void beep() override { QApplication::beep(); }
};

} // namespace bw
