#include "pulse_stream.h"

#include "bell_stroke.h"
#include "sound_log.h"

#include <pulse/error.h>
#include <pulse/operation.h>

#include <utility>

namespace bw {

namespace {
using namespace std::chrono_literals;
constexpr int kRate = 48000;
constexpr pa_usec_t kQueuedUs = 80'000;  // silence queued ahead between strokes
constexpr pa_usec_t kRequestUs = 20'000; // the server asks for this much at a time
const pa_sample_spec kSpec{PA_SAMPLE_S16LE, kRate, 1};

std::string serverError(pa_stream* stream) {
    return pa_strerror(pa_context_errno(pa_stream_get_context(stream)));
}

std::int64_t bytesFor(std::chrono::steady_clock::duration wait) {
    const auto us = std::chrono::duration_cast<std::chrono::microseconds>(wait).count();
    return static_cast<std::int64_t>(pa_usec_to_bytes(static_cast<pa_usec_t>(us), &kSpec));
}
} // namespace

PulseStream::PulseStream(pa_mainloop_api* api, Handlers handlers)
    : api_(api), handlers_(std::move(handlers)), watch_(api, [this] { watch(); }),
      stroke_(synthesizeBellStroke(kRate)),
      strokeLength_(std::chrono::duration_cast<Clock::duration>(
          std::chrono::duration<double>(double(stroke_.size()) / kRate))),
      silence_(pa_usec_to_bytes(kQueuedUs, &kSpec) / sizeof(std::int16_t)) {}

void PulseStream::open(pa_context* context) {
    drop();
    stream_.reset(pa_stream_new(context, "Bell", &kSpec, nullptr));
    if (!stream_) return handlers_.failed(pa_strerror(pa_context_errno(context)));
    opened_ = Clock::now();
    pa_stream* s = stream_.get();
    pa_stream_set_state_callback(
        s,
        [](pa_stream*, void* self) {
            guarded([&] { static_cast<PulseStream*>(self)->stateChanged(); });
        },
        this);
    pa_stream_set_write_callback(
        s,
        [](pa_stream*, std::size_t bytes, void* self) {
            static_cast<PulseStream*>(self)->feedSilence(bytes);
        },
        this);
    pa_stream_set_started_callback(
        s,
        [](pa_stream*, void* self) {
            guarded([&] { static_cast<PulseStream*>(self)->started(); });
        },
        this);
    // An underrun (this program held up) stops the position for a moment.
    pa_stream_set_underflow_callback(
        s,
        [](pa_stream*, void* self) {
            static_cast<PulseStream*>(self)->judge_.underflow(Clock::now());
        },
        this);
    pa_buffer_attr attr;
    attr.maxlength = static_cast<std::uint32_t>(-1);
    attr.tlength = static_cast<std::uint32_t>(pa_usec_to_bytes(kQueuedUs, &kSpec));
    attr.prebuf = static_cast<std::uint32_t>(-1);
    attr.minreq = static_cast<std::uint32_t>(pa_usec_to_bytes(kRequestUs, &kSpec));
    attr.fragsize = static_cast<std::uint32_t>(-1);
    // No sink named: the server places the stream on its default sink of now.
    if (pa_stream_connect_playback(s, nullptr, &attr, PA_STREAM_ADJUST_LATENCY, nullptr, nullptr) <
        0) {
        const std::string why = pa_strerror(pa_context_errno(context));
        drop();
        handlers_.failed(why);
    }
}

void PulseStream::drop() {
    setPlaying(false);
    setFaltering(false);
    watch_.disarm();
    const int lost = stream_ ? judge_.unheard() : 0;
    judge_.reset(Clock::now());
    if (stream_) {
        pa_stream* s = stream_.get();
        pa_stream_set_state_callback(s, nullptr, nullptr);
        pa_stream_set_write_callback(s, nullptr, nullptr);
        pa_stream_set_started_callback(s, nullptr, nullptr);
        pa_stream_set_underflow_callback(s, nullptr, nullptr);
        pa_stream_disconnect(s);
        stream_.reset();
    }
    if (lost > 0) handlers_.lost(lost);
}

bool PulseStream::isReady() const {
    return stream_ && pa_stream_get_state(stream_.get()) == PA_STREAM_READY;
}

bool PulseStream::stuckCreating(Clock::duration limit) const {
    return stream_ && pa_stream_get_state(stream_.get()) == PA_STREAM_CREATING &&
           Clock::now() - opened_ > limit;
}

void PulseStream::stateChanged() {
    const pa_stream_state_t state = pa_stream_get_state(stream_.get());
    if (state == PA_STREAM_READY) {
        judge_.reset(Clock::now());
        const char* sink = pa_stream_get_device_name(stream_.get());
        qCDebug(soundLog) << "sound server: stream open on" << (sink ? sink : "an unknown sink");
        watch_.arm(PlaybackJudge::kPingEvery);
        handlers_.ready();
    } else if (state == PA_STREAM_FAILED) {
        const std::string why = serverError(stream_.get());
        drop();
        handlers_.failed(why);
    }
}

// Only a stream the server has begun to play counts as playing: a suspended
// sink, or a stream with no sink, never gets here.
void PulseStream::started() {
    judge_.started(Clock::now());
    setPlaying(true);
}

void PulseStream::setPlaying(bool playing) {
    if (std::exchange(playing_, playing) != playing) handlers_.playingChanged(playing);
}

void PulseStream::setFaltering(bool faltering) {
    if (std::exchange(faltering_, faltering) != faltering) handlers_.falteringChanged(faltering);
}

bool PulseStream::write(Clock::time_point asked) {
    if (!isReady()) return false;
    const auto now = Clock::now();
    const auto starts = judge_.startFor(now);
    // Until the server plays the stream (it was opened anew after the stroke
    // was taken), the stroke waits behind what is queued, so it is heard
    // whole, and a quiet after the stroke before it.
    const bool started = judge_.hasStarted();
    const auto after = starts > now ? bytesFor(kQuietBetweenStrokes) : 0;
    if (pa_stream_write(stream_.get(), stroke_.data(), stroke_.size() * sizeof(std::int16_t),
                        nullptr, started ? bytesFor(starts - now) : after,
                        started ? PA_SEEK_RELATIVE_ON_READ : PA_SEEK_RELATIVE) != 0)
        return false;
    lastStroke_ = now;
    if (now - asked > PlaybackJudge::kHeldUp)
        qCDebug(soundLog)
            << "sound server: stroke written"
            << std::chrono::duration_cast<std::chrono::milliseconds>(now - asked).count()
            << "ms after it was rung";
    judge_.handedOver(now, starts, strokeLength_);
    ping(); // its answer confirms the server has the stroke
    return true;
}

void PulseStream::feedSilence(std::size_t bytes) {
    while (bytes > 0 && stream_) {
        const std::size_t n = std::min(bytes, silence_.size() * sizeof(std::int16_t));
        if (pa_stream_write(stream_.get(), silence_.data(), n, nullptr, 0, PA_SEEK_RELATIVE) < 0)
            return;
        bytes -= n;
    }
}

void PulseStream::watch() {
    using Verdict = PlaybackJudge::Verdict;
    const auto due = watch_.due();
    watch_.arm(PlaybackJudge::kPingEvery); // first: nothing below can leave it unarmed
    const Verdict verdict = judge_.check(Clock::now(), due);
    switch (verdict) {
    case Verdict::HeldUp:
        return watch_.arm(10ms);
    case Verdict::NotAnswering:
        return handlers_.stopped("the sound server stopped taking sound");
    case Verdict::Stopped:
        return handlers_.stopped("the sound server stopped playing");
    case Verdict::NeverStarts:
        return handlers_.stopped("the sound server does not play");
    case Verdict::Faltering:
    case Verdict::Plays:
        setFaltering(verdict == Verdict::Faltering);
        break;
    }
    if (!judge_.awaitingAnswer()) ping();
}

void PulseStream::ping() {
    pa_operation* op = pa_stream_update_timing_info(
        stream_.get(),
        [](pa_stream* s, int, void* self) {
            guarded([&] { static_cast<PulseStream*>(self)->answered(s); });
        },
        this);
    if (!op) return;
    letGo(op);
    judge_.asked(Clock::now());
}

void PulseStream::answered(pa_stream* stream) {
    if (stream != stream_.get()) return;
    const pa_timing_info* timing = pa_stream_get_timing_info(stream);
    judge_.answered(timing && !timing->read_index_corrupt ? timing->read_index : -1);
}

} // namespace bw
