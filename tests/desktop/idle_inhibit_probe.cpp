// A window that holds an idle inhibitor under Wayland and is hidden and shown
// again: Qt gives it a new surface, and the inhibitor must follow it, with
// none left on the old one. Prints "held again" once it does, then stays up
// for the test to ask the compositor whether it is honoured.

#include "wayland_idle_inhibitor.h"

#include <QApplication>
#include <QTest>
#include <QWidget>
#include <cstdio>

namespace {
[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "idle inhibit probe: %s\n", what);
    std::exit(1);
}
} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName("bellwarden-idle-probe");
    QWidget window;
    window.resize(320, 200);
    window.show();
    bw::WaylandIdleInhibitor inhibitor;
    inhibitor.watch(window.windowHandle());
    inhibitor.hold(true);
    if (!QTest::qWaitFor([&] { return inhibitor.inhibiting(); }, 5000))
        fail("no inhibitor on the shown window");
    window.hide();
    if (!QTest::qWaitFor([&] { return !inhibitor.inhibiting(); }, 2000))
        fail("the inhibitor stayed on the hidden window's surface");
    window.show();
    if (!QTest::qWaitFor([&] { return inhibitor.inhibiting(); }, 5000))
        fail("no inhibitor once the window was shown again");
    std::puts("held again");
    std::fflush(stdout);
    return QApplication::exec();
}
