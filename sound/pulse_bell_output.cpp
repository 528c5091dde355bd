// The bell's output through the PulseAudio protocol, which PipeWire's pulse
// server speaks too. Its parts live on one loop thread (PulseLoop): the
// connection (PulseConnection), the stream and its writing (PulseStream, judged
// by PlaybackJudge) and the level (PulseLevel). This output takes the
// callers' requests onto that thread, in the order given, and supervises:
// while the output is wanted, or a stroke rung into it still sounds, it checks
// twice a second and starts again from scratch after any failure.

#include "bell_output.h"
#include "pulse_connection.h"
#include "pulse_level.h"
#include "pulse_loop.h"
#include "pulse_stream.h"
#include "sound_log.h"

#include <atomic>
#include <mutex>

namespace bw {

namespace {
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;
constexpr auto kSuperviseEvery = 500ms;
constexpr auto kCreateWithin = 3s; // for a new stream

class PulseBellOutput final : public BellOutput {
  public:
    PulseBellOutput();
    ~PulseBellOutput() override;
    void keepReady(bool wanted) override;
    bool ring() override;
    bool playing() const override { return playing_; }
    bool faltering() const override { return faltering_; }
    std::string problem() const override;
    std::string name() const override { return "the sound server"; }
    Inaudible inaudible() const override { return level_.inaudible(); }

  private:
    // Everything below runs on the loop's thread.
    void setWanted(bool wanted);
    void supervise();
    void checkStream();
    void reconnect(const std::string& why);
    void close();
    void streamReady();
    void playingChanged(bool playing);
    void serverChanged(pa_subscription_event_type_t event);
    void followDefaultSink(const std::string& defaultSink);
    void setProblem(const std::string& why);
    void setFlag(std::atomic<bool>& flag, bool value);

    // First in, last out: the other parts hold the loop's handles, and
    // their handlers write the state below.
    PulseLoop loop_;
    bool wanted_ = false;
    bool defaultMoved_ = false; // the default sink is no longer the stream's
    int lost_ = 0;              // reported once the loop's round is done

    // Shared with the callers' threads.
    std::atomic<bool> wantedAsked_{false};
    std::atomic<bool> playing_{false};
    std::atomic<bool> faltering_{false};
    mutable std::mutex problemMutex_;
    std::string problem_ = "not connected yet";

    LoopTimer supervisor_{loop_.api(), [this] { supervise(); }};
    PulseConnection connection_{
        loop_.api(),
        {.ready = [this] { stream_.open(connection_.context()); },
         .failed =
             [this](const std::string& why) {
                 setProblem(why);
                 stream_.drop();
             },
         .serverChanged = [this](pa_subscription_event_type_t e) { serverChanged(e); }}};
    PulseStream stream_{loop_.api(),
                        {.ready = [this] { streamReady(); },
                         .playingChanged = [this](bool playing) { playingChanged(playing); },
                         .falteringChanged = [this](bool f) { setFlag(faltering_, f); },
                         .failed = [this](const std::string& why) { setProblem(why); },
                         .stopped = [this](const std::string& why) { reconnect(why); },
                         .lost = [this](int strokes) { lost_ += strokes; }}};
    PulseLevel level_{[this] { reportChanged(); },
                      [this](const std::string& sink) { followDefaultSink(sink); }};
};

PulseBellOutput::PulseBellOutput() {
    if (!loop_.valid()) {
        setProblem("the sound library could not start");
        return;
    }
    // Losses leave as soon as the round that found them is done.
    loop_.start([this] { reportLost(std::exchange(lost_, 0)); },
                [this] { close(); }); // the owner is going: nothing more is told
}

// The loop closes its connection itself and is joined; nothing is reported.
PulseBellOutput::~PulseBellOutput() {
    cutOffNews();
    loop_.stop();
}

void PulseBellOutput::keepReady(bool wanted) {
    if (wantedAsked_.exchange(wanted) == wanted) return;
    loop_.post([this, wanted] { setWanted(wanted); });
}

// Taken while the stream plays; written on the loop's thread after every
// request before it, and reported lost if it cannot be.
bool PulseBellOutput::ring() {
    if (!playing_) return false;
    const auto asked = Clock::now();
    loop_.post([this, asked] {
        if (!stream_.write(asked)) ++lost_;
    });
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

void PulseBellOutput::setFlag(std::atomic<bool>& flag, bool value) {
    if (flag.exchange(value) != value) reportChanged();
}

// A release is judged at the supervisor's next turn, after the requests
// already given: a stroke rung just before it is written first and sounds
// whole.
void PulseBellOutput::setWanted(bool wanted) {
    wanted_ = wanted;
    supervisor_.arm(wanted ? 0ms : 1ms);
}

void PulseBellOutput::supervise() {
    if (!wanted_ && !stream_.sounding()) return close(); // between bells it costs nothing
    supervisor_.arm(kSuperviseEvery); // first: nothing below can leave it unarmed
    if (connection_.check()) checkStream();
}

void PulseBellOutput::checkStream() {
    if (!stream_.get()) return stream_.open(connection_.context());
    if (stream_.isReady()) {
        if (defaultMoved_ && stream_.between()) stream_.open(connection_.context());
        return;
    }
    if (stream_.stuckCreating(kCreateWithin))
        return reconnect("the sound server does not open a stream");
    if (pa_stream_get_state(stream_.get()) != PA_STREAM_CREATING)
        stream_.open(connection_.context());
}

void PulseBellOutput::close() {
    supervisor_.disarm();
    stream_.drop();
    connection_.close();
}

void PulseBellOutput::reconnect(const std::string& why) {
    setProblem(why);
    stream_.drop();
    connection_.close();
    connection_.check();
    supervisor_.arm(kSuperviseEvery);
}

void PulseBellOutput::streamReady() {
    defaultMoved_ = false;
    setProblem("the sound server has not started the stream");
}

// The level is judged once the stream plays: a new stream's volume may read
// 0 % until the server has set it.
void PulseBellOutput::playingChanged(bool playing) {
    if (playing) {
        setProblem("");
        level_.ask(connection_.context(), stream_.get());
    }
    setFlag(playing_, playing);
}

void PulseBellOutput::serverChanged(pa_subscription_event_type_t event) {
    if (!stream_.isReady()) return;
    if ((event & PA_SUBSCRIPTION_EVENT_FACILITY_MASK) == PA_SUBSCRIPTION_EVENT_SERVER)
        return level_.askDefaultSink(connection_.context());
    level_.ask(connection_.context(), stream_.get());
}

void PulseBellOutput::followDefaultSink(const std::string& defaultSink) {
    if (!stream_.isReady()) return;
    const char* current = pa_stream_get_device_name(stream_.get());
    if (current && defaultSink == current) return;
    qCDebug(soundLog) << "sound server: the default sink is now" << defaultSink.c_str();
    defaultMoved_ = true; // reopened on the new default between bells
    if (stream_.between()) stream_.open(connection_.context());
}

} // namespace

std::unique_ptr<BellOutput> makePulseBellOutput() {
    return std::make_unique<PulseBellOutput>();
}

} // namespace bw
