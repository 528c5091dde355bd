#pragma once
// Where the bell's strokes are played: a connection to the desktop's sound
// server, made and kept on a thread of its own so that nothing here ever
// waits on the server. The player asks for the output to be kept ready around
// a bell and rings strokes into it; a stroke the output cannot play at that
// moment is refused, so the caller can fall back for it.

#include <memory>
#include <string>

namespace bw {

class BellOutput {
  public:
    virtual ~BellOutput() = default;
    // While wanted, the output is connected (and reconnected after any loss)
    // and fed silence; once unwanted it closes as soon as its strokes have
    // sounded.
    virtual void keepReady(bool wanted) = 0;
    // Starts a stroke; false when the output is not playing right now.
    virtual bool ring() = 0;
    // Why the output is not playing, for the user.
    virtual std::string problem() const = 0;
};

// The output of this platform: the PulseAudio protocol (also served by
// PipeWire), on the server's default sink at the moment it opens.
std::unique_ptr<BellOutput> makeBellOutput();

} // namespace bw
