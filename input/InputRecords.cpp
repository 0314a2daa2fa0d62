// Reduction of raw platform joystick values to the joystick record.
#include "input/InputRecords.h"

#include <cstring>

int32_t ReduceStickAxis(int raw) {
    // Twice the distance from the centre beyond the half range (32767 / 2).
    long twice = 2L * raw;
    if (twice > 32767) return 1;
    if (twice < -32767) return -1;
    return 0;
}

int32_t FullRangeAxis(int raw) {
    if (raw < -32768) raw = -32768;
    if (raw > 32767) raw = 32767;
    return raw + 32768;
}

uint32_t HatAngle(int hatBits) {
    switch (hatBits & 15) {
        case 1:
            return 0;
        case 1 | 2:
            return 4500;
        case 2:
            return 9000;
        case 2 | 4:
            return 13500;
        case 4:
            return 18000;
        case 4 | 8:
            return 22500;
        case 8:
            return 27000;
        case 8 | 1:
            return 31500;
        default:
            return kHatCentred;
    }
}

uint8_t ButtonByte(bool held) { return held ? 0x80 : 0; }

void ReduceJoystick(const RawJoystick& raw, DIJOYSTATE& state) {
    std::memset(&state, 0, sizeof state);
    for (uint32_t& pov : state.rgdwPOV) pov = kHatCentred;
    if (raw.axisCount > 0) state.lX = ReduceStickAxis(raw.axes[0]);
    if (raw.axisCount > 1) state.lY = ReduceStickAxis(raw.axes[1]);
    if (raw.axisCount > 2) state.lZ = FullRangeAxis(raw.axes[2]);
    if (raw.axisCount > 3) state.lRx = FullRangeAxis(raw.axes[3]);
    if (raw.axisCount > 4) state.lRy = FullRangeAxis(raw.axes[4]);
    if (raw.axisCount > 5) state.lRz = FullRangeAxis(raw.axes[5]);
    for (int i = 0; i < raw.hatCount && i < 4; ++i) state.rgdwPOV[i] = HatAngle(raw.hats[i]);
    for (int i = 0; i < raw.buttonCount && i < 32; ++i)
        state.rgbButtons[i] = ButtonByte(raw.buttons[i]);
}
