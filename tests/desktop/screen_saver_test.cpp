// The screen-saver inhibit against fake services on a private session bus
// (the test is run under dbus-run-session). Each fake has a bus connection of
// its own, so a restarted service has a new owner, as on a desktop.

#include "screen_saver_inhibitor.h"
#include "window_rig.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

using namespace bw;
using namespace bw::test;

namespace {

const char* const kFreedesktop = "org.freedesktop.ScreenSaver";
const char* const kMate = "org.mate.ScreenSaver";
const char* const kPortal = "org.freedesktop.portal.Desktop";

// Answers Inhibit with a cookie (or a portal request handle), notes the rest.
class FakeService : public QDBusVirtualObject {
  public:
    FakeService(const QString& service, const QString& path, uint firstCookie)
        : service_(service), path_(path), nextCookie_(firstCookie),
          bus_(QDBusConnection::connectToBus(QDBusConnection::SessionBus,
                                             service + QString::number(firstCookie))) {
        bus_.registerVirtualObject(path, this, QDBusConnection::SubPath);
        bus_.registerService(service);
    }
    ~FakeService() override { stop(); }
    void stop() {
        bus_.unregisterService(service_);
        bus_.unregisterObject(path_, QDBusConnection::UnregisterTree);
        QDBusConnection::disconnectFromBus(bus_.name());
    }

    QStringList calls;
    // While set, Inhibit is noted but left unanswered until answerHeld().
    bool holdInhibit = false;
    void answerHeld(bool withCookie) {
        QDBusMessage reply = withCookie ? held_.createReply(QVariant(nextCookie_++))
                                        : held_.createErrorReply(QDBusError::Failed, "refused");
        bus_.send(reply);
    }

    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& m, const QDBusConnection& bus) override {
        QString call = m.member();
        if (holdInhibit && call == "Inhibit") {
            calls << call + " held";
            held_ = m;
            return true;
        }
        QDBusMessage reply = m.createReply();
        if (m.member() == "Inhibit" && m.interface() == "org.freedesktop.portal.Inhibit") {
            const QString handle = QString("%1/request/%2").arg(path_).arg(nextCookie_++);
            call += QString(" flags %1 -> %2").arg(m.arguments().value(1).toUInt()).arg(handle);
            reply << QVariant::fromValue(QDBusObjectPath(handle));
        } else if (m.member() == "Inhibit") {
            call += QString(" %1 -> %2").arg(m.arguments().value(0).toString()).arg(nextCookie_);
            reply << nextCookie_++;
        } else if (m.member() == "UnInhibit") {
            call += QString(" %1").arg(m.arguments().value(0).toUInt());
        } else {
            call += " " + m.path();
        }
        calls << call;
        bus.send(reply);
        return true;
    }

  private:
    QString service_, path_;
    uint nextCookie_;
    QDBusConnection bus_;
    QDBusMessage held_;
};

std::unique_ptr<FakeService> freedesktop(uint firstCookie = 42) {
    return std::make_unique<FakeService>(kFreedesktop, "/org/freedesktop/ScreenSaver", firstCookie);
}

bool waitFor(const std::function<bool()>& done, int timeoutMs = 3000) {
    return QTest::qWaitFor(done, timeoutMs);
}

struct Bus : ::testing::Test {
    void SetUp() override {
        ASSERT_TRUE(QDBusConnection::sessionBus().isConnected()) << "run under dbus-run-session";
    }
};

} // namespace

TEST_F(Bus, InhibitedWhileASessionRunsAndReleasedAfter) {
    auto fake = freedesktop();
    WindowRig rig;
    ScreenSaverInhibitor inhibitor;
    rig.form.addActivityListener(&inhibitor);
    rig.click("CBstend");
    ASSERT_TRUE(waitFor([&] { return inhibitor.inhibiting(); }));
    rig.click("CBpause"); // paused still counts as running
    rig.step(5);
    EXPECT_EQ(fake->calls, QStringList{"Inhibit bellwarden -> 42"});
    rig.click("CBstend"); // End
    ASSERT_TRUE(waitFor([&] { return fake->calls.size() == 2; }));
    EXPECT_EQ(fake->calls[1], "UnInhibit 42");
    EXPECT_FALSE(inhibitor.inhibiting());
}

TEST_F(Bus, ReleasedWhenTheProgramEndsOrTheSessionEndsBeforeTheReply) {
    auto fake = freedesktop();
    {
        ScreenSaverInhibitor inhibitor;
        inhibitor.sessionRunningChanged(true);
        ASSERT_TRUE(waitFor([&] { return inhibitor.inhibiting(); }));
    }
    ScreenSaverInhibitor inhibitor;
    fake->holdInhibit = true;
    inhibitor.sessionRunningChanged(true);
    ASSERT_TRUE(waitFor([&] { return fake->calls.size() == 3; }));
    inhibitor.sessionRunningChanged(false); // before the cookie has arrived
    fake->answerHeld(true);
    ASSERT_TRUE(waitFor([&] { return fake->calls.size() == 4; }));
    EXPECT_EQ(fake->calls[1], "UnInhibit 42");
    EXPECT_EQ(fake->calls[3], "UnInhibit 43");
    EXPECT_FALSE(inhibitor.inhibiting());
}

