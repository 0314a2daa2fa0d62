// Input: the numbers of the media keys; the input commands on a running runtime;
// the end keys of SHOWSCREEN end to end. The pure rules are in keys_test.cpp.
#include <SDL.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "commands/kv.h"
#include "gfx/OpenGLRainbows.h"
#include "input/DXInput.h"
#include "input/InputPlatform.h"
#include "input/InputRecords.h"
#include "input/KeyScript.h"
#include "input/KeyTable.h"
#include "runtime/Options.h"
#include "tests/support/TestFolder.h"

namespace {

// ---- key numbers of the keys beyond the USB keyboard page (SDL's own numbering) ----

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
    EXPECT_EQ(SdlInput().LayoutCharacter(30), 'a');
    EXPECT_EQ(SdlInput().LayoutCharacter(57), ' ');
    for (int key : {211, 210, 199, 203, 1, 15, 59})  // Delete, Insert, Home, left, Escape, Tab, F1
        EXPECT_EQ(KeyCharacter(key, SdlInput().LayoutCharacter(key)), 0) << "key " << key;
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
