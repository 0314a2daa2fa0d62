// The records the input object hands to the commands: the mouse record and the
// joystick state (the published DirectInput joystick layout), and the rules that
// reduce raw platform joystick values to them.
#pragma once

#include <cstdint>

struct DIMOUSEDATA {
    int16_t left;  // non-zero while held
    int16_t right;
    int16_t middle;
    int16_t xMove;  // movement since the previous read
    int16_t yMove;
};

struct DIJOYSTATE {
    int32_t lX;  // -1, 0, 1
    int32_t lY;  // -1, 0, 1
    int32_t lZ;  // 0 ... 65535, centre 32768
    int32_t lRx;
    int32_t lRy;
    int32_t lRz;
    int32_t rglSlider[2];
    uint32_t rgdwPOV[4];     // hundredths of a degree clockwise from up; kHatCentred when centred
    uint8_t rgbButtons[32];  // 0x80 while held
};

constexpr uint32_t kHatCentred = 0xFFFFFFFFu;
constexpr int kMaxJoysticks = 10;
constexpr int kJoystickNameSize = 522;

// An x or y axis of -32768 ... 32767 reduced to -1, 0 or 1: the middle half of the
// range (the dead zone) is 0, beyond it the direction.
int32_t ReduceStickAxis(int raw);
// Any other axis keeps its full range, moved to 0 ... 65535.
int32_t FullRangeAxis(int raw);
// A hat from its direction bits (1 up, 2 right, 4 down, 8 left) to hundredths of a
// degree (0 up, 9000 right, 18000 down, 27000 left, diagonals between); kHatCentred
// when no direction (or a contradictory one) is held.
uint32_t HatAngle(int hatBits);
// A button: 0x80 while held, else 0.
uint8_t ButtonByte(bool held);

// The raw state of a platform joystick, and its reduction to the record.
struct RawJoystick {
    int axisCount = 0;
    int axes[6] = {};
    int hatCount = 0;
    int hats[4] = {};
    int buttonCount = 0;
    bool buttons[32] = {};
};
void ReduceJoystick(const RawJoystick& raw, DIJOYSTATE& state);
