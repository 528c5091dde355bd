// The rule that decides whether the bell would be heard on its output.

#include "audibility.h"

#include <gtest/gtest.h>

using namespace bw;

namespace {
OutputLevel speakers() {
    OutputLevel level;
    level.sinkName = "alsa_output.pci-0000_00_1f.3.analog-stereo";
    level.sinkDescription = "Built-in Audio Analog Stereo";
    return level;
}
} // namespace

TEST(Audibility, AnOutputIsInaudibleWhenMutedTurnedDownOrNoRealDevice) {
    EXPECT_EQ(inaudible(speakers()).what, "");

    OutputLevel muted = speakers();
    muted.sinkMuted = true;
    EXPECT_EQ(inaudible(muted).what, "'Built-in Audio Analog Stereo' is muted");

    OutputLevel streamMuted = speakers();
    streamMuted.streamMuted = true;
    EXPECT_EQ(inaudible(streamMuted).what, "the bell is muted in the sound mixer");

    // The device and the bell's own stream together: 20 % of 20 % is 4 %.
    OutputLevel quiet = speakers();
    quiet.sinkVolume = 0.2;
    quiet.streamVolume = 0.2;
    EXPECT_EQ(inaudible(quiet).what, "'Built-in Audio Analog Stereo' is turned down to 4 %");
    quiet.streamVolume = 0.3; // 6 %: quiet, but heard
    EXPECT_EQ(inaudible(quiet).what, "");

    OutputLevel standIn = speakers();
    standIn.sinkName = "auto_null";
    standIn.sinkDescription = "Dummy Output";
    EXPECT_EQ(inaudible(standIn).what, "'Dummy Output' is no real sound device");
    EXPECT_FALSE(inaudible(standIn).remedy.empty());
}
