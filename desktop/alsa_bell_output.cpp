// The bell's output through ALSA's default device, for a machine where no
// sound server runs; a default device that leads to a sound server is left
// alone. A worker thread opens the device while the output is
// wanted and feeds it the stroke mixer's sound at the device's own pace, so
// only that thread ever blocks on it. Opening is retried every second, so a
// device that appears later (or is released by another program) is used.
//
// A device may hang the thread that opens it (ALSA's pulse plugin waiting on
// a stopped server, say); the output then simply does not play, and at exit
// the thread is left behind rather than waited for.

#include "bell_output.h"
#include "bell_stroke.h"
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
constexpr unsigned kLatencyUs = 100'000;
constexpr std::size_t kChunkFrames = kRate / 50; // 20 ms at a time
using namespace std::chrono_literals;

// Shared between the output and its worker, which may outlive the output.
struct AlsaShared {
    std::mutex mutex;
    std::condition_variable changed;
    bool wanted = false;
    bool quit = false;
    bool finished = false;
    const std::vector<std::int16_t> stroke = synthesizeBellStroke(kRate);
    StrokeMixer mixer{stroke, kRate};
    std::atomic<bool> playing{false};
    std::string problem; // none until the device was tried
    BellOutput::StrokesLost lost;

    bool needed() { return wanted || mixer.ringing(); }
};

void setProblem(AlsaShared& shared, const std::string& why) {
    std::lock_guard lock(shared.mutex);
    shared.problem = why;
}

// ALSA prints its own errors to stderr; the reason is reported once, ours.
void quietAlsaErrors(const char*, int, const char*, int, const char*, ...) {}

snd_pcm_t* openDefault(AlsaShared& shared) {
    snd_lib_error_set_handler(quietAlsaErrors);
    snd_pcm_t* pcm = nullptr;
    int err = snd_pcm_open(&pcm, "default", SND_PCM_STREAM_PLAYBACK, 0);
    if (err == 0)
        err = snd_pcm_set_params(pcm, SND_PCM_FORMAT_S16, SND_PCM_ACCESS_RW_INTERLEAVED, 1, kRate,
                                 1, kLatencyUs);
    // A plugin device is a sound server's (pulse, pipewire, jack): the same
    // server as the first route, and it would hang as that one does.
    if (err == 0 && snd_pcm_type(pcm) == SND_PCM_TYPE_IOPLUG) {
        setProblem(shared, "ALSA's default device leads to the sound server");
    } else if (err == 0) {
        return pcm;
    } else {
        setProblem(shared,
                   std::string("ALSA's default device cannot be opened: ") + snd_strerror(err));
    }
    if (pcm) snd_pcm_close(pcm);
    return nullptr;
}

// Plays while the output is needed; false when the device failed.
bool play(AlsaShared& shared, snd_pcm_t* pcm) {
    std::vector<std::int16_t> chunk(kChunkFrames);
    for (;;) {
        {
            std::lock_guard lock(shared.mutex);
            if (shared.quit || !shared.needed()) return true;
            shared.mixer.next(chunk.data(), chunk.size());
        }
        snd_pcm_sframes_t written = snd_pcm_writei(pcm, chunk.data(), chunk.size());
        if (written < 0) written = snd_pcm_recover(pcm, int(written), 1);
        if (written < 0) {
            setProblem(shared, std::string("ALSA: ") + snd_strerror(int(written)));
            return false;
        }
    }
}

void work(const std::shared_ptr<AlsaShared>& shared) {
    std::unique_lock lock(shared->mutex);
    while (!shared->quit) {
        if (!shared->needed()) {
            shared->changed.wait(lock);
            continue;
        }
        lock.unlock();
        snd_pcm_t* pcm = openDefault(*shared);
        bool failed = pcm == nullptr;
        if (pcm) {
            shared->playing = true;
            failed = !play(*shared, pcm);
            shared->playing = false;
            snd_pcm_close(pcm);
        }
        lock.lock();
        if (failed) {
            // What was rung into a failed device is not heard.
            const bool lostStrokes = shared->mixer.ringing();
            shared->mixer = StrokeMixer(shared->stroke, kRate);
            if (lostStrokes && shared->lost) shared->lost(1);
            shared->changed.wait_for(lock, 1s);
        }
    }
    shared->finished = true;
    shared->changed.notify_all();
}

class AlsaBellOutput final : public BellOutput {
  public:
    AlsaBellOutput() : shared_(std::make_shared<AlsaShared>()) {
        shared_->lost = [this](int n) { reportLost(n); };
        std::thread(work, shared_).detach();
    }
    ~AlsaBellOutput() override {
        std::unique_lock lock(shared_->mutex);
        shared_->quit = true;
        shared_->lost = nullptr;
        shared_->changed.notify_all();
        shared_->changed.wait_for(lock, 1s, [this] { return shared_->finished; });
    }
    void keepReady(bool wanted) override {
        std::lock_guard lock(shared_->mutex);
        shared_->wanted = wanted;
        shared_->changed.notify_all();
    }
    bool ring() override {
        if (!shared_->playing) return false;
        std::lock_guard lock(shared_->mutex);
        shared_->mixer.ring();
        return true;
    }
    bool playing() const override { return shared_->playing; }
    std::string problem() const override {
        std::lock_guard lock(shared_->mutex);
        return shared_->problem;
    }

  private:
    std::shared_ptr<AlsaShared> shared_;
};
} // namespace

std::unique_ptr<BellOutput> makeAlsaBellOutput() {
    return std::make_unique<AlsaBellOutput>();
}

} // namespace bw
