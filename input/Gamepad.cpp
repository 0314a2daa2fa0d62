// The gamepad's buttons and directions as key numbers.
#include "input/Gamepad.h"

#include <cstdlib>

#include "input/InputRecords.h"
#include "input/KeyTable.h"

namespace {
void Press(bool held, int key, uint8_t state[256]) {
    if (held) state[key] = 0x80;
}
}  // namespace

void PressGamepadKeys(const GamepadState& pad, uint8_t state[256]) {
    int stickX = ReduceStickAxis(pad.leftX);
    int stickY = ReduceStickAxis(pad.leftY);
    Press(pad.left || stickX < 0, keys::kLeft, state);
    Press(pad.right || stickX > 0, keys::kRight, state);
    Press(pad.up || stickY < 0, keys::kUp, state);
    Press(pad.down || stickY > 0, keys::kDown, state);
    Press(pad.a, keys::kSpace, state);
    Press(pad.b, keys::kLeftAlt, state);
    Press(pad.start, keys::kEscape, state);
}

void MergeGamepads(const GamepadState& from, GamepadState& into) {
    into.up |= from.up;
    into.down |= from.down;
    into.left |= from.left;
    into.right |= from.right;
    into.a |= from.a;
    into.b |= from.b;
    into.start |= from.start;
    // The stick pushed furthest wins.
    if (std::abs(from.leftX) > std::abs(into.leftX)) into.leftX = from.leftX;
    if (std::abs(from.leftY) > std::abs(into.leftY)) into.leftY = from.leftY;
}
