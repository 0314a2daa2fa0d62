// The input back-end: what DXInput asks of the keyboard, the mouse and the
// joysticks. SDL's in DXInput_sdl.cpp; the null one for programs without devices.
#pragma once

#include <cstdint>

#include "input/Gamepad.h"
#include "input/InputRecords.h"

class InputBackend {
  public:
    virtual ~InputBackend() = default;

    // Starts event and joystick handling; false when no input can be had at all.
    virtual bool Open() = 0;
    virtual void Close() = 0;
    // Makes the mouse report relative movement only (the pointer is taken by the window).
    virtual bool CaptureMouse() = 0;

    // The keys the window's key events say are down (0x80 each), and the keys that
    // went down since the previous call (0x80 each), held or let go again since.
    virtual void TakeKeyEvents(uint8_t held[256], uint8_t pressedSince[256]) = 0;
    // The game controllers' buttons and left sticks together; false when none is
    // connected. Controllers plugged in while the program runs are found too.
    virtual bool ReadGamepads(GamepadState& pad) = 0;
    // The character a key number gives on the current keyboard layout without modifiers.
    virtual int LayoutCharacter(int keyNumber) = 0;

    // Buttons held and movement since the previous call.
    virtual void TakeMouse(DIMOUSEDATA& data) = 0;

    // Opens up to `maximum` joysticks; returns how many, with their names.
    virtual int OpenJoysticks(int maximum, char names[][kJoystickNameSize]) = 0;
    // The raw state of an opened joystick; false when it is gone.
    virtual bool ReadJoystick(int index, RawJoystick& raw) = 0;

    // A short pause for waiting loops.
    virtual void Idle() = 0;
};

// The keyboard, mouse and joysticks through SDL (DXInput_sdl.cpp).
InputBackend& SdlInput();
// No devices: nothing opens, no key is ever down, the mouse never moves.
InputBackend& NullInput();
