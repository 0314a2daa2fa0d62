// Scripted keys, headless and unpaced: frames that ask KEY 25 times each, as the game's
// main loop does, and draw a line of text, first with a short key script and then with
// the same script among a million more events at frame 0 (pairs on a key nobody reads,
// so both runs see the same keys). Prints each script's cost per frame and their ratio;
// the parse of the long script is start-up work and is not in the frames' time. The
// machine is shared, so the best of several rounds counts. Run by hand:
//   build/<kind>/bench/input/keys_bench [frames, 10000] [rounds, 2]
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
#include "commands/kv.h"

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

double Median(std::vector<double> values) {
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

// What the runs of one script cost: every frame's wall time and the time of its KEY
// calls alone (the medians are robust on a shared machine), and the CPU time.
struct ScriptCost {
    std::vector<double> frameMs, keysMs;
    double cpuSeconds = 0;
    double checksum = 0;  // the keys seen, weighted by their frame in the run
};

// A run of frames with the short script and extraEvents more, starting at the current frame.
void RunFrames(long extraEvents, int frames, ScriptCost& cost) {
    pDXin->UseKeyScript(Script(KvFrameNumber(), extraEvents));
    double cpuStart = CpuSeconds();
    for (int frame = 0; frame < frames; ++frame) {
        auto began = Clock::now();
        for (int key : kGameKeys) cost.checksum += KEY(key) * (frame + 1);
        cost.keysMs.push_back(Seconds(began) * 1000);
        PRINT("Punkte 001230  Leben 3  Level 1", 10, 450);
        SHOWSCREEN();
        cost.frameMs.push_back(Seconds(began) * 1000);
    }
    cost.cpuSeconds += CpuSeconds() - cpuStart;
}

void PrintCost(const char* name, const ScriptCost& cost) {
    std::printf("  %-28s frame median %.4f ms, its KEY calls median %.2f us, "
                "CPU %.4f ms a frame\n",
                name, Median(cost.frameMs), Median(cost.keysMs) * 1000,
                cost.cpuSeconds * 1000 / double(cost.frameMs.size()));
}
}  // namespace

int main(int argc, char** argv) {
    int frames = argc > 1 ? std::atoi(argv[1]) : 10000;
    int rounds = argc > 2 ? std::atoi(argv[2]) : 2;
    const long kExtraEvents = 1000000;
    // The software renderer draws in this thread: its helper threads would make the
    // CPU time and the frame times depend on how busy the other cores are.
    setenv("LP_NUM_THREADS", "0", 0);
    if (frames < 1 || rounds < 1 || !KvStartRuntimeForTests()) return 1;
    auto parseStart = Clock::now();
    Script(0, kExtraEvents);
    double parseSeconds = Seconds(parseStart);
    ScriptCost warmUp, shortScript, longScript;
    RunFrames(0, 300, warmUp);
    // Short, long, long, short in each round: a drift of the machine's load weighs on both.
    for (int round = 0; round < rounds; ++round) {
        RunFrames(0, frames, shortScript);
        RunFrames(kExtraEvents, frames, longScript);
        RunFrames(kExtraEvents, frames, longScript);
        RunFrames(0, frames, shortScript);
    }
    std::printf("parsing the script of %ld events: %.2f s (once, at start-up)\n",
                kExtraEvents + 10, parseSeconds);
    std::printf("%d rounds of 2 x %d frames for each script:\n", rounds, frames);
    PrintCost("short script (10 events):", shortScript);
    PrintCost("long script (1000010 events):", longScript);
    std::printf("  long / short: frame median %.3f, KEY calls median %.3f, CPU %.3f\n",
                Median(longScript.frameMs) / Median(shortScript.frameMs),
                Median(longScript.keysMs) / Median(shortScript.keysMs),
                longScript.cpuSeconds / shortScript.cpuSeconds);
    // Both scripts must have given the same keys in the same frames.
    if (shortScript.checksum != longScript.checksum) {
        std::printf("the two scripts gave different keys (%g against %g)\n",
                    shortScript.checksum, longScript.checksum);
        return 1;
    }
    return 0;
}
