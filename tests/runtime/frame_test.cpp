// The program frame end to end: a probe program is started in a subprocess and
// its exit code, output and error log are checked.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/support/TestFolder.h"

namespace {

using ProbeRun = CommandResult;

class FrameTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(m_folder.Made()); }

    ProbeRun Start(const std::string& arguments, const std::string& environment = "",
                   const char* program = PROBE_PATH) {
        return RunCommand("cd '" + m_dir + "' && env " + environment + " TMPDIR='" + m_dir + "' '" +
                          program + "' " + arguments);
    }
    std::string ReadFile(const std::string& name) const { return ReadFileText(m_folder / name); }
    bool Exists(const std::string& name) const {
        return access((m_folder / name).c_str(), F_OK) == 0;
    }
    // The error log without the renderer line that start-up writes first.
    std::string ClosingLines() const {
        std::string log = ReadFile("ErrorLog.txt");
        std::size_t end = log.find("-End On Line");
        return end == std::string::npos ? log : log.substr(end);
    }

    TestFolder m_folder{"kv_frame"};
    const std::string& m_dir = m_folder.Path();
};

TEST_F(FrameTest, NormalEndWritesTheFiveClosingLines) {
    ProbeRun run = Start("--headless plain");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(ClosingLines(), "-End On Line\r\n0\r\n0\r\n5\r\n0\r\n");
}

TEST_F(FrameTest, RuntimeErrorNamesTheFailingLine) {
    ProbeRun run = Start("--headless array");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(ClosingLines(), "-End On Line\r\n9\r\n42\r\n42\r\n0\r\n");
}

TEST_F(FrameTest, ErrorCodeWithoutEndIsOverwrittenByTheNormalEnd) {
    ProbeRun run = Start("--headless error5");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    // __Error keeps going; the normal end sets the code back to 0 but keeps its line.
    EXPECT_EQ(ClosingLines(), "-End On Line\r\n5\r\n7\r\n8\r\n0\r\n");
}

TEST_F(FrameTest, EndCommandEndsAtItsLine) {
    ProbeRun run = Start("--headless end");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(ClosingLines(), "-End On Line\r\n0\r\n9\r\n9\r\n0\r\n");
}

TEST_F(FrameTest, StartUpDeletesTheOldLogAndRecordsTheRenderer) {
    std::ofstream(m_dir + "/ErrorLog.txt") << "an old run\r\n";
    ProbeRun run = Start("--headless --trace trace.txt plain");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    std::string log = ReadFile("ErrorLog.txt");
    EXPECT_EQ(log.find("an old run"), std::string::npos);
    // The software renderer of a headless machine, or a real one.
    bool software = log.rfind("OpenGL Software Emulation\r\n", 0) == 0;
    bool hardware = log.rfind("OpenGL Hardware Support\r\n", 0) == 0;
    EXPECT_TRUE(software || hardware) << log;
    std::string trace = ReadFile("trace.txt");
    EXPECT_NE(trace.find("0 RENDERER \""), std::string::npos) << trace;
}

TEST_F(FrameTest, NoLogWhenDebugIsOff) {
    ProbeRun run = Start("--headless nodebug");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(ReadFile("ErrorLog.txt").find("-End On Line"), std::string::npos);
}

TEST_F(FrameTest, CommandLineHoldsTheProgramArguments) {
    ProbeRun run = Start("--headless cmdline two words");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(ClosingLines(), "-End On Line\r\n0\r\n0\r\n11\r\n0\r\n");
}

TEST_F(FrameTest, BadOptionsAreRefusedClearly) {
    ProbeRun unknown = Start("--headles");
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_NE(unknown.output.find("unknown option --headles"), std::string::npos);
    ProbeRun missing = Start("--headless --frames");
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_NE(missing.output.find("--frames needs"), std::string::npos);
    ProbeRun negative = Start("--headless --seed -4");
    EXPECT_EQ(negative.exitCode, 2);
    EXPECT_FALSE(Exists("ErrorLog.txt"));
}

TEST_F(FrameTest, HelpListsTheRuntimeOptions) {
    ProbeRun run = Start("--help");
    EXPECT_EQ(run.exitCode, 0);
    for (const char* option : {"--headless", "--unpaced", "--frames", "--seed", "--keys", "--trace",
                               "--screenshot", "--windowed", "--version"})
        EXPECT_NE(run.output.find(option), std::string::npos) << option;
}

TEST_F(FrameTest, VersionNamesTheProgramAndTheProjectVersionAndStartsNothing) {
    // Even without a display: the version is printed before any window is opened.
    ProbeRun run = Start("--version --headless --frames 5", "-u SDL_VIDEODRIVER DISPLAY=:987");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.output, std::string("frame probe ") + PROJECT_VERSION + "\n");
    EXPECT_FALSE(Exists("ErrorLog.txt"));
}

