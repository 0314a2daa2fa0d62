// The platform side of the input object: what DXInput asks of the keyboard, the
// mouse and the joysticks. Implemented on SDL in DXInput_sdl.cpp.
#pragma once

#include <cstdint>

#include "input/InputRecords.h"

namespace input_platform {
// Starts event and joystick handling; false when no input can be had at all.
bool Open();
void Close();
// Makes the mouse report relative movement only (the pointer is taken by the window).
bool CaptureMouse();

// The keyboard's state now: 0x80 for each key number that is down.
void ReadKeyboard(uint8_t state[256]);
// The character a key number gives on the current keyboard layout without modifiers.
int LayoutCharacter(int keyNumber);

// Buttons held and movement since the previous call.
void TakeMouse(DIMOUSEDATA& data);

// Opens up to `maximum` joysticks; returns how many, with their names.
int OpenJoysticks(int maximum, char names[][kJoystickNameSize]);
// The raw state of an opened joystick; false when it is gone.
bool ReadJoystick(int index, RawJoystick& raw);
void CloseJoysticks();

// A short pause for waiting loops.
void Idle();
}  // namespace input_platform
