// The kip executable on a real X server (Xvfb, bare, and with the openbox window
// manager where it is installed), checked from the outside as a player sees it: the
// window tree from xwininfo, the screen from xwd, keys from xdotool. Skipped only
// where Xvfb (or, for the manager's tests, openbox) cannot start.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/game/run_leftovers.h"
#include "tests/support/TestFolder.h"

namespace {
using Clock = std::chrono::steady_clock;
// Generous: a loaded machine draws with the software renderer in a debug build.
constexpr auto kStartDeadline = std::chrono::seconds(120);
constexpr auto kEndDeadline = std::chrono::seconds(60);
constexpr auto kPollInterval = std::chrono::milliseconds(100);
constexpr int kScreenWidth = 1280;
constexpr int kScreenHeight = 1024;
constexpr int kFrameWidth = 640;
constexpr int kFrameHeight = 480;
const char* const kBoxTitle = "!!OpenGL Software Emulation!!";

// Ends a child process: politely first, then for certain.
void EndProcess(pid_t& pid) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    for (auto end = Clock::now() + std::chrono::seconds(10); Clock::now() < end;) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) {
            pid = -1;
            return;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    pid = -1;
}

// An Xvfb server on a display number it picks itself, ended with the object.
class XServer {
  public:
    explicit XServer(const std::string& logPath, int width = kScreenWidth,
                     int height = kScreenHeight) {
        int ready[2];
        if (pipe(ready) != 0) return;
        m_pid = fork();
        if (m_pid == 0) {
            prctl(PR_SET_PDEATHSIG, SIGTERM);  // no server left behind by a crashed test
            close(ready[0]);
            std::string fd = std::to_string(ready[1]);
            std::string size = std::to_string(width) + "x" + std::to_string(height) + "x24";
            if (!freopen(logPath.c_str(), "w", stderr)) _exit(126);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", size.c_str(),
                   "-nolisten", "tcp", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(ready[1]);
        if (m_pid > 0) m_display = ReadDisplayNumber(ready[0]);
        close(ready[0]);
    }
    ~XServer() { EndProcess(m_pid); }
    bool Running() const { return !m_display.empty(); }
    const std::string& Display() const { return m_display; }

  private:
    // Xvfb writes its display number once it accepts clients.
    static std::string ReadDisplayNumber(int fd) {
        std::string text;
        auto end = Clock::now() + kStartDeadline;
        while (Clock::now() < end && text.find('\n') == std::string::npos) {
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 100) <= 0) continue;
            char buffer[32];
            ssize_t n = read(fd, buffer, sizeof buffer);
            if (n <= 0) return "";  // the server ended before it was ready
            text.append(buffer, std::size_t(n));
        }
        if (text.find('\n') == std::string::npos) return "";
        return ":" + text.substr(0, text.find('\n'));
    }

    pid_t m_pid = -1;
    std::string m_display;
};

