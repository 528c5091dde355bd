#pragma once
// The local time of day as 24-hour "HH:mm:ss" text: it changes exactly when
// the local second changes and fits the wall-clock label.

#include "window_elements.h"

#include <QTime>

namespace bw {

class WallClock : public TimeOfDay {
  public:
    std::string text() override { return QTime::currentTime().toString("HH:mm:ss").toStdString(); }
};

} // namespace bw
