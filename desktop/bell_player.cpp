#include "bell_player.h"

#include <QApplication>
#include <cstdio>

namespace bw {

BellPlayer::BellPlayer(std::unique_ptr<BellOutput> output, SystemBeep systemBeep)
    : output_(std::move(output)), systemBeep_(std::move(systemBeep)) {}

BellPlayer::SystemBeep BellPlayer::defaultSystemBeep() {
    return [] { QApplication::beep(); };
}

void BellPlayer::beep() {
    if (output_->ring()) {
        if (fellBack_)
            std::fprintf(stderr, "bellwarden: the sound output is back; bells ring again\n");
        fellBack_ = false;
        return;
    }
    if (!fellBack_)
        std::fprintf(
            stderr,
            "bellwarden: no sound output (%s); bells use the system beep until it is back\n",
            output_->problem().c_str());
    fellBack_ = true;
    systemBeep_();
    output_->keepReady(true); // try again for the strokes still to come
}

void BellPlayer::nextBeepIn(int steps) {
    // Waking a suspended device can take a second or two; be ready well before.
    constexpr int kReadyAhead = 15, kKeepWithin = 30;
    if (steps >= 0 && steps <= kReadyAhead)
        output_->keepReady(true);
    else if (steps < 0 || steps > kKeepWithin)
        output_->keepReady(false);
}

} // namespace bw
