// The bell's output through the PulseAudio protocol, which PipeWire's pulse
// server speaks too. The connection runs on libpulse's own thread and every
// call to the server is asynchronous, so a dead, hung or slow server never
// holds up the window. Nothing is decided once: while the output is wanted a
// supervisor checks on it twice a second and starts again from scratch after
// any failure, so a server that comes up late or restarts is used again.

#include "bell_output.h"
#include "bell_stroke.h"
#include "stroke_mixer.h"

#include <pulse/pulseaudio.h>

#include <atomic>
#include <mutex>

namespace bw {

namespace {
constexpr int kRate = 48000;
constexpr pa_usec_t kQueuedUs = 80'000;  // queued ahead at most: bounds a stroke's delay
constexpr pa_usec_t kRequestUs = 20'000; // the server asks for this much at a time
constexpr pa_usec_t kSuperviseUs = 500'000;
using Clock = std::chrono::steady_clock;
constexpr auto kConnectTimeout = std::chrono::seconds(3);
// The server has asked for nothing this long: strokes would be late, so they
// are refused; a little longer and the connection is made anew.
constexpr auto kStalled = std::chrono::seconds(2);
constexpr auto kHung = std::chrono::seconds(5);

const pa_sample_spec kSpec{PA_SAMPLE_S16LE, kRate, 1};

class PulseBellOutput final : public BellOutput {
  public:
    PulseBellOutput();
    ~PulseBellOutput() override;
    void keepReady(bool wanted) override;
    bool ring() override;
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
    void feed(std::size_t bytes);
    void followDefaultSink(const char* defaultSink);
    bool strokesSounding();
    void setProblem(const std::string& why);
    Clock::duration sinceFed() const;

    pa_threaded_mainloop* loop_ = nullptr;
    pa_mainloop_api* api_ = nullptr;
    pa_time_event* supervisor_ = nullptr;
    pa_context* context_ = nullptr;
    pa_stream* stream_ = nullptr;
    Clock::time_point connectStarted_;
    bool wanted_ = false;
    bool defaultMoved_ = false; // the default sink is no longer the stream's

    const std::vector<std::int16_t> stroke_ = synthesizeBellStroke(kRate);
    std::mutex mixMutex_; // ring() on the window's thread shares the mixer
    StrokeMixer mixer_{stroke_, kRate};
    std::vector<std::int16_t> chunk_;
    std::atomic<bool> streaming_{false};
    std::atomic<Clock::rep> lastFed_{0};
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

bool PulseBellOutput::ring() {
    if (!streaming_ || sinceFed() > kStalled) return false;
    std::lock_guard lock(mixMutex_);
    mixer_.ring();
    return true;
}

std::string PulseBellOutput::problem() const {
    std::lock_guard lock(problemMutex_);
    return problem_;
}

void PulseBellOutput::setProblem(const std::string& why) {
    std::lock_guard lock(problemMutex_);
    problem_ = why;
}

Clock::duration PulseBellOutput::sinceFed() const {
    return Clock::now() - Clock::time_point(Clock::duration(lastFed_.load()));
}

bool PulseBellOutput::strokesSounding() {
    std::lock_guard lock(mixMutex_);
    return mixer_.ringing();
}

void PulseBellOutput::supervise() {
    if (!wanted_ && !strokesSounding()) {
        disconnect(); // between bells the output costs nothing
        if (supervisor_) api_->time_restart(supervisor_, nullptr);
        return;
    }
    checkConnection();
    timeval next;
    pa_timeval_add(pa_gettimeofday(&next), kSuperviseUs);
    if (supervisor_)
        api_->time_restart(supervisor_, &next);
    else
        supervisor_ = api_->time_new(
            api_, &next,
            [](pa_mainloop_api*, pa_time_event*, const timeval*, void* self) {
                static_cast<PulseBellOutput*>(self)->supervise();
            },
            this);
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
    if (state == PA_STREAM_READY && sinceFed() > kHung)
        reconnect("the sound server stopped taking sound");
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
                self->streaming_ = false;
                self->setProblem(pa_strerror(pa_context_errno(c)));
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
        setProblem(pa_strerror(pa_context_errno(context_)));
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
    {
        std::lock_guard lock(mixMutex_);
        mixer_ = StrokeMixer(stroke_, kRate); // from scratch: no stroke of a lost stream
    }
    stream_ = pa_stream_new(context_, "Bell", &kSpec, nullptr);
    if (!stream_) return setProblem(pa_strerror(pa_context_errno(context_)));
    pa_stream_set_state_callback(
        stream_,
        [](pa_stream* s, void* p) {
            auto* self = static_cast<PulseBellOutput*>(p);
            if (pa_stream_get_state(s) == PA_STREAM_FAILED) {
                self->streaming_ = false;
                self->setProblem(pa_strerror(pa_context_errno(pa_stream_get_context(s))));
            }
        },
        this);
    pa_stream_set_write_callback(
        stream_,
        [](pa_stream*, std::size_t bytes, void* p) {
            static_cast<PulseBellOutput*>(p)->feed(bytes);
        },
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

void PulseBellOutput::dropStream() {
    streaming_ = false;
    if (!stream_) return;
    pa_stream_set_state_callback(stream_, nullptr, nullptr);
    pa_stream_set_write_callback(stream_, nullptr, nullptr);
    pa_stream_disconnect(stream_);
    pa_stream_unref(stream_);
    stream_ = nullptr;
}

void PulseBellOutput::feed(std::size_t bytes) {
    const std::size_t frames = bytes / sizeof(std::int16_t);
    if (frames == 0) return;
    chunk_.resize(frames);
    {
        std::lock_guard lock(mixMutex_);
        mixer_.next(chunk_.data(), frames);
    }
    if (pa_stream_write(stream_, chunk_.data(), frames * sizeof(std::int16_t), nullptr, 0,
                        PA_SEEK_RELATIVE) < 0)
        return;
    lastFed_ = Clock::now().time_since_epoch().count();
    streaming_ = true;
}

void PulseBellOutput::followDefaultSink(const char* defaultSink) {
    if (!stream_ || !defaultSink || pa_stream_get_state(stream_) != PA_STREAM_READY) return;
    const char* current = pa_stream_get_device_name(stream_);
    if (current && std::string(current) == defaultSink) return;
    defaultMoved_ = true; // reopened on the new default once no stroke is sounding
    if (!strokesSounding()) openStream();
}

} // namespace

std::unique_ptr<BellOutput> makeBellOutput() {
    return std::make_unique<PulseBellOutput>();
}

} // namespace bw
