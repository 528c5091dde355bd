// The chair's notices about the bell, against a fake notification service on
// a private session bus (the test is run under dbus-run-session, with no sound
// server and no ALSA device reachable).

#include "bell_player.h"
#include "desktop_notice.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QTest>
#include <gtest/gtest.h>

using namespace bw;

namespace {

// Answers Notify with an id and notes each notice as "replaces-id icon
// summary"; the bodies' texts are the player's test's to check.
class FakeNotifications : public QDBusVirtualObject {
  public:
    FakeNotifications() : bus_(QDBusConnection::connectToBus(QDBusConnection::SessionBus, "fake")) {
        bus_.registerVirtualObject("/org/freedesktop/Notifications", this);
        bus_.registerService("org.freedesktop.Notifications");
    }
    ~FakeNotifications() override { QDBusConnection::disconnectFromBus(bus_.name()); }

    QStringList notices, bodies;

    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& m, const QDBusConnection& bus) override {
        if (m.member() != "Notify") return false;
        const QVariantList a = m.arguments();
        notices << QString("%1 %2 %3").arg(a[1].toUInt()).arg(a[2].toString(), a[3].toString());
        bodies << a[4].toString();
        bus.send(m.createReply(QVariant(uint(7))));
        return true;
    }

  private:
    QDBusConnection bus_;
};

struct SwitchableOutput : BellOutput {
    bool live = false;
    void keepReady(bool) override {}
    bool ring() override { return live; }
    bool playing() const override { return live; }
    std::string problem() const override { return "the sound server stopped taking sound"; }
    std::string name() const override { return "switchable"; }
};

// The player as the program wires it: its notices go to the desktop.
struct NoticedPlayer {
    explicit NoticedPlayer(std::unique_ptr<BellOutput> output)
        : player(
              std::move(output), [] {}, notice.handler()) {}
    DesktopNotice notice;
    BellPlayer player;
};

} // namespace

TEST(BellNotice, WithNoWayToSoundTheBellTheChairIsToldWithinTwoSecondsOfStart) {
    ASSERT_TRUE(QDBusConnection::sessionBus().isConnected()) << "run under dbus-run-session";
    FakeNotifications service;
    NoticedPlayer noticed(makeBellOutput());
    BellPlayer& player = noticed.player;
    player.sessionRunningChanged(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !service.notices.isEmpty(); }, 2000));
    EXPECT_EQ(service.notices[0], "0 org.bellwarden.bellwarden The bell cannot be heard");
    EXPECT_TRUE(service.bodies[0].contains("(No sound output: no sound server can be reached"))
        << service.bodies[0].toStdString();
    player.beep(); // the first bell: already said
    QTest::qWait(300);
    EXPECT_EQ(service.notices.size(), 1);
}

TEST(BellNotice, AFallbackDuringASessionAndTheReturnAreToldEachOnceInOneNotice) {
    FakeNotifications service;
    auto* output = new SwitchableOutput;
    output->live = true;
    NoticedPlayer noticed{std::unique_ptr<BellOutput>(output)};
    BellPlayer& player = noticed.player;
    player.sessionRunningChanged(true);
    player.beep();
    output->live = false;
    player.beep();
    player.beep();
    ASSERT_TRUE(QTest::qWaitFor([&] { return service.notices.size() == 1; }, 2000));
    output->live = true;
    player.beep();
    player.beep();
    ASSERT_TRUE(QTest::qWaitFor([&] { return service.notices.size() == 2; }, 2000));
    QTest::qWait(BellPlayer::kStartCheckMs); // the check after Start finds it playing: no more
    EXPECT_EQ(service.notices,
              (QStringList{"0 org.bellwarden.bellwarden The bell cannot be heard",
                           "7 org.bellwarden.bellwarden The bell is heard again"}));
}
