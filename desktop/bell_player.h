#pragma once
// Rings the bell for each beep request: a synthesised stroke through the
// bell output, which is kept ready from some seconds before a bell until its
// strokes have sounded, so that a sound server has woken its device in time.
// A stroke the output cannot play at that moment falls back to the system
// beep; the output keeps trying, so the next stroke may be heard again.

#include "bell_output.h"
#include "session_activity.h"
#include "window_elements.h"

#include <functional>
#include <memory>

namespace bw {

class BellPlayer : public Beeper, public SessionActivity {
  public:
    using SystemBeep = std::function<void()>;
    explicit BellPlayer(std::unique_ptr<BellOutput> output = makeBellOutput(),
                        SystemBeep systemBeep = defaultSystemBeep());

    void beep() override;
    void nextBeepIn(int steps) override;

    // The last stroke went to the system beep.
    bool usingSystemBeep() const { return fellBack_; }
    // Keeps the output ready now (normally done shortly before a bell).
    void openOutput() { output_->keepReady(true); }

    static SystemBeep defaultSystemBeep();

  private:
    std::unique_ptr<BellOutput> output_;
    SystemBeep systemBeep_;
    bool fellBack_ = false;
};

} // namespace bw
