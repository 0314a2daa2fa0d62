// DXInput: opening the devices, the key queries and typed characters, the mouse
// record and the joystick records, and the scripted keys that replace the keyboard.
#include "input/DXInput.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "input/KeyRecorder.h"
#include "input/KeyTable.h"
#include "runtime/Options.h"
#include "runtime/Runtime.h"

namespace {
// The keys of the run as a whole, which outlive the input object: the key script
// loaded from the options and the recording being written.
struct KeyRunState : RuntimeLayerState {
    KeyScript loadedScript;
    bool scriptLoaded = false;
    std::unique_ptr<KeyRecorder> recorder = std::make_unique<KeyRecorder>();
    std::string recordPath;
    bool recordingFailureTold = false;

    void Reset() override {
        loadedScript = KeyScript();
        scriptLoaded = false;
        recorder = std::make_unique<KeyRecorder>();  // the old one closes its file
        recordPath.clear();
        recordingFailureTold = false;
    }
};

KeyRunState& Keys() { return KvLayerState<KeyRunState>(); }

void NoteRecordingFailure() {
    KeyRunState& keys = Keys();
    if (!keys.recordingFailureTold)
        std::fprintf(stderr, "could not write the key recording %s\n", keys.recordPath.c_str());
    keys.recordingFailureTold = true;
    KvNoteOutputFailure();
}
}  // namespace

bool KvLoadKeyScript(const std::string& path, std::string& error) {
    KeyRunState& keys = Keys();
    keys.scriptLoaded = keys.loadedScript.LoadFile(path, error);
    return keys.scriptLoaded;
}

bool KvKeyScriptSeed(uint32_t& seed) {
    const KeyRunState& keys = Keys();
    if (!keys.scriptLoaded || !keys.loadedScript.HasSeed()) return false;
    seed = keys.loadedScript.Seed();
    return true;
}

bool KvOpenKeyRecording(const std::string& path, std::string& error) {
    KeyRunState& keys = Keys();
    keys.recordPath = path;
    keys.recordingFailureTold = false;
    return keys.recorder->Open(path, error);
}

void KvRecordSeed(uint32_t seed) {
    KeyRecorder& recorder = *Keys().recorder;
    if (recorder.IsOpen() && !recorder.WriteSeed(seed)) NoteRecordingFailure();
}

bool KvCloseKeyRecording() {
    KeyRecorder& recorder = *Keys().recorder;
    if (!recorder.IsOpen()) return true;
    if (recorder.Close()) return true;
    NoteRecordingFailure();
    return false;
}

DXInput::DXInput(InputBackend& backend) : m_backend(&backend) { DXtoVK(false); }

DXInput::~DXInput() {
    if (m_opened) m_backend->Close();
}

int32_t DXInput::CreateDInput(GameWindow* window, bool wantMouse) {
    int32_t status = kInputOpened;
    m_window = window;
    m_opened = m_backend->Open();
    if (!m_opened) {
        KvAppendErrorLog("No DX_Input");
        DXtoVK(false);
        return kInputNoDevices;
    }
    m_keyboard = true;
    DXtoVK(true);
    if (wantMouse && !KvOptions().headless) {
        m_mouse = m_backend->CaptureMouse();
        if (!m_mouse) {
            KvAppendErrorLog("No DX_Mouse");
            status = kInputNoMouse;
        }
    }
    m_joystickCount = m_backend->OpenJoysticks(kMaxJoysticks, m_joystickNames);
    m_gamepads = !KvOptions().noGamepad;
    KeyRunState& keys = Keys();
    m_recording = keys.recorder->IsOpen();
    m_frameOfKeys = -1;

    const std::string& keysFile = KvOptions().keysFile;
    if (!keysFile.empty() && !keys.scriptLoaded) {
        std::string error;
        if (!KvLoadKeyScript(keysFile, error)) std::fprintf(stderr, "%s\n", error.c_str());
    }
    if (keys.scriptLoaded) UseKeyScript(keys.loadedScript);
    return status;
}

void DXInput::DXtoVK(bool keyboardPresent) {
    for (int n = 0; n < 256; ++n) m_keyTable[n] = keyboardPresent && n < 255 ? uint16_t(n) : 0xFF;
    if (!keyboardPresent) m_keyboard = false;
}

