// The present on a real X server (run under xvfb-run, whose screen size the ctest
// entry chooses): the game's 64 x 48 frame shown full screen on a desktop of the
// frame's size, of twice its size, of 1.5625 times its size, and of twice its height
// with bars at the sides, read back from the screen as the X server holds it. Every
// case runs through OpenGL and through the software present (scaled on the
// processor, put through shared memory), and both ways must show the same picture.
#define GL_GLEXT_PROTOTYPES 1
// clang-format off
#include <gtest/gtest.h>  // before Xlib, whose None would clash with it
// clang-format on
#include <SDL.h>
#include <SDL_opengl.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

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

// The screen as the X server shows it: RGB, bottom row first (as OpenGL counts).
struct ShownScreen {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
    uint8_t At(int x, int y, int c) const { return rgb[(std::size_t(y) * width + x) * 3 + c]; }
};

Display* XDisplayOf(SDL_Window* window, Window& xwindow) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return nullptr;
    xwindow = info.info.x11.window;
    return info.info.x11.display;
}

ShownScreen ReadScreen(int w, int h) {
    ShownScreen screen{w, h, std::vector<uint8_t>(std::size_t(w) * h * 3)};
    Window xwindow = None;
    Display* display = XDisplayOf(SDL_GL_GetCurrentWindow(), xwindow);
    if (!display) return screen;
    glFinish();
    XSync(display, False);
    XImage* image = XGetImage(display, DefaultRootWindow(display), 0, 0, unsigned(w), unsigned(h),
                              AllPlanes, ZPixmap);
    if (!image) return screen;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            unsigned long pixel = XGetPixel(image, x, h - 1 - y);
            uint8_t* at = &screen.rgb[(std::size_t(y) * w + x) * 3];
            at[0] = uint8_t(pixel >> 16);
            at[1] = uint8_t(pixel >> 8);
            at[2] = uint8_t(pixel);
        }
    XDestroyImage(image);
    return screen;
}

// One window for the process: the platform starts once.
class PresentTest : public ::testing::TestWithParam<bool> {
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
    // Frames start in the off-screen frame, shown the way the parameter says.
    void SetUp() override {
        ASSERT_NE(window, nullptr) << setUpError;
        ASSERT_EQ(window->UseSoftwarePresent(Software()), Software())
            << "no shared memory with this X server";
        window->BindFrame();
    }
    static bool Software() { return GetParam(); }
    // Shows one frame of the pattern and reads the screen.
    static ShownScreen ShowPattern() {
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT);
        DrawPattern();
        window->Present();
        return ReadScreen(screenW, screenH);
    }
    static inline GameWindow* window = nullptr;
    static inline int screenW = 0, screenH = 0;
    static inline std::string setUpError;
};

// Each screen pixel of the picture shows the texel under it.
void ExpectWholeScale(const ShownScreen& shown, int left, int scale) {
    int wrong = 0;
    for (int y = 0; y < kFrameH * scale; ++y)
        for (int x = 0; x < kFrameW * scale; ++x)
            for (int c = 0; c < 3; ++c)
                wrong += shown.At(left + x, y, c) != Channel(x / scale, y / scale, c);
    EXPECT_EQ(wrong, 0);
}

int DrawTarget() {
    GLint draw = -1;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &draw);
    return draw;
}

long LitInColumns(const ShownScreen& shown, int from, int to) {
    long lit = 0;
    for (int y = 0; y < shown.height; ++y)
        for (int x = from; x < to; ++x)
            lit += shown.At(x, y, 0) || shown.At(x, y, 1) || shown.At(x, y, 2);
    return lit;
}
}  // namespace

TEST_P(PresentTest, WholeNumberScalesShowEveryTexelAsASquareOfPixels) {
    int scale = std::min(screenW / kFrameW, screenH / kFrameH);
    if (screenH != scale * kFrameH)
        GTEST_SKIP() << "the picture does not fill the desktop's height";
    int left = (screenW - kFrameW * scale) / 2;
    ExpectWholeScale(ShowPattern(), left, scale);
    // From the second frame on the frame is drawn into the window's drawable where
    // it is the frame's size, and always in the software present.
    EXPECT_EQ(DrawTarget() == 0, scale == 1 || Software());
    ExpectWholeScale(ShowPattern(), left, scale);
}

