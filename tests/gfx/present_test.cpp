// The present on a real X server (run under xvfb-run, whose screen size the ctest
// entry chooses): the game's 64 x 48 frame shown full screen on a desktop of the
// frame's size, of twice its size and of 1.5625 times its size, read back from the
// window. The first frame is copied from the off-screen frame, the second is drawn
// straight into the window where it has the frame's size.
#define GL_GLEXT_PROTOTYPES 1
#include <SDL.h>
#include <SDL_opengl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "gfx/GameWindow.h"

namespace {
constexpr int kFrameW = 64;
constexpr int kFrameH = 48;

// The test picture: every texel differs from its neighbours in each channel.
uint8_t Channel(int x, int y, int c) {
    const int steps[3][2] = {{4, 1}, {1, 5}, {3, 2}};
    return uint8_t((x * steps[c][0] + y * steps[c][1] + 40 * c) % 256);
}

void DrawPattern() {
    std::vector<uint8_t> rgb;
    for (int y = 0; y < kFrameH; ++y)
        for (int x = 0; x < kFrameW; ++x)
            for (int c = 0; c < 3; ++c) rgb.push_back(Channel(x, y, c));
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glWindowPos2i(0, 0);
    glDrawPixels(kFrameW, kFrameH, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
}

// What the window shows, bottom row first.
std::vector<uint8_t> WindowPixels(int w, int h) {
    std::vector<uint8_t> rgb(std::size_t(w) * h * 3);
    GLint draw = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &draw);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);  // the software renderer keeps what it swapped
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, GLuint(draw));
    return rgb;
}

// One window for the process: the platform starts once.
class Present : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        std::string error;
        if (!PlatformInit(false, error)) {
            setUpError = error;
            return;
        }
        window = GameWindow::Create("present", kFrameW, kFrameH, error);
        if (!window || !window->EnterFullscreen()) {
            setUpError = "no full-screen window: " + error;
            return;
        }
        SDL_Rect desktop{0, 0, 0, 0};
        SDL_GetDisplayBounds(0, &desktop);
        screenW = desktop.w;
        screenH = desktop.h;
        // The drawable takes the desktop's size with the first swap.
        window->Present();
    }
    static void TearDownTestSuite() {
        delete window;
        window = nullptr;
        PlatformQuit();
    }
    // Frames start in the off-screen frame.
    void SetUp() override {
        ASSERT_NE(window, nullptr) << setUpError;
        window->BindFrame();
    }
    // Shows one frame of the pattern and reads the window.
    static std::vector<uint8_t> ShowPattern() {
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT);
        DrawPattern();
        window->Present();
        glFinish();
        return WindowPixels(screenW, screenH);
    }
    static inline GameWindow* window = nullptr;
    static inline int screenW = 0, screenH = 0;
    static inline std::string setUpError;
};

uint8_t At(const std::vector<uint8_t>& rgb, int w, int x, int y, int c) {
    return rgb[(std::size_t(y) * w + x) * 3 + c];
}

// Each window pixel shows the texel under it, for both frames; where the window has
// the frame's size the second frame was drawn into it directly.
void ExpectWholeScale(const std::vector<uint8_t>& shown, int screenW, int scale) {
    int wrong = 0;
    for (int y = 0; y < kFrameH * scale; ++y)
        for (int x = 0; x < kFrameW * scale; ++x)
            for (int c = 0; c < 3; ++c)
                wrong += At(shown, screenW, x, y, c) != Channel(x / scale, y / scale, c);
    EXPECT_EQ(wrong, 0);
}

int DrawTarget() {
    GLint draw = -1;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &draw);
    return draw;
}
}  // namespace

TEST_F(Present, WholeNumberScalesShowEveryTexelAsASquareOfPixels) {
    int scale = screenW / kFrameW;
    if (screenW != scale * kFrameW || screenH != scale * kFrameH)
        GTEST_SKIP() << "the desktop is no whole multiple of the frame";
    ExpectWholeScale(ShowPattern(), screenW, scale);
    // From the second frame on a window of the frame's size is drawn into directly.
    EXPECT_EQ(DrawTarget() == 0, scale == 1);
    ExpectWholeScale(ShowPattern(), screenW, scale);
}

// A fractional scale filters linearly: each pixel lies between the texels around the
// point it samples, and the picture is not the nearest texel everywhere.
TEST_F(Present, FractionalScaleFiltersBetweenNeighbouringTexels) {
    double scale = std::min(double(screenW) / kFrameW, double(screenH) / kFrameH);
    if (scale == int(scale)) GTEST_SKIP() << "the desktop is a whole multiple of the frame";
    ASSERT_EQ(screenW, int(kFrameW * scale)) << "the ctest entry picks a desktop of the frame's shape";
    std::vector<uint8_t> shown = ShowPattern();
    EXPECT_NE(DrawTarget(), 0);
    int outside = 0, between = 0;
    for (int y = 0; y < screenH; ++y) {
        for (int x = 0; x < screenW; ++x) {
            double u = (x + 0.5) / scale - 0.5, v = (y + 0.5) / scale - 0.5;
            int x0 = std::clamp(int(std::floor(u)), 0, kFrameW - 1);
            int x1 = std::min(x0 + 1, kFrameW - 1);
            int y0 = std::clamp(int(std::floor(v)), 0, kFrameH - 1);
            int y1 = std::min(y0 + 1, kFrameH - 1);
            for (int c = 0; c < 3; ++c) {
                int texels[4] = {Channel(x0, y0, c), Channel(x1, y0, c), Channel(x0, y1, c),
                                 Channel(x1, y1, c)};
                int low = *std::min_element(texels, texels + 4), high = *std::max_element(texels, texels + 4);
                int value = At(shown, screenW, x, y, c);
                outside += value < low - 1 || value > high + 1;
                between += value != texels[0] && value != texels[1] && value != texels[2] &&
                           value != texels[3];
            }
        }
    }
    EXPECT_EQ(outside, 0);
    EXPECT_GT(between, screenW * screenH / 4);
}
