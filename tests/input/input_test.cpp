// Input: the key numbering, typed characters, joystick reduction and key scripts;
// the input commands on a running runtime; the end keys of SHOWSCREEN end to end.
#include <SDL.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "gfx/OpenGLRainbows.h"
#include "input/DXInput.h"
#include "input/InputPlatform.h"
#include "input/InputRecords.h"
#include "input/KeyScript.h"
#include "input/KeyTable.h"
#include "runtime/Options.h"
#include "runtime/kv.h"
#include "tests/support/TestFolder.h"

namespace {

// ---- key numbering --------------------------------------------------------------

TEST(KeyTable, KeysOfTheGameAndOfTheScreenFlip) {
    EXPECT_EQ(KeyNumberOfUsage(SDL_SCANCODE_LEFT), 203);
    EXPECT_EQ(KeyNumberOfUsage(SDL_SCANCODE_RIGHT), 205);
    EXPECT_EQ(KeyNumberOfUsage(SDL_SCANCODE_UP), 200);
    EXPECT_EQ(KeyNumberOfUsage(SDL_SCANCODE_DOWN), 208);
    EXPECT_EQ(KeyNumberOfUsage(SDL_SCANCODE_LALT), 56);
    EXPECT_EQ(KeyNumberOfUsage(SDL_SCANCODE_SPACE), 57);
    EXPECT_EQ(KeyNumberOfUsage(SDL_SCANCODE_M), 50);
    EXPECT_EQ(KeyNumberOfUsage(SDL_SCANCODE_ESCAPE), 1);
    EXPECT_EQ(KeyNumberOfUsage(SDL_SCANCODE_F4), 62);
    // The cheat keys: K, I, P and the digits 1 to 8 of the main block.
    EXPECT_EQ(KeyNumberOfUsage(SDL_SCANCODE_K), 37);
    EXPECT_EQ(KeyNumberOfUsage(SDL_SCANCODE_I), 23);
    EXPECT_EQ(KeyNumberOfUsage(SDL_SCANCODE_P), 25);
    const SDL_Scancode digits[] = {SDL_SCANCODE_1, SDL_SCANCODE_2, SDL_SCANCODE_3, SDL_SCANCODE_4,
                                   SDL_SCANCODE_5, SDL_SCANCODE_6, SDL_SCANCODE_7, SDL_SCANCODE_8};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(KeyNumberOfUsage(digits[i]), 2 + i) << "digit " << i + 1;
}

TEST(KeyTable, PositionsNotLettersDecide) {
    // The key left of X is 44 and the one right of T is 21, whatever they are labelled.
    EXPECT_EQ(KeyNumberOfUsage(SDL_SCANCODE_Z), 44);
    EXPECT_EQ(KeyNumberOfUsage(SDL_SCANCODE_Y), 21);
    EXPECT_EQ(KeyNumberOfUsage(SDL_SCANCODE_RALT), 184);
    EXPECT_EQ(KeyNumberOfUsage(SDL_SCANCODE_KP_ENTER), 156);
    EXPECT_EQ(KeyNumberOfUsage(SDL_SCANCODE_RCTRL), 157);
    EXPECT_EQ(KeyNumberOfUsage(SDL_SCANCODE_KP_DIVIDE), 181);
    EXPECT_EQ(KeyNumberOfUsage(SDL_SCANCODE_NONUSBACKSLASH), 86);
    EXPECT_EQ(KeyNumberOfUsage(SDL_SCANCODE_NONUSHASH), 43);
    EXPECT_EQ(KeyNumberOfUsage(SDL_SCANCODE_APPLICATION), 221);
}

TEST(KeyTable, MultimediaAndBrowserKeys) {
    EXPECT_EQ(KeyNumberOfUsage(SDL_SCANCODE_AC_HOME), 178);
    EXPECT_EQ(KeyNumberOfUsage(SDL_SCANCODE_AC_BACK), 234);
    EXPECT_EQ(KeyNumberOfUsage(SDL_SCANCODE_AC_FORWARD), 233);
    EXPECT_EQ(KeyNumberOfUsage(SDL_SCANCODE_AC_SEARCH), 229);
    EXPECT_EQ(KeyNumberOfUsage(SDL_SCANCODE_MAIL), 236);
    EXPECT_EQ(KeyNumberOfUsage(SDL_SCANCODE_MUTE), 160);
    EXPECT_EQ(KeyNumberOfUsage(SDL_SCANCODE_AUDIOMUTE), 160);
    EXPECT_EQ(KeyNumberOfUsage(SDL_SCANCODE_VOLUMEUP), 176);
    EXPECT_EQ(KeyNumberOfUsage(SDL_SCANCODE_KP_COMMA), 179);
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
    EXPECT_EQ(KeyNumberOfUsage(SDL_SCANCODE_F24), 0);  // a key without a number
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
    EXPECT_EQ(HatAngle(SDL_HAT_UP), 0u);
    EXPECT_EQ(HatAngle(SDL_HAT_RIGHT), 9000u);
    EXPECT_EQ(HatAngle(SDL_HAT_DOWN), 18000u);
    EXPECT_EQ(HatAngle(SDL_HAT_LEFT), 27000u);
    EXPECT_EQ(HatAngle(SDL_HAT_RIGHTUP), 4500u);
    EXPECT_EQ(HatAngle(SDL_HAT_LEFTDOWN), 22500u);
    EXPECT_EQ(HatAngle(SDL_HAT_CENTERED), kHatCentred);
    EXPECT_EQ(HatAngle(SDL_HAT_UP | SDL_HAT_DOWN), kHatCentred);

    RawJoystick raw;
    raw.axisCount = 3;
    raw.axes[0] = 30000;
    raw.axes[1] = -20000;
    raw.axes[2] = -32768;
    raw.hatCount = 1;
    raw.hats[0] = SDL_HAT_LEFT;
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
        text += std::to_string(line.frame) + " " + line.action + " " + std::to_string(line.key) +
                "\n";
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
    EXPECT_FALSE(missing.LoadFile("/tmp", error));
    EXPECT_EQ(error, "/tmp: a folder, not a key script");
}

// ---- the commands on a running runtime ---------------------------------------------

class InputCommands : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        static bool started = KvStartRuntimeForTests();
        ASSERT_TRUE(started);
    }
    static void Script(const char* text) {
        KeyScript script;
        std::string error;
        ASSERT_TRUE(script.Parse(text, "test", error)) << error;
        pDXin->UseKeyScript(script);
    }
    // Moves the scripted time on by one frame.
    static void NextFrame() { KvFrameCompleted(); }
    static void PushMouse(int dx, int dy, int button = 0, bool down = false) {
        SDL_Event event{};
        if (button) {
            event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
            event.button.button = Uint8(button);
        } else {
            event.type = SDL_MOUSEMOTION;
            event.motion.xrel = dx;
            event.motion.yrel = dy;
        }
        ASSERT_EQ(SDL_PushEvent(&event), 1);
        pRbow->WinMessages();
    }
};

