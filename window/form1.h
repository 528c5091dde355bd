#pragma once
// The one window of the program. It owns its controls and the session, and
// turns each Qt event into the session handler of the same name.

#include "qt_elements.h"
#include "session.h"
#include "session_activity.h"
#include "twips.h"

#include <QTimer>
#include <QWidget>
#include <set>
#include <string>
#include <vector>

class QButtonGroup;

namespace bw {

class Form1 : public QWidget {
  public:
    Form1(TimeOfDay& clock, Beeper& beeper, QWidget* parent = nullptr);

    Session& session() { return session_; }
    const TwipsScale& scale() const { return scale_; }
    double outerWidthTwips() const;

    // The handler of the 50 ms timer; public so tests can fire it in step
    // with a scripted clock.
    void onTimer();
    QTimer& timer() { return timer_; }

    // Told when a session starts running or returns to ready, and how far off
    // the next beep is.
    void addActivityListener(SessionActivity* listener) { listeners_.push_back(listener); }

    // The names in the window's tables (the engine's elements, the layout's
    // rows, the clicks) that no control answers to; reported at start-up.
    QStringList unresolvedControlNames() const;

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void buildDesign(); // the controls with their design properties
    void wireEvents();
    void setTabOrder();
    void applyLayout(); // the Resize handler

    // Runs one handler; an error inside it is reported once on standard error
    // and the program runs on with the writes made before it.
    template <class F> void guarded(const char* handler, F&& body) noexcept;
    void report(const char* handler, const char* what) noexcept;
    // Tells the listeners what changed in the session's activity, if anything.
    void notifyActivity() noexcept;

    TwipsScale scale_;
    QtElements elements_;
    Session session_;
    QTimer timer_;
    QButtonGroup* modeGroup_ = nullptr;
    std::set<std::string> reported_;
    std::vector<SessionActivity*> listeners_;
    bool running_ = false;
    int nextBeep_ = -1;
};

} // namespace bw
