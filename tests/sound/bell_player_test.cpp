// The player's choice between the sound output and the system beep, against
// a scripted output.

#include "bell_player.h"
#include "message_log.h"

#include <gtest/gtest.h>

using namespace bw;
using namespace bw::test;

namespace {
struct ScriptedOutput : BellOutput {
    bool live = false;
    int rung = 0;
    std::vector<bool> readyAsked;
    void keepReady(bool wanted) override { readyAsked.push_back(wanted); }
    bool ring() override { return live && ++rung; }
    bool playing() const override { return live; }
    std::string problem() const override { return "Connection refused"; }
    std::string name() const override { return "scripted"; }
};

struct Player {
    ScriptedOutput* output = new ScriptedOutput;
    int systemBeeps = 0;
    BellPlayer player{std::unique_ptr<BellOutput>(output), [this] { ++systemBeeps; }};
};
} // namespace

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
    EXPECT_EQ(err.text(), "bellwarden.sound: no sound output (Connection refused); bells use the "
                          "system beep until it is back\n"
                          "bellwarden.sound: the sound output is back; bells ring again\n"
                          "bellwarden.sound: no sound output (Connection refused); bells use the "
                          "system beep until it is back\n");
}

TEST(BellPlayer, TheOutputIsReadyAroundABellOnly) {
    Player p;
    for (int steps : {601, 16, 15, 1, 20, 31, -1})
        p.player.nextBeepIn(steps);
    // Ready from 15 steps ahead, kept within 30, let go beyond or when none is due.
    EXPECT_EQ(p.output->readyAsked, (std::vector<bool>{false, true, true, false, false}));
}
