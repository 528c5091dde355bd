#include "message_log.h"
#include "readable_text.h"
#include "window_rig.h"

#include <QButtonGroup>
#include <QFontInfo>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

using namespace bw;
using namespace bw::test;

namespace {
const QColor kCyan(0, 255, 255), kGreen(127, 255, 127), kYellow(255, 255, 0), kRed(255, 0, 0);
// A point of the band that no text covers, and one of the bare window.
const QPoint kBandPoint(462, 80), kWindowPoint(472, 20);

QString family(QWidget* w) {
    return w->font().families().value(0);
}
} // namespace

TEST(Form1, CreationState) {
    WindowRig rig;
    Form1& f = rig.form;
    EXPECT_EQ(f.windowTitle(), "Bellwarden coded by Xal.Quorvenn");
    EXPECT_NEAR(f.scale().twips(f.width()), 7104, 15);
    EXPECT_NEAR(f.scale().twips(f.height()), 5016, 15);
    EXPECT_FALSE(f.windowIcon().isNull());
    EXPECT_EQ(family(&f), "Century");
    EXPECT_EQ(f.font().pointSizeF(), 9.0);

    EXPECT_EQ(rig.readout(), "15:00");
    EXPECT_EQ(rig.text("LabelDot"), ".");
    EXPECT_EQ(rig.text("LabelOver"), "OVER");
    EXPECT_EQ(rig.text("LabelPause"), "pause");
    EXPECT_EQ(rig.text("Label4"), "correct");
    EXPECT_EQ(rig.text("Label8"), "(Applied from Next)");
    EXPECT_EQ(rig.text("Label0"), "<S>");
    EXPECT_EQ(rig.get<QLabel>("Label0")->textFormat(), Qt::PlainText); // shown, not parsed
    EXPECT_EQ(rig.text("Version"), "Ver.2006-02");
    EXPECT_EQ(rig.text("Label5"), "10:00:00");
    EXPECT_EQ(rig.text("CBstend"), "Start");
    EXPECT_EQ(rig.text("CBpfwd"), "=> ");
    EXPECT_EQ(rig.text("TBmint1"), "10");
    EXPECT_EQ(rig.text("TBmint2"), "5");

    EXPECT_FALSE(rig.get("LabelOver")->isVisible());
    EXPECT_FALSE(rig.get("LabelPause")->isVisible());
    EXPECT_FALSE(rig.get("Label4")->isVisible());
    EXPECT_TRUE(rig.get("ProgBar")->isVisible());
    EXPECT_EQ(rig.get("ProgBar")->width(), 0);
    EXPECT_TRUE(rig.get("CBstend")->isEnabled());
    EXPECT_FALSE(rig.get("CBpause")->isEnabled());
    EXPECT_FALSE(rig.get("CBpback")->isEnabled());
    EXPECT_FALSE(rig.get("CBpfwd")->isEnabled());

    EXPECT_NE(rig.get<QGroupBox>("Frame1"), nullptr);
    EXPECT_EQ(rig.get<QLineEdit>("TBmint3")->parent(), rig.get("Frame1"));
    EXPECT_EQ(rig.get("CBpfwd")->parent(), rig.get("Frame2"));
    EXPECT_EQ(f.findChildren<QRadioButton*>("RBmode").size(), 2);
    EXPECT_EQ(f.findChildren<QWidget*>(QRegularExpression("^Line[1-8]$")).size(), 8);
    EXPECT_TRUE(f.findChildren<QRadioButton*>("RBmode")[0]->isChecked());

    EXPECT_EQ(family(rig.get("Dminutes")), "Century Gothic");
    EXPECT_EQ(rig.get("Dminutes")->font().pointSize(), 150);
    EXPECT_TRUE(rig.get("Dminutes")->font().bold());
    EXPECT_EQ(rig.get("Dseconds")->font().pointSize(), 120);
    EXPECT_EQ(family(rig.get("LabelOver")), "Arial Black");
    EXPECT_TRUE(rig.get("LabelOver")->font().italic());
    EXPECT_EQ(family(rig.get("Label5")), "Courier New");
    EXPECT_EQ(rig.get("CBpback")->font().pointSizeF(), 13.8);
    // A look-alike is installed for every design family.
    for (const char* name : {"Dminutes", "LabelDot", "LabelOver", "Label5"}) {
        const QString used = QFontInfo(rig.get(name)->font()).family();
        EXPECT_TRUE(rig.get(name)->font().families().contains(used))
            << name << " " << used.toStdString();
    }

    EXPECT_EQ(rig.get("Dminutes")->accessibleDescription(), "Minutes");
    EXPECT_TRUE(rig.get("Dminutes")->accessibleName().isEmpty()); // its text stays readable
    EXPECT_EQ(rig.get("ProgBar")->accessibleDescription(), "Progress");
    EXPECT_EQ(rig.get("CBinc5")->accessibleName(), "Five minutes more before the 1st bell");
    EXPECT_EQ(rig.get("TBmint3")->accessibleName(), "Minutes from the 2nd to the 3rd bell");
}

