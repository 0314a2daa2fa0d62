// A test program that loads one picture as a sprite, a font or a background, so the
// tests can watch large pictures refused in a process of its own (under a capped
// address space) and read back the slot, the error log and the peak memory.
//   picture_probe [runtime options] sprite|font|background|sprite-tight PATH
// sprite-tight leaves the process only 32 MiB more address space than it has before
// the load, so that loading a picture that fits the limits runs out of memory.
#include <sys/resource.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "gfx/OpenGLRainbows.h"
#include "commands/kv.h"

namespace {
std::string g_mode;
std::string g_path;
constexpr int kProbeSlot = 5;

long PeakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

bool LimitAddressSpaceToCurrentPlus(unsigned long long extraBytes) {
    std::ifstream statm("/proc/self/statm");
    unsigned long long pages = 0;
    if (!(statm >> pages)) return false;
    rlimit limit{};
    limit.rlim_cur = limit.rlim_max = pages * 4096ULL + extraBytes;
    return setrlimit(RLIMIT_AS, &limit) == 0;
}

void PrintSlot() {
    int width = 0, height = 0;
    pRbow->GetSpriteSize(kProbeSlot, width, height);
    std::printf("slot %d: texture %d x %d, picture %d x %d, names %u %u\n", kProbeSlot,
                pRbow->TextureWidth(kProbeSlot), pRbow->TextureHeight(kProbeSlot), width, height,
                pRbow->TextureName(kProbeSlot, 0), pRbow->TextureName(kProbeSlot, 1));
}

void __MainGameSub_() {
    long peakBefore = PeakKilobytes();
    __dLn(0, 12);
    if (g_mode == "sprite" || g_mode == "sprite-tight") {
        if (g_mode == "sprite-tight" && !LimitAddressSpaceToCurrentPlus(32ULL << 20)) __Error(98);
        LOADSPRITE(g_path.c_str(), kProbeSlot);
        PrintSlot();
    } else if (g_mode == "font") {
        LOADFONT(g_path.c_str(), 2);
    } else if (g_mode == "background") {
        LOADBMP(g_path.c_str());
    } else {
        __Error(99);
    }
    __dLn(0, 20);
    std::printf("peak growth %ld KiB\n", PeakKilobytes() - peakBefore);
    std::fflush(stdout);
}
}  // namespace

int main(int argc, char** argv) {
    KvSettings settings;
    settings.fullscreen = 0;
    settings.title = "picture probe";
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] == '-') continue;
        if (g_mode.empty())
            g_mode = argv[i];
        else if (g_path.empty())
            g_path = argv[i];
    }
    return KvRunProgram(argc, argv, settings, __MainGameSub_);
}
