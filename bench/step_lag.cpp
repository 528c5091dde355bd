// Step lag: for each count step, how long after the local clock passed to a
// new second the count was noticed, and how long until the seconds readout
// was painted with it. Runs the real window on the real clock.
// Usage: step_lag SECONDS

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
#include <vector>

namespace {

class QuietBeeper : public bw::Beeper {
  public:
    void beep() override {}
};

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
    WatchedClock clock;
    QuietBeeper beeper;
    bw::Form1 form(clock, beeper);
    form.move(0, 420); // below the program under test, so it is painted
    form.show();
    PaintWatch watch(form.findChild<QLabel*>("Dseconds"), clock);
    // Start as a person would, once the window is up.
    QTimer::singleShot(2000, &form,
                       [&form] { form.findChild<QAbstractButton*>("CBstend")->click(); });
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
