#pragma once
// The connection to the sound server, made on the loop's thread while the
// bell's output is wanted. Nothing is decided once: a connection that failed,
// or that has not come up within 3 s (a hung server accepts and never
// answers), is made anew at the next check, so a server that comes up late
// or restarts is used again.

#include "c_handle.h"

#include <pulse/context.h>
#include <pulse/subscribe.h>

#include <chrono>
#include <functional>
#include <string>

namespace bw {

class PulseConnection {
  public:
    struct Handlers {
        std::function<void()> ready;
        std::function<void(const std::string& why)> failed;
        std::function<void(pa_subscription_event_type_t)> serverChanged;
    };
    PulseConnection(pa_mainloop_api* api, Handlers handlers);
    ~PulseConnection() { close(); }
    PulseConnection(const PulseConnection&) = delete;
    PulseConnection& operator=(const PulseConnection&) = delete;

    // Connects, or starts afresh after a failure or a connection that does
    // not come up in time; true once the connection is ready.
    bool check();
    void close();
    pa_context* context() const { return context_.get(); }

  private:
    void connect();
    void stateChanged();

    using Context = CHandle<pa_context, pa_context_unref>;
    pa_mainloop_api* api_;
    Handlers handlers_;
    Context context_;
    std::chrono::steady_clock::time_point connectStarted_{};
};

} // namespace bw
