// What the present costs the paced game on a software renderer: kip itself at 60
// frames a second on an Xvfb server of each given size (no window manager), through
// the start screens into level 1 with scripted keys, in a window (640 x 480, drawn
// 1:1) and full screen with the smooth and the integer fit, each fit once with the
// software present and once through OpenGL (KIP_PRESENT=opengl, the way it was).
// Every way runs once in each round, one after another, so that the ratios to the
// windowed run of the same round hold on a busy machine. Figures are taken from
// the game's frame log from frame 120 on: process CPU per frame (all threads), the
// X server's CPU per frame, and the frames finished after their grid point.
//   fullscreen_bench [rounds [frames [WIDTHxHEIGHT...]]]
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/gfx/BenchXvfb.h"

namespace {
constexpr long kFirstMeasuredFrame = 120;  // the level is under way by then
const char* const kKeys =
    "0 tap 57\n2 tap 57\n5 tap 57\n20 down 205\n120 up 205\n130 down 203\n200 up 203\n"
    "210 down 205\n";

struct Way {
    const char* name;
    std::vector<std::string> options;
    bool openGL;
};

const Way kWays[] = {
    {"windowed", {"--windowed"}, false},
    {"smooth", {"--fullscreen"}, false},
    {"integer", {"--fullscreen", "--scale", "integer"}, false},
    {"smooth, OpenGL present", {"--fullscreen"}, true},
    {"integer, OpenGL present", {"--fullscreen", "--scale", "integer"}, true},
};

struct LogLine {
    long flip = -1;
    int late = 0;
    double cpu = 0;
};

std::vector<LogLine> ReadLog(const std::string& path) {
    std::vector<LogLine> lines;
    std::ifstream in(path);
    for (LogLine line; in >> line.flip >> line.late >> line.cpu;) lines.push_back(line);
    return lines;
}

struct Figures {
    double cpu = -1, server = 0;
    int late = 0;
    long frames = 0;
};

pid_t StartKip(const std::string& display, const Way& way, long frames, const std::string& keys,
               const std::string& log) {
    std::fflush(stdout);  // or the child writes what is buffered again
    pid_t pid = fork();
    if (pid != 0) return pid;
    setenv("DISPLAY", display.c_str(), 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("KIP_FRAME_LOG", log.c_str(), 1);
    unsetenv("SDL_VIDEODRIVER");
    if (way.openGL)
        setenv("KIP_PRESENT", "opengl", 1);
    else
        unsetenv("KIP_PRESENT");
    if (!std::freopen("/dev/null", "w", stdout)) _exit(126);
    std::string count = std::to_string(frames);
    std::vector<std::string> args = {KIP_PATH,   "--no-warning", "--seed", "7",
                                     "--frames", count,          "--keys", keys};
    args.insert(args.end(), way.options.begin(), way.options.end());
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    execv(KIP_PATH, argv.data());
    _exit(127);
}

// The server's CPU is read when the log reaches the first measured frame and at the end.
Figures RunOnce(const BenchXvfb& server, const Way& way, long frames, const std::string& keys,
                const std::string& log) {
    std::remove(log.c_str());
    pid_t kip = StartKip(server.Display(), way, frames, keys, log);
    double serverAtStart = -1;
    int status = 0;
    while (waitpid(kip, &status, WNOHANG) == 0) {
        if (serverAtStart < 0 && long(ReadLog(log).size()) > kFirstMeasuredFrame)
            serverAtStart = ProcessCpuOf(server.Pid());
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    double serverAtEnd = ProcessCpuOf(server.Pid());
    std::vector<LogLine> lines = ReadLog(log);
    Figures figures;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
        long(lines.size()) <= kFirstMeasuredFrame + 1 || serverAtStart < 0)
        return figures;
    figures.frames = long(lines.size()) - 1 - kFirstMeasuredFrame;
    figures.cpu = (lines.back().cpu - lines[kFirstMeasuredFrame].cpu) / double(figures.frames);
    figures.server = (serverAtEnd - serverAtStart) / double(figures.frames);
    for (std::size_t i = kFirstMeasuredFrame + 1; i < lines.size(); ++i)
        figures.late += lines[i].late;
    return figures;
}

std::string TempPath(const std::string& name) {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/kip_fullscreen_bench_" +
           std::to_string(getpid()) + "_" + name;
}
}  // namespace

int main(int argc, char** argv) {
    int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2;
    long frames = argc > 2 ? std::max(kFirstMeasuredFrame + 60, std::atol(argv[2])) : 720;
    std::vector<std::string> sizes;
    for (int i = 3; i < argc; ++i) sizes.push_back(argv[i]);
    if (sizes.empty()) sizes = {"1920x1080", "1280x1024", "2560x1440"};
    std::string keys = TempPath("keys.txt"), log = TempPath("frames.log");
    std::ofstream(keys) << kKeys;
    std::printf("kip paced at 60 frames a second, %ld frames a run, measured from frame %ld\n",
                frames, kFirstMeasuredFrame);
    for (const std::string& size : sizes) {
        BenchXvfb server(size);
        if (!server.Running()) {
            std::printf("== %s: Xvfb did not start\n", size.c_str());
            continue;
        }
        for (int round = 1; round <= rounds; ++round) {
            std::printf("== %s, round %d, load %s\n", size.c_str(), round, LoadAverage().c_str());
            double windowed = 0;
            for (const Way& way : kWays) {
                Figures f = RunOnce(server, way, frames, keys, log);
                if (f.cpu < 0) {
                    std::printf("  %-26s the run failed\n", way.name);
                    continue;
                }
                if (windowed == 0) windowed = f.cpu;
                std::printf(
                    "  %-26s %5.2f ms CPU a frame (%4.0f %% of a core), %4.2f x windowed;"
                    " X server %4.2f ms; late frames %d of %ld\n",
                    way.name, f.cpu, f.cpu * 6, f.cpu / windowed, f.server, f.late, f.frames);
                std::fflush(stdout);
            }
        }
    }
    std::remove(keys.c_str());
    std::remove(log.c_str());
    return 0;
}