TEST(Form1, StackingPutsTextOverTheBandAndButtonsOverLabels) {
    WindowRig rig;
    const QObjectList& order = rig.form.children();
    auto at = [&](const char* name) { return order.indexOf(rig.get(name)); };
    const char* backToFront[] = {"ProgFrame", "ProgBack",   "Lbackground", "Dminutes",  "Dseconds",
                                 "LabelDot",  "LabelPause", "ProgBar",     "LabelOver", "CBstend"};
    for (size_t i = 1; i < std::size(backToFront); ++i)
        EXPECT_LT(at(backToFront[i - 1]), at(backToFront[i])) << backToFront[i];
    EXPECT_LT(at("LabelOver"), at("Frame1"));
}

TEST(Form1, ClicksReachTheirHandlers) {
    WindowRig rig;
    rig.click("CBinc1");
    EXPECT_EQ(rig.text("TBmint1"), "11");
    rig.click("CBinc5");
    EXPECT_EQ(rig.text("TBmint1"), "16");
    rig.click("CBdec5");
    rig.click("CBdec1");
    EXPECT_EQ(rig.text("TBmint1"), "10");
    rig.click("CBinc2");
    EXPECT_EQ(rig.text("TBmint2"), " 6");
    EXPECT_EQ(rig.readout(), "16:00");
    rig.click("CBdec2");
    rig.click("CBinc3");
    EXPECT_EQ(rig.text("TBmint3"), " 6");
    rig.click("CBdec3");
    EXPECT_EQ(rig.readout(), "15:00");

    QTest::mouseClick(rig.form.findChildren<QRadioButton*>("RBmode")[1], Qt::LeftButton);
    EXPECT_EQ(rig.readout(), "20:00");
    QTest::mouseClick(rig.form.findChildren<QRadioButton*>("RBmode")[0], Qt::LeftButton);
    EXPECT_EQ(rig.readout(), "15:00");

    rig.click("CBpause"); // disabled while ready
    EXPECT_EQ(rig.text("CBpause"), "Pause");
    rig.click("CBstend");
    EXPECT_EQ(rig.text("CBstend"), " End ");
    rig.step();
    EXPECT_EQ(rig.readout(), "14:59");
    rig.click("CBpause");
    EXPECT_EQ(rig.text("CBpause"), "Resume");
    EXPECT_TRUE(rig.get("LabelPause")->isVisible());
    EXPECT_TRUE(rig.get("Label4")->isVisible());
    rig.click("CBpback");
    EXPECT_EQ(rig.readout(), "15:00");
    rig.click("CBpfwd");
    rig.click("CBpfwd");
    EXPECT_EQ(rig.readout(), "14:40");
    rig.click("CBpause");
    EXPECT_FALSE(rig.get("LabelPause")->isVisible());
    rig.click("CBstend");
    EXPECT_EQ(rig.text("CBstend"), "Start");
    EXPECT_EQ(rig.readout(), "15:00");
}

