// The bell's output through ALSA's default device, for a machine where no
// sound server runs; a default device that leads to a sound server is left
// alone. A worker thread opens the device, without waiting for one that is
// busy, while the output is wanted, and feeds it the stroke mixer's sound a
// few milliseconds at a time, so that a stroke starts within tens of
// milliseconds of its request. Opening is retried every second, so a device
// that appears later (or is released by another program) is used.
//
// The device is judged by what it plays: a watcher checks that the worker's
// writes go on. When they have stood still for 150 ms the output falters;
// when they stay still (a hung device, a stalled link) the strokes not yet
// played are reported lost and the output stops playing until the device
// takes sound again. A watcher that itself runs late means this program was
// held up, not the device. A worker stuck in the device is left behind at
// exit rather than waited for.

#include "bell_output.h"
#include "bell_stroke.h"
#include "c_handle.h"
#include "playback_judge.h"
#include "sound_log.h"
#include "stroke_mixer.h"

#include <alsa/asoundlib.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace bw {

namespace {
constexpr int kRate = 48000;
// The device's buffer: what is queued ahead of a stroke rung now.
constexpr unsigned kBufferUs = 20'000;
constexpr std::size_t kChunkFrames = kRate / 200; // 5 ms at a time
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;
// The same rule as for a sound server's stream.
constexpr auto kFalters = PlaybackJudge::kDoubtAfter;
constexpr auto kStandsStill = PlaybackJudge::kGiveUpAfter;
constexpr auto kHeldUp = PlaybackJudge::kHeldUp;
constexpr auto kWatchEvery = 25ms;
constexpr auto kRetryEvery = 1s;

using Pcm = CHandle<snd_pcm_t, snd_pcm_close>;

// Shared between the output and its threads; the worker may outlive the output.
struct AlsaShared {
    std::mutex mutex;
    std::condition_variable changed;
    bool wanted = false;
    std::atomic<bool> quit{false};
    bool finished = false;
    StrokeMixer mixer{synthesizeBellStroke(kRate), kRate};
    // Changed with the lock held, so that ring() never takes a stroke for a
    // device already judged stopped; the owner is told once it is released.
    std::atomic<bool> playing{false};
    bool feeding = false;               // the worker has the device open and writes to it
    std::atomic<bool> faltering{false}; // its writes stood still for a moment
    bool stalled = false;               // they stayed still; strokes are not taken
    bool leadsToServer = false;         // the default device is a sound server's
    Clock::time_point lastWritten;
    std::string problem; // none until the device was tried
    std::shared_ptr<OutputNews> news;

