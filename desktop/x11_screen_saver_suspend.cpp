#include "x11_screen_saver_suspend.h"

#include "screen_log.h"

#include <QGuiApplication>
#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>

namespace bw {

namespace {
// The suspend request came with version 1.1 of the extension.
bool canSuspend(Display* display) {
    int event = 0, error = 0, major = 0, minor = 0;
    if (!XScreenSaverQueryExtension(display, &event, &error)) return false;
    if (!XScreenSaverQueryVersion(display, &major, &minor)) return false;
    return major > 1 || (major == 1 && minor >= 1);
}

Display* suspendableDisplay() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->display()) {
        qCDebug(screenLog) << "not on X11: the X screen saver is left alone";
        return nullptr;
    }
    if (!canSuspend(x11->display())) {
        qCDebug(screenLog) << "the X server cannot suspend its screen saver";
        return nullptr;
    }
    return x11->display();
}
} // namespace

X11ScreenSaverSuspend::X11ScreenSaverSuspend() : display_(suspendableDisplay()) {}

X11ScreenSaverSuspend::~X11ScreenSaverSuspend() {
    hold(false);
}

void X11ScreenSaverSuspend::hold(bool suspended) {
    // The server counts suspends per client: ask once each way.
    if (!display_ || suspended == held_) return;
    XScreenSaverSuspend(display_, suspended ? True : False);
    XFlush(display_);
    held_ = suspended;
    qCDebug(screenLog) << (suspended ? "X screen saver suspended" : "X screen saver resumed");
}

} // namespace bw
