// The bell's output through the PulseAudio protocol, which PipeWire's pulse
// server speaks too. libpulse runs on a thread of this output's own, which
// alone touches it; other threads only leave requests and wake it, so a dead,
// hung or slow server never holds up the window. Nothing is decided once:
// while the output is wanted a supervisor checks on it twice a second and
// starts again from scratch after any failure, so a server that comes up late
// or restarts is used again.
//
// Each stroke is handed to the server whole, from the point it is playing
// now, so a stall of this program cannot cut it. The stream is fed silence
// between strokes, which keeps the device awake. While the stream plays, the
// server is asked for its timing every 50 ms. The stream is judged by what it
// plays: one whose server has not answered within 150 ms, or whose read
// position has stood still that long, has stopped playing, and the strokes it
// has not played are reported lost.

#include "bell_output.h"
#include "bell_stroke.h"
#include "c_handle.h"
#include "sound_log.h"

#include <pulse/pulseaudio.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace bw {

namespace {
constexpr int kRate = 48000;
constexpr pa_usec_t kQueuedUs = 80'000;  // silence queued ahead between strokes
constexpr pa_usec_t kRequestUs = 20'000; // the server asks for this much at a time
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;
constexpr auto kSuperviseEvery = 500ms;
constexpr auto kConnectTimeout = 3s; // for the connection and for a new stream
constexpr auto kPingEvery = 50ms;
constexpr auto kAnswerWithin = 150ms;
// A waking device may take this long before the server starts the stream.
constexpr auto kStartWithin = 3s;
// A check that runs this late means this program itself was held up; the
// server's answers may be waiting unread, so they are read before judging.
constexpr auto kHeldUp = 40ms;
// Quiet left between two strokes however soon the second is asked for, so
// that they are heard as two.
constexpr auto kMinQuiet = 200ms;

const pa_sample_spec kSpec{PA_SAMPLE_S16LE, kRate, 1};

using MainLoop = CHandle<pa_mainloop, pa_mainloop_free>;
using Context = CHandle<pa_context, pa_context_unref>;
using Stream = CHandle<pa_stream, pa_stream_unref>;

// Operations are not waited for: each is let go at once, NULL or not.
void letGo(pa_operation* operation) {
    if (operation) pa_operation_unref(operation);
}

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
    std::string name() const override { return "the sound server"; }
    Inaudible inaudible() const override;

  private:
    // Everything below runs on the output's own thread.
    void run();
    void takeRequests();
    void supervise();
    void checkConnection();
    void connect();
    void disconnect();
    void reconnect(const std::string& why);
    void openStream();
    void dropStream();
    void streamReady();
    void writeStroke(Clock::time_point asked);
    void feedSilence(std::size_t bytes);
    void followDefaultSink(const char* defaultSink);
    void serverChanged(pa_subscription_event_type_t event);
    void checkLevel();
    void levelKnown();
    bool strokesSounding() const;
    void setProblem(const std::string& why);
    void setStreaming(bool streaming);
    void watch();
    void scheduleWatch(Clock::duration in);
    template <void (PulseBellOutput::*Handler)()>
    void arm(pa_time_event*& event, Clock::duration in);
    void ping();
    void answered(pa_stream* stream);
    template <typename Body> static void guarded(Body&& body);

    MainLoop loop_{pa_mainloop_new()};
    pa_mainloop_api* api_ = loop_ ? pa_mainloop_get_api(loop_.get()) : nullptr;
    pa_time_event* supervisor_ = nullptr;
    pa_time_event* watcher_ = nullptr;
    Context context_;
    Stream stream_;
    Clock::time_point connectStarted_, streamOpened_, readySince_;
    Clock::time_point watchDue_;
    bool wanted_ = false;
    bool defaultMoved_ = false; // the default sink is no longer the stream's
    bool started_ = false;      // the server has begun to play the stream
    int lost_ = 0;              // reported once the loop's work is done