// kip on the test's server, in a folder of its own; ended with the object.
class KipProcess {
  public:
    KipProcess(const std::string& display, const std::string& folder,
               const std::vector<std::string>& options) {
        // Leave the start screen, the intro and the stage screen: play from frame 4.
        std::ofstream(folder + "/keys.txt") << "0 tap 57\n2 tap 57\n4 tap 57\n";
        std::vector<std::string> args = {KIP_PATH, "--seed", "7", "--keys", folder + "/keys.txt",
                                         "--screenshot", "59:" + folder + "/frame.bmp"};
        args.insert(args.end(), options.begin(), options.end());
        m_pid = fork();
        if (m_pid != 0) return;
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        // The quit signals as a terminal gives them, whatever the test runner ignores.
        for (int number : {SIGHUP, SIGINT, SIGTERM}) signal(number, SIG_DFL);
        setenv("DISPLAY", display.c_str(), 1);
        setenv("TMPDIR", folder.c_str(), 1);
        // The warning box is shown whatever this machine's player ticked off.
        setenv("XDG_CONFIG_HOME", (folder + "/config").c_str(), 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        unsetenv("SDL_VIDEODRIVER");  // the tests' default is the offscreen driver
        if (!freopen((folder + "/out.txt").c_str(), "w", stdout) ||
            !freopen((folder + "/out.txt").c_str(), "a", stderr))
            _exit(126);
        std::vector<char*> argv;
        for (std::string& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    ~KipProcess() { EndProcess(m_pid); }

    // Sends the signal; true when the game then ends by itself in time, its wait status
    // in `status`.
    bool SignalAndWait(int number, int& status) {
        kill(m_pid, number);
        return WaitForEnd(status);
    }
    // True when the game ends by itself in time, its wait status in `status`.
    bool WaitForEnd(int& status) {
        for (auto end = Clock::now() + kEndDeadline; Clock::now() < end;) {
            if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                return true;
            }
            std::this_thread::sleep_for(kPollInterval);
        }
        return false;
    }

  private:
    pid_t m_pid = -1;
};

struct TopWindow {
    std::string name;
    int width = 0, height = 0, x = 0, y = 0;
};

// The root's children from "xwininfo -root -tree", topmost first.
std::vector<TopWindow> TopWindows(const std::string& display) {
    CommandResult result = RunCommand("DISPLAY=" + display + " xwininfo -root -tree");
    std::vector<TopWindow> windows;
    std::istringstream lines(result.output);
    std::string line;
    while (std::getline(lines, line)) {
        // Children of the root are indented by five spaces, theirs by more.
        if (line.rfind("     0x", 0) != 0) continue;
        std::size_t open = line.find('"'), close = line.find('"', open + 1);
        std::size_t geometry = line.find("  ", line.find(')') == std::string::npos ? close : line.find(')'));
        if (open == std::string::npos || close == std::string::npos || geometry == std::string::npos)
            continue;
        TopWindow window;
        window.name = line.substr(open + 1, close - open - 1);
        if (std::sscanf(line.c_str() + geometry, " %dx%d+%d+%d", &window.width, &window.height,
                        &window.x, &window.y) == 4)
            windows.push_back(window);
    }
    return windows;
}

const TopWindow* Find(const std::vector<TopWindow>& windows, const std::string& name) {
    for (const TopWindow& window : windows)
        if (window.name == name) return &window;
    return nullptr;
}

std::string Describe(const std::vector<TopWindow>& windows) {
    std::string text;
    for (const TopWindow& w : windows)
        text += "\"" + w.name + "\" " + std::to_string(w.width) + "x" + std::to_string(w.height) +
                "+" + std::to_string(w.x) + "+" + std::to_string(w.y) + "; ";
    return text;
}

// Polls the window tree until the condition holds or the deadline passes.
template <typename Condition>
std::vector<TopWindow> WaitForWindows(const std::string& display, Condition condition) {
    std::vector<TopWindow> windows;
    for (auto end = Clock::now() + kStartDeadline; Clock::now() < end;) {
        windows = TopWindows(display);
        if (condition(windows)) break;
        std::this_thread::sleep_for(kPollInterval);
    }
    return windows;
}

struct Rgb {
    int r = 0, g = 0, b = 0;
};

struct Picture {
    int width = 0, height = 0;
    std::vector<Rgb> pixels;  // top row first
    const Rgb& At(int x, int y) const { return pixels[std::size_t(y) * width + x]; }
};

uint32_t BigEndian(const std::string& data, std::size_t at) {
    auto byte = [&](std::size_t i) { return uint32_t(uint8_t(data[at + i])); };
    return byte(0) << 24 | byte(1) << 16 | byte(2) << 8 | byte(3);
}

int ChannelFromMask(uint32_t pixel, uint32_t mask) {
    if (mask == 0) return 0;
    int shift = 0;
    while (!(mask & (1u << shift))) ++shift;
    uint32_t top = mask >> shift;
    return int(((pixel & mask) >> shift) * 255 / top);
}

// An xwd dump in ZPixmap format with 24- or 32-bit pixels, as xwd writes a 24-bit root.
bool ParseXwd(const std::string& data, Picture& picture) {
    if (data.size() < 100) return false;
    uint32_t headerSize = BigEndian(data, 0), format = BigEndian(data, 8);
    uint32_t width = BigEndian(data, 16), height = BigEndian(data, 20);
    uint32_t byteOrder = BigEndian(data, 28), bitsPerPixel = BigEndian(data, 44);
    uint32_t bytesPerLine = BigEndian(data, 48), colours = BigEndian(data, 76);
    uint32_t masks[3] = {BigEndian(data, 56), BigEndian(data, 60), BigEndian(data, 64)};
    if (format != 2 || width == 0 || width > 16384 || height > 16384) return false;
    // Where windows of other visuals are on the screen xwd packs 24-bit pixels.
    uint32_t bytesPerPixel = bitsPerPixel / 8;
    if ((bitsPerPixel != 24 && bitsPerPixel != 32) || bytesPerLine < width * bytesPerPixel)
        return false;
    std::size_t start = std::size_t(headerSize) + std::size_t(colours) * 12;
    if (start > data.size() || (data.size() - start) / bytesPerLine < height) return false;
    picture.width = int(width);
    picture.height = int(height);
    picture.pixels.resize(std::size_t(width) * height);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            std::size_t at = start + std::size_t(y) * bytesPerLine + std::size_t(x) * bytesPerPixel;
            uint32_t pixel = 0;
            for (uint32_t i = 0; i < bytesPerPixel; ++i) {
                uint32_t byte = uint8_t(data[at + i]);
                pixel |= byteOrder == 0 ? byte << (8 * i) : byte << (8 * (bytesPerPixel - 1 - i));
            }
            picture.pixels[std::size_t(y) * width + x] = Rgb{ChannelFromMask(pixel, masks[0]),
                                                             ChannelFromMask(pixel, masks[1]),
                                                             ChannelFromMask(pixel, masks[2])};
        }
    return true;
}

uint32_t LittleEndian(const std::string& data, std::size_t at, int bytes) {
    uint32_t value = 0;
    for (int i = 0; i < bytes; ++i) value |= uint32_t(uint8_t(data[at + i])) << (8 * i);
    return value;
}

// The runtime's screenshot: a bottom-up 24-bit bitmap.
bool ParseBmp(const std::string& data, Picture& picture) {
    if (data.size() < 54 || data[0] != 'B' || data[1] != 'M') return false;
    uint32_t offset = LittleEndian(data, 10, 4);
    int width = int(LittleEndian(data, 18, 4)), height = int(LittleEndian(data, 22, 4));
    if (LittleEndian(data, 28, 2) != 24 || width <= 0 || height <= 0 || width > 16384 ||
        height > 16384)
        return false;
    std::size_t stride = (std::size_t(width) * 3 + 3) & ~std::size_t(3);
    if (offset > data.size() || (data.size() - offset) / stride < std::size_t(height)) return false;
    picture.width = width;
    picture.height = height;
    picture.pixels.resize(std::size_t(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::size_t at = offset + std::size_t(height - 1 - y) * stride + std::size_t(x) * 3;
            picture.pixels[std::size_t(y) * width + x] =
                Rgb{uint8_t(data[at + 2]), uint8_t(data[at + 1]), uint8_t(data[at])};
        }
    return true;
}

Picture Screenshot(const std::string& display, const std::string& folder) {
    std::string path = folder + "/screen.xwd";
    CommandResult taken = RunCommand("DISPLAY=" + display + " xwd -root -silent >" + path);
    Picture picture;
    std::string data = ReadFileText(path);
    EXPECT_TRUE(ParseXwd(data, picture))
        << "xwd gave no readable picture (" << data.size() << " bytes): " << taken.output;
    return picture;
}

// The screenshot once it is written whole: a file seen while kip still writes it
// is read again.
Picture ReadFrame(const std::string& path) {
    Picture picture;
    for (auto end = Clock::now() + kStartDeadline; Clock::now() < end;) {
        if (ParseBmp(ReadFileText(path), picture) && picture.width == kFrameWidth &&
            picture.height == kFrameHeight)
            return picture;
        std::this_thread::sleep_for(kPollInterval);
    }
    ADD_FAILURE() << "kip wrote no whole " << kFrameWidth << " x " << kFrameHeight
                  << " screenshot " << path;
    return picture;
}

// The frame scaled by `scale`: at a whole-number scale every frame pixel becomes a
// square of screen pixels; otherwise linear filtering as GL samples it: the screen
// pixel's centre maps back to (x + 0.5) / scale - 0.5 in the frame, edges clamped.
Rgb Scaled(const Picture& frame, int x, int y, double scale) {
    if (scale == std::floor(scale)) return frame.At(int(x / scale), int(y / scale));
    auto clampX = [&](int v) { return std::max(0, std::min(frame.width - 1, v)); };
    auto clampY = [&](int v) { return std::max(0, std::min(frame.height - 1, v)); };
    double u = (x + 0.5) / scale - 0.5, v = (y + 0.5) / scale - 0.5;
    int u0 = int(std::floor(u)), v0 = int(std::floor(v));
    double fu = u - u0, fv = v - v0;
    auto mix = [&](int Rgb::*channel) {
        double top = (frame.At(clampX(u0), clampY(v0)).*channel) * (1 - fu) +
                     (frame.At(clampX(u0 + 1), clampY(v0)).*channel) * fu;
        double bottom = (frame.At(clampX(u0), clampY(v0 + 1)).*channel) * (1 - fu) +
                        (frame.At(clampX(u0 + 1), clampY(v0 + 1)).*channel) * fu;
        return int(std::lround(top * (1 - fv) + bottom * fv));
    };
    return Rgb{mix(&Rgb::r), mix(&Rgb::g), mix(&Rgb::b)};
}

bool Near(const Rgb& a, const Rgb& b) {
    constexpr int kTolerance = 8;  // the renderer's filter rounds a little differently
    return std::abs(a.r - b.r) <= kTolerance && std::abs(a.g - b.g) <= kTolerance &&
           std::abs(a.b - b.b) <= kTolerance;
}

bool Black(const Rgb& c) { return c.r == 0 && c.g == 0 && c.b == 0; }

// Share of the frame rows [firstRow, endRow) that appear on the screen at (left, top)
// scaled by `scale`; stars that twinkle between the two pictures cost a little.
double MatchingShare(const Picture& screen, const Picture& frame, int left, int top, double scale,
                     int firstRow, int endRow) {
    long matching = 0, total = 0;
    int y0 = int(firstRow * scale), y1 = int(endRow * scale), width = int(frame.width * scale);
    for (int y = y0; y < y1; ++y)
        for (int x = 0; x < width; ++x, ++total)
            if (Near(screen.At(left + x, top + y), Scaled(frame, x, y, scale))) ++matching;
    return total ? double(matching) / total : 0;
}

double NonBlackShare(const Picture& frame, int firstRow, int endRow) {
    long lit = 0;
    for (int y = firstRow; y < endRow; ++y)
        for (int x = 0; x < frame.width; ++x) lit += !Black(frame.At(x, y));
    return double(lit) / (double(endRow - firstRow) * frame.width);
}

// The status strip is the frame's bottom 32 rows.
constexpr int kStripTop = kFrameHeight - 32;
constexpr double kRequiredShare = 0.99;

class XServerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(m_folder.Made());
        m_server = std::make_unique<XServer>(m_folder / "xvfb.log");
        if (!m_server->Running())
            GTEST_SKIP() << "Xvfb could not start (is the xvfb package installed?): "
                         << ReadFileText(m_folder / "xvfb.log");
    }
    const std::string& Display() const { return m_server->Display(); }
    void StartKip(const std::vector<std::string>& options) {
        m_kip = std::make_unique<KipProcess>(Display(), m_folder.Path(), options);
    }
    std::string KipOutput() const { return ReadFileText(m_folder / "out.txt"); }

