#include "screen_saver_inhibitor.h"

#include "dbus_log.h"
#include "wayland_idle_inhibitor.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QFile>
#include <QVariantMap>

namespace bw {

namespace {
using Route = ScreenSaverInhibitor::Route;
using Kind = ScreenSaverInhibitor::Kind;

const Route kFreedesktop{"org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver",
                         "org.freedesktop.ScreenSaver", Kind::Cookie};
const Route kMate{"org.mate.ScreenSaver", "/org/mate/ScreenSaver", "org.mate.ScreenSaver",
                  Kind::Cookie};
const Route kPortal{"org.freedesktop.portal.Desktop", "/org/freedesktop/portal/desktop",
                    "org.freedesktop.portal.Inhibit", Kind::Portal};
constexpr uint kPortalIdle = 8;
// A hung service must not keep the next route waiting while the screen blanks.
constexpr int kCallTimeoutMs = 2000;
const char* const kReason = "A talk is being timed";

bool sandboxed() {
    return QFile::exists("/.flatpak-info") || qEnvironmentVariableIsSet("SNAP");
}

std::vector<Route> routesInOrder() {
    if (sandboxed()) return {kPortal, kFreedesktop, kMate};
    return {kFreedesktop, kMate, kPortal};
}

// Asked of the owner found a moment before, so the owner that grants the
// inhibit is known from the bus and not from the reply.
QDBusMessage inhibitCall(const Route& r, const QString& owner) {
    QDBusMessage m = QDBusMessage::createMethodCall(owner, r.path, r.interface, "Inhibit");
    if (r.kind == Kind::Portal)
        m << QString() << kPortalIdle << QVariantMap{{"reason", QString(kReason)}};
    else
        m << QString("bellwarden") << QString(kReason);
    m.setAutoStartService(false);
    return m;
}

// Addressed to the owner that granted the inhibit, never to whoever holds the
// name now: a restarted service never issued that cookie.
QDBusMessage releaseCall(const Route& r, const QString& owner, const QVariant& cookie) {
    QDBusMessage m;
    if (r.kind == Kind::Portal) {
        m = QDBusMessage::createMethodCall(owner, cookie.value<QDBusObjectPath>().path(),
                                           "org.freedesktop.portal.Request", "Close");
    } else {
        m = QDBusMessage::createMethodCall(owner, r.path, r.interface, "UnInhibit");
        m << cookie.toUInt();
    }
    m.setAutoStartService(false);
    return m;
}

QDBusMessage ownerQuery(const QString& service) {
    QDBusMessage m = QDBusMessage::createMethodCall("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                    "org.freedesktop.DBus", "GetNameOwner");
    m << service;
    return m;
}

std::optional<QVariant> cookieOf(const Route& r, const QDBusMessage& reply) {
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return {};
    const QVariant v = reply.arguments().first();
    if (r.kind == Kind::Portal && v.canConvert<QDBusObjectPath>()) return v;
    if (r.kind == Kind::Cookie && v.canConvert<uint>()) return QVariant(v.toUInt());
    return {};
}
} // namespace

ScreenSaverInhibitor::ScreenSaverInhibitor(QObject* parent)
    : QObject(parent), wayland_(new WaylandIdleInhibitor(this)), routes_(routesInOrder()),
      watcher_(new QDBusServiceWatcher(this)) {
    watcher_->setConnection(QDBusConnection::sessionBus());
    watcher_->setWatchMode(QDBusServiceWatcher::WatchForOwnerChange);
    for (const Route& r : routes_)
        watcher_->addWatchedService(r.service);
    connect(watcher_, &QDBusServiceWatcher::serviceOwnerChanged, this,
            &ScreenSaverInhibitor::ownerChanged);
    // Released while the event loop still runs, so that the release goes out.
    if (QCoreApplication* app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this,
                [this] { sessionRunningChanged(false); });
}

ScreenSaverInhibitor::~ScreenSaverInhibitor() {
    sessionRunningChanged(false);
}

QString ScreenSaverInhibitor::heldBy() const {
    return held_ ? QString(routes_[held_->route].service) : QString();
}

void ScreenSaverInhibitor::watchWindow(QWindow* window) {
    wayland_->watch(window);
}

void ScreenSaverInhibitor::sessionRunningChanged(bool running) {
    x11_.hold(running);
    wayland_->hold(running);
    wanted_ = running;
    if (running)
        inhibit();
    else
        release();
}

void ScreenSaverInhibitor::inhibit() {
    if (!wanted_ || held_) return;
    if (pending_) {
        askAgain_ = true; // a service came or went while asking: ask all again
        return;
    }
    if (!QDBusConnection::sessionBus().isConnected()) return;
    askAgain_ = false;
    tryRoute(0);
}

void ScreenSaverInhibitor::tryRoute(size_t index) {
    pending_ = false;
    if (!wanted_) return;          // the session has ended: ask no further route
    if (index >= routes_.size()) { // nothing answers: carry on
        qCDebug(dbusLog) << "no screen-saver service answers";
        if (askAgain_) inhibit();
        return;
    }
    pending_ = true;
    call(ownerQuery(routes_[index].service), [this, index](const QDBusMessage& reply) {
        const QString owner = reply.arguments().value(0).toString();
        if (!wanted_ || reply.type() != QDBusMessage::ReplyMessage || owner.isEmpty())
            return tryRoute(index + 1);
        askOwner(index, owner);
    });
}

void ScreenSaverInhibitor::askOwner(size_t index, const QString& owner) {
    call(inhibitCall(routes_[index], owner), [this, index, owner](const QDBusMessage& reply) {
        const std::optional<QVariant> cookie = cookieOf(routes_[index], reply);
        if (!cookie) return tryRoute(index + 1);
        pending_ = false;
        held_ = Held{index, owner, *cookie};
        qCDebug(dbusLog) << "screen saver held off through" << routes_[index].service;
        if (!wanted_) release(); // the session ended while the call was on its way
    });
}

void ScreenSaverInhibitor::call(const QDBusMessage& message,
                                std::function<void(const QDBusMessage&)> onReply) {
    auto* watcher = new QDBusPendingCallWatcher(
        QDBusConnection::sessionBus().asyncCall(message, kCallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [onReply = std::move(onReply)](QDBusPendingCallWatcher* w) {
                w->deleteLater();
                onReply(w->reply());
            });
}

void ScreenSaverInhibitor::release() {
    if (!held_) return;
    QDBusConnection::sessionBus().send(
        releaseCall(routes_[held_->route], held_->owner, held_->cookie));
    held_.reset();
}

void ScreenSaverInhibitor::ownerChanged(const QString& service, const QString& oldOwner,
                                        const QString& /*newOwner*/) {
    // The owner that granted the inhibit is gone, and with it the inhibit.
    if (held_ && service == routes_[held_->route].service && held_->owner == oldOwner)
        held_.reset();
    inhibit();
}

} // namespace bw