    const std::vector<std::int16_t> stroke_ = synthesizeBellStroke(kRate);
    const Clock::duration strokeLength_ = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(double(stroke_.size()) / kRate));
    const std::vector<std::int16_t> silence_ =
        std::vector<std::int16_t>(pa_usec_to_bytes(kQueuedUs, &kSpec) / sizeof(std::int16_t));
    std::deque<Stroke> strokes_;          // written and not yet over
    std::deque<Clock::time_point> pings_; // asked and not yet answered
    Clock::time_point lastAnswered_{};    // when the last answered ping was asked
    std::int64_t readIndex_ = -1;         // the server's play position, as last answered
    Clock::time_point lastMoved_{};       // when it was last seen to have moved

    // Shared with the callers' threads.
    std::mutex requestMutex_;
    std::atomic<bool> wantedAsked_{false};
    std::vector<Clock::time_point> rung_; // strokes asked for, not yet written
    std::atomic<bool> quit_{false};
    std::atomic<bool> streaming_{false};
    OutputLevel level_; // of the stream's sink, as last answered
    mutable std::mutex problemMutex_;
    std::string problem_ = "not connected yet";
    Inaudible inaudible_;
    std::thread thread_;
};

PulseBellOutput::PulseBellOutput() {
    if (!loop_) {
        setProblem("the sound library could not start");
        return;
    }
    thread_ = std::thread([this] { run(); });
}

// The thread closes its connection itself and is joined; nothing is reported.
PulseBellOutput::~PulseBellOutput() {
    cutOffNews();
    quit_ = true;
    if (loop_) pa_mainloop_wakeup(loop_.get());
    if (thread_.joinable()) thread_.join();
}

void PulseBellOutput::keepReady(bool wanted) {
    if (wantedAsked_.exchange(wanted) == wanted || !loop_) return;
    pa_mainloop_wakeup(loop_.get());
}

// Taken while the stream plays: the stroke is written at once on the output's
// thread, and reported lost if it cannot be.
bool PulseBellOutput::ring() {
    if (!streaming_) return false;
    {
        std::lock_guard lock(requestMutex_);
        rung_.push_back(Clock::now());
    }
    pa_mainloop_wakeup(loop_.get());
    return true;
}

std::string PulseBellOutput::problem() const {
    std::lock_guard lock(problemMutex_);
    return problem_;
}

void PulseBellOutput::setProblem(const std::string& why) {
    {
        std::lock_guard lock(problemMutex_);
        if (problem_ == why) return;
        problem_ = why;
    }
    if (!why.empty()) qCDebug(soundLog) << "sound server:" << why.c_str();
}

void PulseBellOutput::setStreaming(bool streaming) {
    if (streaming_.exchange(streaming) != streaming) reportChanged();
}

// A callback from C must not let an exception through: it is logged, and the
// supervisor's next check carries on from whatever state it left.
template <typename Body> void PulseBellOutput::guarded(Body&& body) {
    try {
        body();
    } catch (const std::exception& e) {
        qCWarning(soundLog) << "sound server output:" << e.what();
    }
}

void PulseBellOutput::run() {
    while (!quit_) {
        guarded([this] { takeRequests(); });
        if (pa_mainloop_iterate(loop_.get(), 1, nullptr) < 0) break;
        // Losses leave only once the loop's own work is done.
        if (const int lost = std::exchange(lost_, 0)) reportLost(lost);
    }
    // The owner is going: nothing more is told.
    disconnect();
    if (supervisor_) api_->time_free(supervisor_);
    supervisor_ = nullptr;
}

