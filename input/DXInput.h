// DXInput: the runtime's input object. It owns the keyboard (or the scripted keys
// that stand in for it), the mouse and up to 10 joysticks, numbers keys by their
// scan codes and reduces every device to the records the input commands read.
// The platform calls behind it live in DXInput_sdl.cpp.
#pragma once

#include <cstdint>
#include <string>

#include "input/InputPlatform.h"
#include "input/InputRecords.h"
#include "input/KeyScript.h"

class GameWindow;

// Status values of CreateDInput.
constexpr int32_t kInputOpened = 1;
constexpr int32_t kInputNoDevices = int32_t(0x8000000A);
constexpr int32_t kInputNoKeyboard = int32_t(0x8000000B);
constexpr int32_t kInputNoMouse = int32_t(0x8000000C);

class DXInput {
  public:
    // The devices come from the back-end: SDL's, or the null one of a program without
    // devices (then only a key script presses keys).
    explicit DXInput(InputBackend& backend = SdlInput());
    ~DXInput();
    DXInput(const DXInput&) = delete;
    DXInput& operator=(const DXInput&) = delete;

    // Opens the keyboard, the mouse (when wanted) and the joysticks; writes a line to
    // the error log for a device that cannot be had. Returns one of the status values.
    int32_t CreateDInput(GameWindow* window, bool wantMouse);

    // Refreshes the key state from the keyboard, or from the key script when one is in use.
    void GetKeyboardStatus();
    // The key query of KEY and SHOWSCREEN: refreshes, then reads key (n mod 256).
    bool KeyDown(long keyNumber);
    // The character of a newly pressed key, 0 for none (a held key is reported once).
    char GetKeyChar();
    // The character a key gives on the current layout (0 for none).
    char Scan2Ascii(unsigned long code);
    bool AnyKey() { return GetKeyChar() != 0; }
    // True while any key at all is down (after a refresh).
    bool AnyKeyDown();

    bool GetMouseData(DIMOUSEDATA* data);
    bool AnyMouse();

    bool GetJoystickData(DIJOYSTATE* state, char index);
    int GetNumJoysticks() const { return m_joystickCount; }
    void GetJoyName(char* buffer, int index) const;

    // Builds the key table: the identity for a keyboard read by key number; without a
    // keyboard no key number leads anywhere.
    void DXtoVK(bool keyboardPresent);

    // Scripted keys: the script replaces the keyboard for every key query.
    void UseKeyScript(const KeyScript& script);
    bool IsScripted() const { return m_scripted; }

    // A short pause of the back-end, for the waiting commands. The next key query
    // looks at the keys afresh though the frame is the same, so that a waiting
    // command sees the key it waits for.
    void Idle();

  private:
    void ReadKeys(uint8_t state[256]);
    void AddGamepadKeys(uint8_t state[256]);
    // The keyboard's keys: taken from the key events once per frame (a key that went
    // down since the previous frame is down in this one, even if already let go),
    // the same for every query of that frame, and written to the recording when
    // there is one. So a recording replays exactly what the live run saw.
    void FrameKeys(uint8_t state[256]);

    InputBackend* m_backend;
    GameWindow* m_window = nullptr;
    bool m_keyboard = false;
    bool m_mouse = false;
    bool m_opened = false;
    uint8_t m_keyState[256] = {};
    uint16_t m_keyTable[256] = {};
    int32_t m_joystickCount = 0;
    char m_joystickNames[kMaxJoysticks][kJoystickNameSize] = {};
    char m_lastCharacter = 0;
    bool m_scripted = false;
    KeyScript m_script;
    bool m_gamepads = false;
    bool m_recording = false;
    long m_frameOfKeys = -1;  // the frame m_frameKeys belongs to
    uint8_t m_frameKeys[256] = {};
};

// Loads the key script named by --keys before start-up; CreateDInput then uses it.
// On failure the message names the file and line.
bool KvLoadKeyScript(const std::string& path, std::string& error);
// The seed the loaded key script was recorded with; false when it names none.
bool KvKeyScriptSeed(uint32_t& seed);

// Makes the file of --record before start-up; CreateDInput then records into it.
bool KvOpenKeyRecording(const std::string& path, std::string& error);
// Writes the recording's first line with the run's seed (nothing when not recording).
void KvRecordSeed(uint32_t seed);
// Closes the recording; false (and a message) when some of it could not be written.
bool KvCloseKeyRecording();