TEST(Form1, ShortSessionThroughTheWindow) {
    WindowRig rig;
    rig.click("CBdec5");
    for (int i = 0; i < 4; ++i) {
        rig.click("CBdec2");
        rig.click("CBdec3");
    }
    EXPECT_EQ(rig.readout(), " 6:00"); // 5, 1, 1
    EXPECT_EQ(rig.pixel(kBandPoint.x(), kBandPoint.y()), kCyan);
    rig.click("CBstend");
    rig.step(5 * 60);
    EXPECT_EQ(rig.readout(), " 1:00");
    EXPECT_EQ(rig.pixel(kBandPoint.x(), kBandPoint.y()), kCyan);
    EXPECT_EQ(rig.beeper.beeps, 0);
    rig.step();
    EXPECT_EQ(rig.readout(), " 0:59");
    EXPECT_EQ(rig.pixel(kBandPoint.x(), kBandPoint.y()), kGreen);
    EXPECT_EQ(rig.beeper.beeps, 1);
    rig.step(60);
    EXPECT_EQ(rig.readout(), " 0:59"); // now the time to the 3rd bell
    EXPECT_EQ(rig.pixel(kBandPoint.x(), kBandPoint.y()), kYellow);
    EXPECT_EQ(rig.beeper.beeps, 2);
    const int barHalf = rig.get("ProgBar")->width();
    EXPECT_NEAR(barHalf, rig.get("ProgBack")->width() * 361 / 420, 2);
    rig.step(59);
    EXPECT_EQ(rig.readout(), " 0:00");
    EXPECT_EQ(rig.pixel(kWindowPoint.x(), kWindowPoint.y()),
              rig.form.palette().color(QPalette::Window));
    EXPECT_NE(rig.pixel(kWindowPoint.x(), kWindowPoint.y()), kRed);
    rig.step();
    EXPECT_EQ(rig.pixel(kWindowPoint.x(), kWindowPoint.y()), kRed);
    EXPECT_EQ(rig.pixel(kBandPoint.x(), kBandPoint.y()), kRed); // band is transparent
    EXPECT_TRUE(rig.get("LabelOver")->isVisible());
    EXPECT_FALSE(rig.get("ProgBar")->isVisible());
    rig.step(61);
    EXPECT_EQ(rig.readout(), " 1:01");
    EXPECT_EQ(rig.beeper.beeps, 1 + 2 + 3);
    rig.click("CBstend");
    EXPECT_EQ(rig.pixel(kBandPoint.x(), kBandPoint.y()), kCyan);
    EXPECT_NE(rig.pixel(kWindowPoint.x(), kWindowPoint.y()), kRed);
}

TEST(Form1, TabOrderFollowsTheDesignIndices) {
    WindowRig rig;
    QStringList order;
    QWidget* w = rig.get("CBstend");
    for (int i = 0; i < 17; ++i, w = w->nextInFocusChain()) {
        while (w->focusPolicy() == Qt::NoFocus)
            w = w->nextInFocusChain();
        order << w->objectName() +
                     (w->objectName() == "RBmode" ? w->property("index").toString() : "");
    }
    EXPECT_EQ(order.join(' ').toStdString(),
              "CBstend TBmint1 CBinc1 CBdec1 TBmint2 CBinc2 CBdec2 TBmint3 CBinc3 CBdec3 CBpause "
              "CBpback CBpfwd RBmode0 RBmode1 CBinc5 CBdec5");
    EXPECT_EQ(QApplication::focusWidget(), rig.get("CBstend"));
}

TEST(Form1, LayoutFollowsTheWidth) {
    WindowRig rig;
    const TwipsScale& s = rig.form.scale();
    struct Case {
        int twips, unit;
    };
    // Outer widths a pixel inside each band, since pixels are 15 twips.
    const int frame = rig.form.frameGeometry().width() - rig.form.width();
    for (Case c : {Case{7104, 15},
                   {9480, 15},
                   {9510, 20},
                   {11880, 20},
                   {11910, 25},
                   {15195, 25},
                   {15210, 32},
                   {18990, 32},
                   {19005, 40},
                   {32760, 40},
                   {60000, 40}}) {
        rig.form.resize(s.px(c.twips) - frame, rig.form.height());
        QApplication::processEvents();
        EXPECT_NEAR(rig.form.outerWidthTwips(), c.twips, 8);
        QApplication::processEvents();
        const i16 u = rig.form.session().state().unit;
        EXPECT_EQ(u, c.unit) << c.twips;
        EXPECT_EQ(rig.get("ProgFrame")->geometry(), s.rect(QRectF(6 * u, 3 * u, 462 * u, 72 * u)));
        EXPECT_EQ(rig.get("CBstend")->geometry(), s.rect(QRectF(408 * u, 282 * u, 60 * u, 30 * u)));
        EXPECT_EQ(rig.get("Frame1")->geometry().topLeft(),
                  QPoint(s.px(6 * u), s.px(300 * u - 660)));
        EXPECT_EQ(rig.get("Frame1")->width(), s.px(3720));
        EXPECT_EQ(rig.get("Dminutes")->font().pointSize(), 10 * u);
        EXPECT_EQ(rig.get("Dseconds")->font().pointSize(), 8 * u);
        EXPECT_EQ(rig.get("LabelPause")->font().pointSize(), 3 * u);
        EXPECT_EQ(rig.get("CBinc1")->geometry(), s.rect(QRectF(840, 480, 240, 240)));
    }
}

