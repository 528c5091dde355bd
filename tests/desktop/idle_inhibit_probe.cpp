// A window that holds an idle inhibitor under Wayland, is hidden, and is
// shown again once the file named by its argument exists: the inhibitor must
// be let go with the hidden window and follow it to the surface it is shown
// with. Prints "hidden" and "held again" as it gets there, and stays up for
// the test to ask the compositor at each step.

#include "wayland_idle_inhibitor.h"

#include <QApplication>
#include <QFile>
#include <QTest>
#include <QWidget>
#include <cstdio>

namespace {
[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "idle inhibit probe: %s\n", what);
    std::exit(1);
}

void say(const char* step) {
    std::puts(step);
    std::fflush(stdout);
}
} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) fail("usage: idle_inhibit_probe SHOW_AGAIN_FILE");
    const QString showAgain = QString::fromLocal8Bit(argv[1]);
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
    say("hidden");
    if (!QTest::qWaitFor([&] { return QFile::exists(showAgain); }, 60000))
        fail("never told to show the window again");
    window.show();
    if (!QTest::qWaitFor([&] { return inhibitor.inhibiting(); }, 5000))
        fail("no inhibitor once the window was shown again");
    say("held again");
    return QApplication::exec();
}