    TestFolder m_folder{"kip_xserver_test"};
    std::unique_ptr<XServer> m_server;
    std::unique_ptr<KipProcess> m_kip;  // ended before the server
};

auto CoversScreen = [](const std::vector<TopWindow>& windows) {
    const TopWindow* kip = Find(windows, "kip");
    return kip && kip->x == 0 && kip->y == 0 && kip->width == kScreenWidth &&
           kip->height == kScreenHeight && !Find(windows, kBoxTitle);
};

TEST_F(XServerTest, FullScreenCoversTheScreenAndShowsTheWholePictureLetterboxed) {
    StartKip({"--no-warning"});
    std::vector<TopWindow> windows = WaitForWindows(Display(), CoversScreen);
    ASSERT_TRUE(CoversScreen(windows)) << Describe(windows) << KipOutput();
    EXPECT_EQ(windows.front().name, "kip") << "the game window is not on top";

    Picture frame = ReadFrame(m_folder / "frame.bmp");
    ASSERT_GT(NonBlackShare(frame, kStripTop, kFrameHeight), 0.5) << "no status strip drawn";
    // 1280 x 1024 holds the 640 x 480 picture twice over as 1280 x 960, 32 rows of
    // black above and below.
    Picture screen = Screenshot(Display(), m_folder.Path());
    ASSERT_EQ(screen.width, kScreenWidth);
    ASSERT_EQ(screen.height, kScreenHeight);
    int blackBand = 0;
    for (int y : {0, 31, 992, 1023})
        for (int x = 0; x < kScreenWidth; ++x) blackBand += Black(screen.At(x, y));
    EXPECT_EQ(blackBand, 4 * kScreenWidth) << "the bands above and below the picture are not black";
    EXPECT_GE(MatchingShare(screen, frame, 0, 32, 2.0, 0, kFrameHeight), kRequiredShare);
    EXPECT_GE(MatchingShare(screen, frame, 0, 32, 2.0, kStripTop, kFrameHeight), kRequiredShare)
        << "the status strip is not at the bottom of the picture";
}

