#include "bell_player.h"

#include "sound_log.h"

#include <QApplication>

namespace bw {

BellPlayer::BellPlayer(std::unique_ptr<BellOutput> output, SystemBeep systemBeep, Notice notice)
    : notice_(std::move(notice)), output_(std::move(output)), systemBeep_(std::move(systemBeep)) {
    startCheck_.setSingleShot(true);
    startCheck_.setInterval(kStartCheckMs);
    QObject::connect(&startCheck_, &QTimer::timeout, &events_, [this] { checkAtStart(); });
    output_->onStrokesLost([this](int strokes) {
        QMetaObject::invokeMethod(
            &events_,
            [this, strokes] {
                for (int i = 0; i < strokes; ++i)
                    strokeLost();
            },
            Qt::QueuedConnection);
    });
}

// The output goes first, so no loss is reported to a player half gone.
BellPlayer::~BellPlayer() {
    output_.reset();
}

BellPlayer::SystemBeep BellPlayer::defaultSystemBeep() {
    return [] { QApplication::beep(); };
}

void BellPlayer::tell(const QString& summary, const QString& body, bool urgent) {
    qCWarning(soundLog).noquote() << body;
    if (notice_) notice_(summary, body, urgent);
}

void BellPlayer::tellFellBack() {
    tell("The bell cannot be heard",
         QString("no sound output (%1); bells use the system beep until it is back")
             .arg(QString::fromStdString(output_->problem())),
         true);
}

void BellPlayer::tellBack() {
    tell("The bell is heard again", "the sound output is back; bells ring again", false);
}

void BellPlayer::beep() {
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
    starting_ = running;
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
