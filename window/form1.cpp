// Start-up of the window and the wiring of its events to the session.

#include "form1.h"

#include "controls.h"
#include "fonts.h"
#include "layout.h"
#include "window_log.h"

#include <QButtonGroup>
#include <QIcon>
#include <QPushButton>
#include <QResizeEvent>

// The icons are compiled into this library; without a reference to them the
// linker would leave them out of the program.
static void loadIconResources() {
    Q_INIT_RESOURCE(resources);
}

namespace bw {

namespace {
// Each command button and the session handler its click runs.
struct Click {
    const char* control;
    void (Session::*handler)();
};
constexpr Click kClicks[] = {
    {"CBstend", &Session::CBstend_Click}, {"CBpause", &Session::CBpause_Click},
    {"CBpback", &Session::CBpback_Click}, {"CBpfwd", &Session::CBpfwd_Click},
    {"CBinc5", &Session::CBinc5_Click},   {"CBdec5", &Session::CBdec5_Click},
    {"CBinc1", &Session::CBinc1_Click},   {"CBdec1", &Session::CBdec1_Click},
    {"CBinc2", &Session::CBinc2_Click},   {"CBdec2", &Session::CBdec2_Click},
    {"CBinc3", &Session::CBinc3_Click},   {"CBdec3", &Session::CBdec3_Click},
};

QIcon programIcon() {
    loadIconResources();
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QString(":/bellwarden/icon-%1.png").arg(size), QSize(size, size));
    return icon;
}
} // namespace

Form1::Form1(TimeOfDay& clock, Beeper& beeper, QWidget* parent)
    : QWidget(parent), scale_(logicalDpiX()), elements_(scale_),
      session_(elements_, clock, beeper) {
    setObjectName("Form1");
    setWindowTitle("Bellwarden coded by Xal.Quorvenn");
    setWindowIcon(programIcon());
    setFont(fonts::century(9));
    setAutoFillBackground(true);
    setOwnColour(this, QPalette::Window, buttonFace());
    setOwnColour(this, QPalette::WindowText, buttonHighlight());
    resize(scale_.px(7104), scale_.px(5016));

    buildDesign();
    setTabOrder();
    elements_.bind(this);
    wireEvents();
    for (const QString& name : unresolvedControlNames())
        qCCritical(windowLog, "no control named %s", qPrintable(name));

    guarded("Form_Initialize", [this] { session_.Initialize(); });
    guarded("Form_Load", [this] { session_.Load(); });

    // The count follows the clock's seconds, so the timer only bounds how late
    // after a new second the display follows; it never stops.
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(50);
    connect(&timer_, &QTimer::timeout, this, &Form1::onTimer);
    timer_.start();
}

void Form1::onTimer() {
    guarded("Timer_Timer", [this] { session_.Tick(); });
}

double Form1::outerWidthTwips() const {
    return scale_.twips(frameGeometry().width());
}

void Form1::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    guarded("Form_Resize", [this] { applyLayout(); });
}

void Form1::applyLayout() {
    const Layout layout = computeLayout(outerWidthTwips(), session_.state().progressShown);
    session_.Resize(layout.formWidth, layout.unit);
    for (const LayoutRow& row : layout.rows) {
        auto* w = findChild<QWidget*>(row.control, Qt::FindDirectChildrenOnly);
        if (!w) throw std::runtime_error(std::string("no control named ") + row.control);
        QRectF g = twipsGeometry(w);
        if (row.left) g.moveLeft(*row.left);
        if (row.width) g.setWidth(*row.width);
        if (row.top) g.moveTop(*row.top);
        if (row.height) g.setHeight(*row.height);
        setTwipsGeometry(w, g, scale_);
        if (row.fontPoints) {
            QFont f = w->font();
            f.setPointSize(*row.fontPoints);
            w->setFont(f);
        }
    }
}

void Form1::wireEvents() {
    for (const Click& click : kClicks) {
        auto* button = findChild<QPushButton*>(click.control);
        if (!button) continue; // reported by the check of the names at start-up
        connect(button, &QPushButton::clicked, this, [this, click] {
            const std::string label = std::string(click.control) + "_Click";
            guarded(label.c_str(), [this, click] { (session_.*click.handler)(); });
        });
    }
    // On the change of choice rather than on a click: keys and the accessible
    // Toggle action change the choice without any click.
    connect(modeGroup_, &QButtonGroup::idToggled, this, [this](int index, bool checked) {
        if (!checked) return;
        guarded("RBmode_Click", [this, index] { session_.RBmode_Click(static_cast<i16>(index)); });
    });
}

QStringList Form1::unresolvedControlNames() const {
    QStringList names;
    auto need = [&](const char* name, QWidget* found) {
        if (!found && !names.contains(name)) names << name;
    };
    for (int i = 0; i < kElementCount; ++i)
        if (static_cast<Element>(i) != Element::Form1)
            need(kElementNames[i], findChild<QWidget*>(kElementNames[i]));
    for (const LayoutRow& row : computeLayout(outerWidthTwips(), 0).rows)
        need(row.control, findChild<QWidget*>(row.control, Qt::FindDirectChildrenOnly));
    for (const Click& click : kClicks)
        need(click.control, findChild<QPushButton*>(click.control));
    if (modeGroup_ == nullptr || modeGroup_->buttons().size() != 2) names << "RBmode";
    return names;
}

template <class F> void Form1::guarded(const char* handler, F&& body) noexcept {
    try {
        body();
    } catch (const std::exception& e) {
        report(handler, e.what());
    } catch (...) {
        report(handler, "unknown error");
    }
    notifyActivity();
}

void Form1::report(const char* handler, const char* what) noexcept {
    const std::string message = std::string(handler) + ": " + what;
    if (reported_.insert(message).second) qCWarning(windowLog, "error in %s", message.c_str());
}

void Form1::notifyActivity() noexcept {
    const bool running = session_.state().runState != RunState::Ready;
    const int nextBeep = session_.stepsToNextBeepOnResume();
    const bool runningChanged = running != running_, beepChanged = nextBeep != nextBeep_;
    if (!runningChanged && !beepChanged) return;
    running_ = running;
    nextBeep_ = nextBeep;
    for (SessionActivity* listener : listeners_) {
        try {
            if (runningChanged) listener->sessionRunningChanged(running);
            if (beepChanged) listener->nextBeepIn(nextBeep);
        } catch (const std::exception& e) {
            report("session activity", e.what());
        }
    }
}

} // namespace bw
