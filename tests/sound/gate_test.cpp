// The channel gate alone, fed pieces of a steady level as the mixer would: which passes
// are let through, and the fade after a stop.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "sound/ChannelGate.h"

namespace {
constexpr int kPassFrames = 100;  // stereo 16-bit frames a pass
constexpr int kFade = 10;         // frames of fade
constexpr int kLevel = 10000;

// Runs `frames` frames of the level through the gate in pieces of `piece` frames (a
// piece may run over the end of a pass) at the moment `now`; gives what came out, left.
class Gate : public ::testing::Test {
  protected:
    void SetUp() override { gate.Start(kPassFrames * 4, 4, kFade, false); }
    std::vector<int> Run(int frames, int piece, uint32_t now) {
        std::vector<int> left;
        for (int done = 0; done < frames; done += piece) {
            std::vector<int16_t> samples(size_t(2 * piece), int16_t(kLevel));
            gate.Process(samples.data(), piece * 4, now);
            for (int f = 0; f < piece; ++f) left.push_back(samples[size_t(2 * f)]);
        }
        return left;
    }
    static int Loud(const std::vector<int>& out) {
        int loud = 0;
        for (int v : out) loud += v == kLevel;
        return loud;
    }
    ChannelGate gate;
};

TEST_F(Gate, APassNobodyAskedToFollowIsTheLast) {
    std::vector<int> out = Run(3 * kPassFrames, 30, 1000);
    EXPECT_EQ(Loud(out), kPassFrames);
    for (int f = kPassFrames; f < 3 * kPassFrames; ++f) ASSERT_EQ(out[size_t(f)], 0) << f;
    EXPECT_TRUE(gate.Over());
}

TEST_F(Gate, APassAskedForAgainAndAgainFollowsAtOnce) {
    gate.AskAgain(1000);
    gate.AskAgain(1016);
    std::vector<int> out = Run(kPassFrames, 25, 1030);  // the first pass
    gate.AskAgain(1040);
    gate.AskAgain(1056);
    out = Run(kPassFrames, 25, 1060);                   // the second follows
    EXPECT_EQ(Loud(out), kPassFrames);
    out = Run(kPassFrames, 25, 1100);                   // asked for no more: over
    EXPECT_EQ(Loud(out), 0);
    EXPECT_TRUE(gate.Over());
}

TEST_F(Gate, OneAskOrAnOldOneIsNotEnough) {
    gate.AskAgain(1000);  // once only
    Run(kPassFrames, 50, 1010);
    EXPECT_EQ(Loud(Run(kPassFrames, 50, 1020)), 0);

    // Asked every 16 ms: the pass follows while the last ask is at most 2 x 16 + 10 ms old.
    for (uint32_t age : {41u, 42u, 43u}) {
        gate.Start(kPassFrames * 4, 4, kFade, false);
        gate.AskAgain(1000);
        gate.AskAgain(1016);
        Run(kPassFrames, 50, 1020);
        EXPECT_EQ(Loud(Run(kPassFrames, 50, 1016 + age)), age <= 42 ? kPassFrames : 0) << age;
    }
    // Asks far apart widen the window to 100 ms at the most.
    gate.Start(kPassFrames * 4, 4, kFade, false);
    gate.AskAgain(1000);
    gate.AskAgain(1500);
    Run(kPassFrames, 50, 1550);
    EXPECT_EQ(Loud(Run(kPassFrames, 50, 1601)), 0);
}

TEST_F(Gate, ARepeatedSoundGoesOnUntilStopped) {
    gate.Start(kPassFrames * 4, 4, kFade, true);
    EXPECT_EQ(Loud(Run(5 * kPassFrames, 50, 1000)), 5 * kPassFrames);
    EXPECT_FALSE(gate.Over());
}

TEST_F(Gate, AStopFadesTheSoundOutInAStraightRamp) {
    Run(40, 20, 1000);
    gate.Stop();
    EXPECT_TRUE(gate.Over());  // stopped for the program at once
    std::vector<int> out = Run(40, 20, 1001);
    // From the level down to silence in kFade even steps, then silence.
    for (int f = 0; f < kFade; ++f)
        EXPECT_NEAR(out[size_t(f)], kLevel * (kFade - f) / (kFade + 1), 1) << f;
    for (int f = kFade; f < 40; ++f) ASSERT_EQ(out[size_t(f)], 0) << f;
    for (size_t f = 1; f < out.size(); ++f)
        EXPECT_LE(std::abs(out[f] - out[f - 1]), kLevel / (kFade + 1) + 1) << f;
    // The next pass stays silent too.
    EXPECT_EQ(Loud(Run(kPassFrames, 20, 1002)), 0);
}
}  // namespace
