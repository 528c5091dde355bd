// The screen-saver inhibition against a fake org.freedesktop.ScreenSaver on
// a private session bus (the test is run under dbus-run-session).

#include "screen_saver_inhibitor.h"
#include "window_rig.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QObject>
#include <gtest/gtest.h>

using namespace bw;
using namespace bw::test;

namespace {

class FakeScreenSaver : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
  public:
    QStringList calls;
    uint nextCookie = 41;

  public slots:
    uint Inhibit(const QString& app, const QString& reason) {
        calls << QString("Inhibit %1 (%2)").arg(app, reason.isEmpty() ? "no reason" : "reason");
        return ++nextCookie;
    }
    void UnInhibit(uint cookie) { calls << QString("UnInhibit %1").arg(cookie); }
};

bool waitFor(const std::function<bool()>& done) {
    for (int i = 0; i < 200 && !done(); ++i)
        QTest::qWait(10);
    return done();
}

struct Bus : ::testing::Test {
    FakeScreenSaver fake;
    void SetUp() override {
        QDBusConnection bus = QDBusConnection::sessionBus();
        ASSERT_TRUE(bus.isConnected()) << "run under dbus-run-session";
        ASSERT_TRUE(bus.registerObject("/org/freedesktop/ScreenSaver", &fake,
                                       QDBusConnection::ExportAllSlots));
        ASSERT_TRUE(bus.registerService("org.freedesktop.ScreenSaver"));
    }
    void TearDown() override {
        QDBusConnection::sessionBus().unregisterService("org.freedesktop.ScreenSaver");
        QDBusConnection::sessionBus().unregisterObject("/org/freedesktop/ScreenSaver");
    }
};

} // namespace

TEST_F(Bus, InhibitedWhileASessionRunsAndReleasedAfter) {
    WindowRig rig;
    ScreenSaverInhibitor inhibitor;
    rig.form.addActivityListener(&inhibitor);
    rig.click("CBstend");
    ASSERT_TRUE(waitFor([&] { return inhibitor.inhibiting(); }));
    rig.click("CBpause"); // paused still counts as running
    rig.step(5);
    EXPECT_EQ(fake.calls, QStringList{"Inhibit bellwarden (reason)"});
    rig.click("CBstend"); // End
    ASSERT_TRUE(waitFor([&] { return fake.calls.size() == 2; }));
    EXPECT_EQ(fake.calls[1], "UnInhibit 42");
    EXPECT_FALSE(inhibitor.inhibiting());
}

TEST_F(Bus, ReleasedWhenTheProgramEnds) {
    {
        ScreenSaverInhibitor inhibitor;
        inhibitor.sessionRunningChanged(true);
        ASSERT_TRUE(waitFor([&] { return inhibitor.inhibiting(); }));
    }
    ASSERT_TRUE(waitFor([&] { return fake.calls.size() == 2; }));
    EXPECT_EQ(fake.calls[1], "UnInhibit 42");
}

TEST_F(Bus, AnEndBeforeTheReplyStillReleases) {
    ScreenSaverInhibitor inhibitor;
    inhibitor.sessionRunningChanged(true);
    inhibitor.sessionRunningChanged(false); // before the cookie has arrived
    ASSERT_TRUE(waitFor([&] { return fake.calls.size() == 2; }));
    EXPECT_EQ(fake.calls[1], "UnInhibit 42");
    EXPECT_FALSE(inhibitor.inhibiting());
}

TEST(NoScreenSaver, CarriesOnSilently) {
    WindowRig rig;
    ScreenSaverInhibitor inhibitor;
    rig.form.addActivityListener(&inhibitor);
    rig.click("CBstend");
    QTest::qWait(100);
    EXPECT_FALSE(inhibitor.inhibiting());
    rig.step(2);
    EXPECT_EQ(rig.readout(), "14:58");
}

#include "screen_saver_test.moc"
