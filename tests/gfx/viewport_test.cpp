// The frame's place in the window: smooth fitting with the aspect kept, and whole
// factors for integer scaling. Expected rectangles are worked out by hand.
#include <gtest/gtest.h>

#include <string>

#include "gfx/Viewport.h"

namespace {
std::string Describe(const ViewportRect& r) {
    return std::to_string(r.width) + "x" + std::to_string(r.height) + "+" + std::to_string(r.x) +
           "+" + std::to_string(r.y);
}
}  // namespace

TEST(Viewport, SmoothFitKeepsTheAspectWithBars) {
    // 1280x1024 over 640x480: width doubles (1280x960), 32 rows of bar above and below.
    EXPECT_EQ(Describe(FitViewport(1280, 1024, 640, 480, ScaleMode::kSmooth)),
              "1280x960+0+32");
    // 1920x1080: height limits, 1080/480 = 2.25, 1440 wide, 240 columns each side.
    EXPECT_EQ(Describe(FitViewport(1920, 1080, 640, 480, ScaleMode::kSmooth)),
              "1440x1080+240+0");
    // The frame's own size: drawn one to one.
    EXPECT_EQ(Describe(FitViewport(640, 480, 640, 480, ScaleMode::kSmooth)), "640x480+0+0");
    // Smaller than the frame: 320x480 halves it to 320x240, 120 rows each side.
    EXPECT_EQ(Describe(FitViewport(320, 480, 640, 480, ScaleMode::kSmooth)),
              "320x240+0+120");
}

TEST(Viewport, IntegerScalingPicksTheLargestWholeFactorThatFits) {
    // 1920x1080: 1920/640 = 3, 1080/480 = 2 (2.25 rounded down): factor 2, 1280x960.
    EXPECT_EQ(Describe(FitViewport(1920, 1080, 640, 480, ScaleMode::kInteger)),
              "1280x960+320+60");
    // 1279x1024: one column short of 2, so factor 1 and wide bars.
    EXPECT_EQ(Describe(FitViewport(1279, 1024, 640, 480, ScaleMode::kInteger)),
              "640x480+319+272");
    // Exactly three times: no bars.
    EXPECT_EQ(Describe(FitViewport(1920, 1440, 640, 480, ScaleMode::kInteger)),
              "1920x1440+0+0");
    // 2560x1440 over 320x200: 8 across, 7.2 down: factor 7, 2240x1400.
    EXPECT_EQ(Describe(FitViewport(2560, 1440, 320, 200, ScaleMode::kInteger)),
              "2240x1400+160+20");
}

TEST(Viewport, IntegerScalingBelowTheFrameSizeFallsBackToTheSmoothFit) {
    // No whole factor shows all of a 640x480 frame in 600x400: fit as smooth does.
    EXPECT_EQ(Describe(FitViewport(600, 400, 640, 480, ScaleMode::kInteger)),
              Describe(FitViewport(600, 400, 640, 480, ScaleMode::kSmooth)));
    EXPECT_EQ(Describe(FitViewport(600, 400, 640, 480, ScaleMode::kSmooth)),
              "533x400+33+0");
}

TEST(Viewport, DegenerateSizesStayInsideTheDrawable) {
    // A minimised window (0x0) and a zero-sized frame never give an empty or
    // negative rectangle.
    EXPECT_EQ(Describe(FitViewport(0, 0, 640, 480, ScaleMode::kSmooth)), "1x1+0+0");
    EXPECT_EQ(Describe(FitViewport(0, 0, 640, 480, ScaleMode::kInteger)), "1x1+0+0");
    EXPECT_EQ(Describe(FitViewport(-5, 100, 640, 480, ScaleMode::kSmooth)), "1x1+0+49");
    EXPECT_EQ(Describe(FitViewport(100, 100, 0, 0, ScaleMode::kInteger)), "100x100+0+0");
    // A very thin window: 1 column wide.
    EXPECT_EQ(Describe(FitViewport(1, 1000, 640, 480, ScaleMode::kSmooth)), "1x1+0+499");
}