TEST_F(InputCommands, KeyReadsTheScriptedKeysModulo256) {
    long now = KvFrameNumber();
    std::string text = std::to_string(now) + " down 57\n" + std::to_string(now + 1) + " up 57\n";
    Script(text.c_str());
    EXPECT_EQ(KEY(57), 1);
    EXPECT_EQ(KEY(256 + 57), 1);
    EXPECT_EQ(KEY(57.9), 1);
    EXPECT_EQ(KEY(56), 0);
    NextFrame();
    EXPECT_EQ(KEY(57), 0);
    EXPECT_EQ(KEY(256 + 57), 0);
}

TEST_F(InputCommands, EveryKeyNumberCanBeRead) {
    long now = KvFrameNumber();
    Script((std::to_string(now) + " tap 0 128 255\n").c_str());
    EXPECT_EQ(KEY(0), 1);
    EXPECT_EQ(KEY(128), 1);
    EXPECT_EQ(KEY(255), 1);
    EXPECT_EQ(KEY(-1), 1);  // -1 & 255
    EXPECT_EQ(KEY(254), 0);
}

TEST_F(InputCommands, InkeyReportsAHeldKeyOnce) {
    long f = KvFrameNumber();
    std::string text = std::to_string(f) + " down 30\n" +      // a
                       std::to_string(f + 2) + " down 42\n" +  // Shift as well: A
                       std::to_string(f + 3) + " up 30 42\n" + std::to_string(f + 4) +
                       " tap 28\n" +                         // Return
                       std::to_string(f + 5) + " tap 14\n";  // Backspace
    Script(text.c_str());
    EXPECT_STREQ(INKEY_Str().GetStrData(), "a");
    EXPECT_STREQ(INKEY_Str().GetStrData(), "");
    NextFrame();
    EXPECT_STREQ(INKEY_Str().GetStrData(), "");
    NextFrame();
    EXPECT_STREQ(INKEY_Str().GetStrData(), "A");
    NextFrame();
    EXPECT_STREQ(INKEY_Str().GetStrData(), "");
    NextFrame();
    EXPECT_STREQ(INKEY_Str().GetStrData(), "\n");
    NextFrame();
    EXPECT_STREQ(INKEY_Str().GetStrData(), "\b");
}

