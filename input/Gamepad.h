// The game controller as keys: what a player holds on a gamepad becomes the key
// numbers the game already reads, so any program that plays with the keyboard
// plays with a pad too.
//
//   d-pad and left stick   cursor keys (203 left, 205 right, 200 up, 208 down)
//   A                      space (57): fires, leaves the screens
//   B                      left Alt (56): jumps
//   Start                  Escape (1): ends
#pragma once

#include <cstdint>

struct GamepadState {
    bool up = false, down = false, left = false, right = false;  // the d-pad
    bool a = false, b = false, start = false;
    int leftX = 0;  // the left stick, -32768 ... 32767, right and down positive
    int leftY = 0;
};

// Sets 0x80 in state for each key the pad holds down; other keys stay as they are.
// The stick counts beyond the middle half of its range, as joysticks do.
void PressGamepadKeys(const GamepadState& pad, uint8_t state[256]);
// Both pads' buttons and directions together (two players' pads, or one unplugged).
void MergeGamepads(const GamepadState& from, GamepadState& into);