// How often `text` occurs in `output`.
int Occurrences(const std::string& output, const std::string& text) {
    int count = 0;
    for (std::size_t at = output.find(text); at != std::string::npos; at = output.find(text, at + 1))
        ++count;
    return count;
}

TEST_F(FrameTest, WithoutADisplayItSaysSoOnceAndNamesTheHeadlessOption) {
    const char* noDisplay = "-u SDL_VIDEODRIVER -u WAYLAND_DISPLAY -u XDG_RUNTIME_DIR DISPLAY=:987";
    ProbeRun run = Start("plain", noDisplay);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(Occurrences(run.output, "No display could be opened"), 1) << run.output;
    EXPECT_NE(run.output.find("--headless"), std::string::npos);
    // The display libraries' own complaints stay off the terminal, unless asked for.
    EXPECT_EQ(run.output.find("XDG_RUNTIME_DIR"), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find("error:"), std::string::npos) << run.output;
    ProbeRun asked = Start("plain", std::string(noDisplay) + " KIP_LIBRARY_MESSAGES=1");
    EXPECT_EQ(Occurrences(asked.output, "No display could be opened"), 1) << asked.output;
}

TEST_F(FrameTest, WithoutASoundDeviceItSaysSoOnceAndPlaysSilently) {
    // A sound card that no machine has: the sound library fails and, left alone, prints
    // its "ALSA lib ..." lines.
    const char* noSound = "SDL_AUDIODRIVER=alsa AUDIODEV=hw:99";
    ProbeRun run = Start("--headless plain", noSound);
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(Occurrences(run.output, "No sound device could be opened ("), 1) << run.output;
    EXPECT_NE(run.output.find("): the game plays silently.\n"), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find("ALSA lib"), std::string::npos) << run.output;
    EXPECT_EQ(ClosingLines(), "-End On Line\r\n0\r\n0\r\n5\r\n0\r\n");
    // A headless run without a chosen driver has no device and nothing to say about it.
    ProbeRun quiet = Start("--headless plain");
    EXPECT_EQ(quiet.output.find("sound device"), std::string::npos) << quiet.output;
}

TEST_F(FrameTest, ExampleRunsItsFramesAndEndsAtTheRequestedCount) {
    // The example shows 120 frames; --frames ends it early through the normal shutdown,
    // at its SHOWSCREEN line, and a relative screenshot path stays where it was started.
    ProbeRun run = Start("--headless --unpaced --frames 3 --screenshot 2:shot.bmp", "", HELLO_PATH);
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(ClosingLines(), "-End On Line\r\n0\r\n12\r\n12\r\n0\r\n");
    std::string shot = ReadFile("shot.bmp");
    ASSERT_EQ(shot.size(), 921654u);
    EXPECT_EQ(shot.substr(0, 2), "BM");
}

namespace {
// Whether pixel (x, y) of a 640 x 480 24-bit screenshot is yellow.
bool YellowAt(const std::string& shot, int x, int y) {
    std::size_t at = 54 + (std::size_t(479 - y) * 640 + x) * 3;
    return at + 2 < shot.size() && uint8_t(shot[at]) == 0 && uint8_t(shot[at + 1]) == 255 &&
           uint8_t(shot[at + 2]) == 255;
}

// Row 120 of a screenshot is yellow from x = left up to but not including x = right.
void ExpectYellowFrom(const std::string& shot, int left, int right) {
    if (left > 0) {
        EXPECT_FALSE(YellowAt(shot, left - 1, 120)) << left - 1;
    }
    EXPECT_TRUE(YellowAt(shot, left, 120)) << left;
    EXPECT_TRUE(YellowAt(shot, right - 1, 120)) << right - 1;
    EXPECT_FALSE(YellowAt(shot, right, 120)) << right;
}
}  // namespace

// Screenshot N holds what the trace lists for frame N: the example fills a yellow
// rectangle from x = 4N to 4N + 40 in frame N (its trace says so too).
TEST_F(FrameTest, ScreenshotNIsThePictureOfTheTracesFrameN) {
    ProbeRun run = Start("--headless --unpaced --frames 3 --trace trace.txt --screenshot 0:s0.bmp "
                         "--screenshot 2:s2.bmp",
                         "", HELLO_PATH);
    EXPECT_EQ(run.exitCode, 0) << run.output;
    std::string trace = ReadFile("trace.txt");
    EXPECT_NE(trace.find("0 FILLRECT 0 100 40 140 65535"), std::string::npos) << trace;
    EXPECT_NE(trace.find("2 FILLRECT 8 100 48 140 65535"), std::string::npos) << trace;
    std::string first = ReadFile("s0.bmp"), third = ReadFile("s2.bmp");
    ASSERT_EQ(first.size(), 921654u);
    ASSERT_EQ(third.size(), 921654u);
    ExpectYellowFrom(first, 0, 40);
    ExpectYellowFrom(third, 8, 48);
}