TEST_F(XServerTest, WindowedShowsThePictureUnscaledInAWindowOfItsSize) {
    StartKip({"--no-warning", "--windowed"});
    auto shown = [](const std::vector<TopWindow>& windows) {
        const TopWindow* kip = Find(windows, "kip");
        return kip && kip->width == kFrameWidth && kip->height == kFrameHeight;
    };
    std::vector<TopWindow> windows = WaitForWindows(Display(), shown);
    ASSERT_TRUE(shown(windows)) << Describe(windows) << KipOutput();
    const TopWindow kip = *Find(windows, "kip");
    ASSERT_LE(kip.x + kFrameWidth, kScreenWidth);
    ASSERT_LE(kip.y + kFrameHeight, kScreenHeight);

    Picture frame = ReadFrame(m_folder / "frame.bmp");
    ASSERT_GT(NonBlackShare(frame, kStripTop, kFrameHeight), 0.5) << "no status strip drawn";
    Picture screen = Screenshot(Display(), m_folder.Path());
    ASSERT_EQ(screen.width, kScreenWidth);
    ASSERT_EQ(screen.height, kScreenHeight);
    EXPECT_GE(MatchingShare(screen, frame, kip.x, kip.y, 1.0, 0, kFrameHeight), kRequiredShare);
    EXPECT_GE(MatchingShare(screen, frame, kip.x, kip.y, 1.0, kStripTop, kFrameHeight),
              kRequiredShare);
}

// The box shows over the game window, centred on it, and the given key (or a click
// on OK) closes it; the game then goes on to full screen.
void AnswerWarningBox(const std::string& display, const std::string& answer) {
    auto boxShown = [](const std::vector<TopWindow>& windows) {
        return Find(windows, kBoxTitle) && Find(windows, "kip");
    };
    std::vector<TopWindow> windows = WaitForWindows(display, boxShown);
    ASSERT_TRUE(boxShown(windows)) << Describe(windows);
    EXPECT_EQ(windows.front().name, kBoxTitle) << "the box is not on top";
    const TopWindow box = *Find(windows, kBoxTitle), kip = *Find(windows, "kip");
    EXPECT_LE(std::abs((box.x + box.width / 2) - (kip.x + kip.width / 2)), 1) << Describe(windows);
    EXPECT_LE(std::abs((box.y + box.height / 2) - (kip.y + kip.height / 2)), 1)
        << Describe(windows);

    std::string command = "DISPLAY=" + display + " xdotool ";
    if (answer == "click") {
        // OK sits centred at the bottom of the box.
        int x = box.x + box.width / 2, y = box.y + box.height - 20;
        command += "mousemove " + std::to_string(x) + " " + std::to_string(y) + " click 1";
    } else {
        command += "key " + answer;
    }
    CommandResult sent = RunCommand(command);
    ASSERT_EQ(sent.exitCode, 0) << sent.output;
    windows = WaitForWindows(display, CoversScreen);
    EXPECT_TRUE(CoversScreen(windows)) << "after " << answer << ": " << Describe(windows);
}

class WarningBoxTest : public XServerTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(WarningBoxTest, ClosesOnTheAnswer) {
    StartKip({});
    AnswerWarningBox(Display(), GetParam());
}