TEST(Form1, ProgressBarKeepsItsShareAcrossResizes) {
    WindowRig rig;
    rig.click("CBstend");
    rig.step(600); // half of the default session
    const TwipsScale& s = rig.form.scale();
    for (int twips : {7104, 12000, 20000, 7104}) {
        rig.form.resize(s.px(twips), rig.form.height());
        QApplication::processEvents();
        const int u = rig.form.session().state().unit;
        EXPECT_EQ(rig.get("ProgBar")->geometry(), s.rect(QRectF(12 * u, 9 * u, 225 * u, 60 * u)));
    }
}

TEST(Form1, EveryNameInTheTablesFindsItsControl) {
    WindowRig rig(false);
    EXPECT_TRUE(rig.form.unresolvedControlNames().isEmpty());
    rig.get("CBpause")->setObjectName("CBpuase"); // typos in the design
    rig.get("ProgBar")->setObjectName("Progbar");
    EXPECT_EQ(rig.form.unresolvedControlNames().join(",").toStdString(), "ProgBar,CBpause");
}

TEST(Form1, AWideWindowRaisesNoError) {
    WindowRig rig;
    MessageLog capture;
    rig.form.resize(rig.form.scale().px(40000), rig.form.height());
    QApplication::processEvents();
    EXPECT_EQ(capture.text(), "");
    EXPECT_EQ(rig.form.session().state().formWidth, 32767);
    EXPECT_EQ(rig.form.session().state().unit, 40);
}

TEST(Form1, AnErrorInAHandlerIsReportedOnceAndTheCountGoesOn) {
    WindowRig rig;
    rig.click("CBstend");
    rig.step(7);
    Session& session = rig.form.session();
    const SessionState& st = session.state();
    const i16 unit = st.unit;
    session.Resize(st.formWidth, 20000); // the next bar width cannot be formed
    MessageLog capture;
    rig.step(3);
    const std::string err = capture.text();
    EXPECT_EQ(err, "bellwarden: error in Timer_Timer: Overflow\n");
    EXPECT_EQ(rig.readout(), "14:50"); // every second still counted
    session.Resize(st.formWidth, unit);
    rig.step();
    EXPECT_EQ(rig.readout(), "14:49");
    EXPECT_EQ(rig.get("ProgBar")->width(),
              rig.form.scale().px(12 * unit + progBarWidth(unit, st.progressShown)) -
                  rig.form.scale().px(12 * unit));
}

TEST(Form1, TheRealTimerDrivesTheCount) {
    WindowRig rig;
    rig.form.timer().start();
    EXPECT_EQ(rig.form.timer().interval(), 50);
    EXPECT_EQ(rig.form.timer().timerType(), Qt::PreciseTimer);
    rig.click("CBstend");
    rig.clock.seconds += 1;
    EXPECT_TRUE(QTest::qWaitFor([&] { return rig.readout() == "14:59"; }, 1000));
    rig.clock.seconds += 1;
    EXPECT_TRUE(QTest::qWaitFor([&] { return rig.readout() == "14:58"; }, 1000));
    EXPECT_EQ(rig.text("Label5"), QString::fromStdString(rig.clock.text()));
}

