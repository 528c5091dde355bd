#pragma once
// Rings the bell for each beep request: a synthesised stroke through the
// bell output, which is kept ready from some seconds before a bell until its
// strokes have sounded, so that a sound server has woken its device in time.
// A stroke the output cannot play, at that moment or once it found it lost,
// falls back to the system beep; the output keeps trying, so the next stroke
// may be heard again; the window is marked as needing attention, since the
// system beep is silent on most desktops. The chair is told, on stderr and
// through the notice given (the desktop's, in the program): when a session
// starts with no way to sound the bell, when the bell falls back and when it
// is back; and when the output plays but would not be heard (muted, turned
// down, no real device), at the start and whenever that changes.

#include "bell_output.h"
#include "session_activity.h"
#include "window_elements.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>

namespace bw {

class BellPlayer : public Beeper, public SessionActivity {
  public:
    using SystemBeep = std::function<void()>;
    using Notice = std::function<void(const QString& summary, const QString& body, bool urgent)>;
    explicit BellPlayer(std::unique_ptr<BellOutput> output = makeBellOutput(),
                        SystemBeep systemBeep = defaultSystemBeep(), Notice notice = {});
    ~BellPlayer() override;

    void beep() override;
    void sessionRunningChanged(bool running) override;
    void nextBeepIn(int steps) override;

    // The last stroke went to the system beep.
    bool usingSystemBeep() const { return fellBack_; }
    // Keeps the output ready now (normally done shortly before a bell).
    void openOutput() { output_->keepReady(true); }

    static SystemBeep defaultSystemBeep();
    // How long after a start the outputs have to show they can play.
    static constexpr int kStartCheckMs = 1200;

  private:
    void strokeLost();
    void checkAtStart();
    void applyReadiness();
    void tell(const QString& summary, const QString& body, bool urgent);
    void tellFellBack();
    void tellBack();
    void checkAudible();

    QObject events_; // strokes lost on the output's thread are handled here
    Notice notice_;
    QTimer startCheck_;
    std::unique_ptr<BellOutput> output_;
    SystemBeep systemBeep_;
    bool fellBack_ = false;
    bool running_ = false;
    bool starting_ = false;     // kept ready until the check after a start
    std::string toldInaudible_; // what the chair was last told keeps the bell unheard
    int nextBeep_ = -1;
};

} // namespace bw
