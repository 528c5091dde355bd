#pragma once
// Where the bell's strokes are played. No call here waits on a sound server or
// a device: an output works on a thread of its own and only takes requests
// from the caller. The player asks for the output to be kept ready around a
// bell and rings strokes into it; a stroke the output cannot play at that
// moment is refused, and one it took but then could not play is reported as
// lost, so the caller can fall back for it either way.

#include "audibility.h"

#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace bw {

// An output's news for its owner, passed on from the output's threads. A
// thread that may outlive its output keeps these alive; the output cuts them
// off as it goes, so nothing reaches an owner that is gone.
class OutputNews {
  public:
    using StrokesLost = std::function<void(int)>;
    using Changed = std::function<void()>;

    void set(StrokesLost lost, Changed changed) {
        std::lock_guard lock(mutex_);
        lost_ = std::move(lost);
        changed_ = std::move(changed);
    }
    void cutOff() { set(nullptr, nullptr); }
    // Called with no lock of the output held; the handlers only post.
    void lost(int strokes) {
        std::lock_guard lock(mutex_);
        if (strokes > 0 && lost_) lost_(strokes);
    }
    void changed() {
        std::lock_guard lock(mutex_);
        if (changed_) changed_();
    }

  private:
    std::mutex mutex_;
    StrokesLost lost_;
    Changed changed_;
};

class BellOutput {
  public:
    using StrokesLost = OutputNews::StrokesLost;

    virtual ~BellOutput() = default;
    // While wanted, the output is connected (and reconnected after any loss)
    // and fed silence; once unwanted it closes as soon as its strokes have
    // sounded.
    virtual void keepReady(bool wanted) = 0;
    // Takes a stroke to play now; false when the output is not playing.
    virtual bool ring() = 0;
    // Whether ring() would take a stroke now.
    virtual bool playing() const = 0;
    // Playing, but silent or still for a moment: the strokes it takes may
    // sound late or not at all, so the next route is readied.
    virtual bool faltering() const { return false; }
    // Why the output is not playing, for the user.
    virtual std::string problem() const = 0;
    // A short name for the log.
    virtual std::string name() const = 0;
    // What keeps the output's sound from being heard, as last found while
    // it played; nothing when it is heard or the output cannot tell.
    virtual Inaudible inaudible() const { return {}; }

    // Set once, before the output is first used: strokes lost, from any
    // thread, and (optionally) that playing(), faltering() or inaudible()
    // changed.
    void onStrokesLost(StrokesLost lost, OutputNews::Changed changed = nullptr) {
        news_->set(std::move(lost), std::move(changed));
    }

  protected:
    void reportLost(int strokes) const { news_->lost(strokes); }
    void reportChanged() const { news_->changed(); }
    // For threads that may outlive the output.
    std::shared_ptr<OutputNews> news() const { return news_; }
    // In the destructor of an output whose threads may still report.
    void cutOffNews() { news_->cutOff(); }

  private:
    std::shared_ptr<OutputNews> news_ = std::make_shared<OutputNews>();
};

// The desktop's sound server through the PulseAudio protocol (also served by
// PipeWire), on the server's default sink at the moment it opens.
std::unique_ptr<BellOutput> makePulseBellOutput();
// ALSA's default device, for a machine with no sound server.
std::unique_ptr<BellOutput> makeAlsaBellOutput();
// The outputs of this platform, tried in that order, under one owner.
std::unique_ptr<BellOutput> makeBellOutput();

} // namespace bw
