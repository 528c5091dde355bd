#pragma once
// What the bell's stream comes to on the server: the mute and volume of its
// sink and of the stream itself, asked on the loop's thread whenever the
// server says they may have changed, and whether the server's default sink
// is still the stream's. A failed question leaves the last judgement as it
// was: a judgement is made only from a sink's and a stream's answers of the
// same round.

#include "audibility.h"

#include <pulse/context.h>
#include <pulse/introspect.h>
#include <pulse/stream.h>

#include <functional>
#include <mutex>
#include <string>

namespace bw {

class PulseLevel {
  public:
    using DefaultSink = std::function<void(const std::string& name)>;
    // `changed`: what keeps the bell unheard changed. `defaultSink`: the
    // name of the server's default sink, as answered.
    PulseLevel(std::function<void()> changed, DefaultSink defaultSink)
        : changed_(std::move(changed)), defaultSink_(std::move(defaultSink)) {}

    // Asks anew for the level of `stream`, which is ready.
    void ask(pa_context* context, pa_stream* stream);
    // Asks which sink is the default now.
    void askDefaultSink(pa_context* context);
    // From any thread.
    Inaudible inaudible() const;

  private:
    void sinkAnswered(const pa_sink_info* info, int eol);
    void streamAnswered(const pa_sink_input_info* info, int eol);
    void judge();

    std::function<void()> changed_;
    DefaultSink defaultSink_;
    OutputLevel level_;
    bool sinkAnswered_ = false; // this round's sink answer has come
    mutable std::mutex mutex_;
    Inaudible inaudible_;
};

} // namespace bw