// Return, Space and Escape by their X key names, and a mouse click on OK.
INSTANTIATE_TEST_SUITE_P(Answers, WarningBoxTest,
                         ::testing::Values("Return", "KP_Enter", "space", "Escape", "click"));

TEST_F(XServerTest, OtherKeysLeaveTheWarningBoxOpen) {
    StartKip({});
    auto boxShown = [](const std::vector<TopWindow>& windows) { return Find(windows, kBoxTitle) != nullptr; };
    ASSERT_TRUE(boxShown(WaitForWindows(Display(), boxShown)));
    CommandResult sent = RunCommand("DISPLAY=" + Display() + " xdotool key a Tab Left");
    ASSERT_EQ(sent.exitCode, 0) << sent.output;
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_TRUE(boxShown(TopWindows(Display())));
    RunCommand("DISPLAY=" + Display() + " xdotool key Return");
    EXPECT_TRUE(CoversScreen(WaitForWindows(Display(), CoversScreen)));
}

// The terminal closed, Ctrl+C or a kill while the warning box waits for its answer: the
// box closes and the game ends through its shutdown, its log complete and no unpacking
// folder left behind.
class QuitWhileTheBoxIsShown : public XServerTest, public ::testing::WithParamInterface<int> {};

TEST_P(QuitWhileTheBoxIsShown, EndsThroughTheShutdown) {
    StartKip({});
    auto boxShown = [](const std::vector<TopWindow>& windows) {
        return Find(windows, kBoxTitle) != nullptr;
    };
    ASSERT_TRUE(boxShown(WaitForWindows(Display(), boxShown)));
    int status = 0;
    ASSERT_TRUE(m_kip->SignalAndWait(GetParam(), status))
        << "the game did not end while its box was shown";
    EXPECT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0) << KipOutput();
    const std::string log = ReadFileText(m_folder / "ErrorLog.txt");
    EXPECT_TRUE(EndsNormally(log)) << log;
    EXPECT_TRUE(UnpackingFolders(m_folder.Path()).empty());
}

INSTANTIATE_TEST_SUITE_P(HangupInterruptTerminate, QuitWhileTheBoxIsShown,
                         ::testing::Values(SIGHUP, SIGINT, SIGTERM));
}  // namespace

namespace {
// The game window's X id, from xdotool; "" when there is none.
std::string KipWindowId(const std::string& display) {
    CommandResult found = RunCommand("DISPLAY=" + display + " xdotool search --name '^kip$'");
    std::istringstream ids(found.output);
    std::string id;
    ids >> id;
    return found.exitCode == 0 ? id : "";
}

void Xdotool(const std::string& display, const std::string& arguments) {
    CommandResult sent = RunCommand("DISPLAY=" + display + " xdotool " + arguments);
    ASSERT_EQ(sent.exitCode, 0) << arguments << ": " << sent.output;
}

auto WindowOfSize(int width, int height) {
    return [width, height](const std::vector<TopWindow>& windows) {
        const TopWindow* kip = Find(windows, "kip");
        return kip && kip->width == width && kip->height == height;
    };
}

// Takes screenshots until the check holds for one or the deadline passes: the
// window shows the new size from the next frame on.
template <typename Check>
bool ScreenSoon(const std::string& display, const std::string& folder, Check check) {
    for (auto end = Clock::now() + kStartDeadline; Clock::now() < end;) {
        Picture screen = Screenshot(display, folder);
        if (screen.width > 0 && check(screen)) return true;
        std::this_thread::sleep_for(kPollInterval);
    }
    return false;
}

long LitPixels(const Picture& screen, int left, int top, int width, int height) {
    long lit = 0;
    for (int y = top; y < top + height; ++y)
        for (int x = left; x < left + width; ++x) lit += !Black(screen.At(x, y));
    return lit;
}

bool AllBlack(const Picture& screen, int left, int top, int width, int height) {
    return LitPixels(screen, left, top, width, height) == 0;
}

class ResizedWindowTest : public XServerTest {
  protected:
    // Starts kip in a window with the options, then resizes the window by xdotool;
    // the window as it is then.
    TopWindow StartResized(std::vector<std::string> options, int width, int height) {
        options.insert(options.begin(), {"--no-warning", "--windowed"});
        StartKip(options);
        auto frameSized = WindowOfSize(kFrameWidth, kFrameHeight);
        EXPECT_TRUE(frameSized(WaitForWindows(Display(), frameSized))) << KipOutput();
        std::string id = KipWindowId(Display());
        EXPECT_FALSE(id.empty());
        if (id.empty()) return TopWindow();
        Xdotool(Display(), "windowsize " + id + " " + std::to_string(width) + " " +
                               std::to_string(height));
        std::vector<TopWindow> windows = WaitForWindows(Display(), WindowOfSize(width, height));
        EXPECT_TRUE(WindowOfSize(width, height)(windows)) << Describe(windows);
        const TopWindow* kip = Find(windows, "kip");
        return kip ? *kip : TopWindow();
    }
};
}  // namespace

