// The gamepad through SDL's virtual joystick: a controller SDL's database knows,
// plugged in while the program runs, whose buttons and stick press the game's keys.
#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commands/kv.h"
#include "input/DXInput.h"
#include "runtime/Options.h"

namespace {
class VirtualPad : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        // The headless window never has the keyboard focus, without which SDL
        // leaves a pad's input alone, as it does for a game in the background.
        SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
        ASSERT_TRUE(KvStartRuntimeForTests());
    }

    void SetUp() override {
        KvOptions().noGamepad = false;
        pDXin->CreateDInput(nullptr, false);
        int device = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER,
                                               SDL_CONTROLLER_AXIS_MAX, SDL_CONTROLLER_BUTTON_MAX, 0);
        ASSERT_GE(device, 0) << SDL_GetError();
        m_device = device;
        m_joystick = SDL_JoystickOpen(device);
        ASSERT_NE(m_joystick, nullptr) << SDL_GetError();
        ASSERT_TRUE(SDL_IsGameController(device)) << "SDL gives the virtual pad no mapping";
    }
    void TearDown() override {
        if (m_joystick) SDL_JoystickClose(m_joystick);
        if (m_device >= 0) SDL_JoystickDetachVirtual(m_device);
    }

    void Button(SDL_GameControllerButton button, bool held) {
        SDL_JoystickSetVirtualButton(m_joystick, button, held ? 1 : 0);
    }
    void Axis(SDL_GameControllerAxis axis, int value) {
        SDL_JoystickSetVirtualAxis(m_joystick, axis, Sint16(value));
    }
    // The game's keys that read as down in the next frame (keys are read once a frame),
    // among those a pad can press and a few others.
    std::vector<int> Pressed() {
        KvFrameCompleted();
        std::vector<int> down;
        for (int key : {1, 28, 29, 56, 57, 200, 203, 205, 208})
            if (KEY(key) == 1) down.push_back(key);
        return down;
    }

    int m_device = -1;
    SDL_Joystick* m_joystick = nullptr;
};
}  // namespace

TEST_F(VirtualPad, ButtonsAndTheDpadPressTheGamesKeys) {
    EXPECT_EQ(Pressed(), std::vector<int>{});
    struct Case {
        SDL_GameControllerButton button;
        std::vector<int> keys;
    } cases[] = {
        {SDL_CONTROLLER_BUTTON_A, {57}},           {SDL_CONTROLLER_BUTTON_B, {56}},
        {SDL_CONTROLLER_BUTTON_START, {1}},        {SDL_CONTROLLER_BUTTON_DPAD_UP, {200}},
        {SDL_CONTROLLER_BUTTON_DPAD_DOWN, {208}},  {SDL_CONTROLLER_BUTTON_DPAD_LEFT, {203}},
        {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, {205}}, {SDL_CONTROLLER_BUTTON_X, {}},
        {SDL_CONTROLLER_BUTTON_BACK, {}},
    };
    for (const Case& c : cases) {
        Button(c.button, true);
        EXPECT_EQ(Pressed(), c.keys) << SDL_GameControllerGetStringForButton(c.button);
        Button(c.button, false);
        EXPECT_EQ(Pressed(), std::vector<int>{}) << SDL_GameControllerGetStringForButton(c.button);
    }
    Button(SDL_CONTROLLER_BUTTON_A, true);
    Button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
    EXPECT_EQ(Pressed(), (std::vector<int>{57, 203}));
}

TEST_F(VirtualPad, TheLeftStickIsTheCursorKeysBeyondItsDeadZone) {
    Axis(SDL_CONTROLLER_AXIS_LEFTX, -32768);
    EXPECT_EQ(Pressed(), std::vector<int>{203});
    Axis(SDL_CONTROLLER_AXIS_LEFTX, 10000);  // within the middle half: nothing
    EXPECT_EQ(Pressed(), std::vector<int>{});
    Axis(SDL_CONTROLLER_AXIS_LEFTX, 30000);
    Axis(SDL_CONTROLLER_AXIS_LEFTY, 30000);
    EXPECT_EQ(Pressed(), (std::vector<int>{205, 208}));
    Axis(SDL_CONTROLLER_AXIS_LEFTX, 0);
    Axis(SDL_CONTROLLER_AXIS_LEFTY, -30000);
    EXPECT_EQ(Pressed(), std::vector<int>{200});
    // The right stick and the triggers are not the cursor keys.
    Axis(SDL_CONTROLLER_AXIS_LEFTY, 0);
    Axis(SDL_CONTROLLER_AXIS_RIGHTX, 32767);
    Axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, 32767);
    EXPECT_EQ(Pressed(), std::vector<int>{});
}

TEST_F(VirtualPad, APadPluggedOutAndInAgainBetweenTwoLooksIsFoundAgain) {
    Button(SDL_CONTROLLER_BUTTON_A, true);
    EXPECT_EQ(Pressed(), std::vector<int>{57});
    // Out and in before the program looks again: as many devices as before.
    TearDown();
    SetUp();
    EXPECT_EQ(Pressed(), std::vector<int>{});
    Button(SDL_CONTROLLER_BUTTON_B, true);
    EXPECT_EQ(Pressed(), std::vector<int>{56});
}

TEST_F(VirtualPad, NoGamepadSwitchesItOff) {
    KvOptions().noGamepad = true;
    pDXin->CreateDInput(nullptr, false);
    Button(SDL_CONTROLLER_BUTTON_A, true);
    Axis(SDL_CONTROLLER_AXIS_LEFTX, -32768);
    EXPECT_EQ(Pressed(), std::vector<int>{});
}
