// The player's choice between the sound output and the system beep, against
// a scripted output.

#include "bell_player.h"
#include "message_log.h"

#include <QTest>

#include <gtest/gtest.h>

using namespace bw;
using namespace bw::test;

namespace {
struct ScriptedOutput : BellOutput {
    bool live = false;
    int rung = 0;
    std::vector<bool> readyAsked;
    Inaudible silenced;
    void keepReady(bool wanted) override { readyAsked.push_back(wanted); }
    bool ring() override { return live && ++rung; }
    bool playing() const override { return live; }
    std::string problem() const override { return "Connection refused"; }
    std::string name() const override { return "scripted"; }
    Inaudible inaudible() const override { return silenced; }
    void levelChanged(Inaudible now) {
        silenced = std::move(now);
        reportChanged();
    }
};

struct Player {
    ScriptedOutput* output = new ScriptedOutput;
    int systemBeeps = 0;
    QStringList notices; // "urgent|normal summary: body"
    BellPlayer player{
        std::unique_ptr<BellOutput>(output), [this] { ++systemBeeps; },
        [this](const QString& summary, const QString& body, bool urgent) {
            notices << QString("%1 %2: %3").arg(urgent ? "urgent" : "normal", summary, body);
        }};
};
} // namespace

// Every text the chair can be told is checked here, and only here.
TEST(BellPlayer, StrokesTheOutputCannotPlayUseTheSystemBeepAndTheOutputIsTriedAgain) {
    Player p;
    MessageLog err;
    p.player.beep(); // no server yet
    p.player.beep();
    p.output->live = true; // it came up
    p.player.beep();
    p.output->live = false; // and went away again
    p.player.beep();
    EXPECT_EQ(p.systemBeeps, 3);
    EXPECT_EQ(p.output->rung, 1);
    EXPECT_EQ(p.output->readyAsked, (std::vector<bool>{true, true, true}));
    const QString fellBack = "The bell cannot be heard: Check that a sound device is connected "
                             "and not muted. (No sound output: Connection refused.)";
    EXPECT_EQ(p.notices, (QStringList{"urgent " + fellBack,
                                      "normal The bell is heard again: The sound output is back.",
                                      "urgent " + fellBack}));
    ASSERT_EQ(err.lines.size(), 3);
    EXPECT_EQ(err.lines[0], "bellwarden.sound: " + fellBack);
}

TEST(BellPlayer, AnOutputThatPlaysButWouldNotBeHeardIsToldOnceAtStartAndWhenItChanges) {
    Player p;
    p.output->live = true;
    p.output->silenced = {"'Null Output' is muted", "Unmute it."};
    p.player.sessionRunningChanged(true);
    p.output->levelChanged(p.output->silenced); // within the start's check: told by it
    ASSERT_TRUE(QTest::qWaitFor([&] { return !p.notices.isEmpty(); }, 3000));
    p.output->levelChanged(p.output->silenced); // the same again: nothing new
    p.output->levelChanged({});
    ASSERT_TRUE(QTest::qWaitFor([&] { return p.notices.size() == 2; }, 1000));
    p.output->levelChanged({"the bell is muted in the sound mixer", "Unmute Bellwarden."});
    ASSERT_TRUE(QTest::qWaitFor([&] { return p.notices.size() == 3; }, 1000));
    p.player.sessionRunningChanged(false);
    p.output->levelChanged({}); // no session: nothing to tell
    QTest::qWait(50);
    EXPECT_EQ(p.notices,
              (QStringList{"urgent The bell will not be heard: 'Null Output' is muted. Unmute it.",
                           "normal The bell can be heard again: The sound output is no longer "
                           "muted or silent.",
                           "urgent The bell will not be heard: The bell is muted in the sound "
                           "mixer. Unmute Bellwarden."}));
}

TEST(BellPlayer, TheOutputIsReadyAroundABellOnly) {
    Player p;
    for (int steps : {601, 16, 15, 1, 20, 31, -1})
        p.player.nextBeepIn(steps);
    // Ready from 15 steps ahead, kept within 30, let go beyond or when none is due.
    EXPECT_EQ(p.output->readyAsked, (std::vector<bool>{false, true, true, false, false}));
}
