#pragma once
// Asks the desktop not to blank the screen while a session runs, through the
// freedesktop ScreenSaver interface on the session bus. Calls never wait for
// an answer; with no bus or no such service nothing happens.

#include "session_activity.h"

#include <QObject>
#include <optional>

namespace bw {

class ScreenSaverInhibitor : public QObject, public SessionActivity {
  public:
    explicit ScreenSaverInhibitor(QObject* parent = nullptr);
    ~ScreenSaverInhibitor() override;

    void sessionRunningChanged(bool running) override;
    bool inhibiting() const { return cookie_.has_value(); }

  private:
    void inhibit();
    void release();

    bool wanted_ = false;
    bool pending_ = false; // an Inhibit call is on its way
    std::optional<uint> cookie_;
};

} // namespace bw
