// Drives the real bell player as a session would.
//   bell_probe [--silence SECONDS] GROUPS   (GROUPS like 1,2,3): opens the output
//     as a session starts, waits, then rings groups of strokes one second apart.
//   bell_probe -: reads commands from standard input, one a line:
//     "ready STEPS" tells the player how far off the next beep is,
//     "ring COUNT" rings COUNT strokes a second apart, "session 1" and
//     "session 0" start and end a session, "quit" ends.
// Prints one line per request with its steady-clock time in milliseconds and
// whether it went to the sound output or the system beep.

#include "bell_player.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QStringList>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {
double nowMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

void request(bw::BellPlayer& bell, int group, int index) {
    bell.beep();
    std::printf("request %d %d %.1f %s\n", group, index, nowMs(),
                bell.usingSystemBeep() ? "system" : "sound");
    std::fflush(stdout);
}

// Precise timers: a coarse one may fire 5 % of its delay early or late, which
// would move the requests themselves.
void ringLater(bw::BellPlayer& bell, int at, int group, int count) {
    for (int i = 0; i < count; ++i)
        QTimer::singleShot(at + 1000 * i, Qt::PreciseTimer, qApp,
                           [&bell, group, i] { request(bell, group, i); });
}

int scripted(QApplication& app, bw::BellPlayer& bell, double silence, const QStringList& groups) {
    bell.nextBeepIn(1); // a bell is due
    int at = static_cast<int>(silence * 1000);
    for (int g = 0; g < groups.size(); ++g) {
        ringLater(bell, at, g, groups[g].toInt());
        at += 1000 * groups[g].toInt() + 2000; // a clear gap between groups
    }
    QTimer::singleShot(at, Qt::PreciseTimer, &app, [&] {
        bell.nextBeepIn(-1);
        std::printf("system-beep %d\n", bell.usingSystemBeep() ? 1 : 0);
        QTimer::singleShot(800, &app, &QApplication::quit);
    });
    return QApplication::exec();
}

// Commands are read from the pipe as they come, whole lines at a time, so
// that none waits unseen in a buffer and none blocks the event loop.
int commanded(QApplication& app, bw::BellPlayer& bell) {
    int group = 0;
    std::string pending;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char chunk[256];
        const ssize_t got = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (got <= 0) return QApplication::quit();
        pending.append(chunk, static_cast<std::size_t>(got));
        for (std::size_t end; (end = pending.find('\n')) != std::string::npos;
             pending.erase(0, end + 1)) {
            std::istringstream line(pending.substr(0, end));
            std::string command;
            int value = 0;
            line >> command >> value;
            if (command == "quit") return QApplication::quit();
            if (command == "ready") bell.nextBeepIn(value);
            if (command == "ring") ringLater(bell, 0, group++, value);
            if (command == "session") bell.sessionRunningChanged(value != 0);
        }
    });
    return QApplication::exec();
}
} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    bw::BellPlayer bell;
    if (args.value(0) == "-") return commanded(app, bell);
    double silence = 1.0;
    if (args.size() >= 2 && args[0] == "--silence") {
        silence = args[1].toDouble();
        args = args.mid(2);
    }
    return scripted(app, bell, silence, args.value(0, "1,2,3").split(','));
}