namespace {
bool ink(const QImage& img, int x, int y) {
    return qGray(img.pixel(x, y)) < 60;
}

// Rows that carry ink, and whether the outermost rows and columns stay clear.
struct InkBox {
    int inkRows = 0;
    bool edgesClear = true;
};

InkBox inkOf(const QImage& img) {
    InkBox box;
    for (int y = 0; y < img.height(); ++y) {
        bool any = false;
        for (int x = 0; x < img.width(); ++x)
            any |= ink(img, x, y);
        box.inkRows += any;
    }
    for (int x = 0; x < img.width(); ++x)
        box.edgesClear &= !ink(img, x, 0) && !ink(img, x, img.height() - 1);
    for (int y = 0; y < img.height(); ++y)
        box.edgesClear &= !ink(img, 0, y) && !ink(img, img.width() - 1, y);
    return box;
}
} // namespace

TEST(Form1, DigitsFitTheirBoxesAtEveryUnit) {
    WindowRig rig;
    const TwipsScale& s = rig.form.scale();
    auto* minutes = rig.get<QLabel>("Dminutes");
    auto* seconds = rig.get<QLabel>("Dseconds");
    minutes->setText("88"); // the widest digits
    seconds->setText("88");
    for (int twips : {7104, 10000, 12000, 16000, 20000}) {
        rig.form.resize(s.px(twips), rig.form.height());
        QApplication::processEvents();
        for (QLabel* box : {minutes, seconds}) {
            const QImage shot = box->grab().toImage();
            const InkBox ink = inkOf(shot);
            EXPECT_TRUE(ink.edgesClear) << box->objectName().toStdString() << " at " << twips
                                        << " dpr " << shot.devicePixelRatio();
            EXPECT_GT(ink.inkRows, shot.height() / 2) << box->objectName().toStdString();
        }
    }
}

namespace {
class ActivityLog : public SessionActivity {
  public:
    std::vector<bool> running;
    std::vector<int> nextBeep;
    void sessionRunningChanged(bool r) override { running.push_back(r); }
    void nextBeepIn(int steps) override { nextBeep.push_back(steps); }
};
} // namespace

TEST(Form1, ListenersHearWhenASessionRunsAndWhenABellIsNear) {
    WindowRig rig;
    ActivityLog log;
    rig.form.addActivityListener(&log);
    rig.click("CBstend");
    EXPECT_EQ(log.running, std::vector<bool>{true});
    EXPECT_EQ(log.nextBeep, std::vector<int>{601});
    rig.step(3);
    EXPECT_EQ(log.nextBeep.back(), 598);
    rig.click("CBpause");
    EXPECT_EQ(log.nextBeep.back(), 598); // a resume may come at any moment
    EXPECT_EQ(log.running.size(), 1u);   // paused still runs
    for (int i = 0; i < 59; ++i)
        rig.click("CBpfwd"); // to ten seconds before the 1st bell, still paused
    EXPECT_EQ(log.nextBeep.back(), 11);
    EXPECT_EQ(rig.readout(), " 5:10");
    rig.click("CBstend");
    EXPECT_EQ(log.running, (std::vector<bool>{true, false}));
}

// A dark scheme's near-white text gives way to black on the bands; a light
// scheme's black stays. A dark face lightens the option circles; a light one
// leaves them as the scheme fills them.
TEST(ReadableText, DarkSchemesGiveWayOnlyWhereUnreadable) {
    EXPECT_EQ(textOnBands(QColor(238, 238, 236)), QColor(Qt::black));
    EXPECT_EQ(textOnBands(QColor(46, 52, 54)), QColor(Qt::black)); // 3.1:1 on the red
    EXPECT_EQ(textOnBands(QColor(Qt::black)), QColor(Qt::black));
    EXPECT_EQ(textOnBands(QColor(0, 0, 60)), QColor(0, 0, 60));
    for (QColor text : {QColor(Qt::white), QColor(Qt::black), QColor(90, 90, 90)})
        for (QColor band : {kCyan, kGreen, kYellow, kRed})
            EXPECT_GE(contrastRatio(textOnBands(text), band), 4.5);

    const QColor darkFace(53, 53, 53);
    const CircleColours dark = optionCircle(darkFace, {QColor(45, 45, 45), Qt::white});
    EXPECT_GE(contrastRatio(dark.fill, darkFace), 3.0);
    EXPECT_GE(contrastRatio(dark.fill, dark.mark), 3.0);
    const CircleColours light = optionCircle(QColor(239, 239, 239), {Qt::white, Qt::black});
    EXPECT_EQ(light.fill, QColor(Qt::white));
    EXPECT_EQ(light.mark, QColor(Qt::black));
}
