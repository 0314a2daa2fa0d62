// The input object's platform side on SDL: positional keys, mouse movement and
// buttons from the window's events, and SDL joysticks.
#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "gfx/GameWindow.h"
#include "input/InputPlatform.h"
#include "input/KeyTable.h"

namespace input_platform {
void CloseJoysticks();
void CloseControllers();
}  // namespace input_platform

namespace {
struct MouseRecord {
    int xMove = 0;
    int yMove = 0;
    bool left = false, right = false, middle = false;
};
MouseRecord g_mouse;
// The keys as the window's key events tell them.
uint8_t g_keysHeld[256] = {};
uint8_t g_keysPressed[256] = {};
// The open game controllers, and how many joysticks there were when they were opened.
std::vector<SDL_GameController*> g_controllers;
int g_controllersFoundAmong = -1;
bool g_controllerSystem = false;
SDL_Joystick* g_joysticks[kMaxJoysticks] = {};
int g_joystickCount = 0;
bool g_joystickSystem = false;

void SetButton(PlatformInputEvent::Button button, bool held) {
    if (button == PlatformInputEvent::Button::kLeft) g_mouse.left = held;
    if (button == PlatformInputEvent::Button::kRight) g_mouse.right = held;
    if (button == PlatformInputEvent::Button::kMiddle) g_mouse.middle = held;
}

void SetKey(int usage, bool down) {
    int number = KeyNumberOfUsage(usage);
    if (number <= 0) return;
    g_keysHeld[number] = down ? 0x80 : 0;
    if (down) g_keysPressed[number] = 0x80;
}

// Hears every mouse and key event the window's pump takes from the queue.
void OnInputEvent(const PlatformInputEvent& event) {
    switch (event.kind) {
        case PlatformInputEvent::Kind::kKeyDown:
            SetKey(event.keyUsage, true);
            break;
        case PlatformInputEvent::Kind::kKeyUp:
            SetKey(event.keyUsage, false);
            break;
        case PlatformInputEvent::Kind::kMotion:
            g_mouse.xMove += event.xMove;
            g_mouse.yMove += event.yMove;
            break;
        case PlatformInputEvent::Kind::kButtonDown:
            SetButton(event.button, true);
            break;
        case PlatformInputEvent::Kind::kButtonUp:
            SetButton(event.button, false);
            break;
    }
}

int16_t ClampShort(int value) {
    if (value > 32767) return 32767;
    if (value < -32768) return -32768;
    return int16_t(value);
}
}  // namespace