TEST_F(XServerTest, F11SwitchesBetweenWindowAndFullScreenAtAnyTime) {
    StartKip({"--no-warning", "--windowed"});
    std::vector<TopWindow> windows = WaitForWindows(Display(), WindowOfSize(kFrameWidth, kFrameHeight));
    ASSERT_TRUE(WindowOfSize(kFrameWidth, kFrameHeight)(windows)) << Describe(windows) << KipOutput();
    const TopWindow kip = *Find(windows, "kip");
    // The key is pressed once the game draws: a slow start (the sanitizer build on a
    // busy machine) maps the window well before the game takes in its first keys.
    auto drawing = [&kip](const Picture& screen) {
        return LitPixels(screen, kip.x, kip.y, kFrameWidth, kFrameHeight) > 0;
    };
    ASSERT_TRUE(ScreenSoon(Display(), m_folder.Path(), drawing)) << KipOutput();
    // Without a window manager the keys go to the window under the pointer.
    Xdotool(Display(), "mousemove " + std::to_string(kip.x + 100) + " " + std::to_string(kip.y + 100));
    Xdotool(Display(), "key F11");
    windows = WaitForWindows(Display(), CoversScreen);
    ASSERT_TRUE(CoversScreen(windows)) << "after F11: " << Describe(windows);
    Xdotool(Display(), "key F11");
    windows = WaitForWindows(Display(), WindowOfSize(kFrameWidth, kFrameHeight));
    EXPECT_TRUE(WindowOfSize(kFrameWidth, kFrameHeight)(windows))
        << "after the second F11: " << Describe(windows);
}

TEST_F(ResizedWindowTest, IntegerScalingFillsItWithWholePixels) {
    // A screen larger than the doubled picture.
    m_server = std::make_unique<XServer>(m_folder / "xvfb.log", 1600, 1200);
    ASSERT_TRUE(m_server->Running());
    // 1300 x 1000 holds the picture twice over (1280 x 960): 10 columns of black on
    // either side, 20 rows above and below.
    const TopWindow kip = StartResized({"--scale", "integer"}, 1300, 1000);
    ASSERT_EQ(kip.width, 1300);
    int left = kip.x + 10, top = kip.y + 20;
    auto doubledWithBars = [&](const Picture& screen) {
        if (kip.x + 1300 > screen.width || kip.y + 1000 > screen.height) return false;
        if (!AllBlack(screen, kip.x, kip.y, 1300, 20) || !AllBlack(screen, kip.x, kip.y + 980, 1300, 20) ||
            !AllBlack(screen, kip.x, kip.y, 10, 1000) || !AllBlack(screen, kip.x + 1290, kip.y, 10, 1000))
            return false;
        // Each frame pixel is a 2 x 2 block of one colour: no filtering between them.
        for (int y = 0; y < 960; y += 2)
            for (int x = 0; x < 1280; x += 2) {
                const Rgb& c = screen.At(left + x, top + y);
                for (auto [dx, dy] : {std::pair{1, 0}, std::pair{0, 1}, std::pair{1, 1}}) {
                    const Rgb& d = screen.At(left + x + dx, top + y + dy);
                    if (d.r != c.r || d.g != c.g || d.b != c.b) return false;
                }
            }
        // And the picture is there: its status strip, the bottom 64 rows, is lit.
        return LitPixels(screen, left, top + 960 - 64, 1280, 64) > 1280 * 64 / 2;
    };
    EXPECT_TRUE(ScreenSoon(Display(), m_folder.Path(), doubledWithBars))
        << "no sharp doubled picture with black bars in the resized window";
}

TEST_F(ResizedWindowTest, SmoothScalingKeepsTheAspectWithBars) {
    // 1100 x 600: the height limits, 600 / 480 = 1.25, so 800 x 600 with 150 black
    // columns on either side.
    const TopWindow kip = StartResized({}, 1100, 600);
    ASSERT_EQ(kip.width, 1100);
    auto pillarboxed = [&](const Picture& screen) {
        if (kip.x + 1100 > screen.width || kip.y + 600 > screen.height) return false;
        if (!AllBlack(screen, kip.x, kip.y, 150, 600) || !AllBlack(screen, kip.x + 950, kip.y, 150, 600))
            return false;
        // The status strip: the bottom 40 rows of the 800 x 600 picture.
        return LitPixels(screen, kip.x + 150, kip.y + 560, 800, 40) > 800 * 40 / 2;
    };
    EXPECT_TRUE(ScreenSoon(Display(), m_folder.Path(), pillarboxed))
        << "no 800 x 600 picture between black bars in the resized window";
}

TEST_F(XServerTest, TheWarningBoxTickedOffIsNotShownAgain) {
    StartKip({});
    auto boxShown = [](const std::vector<TopWindow>& windows) { return Find(windows, kBoxTitle) != nullptr; };
    std::vector<TopWindow> windows = WaitForWindows(Display(), boxShown);
    ASSERT_TRUE(boxShown(windows)) << KipOutput();
    const TopWindow box = *Find(windows, kBoxTitle);
    // The tick box's row sits just above OK (14 pixels of margin, OK 28 high).
    int x = box.x + 20, y = box.y + box.height - 14 - 28 - 14 - 6;
    Xdotool(Display(), "mousemove " + std::to_string(x) + " " + std::to_string(y) + " click 1");
    Xdotool(Display(), "key Return");
    ASSERT_TRUE(CoversScreen(WaitForWindows(Display(), CoversScreen)));
    EXPECT_TRUE(std::ifstream(m_folder / "config/kip/software-renderer-warning-off").good());

    // The next start goes straight to full screen.
    m_kip.reset();
    StartKip({});
    windows = WaitForWindows(Display(), CoversScreen);
    EXPECT_TRUE(CoversScreen(windows)) << Describe(windows);
    EXPECT_FALSE(boxShown(windows));
}

