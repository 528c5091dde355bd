#pragma once
// A libpulse main loop on a thread of its own, which alone touches libpulse.
// Other threads hand it requests, which run on that thread in the order they
// were given; they never wait on it, so a dead, hung or slow server never
// holds up the window. A request is announced on an eventfd that stays
// readable until the loop has taken it, so no wake-up can be lost between
// one round of the loop and the next.

#include "c_handle.h"
#include "sound_log.h"

#include <pulse/mainloop.h>
#include <pulse/operation.h>

#include <atomic>
#include <chrono>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace bw {

// A callback from C must not let an exception through: it is logged, and the
// supervisor's next check carries on from whatever state it left.
template <typename Body> void guarded(Body&& body) {
    try {
        body();
    } catch (const std::exception& e) {
        qCWarning(soundLog) << "sound server output:" << e.what();
    }
}

// Operations are not waited for: each is let go at once, NULL or not.
inline void letGo(pa_operation* operation) {
    if (operation) pa_operation_unref(operation);
}

class PulseLoop {
  public:
    using Request = std::function<void()>;
    PulseLoop();
    ~PulseLoop();
    PulseLoop(const PulseLoop&) = delete;
    PulseLoop& operator=(const PulseLoop&) = delete;

    bool valid() const { return api_ && wakeEvent_; }
    pa_mainloop_api* api() const { return api_; }
    // Runs the loop; `afterRound` after each round of its work, `atExit` on
    // its thread as it ends.
    void start(std::function<void()> afterRound, std::function<void()> atExit);
    // From any thread.
    void post(Request request);
    // Ends the loop and joins its thread; requests not yet taken are dropped.
    void stop();

  private:
    void run();
    void takeRequests();

    using MainLoop = CHandle<pa_mainloop, pa_mainloop_free>;
    MainLoop loop_{pa_mainloop_new()};
    pa_mainloop_api* api_ = loop_ ? pa_mainloop_get_api(loop_.get()) : nullptr;
    int wakeFd_ = -1;
    pa_io_event* wakeEvent_ = nullptr;
    std::function<void()> afterRound_, atExit_;
    std::mutex mutex_;
    std::vector<Request> requests_;
    std::atomic<bool> quit_{false};
    std::thread thread_;
};

// A timer of the loop, armed and re-armed on the loop's thread; it may be
// disarmed or re-armed from within its own callback.
class LoopTimer {
  public:
    using Clock = std::chrono::steady_clock;
    LoopTimer(pa_mainloop_api* api, std::function<void()> fire);
    ~LoopTimer();
    LoopTimer(const LoopTimer&) = delete;
    LoopTimer& operator=(const LoopTimer&) = delete;

    // Fires once, `in` from now; a timer already armed is moved.
    void arm(Clock::duration in);
    void disarm();
    // When it was last armed to fire.
    Clock::time_point due() const { return due_; }

  private:
    pa_mainloop_api* api_;
    std::function<void()> fire_;
    pa_time_event* event_ = nullptr;
    Clock::time_point due_{};
};

} // namespace bw
