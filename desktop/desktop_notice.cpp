#include "desktop_notice.h"

#include "dbus_log.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>
#include <utility>

namespace bw {

namespace {
constexpr int kCallTimeoutMs = 2000;
constexpr uchar kNormal = 1, kCritical = 2; // a critical one stays until dismissed
} // namespace

// Connecting to the bus may take a moment (or start one); done at start-up,
// never in the middle of a talk.
DesktopNotice::DesktopNotice() {
    QDBusConnection::sessionBus();
}

void DesktopNotice::show(const QString& summary, const QString& body, bool urgent) {
    if (awaitingId_) {
        next_ = Notice{summary, body, urgent};
        return;
    }
    send({summary, body, urgent});
}

void DesktopNotice::send(const Notice& notice) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    QDBusMessage call = QDBusMessage::createMethodCall("org.freedesktop.Notifications",
                                                       "/org/freedesktop/Notifications",
                                                       "org.freedesktop.Notifications", "Notify");
    const QVariantMap hints{{"urgency", QVariant::fromValue(notice.urgent ? kCritical : kNormal)},
                            {"desktop-entry", QString("org.bellwarden.bellwarden")}};
    call << QString("Bellwarden") << shownId_ << QString("org.bellwarden.bellwarden")
         << notice.summary << notice.body << QStringList() << hints << -1;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kCallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        const QDBusPendingReply<uint> reply = *w;
        if (reply.isValid())
            shownId_ = reply.value();
        else
            qCDebug(dbusLog) << "no notice shown:" << reply.error().message();
        w->deleteLater();
        awaitingId_ = false;
        if (next_) send(*std::exchange(next_, std::nullopt));
    });
    awaitingId_ = true;
}

} // namespace bw