// A frame the program never showed has no picture: said on standard error; the exit
// code stays 0, since a program (or its player) may end before that frame.
TEST_F(FrameTest, ScreenshotOfAFrameNeverShownIsSaid) {
    ProbeRun run = Start("--headless --unpaced --frames 3 --screenshot 3:late.bmp", "", HELLO_PATH);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.output.find("late.bmp"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("frame 3 was never shown"), std::string::npos) << run.output;
    EXPECT_FALSE(Exists("late.bmp"));
    ProbeRun none = Start("--headless --unpaced --frames 0 --screenshot 0:none.bmp", "", HELLO_PATH);
    EXPECT_EQ(none.exitCode, 0);
    EXPECT_NE(none.output.find("frame 0 was never shown (none was)"), std::string::npos) << none.output;
}

TEST_F(FrameTest, FramesZeroEndsBeforeTheFirstFrameAndOneShowsExactlyOne) {
    auto screens = [&](const std::string& trace) {
        std::string text = ReadFile(trace);
        int count = 0;
        for (std::size_t at = text.find(" SHOWSCREEN"); at != std::string::npos;
             at = text.find(" SHOWSCREEN", at + 1))
            ++count;
        return count;
    };
    // The probe would show frames for ever (its mode comes first: the probe takes the
    // first word that is no option); with no frame asked for it never reaches its
    // first line (5) and ends through the normal shutdown.
    ProbeRun none = Start("forever --headless --unpaced --frames 0 --trace none.txt");
    EXPECT_EQ(none.exitCode, 0) << none.output;
    EXPECT_EQ(ClosingLines(), "-End On Line\r\n0\r\n0\r\n0\r\n0\r\n");
    EXPECT_TRUE(Exists("none.txt"));
    EXPECT_EQ(screens("none.txt"), 0);
    ProbeRun one = Start("forever --headless --unpaced --frames 1 --trace one.txt");
    EXPECT_EQ(one.exitCode, 0) << one.output;
    EXPECT_EQ(ClosingLines(), "-End On Line\r\n0\r\n20\r\n20\r\n0\r\n");
    EXPECT_EQ(screens("one.txt"), 1);
}

TEST_F(FrameTest, ATraceOnStandardOutputHoldsTraceLinesOnly) {
    // Standard output and standard error apart: every line of the trace is
    // "<frame> <COMMAND>..."; the runtime's own diagnostics go to standard error.
    std::string command = "cd '" + m_dir + "' && TMPDIR='" + m_dir + "' '" PROBE_PATH +
                          "' forever --headless --unpaced --frames 2 --trace - > out.txt 2> err.txt";
    int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << ReadFile("err.txt");
    std::istringstream trace(ReadFile("out.txt"));
    int lines = 0;
    for (std::string line; std::getline(trace, line); ++lines) {
        std::size_t space = line.find(' ');
        bool frame = space != std::string::npos && space > 0 &&
                     line.find_first_not_of("0123456789") == space;
        EXPECT_TRUE(frame && space + 1 < line.size() && std::isupper(line[space + 1])) << line;
    }
    EXPECT_GE(lines, 2);
    EXPECT_NE(ReadFile("out.txt").find("1 SHOWSCREEN"), std::string::npos);
    EXPECT_NE(ReadFile("err.txt").find("Setting box:"), std::string::npos) << ReadFile("err.txt");
    // Without a trace on it, standard output still carries them.
    ProbeRun untraced = Start("forever --headless --unpaced --frames 1 2> /dev/null");
    EXPECT_NE(untraced.output.find("Setting box:"), std::string::npos) << untraced.output;
}

TEST_F(FrameTest, AQuitRequestEndsTheProgramThroughTheShutdown) {
    // A request to close (the window's close button, or SIGTERM, which the platform
    // layer turns into the same request) ends the program as a normal end does.
    // The probe shows frames until it is stopped; the request is sent once start-up has
    // written its first log line.
    std::string command = "cd '" + m_dir + "' || exit 1; TMPDIR='" + m_dir + "' '" PROBE_PATH +
                          "' --headless forever & pid=$!; for i in $(seq 100); do "
                          "[ -s ErrorLog.txt ] && break; sleep 0.1; done; kill -TERM $pid; "
                          "wait $pid";
    int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    // Error 0 at error line 0; the last line is the loop's, or 0 when the request came
    // while start-up was still showing its first frame.
    std::string lines = ClosingLines();
    EXPECT_TRUE(lines == "-End On Line\r\n0\r\n0\r\n20\r\n0\r\n" ||
                lines == "-End On Line\r\n0\r\n0\r\n0\r\n0\r\n")
        << lines;
}

}  // namespace
