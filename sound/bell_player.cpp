#include "bell_player.h"

#include "sound_log.h"

#include <QApplication>
#include <QWidget>

namespace bw {

BellPlayer::BellPlayer(std::unique_ptr<BellOutput> output, SystemBeep systemBeep, Notice notice)
    : notice_(std::move(notice)), output_(std::move(output)), systemBeep_(std::move(systemBeep)) {
    startCheck_.setSingleShot(true);
    startCheck_.setInterval(kStartCheckMs);
    QObject::connect(&startCheck_, &QTimer::timeout, &events_, [this] { checkAtStart(); });
    auto lost = [this](int strokes) {
        QMetaObject::invokeMethod(
            &events_,
            [this, strokes] {
                for (int i = 0; i < strokes; ++i)
                    strokeLost();
            },
            Qt::QueuedConnection);
    };
    auto changed = [this] {
        QMetaObject::invokeMethod(
            &events_, [this] { checkAudible(); }, Qt::QueuedConnection);
    };
    output_->onStrokesLost(lost, changed);
}

// The output goes first, so no loss is reported to a player half gone.
BellPlayer::~BellPlayer() {
    output_.reset();
}

// The system beep is silent on most desktops (and does nothing at all under
// Wayland), so the window also asks for attention, as desktop programs do.
BellPlayer::SystemBeep BellPlayer::defaultSystemBeep() {
    return [] {
        QApplication::beep();
        for (QWidget* window : QApplication::topLevelWidgets())
            if (window->isVisible()) QApplication::alert(window);
    };
}

void BellPlayer::tell(const QString& summary, const QString& body, bool urgent) {
    qCWarning(soundLog).noquote() << summary + ": " + body;
    if (notice_) notice_(summary, body, urgent);
}

void BellPlayer::tellFellBack() {
    tell("The bell cannot be heard",
         QString("Check that a sound device is connected and not muted. (No sound output: %1.)")
             .arg(QString::fromStdString(output_->problem())),
         true);
}

void BellPlayer::tellBack() {
    tell("The bell is heard again", "The sound output is back.", false);
}

// While a session runs and the output plays: the chair learns once that its
// sound would not be heard, and once that it would be again.
void BellPlayer::checkAudible() {
    if (!running_ || starting_ || !output_->playing()) return;
    const Inaudible now = output_->inaudible();
    if (now.what == toldInaudible_) return;
    if (now.what.empty()) {
        tell("The bell can be heard again", "The sound output is no longer muted or silent.",
             false);
    } else {
        QString what = QString::fromStdString(now.what);
        what[0] = what[0].toUpper();
        tell("The bell will not be heard",
             QString("%1. %2").arg(what, QString::fromStdString(now.remedy)), true);
    }
    toldInaudible_ = now.what;
}

void BellPlayer::beep() {
    // Stamped by the log's own clock, so a recording can be held against it.
    qCDebug(soundLog) << "stroke rung";
    if (!output_->ring()) return strokeLost();
    if (fellBack_) tellBack();
    fellBack_ = false;
}

void BellPlayer::strokeLost() {
    if (!fellBack_) tellFellBack();
    fellBack_ = true;
    systemBeep_();
    output_->keepReady(true); // try again for the strokes still to come
}

// A session starts: the outputs are opened at once, and shortly after the
// chair learns whether the bell can be heard, not at the first bell.
void BellPlayer::sessionRunningChanged(bool running) {
    running_ = running;
    starting_ = running;
    toldInaudible_.clear(); // each start tells anew
    if (!running) {
        startCheck_.stop();
        return applyReadiness();
    }
    output_->keepReady(true);
    startCheck_.start();
}

void BellPlayer::checkAtStart() {
    starting_ = false;
    const bool plays = output_->playing();
    if (!plays)
        tellFellBack();
    else if (fellBack_)
        tellBack();
    fellBack_ = !plays;
    checkAudible();
    applyReadiness();
}

void BellPlayer::nextBeepIn(int steps) {
    nextBeep_ = steps;
    applyReadiness();
}

void BellPlayer::applyReadiness() {
    if (starting_) return;
    // Waking a suspended device can take a second or two; be ready well before.
    constexpr int kReadyAhead = 15, kKeepWithin = 30;
    if (nextBeep_ >= 0 && nextBeep_ <= kReadyAhead)
        output_->keepReady(true);
    else if (nextBeep_ < 0 || nextBeep_ > kKeepWithin)
        output_->keepReady(false);
}

} // namespace bw
