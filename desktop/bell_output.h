#pragma once
// Where the bell's strokes are played. An output connects on a thread of its
// own so that nothing here ever waits on a sound server or a device. The
// player asks for the output to be kept ready around a bell and rings strokes
// into it; a stroke the output cannot play at that moment is refused, and one
// it took but then could not play is reported as lost, so the caller can fall
// back for it either way.

#include <functional>
#include <memory>
#include <string>

namespace bw {

class BellOutput {
  public:
    // Called from the output's own thread with the number of strokes lost.
    using StrokesLost = std::function<void(int)>;

    virtual ~BellOutput() = default;
    // While wanted, the output is connected (and reconnected after any loss)
    // and fed silence; once unwanted it closes as soon as its strokes have
    // sounded.
    virtual void keepReady(bool wanted) = 0;
    // Starts a stroke; false when the output is not playing right now.
    virtual bool ring() = 0;
    // Whether ring() would take a stroke now.
    virtual bool playing() const = 0;
    // Why the output is not playing, for the user.
    virtual std::string problem() const = 0;

    // Set once, before the output is first used.
    void onStrokesLost(StrokesLost handler) { strokesLost_ = std::move(handler); }

  protected:
    void reportLost(int strokes) const {
        if (strokes > 0 && strokesLost_) strokesLost_(strokes);
    }

  private:
    StrokesLost strokesLost_;
};

// The desktop's sound server through the PulseAudio protocol (also served by
// PipeWire), on the server's default sink at the moment it opens.
std::unique_ptr<BellOutput> makePulseBellOutput();
// ALSA's default device, for a machine with no sound server.
std::unique_ptr<BellOutput> makeAlsaBellOutput();
// The outputs of this platform, tried in that order.
std::unique_ptr<BellOutput> makeBellOutput();

} // namespace bw
