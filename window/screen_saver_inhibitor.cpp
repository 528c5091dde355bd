#include "screen_saver_inhibitor.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace bw {

namespace {
const char* const kService = "org.freedesktop.ScreenSaver";
const char* const kPath = "/org/freedesktop/ScreenSaver";
const char* const kInterface = "org.freedesktop.ScreenSaver";

QDBusMessage call(const char* method) {
    QDBusMessage m = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
    m.setAutoStartService(false);
    return m;
}
} // namespace

ScreenSaverInhibitor::ScreenSaverInhibitor(QObject* parent) : QObject(parent) {}

ScreenSaverInhibitor::~ScreenSaverInhibitor() {
    wanted_ = false;
    release();
}

void ScreenSaverInhibitor::sessionRunningChanged(bool running) {
    wanted_ = running;
    if (running)
        inhibit();
    else
        release();
}

void ScreenSaverInhibitor::inhibit() {
    if (pending_ || cookie_) return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    QDBusMessage m = call("Inhibit");
    m << QString("bellwarden") << QString("A talk is being timed");
    pending_ = true;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(m), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        pending_ = false;
        QDBusPendingReply<uint> reply = *w;
        if (reply.isError()) return; // no screen saver here: carry on
        cookie_ = reply.value();
        if (!wanted_) release(); // the session ended while the call was on its way
    });
}

void ScreenSaverInhibitor::release() {
    if (!cookie_) return;
    QDBusMessage m = call("UnInhibit");
    m << *cookie_;
    cookie_.reset();
    QDBusConnection::sessionBus().send(m);
}

} // namespace bw
