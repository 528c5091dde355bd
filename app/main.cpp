// Creates the desktop services and the window, wires them together and runs
// the event loop; closing the window ends the program.

#include "bell_player.h"
#include "desktop_notice.h"
#include "form1.h"
#include "screen_saver_inhibitor.h"
#include "wall_clock.h"
#include "window_log.h"

#include <QApplication>
#include <cstdlib>
#include <cstring>

namespace {
bool isSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

// Without a graphical session Qt would abort with a plugin error; say plainly
// what is wrong instead. A chosen platform (offscreen, say) needs no display.
bool hasDisplayOrPlatform(int argc, char** argv) {
    if (isSet("DISPLAY") || isSet("WAYLAND_DISPLAY") || isSet("QT_QPA_PLATFORM")) return true;
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            return true;
    return false;
}
} // namespace

int main(int argc, char** argv) {
    if (!hasDisplayOrPlatform(argc, argv)) {
        qCCritical(bw::windowLog,
                   "no graphical session found (neither DISPLAY nor WAYLAND_DISPLAY is "
                   "set); start it from a desktop session.");
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName("bellwarden");
    QApplication::setApplicationVersion(BELLWARDEN_VERSION);
    // The desktop entry's id: Wayland shells match the window to its menu
    // entry, name and icon by it.
    QGuiApplication::setDesktopFileName("org.bellwarden.bellwarden");
    bw::WallClock clock;
    bw::DesktopNotice notice;
    bw::BellPlayer bell(bw::makeBellOutput(), bw::BellPlayer::defaultSystemBeep(),
                        notice.handler());
    bw::ScreenSaverInhibitor screenSaver;
    bw::Form1 window(clock, bell);
    window.addActivityListener(&bell);
    window.addActivityListener(&screenSaver);
    window.show();
    screenSaver.watchWindow(window.windowHandle());
    return QApplication::exec();
}