TEST_F(InputCommands, KeysOfTheKeyboardLayoutThatTypeNothing) {
    EXPECT_EQ(input_platform::LayoutCharacter(30), 'a');
    EXPECT_EQ(input_platform::LayoutCharacter(57), ' ');
    for (int key : {211, 210, 199, 203, 1, 15, 59})  // Delete, Insert, Home, left, Escape, Tab, F1
        EXPECT_EQ(KeyCharacter(key, input_platform::LayoutCharacter(key)), 0) << "key " << key;
}

TEST_F(InputCommands, MouseIsClampedToTheScreen) {
    double x, y, b1, b2;
    MOUSESTATE(x, y, b1, b2);  // takes any movement left over
    SETMOUSE(-50, 9999);
    EXPECT_EQ(__g_mx, -50);  // kept until the next read
    MOUSESTATE(x, y, b1, b2);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 480);
    // Far to the left, then right: counting starts again from 0 at once.
    SETMOUSE(100, 100);
    PushMouse(-5000, 0);
    MOUSESTATE(x, y, b1, b2);
    EXPECT_EQ(x, 0);
    PushMouse(30, -20);
    MOUSESTATE(x, y, b1, b2);
    EXPECT_EQ(x, 30);
    EXPECT_EQ(y, 80);
    PushMouse(9000, 9000);
    MOUSESTATE(x, y, b1, b2);
    EXPECT_EQ(x, 640);
    EXPECT_EQ(y, 480);
    EXPECT_EQ(b1, 0);
    PushMouse(0, 0, SDL_BUTTON_LEFT, true);
    MOUSESTATE(x, y, b1, b2);
    EXPECT_EQ(b1, 1);
    EXPECT_EQ(b2, 0);
    PushMouse(0, 0, SDL_BUTTON_LEFT, false);
    PushMouse(0, 0, SDL_BUTTON_RIGHT, true);
    MOUSESTATE(x, y, b1, b2);
    EXPECT_EQ(b1, 0);
    EXPECT_EQ(b2, 1);
    PushMouse(0, 0, SDL_BUTTON_RIGHT, false);
}

TEST_F(InputCommands, JoysticksWithoutADevice) {
    if (GETNUMJOYSTICKS() != 0) GTEST_SKIP() << "a joystick is attached to this machine";
    EXPECT_STREQ(GETJOYNAME_Str(0).GetStrData(), "");
    EXPECT_EQ(GETJOYBUTTON(0, 32), 0);
    EXPECT_EQ(GETJOYBUTTON(0, -1), 0);
    EXPECT_EQ(GETJOYBUTTON(0, 0), 0);
    EXPECT_EQ(GETJOYX(0), 0);
    EXPECT_EQ(GETJOYY(1), 0);
    // A missing joystick's hat is centred, not pushed up.
    EXPECT_EQ(GETDIGIX(0), 0);
    EXPECT_EQ(GETDIGIY(0), 0);
    double x = 5, y = 5, b1 = 5, b2 = 5;
    JOYSTATE(x, y, b1, b2);
    EXPECT_EQ(x + y + b1 + b2, 0);
    DIJOYSTATE state;
    EXPECT_FALSE(pDXin->GetJoystickData(&state, 5));
}

// Keys tapped one per frame from the frame after INPUT's first screen on; 0 leaves a
// frame without a key.
std::string Typing(std::initializer_list<int> keysPerFrame) {
    long frame = KvFrameNumber();
    std::string text;
    for (int key : keysPerFrame) {
        ++frame;
        if (key) text += std::to_string(frame) + " tap " + std::to_string(key) + "\n";
    }
    return text;
}

