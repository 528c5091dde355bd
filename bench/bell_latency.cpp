// Bell requests after 1 s and after 60 s of silence with the output kept
// ready, stamped on the steady clock for a recorder to compare with; and a
// mode that only idles, with the output open or closed, for measuring its CPU
// from outside.
// Usage: bell_latency latency SILENCE... | bell_latency idle open|closed SECONDS

#include "bell_player.h"

#include <QApplication>
#include <QTimer>
#include <chrono>
#include <cstdio>

namespace {

qint64 steadyNs() {
    using namespace std::chrono;
    return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
}

// Rings once after each silence, printing the steady-clock time of each request
// (the recording side stamps the sound on the same clock).
int latency(QApplication& app, const QStringList& silences) {
    bw::BellPlayer bell;
    bell.nextBeepIn(1); // a bell is due
    // A session has just started: give a suspended output time to wake, as
    // the minutes before a first bell always do.
    int at = 3000;
    for (const QString& s : silences) {
        at += static_cast<int>(s.toDouble() * 1000);
        // Precise, so each silence is as long as asked (a coarse timer may
        // fire 5 % of `at` early).
        QTimer::singleShot(at, Qt::PreciseTimer, &app, [&bell, s] {
            std::printf("request %s %lld\n", qPrintable(s), static_cast<long long>(steadyNs()));
            std::fflush(stdout);
            bell.beep();
        });
        at += 1000;
    }
    QTimer::singleShot(at, &app, &QApplication::quit);
    return QApplication::exec();
}

int idle(QApplication& app, bool open, int seconds) {
    bw::BellPlayer bell;
    if (open) bell.openOutput();
    QTimer::singleShot(seconds * 1000, &app, &QApplication::quit);
    return QApplication::exec();
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.value(0) == "idle")
        return idle(app, args.value(1) == "open", args.value(2, "30").toInt());
    return latency(app, args.size() > 1 ? args.mid(1) : QStringList{"1", "60"});
}
