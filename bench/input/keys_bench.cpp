// Scripted keys, headless and unpaced: frames that ask KEY 25 times each, as the game's
// main loop does, and draw a line of text, first with a short key script and then with
// the same script among a million more events at frame 0 (pairs on a key nobody reads,
// so both runs see the same keys). Prints each script's cost per frame and their ratio;
// the parse of the long script is start-up work and is not in the frames' time. The
// machine is shared, so the best of several rounds counts. Run by hand:
//   build/<kind>/bench/input/keys_bench [frames] [rounds]
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "input/DXInput.h"
#include "input/KeyScript.h"
#include "runtime/Options.h"
#include "runtime/kv.h"

namespace {
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// The walk of the game tests, frame numbers counted from the run's first frame: leave
// the stage screen, walk left, climb, fire.
const int kShortScript[][3] = {{1, 't', 57},   {3, 'd', 203},   {48, 'u', 203}, {50, 'd', 200},
                               {230, 'u', 200}, {232, 'd', 203}, {252, 'u', 203}, {260, 'd', 57},
                               {515, 'u', 57},  {520, 'd', 57}};

// The short script shifted to start at frame first, with extraEvents more at that frame.
KeyScript Script(long first, long extraEvents) {
    std::string text;
    for (const auto& line : kShortScript) {
        const char* action = line[1] == 't' ? "tap" : line[1] == 'd' ? "down" : "up";
        text += std::to_string(first + line[0]) + " " + action + " " + std::to_string(line[2]) +
                "\n";
    }
    std::string pair = std::to_string(first) + " down 100\n" + std::to_string(first) + " up 100\n";
    text.reserve(text.size() + std::size_t(extraEvents / 2) * pair.size());
    for (long i = 0; i < extraEvents / 2; ++i) text += pair;
    KeyScript script;
    std::string error;
    if (!script.Parse(text, "bench.keys", error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        std::exit(1);
    }
    return script;
}

// The keys the game asks each frame: cursor keys, fire, jump, music, the cheat keys.
const int kGameKeys[] = {203, 205, 200, 208, 57, 56, 50, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10,
                         203, 205, 200, 208, 57, 57, 203, 205};
static_assert(sizeof kGameKeys / sizeof kGameKeys[0] == 25, "25 KEY calls a frame");

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// What a run of frames cost: the median frame's wall time (robust on a shared
// machine) and the process's CPU time per frame, both in milliseconds.
struct RunCost {
    double medianMs = 1e30;
    double cpuMs = 1e30;
};

// A run of frames with the short script and extraEvents more, starting at the current
// frame. The keys seen are added to checksum.
RunCost RunFrames(long extraEvents, int frames, double& checksum) {
    pDXin->UseKeyScript(Script(KvFrameNumber(), extraEvents));
    std::vector<double> frameMs(std::size_t(frames), 0.0);
    double cpuStart = CpuSeconds();
    for (int frame = 0; frame < frames; ++frame) {
        auto began = Clock::now();
        for (int key : kGameKeys) checksum += KEY(key) * (frame + 1);
        PRINT("Punkte 001230  Leben 3  Level 1", 10, 450);
        SHOWSCREEN();
        frameMs[std::size_t(frame)] = Seconds(began) * 1000;
    }
    RunCost cost;
    cost.cpuMs = (CpuSeconds() - cpuStart) * 1000 / frames;
    std::nth_element(frameMs.begin(), frameMs.begin() + frames / 2, frameMs.end());
    cost.medianMs = frameMs[std::size_t(frames / 2)];
    return cost;
}

void KeepBest(RunCost& best, const RunCost& run) {
    best.medianMs = std::min(best.medianMs, run.medianMs);
    best.cpuMs = std::min(best.cpuMs, run.cpuMs);
}
}  // namespace

int main(int argc, char** argv) {
    int frames = argc > 1 ? std::atoi(argv[1]) : 10000;
    int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
    const long kExtraEvents = 1000000;
    if (frames < 1 || rounds < 1 || !KvStartRuntimeForTests()) return 1;
    auto parseStart = Clock::now();
    Script(0, kExtraEvents);
    double parseSeconds = Seconds(parseStart);
    RunCost bestShort, bestLong;
    double checkShort = 0, checkLong = 0;
    for (int round = 0; round < rounds; ++round) {
        KeepBest(bestShort, RunFrames(0, frames, checkShort));
        KeepBest(bestLong, RunFrames(kExtraEvents, frames, checkLong));
    }
    std::printf("parsing the script of %ld events: %.2f s (once, at start-up)\n",
                kExtraEvents + 10, parseSeconds);
    std::printf("%d frames, best of %d rounds, milliseconds per frame:\n", frames, rounds);
    std::printf("  short script (10 events):  median %.4f, CPU %.4f\n", bestShort.medianMs,
                bestShort.cpuMs);
    std::printf("  long script (%ld events): median %.4f, CPU %.4f\n", kExtraEvents + 10,
                bestLong.medianMs, bestLong.cpuMs);
    std::printf("  long / short: median %.3f, CPU %.3f\n", bestLong.medianMs / bestShort.medianMs,
                bestLong.cpuMs / bestShort.cpuMs);
    // Both runs must have seen the same keys in the same frames.
    if (checkShort != checkLong) {
        std::printf("the two scripts gave different keys (%g against %g)\n", checkShort,
                    checkLong);
        return 1;
    }
    return 0;
}