TEST_F(Bus, AServiceThatComesLaterOrRestartsIsAskedAgain) {
    ScreenSaverInhibitor inhibitor;
    inhibitor.sessionRunningChanged(true);
    ASSERT_TRUE(waitFor([&] { return !inhibitor.asking(); }));
    EXPECT_FALSE(inhibitor.inhibiting());

    auto first = freedesktop(42); // appears after Start
    ASSERT_TRUE(waitFor([&] { return inhibitor.inhibiting(); }));
    EXPECT_EQ(first->calls, QStringList{"Inhibit bellwarden -> 42"});

    first->stop(); // restarts: a new owner, which never issued cookie 42
    auto second = freedesktop(7);
    ASSERT_TRUE(waitFor([&] { return second->calls.size() == 1; }));
    EXPECT_EQ(second->calls[0], "Inhibit bellwarden -> 7");
    ASSERT_TRUE(waitFor([&] { return inhibitor.inhibiting(); }));

    inhibitor.sessionRunningChanged(false);
    ASSERT_TRUE(waitFor([&] { return second->calls.size() == 2; }));
    EXPECT_EQ(second->calls[1], "UnInhibit 7");
    EXPECT_EQ(first->calls.size(), 1);
}

TEST_F(Bus, MateAndThePortalAreUsedWhenTheyAreAllThatAnswers) {
    {
        FakeService mate(kMate, "/org/mate/ScreenSaver", 5);
        ScreenSaverInhibitor inhibitor;
        inhibitor.sessionRunningChanged(true);
        ASSERT_TRUE(waitFor([&] { return inhibitor.inhibiting(); }));
        EXPECT_EQ(inhibitor.heldBy(), kMate);
        inhibitor.sessionRunningChanged(false);
        ASSERT_TRUE(waitFor([&] { return mate.calls.size() == 2; }));
        EXPECT_EQ(mate.calls, (QStringList{"Inhibit bellwarden -> 5", "UnInhibit 5"}));
    }
    FakeService portal(kPortal, "/org/freedesktop/portal/desktop", 3);
    ScreenSaverInhibitor inhibitor;
    inhibitor.sessionRunningChanged(true);
    ASSERT_TRUE(waitFor([&] { return inhibitor.inhibiting(); }));
    inhibitor.sessionRunningChanged(false);
    ASSERT_TRUE(waitFor([&] { return portal.calls.size() == 2; }));
    EXPECT_EQ(portal.calls,
              (QStringList{"Inhibit flags 8 -> /org/freedesktop/portal/desktop/request/3",
                           "Close /org/freedesktop/portal/desktop/request/3"}));
}

TEST_F(Bus, AHungServiceIsPassedOverAndNoRouteIsAskedAfterTheEnd) {
    FakeService mate(kMate, "/org/mate/ScreenSaver", 5);
    auto hung = freedesktop();
    hung->holdInhibit = true;
    ScreenSaverInhibitor inhibitor;
    inhibitor.sessionRunningChanged(true);
    ASSERT_TRUE(waitFor([&] { return inhibitor.inhibiting(); }, 4000)); // not Qt's 25 s
    EXPECT_EQ(inhibitor.heldBy(), kMate);
    inhibitor.sessionRunningChanged(false);

    inhibitor.sessionRunningChanged(true);
    ASSERT_TRUE(waitFor([&] { return hung->calls.size() == 2; }));
    inhibitor.sessionRunningChanged(false);
    hung->answerHeld(false); // refused after the end: MATE must not be asked again
    ASSERT_TRUE(waitFor([&] { return !inhibitor.asking(); }));
    EXPECT_EQ(mate.calls, (QStringList{"Inhibit bellwarden -> 5", "UnInhibit 5"}));
}

TEST_F(Bus, QuittingReleasesTheInhibitWhileTheLoopStillRuns) {
    auto fake = freedesktop();
    ScreenSaverInhibitor inhibitor;
    inhibitor.sessionRunningChanged(true);
    ASSERT_TRUE(waitFor([&] { return inhibitor.inhibiting(); }));
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    qApp->exec();
    EXPECT_FALSE(inhibitor.inhibiting());
    ASSERT_TRUE(waitFor([&] { return fake->calls.size() == 2; }));
    EXPECT_EQ(fake->calls[1], "UnInhibit 42");
}

TEST(NoScreenSaver, CarriesOnSilently) {
    WindowRig rig;
    ScreenSaverInhibitor inhibitor;
    rig.form.addActivityListener(&inhibitor);
    rig.click("CBstend");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !inhibitor.asking(); }, 3000));
    EXPECT_FALSE(inhibitor.inhibiting());
    rig.step(2);
    EXPECT_EQ(rig.readout(), "14:58");
}
