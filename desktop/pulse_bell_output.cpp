// The bell's output through the PulseAudio protocol, which PipeWire's pulse
// server speaks too. The connection runs on libpulse's own thread and every
// call to the server is asynchronous, so a dead, hung or slow server never
// holds up the window. Nothing is decided once: while the output is wanted a
// supervisor checks on it twice a second and starts again from scratch after
// any failure, so a server that comes up late or restarts is used again.
//
// Each stroke is handed to the server whole, from the point it is playing
// now, so a stall of this program cannot cut it. The stream is fed silence
// between strokes, which keeps the device awake. While the output is in use
// the server is asked for its timing every 50 ms; one that has not answered
// within 150 ms has stopped taking sound, and the strokes it has not
// confirmed are reported lost.

#include "bell_output.h"
#include "bell_stroke.h"

#include <pulse/pulseaudio.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <mutex>

namespace bw {

namespace {
constexpr int kRate = 48000;
constexpr pa_usec_t kQueuedUs = 80'000;  // silence queued ahead between strokes
constexpr pa_usec_t kRequestUs = 20'000; // the server asks for this much at a time
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;
constexpr auto kSuperviseEvery = 500ms;
constexpr auto kConnectTimeout = 3s;
constexpr auto kPingEvery = 50ms;
constexpr auto kAnswerWithin = 150ms;
// A check that runs this late means this program itself was held up; the
// server's answers may be waiting unread, so they are read before judging.
constexpr auto kHeldUp = 40ms;
// Quiet left between two strokes however soon the second is asked for, so
// that they are heard as two.
constexpr auto kMinQuiet = 200ms;

const pa_sample_spec kSpec{PA_SAMPLE_S16LE, kRate, 1};

struct Stroke {
    Clock::time_point written, starts, ends;
};

class PulseBellOutput final : public BellOutput {
  public:
    PulseBellOutput();
    ~PulseBellOutput() override;
    void keepReady(bool wanted) override;
    bool ring() override;
    bool playing() const override { return streaming_; }
    std::string problem() const override;

  private:
    // These run on the loop's thread, or with its lock held.
    void supervise();
    void checkConnection();
    void connect();
    void disconnect();
    void reconnect(const std::string& why);
    void openStream();
    void dropStream();
    void streamReady();
    void feedSilence(std::size_t bytes);
    void followDefaultSink(const char* defaultSink);
    bool strokesSounding() const;
    void setProblem(const std::string& why);
    void watch();
    void scheduleWatch(Clock::duration in);
    template <void (PulseBellOutput::*Handler)()>
    void arm(pa_time_event*& event, Clock::duration in);
    void ping();
    void answered(pa_stream* stream);
    void serverStalled();

    pa_threaded_mainloop* loop_ = nullptr;
    pa_mainloop_api* api_ = nullptr;
    pa_time_event* supervisor_ = nullptr;
    pa_time_event* watcher_ = nullptr;
    pa_context* context_ = nullptr;
    pa_stream* stream_ = nullptr;
    Clock::time_point connectStarted_;
    Clock::time_point watchDue_;
    bool wanted_ = false;
    bool defaultMoved_ = false; // the default sink is no longer the stream's
    bool started_ = false;      // the server has begun to play the stream

