#include "pulse_connection.h"

#include "pulse_loop.h"
#include "sound_log.h"

#include <pulse/error.h>

namespace bw {

namespace {
constexpr auto kConnectTimeout = std::chrono::seconds(3);

std::string unreachable(pa_context* context) {
    return std::string("no sound server can be reached: ") + pa_strerror(pa_context_errno(context));
}
} // namespace

PulseConnection::PulseConnection(pa_mainloop_api* api, Handlers handlers)
    : api_(api), handlers_(std::move(handlers)) {}

bool PulseConnection::check() {
    if (!context_) {
        connect();
        return false;
    }
    switch (pa_context_get_state(context_.get())) {
    case PA_CONTEXT_READY:
        return true;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        close();
        connect();
        return false;
    default:
        if (std::chrono::steady_clock::now() - connectStarted_ > kConnectTimeout) {
            handlers_.failed("the sound server does not answer");
            close();
            connect();
        }
        return false;
    }
}

void PulseConnection::connect() {
    context_.reset(pa_context_new(api_, "Bellwarden"));
    if (!context_) return handlers_.failed("the sound library could not make a connection");
    connectStarted_ = std::chrono::steady_clock::now();
    pa_context_set_state_callback(
        context_.get(),
        [](pa_context*, void* self) {
            guarded([&] { static_cast<PulseConnection*>(self)->stateChanged(); });
        },
        this);
    // The default sink may change (a device plugged in, or the user's
    // choice), and so may the mute and volume of the sink or the stream.
    pa_context_set_subscribe_callback(
        context_.get(),
        [](pa_context*, pa_subscription_event_type_t event, uint32_t, void* self) {
            guarded([&] { static_cast<PulseConnection*>(self)->handlers_.serverChanged(event); });
        },
        this);
    // No autospawn: a desktop starts its own server, and a stray one would not
    // reach the user's speakers.
    if (pa_context_connect(context_.get(), nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        handlers_.failed(unreachable(context_.get()));
}

void PulseConnection::stateChanged() {
    pa_context* c = context_.get();
    const pa_context_state_t state = pa_context_get_state(c);
    if (state == PA_CONTEXT_READY) {
        qCDebug(soundLog) << "sound server: connected to" << pa_context_get_server(c);
        const auto events = static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SERVER |
                                                                PA_SUBSCRIPTION_MASK_SINK |
                                                                PA_SUBSCRIPTION_MASK_SINK_INPUT);
        letGo(pa_context_subscribe(c, events, nullptr, nullptr));
        handlers_.ready();
    } else if (state == PA_CONTEXT_FAILED) {
        handlers_.failed(unreachable(c));
    }
}

void PulseConnection::close() {
    if (!context_) return;
    pa_context_set_state_callback(context_.get(), nullptr, nullptr);
    pa_context_set_subscribe_callback(context_.get(), nullptr, nullptr);
    pa_context_disconnect(context_.get());
    context_.reset();
}

} // namespace bw
