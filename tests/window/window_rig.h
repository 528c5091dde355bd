#pragma once
// The real window with a scripted clock and a counting beeper, driven by
// firing its timer handler by hand.

#include "fakes.h"
#include "form1.h"

#include <QAbstractButton>
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <cstdio>

namespace bw::test {

struct WindowRig {
    ScriptedClock clock{10 * 3600};
    CountingBeeper beeper;
    Form1 form{clock, beeper};

    explicit WindowRig(bool show = true) {
        form.timer().stop(); // the test fires the timer in step with its clock
        if (show) {
            form.show();
            QApplication::processEvents();
        }
        form.onTimer();
    }
    template <class W = QWidget> W* get(const char* name) { return form.findChild<W*>(name); }
    QString text(const char* name) {
        if (auto* l = get<QLabel>(name)) return l->text();
        if (auto* b = get<QAbstractButton>(name)) return b->text();
        return get<QLineEdit>(name)->text();
    }
    QString readout() { return text("Dminutes") + ":" + text("Dseconds"); }
    void click(const char* name) { QTest::mouseClick(get<QAbstractButton>(name), Qt::LeftButton); }
    void step(int n = 1) {
        for (int i = 0; i < n; ++i) {
            ++clock.seconds;
            form.onTimer();
            form.onTimer(); // a second firing within the same second
        }
    }
    // The colour at a point given in logical pixels, whatever the device pixel ratio.
    QColor pixel(int x, int y) {
        const QImage shot = form.grab().toImage();
        const qreal dpr = shot.devicePixelRatio();
        return shot.pixelColor(int(x * dpr), int(y * dpr)).toRgb();
    }
};

} // namespace bw::test
