// The input object's platform side on SDL: positional keyboard state, mouse
// movement and buttons from the window's events, and SDL joysticks.
#include <SDL.h>

#include <cstdio>
#include <cstring>

#include "gfx/GameWindow.h"
#include "input/InputPlatform.h"
#include "input/KeyTable.h"

namespace input_platform {
void CloseJoysticks();
}  // namespace input_platform

namespace {
struct MouseRecord {
    int xMove = 0;
    int yMove = 0;
    bool left = false, right = false, middle = false;
};
MouseRecord g_mouse;
SDL_Joystick* g_joysticks[kMaxJoysticks] = {};
int g_joystickCount = 0;
bool g_joystickSystem = false;

void SetButton(PlatformMouseEvent::Button button, bool held) {
    if (button == PlatformMouseEvent::Button::kLeft) g_mouse.left = held;
    if (button == PlatformMouseEvent::Button::kRight) g_mouse.right = held;
    if (button == PlatformMouseEvent::Button::kMiddle) g_mouse.middle = held;
}

// Hears every mouse event the window's pump takes from the queue.
void OnMouseEvent(const PlatformMouseEvent& event) {
    switch (event.kind) {
        case PlatformMouseEvent::Kind::kMotion:
            g_mouse.xMove += event.xMove;
            g_mouse.yMove += event.yMove;
            break;
        case PlatformMouseEvent::Kind::kButtonDown:
            SetButton(event.button, true);
            break;
        case PlatformMouseEvent::Kind::kButtonUp:
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
    AddPlatformEventListener(OnMouseEvent);
    g_mouse = MouseRecord();
    g_joystickSystem = SDL_InitSubSystem(SDL_INIT_JOYSTICK) == 0;
    return true;
}

void Close() {
    CloseJoysticks();
    if (g_joystickSystem) SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    g_joystickSystem = false;
}

bool CaptureMouse() { return SDL_SetRelativeMouseMode(SDL_TRUE) == 0; }

void ReadKeyboard(uint8_t state[256]) {
    std::memset(state, 0, 256);
    if (SDL_WasInit(SDL_INIT_EVENTS) == 0) return;
    SDL_PumpEvents();  // the device state is brought up to date; events stay queued
    int count = 0;
    const Uint8* keys = SDL_GetKeyboardState(&count);
    for (int scancode = 0; scancode < count; ++scancode) {
        if (!keys[scancode]) continue;
        int number = KeyNumberOfUsage(scancode);
        if (number > 0) state[number] = 0x80;
    }
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
    void ReadKeyboard(uint8_t state[256]) override { input_platform::ReadKeyboard(state); }
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
