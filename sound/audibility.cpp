#include "audibility.h"

#include <cmath>

namespace bw {

namespace {
// At or below this share of normal volume a bell is lost in a room.
constexpr double kQuietest = 0.05;

bool isStandIn(const OutputLevel& level) {
    // PulseAudio and PipeWire both name their stand-in sink so.
    return level.sinkName == "auto_null";
}
} // namespace

Inaudible inaudible(const OutputLevel& level) {
    const std::string device = "'" + level.sinkDescription + "'";
    if (isStandIn(level))
        return {device + " is no real sound device",
                "Connect a sound device, or check that its driver is loaded."};
    if (level.sinkMuted) return {device + " is muted", "Unmute it."};
    if (level.streamMuted)
        return {"the bell is muted in the sound mixer", "Unmute Bellwarden there."};
    const double loudness = level.sinkVolume * level.streamVolume;
    if (loudness <= kQuietest)
        return {device + " is turned down to " +
                    std::to_string(static_cast<int>(std::lround(loudness * 100))) + " %",
                "Turn it up."};
    return {};
}

} // namespace bw