    bool needed() const { return wanted || mixer.ringing(); }
};

void setProblem(AlsaShared& shared, const std::string& why) {
    {
        std::lock_guard lock(shared.mutex);
        if (shared.problem == why) return;
        shared.problem = why;
    }
    qCDebug(soundLog) << "ALSA:" << why.c_str();
}

// Every stroke still in the mixer is not heard: reported, the mixer emptied.
// Called with the lock held; returns the count to report once it is released.
int dropStrokes(AlsaShared& shared) {
    const int lost = shared.mixer.voices();
    shared.mixer.clear();
    return lost;
}

// ALSA prints its own errors to stderr; the reason is reported once, ours.
void quietAlsaErrors(const char*, int, const char*, int, const char*, ...) {}

// A plugin device is a sound server's (pulse, pipewire, jack): the same
// server as the first route, and it would hang as that one does. That is
// asked right after opening, before setting it up could wait on the server,
// and remembered: ALSA reads its configuration once.
Pcm openDefault(AlsaShared& shared) {
    const char* const serverDevice = "ALSA's default device leads to the sound server";
    if (shared.leadsToServer) {
        setProblem(shared, serverDevice);
        return nullptr;
    }
    snd_lib_error_set_handler(quietAlsaErrors);
    snd_pcm_t* handle = nullptr;
    int err = snd_pcm_open(&handle, "default", SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
    Pcm pcm(handle);
    if (err == 0 && snd_pcm_type(pcm.get()) == SND_PCM_TYPE_IOPLUG) {
        shared.leadsToServer = true;
        setProblem(shared, serverDevice);
        return nullptr;
    }
    if (err == 0)
        err = snd_pcm_set_params(pcm.get(), SND_PCM_FORMAT_S16, SND_PCM_ACCESS_RW_INTERLEAVED, 1,
                                 kRate, 1, kBufferUs);
    if (err < 0) {
        setProblem(shared,
                   std::string("ALSA's default device cannot be opened: ") + snd_strerror(err));
        return nullptr;
    }
    snd_pcm_uframes_t buffer = 0, period = 0;
    snd_pcm_get_params(pcm.get(), &buffer, &period);
    qCDebug(soundLog) << "ALSA: default device open," << snd_pcm_type_name(snd_pcm_type(pcm.get()))
                      << "with a buffer of" << buffer << "frames";
    return pcm;
}

// The writes go on: a device that stood still plays again.
void wrote(AlsaShared& shared) {
    bool back = false, steady = false;
    {
        std::lock_guard lock(shared.mutex);
        shared.lastWritten = Clock::now();
        steady = shared.faltering.exchange(false);
        back = std::exchange(shared.stalled, false);
        if (back) shared.problem.clear();
        if (back) shared.playing = true;
    }
    if (back) qCDebug(soundLog) << "ALSA: the default device plays again";
    if (back || steady) shared.news->changed();
}

// Writes one chunk whole; false when the device failed. Only frames the
// device took count as written: a recovery, or a wait, is not progress.
bool writeChunk(AlsaShared& shared, snd_pcm_t* pcm, const std::vector<std::int16_t>& chunk) {
    const std::int16_t* at = chunk.data();
    auto left = static_cast<snd_pcm_uframes_t>(chunk.size());
    int recoveries = 0; // in a row, with nothing written between
    while (left > 0 && !shared.quit) {
        snd_pcm_sframes_t written = snd_pcm_writei(pcm, at, left);
        if (written == -EAGAIN) {
            // The watcher judges how long this takes.
            const int ready = snd_pcm_wait(pcm, 100);
            if (ready >= 0) continue;
            written = ready;
        }
        if (written == -EPIPE) qCDebug(soundLog) << "ALSA: the device ran out of sound (underrun)";
        if (written < 0 && ++recoveries <= 3 && snd_pcm_recover(pcm, int(written), 1) == 0)
            continue;
        if (written < 0) {
            setProblem(shared, std::string("ALSA: ") + snd_strerror(int(written)));
            return false;
        }
        at += written;
        left -= static_cast<snd_pcm_uframes_t>(written);
        if (written > 0) recoveries = 0;
        if (written > 0) wrote(shared);
    }
    return true;
}

// Plays while the output is needed; false when the device failed.
bool play(AlsaShared& shared, snd_pcm_t* pcm) {
    std::vector<std::int16_t> chunk(kChunkFrames);
    {
        std::lock_guard lock(shared.mutex);
        shared.feeding = true;
        shared.stalled = false;
        shared.lastWritten = Clock::now();
        shared.problem.clear();
        shared.playing = true;
    }
    shared.changed.notify_all();
    shared.news->changed();
    for (;;) {
        {
            std::lock_guard lock(shared.mutex);
            if (shared.quit || !shared.needed()) break;
            shared.mixer.next(chunk.data(), chunk.size());
        }
        if (!writeChunk(shared, pcm, chunk)) break;
    }
    bool ended = false;
    {
        std::lock_guard lock(shared.mutex);
        shared.feeding = false;
        shared.playing = false;
        shared.faltering = false;
        ended = shared.quit || !shared.needed();
    }
    shared.news->changed();
    return ended;
}

void work(const std::shared_ptr<AlsaShared>& shared) {
    std::unique_lock lock(shared->mutex);
    while (!shared->quit) {
        if (!shared->needed()) {
            shared->changed.wait(lock);
            continue;
        }
        lock.unlock();
        bool failed = true;
        if (Pcm pcm = openDefault(*shared)) {
            failed = !play(*shared, pcm.get());
            if (!failed) qCDebug(soundLog) << "ALSA: default device closed";
        }
        lock.lock();
        if (failed) {
            // What was rung into a failed device is not heard.
            const int lost = dropStrokes(*shared);
            lock.unlock();
            shared->news->lost(lost);
            lock.lock();
            shared->changed.wait_for(lock, kRetryEvery, [&] { return shared->quit.load(); });
        }
    }
    shared->finished = true;
    shared->changed.notify_all();
}

// Runs beside the worker, never on the device: writes that stand still while
// the worker feeds the device mean it stopped playing; for a moment, it
// falters and the owner readies what comes next; for longer, its strokes
// are lost. A watch that itself wakes late means this whole program was
// held up (stopped, or starved of CPU): the writes are given that time.
void watch(const std::shared_ptr<AlsaShared>& shared) {
    std::unique_lock lock(shared->mutex);
    while (!shared->quit) {
        if (!shared->feeding) {
            shared->changed.wait(lock); // nothing to watch until the device is open
            continue;
        }
        const auto due = Clock::now() + kWatchEvery;
        shared->changed.wait_until(lock, due);
        const auto now = Clock::now();
        if (now - due > kHeldUp) shared->lastWritten = std::max(shared->lastWritten, now);
        if (!shared->feeding || shared->stalled) continue;
        const auto still = now - shared->lastWritten;
        if (still >= kFalters && !shared->faltering.exchange(true)) {
            lock.unlock();
            shared->news->changed();
            lock.lock();
        }
        if (still < kStandsStill) continue;
        shared->stalled = true;
        shared->faltering = false;
        shared->problem = "ALSA's default device stopped playing";
        shared->playing = false;
        const int lost = dropStrokes(*shared);
        lock.unlock();
        qCDebug(soundLog) << "ALSA: the default device stopped playing;" << lost
                          << "stroke(s) lost";
        shared->news->changed();
        shared->news->lost(lost);
        lock.lock();
    }
}

class AlsaBellOutput final : public BellOutput {
  public:
    AlsaBellOutput() : shared_(std::make_shared<AlsaShared>()) {
        shared_->news = news();
        std::thread(work, shared_).detach();
        watcher_ = std::thread(watch, shared_);
    }
    ~AlsaBellOutput() override {
        cutOffNews();
        std::unique_lock lock(shared_->mutex);
        shared_->quit = true;
        shared_->changed.notify_all();
        shared_->changed.wait_for(lock, 1s, [this] { return shared_->finished; });
        lock.unlock();
        watcher_.join();
    }
    void keepReady(bool wanted) override {
        std::lock_guard lock(shared_->mutex);
        shared_->wanted = wanted;
        shared_->changed.notify_all();
    }
    bool ring() override {
        std::lock_guard lock(shared_->mutex);
        if (!shared_->playing) return false;
        shared_->mixer.ring();
        return true;
    }
    bool playing() const override { return shared_->playing; }
    bool faltering() const override { return shared_->faltering; }
    std::string problem() const override {
        std::lock_guard lock(shared_->mutex);
        return shared_->problem;
    }
    std::string name() const override { return "ALSA's default device"; }

  private:
    std::shared_ptr<AlsaShared> shared_;
    std::thread watcher_;
};
} // namespace

std::unique_ptr<BellOutput> makeAlsaBellOutput() {
    return std::make_unique<AlsaBellOutput>();
}

} // namespace bw
