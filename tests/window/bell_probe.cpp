// Drives the real bell player as a session would: opens the output as a
// session starts, waits, then rings groups of strokes one second apart.
// Usage: bell_probe [--silence SECONDS] GROUPS   (GROUPS like 1,2,3)
// Prints one line per request with its steady-clock time in milliseconds.

#include "bell_player.h"

#include <QApplication>
#include <QStringList>
#include <QTimer>
#include <chrono>
#include <cstdio>

namespace {
double nowMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}
} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    double silence = 1.0;
    if (args.size() >= 2 && args[0] == "--silence") {
        silence = args[1].toDouble();
        args = args.mid(2);
    }
    const QStringList groups = args.value(0, "1,2,3").split(',');

    bw::BellPlayer bell;
    bell.nextBeepIn(1); // a bell is due
    int at = static_cast<int>(silence * 1000);
    for (int g = 0; g < groups.size(); ++g) {
        for (int i = 0; i < groups[g].toInt(); ++i, at += 1000) {
            // Precise: a coarse timer may fire 5 % of `at` early or late,
            // which would move the requests themselves.
            QTimer::singleShot(at, Qt::PreciseTimer, &bell, [&bell, g, i] {
                std::printf("request %d %d %.1f\n", g, i, nowMs());
                std::fflush(stdout);
                bell.beep();
            });
        }
        at += 2000; // a clear gap between groups
    }
    QTimer::singleShot(at, Qt::PreciseTimer, &app, [&] {
        bell.nextBeepIn(-1);
        std::printf("system-beep %d\n", bell.usingSystemBeep() ? 1 : 0);
        QTimer::singleShot(800, &app, &QApplication::quit);
    });
    return QApplication::exec();
}
