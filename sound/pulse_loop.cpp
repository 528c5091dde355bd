#include "pulse_loop.h"

#include <pulse/timeval.h>

#include <cstdint>
#include <sys/eventfd.h>
#include <unistd.h>

namespace bw {

PulseLoop::PulseLoop() {
    if (!api_) return;
    wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd_ < 0) return;
    wakeEvent_ = api_->io_new(
        api_, wakeFd_, PA_IO_EVENT_INPUT,
        [](pa_mainloop_api*, pa_io_event*, int, pa_io_event_flags_t, void* self) {
            static_cast<PulseLoop*>(self)->takeRequests();
        },
        this);
}

PulseLoop::~PulseLoop() {
    stop();
    if (wakeEvent_) api_->io_free(wakeEvent_);
    if (wakeFd_ >= 0) close(wakeFd_);
}

void PulseLoop::start(std::function<void()> afterRound, std::function<void()> atExit) {
    if (!valid()) return;
    afterRound_ = std::move(afterRound);
    atExit_ = std::move(atExit);
    thread_ = std::thread([this] { run(); });
}

void PulseLoop::post(Request request) {
    if (!valid()) return;
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(std::move(request));
    }
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = write(wakeFd_, &one, sizeof one);
}

void PulseLoop::stop() {
    if (!thread_.joinable()) return;
    quit_ = true;
    post([] {});
    thread_.join();
}

void PulseLoop::run() {
    while (!quit_) {
        if (pa_mainloop_iterate(loop_.get(), 1, nullptr) < 0) {
            // Not expected of a loop nobody quits: what it held is closed.
            qCWarning(soundLog) << "sound server output: its loop ended";
            break;
        }
        if (afterRound_) guarded(afterRound_);
    }
    if (atExit_) guarded(atExit_);
}

// The counter is read before the requests are taken: one posted after this
// makes the descriptor readable again, and the next round takes it.
void PulseLoop::takeRequests() {
    std::uint64_t count = 0;
    [[maybe_unused]] const auto read = ::read(wakeFd_, &count, sizeof count);
    std::vector<Request> requests;
    {
        std::lock_guard lock(mutex_);
        requests.swap(requests_);
    }
    for (auto& request : requests) {
        if (quit_) return;
        guarded(request);
    }
}

LoopTimer::LoopTimer(pa_mainloop_api* api, std::function<void()> fire)
    : api_(api), fire_(std::move(fire)) {}

LoopTimer::~LoopTimer() {
    if (event_) api_->time_free(event_);
}

void LoopTimer::arm(Clock::duration in) {
    due_ = Clock::now() + in;
    timeval at;
    pa_timeval_add(pa_gettimeofday(&at),
                   pa_usec_t(std::chrono::duration_cast<std::chrono::microseconds>(in).count()));
    if (event_) return api_->time_restart(event_, &at);
    event_ = api_->time_new(
        api_, &at,
        [](pa_mainloop_api*, pa_time_event*, const timeval*, void* self) {
            guarded(static_cast<LoopTimer*>(self)->fire_);
        },
        this);
}

void LoopTimer::disarm() {
    if (event_) api_->time_restart(event_, nullptr);
}

} // namespace bw
