// The display, gamepad and recording options, and the player's settings folder
// where the warning box's tick-off is remembered.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "files/UserConfig.h"
#include "runtime/Options.h"
#include "runtime/Runtime.h"
#include "tests/support/TestFolder.h"

namespace {
bool Parse(std::vector<const char*> args, RuntimeOptions& options, std::string& error) {
    options = RuntimeOptions();
    return ParseRuntimeOptions(int(args.size()), args.data(), options, error);
}

// Whether the window starts in full screen for these options, when the program
// itself asks for full screen (true) or a window (false).
bool StartsFullscreen(std::vector<const char*> args, bool programWants) {
    std::string error;
    EXPECT_TRUE(Parse(args, KvOptions(), error)) << error;
    bool result = KvStartsFullscreen(programWants);
    KvRuntime().Reset();
    return result;
}
}  // namespace

TEST(DisplayOptions, WindowedAndFullscreenOverrideTheProgramTheLastOneCounting) {
    EXPECT_TRUE(StartsFullscreen({}, true));
    EXPECT_FALSE(StartsFullscreen({}, false));
    EXPECT_FALSE(StartsFullscreen({"--windowed"}, true));
    EXPECT_TRUE(StartsFullscreen({"--fullscreen"}, false));
    EXPECT_TRUE(StartsFullscreen({"--windowed", "--fullscreen"}, false));
    EXPECT_FALSE(StartsFullscreen({"--fullscreen", "--windowed"}, true));
    // Headless never shows full screen, in whichever order.
    EXPECT_FALSE(StartsFullscreen({"--fullscreen", "--headless"}, true));
    EXPECT_FALSE(StartsFullscreen({"--headless", "--fullscreen"}, true));
}

TEST(DisplayOptions, ScaleGamepadAndRecord) {
    RuntimeOptions options;
    std::string error;
    ASSERT_TRUE(Parse({}, options, error));
    EXPECT_FALSE(options.integerScale);
    EXPECT_FALSE(options.noGamepad);
    EXPECT_TRUE(options.recordFile.empty());
    ASSERT_TRUE(Parse({"--scale", "integer", "--no-gamepad", "--record", "bug.keys", "x"}, options,
                      error));
    EXPECT_TRUE(options.integerScale);
    EXPECT_TRUE(options.noGamepad);
    EXPECT_EQ(options.recordFile, "bug.keys");
    EXPECT_EQ(options.programArguments, "x");
    ASSERT_TRUE(Parse({"--scale", "integer", "--scale", "smooth"}, options, error));
    EXPECT_FALSE(options.integerScale);

    struct Bad {
        std::vector<const char*> args;
        const char* message;
    } bad[] = {
        {{"--scale"}, "option --scale needs 'smooth' or 'integer'"},
        {{"--scale", "2"}, "option --scale needs 'smooth' or 'integer'"},
        {{"--record"}, "option --record needs a file for the recorded keys"},
        {{"--record", "a.keys", "--keys", "b.keys"},
         "--record writes the keys a person presses; it cannot be used with --keys"},
    };
    for (const Bad& b : bad) {
        EXPECT_FALSE(Parse(b.args, options, error)) << b.message;
        EXPECT_EQ(error, b.message);
    }
    std::string help = RuntimeOptionsHelp("kip");
    for (const char* option : {"--fullscreen", "--windowed", "--scale MODE", "--no-gamepad",
                               "--record FILE", "F11"})
        EXPECT_NE(help.find(option), std::string::npos) << option;
}

namespace {
// Sets an environment variable for the test's length.
class ScopedVariable {
  public:
    ScopedVariable(const char* name, const char* value) : m_name(name) {
        const char* old = std::getenv(name);
        m_had = old != nullptr;
        if (old) m_old = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedVariable() {
        if (m_had)
            setenv(m_name, m_old.c_str(), 1);
        else
            unsetenv(m_name);
    }

  private:
    const char* m_name;
    bool m_had = false;
    std::string m_old;
};
}  // namespace

TEST(UserConfig, TheFolderFollowsTheDesktopsRules) {
    {
        ScopedVariable config("XDG_CONFIG_HOME", "/somewhere/config/");
        ScopedVariable home("HOME", "/home/player");
        EXPECT_EQ(UserConfigFolder(), "/somewhere/config/kip");
    }
    {
        ScopedVariable config("XDG_CONFIG_HOME", "relative/config");  // ignored
        ScopedVariable home("HOME", "/home/player");
        EXPECT_EQ(UserConfigFolder(), "/home/player/.config/kip");
    }
    {
        ScopedVariable config("XDG_CONFIG_HOME", nullptr);
        ScopedVariable home("HOME", nullptr);
        EXPECT_EQ(UserConfigFolder(), "");
        std::string error;
        EXPECT_FALSE(UserConfigRemember("answer", error));
        EXPECT_FALSE(error.empty());
        EXPECT_FALSE(UserConfigRemembers("answer"));
    }
}

TEST(UserConfig, AnAnswerIsRememberedInAnOwnerOnlyFolder) {
    TestFolder folder("kv_config");
    std::string base = folder / "deep/config";
    ScopedVariable config("XDG_CONFIG_HOME", base.c_str());
    EXPECT_FALSE(UserConfigRemembers("software-renderer-warning-off"));
    std::string error;
    ASSERT_TRUE(UserConfigRemember("software-renderer-warning-off", error)) << error;
    EXPECT_TRUE(UserConfigRemembers("software-renderer-warning-off"));
    EXPECT_FALSE(UserConfigRemembers("another-answer"));
    struct stat info;
    ASSERT_EQ(stat((base + "/kip").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    // Remembering twice is no error.
    EXPECT_TRUE(UserConfigRemember("software-renderer-warning-off", error)) << error;

    // A file where the folder should be: the answer cannot be stored, and says why.
    TestFolder blocked("kv_config");
    ASSERT_TRUE(std::ofstream(blocked / "kip").good());
    ScopedVariable blockedConfig("XDG_CONFIG_HOME", blocked.Path().c_str());
    EXPECT_FALSE(UserConfigRemember("software-renderer-warning-off", error));
    EXPECT_NE(error.find(blocked / "kip"), std::string::npos) << error;
    EXPECT_FALSE(UserConfigRemembers("software-renderer-warning-off"));
}
