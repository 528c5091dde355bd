#pragma once
// The bell's stream on the sound server, on the loop's thread. It is opened
// on the server's default sink of the moment and fed silence between
// strokes, which keeps the device awake. Each stroke is handed over whole,
// from the point the server plays now, so a stall of this program cannot cut
// it. While it is open the server is asked for its timing every 50 ms, and a
// PlaybackJudge says whether it plays.

#include "c_handle.h"
#include "playback_judge.h"
#include "pulse_loop.h"

#include <pulse/context.h>
#include <pulse/stream.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace bw {

class PulseStream {
  public:
    using Clock = std::chrono::steady_clock;
    struct Handlers {
        std::function<void()> ready; // open on a sink: its level can be asked
        std::function<void(bool)> playingChanged;
        std::function<void(bool)> falteringChanged;
        // It could not be opened, or it failed: opened again at the next check.
        std::function<void(const std::string& why)> failed;
        // Judged stopped: the owner starts afresh.
        std::function<void(const std::string& why)> stopped;
        std::function<void(int strokes)> lost;
    };
    PulseStream(pa_mainloop_api* api, Handlers handlers);
    ~PulseStream() { drop(); }
    PulseStream(const PulseStream&) = delete;
    PulseStream& operator=(const PulseStream&) = delete;

    void open(pa_context* context);
    // Closes it; the strokes it had not played are reported lost.
    void drop();
    pa_stream* get() const { return stream_.get(); }
    bool isReady() const;
    // Still being created after `limit`.
    bool stuckCreating(Clock::duration limit) const;
    // Hands a stroke asked for at `asked` to the server; false when it cannot.
    bool write(Clock::time_point asked);
    bool sounding() const { return judge_.sounding(Clock::now()); }
    // No stroke sounds and none was rung in the last two seconds: the stream
    // can be reopened without a bell's strokes falling apart.
    bool between() const { return !sounding() && Clock::now() - lastStroke_ > kBellSpan; }

  private:
    void stateChanged();
    void started();
    void feedSilence(std::size_t bytes);
    void watch();
    void ping();
    void answered(pa_stream* stream);
    void setPlaying(bool playing);
    void setFaltering(bool faltering);

    using Stream = CHandle<pa_stream, pa_stream_unref>;
    pa_mainloop_api* api_;
    Handlers handlers_;
    Stream stream_;
    PlaybackJudge judge_;
    LoopTimer watch_;
    static constexpr std::chrono::seconds kBellSpan{2};
    Clock::time_point opened_{}, lastStroke_{};
    bool playing_ = false;
    bool faltering_ = false;
    const std::vector<std::int16_t> stroke_;
    const Clock::duration strokeLength_;
    const std::vector<std::int16_t> silence_;
};

} // namespace bw
