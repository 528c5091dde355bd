// Every control of the window with its design properties, created back to
// front so that later controls are stacked above earlier ones. Each control
// carries its design tab index, from which the focus order is built.

#include "controls.h"
#include "fonts.h"
#include "form1.h"
#include "readable_text.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <tuple>

namespace bw {

namespace {

template <class W> W* tab(W* w, int index) {
    w->setProperty("tabIndex", index);
    return w;
}
template <class W> W* described(W* w, const char* description) {
    w->setAccessibleDescription(description);
    return w;
}
template <class W> W* named(W* w, const char* accessibleName) {
    w->setAccessibleName(accessibleName);
    return w;
}
template <class W> W* withFont(W* w, const QFont& f) {
    w->setFont(f);
    return w;
}

void buildFrame1(const ControlBuilder& b) {
    using fonts::courierNew;
    const std::tuple<const char*, const char*, int, int> labels[] = {{"Label0", "<S>", 0, 8},
                                                                     {"Label1", "<1>", 1080, 12},
                                                                     {"Label2", "<2>", 2160, 16},
                                                                     {"Label3", "<3>", 3240, 20}};
    for (auto [name, caption, left, index] : labels) {
        auto* l = b.label(name, caption, {double(left), 120, 492, 252}, Fill::Transparent,
                          Qt::AlignHCenter);
        tab(withFont(l, courierNew(12, true)), index);
    }
    b.line("Line1", {240, 360}, {240, 720});
    b.line("Line2", {240, 720}, {360, 720});
    b.line("Line3", {1320, 360}, {1320, 720});
    b.line("Line4", {1200, 720}, {1440, 720});
    b.line("Line5", {2400, 360}, {2400, 720});
    b.line("Line6", {2280, 720}, {2520, 720});
    b.line("Line7", {3480, 360}, {3480, 720});
    b.line("Line8", {3360, 720}, {3480, 720});

    // The interval settings: kind, name, caption, geometry, font (large or not),
    // accessible name and tab index.
    struct Setting {
        bool isBox;
        const char* name;
        const char* caption;
        QRectF twips;
        bool large;
        const char* accessibleName;
        int tabIndex;
    };
    // One setting a line reads better than the wrapped table.
    // clang-format off
    const Setting settings[] = {
        {true,  "TBmint1", "10", {480, 600, 372, 264},  false, "Minutes to the 1st bell",                      9},
        {false, "CBinc1",  "+",  {840, 480, 240, 240},  false, "One minute more before the 1st bell",          10},
        {false, "CBdec1",  "-",  {840, 720, 240, 240},  false, "One minute less before the 1st bell",          11},
        {true,  "TBmint2", "5",  {1560, 600, 372, 264}, false, "Minutes from the 1st to the 2nd bell",         13},
        {false, "CBinc2",  "+",  {1920, 480, 252, 252}, true,  "One minute more between the 1st and 2nd bell", 14},
        {false, "CBdec2",  "-",  {1920, 720, 252, 252}, true,  "One minute less between the 1st and 2nd bell", 15},
        {true,  "TBmint3", "5",  {2640, 600, 372, 264}, false, "Minutes from the 2nd to the 3rd bell",         17},
        {false, "CBinc3",  "+",  {3000, 480, 252, 252}, true,  "One minute more between the 2nd and 3rd bell", 18},
        {false, "CBdec3",  "-",  {3000, 720, 252, 252}, true,  "One minute less between the 2nd and 3rd bell", 19},
        {false, "CBinc5",  "+5", {684, 240, 396, 240},  false, "Five minutes more before the 1st bell",        32},
        {false, "CBdec5",  "-5", {684, 960, 396, 240},  false, "Five minutes less before the 1st bell",        33},
    };
    // clang-format on
    for (const Setting& c : settings) {
        const QFont font = courierNew(c.large ? 12 : 10.2, true);
        QWidget* w = c.isBox ? static_cast<QWidget*>(b.textBox(c.name, c.caption, c.twips, font))
                             : b.button(c.name, c.caption, c.twips, font);
        tab(named(w, c.accessibleName), c.tabIndex);
    }
}

void buildFrame2(const ControlBuilder& b) {
    using fonts::courierNew;
    auto* correct =
        b.label("Label4", "correct", {1170, 240, 960, 240}, Fill::Transparent, Qt::AlignHCenter);
    tab(withFont(correct, fonts::century(10.2)), 23)->hide();
    tab(b.button("CBpause", "Pause", {60, 360, 1080, 480}, fonts::century(10.2, true)), 22)
        ->setEnabled(false);
    tab(named(b.button("CBpback", "<=", {1170, 540, 480, 360}, courierNew(13.8, true)),
              "Correct 10 seconds back"),
        24)
        ->setEnabled(false);
    tab(named(b.button("CBpfwd", "=> ", {1650, 540, 480, 360}, courierNew(13.8, true)),
              "Correct 10 seconds forward"),
        25)
        ->setEnabled(false);
}

QButtonGroup* buildFrame3(const ControlBuilder& b) {
    tab(b.label("Label8", "(Applied from Next)", {120, 240, 1800, 240}, Fill::Opaque), 31);
    auto* group = new QButtonGroup(b.parent);
    group->setObjectName("RBmode");
    auto* modeA =
        b.option("RBmode", "Mode-A (Disp. Time to 2nd bell until 2nd bell)", {120, 480, 4200, 240});
    auto* modeB = b.option("RBmode", "Mode-B (Disp. Time to 3rd bell)", {120, 720, 4200, 240});
    tab(modeA, 29)->setProperty("index", 0);
    tab(modeB, 30)->setProperty("index", 1);
    modeA->setChecked(true);
    group->addButton(modeA, 0);
    group->addButton(modeB, 1);
    return group;
}

} // namespace

void Form1::buildDesign() {
    using namespace fonts;
    const ControlBuilder top{this, scale_};
    const auto opaque = Fill::Opaque;

    auto* progFrame = tab(top.label("ProgFrame", "", {90, 45, 6930, 1080}, opaque), 26);
    setOwnColour(progFrame, QPalette::Window, QColor(0, 96, 0));
    described(progFrame, "Progress frame");
    auto* progBack = tab(top.label("ProgBack", "", {180, 135, 6750, 900}, opaque), 27);
    setOwnColour(progBack, QPalette::Window, QColor(0, 0, 255));
    described(progBack, "Progress track");
    auto* band = tab(top.label("Lbackground", "", {90, 1125, 6930, 2880}, opaque), 4);
    setOwnColour(band, QPalette::Window, QColor(0, 255, 255));
    setOwnColour(band, QPalette::WindowText, windowText());
    described(band, "Phase band");

    auto* minutes = top.bigText("Dminutes", "00", {90, 720, 3420, 3420}, centuryGothic(150, true),
                                kCenturyGothicAscent, Qt::AlignRight);
    described(tab(minutes, 0), "Minutes");
    auto* seconds = top.bigText("Dseconds", "00", {4230, 1305, 2610, 2880},
                                centuryGothic(120, true), kCenturyGothicAscent, Qt::AlignHCenter);
    described(tab(seconds, 1), "Seconds");
    auto* dot = top.bigText("LabelDot", ".", {3150, 720, 1440, 3420}, century(150), kCenturyAscent,
                            Qt::AlignHCenter);
    tab(dot, 3);
    setOwnColour(dot, QPalette::Window, windowBackground());
    setOwnColour(dot, QPalette::WindowText, windowText());
    for (QLabel* onBand : {minutes, seconds, dot})
        setOwnColour(onBand, QPalette::WindowText,
                     textOnBands(onBand->palette().color(QPalette::WindowText)));
    auto* pause = top.bigText("LabelPause", "pause", {1800, 2115, 4050, 1350}, arialBlack(45),
                              kArialBlackAscent, Qt::AlignHCenter);
    described(tab(pause, 6), "Paused");
    setOwnColour(pause, QPalette::WindowText, buttonHighlight());
    pause->hide();
    described(top.shape("ProgBar", {180, 135, 1800, 900}, QColor(255, 0, 0)), "Progress");
    auto* over = top.bigText("LabelOver", "OVER", {1620, -45, 3870, 1530}, arialBlack(45),
                             kArialBlackAscent, Qt::AlignHCenter);
    described(tab(over, 5), "Over time");
    setOwnColour(over, QPalette::WindowText, textOnBands(buttonText())); // shown on the red window

    auto* clock =
        top.label("Label5", "00:00:00", {5970, 4770, 1200, 300}, opaque, Qt::AlignHCenter);
    described(tab(withFont(clock, courierNew(12, true)), 34), "Time of day");
    tab(withFont(top.label("Version", "Ver.2006-02", {5970, 5040, 1212, 252}, opaque),
                 century(10.2)),
        35);

    buildFrame1({tab(top.frame("Frame1", {90, 3840, 3720, 1260}), 7), scale_});
    buildFrame2({tab(top.frame("Frame2", {3810, 3840, 2200, 1080}), 21), scale_});
    modeGroup_ = buildFrame3({tab(top.frame("Frame3", {90, 5400, 4440, 1080}), 28), scale_});
    tab(top.button("CBstend", "Start", {6120, 4230, 900, 450}, century(12, true)), 2);
}

void Form1::setTabOrder() {
    QList<QWidget*> focusable;
    for (QWidget* w : findChildren<QWidget*>())
        if (w->property("tabIndex").isValid() && w->focusPolicy() != Qt::NoFocus) focusable << w;
    std::sort(focusable.begin(), focusable.end(), [](QWidget* a, QWidget* b) {
        return a->property("tabIndex").toInt() < b->property("tabIndex").toInt();
    });
    for (qsizetype i = 1; i < focusable.size(); ++i)
        QWidget::setTabOrder(focusable[i - 1], focusable[i]);
    if (!focusable.isEmpty()) focusable.first()->setFocus();
}

} // namespace bw
