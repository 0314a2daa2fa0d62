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

namespace {
struct MouseRecord {
    int xMove = 0;
    int yMove = 0;
    bool left = false, right = false, middle = false;
};

// Everything the SDL back-end holds between calls; closing the back-end closes the
// devices and puts every field back to this start.
struct SdlInputState {
    MouseRecord mouse;
    // The keys as the window's key events tell them.
    uint8_t keysHeld[256] = {};
    uint8_t keysPressed[256] = {};
    // The open game controllers, and how many joysticks there were when they were opened.
    std::vector<SDL_GameController*> controllers;
    int controllersFoundAmong = -1;
    bool controllerSystem = false;
    SDL_Joystick* joysticks[kMaxJoysticks] = {};
    int joystickCount = 0;
    bool joystickSystem = false;
};

int16_t ClampShort(int value) {
    if (value > 32767) return 32767;
    if (value < -32768) return -32768;
    return int16_t(value);
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

class SdlInputBackend : public InputBackend {
  public:
    bool Open() override;
    void Close() override;
    bool CaptureMouse() override { return SDL_SetRelativeMouseMode(SDL_TRUE) == 0; }
    void TakeKeyEvents(uint8_t held[256], uint8_t pressedSince[256]) override;
    bool ReadGamepads(GamepadState& pad) override;
    int LayoutCharacter(int keyNumber) override;
    void TakeMouse(DIMOUSEDATA& data) override;
    int OpenJoysticks(int maximum, char names[][kJoystickNameSize]) override;
    bool ReadJoystick(int index, RawJoystick& raw) override;
    void Idle() override { SDL_Delay(1); }

    // Hears every mouse and key event the window's pump takes from the queue.
    void OnInputEvent(const PlatformInputEvent& event);

  private:
    void SetButton(PlatformInputEvent::Button button, bool held);
    void SetKey(int usage, bool down);
    void FindControllers();
    void CloseControllers();
    void CloseJoysticks();

    SdlInputState m_state;
};

SdlInputBackend& Backend() {
    static SdlInputBackend backend;
    return backend;
}

void HearInputEvent(const PlatformInputEvent& event) { Backend().OnInputEvent(event); }

void SdlInputBackend::SetButton(PlatformInputEvent::Button button, bool held) {
    if (button == PlatformInputEvent::Button::kLeft) m_state.mouse.left = held;
    if (button == PlatformInputEvent::Button::kRight) m_state.mouse.right = held;
    if (button == PlatformInputEvent::Button::kMiddle) m_state.mouse.middle = held;
}

void SdlInputBackend::SetKey(int usage, bool down) {
    int number = KeyNumberOfUsage(usage);
    if (number <= 0) return;
    m_state.keysHeld[number] = down ? 0x80 : 0;
    if (down) m_state.keysPressed[number] = 0x80;
}

void SdlInputBackend::OnInputEvent(const PlatformInputEvent& event) {
    switch (event.kind) {
        case PlatformInputEvent::Kind::kKeyDown:
            SetKey(event.keyUsage, true);
            break;
        case PlatformInputEvent::Kind::kKeyUp:
            SetKey(event.keyUsage, false);
            break;
        case PlatformInputEvent::Kind::kMotion:
            m_state.mouse.xMove += event.xMove;
            m_state.mouse.yMove += event.yMove;
            break;
        case PlatformInputEvent::Kind::kButtonDown:
            SetButton(event.button, true);
            break;
        case PlatformInputEvent::Kind::kButtonUp:
            SetButton(event.button, false);
            break;
    }
}

bool SdlInputBackend::Open() {
    if (SDL_WasInit(SDL_INIT_EVENTS) == 0) return false;
    AddPlatformEventListener(HearInputEvent);
    std::memset(m_state.keysHeld, 0, sizeof m_state.keysHeld);
    std::memset(m_state.keysPressed, 0, sizeof m_state.keysPressed);
    m_state.mouse = MouseRecord();
    m_state.joystickSystem = SDL_InitSubSystem(SDL_INIT_JOYSTICK) == 0;
    m_state.controllerSystem =
        m_state.joystickSystem && SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
    return true;
}

void SdlInputBackend::Close() {
    CloseControllers();
    if (m_state.controllerSystem) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    CloseJoysticks();
    if (m_state.joystickSystem) SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    m_state = SdlInputState();
}

void SdlInputBackend::TakeKeyEvents(uint8_t held[256], uint8_t pressedSince[256]) {
    std::memcpy(held, m_state.keysHeld, 256);
    std::memcpy(pressedSince, m_state.keysPressed, 256);
    std::memset(m_state.keysPressed, 0, sizeof m_state.keysPressed);
}

void SdlInputBackend::CloseControllers() {
    for (SDL_GameController* controller : m_state.controllers) SDL_GameControllerClose(controller);
    m_state.controllers.clear();
    m_state.controllersFoundAmong = -1;
}

// Opens every device that SDL's controller database knows, again whenever the number
// of devices changes or an open one is gone (one plugged in or out).
void SdlInputBackend::FindControllers() {
    int devices = SDL_NumJoysticks();
    bool lost =
        std::any_of(m_state.controllers.begin(), m_state.controllers.end(),
                    [](SDL_GameController* c) { return !SDL_GameControllerGetAttached(c); });
    if (devices == m_state.controllersFoundAmong && !lost) return;
    CloseControllers();
    for (int device = 0; device < devices; ++device) {
        if (!SDL_IsGameController(device)) continue;
        if (SDL_GameController* controller = SDL_GameControllerOpen(device))
            m_state.controllers.push_back(controller);
    }
    m_state.controllersFoundAmong = devices;
}

bool SdlInputBackend::ReadGamepads(GamepadState& pad) {
    pad = GamepadState();
    if (!m_state.controllerSystem) return false;
    SDL_GameControllerUpdate();
    FindControllers();
    for (SDL_GameController* controller : m_state.controllers)
        MergeGamepads(ReadController(controller), pad);
    return !m_state.controllers.empty();
}

int SdlInputBackend::LayoutCharacter(int keyNumber) {
    int usage = UsageOfKeyNumber(keyNumber);
    if (usage == 0) return 0;
    SDL_Keycode key = SDL_GetKeyFromScancode(SDL_Scancode(usage));
    if (key == SDLK_DELETE) return 0;  // named by the DEL code, but it types nothing
    return key >= 0 && key < 128 ? int(key) : 0;
}

void SdlInputBackend::TakeMouse(DIMOUSEDATA& data) {
    MouseRecord& mouse = m_state.mouse;
    data.left = mouse.left ? 0x80 : 0;
    data.right = mouse.right ? 0x80 : 0;
    data.middle = mouse.middle ? 0x80 : 0;
    data.xMove = ClampShort(mouse.xMove);
    data.yMove = ClampShort(mouse.yMove);
    mouse.xMove = mouse.yMove = 0;
}

int SdlInputBackend::OpenJoysticks(int maximum, char names[][kJoystickNameSize]) {
    CloseJoysticks();
    if (!m_state.joystickSystem) return 0;
    int available = SDL_NumJoysticks();
    int& count = m_state.joystickCount;
    for (int device = 0; device < available && count < maximum; ++device) {
        SDL_Joystick* joystick = SDL_JoystickOpen(device);
        if (!joystick) continue;  // a device that cannot be opened is not counted
        const char* name = SDL_JoystickName(joystick);
        if (!name) name = "";
        // Instance name, then product name; the platform knows one name for both.
        std::snprintf(names[count], kJoystickNameSize, "%s, %s", name, name);
        m_state.joysticks[count++] = joystick;
    }
    return count;
}

bool SdlInputBackend::ReadJoystick(int index, RawJoystick& raw) {
    if (index < 0 || index >= m_state.joystickCount) return false;
    SDL_Joystick* joystick = m_state.joysticks[index];
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

void SdlInputBackend::CloseJoysticks() {
    for (int i = 0; i < m_state.joystickCount; ++i) SDL_JoystickClose(m_state.joysticks[i]);
    std::memset(m_state.joysticks, 0, sizeof m_state.joysticks);
    m_state.joystickCount = 0;
}
}  // namespace

InputBackend& SdlInput() { return Backend(); }
