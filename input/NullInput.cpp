// The null input back-end: no keyboard, no mouse, no joystick. A DXInput on it
// opens nothing; only a key script makes keys go down.
#include <chrono>
#include <cstring>
#include <thread>

#include "input/InputPlatform.h"

namespace {
class NoDevices : public InputBackend {
  public:
    bool Open() override { return false; }
    void Close() override {}
    bool CaptureMouse() override { return false; }
    void TakeKeyEvents(uint8_t held[256], uint8_t pressedSince[256]) override {
        std::memset(held, 0, 256);
        std::memset(pressedSince, 0, 256);
    }
    bool ReadGamepads(GamepadState&) override { return false; }
    int LayoutCharacter(int) override { return 0; }
    void TakeMouse(DIMOUSEDATA& data) override { std::memset(&data, 0, sizeof data); }
    int OpenJoysticks(int, char[][kJoystickNameSize]) override { return 0; }
    bool ReadJoystick(int, RawJoystick&) override { return false; }
    void Idle() override { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }
};
}  // namespace

InputBackend& NullInput() {
    static NoDevices backend;
    return backend;
}