namespace input_platform {
bool Open() {
    if (SDL_WasInit(SDL_INIT_EVENTS) == 0) return false;
    AddPlatformEventListener(OnInputEvent);
    std::memset(g_keysHeld, 0, sizeof g_keysHeld);
    std::memset(g_keysPressed, 0, sizeof g_keysPressed);
    g_mouse = MouseRecord();
    g_joystickSystem = SDL_InitSubSystem(SDL_INIT_JOYSTICK) == 0;
    g_controllerSystem = g_joystickSystem && SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
    return true;
}

void Close() {
    CloseControllers();
    if (g_controllerSystem) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    g_controllerSystem = false;
    CloseJoysticks();
    if (g_joystickSystem) SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    g_joystickSystem = false;
}

bool CaptureMouse() { return SDL_SetRelativeMouseMode(SDL_TRUE) == 0; }

void TakeKeyEvents(uint8_t held[256], uint8_t pressedSince[256]) {
    std::memcpy(held, g_keysHeld, 256);
    std::memcpy(pressedSince, g_keysPressed, 256);
    std::memset(g_keysPressed, 0, sizeof g_keysPressed);
}

void CloseControllers() {
    for (SDL_GameController* controller : g_controllers) SDL_GameControllerClose(controller);
    g_controllers.clear();
    g_controllersFoundAmong = -1;
}

// Opens every device that SDL's controller database knows, again whenever the number
// of devices changes or an open one is gone (one plugged in or out).
void FindControllers() {
    int devices = SDL_NumJoysticks();
    bool lost = std::any_of(g_controllers.begin(), g_controllers.end(),
                            [](SDL_GameController* c) { return !SDL_GameControllerGetAttached(c); });
    if (devices == g_controllersFoundAmong && !lost) return;
    CloseControllers();
    for (int device = 0; device < devices; ++device) {
        if (!SDL_IsGameController(device)) continue;
        if (SDL_GameController* controller = SDL_GameControllerOpen(device))
            g_controllers.push_back(controller);
    }
    g_controllersFoundAmong = devices;
}

GamepadState ReadController(SDL_GameController* controller) {
    auto held = [controller](SDL_GameControllerButton button) {
        return SDL_GameControllerGetButton(controller, button) != 0;
    };
    GamepadState pad;
    pad.up = held(SDL_CONTROLLER_BUTTON_DPAD_UP);
    pad.down = held(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
    pad.left = held(SDL_CONTROLLER_BUTTON_DPAD_LEFT);
    pad.right = held(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
    pad.a = held(SDL_CONTROLLER_BUTTON_A);
    pad.b = held(SDL_CONTROLLER_BUTTON_B);
    pad.start = held(SDL_CONTROLLER_BUTTON_START);
    pad.leftX = SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTX);
    pad.leftY = SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTY);
    return pad;
}

bool ReadGamepads(GamepadState& pad) {
    pad = GamepadState();
    if (!g_controllerSystem) return false;
    SDL_GameControllerUpdate();
    FindControllers();
    for (SDL_GameController* controller : g_controllers)
        MergeGamepads(ReadController(controller), pad);
    return !g_controllers.empty();
}

int LayoutCharacter(int keyNumber) {
    int usage = UsageOfKeyNumber(keyNumber);
    if (usage == 0) return 0;
    SDL_Keycode key = SDL_GetKeyFromScancode(SDL_Scancode(usage));
    if (key == SDLK_DELETE) return 0;  // named by the DEL code, but it types nothing
    return key >= 0 && key < 128 ? int(key) : 0;
}

void TakeMouse(DIMOUSEDATA& data) {
    data.left = g_mouse.left ? 0x80 : 0;
    data.right = g_mouse.right ? 0x80 : 0;
    data.middle = g_mouse.middle ? 0x80 : 0;
    data.xMove = ClampShort(g_mouse.xMove);
    data.yMove = ClampShort(g_mouse.yMove);
    g_mouse.xMove = g_mouse.yMove = 0;
}

int OpenJoysticks(int maximum, char names[][kJoystickNameSize]) {
    CloseJoysticks();
    if (!g_joystickSystem) return 0;
    int available = SDL_NumJoysticks();
    for (int device = 0; device < available && g_joystickCount < maximum; ++device) {
        SDL_Joystick* joystick = SDL_JoystickOpen(device);
        if (!joystick) continue;  // a device that cannot be opened is not counted
        const char* name = SDL_JoystickName(joystick);
        if (!name) name = "";
        // Instance name, then product name; the platform knows one name for both.
        std::snprintf(names[g_joystickCount], kJoystickNameSize, "%s, %s", name, name);
        g_joysticks[g_joystickCount++] = joystick;
    }
    return g_joystickCount;
}

bool ReadJoystick(int index, RawJoystick& raw) {
    if (index < 0 || index >= g_joystickCount) return false;
    SDL_Joystick* joystick = g_joysticks[index];
    SDL_JoystickUpdate();
    if (!SDL_JoystickGetAttached(joystick)) return false;
    raw.axisCount = SDL_JoystickNumAxes(joystick);
    for (int i = 0; i < raw.axisCount && i < 6; ++i) raw.axes[i] = SDL_JoystickGetAxis(joystick, i);
    raw.hatCount = SDL_JoystickNumHats(joystick);
    for (int i = 0; i < raw.hatCount && i < 4; ++i) raw.hats[i] = SDL_JoystickGetHat(joystick, i);
    raw.buttonCount = SDL_JoystickNumButtons(joystick);
    for (int i = 0; i < raw.buttonCount && i < 32; ++i)
        raw.buttons[i] = SDL_JoystickGetButton(joystick, i) != 0;
    return true;
}

void CloseJoysticks() {
    for (int i = 0; i < g_joystickCount; ++i) SDL_JoystickClose(g_joysticks[i]);
    std::memset(g_joysticks, 0, sizeof g_joysticks);
    g_joystickCount = 0;
}

void Idle() { SDL_Delay(1); }
}  // namespace input_platform

namespace {
// The back-end object over the functions above.
class SdlInputBackend : public InputBackend {
  public:
    bool Open() override { return input_platform::Open(); }
    void Close() override { input_platform::Close(); }
    bool CaptureMouse() override { return input_platform::CaptureMouse(); }
    void TakeKeyEvents(uint8_t held[256], uint8_t pressedSince[256]) override {
        input_platform::TakeKeyEvents(held, pressedSince);
    }
    bool ReadGamepads(GamepadState& pad) override { return input_platform::ReadGamepads(pad); }
    int LayoutCharacter(int keyNumber) override {
        return input_platform::LayoutCharacter(keyNumber);
    }
    void TakeMouse(DIMOUSEDATA& data) override { input_platform::TakeMouse(data); }
    int OpenJoysticks(int maximum, char names[][kJoystickNameSize]) override {
        return input_platform::OpenJoysticks(maximum, names);
    }
    bool ReadJoystick(int index, RawJoystick& raw) override {
        return input_platform::ReadJoystick(index, raw);
    }
    void Idle() override { input_platform::Idle(); }
};
}  // namespace

InputBackend& SdlInput() {
    static SdlInputBackend backend;
    return backend;
}