void PulseBellOutput::takeRequests() {
    std::vector<Clock::time_point> rung;
    {
        std::lock_guard lock(requestMutex_);
        rung.swap(rung_);
    }
    if (wantedAsked_ != wanted_) {
        wanted_ = wantedAsked_;
        supervise();
    }
    for (const auto asked : rung)
        writeStroke(asked);
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
    switch (pa_context_get_state(context_.get())) {
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
    if (!stream_) return openStream();
    switch (pa_stream_get_state(stream_.get())) {
    case PA_STREAM_READY:
        if (defaultMoved_ && !strokesSounding()) openStream();
        return;
    case PA_STREAM_CREATING:
        if (Clock::now() - streamOpened_ > kConnectTimeout)
            reconnect("the sound server does not open a stream");
        return;
    default:
        return openStream();
    }
}

void PulseBellOutput::connect() {
    context_.reset(pa_context_new(api_, "Bellwarden"));
    if (!context_) return setProblem("the sound library could not make a connection");
    connectStarted_ = Clock::now();
    pa_context_set_state_callback(
        context_.get(),
        [](pa_context* c, void* p) {
            auto* self = static_cast<PulseBellOutput*>(p);
            guarded([&] {
                const pa_context_state_t state = pa_context_get_state(c);
                if (state == PA_CONTEXT_READY) {
                    qCDebug(soundLog) << "sound server: connected to" << pa_context_get_server(c);
                    letGo(pa_context_subscribe(
                        c,
                        static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SERVER |
                                                            PA_SUBSCRIPTION_MASK_SINK |
                                                            PA_SUBSCRIPTION_MASK_SINK_INPUT),
                        nullptr, nullptr));
                    self->openStream();
                } else if (state == PA_CONTEXT_FAILED) {
                    self->setProblem(std::string("no sound server can be reached: ") +
                                     pa_strerror(pa_context_errno(c)));
                    self->dropStream();
                }
            });
        },
        this);
    // The default sink may change (a device plugged in, or the user's
    // choice), and so may the mute and volume of the sink or the stream.
    pa_context_set_subscribe_callback(
        context_.get(),
        [](pa_context*, pa_subscription_event_type_t event, uint32_t, void* p) {
            guarded([&] { static_cast<PulseBellOutput*>(p)->serverChanged(event); });
        },
        this);
    // No autospawn: a desktop starts its own server, and a stray one would not
    // reach the user's speakers.
    if (pa_context_connect(context_.get(), nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        setProblem(std::string("no sound server can be reached: ") +
                   pa_strerror(pa_context_errno(context_.get())));
}

void PulseBellOutput::disconnect() {
    dropStream();
    if (!context_) return;
    pa_context_set_state_callback(context_.get(), nullptr, nullptr);
    pa_context_set_subscribe_callback(context_.get(), nullptr, nullptr);
    pa_context_disconnect(context_.get());
    context_.reset();
}

void PulseBellOutput::reconnect(const std::string& why) {
    setProblem(why);
    disconnect();
    connect();
}

void PulseBellOutput::openStream() {
    dropStream();
    defaultMoved_ = false;
    stream_.reset(pa_stream_new(context_.get(), "Bell", &kSpec, nullptr));
    if (!stream_) return setProblem(pa_strerror(pa_context_errno(context_.get())));
    streamOpened_ = Clock::now();
    pa_stream* s = stream_.get();
    pa_stream_set_state_callback(
        s,
        [](pa_stream* stream, void* p) {
            auto* self = static_cast<PulseBellOutput*>(p);
            guarded([&] {
                if (stream != self->stream_.get()) return;
                const pa_stream_state_t state = pa_stream_get_state(stream);
                if (state == PA_STREAM_READY) self->streamReady();
                if (state == PA_STREAM_FAILED) {
                    self->setProblem(pa_strerror(pa_context_errno(pa_stream_get_context(stream))));
                    self->dropStream();
                }
            });
        },
        this);
    pa_stream_set_write_callback(
        s,
        [](pa_stream*, std::size_t bytes, void* p) {
            static_cast<PulseBellOutput*>(p)->feedSilence(bytes);
        },
        this);
    pa_stream_set_started_callback(
        s,
        [](pa_stream*, void* p) {
            auto* self = static_cast<PulseBellOutput*>(p);
            self->started_ = true;
            self->lastMoved_ = Clock::now();
        },
        this);
    // An underrun (this program held up) stops the position for a moment.
    pa_stream_set_underflow_callback(
        s, [](pa_stream*, void* p) { static_cast<PulseBellOutput*>(p)->lastMoved_ = Clock::now(); },
        this);
    pa_buffer_attr attr;
    attr.maxlength = static_cast<std::uint32_t>(-1);
    attr.tlength = static_cast<std::uint32_t>(pa_usec_to_bytes(kQueuedUs, &kSpec));
    attr.prebuf = static_cast<std::uint32_t>(-1);
    attr.minreq = static_cast<std::uint32_t>(pa_usec_to_bytes(kRequestUs, &kSpec));
    attr.fragsize = static_cast<std::uint32_t>(-1);
    // No sink named: the server places the stream on its default sink of now.
    const int connected =
        pa_stream_connect_playback(s, nullptr, &attr, PA_STREAM_ADJUST_LATENCY, nullptr, nullptr);
    if (connected < 0) {
        setProblem(pa_strerror(pa_context_errno(context_.get())));
        dropStream(); // opened again at the next check
    }
}

void PulseBellOutput::streamReady() {
    readySince_ = Clock::now();
    readIndex_ = -1;
    const char* sink = pa_stream_get_device_name(stream_.get());
    qCDebug(soundLog) << "sound server: stream open on" << (sink ? sink : "an unknown sink");
    setProblem("");
    setStreaming(true);
    scheduleWatch(kPingEvery);
    checkLevel();
}

// Strokes the server had not confirmed, or had not begun to play while its
// position still moved, when the stream went away are reported lost: nothing
// taken is dropped silently.
void PulseBellOutput::dropStream() {
    setStreaming(false);
    if (watcher_) api_->time_free(watcher_);
    watcher_ = nullptr;
    for (const Stroke& s : strokes_)
        if (!started_ || s.written > lastAnswered_ || s.starts > lastMoved_) ++lost_;
    started_ = false;
    strokes_.clear();
    pings_.clear();
    if (!stream_) return;
    pa_stream* s = stream_.get();
    pa_stream_set_state_callback(s, nullptr, nullptr);
    pa_stream_set_write_callback(s, nullptr, nullptr);
    pa_stream_set_started_callback(s, nullptr, nullptr);
    pa_stream_set_underflow_callback(s, nullptr, nullptr);
    pa_stream_disconnect(s);
    stream_.reset();
}

void PulseBellOutput::writeStroke(Clock::time_point asked) {
    if (!stream_ || pa_stream_get_state(stream_.get()) != PA_STREAM_READY) {
        ++lost_;
        return;
    }
    const auto now = Clock::now();
    // Never over the stroke before: a short quiet after its end, at least.
    const auto starts = strokes_.empty() ? now : std::max(now, strokes_.back().ends + kMinQuiet);
    const auto wait = std::chrono::duration_cast<std::chrono::microseconds>(starts - now);
    const auto offset =
        static_cast<std::int64_t>(pa_usec_to_bytes(static_cast<pa_usec_t>(wait.count()), &kSpec));
    // Until the server plays the stream (a suspended device still waking),
    // the stroke waits behind the silence queued, so it is heard whole.
    if (pa_stream_write(stream_.get(), stroke_.data(), stroke_.size() * sizeof(std::int16_t),
                        nullptr, started_ ? offset : 0,
                        started_ ? PA_SEEK_RELATIVE_ON_READ : PA_SEEK_RELATIVE) != 0) {
        ++lost_;
        return;
    }
    if (now - asked > kHeldUp)
        qCDebug(soundLog)
            << "sound server: stroke written"
            << std::chrono::duration_cast<std::chrono::milliseconds>(now - asked).count()
            << "ms after it was rung";
    strokes_.push_back({now, starts, starts + strokeLength_});
    ping(); // its answer confirms the server has the stroke
}

void PulseBellOutput::feedSilence(std::size_t bytes) {
    while (bytes > 0 && stream_) {
        const std::size_t n = std::min(bytes, silence_.size() * sizeof(std::int16_t));
        if (pa_stream_write(stream_.get(), silence_.data(), n, nullptr, 0, PA_SEEK_RELATIVE) < 0)
            return;
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
            guarded([&] { (static_cast<PulseBellOutput*>(self)->*Handler)(); });
        },
        this);
}

void PulseBellOutput::scheduleWatch(Clock::duration in) {
    watchDue_ = Clock::now() + in;
    arm<&PulseBellOutput::watch>(watcher_, in);
}

void PulseBellOutput::watch() {
    const auto now = Clock::now();
    if (now - watchDue_ > kHeldUp) {
        lastMoved_ = now; // this program was held up, not the server
        return scheduleWatch(10ms);
    }
    if (!pings_.empty() && now - pings_.front() > kAnswerWithin)
        return reconnect("the sound server stopped taking sound");
    if (started_ && now - lastMoved_ > kAnswerWithin)
        return reconnect("the sound server stopped playing");
    if (!started_ && !strokes_.empty() && now - readySince_ > kStartWithin)
        return reconnect("the sound server does not play");
    // A stroke is kept while it is unconfirmed or may still space the next one.
    while (!strokes_.empty() && strokes_.front().ends + kMinQuiet < now &&
           strokes_.front().written <= lastAnswered_)
        strokes_.pop_front();
    if (pings_.empty() && (wanted_ || strokesSounding())) ping();
    scheduleWatch(kPingEvery);
}

void PulseBellOutput::ping() {
    pa_operation* op = pa_stream_update_timing_info(
        stream_.get(),
        [](pa_stream* s, int, void* self) {
            guarded([&] { static_cast<PulseBellOutput*>(self)->answered(s); });
        },
        this);
    if (!op) return;
    letGo(op);
    pings_.push_back(Clock::now());
}

// An answer says the server is there; only a read position that moves says it
// plays (a server whose audio graph hangs may answer on from its own state).
void PulseBellOutput::answered(pa_stream* stream) {
    if (stream != stream_.get() || pings_.empty()) return;
    lastAnswered_ = pings_.front();
    pings_.pop_front();
    const pa_timing_info* timing = pa_stream_get_timing_info(stream);
    if (!timing || timing->read_index_corrupt) return;
    if (timing->read_index > readIndex_) lastMoved_ = lastAnswered_;
    readIndex_ = timing->read_index;
}

void PulseBellOutput::serverChanged(pa_subscription_event_type_t event) {
    const auto facility = event & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
    if (facility != PA_SUBSCRIPTION_EVENT_SERVER) return checkLevel();
    letGo(pa_context_get_server_info(
        context_.get(),
        [](pa_context*, const pa_server_info* info, void* self) {
            guarded([&] {
                if (info)
                    static_cast<PulseBellOutput*>(self)->followDefaultSink(info->default_sink_name);
            });
        },
        this));
}

// Asks for the mute and volume of the stream's sink and of the stream; the
// server answers in order, so the stream's answer completes the picture.
void PulseBellOutput::checkLevel() {
    if (!stream_ || pa_stream_get_state(stream_.get()) != PA_STREAM_READY) return;
    letGo(pa_context_get_sink_info_by_index(
        context_.get(), pa_stream_get_device_index(stream_.get()),
        [](pa_context*, const pa_sink_info* info, int, void* p) {
            if (!info) return;
            guarded([&] {
                OutputLevel& level = static_cast<PulseBellOutput*>(p)->level_;
                level.sinkName = info->name ? info->name : "";
                level.sinkDescription = info->description ? info->description : level.sinkName;
                level.sinkMuted = info->mute != 0;
                level.sinkVolume = double(pa_cvolume_max(&info->volume)) / PA_VOLUME_NORM;
            });
        },
        this));
    letGo(pa_context_get_sink_input_info(
        context_.get(), pa_stream_get_index(stream_.get()),
        [](pa_context*, const pa_sink_input_info* info, int, void* p) {
            if (!info) return;
            guarded([&] {
                auto* self = static_cast<PulseBellOutput*>(p);
                self->level_.streamMuted = info->mute != 0;
                self->level_.streamVolume = double(pa_cvolume_max(&info->volume)) / PA_VOLUME_NORM;
                self->levelKnown();
            });
        },
        this));
}

void PulseBellOutput::levelKnown() {
    Inaudible now = bw::inaudible(level_);
    {
        std::lock_guard lock(problemMutex_);
        if (now.what == inaudible_.what) return;
        inaudible_ = now;
    }
    qCDebug(soundLog) << "sound server: playing on" << level_.sinkName.c_str()
                      << (now.what.empty() ? "(heard)" : now.what.c_str());
    reportChanged();
}

Inaudible PulseBellOutput::inaudible() const {
    std::lock_guard lock(problemMutex_);
    return inaudible_;
}

void PulseBellOutput::followDefaultSink(const char* defaultSink) {
    if (!stream_ || !defaultSink || pa_stream_get_state(stream_.get()) != PA_STREAM_READY) return;
    const char* current = pa_stream_get_device_name(stream_.get());
    if (current && std::string(current) == defaultSink) return;
    qCDebug(soundLog) << "sound server: the default sink is now" << defaultSink;
    defaultMoved_ = true; // reopened on the new default once no stroke is sounding
    if (!strokesSounding()) openStream();
}

} // namespace

std::unique_ptr<BellOutput> makePulseBellOutput() {
    return std::make_unique<PulseBellOutput>();
}

} // namespace bw