// A fractional scale filters linearly: each pixel lies between the texels around the
// point it samples, and the picture is not the nearest texel everywhere.
TEST_P(PresentTest, FractionalScaleFiltersBetweenNeighbouringTexels) {
    double scale = std::min(double(screenW) / kFrameW, double(screenH) / kFrameH);
    if (scale == int(scale)) GTEST_SKIP() << "the desktop is a whole multiple of the frame";
    ASSERT_EQ(screenW, int(kFrameW * scale))
        << "the ctest entry picks a desktop of the frame's shape";
    ShownScreen shown = ShowPattern();
    EXPECT_EQ(DrawTarget() == 0, Software());
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
                int low = *std::min_element(texels, texels + 4),
                    high = *std::max_element(texels, texels + 4);
                int value = shown.At(x, y, c);
                outside += value < low - 1 || value > high + 1;
                between += value != texels[0] && value != texels[1] && value != texels[2] &&
                           value != texels[3];
            }
        }
    }
    EXPECT_EQ(outside, 0);
    EXPECT_GT(between, screenW * screenH / 4);
}

// The same frame through OpenGL and through the processor, in both orders (the
// software present leaves the next frame in the window's drawable, which the
// OpenGL present then scales from): at whole scales the same pixels, filtered
// within a little rounding (the processor weighs with 7 and 8 bits).
TEST_P(PresentTest, BothWaysShowTheSamePicture) {
    ShownScreen first = ShowPattern();
    ASSERT_EQ(window->UseSoftwarePresent(!Software()), !Software());
    ShownScreen second = ShowPattern();
    ASSERT_EQ(window->UseSoftwarePresent(Software()), Software());
    ShownScreen third = ShowPattern();
    double scale = std::min(double(screenW) / kFrameW, double(screenH) / kFrameH);
    int tolerance = scale == int(scale) ? 0 : 3, worst = 0;
    for (std::size_t i = 0; i < first.rgb.size(); ++i)
        worst = std::max({worst, std::abs(first.rgb[i] - second.rgb[i]),
                          std::abs(third.rgb[i] - second.rgb[i])});
    EXPECT_LE(worst, tolerance) << "at a scale of " << scale;
    EXPECT_TRUE(first.rgb == third.rgb);
}

// Bars beside the picture are black, filled when the picture takes its place and
// again when the window was uncovered, not in every frame.
TEST_P(PresentTest, BarsAreBlackAndFilledOnlyWhenNeeded) {
    // The smooth fit: the largest scale that fits, the picture centred.
    double scale = std::min(double(screenW) / kFrameW, double(screenH) / kFrameH);
    int left = (screenW - int(std::lround(kFrameW * scale))) / 2;
    if (left == 0) GTEST_SKIP() << "no bars on this desktop";
    ShownScreen shown = ShowPattern();
    EXPECT_EQ(LitInColumns(shown, 0, left), 0);
    EXPECT_EQ(LitInColumns(shown, screenW - left, screenW), 0);
    EXPECT_GT(LitInColumns(shown, left, screenW - left), (screenW - 2 * left) * screenH / 2);
    if (!Software()) return;  // OpenGL clears the whole window every frame

    // Something else paints over the bars (a box that went away); the next frame
    // leaves them so, the uncovering repaints them.
    Window xwindow = None;
    Display* display = XDisplayOf(SDL_GL_GetCurrentWindow(), xwindow);
    ASSERT_NE(display, nullptr);
    GC gc = XCreateGC(display, xwindow, 0, nullptr);
    XSetForeground(display, gc, 0xFFFFFF);
    XFillRectangle(display, xwindow, gc, 0, 0, unsigned(screenW), unsigned(screenH));
    XFreeGC(display, gc);
    XSync(display, False);
    EXPECT_GT(LitInColumns(ShowPattern(), 0, left), 0) << "the bars are filled every frame";
    XClearArea(display, xwindow, 0, 0, 0, 0, True);  // as the server tells an uncovered window
    XSync(display, False);
    window->PumpEvents();
    shown = ShowPattern();
    EXPECT_EQ(LitInColumns(shown, 0, left), 0);
    EXPECT_EQ(LitInColumns(shown, screenW - left, screenW), 0);
}

INSTANTIATE_TEST_SUITE_P(Ways, PresentTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "Software" : "OpenGL";
                         });