TEST_F(XServerTest, ATickTakenBackIsNotRemembered) {
    StartKip({});
    auto boxShown = [](const std::vector<TopWindow>& windows) { return Find(windows, kBoxTitle) != nullptr; };
    ASSERT_TRUE(boxShown(WaitForWindows(Display(), boxShown))) << KipOutput();
    // D ticks, D again takes the tick back.
    Xdotool(Display(), "key d d Return");
    ASSERT_TRUE(CoversScreen(WaitForWindows(Display(), CoversScreen)));
    EXPECT_FALSE(std::ifstream(m_folder / "config/kip/software-renderer-warning-off").good());
    std::error_code ignored;
    EXPECT_FALSE(std::filesystem::exists(m_folder / "config/kip", ignored));
}

namespace {
// A window manager (openbox) on the test's server, ended with the object; it does
// not run where the package is missing.
class WindowManager {
  public:
    WindowManager(const std::string& display, const std::string& folder) {
        if (RunCommand("command -v openbox").exitCode != 0) return;
        m_pid = fork();
        if (m_pid == 0) {
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            setenv("DISPLAY", display.c_str(), 1);
            setenv("XDG_CONFIG_HOME", (folder + "/wm-config").c_str(), 1);  // its defaults
            if (!freopen((folder + "/wm.txt").c_str(), "w", stdout) ||
                !freopen((folder + "/wm.txt").c_str(), "a", stderr))
                _exit(126);
            execlp("openbox", "openbox", static_cast<char*>(nullptr));
            _exit(127);
        }
        // Ready once it names its check window on the root.
        for (auto end = Clock::now() + kStartDeadline; Clock::now() < end && m_pid > 0;) {
            CommandResult check =
                RunCommand("DISPLAY=" + display + " xprop -root _NET_SUPPORTING_WM_CHECK");
            if (check.output.find("window id #") != std::string::npos) {
                m_running = true;
                return;
            }
            std::this_thread::sleep_for(kPollInterval);
        }
    }
    ~WindowManager() { EndProcess(m_pid); }
    bool Running() const { return m_running; }

  private:
    pid_t m_pid = -1;
    bool m_running = false;
};

// A client window's place and size on the screen (inside any frame a manager added).
bool ClientRect(const std::string& display, const std::string& name, TopWindow& window) {
    CommandResult info = RunCommand("DISPLAY=" + display + " xwininfo -name '" + name + "'");
    if (info.exitCode != 0) return false;
    auto field = [&](const char* label, int& value) {
        std::size_t at = info.output.find(label);
        return at != std::string::npos &&
               std::sscanf(info.output.c_str() + at + std::strlen(label), " %d", &value) == 1;
    };
    window.name = name;
    return field("Absolute upper-left X:", window.x) && field("Absolute upper-left Y:", window.y) &&
           field("Width:", window.width) && field("Height:", window.height);
}

// Polls a client window's rectangle until the condition holds or the deadline passes.
template <typename Condition>
bool WaitForClient(const std::string& display, const std::string& name, Condition condition,
                   TopWindow& window, std::chrono::seconds deadline = kStartDeadline) {
    for (auto end = Clock::now() + deadline; Clock::now() < end;) {
        if (ClientRect(display, name, window) && condition(window)) return true;
        std::this_thread::sleep_for(kPollInterval);
    }
    return false;
}

// The width of the title's text in the manager's title bar right above a client
// (an active bar, whose text is white): the white columns around the bar's middle,
// words a few pixels apart (the manager's buttons stand further off).
int TitleTextWidth(const Picture& screen, const TopWindow& client) {
    constexpr int kBarHeight = 18, kWordGap = 8;
    if (client.width <= 0 || client.x < 0 || client.x + client.width > screen.width) return 0;
    std::vector<bool> text(std::size_t(client.width), false);
    for (int x = 0; x < client.width; ++x)
        for (int y = std::max(0, client.y - kBarHeight); y < client.y; ++y) {
            const Rgb& c = screen.At(client.x + x, y);
            if (c.r >= 230 && c.g >= 230 && c.b >= 230) text[std::size_t(x)] = true;
        }
    int middle = client.width / 2, left = -1;
    for (int d = 0; d < client.width / 2 && left < 0; ++d)
        for (int x : {middle - d, middle + d})
            if (x >= 0 && x < client.width && text[std::size_t(x)]) left = x;
    if (left < 0) return 0;
    int right = left;
    for (int gap = 0, x = right + 1; x < client.width && gap <= kWordGap; ++x)
        text[std::size_t(x)] ? (right = x, gap = 0) : ++gap;
    for (int gap = 0, x = left - 1; x >= 0 && gap <= kWordGap; --x)
        text[std::size_t(x)] ? (left = x, gap = 0) : ++gap;
    return right - left + 1;
}

// The title's width once the manager has drawn it: the same in two screenshots.
int SettledTitleTextWidth(const std::string& display, const std::string& folder,
                          const TopWindow& client) {
    int last = -1;
    for (auto end = Clock::now() + kStartDeadline; Clock::now() < end;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        int width = TitleTextWidth(Screenshot(display, folder), client);
        if (width > 0 && width == last) return width;
        last = width;
    }
    return last;
}

class WindowManagerTest : public XServerTest {
  protected:
    void SetUp() override {
        XServerTest::SetUp();
        if (IsSkipped()) return;
        m_manager = std::make_unique<WindowManager>(Display(), m_folder.Path());
        if (!m_manager->Running())
            GTEST_SKIP() << "no window manager (is the openbox package installed?)";
    }
    void TearDown() override {
        m_kip.reset();  // before the manager, which goes before the server
        m_manager.reset();
    }
    std::unique_ptr<WindowManager> m_manager;
};

auto CoversTheScreen = [](const TopWindow& w) {
    return w.x == 0 && w.y == 0 && w.width == kScreenWidth && w.height == kScreenHeight;
};
}  // namespace

