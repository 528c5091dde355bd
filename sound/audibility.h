#pragma once
// Whether the bell would be heard on the output it plays to: a muted or
// silent device, the bell's own stream muted in a mixer, or a device that is
// no real one (the sound server's stand-in when it has no card) means it
// would not, however well the server plays.

#include <string>

namespace bw {

struct OutputLevel {
    std::string sinkName;        // the server's name for the device
    std::string sinkDescription; // as the desktop shows it
    bool sinkMuted = false;
    double sinkVolume = 1; // of the device's normal volume, its loudest channel
    bool streamMuted = false;
    double streamVolume = 1; // the bell's own stream, likewise
};

struct Inaudible {
    std::string what;   // for the chair: what keeps the bell from being heard
    std::string remedy; // what to do about it, in a sentence
};

// Nothing in `what` when the bell would be heard.
Inaudible inaudible(const OutputLevel& level);

} // namespace bw
