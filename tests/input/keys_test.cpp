// The pure rules of the input layer: the key numbering against a table of set-1
// scan codes, typed characters, joystick reduction and key scripts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "input/Gamepad.h"
#include "input/InputRecords.h"
#include "input/KeyRecorder.h"
#include "input/KeyScript.h"
#include "input/KeyTable.h"
#include "tests/support/TestFolder.h"

namespace {

// The hat bits a joystick reports: up, right, down, left.
constexpr int kHatUp = 1, kHatRight = 2, kHatDown = 4, kHatLeft = 8;

// ---- key numbering --------------------------------------------------------------

// Every key of a PC keyboard: its USB usage (keyboard page) and the set-1 make code
// it sends, 0xE0-prefixed codes written as 0xE0xx. Written out from the two
// standards' tables, not from the runtime's.
struct ScanCode {
    int usage;
    int setOne;
    const char* key;
};
constexpr ScanCode kPcKeyboard[] = {
    {0x04, 0x1E, "A"},
    {0x05, 0x30, "B"},
    {0x06, 0x2E, "C"},
    {0x07, 0x20, "D"},
    {0x08, 0x12, "E"},
    {0x09, 0x21, "F"},
    {0x0A, 0x22, "G"},
    {0x0B, 0x23, "H"},
    {0x0C, 0x17, "I"},
    {0x0D, 0x24, "J"},
    {0x0E, 0x25, "K"},
    {0x0F, 0x26, "L"},
    {0x10, 0x32, "M"},
    {0x11, 0x31, "N"},
    {0x12, 0x18, "O"},
    {0x13, 0x19, "P"},
    {0x14, 0x10, "Q"},
    {0x15, 0x13, "R"},
    {0x16, 0x1F, "S"},
    {0x17, 0x14, "T"},
    {0x18, 0x16, "U"},
    {0x19, 0x2F, "V"},
    {0x1A, 0x11, "W"},
    {0x1B, 0x2D, "X"},
    {0x1C, 0x15, "Y"},
    {0x1D, 0x2C, "Z"},
    {0x1E, 0x02, "1"},
    {0x1F, 0x03, "2"},
    {0x20, 0x04, "3"},
    {0x21, 0x05, "4"},
    {0x22, 0x06, "5"},
    {0x23, 0x07, "6"},
    {0x24, 0x08, "7"},
    {0x25, 0x09, "8"},
    {0x26, 0x0A, "9"},
    {0x27, 0x0B, "0"},
    {0x28, 0x1C, "Enter"},
    {0x29, 0x01, "Escape"},
    {0x2A, 0x0E, "Backspace"},
    {0x2B, 0x0F, "Tab"},
    {0x2C, 0x39, "Space"},
    {0x2D, 0x0C, "-"},
    {0x2E, 0x0D, "="},
    {0x2F, 0x1A, "["},
    {0x30, 0x1B, "]"},
    {0x31, 0x2B, "\\"},
    {0x32, 0x2B, "ISO #"},
    {0x33, 0x27, ";"},
    {0x34, 0x28, "'"},
    {0x35, 0x29, "`"},
    {0x36, 0x33, ","},
    {0x37, 0x34, "."},
    {0x38, 0x35, "/"},
    {0x39, 0x3A, "Caps Lock"},
    {0x3A, 0x3B, "F1"},
    {0x3B, 0x3C, "F2"},
    {0x3C, 0x3D, "F3"},
    {0x3D, 0x3E, "F4"},
    {0x3E, 0x3F, "F5"},
    {0x3F, 0x40, "F6"},
    {0x40, 0x41, "F7"},
    {0x41, 0x42, "F8"},
    {0x42, 0x43, "F9"},
    {0x43, 0x44, "F10"},
    {0x44, 0x57, "F11"},
    {0x45, 0x58, "F12"},
    {0x46, 0xE037, "Print Screen"},
    {0x47, 0x46, "Scroll Lock"},
    {0x49, 0xE052, "Insert"},
    {0x4A, 0xE047, "Home"},
    {0x4B, 0xE049, "Page Up"},
    {0x4C, 0xE053, "Delete"},
    {0x4D, 0xE04F, "End"},
    {0x4E, 0xE051, "Page Down"},
    {0x4F, 0xE04D, "Right"},
    {0x50, 0xE04B, "Left"},
    {0x51, 0xE050, "Down"},
    {0x52, 0xE048, "Up"},
    {0x53, 0x45, "Num Lock"},
    {0x54, 0xE035, "pad /"},
    {0x55, 0x37, "pad *"},
    {0x56, 0x4A, "pad -"},
    {0x57, 0x4E, "pad +"},
    {0x58, 0xE01C, "pad Enter"},
    {0x59, 0x4F, "pad 1"},
    {0x5A, 0x50, "pad 2"},
    {0x5B, 0x51, "pad 3"},
    {0x5C, 0x4B, "pad 4"},
    {0x5D, 0x4C, "pad 5"},
    {0x5E, 0x4D, "pad 6"},
    {0x5F, 0x47, "pad 7"},
    {0x60, 0x48, "pad 8"},
    {0x61, 0x49, "pad 9"},
    {0x62, 0x52, "pad 0"},
    {0x63, 0x53, "pad ."},
    {0x64, 0x56, "ISO \\"},
    {0x65, 0xE05D, "Application"},
    {0x68, 0x64, "F13"},
    {0x69, 0x65, "F14"},
    {0x6A, 0x66, "F15"},
    {0xE0, 0x1D, "left Control"},
    {0xE1, 0x2A, "left Shift"},
    {0xE2, 0x38, "left Alt"},
    {0xE3, 0xE05B, "left Windows"},
    {0xE4, 0xE01D, "right Control"},
    {0xE5, 0x36, "right Shift"},
    {0xE6, 0xE038, "right Alt"},
    {0xE7, 0xE05C, "right Windows"},
};

// The runtime's key number of a set-1 code: the code, or 128 + code after 0xE0.
int KeyNumberOfScanCode(int setOne) { return setOne >= 0xE000 ? 128 + (setOne & 0x7F) : setOne; }

TEST(KeyTable, EveryKeyIsNumberedByItsSetOneScanCode) {
    for (const ScanCode& key : kPcKeyboard) {
        int number = KeyNumberOfScanCode(key.setOne);
        EXPECT_EQ(KeyNumberOfUsage(key.usage), number) << key.key;
        // Both backslash positions are one key number; the ANSI one names it.
        if (key.usage != 0x32) {
            EXPECT_EQ(UsageOfKeyNumber(number), key.usage) << key.key;
        }
    }
}

TEST(KeyTable, NumbersAndUsagesRoundTrip) {
    int numbered = 0;
    for (int n = 0; n < 256; ++n) {
        int usage = UsageOfKeyNumber(n);
        if (usage == 0) continue;
        ++numbered;
        EXPECT_EQ(KeyNumberOfUsage(usage), n) << "key " << n;
    }
    EXPECT_GT(numbered, 100);
    EXPECT_EQ(UsageOfKeyNumber(0), 0);
    EXPECT_EQ(UsageOfKeyNumber(255), 0);
    EXPECT_EQ(KeyNumberOfUsage(0), 0);
    EXPECT_EQ(KeyNumberOfUsage(-5), 0);
    EXPECT_EQ(KeyNumberOfUsage(115), 0);  // F24, a key without a number
}

// ---- characters -----------------------------------------------------------------

TEST(KeyCharacters, SpecialKeysAndModifiers) {
    EXPECT_EQ(KeyCharacter(keys::kReturn, 13), 10);
    EXPECT_EQ(KeyCharacter(keys::kPadEnter, 13), 10);
    EXPECT_EQ(KeyCharacter(keys::kBackspace, 8), 8);
    for (int modifier : {42, 54, 29, 56, 58, 69, 221})
        EXPECT_EQ(KeyCharacter(modifier, 'x'), 0) << "key " << modifier;
    EXPECT_EQ(KeyCharacter(30, 'a'), 'a');
    EXPECT_EQ(KeyCharacter(15, 9), 0);     // Tab: a control character
    EXPECT_EQ(KeyCharacter(1, 27), 0);     // Escape
    EXPECT_EQ(KeyCharacter(40, 0xE4), 0);  // a character beyond ASCII
    EXPECT_EQ(DefaultKeyCharacter(57), ' ');
    EXPECT_EQ(DefaultKeyCharacter(44), 'z');
}

struct TypedKeys {
    uint8_t state[256] = {};
    char last = 0;
    void Set(int key, bool down) { state[key] = down ? 0x80 : 0; }
    char Next() {
        return NextTypedCharacter(
            state, [](int k) { return KeyCharacter(k, DefaultKeyCharacter(k)); }, last);
    }
};

TEST(KeyCharacters, HeldKeyIsReportedOnceAndShiftGivesUpperCase) {
    TypedKeys keys;
    keys.Set(30, true);  // A
    EXPECT_EQ(keys.Next(), 'a');
    EXPECT_EQ(keys.Next(), 0);
    keys.Set(42, true);  // left Shift while A is held: a new character
    EXPECT_EQ(keys.Next(), 'A');
    EXPECT_EQ(keys.Next(), 0);
    keys.Set(42, false);
    keys.Set(54, true);  // right Shift with the same key: the same character, not again
    EXPECT_EQ(keys.Next(), 0);
    keys.Set(30, false);
    keys.Set(54, false);
    EXPECT_EQ(keys.Next(), 0);
    keys.Set(30, true);  // released and pressed again
    EXPECT_EQ(keys.Next(), 'a');
}

TEST(KeyCharacters, LowestKeyWinsAndShiftLeavesOtherCharacters) {
    TypedKeys keys;
    keys.Set(50, true);  // M
    keys.Set(2, true);   // 1
    EXPECT_EQ(keys.Next(), '1');
    keys.Set(2, false);
    keys.Set(42, true);
    EXPECT_EQ(keys.Next(), 'M');
    keys.Set(50, false);
    keys.Set(28, true);  // Return
    EXPECT_EQ(keys.Next(), 10);
    keys.Set(28, false);
    keys.Set(14, true);  // Backspace
    EXPECT_EQ(keys.Next(), 8);
    keys.Set(14, false);
    keys.Set(42, false);
    keys.Set(42, true);  // Shift alone gives nothing
    EXPECT_EQ(keys.Next(), 0);
}

// ---- joysticks --------------------------------------------------------------------

TEST(JoystickReduction, StickAxesHaveAHalfRangeDeadZone) {
    EXPECT_EQ(ReduceStickAxis(-32768), -1);
    EXPECT_EQ(ReduceStickAxis(-16384), -1);
    EXPECT_EQ(ReduceStickAxis(-16383), 0);
    EXPECT_EQ(ReduceStickAxis(0), 0);
    EXPECT_EQ(ReduceStickAxis(-1), 0);
    EXPECT_EQ(ReduceStickAxis(16383), 0);
    EXPECT_EQ(ReduceStickAxis(16384), 1);
    EXPECT_EQ(ReduceStickAxis(32767), 1);
}

TEST(JoystickReduction, HatButtonsAndTheRecord) {
    EXPECT_EQ(HatAngle(kHatUp), 0u);
    EXPECT_EQ(HatAngle(kHatRight), 9000u);
    EXPECT_EQ(HatAngle(kHatDown), 18000u);
    EXPECT_EQ(HatAngle(kHatLeft), 27000u);
    EXPECT_EQ(HatAngle(kHatRight | kHatUp), 4500u);
    EXPECT_EQ(HatAngle(kHatLeft | kHatDown), 22500u);
    EXPECT_EQ(HatAngle(0), kHatCentred);
    EXPECT_EQ(HatAngle(kHatUp | kHatDown), kHatCentred);

    RawJoystick raw;
    raw.axisCount = 3;
    raw.axes[0] = 30000;
    raw.axes[1] = -20000;
    raw.axes[2] = -32768;
    raw.hatCount = 1;
    raw.hats[0] = kHatLeft;
    raw.buttonCount = 40;  // only the first 32 fit
    raw.buttons[0] = true;
    raw.buttons[31] = true;
    DIJOYSTATE state;
    ReduceJoystick(raw, state);
    EXPECT_EQ(state.lX, 1);
    EXPECT_EQ(state.lY, -1);
    EXPECT_EQ(state.lZ, 0);
    EXPECT_EQ(state.rgdwPOV[0], 27000u);
    EXPECT_EQ(state.rgdwPOV[1], kHatCentred);
    EXPECT_EQ(state.rgbButtons[0], 0x80);
    EXPECT_EQ(state.rgbButtons[1], 0);
    EXPECT_EQ(state.rgbButtons[31], 0x80);

    RawJoystick idle;  // no axes, no hats: centred
    ReduceJoystick(idle, state);
    EXPECT_EQ(state.lX, 0);
    EXPECT_EQ(state.lZ, 0);
    EXPECT_EQ(state.rgdwPOV[0], kHatCentred);
}

// ---- key scripts --------------------------------------------------------------------

bool Down(const KeyScript& script, long frame, int key) {
    uint8_t state[256];
    script.StateAt(frame, state);
    return (state[key] & 0x80) != 0;
}

TEST(KeyScriptTest, DownUpAndTapByFrame) {
    KeyScript script;
    std::string error;
    ASSERT_TRUE(
        script.Parse("# walk left, jump, fire once\n"
                     "2 down 203   # hold left\n"
                     "\n"
                     "5 tap 57\n"
                     "  4 down 56 57\r\n"
                     "6 UP 203 56\n"
                     "7 up 57\n",
                     "walk.keys", error))
        << error;
    EXPECT_FALSE(Down(script, 0, 203));
    EXPECT_FALSE(Down(script, 1, 203));
    EXPECT_TRUE(Down(script, 2, 203));
    EXPECT_TRUE(Down(script, 5, 203));
    EXPECT_FALSE(Down(script, 6, 203));
    EXPECT_TRUE(Down(script, 4, 56));
    EXPECT_FALSE(Down(script, 6, 56));
    // 57 is held from frame 4 (a line above in the file but later in time) to 7.
    EXPECT_FALSE(Down(script, 3, 57));
    EXPECT_TRUE(Down(script, 6, 57));
    EXPECT_FALSE(Down(script, 7, 57));

    KeyScript taps;
    ASSERT_TRUE(taps.Parse("3 tap 1\n", "t", error));
    EXPECT_FALSE(Down(taps, 2, 1));
    EXPECT_TRUE(Down(taps, 3, 1));
    EXPECT_FALSE(Down(taps, 4, 1));
}

// The key states the script's rules give, worked out frame by frame from the lines as
// written: for each frame up to the one asked, its lines in file order; 'down' holds a
// key, 'up' releases it, 'tap' holds it during its own frame only.
struct ScriptLine {
    long frame;
    std::string action;
    int key;
};

std::vector<uint8_t> ExpectedState(const std::vector<ScriptLine>& lines, long frame) {
    std::vector<bool> held(256, false), tapped(256, false);
    for (long f = 0; f <= frame; ++f)
        for (const ScriptLine& line : lines) {
            if (line.frame != f) continue;
            if (line.action == "down") held[line.key] = true;
            if (line.action == "up") held[line.key] = false;
            if (line.action == "tap" && f == frame) tapped[line.key] = true;
        }
    std::vector<uint8_t> state(256);
    for (int key = 0; key < 256; ++key) state[key] = held[key] || tapped[key] ? 0x80 : 0;
    return state;
}

TEST(KeyScriptTest, StatesFollowTheScriptInEveryOrderOfAsking) {
    // 400 lines on a few keys over frames 0 to 60, written out of frame order.
    const char* const actions[] = {"down", "up", "tap"};
    const int keys[] = {1, 57, 200, 203, 205};
    std::vector<ScriptLine> lines;
    std::string text;
    uint32_t seed = 12345;
    auto next = [&](uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    for (int i = 0; i < 400; ++i) {
        ScriptLine line{long(next(61)), actions[next(3)], keys[next(5)]};
        lines.push_back(line);
        text +=
            std::to_string(line.frame) + " " + line.action + " " + std::to_string(line.key) + "\n";
    }
    KeyScript script;
    std::string error;
    ASSERT_TRUE(script.Parse(text, "mixed.keys", error)) << error;
    auto expectFrame = [&](long frame) {
        uint8_t state[256];
        script.StateAt(frame, state);
        ASSERT_EQ(std::vector<uint8_t>(state, state + 256), ExpectedState(lines, frame))
            << "frame " << frame;
    };
    // Frame after frame, each asked several times as the KEY calls of a frame do.
    for (long frame = 0; frame <= 70; ++frame)
        for (int ask = 0; ask < 3; ++ask) expectFrame(frame);
    // Backwards, and in jumps both ways.
    for (long frame = 70; frame >= 0; --frame) expectFrame(frame);
    for (long frame : {5L, 40L, 41L, 3L, 60L, 60L, 0L, 61L, 1000L, 59L}) expectFrame(frame);

    // A script parsed again starts from its own beginning.
    lines = {{0, "down", 57}, {2, "tap", 1}};
    ASSERT_TRUE(script.Parse("0 down 57\n2 tap 1\n", "again.keys", error)) << error;
    for (long frame : {2L, 1L, 2L, 3L}) expectFrame(frame);
}

TEST(KeyScriptTest, BadLinesNameTheFileAndLine) {
    struct Case {
        const char* text;
        const char* expected;
    } cases[] = {
        {"1 down 57\nx down 57\n", "run.keys:2: 'x' is not a frame number"},
        {"-1 down 57\n", "run.keys:1: '-1' is not a frame number"},
        {"1 press 57\n", "run.keys:1: 'press' is not 'down', 'up' or 'tap'"},
        {"# fine\n\n3 down 256\n", "run.keys:3: '256' is not a key number from 0 to 255"},
        {"3 down 5x\n", "run.keys:1: '5x' is not a key number"},
        {"3 tap\n", "run.keys:1: no key numbers after 'tap'"},
        {"3\n", "run.keys:1: expected 'down', 'up' or 'tap'"},
        {"99999999999999999999 down 1\n", "run.keys:1:"},
        // Words from the file come back with their control bytes escaped.
        {"1\x1b]2;x\x07 down 1\n", "run.keys:1: '1\\x1B]2;x\\x07' is not a frame number"},
        {"1 \x1b[2J 1\n", "run.keys:1: '\\x1B[2J' is not 'down', 'up' or 'tap'"},
        {"1 up 5\x9b\n", "run.keys:1: '5\\x9B' is not a key number"},
    };
    for (const Case& c : cases) {
        KeyScript script;
        std::string error;
        EXPECT_FALSE(script.Parse(c.text, "run.keys", error)) << c.text;
        EXPECT_EQ(error.rfind(c.expected, 0), 0u) << "got: " << error;
        EXPECT_TRUE(script.Empty());
    }
    KeyScript missing;
    std::string error;
    EXPECT_FALSE(missing.LoadFile("/nonexistent/dir/run.keys", error));
    EXPECT_NE(error.find("/nonexistent/dir/run.keys"), std::string::npos);
    TestFolder folder("kv_keys");
    EXPECT_FALSE(missing.LoadFile(folder.Path(), error));
    EXPECT_EQ(error, folder.Path() + ": a folder, not a key script");
}

// ---- recording ------------------------------------------------------------------

TEST(KeyScriptTest, TheFirstLineMayNameTheRecordingsSeed) {
    struct Case {
        const char* text;
        bool hasSeed;
        uint32_t seed;
    } cases[] = {
        {"# kip key recording, seed 4294967295\n3 tap 57\n", true, 4294967295u},
        {"  #seed 0\n", true, 0},
        {"# no number here\n", false, 0},
        {"# seed 4294967296\n", false, 0},  // beyond 32 bits: not a seed
        {"# seed -3\n", false, 0},
        {"3 tap 57 # seed 12\n", false, 0},  // only a comment line counts
        {"\n# seed 12\n", false, 0},        // and only the first line
    };
    for (const Case& c : cases) {
        KeyScript script;
        std::string error;
        ASSERT_TRUE(script.Parse(c.text, "seed.keys", error)) << c.text << error;
        EXPECT_EQ(script.HasSeed(), c.hasSeed) << c.text;
        if (c.hasSeed) {
            EXPECT_EQ(script.Seed(), c.seed) << c.text;
        }
    }
    // Parsing another script forgets the seed.
    KeyScript script;
    std::string error;
    ASSERT_TRUE(script.Parse("# seed 5\n", "a", error));
    ASSERT_TRUE(script.Parse("1 tap 1\n", "b", error));
    EXPECT_FALSE(script.HasSeed());
}

// The keys of one frame as the recorder is given them.
struct RecordedFrame {
    long frame;
    std::vector<int> held;    // down as the frame starts
    std::vector<int> tapped;  // pressed and let go since the frame before
};

TEST(KeyRecorderTest, WritesTheKeyScriptThatGivesBackEveryFramesKeys) {
    const std::vector<RecordedFrame> frames = {
        {0, {}, {}},
        {1, {57}, {}},            // space goes down
        {2, {57, 203}, {}},       // left joins it
        {3, {203}, {}},           // space let go
        {4, {203}, {1}},          // Escape tapped between frames
        {5, {}, {203}},           // left let go and pressed and let go again
        {6, {}, {}},
        {9, {205, 56}, {200}},    // frames need not follow one by one
    };
    // Worked out by hand from the frames above: releases first, then presses, then taps.
    const std::string expected =
        "# kip key recording, seed 987654321\n"
        "1 down 57\n"
        "2 down 203\n"
        "3 up 57\n"
        "4 tap 1\n"
        "5 up 203\n"
        "5 tap 203\n"
        "9 down 56 205\n"
        "9 tap 200\n";
    TestFolder folder("kv_record");
    KeyRecorder recorder;
    std::string error;
    ASSERT_TRUE(recorder.Open(folder / "run.keys", error)) << error;
    ASSERT_TRUE(recorder.WriteSeed(987654321u));
    for (const RecordedFrame& f : frames) {
        uint8_t held[256] = {}, seen[256] = {};
        for (int key : f.held) held[key] = seen[key] = 0x80;
        for (int key : f.tapped) seen[key] = 0x80;
        ASSERT_TRUE(recorder.RecordFrame(f.frame, seen, held));
    }
    ASSERT_TRUE(recorder.Close());
    EXPECT_EQ(ReadFileText(folder / "run.keys"), expected);

    // Played back, the script gives each recorded frame exactly the keys seen then.
    KeyScript script;
    ASSERT_TRUE(script.LoadFile(folder / "run.keys", error)) << error;
    EXPECT_TRUE(script.HasSeed());
    EXPECT_EQ(script.Seed(), 987654321u);
    for (const RecordedFrame& f : frames) {
        uint8_t state[256];
        script.StateAt(f.frame, state);
        std::vector<int> down;
        for (int key = 0; key < 256; ++key)
            if (state[key] & 0x80) down.push_back(key);
        std::vector<int> seen = f.held;
        seen.insert(seen.end(), f.tapped.begin(), f.tapped.end());
        std::sort(seen.begin(), seen.end());
        EXPECT_EQ(down, seen) << "frame " << f.frame;
    }
}

TEST(KeyRecorderTest, AFileThatCannotBeWrittenIsReported) {
    KeyRecorder recorder;
    std::string error;
    EXPECT_FALSE(recorder.Open("/nonexistent/dir/run.keys", error));
    EXPECT_NE(error.find("/nonexistent/dir/run.keys"), std::string::npos);
    EXPECT_FALSE(recorder.IsOpen());
    // A full device: the lines cannot reach it, and the recorder says so.
    if (FILE* probe = std::fopen("/dev/full", "w")) {
        std::fclose(probe);
        ASSERT_TRUE(recorder.Open("/dev/full", error)) << error;
        uint8_t keys[256] = {};
        keys[57] = 0x80;
        bool ok = recorder.WriteSeed(1);
        for (long frame = 0; frame < 2000 && ok; ++frame) {
            keys[57] ^= 0x80;
            ok = recorder.RecordFrame(frame, keys, keys);
        }
        EXPECT_FALSE(ok);
        EXPECT_FALSE(recorder.Close());
    }
}

// ---- gamepad ----------------------------------------------------------------------

std::vector<int> PadKeys(const GamepadState& pad) {
    uint8_t state[256] = {};
    PressGamepadKeys(pad, state);
    std::vector<int> down;
    for (int key = 0; key < 256; ++key)
        if (state[key] & 0x80) down.push_back(key);
    return down;
}

TEST(GamepadKeys, ButtonsAndDirectionsPressTheGamesKeys) {
    // The mapping as the player's guide states it, by key number.
    GamepadState pad;
    EXPECT_EQ(PadKeys(pad), std::vector<int>{});
    pad.a = true;
    EXPECT_EQ(PadKeys(pad), std::vector<int>{57});
    pad = GamepadState();
    pad.b = true;
    EXPECT_EQ(PadKeys(pad), std::vector<int>{56});
    pad = GamepadState();
    pad.start = true;
    EXPECT_EQ(PadKeys(pad), std::vector<int>{1});
    pad = GamepadState();
    pad.up = pad.left = true;
    EXPECT_EQ(PadKeys(pad), (std::vector<int>{200, 203}));
    pad = GamepadState();
    pad.down = pad.right = true;
    EXPECT_EQ(PadKeys(pad), (std::vector<int>{205, 208}));
    // Keys already down stay down.
    uint8_t state[256] = {};
    state[30] = 0x80;
    PressGamepadKeys(GamepadState(), state);
    EXPECT_EQ(state[30], 0x80);
}

TEST(GamepadKeys, TheStickCountsBeyondTheMiddleHalfOfItsRange) {
    struct Case {
        int x, y;
        std::vector<int> keys;
    } cases[] = {
        {0, 0, {}},
        {16383, -16383, {}},  // inside the dead zone
        {16384, 0, {205}},
        {-16384, 0, {203}},
        {0, -32768, {200}},
        {0, 32767, {208}},
        {32767, 32767, {205, 208}},
    };
    for (const Case& c : cases) {
        GamepadState pad;
        pad.leftX = c.x;
        pad.leftY = c.y;
        EXPECT_EQ(PadKeys(pad), c.keys) << c.x << "," << c.y;
    }
}

TEST(GamepadKeys, TwoPadsTogether) {
    GamepadState first, second, both;
    first.a = true;
    first.leftX = 20000;
    second.start = true;
    second.leftX = -30000;
    second.leftY = 100;
    MergeGamepads(first, both);
    MergeGamepads(second, both);
    // Buttons of both; of the sticks, the one pushed furthest.
    EXPECT_EQ(PadKeys(both), (std::vector<int>{1, 57, 203}));
    EXPECT_EQ(both.leftY, 100);
}

}  // namespace