    const std::vector<std::int16_t> stroke_ = synthesizeBellStroke(kRate);
    const Clock::duration strokeLength_ = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(double(stroke_.size()) / kRate));
    const std::vector<std::int16_t> silence_ =
        std::vector<std::int16_t>(pa_usec_to_bytes(kQueuedUs, &kSpec) / sizeof(std::int16_t));
    std::deque<Stroke> strokes_;          // written and not yet over
    std::deque<Clock::time_point> pings_; // asked and not yet answered
    Clock::time_point lastAnswered_{};    // when the last answered ping was asked
    bool closing_ = false;
    std::atomic<bool> streaming_{false};
    mutable std::mutex problemMutex_;
    std::string problem_ = "not connected yet";
};

PulseBellOutput::PulseBellOutput() {
    loop_ = pa_threaded_mainloop_new();
    api_ = pa_threaded_mainloop_get_api(loop_);
    pa_threaded_mainloop_set_name(loop_, "bell output");
    if (pa_threaded_mainloop_start(loop_) < 0) setProblem("no thread for the sound output");
}

PulseBellOutput::~PulseBellOutput() {
    pa_threaded_mainloop_lock(loop_);
    wanted_ = false;
    closing_ = true;
    disconnect();
    if (supervisor_) api_->time_free(supervisor_);
    supervisor_ = nullptr;
    pa_threaded_mainloop_unlock(loop_);
    pa_threaded_mainloop_stop(loop_);
    pa_threaded_mainloop_free(loop_);
}

void PulseBellOutput::keepReady(bool wanted) {
    pa_threaded_mainloop_lock(loop_);
    const bool changed = wanted != wanted_;
    wanted_ = wanted;
    if (changed) supervise();
    pa_threaded_mainloop_unlock(loop_);
}

// The loop's lock is only ever held for the moment a callback runs; no call
// made under it waits on the server.
bool PulseBellOutput::ring() {
    if (!streaming_) return false;
    pa_threaded_mainloop_lock(loop_);
    bool taken = false;
    if (stream_ && pa_stream_get_state(stream_) == PA_STREAM_READY) {
        const auto now = Clock::now();
        const auto starts =
            strokes_.empty() ? now : std::max(now, strokes_.back().ends + kMinQuiet);
        const auto wait = std::chrono::duration_cast<std::chrono::microseconds>(starts - now);
        const auto offset = static_cast<std::int64_t>(
            pa_usec_to_bytes(static_cast<pa_usec_t>(wait.count()), &kSpec));
        // Until the server plays the stream (a suspended device still waking),
        // the stroke waits behind the silence queued, so it is heard whole.
        taken = pa_stream_write(stream_, stroke_.data(), stroke_.size() * sizeof(std::int16_t),
                                nullptr, started_ ? offset : 0,
                                started_ ? PA_SEEK_RELATIVE_ON_READ : PA_SEEK_RELATIVE) == 0;
        if (taken) {
            strokes_.push_back({now, starts, starts + strokeLength_});
            ping(); // its answer confirms the server has the stroke
        }
    }
    pa_threaded_mainloop_unlock(loop_);
    return taken;
}

std::string PulseBellOutput::problem() const {
    std::lock_guard lock(problemMutex_);
    return problem_;
}

void PulseBellOutput::setProblem(const std::string& why) {
    std::lock_guard lock(problemMutex_);
    problem_ = why;
}

bool PulseBellOutput::strokesSounding() const {
    return !strokes_.empty() && strokes_.back().ends > Clock::now();
}

void PulseBellOutput::supervise() {
    if (!wanted_ && !strokesSounding()) {
        disconnect(); // between bells the output costs nothing
        if (supervisor_) api_->time_restart(supervisor_, nullptr);
        return;
    }
    checkConnection();
    arm<&PulseBellOutput::supervise>(supervisor_, kSuperviseEvery);
}

void PulseBellOutput::checkConnection() {
    if (!context_) return connect();
    switch (pa_context_get_state(context_)) {
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        disconnect();
        return connect();
    case PA_CONTEXT_READY:
        break;
    default:
        if (Clock::now() - connectStarted_ > kConnectTimeout)
            reconnect("the sound server does not answer");
        return;
    }
    const pa_stream_state_t state = stream_ ? pa_stream_get_state(stream_) : PA_STREAM_FAILED;
    if (state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED ||
        (defaultMoved_ && !strokesSounding()))
        return openStream();
}

void PulseBellOutput::connect() {
    context_ = pa_context_new(api_, "Bellwarden");
    connectStarted_ = Clock::now();
    pa_context_set_state_callback(
        context_,
        [](pa_context* c, void* p) {
            auto* self = static_cast<PulseBellOutput*>(p);
            const pa_context_state_t state = pa_context_get_state(c);
            if (state == PA_CONTEXT_READY) {
                pa_operation_unref(
                    pa_context_subscribe(c, PA_SUBSCRIPTION_MASK_SERVER, nullptr, nullptr));
                self->openStream();
            } else if (state == PA_CONTEXT_FAILED) {
                self->setProblem(std::string("no sound server can be reached: ") +
                                 pa_strerror(pa_context_errno(c)));
                self->dropStream();
            }
        },
        this);
    // The default sink may change: a device plugged in, or the user's choice.
    pa_context_set_subscribe_callback(
        context_,
        [](pa_context* c, pa_subscription_event_type_t, uint32_t, void* p) {
            pa_operation_unref(pa_context_get_server_info(
                c,
                [](pa_context*, const pa_server_info* info, void* self) {
                    if (info)
                        static_cast<PulseBellOutput*>(self)->followDefaultSink(
                            info->default_sink_name);
                },
                p));
        },
        this);
    // No autospawn: a desktop starts its own server, and a stray one would not
    // reach the user's speakers.
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        setProblem(std::string("no sound server can be reached: ") +
                   pa_strerror(pa_context_errno(context_)));
}

void PulseBellOutput::disconnect() {
    dropStream();
    if (!context_) return;
    pa_context_set_state_callback(context_, nullptr, nullptr);
    pa_context_set_subscribe_callback(context_, nullptr, nullptr);
    pa_context_disconnect(context_);
    pa_context_unref(context_);
    context_ = nullptr;
}

void PulseBellOutput::reconnect(const std::string& why) {
    setProblem(why);
    disconnect();
    connect();
}

void PulseBellOutput::openStream() {
    dropStream();
    defaultMoved_ = false;
    stream_ = pa_stream_new(context_, "Bell", &kSpec, nullptr);
    if (!stream_) return setProblem(pa_strerror(pa_context_errno(context_)));
    pa_stream_set_state_callback(
        stream_,
        [](pa_stream* s, void* p) {
            auto* self = static_cast<PulseBellOutput*>(p);
            if (s != self->stream_) return;
            const pa_stream_state_t state = pa_stream_get_state(s);
            if (state == PA_STREAM_READY) self->streamReady();
            if (state == PA_STREAM_FAILED) {
                self->setProblem(pa_strerror(pa_context_errno(pa_stream_get_context(s))));
                self->dropStream();
            }
        },
        this);
    pa_stream_set_write_callback(
        stream_,
        [](pa_stream*, std::size_t bytes, void* p) {
            static_cast<PulseBellOutput*>(p)->feedSilence(bytes);
        },
        this);
    pa_stream_set_started_callback(
        stream_, [](pa_stream*, void* p) { static_cast<PulseBellOutput*>(p)->started_ = true; },
        this);
    pa_buffer_attr attr;
    attr.maxlength = static_cast<std::uint32_t>(-1);
    attr.tlength = static_cast<std::uint32_t>(pa_usec_to_bytes(kQueuedUs, &kSpec));
    attr.prebuf = static_cast<std::uint32_t>(-1);
    attr.minreq = static_cast<std::uint32_t>(pa_usec_to_bytes(kRequestUs, &kSpec));
    attr.fragsize = static_cast<std::uint32_t>(-1);
    // No sink named: the server places the stream on its default sink of now.
    if (pa_stream_connect_playback(stream_, nullptr, &attr, PA_STREAM_ADJUST_LATENCY, nullptr,
                                   nullptr) < 0)
        setProblem(pa_strerror(pa_context_errno(context_)));
}

void PulseBellOutput::streamReady() {
    streaming_ = true;
    scheduleWatch(kPingEvery);
}

// Strokes the server had not confirmed, or had not begun to play, when the
// stream went away are reported lost: nothing taken is dropped silently.
void PulseBellOutput::dropStream() {
    streaming_ = false;
    started_ = false;
    if (watcher_) api_->time_free(watcher_);
    watcher_ = nullptr;
    const auto now = Clock::now();
    int lost = 0;
    for (const Stroke& s : strokes_)
        if (s.written > lastAnswered_ || s.starts > now) ++lost;
    strokes_.clear();
    pings_.clear();
    if (stream_) {
        pa_stream_set_state_callback(stream_, nullptr, nullptr);
        pa_stream_set_write_callback(stream_, nullptr, nullptr);
        pa_stream_set_started_callback(stream_, nullptr, nullptr);
        pa_stream_disconnect(stream_);
        pa_stream_unref(stream_);
        stream_ = nullptr;
    }
    if (!closing_) reportLost(lost);
}

void PulseBellOutput::feedSilence(std::size_t bytes) {
    while (bytes > 0 && stream_) {
        const std::size_t n = std::min(bytes, silence_.size() * sizeof(std::int16_t));
        if (pa_stream_write(stream_, silence_.data(), n, nullptr, 0, PA_SEEK_RELATIVE) < 0) return;
        bytes -= n;
    }
}

// Arms (or re-arms) a timer of the loop that runs Handler once, `in` from now.
template <void (PulseBellOutput::*Handler)()>
void PulseBellOutput::arm(pa_time_event*& event, Clock::duration in) {
    timeval at;
    pa_timeval_add(pa_gettimeofday(&at),
                   pa_usec_t(std::chrono::duration_cast<std::chrono::microseconds>(in).count()));
    if (event) return api_->time_restart(event, &at);
    event = api_->time_new(
        api_, &at,
        [](pa_mainloop_api*, pa_time_event*, const timeval*, void* self) {
            (static_cast<PulseBellOutput*>(self)->*Handler)();
        },
        this);
}

void PulseBellOutput::scheduleWatch(Clock::duration in) {
    watchDue_ = Clock::now() + in;
    arm<&PulseBellOutput::watch>(watcher_, in);
}

void PulseBellOutput::watch() {
    const auto now = Clock::now();
    if (now - watchDue_ > kHeldUp) return scheduleWatch(10ms);
    if (!pings_.empty() && now - pings_.front() > kAnswerWithin) return serverStalled();
    // A stroke is kept while it is unconfirmed or may still space the next one.
    while (!strokes_.empty() && strokes_.front().ends + kMinQuiet < now &&
           strokes_.front().written <= lastAnswered_)
        strokes_.pop_front();
    if (pings_.empty() && (wanted_ || strokesSounding())) ping();
    scheduleWatch(kPingEvery);
}

void PulseBellOutput::ping() {
    pa_operation* op = pa_stream_update_timing_info(
        stream_,
        [](pa_stream* s, int, void* self) { static_cast<PulseBellOutput*>(self)->answered(s); },
        this);
    if (!op) return;
    pa_operation_unref(op);
    pings_.push_back(Clock::now());
}

void PulseBellOutput::answered(pa_stream* stream) {
    if (stream != stream_ || pings_.empty()) return;
    lastAnswered_ = pings_.front();
    pings_.pop_front();
}

void PulseBellOutput::serverStalled() {
    reconnect("the sound server stopped taking sound");
}

void PulseBellOutput::followDefaultSink(const char* defaultSink) {
    if (!stream_ || !defaultSink || pa_stream_get_state(stream_) != PA_STREAM_READY) return;
    const char* current = pa_stream_get_device_name(stream_);
    if (current && std::string(current) == defaultSink) return;
    defaultMoved_ = true; // reopened on the new default once no stroke is sounding
    if (!strokesSounding()) openStream();
}

} // namespace

std::unique_ptr<BellOutput> makePulseBellOutput() {
    return std::make_unique<PulseBellOutput>();
}

} // namespace bw
