// The window around the frame: F11 switches full screen and window, the window is
// resized, and neither touches the game's pixels in the off-screen frame.
#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commands/kv.h"
#include "gfx/OpenGLRainbows.h"

namespace {
class WindowTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { ASSERT_TRUE(KvStartRuntimeForTests()); }

    // A picture with something in every corner, read back whole.
    std::vector<uint8_t> DrawPicture() {
        pRbow->ClearFrame();
        FILLRECT(0, 0, 20, 20, 0xFF0000);
        FILLRECT(620, 0, 640, 20, 0x00FF00);
        FILLRECT(0, 460, 20, 480, 0x0000FF);
        FILLRECT(600, 440, 640, 480, 0xFFFF00);
        FILLRECT(300, 200, 340, 280, 0x808080);
        return Frame();
    }
    std::vector<uint8_t> Frame() {
        std::vector<uint8_t> rgb;
        pRbow->ReadFrame(0, 0, pRbow->Width(), pRbow->Height(), rgb);
        return rgb;
    }
    void PressF11() {
        for (Uint32 type : {SDL_KEYDOWN, SDL_KEYUP}) {
            SDL_Event event{};
            event.type = type;
            event.key.keysym.scancode = SDL_SCANCODE_F11;
            SDL_PushEvent(&event);
        }
        pRbow->WinMessages();
    }
    static SDL_Window* Window() { return SDL_GL_GetCurrentWindow(); }
    static std::string Size() {
        int w = 0, h = 0;
        SDL_GetWindowSize(Window(), &w, &h);
        return std::to_string(w) + "x" + std::to_string(h);
    }
};
}  // namespace

TEST_F(WindowTest, F11AndResizingKeepTheFramesPixels) {
    ASSERT_FALSE(pRbow->IsFullscreen());
    std::vector<uint8_t> picture = DrawPicture();
    ASSERT_EQ(picture.size(), 640u * 480u * 3u);

    SDL_SetWindowSize(Window(), 900, 700);
    pRbow->WinMessages();
    EXPECT_EQ(Size(), "900x700");
    EXPECT_TRUE(Frame() == picture) << "resizing changed the frame";

    PressF11();
    EXPECT_TRUE(pRbow->IsFullscreen());
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE) << "the pointer shows in full screen";
    EXPECT_TRUE(Frame() == picture) << "F11 to full screen changed the frame";
    EXPECT_EQ(pRbow->Width(), 640);
    EXPECT_EQ(pRbow->Height(), 480);

    PressF11();
    EXPECT_FALSE(pRbow->IsFullscreen());
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE) << "the pointer stays hidden in the window";
    EXPECT_TRUE(Frame() == picture) << "F11 back to the window changed the frame";
    // The window gets back the size the player gave it.
    EXPECT_EQ(Size(), "900x700");

    // Drawing goes on as before: the frame, not the window, is the target.
    FILLRECT(100, 100, 101, 101, 0xFFFFFF);
    std::vector<uint8_t> after = Frame();
    std::size_t at = (std::size_t(479 - 100) * 640 + 100) * 3;
    EXPECT_EQ(after[at], 255);
    EXPECT_EQ(after[at + 1], 255);
    EXPECT_EQ(after[at + 2], 255);
    SDL_SetWindowSize(Window(), 640, 480);
    pRbow->WinMessages();
}

TEST_F(WindowTest, AHeldF11SwitchesOnce) {
    // Key repeats of a held F11 do not switch again and again.
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.keysym.scancode = SDL_SCANCODE_F11;
    SDL_PushEvent(&event);
    event.key.repeat = 1;
    SDL_PushEvent(&event);
    SDL_PushEvent(&event);
    pRbow->WinMessages();
    EXPECT_TRUE(pRbow->IsFullscreen());
    event.type = SDL_KEYUP;
    event.key.repeat = 0;
    SDL_PushEvent(&event);
    pRbow->WinMessages();
    EXPECT_TRUE(pRbow->IsFullscreen());
    PressF11();
    EXPECT_FALSE(pRbow->IsFullscreen());
}
