#pragma once
// Suspends the X server's own screen saver (and, on servers that tie them,
// DPMS) while held, through the MIT-SCREEN-SAVER extension. A plain window
// manager has no screen-saver service on the bus, and the server would blank
// the screen after its timeout, however short the user has set it. The
// server lifts the suspend itself if this program's connection goes away.
// Does nothing unless the platform is X11 and the server has the extension.

struct _XDisplay;

namespace bw {

class X11ScreenSaverSuspend {
  public:
    X11ScreenSaverSuspend();
    ~X11ScreenSaverSuspend();
    X11ScreenSaverSuspend(const X11ScreenSaverSuspend&) = delete;
    X11ScreenSaverSuspend& operator=(const X11ScreenSaverSuspend&) = delete;

    void hold(bool suspended);
    bool holding() const { return held_; }

  private:
    _XDisplay* display_ = nullptr; // null where there is nothing to suspend
    bool held_ = false;
};

} // namespace bw
