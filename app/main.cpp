// Creates the window and runs the event loop; closing the window ends the program.

#include "bell_player.h"
#include "form1.h"
#include "screen_saver_inhibitor.h"
#include "wall_clock.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("bellwarden");
    QApplication::setApplicationVersion(BELLWARDEN_VERSION);
    bw::WallClock clock;
    bw::BellPlayer bell;
    bw::ScreenSaverInhibitor screenSaver;
    bw::Form1 window(clock, bell);
    window.addActivityListener(&bell);
    window.addActivityListener(&screenSaver);
    window.show();
    return QApplication::exec();
}
