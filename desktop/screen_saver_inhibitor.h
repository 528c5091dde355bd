#pragma once
// Keeps the screen lit while a session runs, by every means the desktop
// offers, all held and released together: the X server's own saver is
// suspended (X11), an idle inhibitor is put on the window's surface (Wayland),
// and the desktop's screen-saver service is asked on D-Bus, which on GNOME
// and KDE also holds off locking and suspend.
//
// On D-Bus, desktops
// answer on different D-Bus services, tried in order until one answers: the
// freedesktop ScreenSaver (GNOME, KDE, Cinnamon, xscreensaver...), MATE's own,
// and the desktop portal's Inhibit, which is also all a sandbox can reach and
// so comes first there. The services are watched: one that appears after
// Start, or gets a new owner during a session, is asked again, and an
// inhibit is released only to the owner that granted it. Calls never wait for
// an answer and are given up after two seconds; with no bus or no such service
// nothing happens. Quitting the program releases the inhibit.

#include "session_activity.h"
#include "x11_screen_saver_suspend.h"

#include <QObject>
#include <QString>
#include <QVariant>
#include <functional>
#include <optional>
#include <vector>

class QDBusMessage;
class QDBusServiceWatcher;
class QWindow;

namespace bw {

class WaylandIdleInhibitor;

class ScreenSaverInhibitor : public QObject, public SessionActivity {
  public:
    explicit ScreenSaverInhibitor(QObject* parent = nullptr);
    ~ScreenSaverInhibitor() override;

    // The window whose surface carries the Wayland idle inhibitor.
    void watchWindow(QWindow* window);
    void sessionRunningChanged(bool running) override;
    bool inhibiting() const { return held_.has_value(); }
    // Whether a service is being asked now, and an answer may still change
    // what is held.
    bool asking() const { return pending_; }
    // The service name of the route that holds the inhibit, empty if none.
    QString heldBy() const;

    enum class Kind { Cookie, Portal };
    struct Route {
        const char* service;
        const char* path;
        const char* interface;
        Kind kind;
    };

  private:
    struct Held {
        size_t route;
        QString owner;   // the unique bus name that granted it
        QVariant cookie; // a uint, or the portal's request handle
    };
    void inhibit();
    void tryRoute(size_t index);
    void askOwner(size_t index, const QString& owner);
    void call(const QDBusMessage& message, std::function<void(const QDBusMessage&)> onReply);
    void release();
    void ownerChanged(const QString& service, const QString& oldOwner, const QString& newOwner);

    X11ScreenSaverSuspend x11_;
    WaylandIdleInhibitor* wayland_;
    std::vector<Route> routes_;
    QDBusServiceWatcher* watcher_;
    bool wanted_ = false;
    bool pending_ = false; // a route is being asked
    bool askAgain_ = false;
    std::optional<Held> held_;
};

} // namespace bw
