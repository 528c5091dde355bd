#pragma once
// A notice on the desktop, through the notification service of the session
// bus. Sent without waiting for an answer; when no service answers, nothing
// happens at all. Each notice replaces the one before, so the chair sees only
// what holds now.

#include <QObject>
#include <QString>
#include <functional>
#include <optional>

namespace bw {

class DesktopNotice : public QObject {
  public:
    DesktopNotice();
    // An urgent notice stays on screen until the user dismisses it.
    void show(const QString& summary, const QString& body, bool urgent);
    // show(), for those who take a notice as a function.
    std::function<void(const QString&, const QString&, bool)> handler() {
        return [this](const QString& summary, const QString& body, bool urgent) {
            show(summary, body, urgent);
        };
    }

  private:
    struct Notice {
        QString summary, body;
        bool urgent;
    };
    void send(const Notice& notice);

    uint shownId_ = 0; // the service's id of our notice on screen, if any
    bool awaitingId_ = false;
    // A notice that came while the last one's id was still awaited: sent with
    // that id once it is known, so that it replaces the last one.
    std::optional<Notice> next_;
};

} // namespace bw