TEST_F(InputCommands, InputEditsTheTextUntilEnter) {
    KvStr text = "x";
    Script(Typing({2, 3, 14, 0, 30, 28}).c_str());  // 1 2 Backspace - a Enter
    INPUT(text, 10, 20);
    EXPECT_STREQ(text.GetStrData(), "x1a");

    KvStr empty;
    Script(Typing({14, 14, 2, 28}).c_str());  // Backspace on nothing is harmless
    INPUT(empty, 0, 0);
    EXPECT_STREQ(empty.GetStrData(), "1");

    std::string long1020(1020, 'x');
    KvStr full = long1020.c_str();
    Script(Typing({2, 3, 4, 5, 28}).c_str());  // room for two more characters only
    INPUT(full, 0, 0);
    EXPECT_EQ(full.Length(), 1022);
    EXPECT_EQ(std::string(full.GetStrData()).substr(1018), "xx12");
}

TEST_F(InputCommands, InputOfANumber) {
    double v = 99;
    Script(Typing({2, 3, 30, 48, 46, 28}).c_str());  // "12abc"
    INPUT(v, 0, 0);
    EXPECT_EQ(v, 12);
    Script(Typing({28}).c_str());
    INPUT(v, 0, 0);
    EXPECT_EQ(v, 0);
}

TEST_F(InputCommands, WaitingCommandsDoNotWaitWithoutAPerson) {
    Script("0 up 1\n");
    EXPECT_EQ(KEYWAIT(), 0);
    EXPECT_EQ(MOUSEWAIT(), 0);
}

// ---- SHOWSCREEN's end keys, end to end ---------------------------------------------

class EndKeys : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(m_folder.Made()); }

    void WriteScript(const std::string& text) { std::ofstream(m_folder / "run.keys") << text; }
    // Runs the key program headless with the script; returns its exit code.
    int Run(const std::string& extra = "") {
        std::string command = "cd '" + m_dir + "' && TMPDIR='" + m_dir +
                              "' '" KEYS_PROGRAM "' --headless --unpaced --keys run.keys " + extra +
                              " > output.txt 2>&1";
        int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string Read(const std::string& name) const { return ReadFileText(m_folder / name); }
    // Error code and line from the closing lines of the error log.
    std::string Ending() const {
        std::string log = Read("ErrorLog.txt");
        std::size_t at = log.find("-End On Line\r\n");
        if (at == std::string::npos) return "no end in the log: " + log;
        std::istringstream lines(log.substr(at + 14));
        std::string code, line;
        std::getline(lines, code);
        std::getline(lines, line);
        return code + " " + line;
    }
    TestFolder m_folder{"kv_keys"};
    const std::string& m_dir = m_folder.Path();
};

TEST_F(EndKeys, EscapeEndsAtThatScreenFlip) {
    WriteScript("# Escape goes down before the fourth screen\n3 down 1\n");
    EXPECT_EQ(Run("--frames 50"), 0) << Read("output.txt");
    EXPECT_EQ(Ending(), "0\r 103\r");
}

TEST_F(EndKeys, LeftAltWithF4Ends) {
    WriteScript("2 down 56\n5 down 62\n");
    EXPECT_EQ(Run("--frames 50"), 0) << Read("output.txt");
    EXPECT_EQ(Ending(), "0\r 105\r");
}

TEST_F(EndKeys, AltAloneOrF4AloneDoesNot) {
    WriteScript("1 down 56\n4 up 56\n4 down 62\n");
    EXPECT_EQ(Run("--frames 10"), 0) << Read("output.txt");
    EXPECT_EQ(Ending(), "0\r 109\r");  // ended by the frame count after the tenth flip
}

TEST_F(EndKeys, KeyIsTracedWithItsResult) {
    WriteScript("2 tap 57\n");
    EXPECT_EQ(Run("--frames 4 --trace trace.txt"), 0) << Read("output.txt");
    std::string trace = Read("trace.txt");
    EXPECT_NE(trace.find("1 KEY 57 0\n"), std::string::npos) << trace;
    EXPECT_NE(trace.find("2 KEY 57 1\n"), std::string::npos) << trace;
    EXPECT_NE(trace.find("3 KEY 57 0\n"), std::string::npos) << trace;
}

TEST_F(EndKeys, BadScriptStopsTheStart) {
    WriteScript("1 down 57\n2 hold 57\n");
    EXPECT_NE(Run(), 0);
    EXPECT_NE(Read("output.txt").find("run.keys:2:"), std::string::npos) << Read("output.txt");
    EXPECT_EQ(Read("ErrorLog.txt"), "");  // the program never started
    std::remove((m_dir + "/run.keys").c_str());
    EXPECT_NE(Run(), 0);
    EXPECT_NE(Read("output.txt").find("run.keys"), std::string::npos);
}

}  // namespace
