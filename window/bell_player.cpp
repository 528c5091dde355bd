#include "bell_player.h"

#include <QApplication>
#include <QAudioDevice>
#include <QAudioSink>
#include <QMediaDevices>
#include <QTimer>
#include <cstdio>
#include <cstring>

namespace bw {

namespace {
constexpr int kPreferredRate = 48000;
constexpr int kBufferMs = 80; // what is queued ahead at most: bounds the bell's delay
constexpr int kFeedMs = 20;

QAudioFormat chooseFormat(const QAudioDevice& device) {
    QAudioFormat f;
    f.setSampleRate(kPreferredRate);
    f.setChannelCount(1);
    f.setSampleFormat(QAudioFormat::Int16);
    if (device.isFormatSupported(f)) return f;
    f = device.preferredFormat();
    QAudioFormat int16 = f;
    int16.setSampleFormat(QAudioFormat::Int16);
    if (device.isFormatSupported(int16)) return int16;
    f.setSampleFormat(QAudioFormat::Float);
    return f;
}
} // namespace

StrokeMixer::StrokeMixer(std::vector<std::int16_t> stroke, QAudioFormat format)
    : stroke_(std::move(stroke)), format_(format) {}

void StrokeMixer::ring(Clock::time_point when) {
    std::uint64_t start = produced_;
    // The strokes of one bell keep their one-second spacing even when the
    // output stalled under one of them; a bell minutes later starts at once.
    const auto recent = static_cast<std::uint64_t>(2 * format_.sampleRate());
    if (rungBefore_ && produced_ < lastStart_ + recent) {
        const double gap = std::chrono::duration<double>(when - lastRing_).count();
        const auto spacing = static_cast<std::uint64_t>(std::max(0.0, gap) * format_.sampleRate());
        start = std::max(start, lastStart_ + spacing);
    }
    voiceStarts_.push_back(start);
    lastStart_ = start;
    lastRing_ = when;
    rungBefore_ = true;
}

QByteArray StrokeMixer::next(std::size_t frames) {
    mono_.assign(frames, 0);
    const std::uint64_t end = produced_ + frames;
    for (std::uint64_t start : voiceStarts_) {
        if (start >= end) continue;
        const std::size_t into = start > produced_ ? std::size_t(start - produced_) : 0;
        const std::size_t offset = start > produced_ ? 0 : std::size_t(produced_ - start);
        mixSaturating(mono_.data() + into, frames - into, stroke_, offset);
    }
    produced_ = end;
    std::erase_if(voiceStarts_,
                  [this](std::uint64_t start) { return start + stroke_.size() <= produced_; });

    const int channels = format_.channelCount();
    const bool isFloat = format_.sampleFormat() == QAudioFormat::Float;
    QByteArray bytes(qsizetype(frames) * format_.bytesPerFrame(), Qt::Uninitialized);
    char* out = bytes.data();
    for (std::size_t i = 0; i < frames; ++i) {
        for (int c = 0; c < channels; ++c) {
            if (isFloat) {
                const float v = mono_[i] / 32768.0f;
                std::memcpy(out, &v, sizeof v);
                out += sizeof v;
            } else {
                std::memcpy(out, &mono_[i], sizeof mono_[i]);
                out += sizeof mono_[i];
            }
        }
    }
    return bytes;
}

BellPlayer::BellPlayer(QObject* parent) : QObject(parent) {
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) {
        fallBack("no sound output found");
        return;
    }
    format_ = chooseFormat(device);
    stroke_ = synthesizeBellStroke(format_.sampleRate());
}

BellPlayer::~BellPlayer() {
    closeOutput();
}

void BellPlayer::fallBack(const char* why) {
    if (!failed_) std::fprintf(stderr, "bellwarden: %s; bells use the system beep\n", why);
    failed_ = true;
}

void BellPlayer::openOutput() {
    if (failed_ || sink_) return;
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) return fallBack("no sound output found");
    mixer_ = std::make_unique<StrokeMixer>(stroke_, format_);
    sink_ = new QAudioSink(device, format_, this);
    sink_->setBufferSize(format_.bytesForDuration(kBufferMs * 1000));
    connect(sink_, &QAudioSink::stateChanged, this, [this](QAudio::State state) {
        if (sink_ && state == QAudio::StoppedState && sink_->error() != QAudio::NoError) {
            closeOutput();
            fallBack("the sound output failed");
        }
    });
    out_ = sink_->start();
    if (!out_ || sink_->error() != QAudio::NoError) {
        closeOutput();
        return fallBack("the sound output could not be opened");
    }
    feedTimer_ = new QTimer(this);
    feedTimer_->setTimerType(Qt::PreciseTimer);
    connect(feedTimer_, &QTimer::timeout, this, [this] { feed(); });
    feedTimer_->start(kFeedMs);
    feed();
}

void BellPlayer::feed() {
    if (!sink_ || !out_) return;
    const qsizetype frames = sink_->bytesFree() / format_.bytesPerFrame();
    if (frames <= 0) return;
    out_->write(mixer_->next(static_cast<std::size_t>(frames)));
}

void BellPlayer::closeOutput() {
    if (!sink_) return;
    QAudioSink* sink = sink_;
    sink_ = nullptr;
    out_ = nullptr;
    delete feedTimer_;
    feedTimer_ = nullptr;
    sink->disconnect(this);
    sink->stop();
    sink->deleteLater();
    mixer_.reset();
}

void BellPlayer::beep() {
    if (!failed_ && !sink_) openOutput();
    if (failed_ || !sink_) return QApplication::beep();
    mixer_->ring();
}

void BellPlayer::nextBeepIn(int steps) {
    // Waking a suspended device can take a second or two; open well before.
    constexpr int kOpenAhead = 15, kKeepWithin = 30;
    if (steps >= 0 && steps <= kOpenAhead) {
        keepOpen_ = true;
        openOutput();
    } else if (steps < 0 || steps > kKeepWithin) {
        keepOpen_ = false;
        closeWhenQuiet();
    }
}

void BellPlayer::closeWhenQuiet() {
    if (keepOpen_ || !sink_) return;
    if (mixer_->ringing()) {
        // Let the last stroke finish first.
        QTimer::singleShot(200, this, [this] { closeWhenQuiet(); });
        return;
    }
    closeOutput();
}

} // namespace bw
