// Creates the window and runs the event loop; closing the window ends the program.

#include "form1.h"
#include "system_beep.h"
#include "wall_clock.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("bellwarden");
    QApplication::setApplicationVersion(BELLWARDEN_VERSION);
    bw::WallClock clock;
    bw::SystemBeep beep;
    bw::Form1 window(clock, beep);
    window.show();
    return QApplication::exec();
}
