#include "desktop_notice.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace bw {

namespace {
constexpr int kCallTimeoutMs = 2000;
constexpr int kCritical = 2; // stays until the user dismisses it
} // namespace

void DesktopNotice::show(const QString& summary, const QString& body) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    QDBusMessage call = QDBusMessage::createMethodCall("org.freedesktop.Notifications",
                                                       "/org/freedesktop/Notifications",
                                                       "org.freedesktop.Notifications", "Notify");
    const QVariantMap hints{{"urgency", QVariant::fromValue(uchar(kCritical))},
                            {"desktop-entry", QString("org.bellwarden.bellwarden")}};
    call << QString("Bellwarden") << shownId_ << QString("org.bellwarden.bellwarden") << summary
         << body << QStringList() << hints << -1;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kCallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        const QDBusPendingReply<uint> reply = *w;
        if (reply.isValid()) shownId_ = reply.value();
        w->deleteLater();
    });
}

} // namespace bw
