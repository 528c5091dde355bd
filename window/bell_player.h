#pragma once
// Rings a synthesised bell stroke on the desktop's sound server for each beep
// request. From some seconds before a bell until its strokes have sounded the
// output is kept open and fed silence, so a sound server has woken its device
// in time and the bell is not late. The output is fed from the event loop a
// little at a time: only a few tens of milliseconds are ever queued, which
// bounds how late a stroke starts. With no sound output at all it falls back
// to the system beep.

#include "bell_stroke.h"
#include "session_activity.h"
#include "window_elements.h"

#include <QAudioFormat>
#include <QByteArray>
#include <QIODevice>
#include <QObject>
#include <chrono>
#include <memory>
#include <vector>

class QAudioSink;
class QTimer;

namespace bw {

// An endless stream of silence with the strokes rung so far mixed in. A
// stroke starts in the next frames handed out, but never closer to a stroke
// that started less than two seconds of sound before than the two requests
// were in time: if the output stalls (a sound server waking a suspended
// device, a busy machine), the strokes of a bell keep their spacing instead of
// running together, and the delay is not carried to a later bell.
class StrokeMixer {
  public:
    using Clock = std::chrono::steady_clock;
    StrokeMixer(std::vector<std::int16_t> stroke, QAudioFormat format);
    void ring(Clock::time_point when = Clock::now());
    bool ringing() const { return !voiceStarts_.empty(); }
    // The next `frames` frames of sound in the output format.
    QByteArray next(std::size_t frames);

  private:
    std::vector<std::int16_t> stroke_;
    QAudioFormat format_;
    std::uint64_t produced_ = 0;             // frames handed out so far
    std::vector<std::uint64_t> voiceStarts_; // stream frame at which each stroke starts
    std::uint64_t lastStart_ = 0;
    Clock::time_point lastRing_{};
    bool rungBefore_ = false;
    std::vector<std::int16_t> mono_;
};

class BellPlayer : public QObject, public Beeper, public SessionActivity {
  public:
    explicit BellPlayer(QObject* parent = nullptr);
    ~BellPlayer() override;

    void beep() override;
    // The output is opened a little ahead of each bell and closed once the
    // strokes have sounded, so between bells it costs nothing.
    void nextBeepIn(int steps) override;

    bool usingSystemBeep() const { return failed_; }
    // Opens the output now (normally done shortly before a bell).
    void openOutput();

  private:
    void closeOutput();
    void fallBack(const char* why);
    void closeWhenQuiet();
    void feed();

    std::vector<std::int16_t> stroke_;
    QAudioFormat format_;
    std::unique_ptr<StrokeMixer> mixer_;
    QAudioSink* sink_ = nullptr;
    QIODevice* out_ = nullptr;
    QTimer* feedTimer_ = nullptr;
    bool keepOpen_ = false; // a bell is near
    bool failed_ = false;
};

} // namespace bw