void DXInput::UseKeyScript(const KeyScript& script) {
    m_script = script;
    m_scripted = true;
    m_lastCharacter = 0;
}

void DXInput::ReadKeys(uint8_t state[256]) {
    if (m_scripted) {
        m_script.StateAt(KvFrameNumber(), state);
    } else if (m_keyboard) {
        FrameKeys(state);
    } else {
        std::memset(state, 0, 256);
    }
}

void DXInput::AddGamepadKeys(uint8_t state[256]) {
    GamepadState pad;
    if (m_gamepads && m_backend->ReadGamepads(pad)) PressGamepadKeys(pad, state);
}

void DXInput::FrameKeys(uint8_t state[256]) {
    long frame = KvFrameNumber();
    if (frame != m_frameOfKeys) {
        uint8_t held[256], pressed[256];
        m_backend->TakeKeyEvents(held, pressed);
        AddGamepadKeys(held);
        // A key pressed and let go between two frames is seen for one frame.
        for (int key = 0; key < 256; ++key) m_frameKeys[key] = held[key] | pressed[key];
        if (m_recording && !Keys().recorder->RecordFrame(frame, m_frameKeys, held))
            NoteRecordingFailure();
        m_frameOfKeys = frame;
    }
    std::memcpy(state, m_frameKeys, 256);
}

void DXInput::Idle() {
    m_frameOfKeys = -1;
    m_backend->Idle();
}

void DXInput::GetKeyboardStatus() { ReadKeys(m_keyState); }

bool DXInput::KeyDown(long keyNumber) {
    GetKeyboardStatus();
    int index = int(keyNumber & 255);
    // A keyboard (or key script) is read by key number directly; the table only
    // says which key numbers lead anywhere when there is none.
    if (!m_keyboard && !m_scripted && m_keyTable[index] == 0xFF) return false;
    return (m_keyState[index] & 0x80) != 0;
}

bool DXInput::AnyKeyDown() {
    GetKeyboardStatus();
    for (int n = 0; n < 256; ++n)
        if (m_keyState[n] & 0x80) return true;
    return false;
}

char DXInput::Scan2Ascii(unsigned long code) {
    int keyNumber = int(code & 255);
    // Scripted keys have no keyboard layout behind them: they type as a US board does.
    int layout = m_scripted || !m_keyboard ? DefaultKeyCharacter(keyNumber)
                                           : m_backend->LayoutCharacter(keyNumber);
    return KeyCharacter(keyNumber, layout);
}

char DXInput::GetKeyChar() {
    GetKeyboardStatus();
    return NextTypedCharacter(
        m_keyState, [this](int code) { return Scan2Ascii(code); }, m_lastCharacter);
}

bool DXInput::GetMouseData(DIMOUSEDATA* data) {
    if (!data) return false;
    std::memset(data, 0, sizeof *data);
    if (m_opened) m_backend->TakeMouse(*data);
    return true;
}

bool DXInput::AnyMouse() {
    DIMOUSEDATA data;
    GetMouseData(&data);
    return data.left || data.right || data.middle || data.xMove != 0;
}

bool DXInput::GetJoystickData(DIJOYSTATE* state, char index) {
    if (!state) return false;
    RawJoystick raw;
    if (index >= 0 && index < m_joystickCount) {
        // A joystick that was unplugged reads as centred with nothing held.
        if (!m_backend->ReadJoystick(index, raw)) raw = RawJoystick();
        ReduceJoystick(raw, *state);
        return true;
    }
    // Without a device the first two joysticks still read, as centred and idle.
    if (index == 0 || index == 1) {
        ReduceJoystick(RawJoystick(), *state);
        return true;
    }
    return false;
}

void DXInput::GetJoyName(char* buffer, int index) const {
    if (!buffer) return;
    if (index < 0 || index >= m_joystickCount) {
        buffer[0] = 0;
        return;
    }
    std::memcpy(buffer, m_joystickNames[index], kJoystickNameSize);
    buffer[kJoystickNameSize - 1] = 0;
}
