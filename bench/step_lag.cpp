// Step lag: for each count step, how long after the local clock passed to a
// new second the count was noticed, and how long until the seconds readout
// was painted with it. Runs the real window on the real clock.
// Usage: step_lag SECONDS [--bell]
//   --bell: the real bell player, a 1st bell about a minute in, so that the sound
//   output is kept ready and rung; run it with no sound server reachable to
//   see that a dead server never holds up a count step.

#include "bell_player.h"
#include "desktop_notice.h"
#include "fakes.h"
#include "form1.h"
#include "wall_clock.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDateTime>
#include <QEvent>
#include <QLabel>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

qint64 nowMs() {
    return QDateTime::currentMSecsSinceEpoch();
}

// The wall clock, noting when its text changes.
class WatchedClock : public bw::TimeOfDay {
  public:
    std::string text() override {
        std::string t = clock_.text();
        if (t != last_) {
            last_ = t;
            changedAt = nowMs();
        }
        return t;
    }
    qint64 changedAt = 0;

  private:
    bw::WallClock clock_;
    std::string last_;
};

class PaintWatch : public QObject {
  public:
    PaintWatch(QLabel* seconds, WatchedClock& clock) : seconds_(seconds), clock_(clock) {
        seconds->installEventFilter(this);
    }
    std::vector<double> noticed, painted;

  protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint && seconds_->text() != lastText_) {
            lastText_ = seconds_->text();
            const qint64 boundary = clock_.changedAt - clock_.changedAt % 1000;
            noticed.push_back(double(clock_.changedAt - boundary));
            painted.push_back(double(nowMs() - boundary));
        }
        return false;
    }

  private:
    QLabel* seconds_;
    WatchedClock& clock_;
    QString lastText_;
};

void report(const char* what, std::vector<double> v) {
    if (v.empty()) return;
    const auto worst = std::max_element(v.begin(), v.end()) - v.begin();
    std::sort(v.begin(), v.end());
    const auto at = [&](double q) {
        return v[std::min(v.size() - 1, size_t(q * double(v.size())))];
    };
    std::printf("%-34s n=%zu median=%.1f ms p99=%.1f ms max=%.1f ms (step %td)\n", what, v.size(),
                at(0.5), at(0.99), v.back(), worst + 2);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 130;
    const bool realBell = argc > 2 && std::string(argv[2]) == "--bell";
    WatchedClock clock;
    bw::test::CountingBeeper quiet;
    bw::DesktopNotice notice; // as the program has it
    bw::BellPlayer bell(bw::makeBellOutput(), bw::BellPlayer::defaultSystemBeep(),
                        notice.handler());
    bw::Form1 form(clock, realBell ? static_cast<bw::Beeper&>(bell) : quiet);
    if (realBell) form.addActivityListener(&bell);
    form.move(0, 420); // below the program under test, so it is painted
    form.show();
    PaintWatch watch(form.findChild<QLabel*>("Dseconds"), clock);
    // Start as a person would, once the window is up.
    auto click = [&form](const char* name) { form.findChild<QAbstractButton*>(name)->click(); };
    QTimer::singleShot(2000, &form, [click] { click("CBstend"); });
    // With the bell: 54 steps of 10 s ahead at once, so the 1st bell (10
    // minutes in) comes a minute after the start.
    if (realBell)
        QTimer::singleShot(2300, &form, [click] {
            click("CBpause");
            for (int i = 0; i < 54; ++i)
                click("CBpfwd");
            click("CBpause");
        });
    QTimer::singleShot((seconds + 2) * 1000, &app, &QApplication::quit);
    QApplication::exec();
    // The first step is discarded: Start did not fall on a second.
    if (!watch.noticed.empty()) {
        watch.noticed.erase(watch.noticed.begin());
        watch.painted.erase(watch.painted.begin());
    }
    report("step lag, count step taken:", watch.noticed);
    report("step lag, seconds readout painted:", watch.painted);
    return 0;
}