// Under a manager the software-renderer box shows over the game's full-screen window,
// with nothing of a window behind it, and its whole title in its title bar: as wide
// as the same title in a window wide enough for it.
TEST_F(WindowManagerTest, WarningBoxOverTheFullScreenWindowWithItsWholeTitle) {
    // The reference first, on an empty screen: the same title in a wide window of
    // another program.
    CommandResult started = RunCommand("DISPLAY=" + Display() + " xmessage -title '" + kBoxTitle +
                                       "' -geometry 800x100+200+300 reference >/dev/null 2>&1 & "
                                       "echo $!");
    TopWindow reference, box, kip;
    auto shown = [](const TopWindow& w) { return w.width > 0; };
    ASSERT_TRUE(WaitForClient(Display(), kBoxTitle, shown, reference)) << started.output;
    int fullTitle = SettledTitleTextWidth(Display(), m_folder.Path(), reference);
    RunCommand("kill " + started.output);
    for (auto end = Clock::now() + kEndDeadline;
         Clock::now() < end && ClientRect(Display(), kBoxTitle, reference);)
        std::this_thread::sleep_for(kPollInterval);
    EXPECT_GT(fullTitle, 100);

    StartKip({});
    ASSERT_TRUE(WaitForClient(Display(), kBoxTitle, shown, box)) << KipOutput();
    EXPECT_TRUE(WaitForClient(Display(), "kip", CoversTheScreen, kip, std::chrono::seconds(5)))
        << "the game window is " << kip.width << "x" << kip.height << "+" << kip.x << "+"
        << kip.y << " while the box shows";
    int boxTitle = SettledTitleTextWidth(Display(), m_folder.Path(), box);
    EXPECT_EQ(boxTitle, fullTitle) << "the box's title is cut";
    Picture screen = Screenshot(Display(), m_folder.Path());
    ASSERT_EQ(screen.width, kScreenWidth);
    // Lit are only the box and its frame (a title bar above it, a border around it).
    long litOutside = LitPixels(screen, 0, 0, kScreenWidth, kScreenHeight) -
                      LitPixels(screen, box.x - 4, box.y - 24, box.width + 8, box.height + 28);
    EXPECT_EQ(litOutside, 0) << "something is drawn behind the box";
    Xdotool(Display(), "key Return");
    EXPECT_TRUE(WaitForClient(Display(), "kip", CoversTheScreen, kip));
}

// Another client destroying the game's window (a manager's kill tool, xdotool
// windowclose) ends the game through its shutdown, as closing the window does.
class DestroyedWindowTest : public XServerTest, public ::testing::WithParamInterface<bool> {};

TEST_P(DestroyedWindowTest, EndsThroughTheShutdown) {
    std::vector<std::string> options = {"--no-warning"};
    if (GetParam()) options.push_back("--windowed");
    StartKip(options);
    ReadFrame(m_folder / "frame.bmp");  // the game is playing
    std::string id = KipWindowId(Display());
    ASSERT_FALSE(id.empty());
    Xdotool(Display(), "windowclose " + id);
    int status = 0;
    ASSERT_TRUE(m_kip->WaitForEnd(status)) << "the game did not end without its window";
    EXPECT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0) << KipOutput();
    EXPECT_EQ(KipOutput().find("X Error"), std::string::npos) << KipOutput();
    const std::string log = ReadFileText(m_folder / "ErrorLog.txt");
    EXPECT_TRUE(EndsNormally(log)) << log;
    EXPECT_TRUE(UnpackingFolders(m_folder.Path()).empty());
}

INSTANTIATE_TEST_SUITE_P(WindowedAndFullScreen, DestroyedWindowTest, ::testing::Bool());

TEST_F(WindowManagerTest, DestroyedFullScreenWindowEndsThroughTheShutdown) {
    StartKip({"--no-warning"});
    ReadFrame(m_folder / "frame.bmp");
    std::string id = KipWindowId(Display());
    ASSERT_FALSE(id.empty());
    Xdotool(Display(), "windowclose " + id);
    int status = 0;
    ASSERT_TRUE(m_kip->WaitForEnd(status)) << "the game did not end without its window";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << KipOutput();
    EXPECT_TRUE(EndsNormally(ReadFileText(m_folder / "ErrorLog.txt")));
}
