// Graphics benchmark, headless: a game-like frame batched and with one fan per
// sprite, sprites per frame at 60 frames a second, and the paced frame intervals
// with the CPU time of the pacing itself, sleeping against busy waiting. Run by hand:
//   build/<kind>/bench/gfx/gfx_bench [paced-frames] [pacing [lateness-file]]
// (pacing: that part only; lateness-file.long and .short take how late each sleep
// ended, one a line)
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "commands/kv.h"
#include "gfx/OpenGLRainbows.h"
#include "runtime/Options.h"
#include "tests/gfx/BitmapFiles.h"

namespace {
// A 24-bit picture with a keyed left column and bottom row, written to a temporary file.
std::string WritePicture(const std::string& name, int w, int h, uint8_t shade) {
    std::vector<uint8_t> out = MakeBitmap24(w, h, [&](int x, int top) {
        int y = h - 1 - top;  // rows counted from the bottom
        if (x == 0 || y == 0) return TestRgb{255, 0, 128};
        return TestRgb{shade, uint8_t(shade + y * 3), uint8_t(shade + x)};
    });
    std::string path = KvTempDirectory() + "kip_bench_" + std::to_string(getpid()) + name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(out.data(), 1, out.size(), f);
    std::fclose(f);
    return path;
}

// Loads a written picture and removes its file again.
void LoadBenchPicture(const std::string& path, int slot, bool font) {
    if (font)
        LOADFONT(path.c_str(), slot);
    else
        LOADSPRITE(path.c_str(), slot);
    std::remove(path.c_str());
}

// Stars, platform tiles, ladders, walls, aliens and a status line, like a frame of the level.
void GameFrame(int frame) {
    for (int i = 0; i < 100; ++i) SPRITE(1, (i * 131 + frame) % 640, (i * 71) % 480);
    for (int i = 0; i < 300; ++i)
        SPRITE(2 + (i / 60) % 2, (i * 32 - frame) % 672 - 32, 64 + (i / 20) * 24);
    for (int i = 0; i < 70; ++i) SPRITE(4, (i * 97) % 640, (i * 43) % 448);
    for (int i = 0; i < 40; ++i) SPRITE(5, (i * 53) % 640, (i * 29) % 448);
    for (int i = 0; i < 10; ++i) ZOOMSPRITE(6, (i * 61 + frame) % 600, 200 + i * 10, 1, 1);
    PRINT("Punkte 001230  Leben 3  Level 1", 10, 450);
    PRINT("Stage 2 Alien 10 / Punkte 000", 10, 462);
    SHOWSCREEN();
}

// The best of five blocks: the machine is shared, the quietest block is the measure.
double MillisecondsPerFrame(const std::function<void(int)>& frame, int frames) {
    for (int i = 0; i < 10; ++i) frame(i);  // warm up
    double best = 1e30;
    int block = std::max(1, frames / 5);
    for (int b = 0; b < 5; ++b) {
        double start = KvNow();
        for (int i = 0; i < block; ++i) frame(b * block + i);
        best = std::min(best, (KvNow() - start) / block);
    }
    return best;
}

void BunnyFrame(int count, int frame) {
    for (int i = 0; i < count; ++i)
        SPRITE(2 + (i / 64) % 2, (i * 37 + frame) % 620, (i * 53 + frame) % 460);
    SHOWSCREEN();
}

int SpritesAt60(bool batching) {
    pRbow->SetBatching(batching);
    int low = 0, high = 100;
    auto fast = [](int n) {
        return MillisecondsPerFrame([n](int f) { BunnyFrame(n, f); }, 20) <= 1000.0 / 60;
    };
    while (fast(high) && high < 1 << 20) {
        low = high;
        high *= 2;
    }
    while (high - low > std::max(50, low / 50)) {
        int mid = (low + high) / 2;
        (fast(mid) ? low : high) = mid;
    }
    return low;
}

void PacedFrame() {
    for (int s = 0; s < 50; ++s) SPRITE(2, s * 12, 100);
    pRbow->FlipScreens();
}

// How late each long and each short sleep of the paced run ended (ms after the
// time asked for), told apart by the time asked for.
std::vector<double> g_longSleepLateness, g_shortSleepLateness;

void RecordedSleep(double deadline) {
    double asked = deadline - PlatformMilliseconds();
    SleepUntilPlatformTime(deadline);
    double late = PlatformMilliseconds() - deadline;
    (asked > 5 ? g_longSleepLateness : g_shortSleepLateness).push_back(late);
}

double Quantile(std::vector<double> v, double q) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::size_t(q * double(v.size() - 1))];
}

// Writes one figure a line, for a look at the distribution afterwards.
void WriteFigures(const std::string& path, const std::vector<double>& figures) {
    std::FILE* f = std::fopen(path.c_str(), "w");
    if (!f) return;
    for (double figure : figures) std::fprintf(f, "%.4f\n", figure);
    std::fclose(f);
}

void PrintSpread(const char* what, const std::vector<double>& figures) {
    std::printf("  %s median %.3f ms, p99 %.3f ms, max %.3f ms (%zu)\n", what,
                Quantile(figures, 0.5), Quantile(figures, 0.99), Quantile(figures, 1),
                figures.size());
}

constexpr int kWarmUpFrames = 300;

// Paced frames at 60 a second; the pacing's CPU share is the thread's CPU time
// taken around the wait itself, for sleeping and busy waiting alike.
void PacedRun(int frames, bool sleeping, const std::string& latenessFile) {
    FrameClock clock = OpenGLRainbows::DefaultFrameClock();
    clock.sleepUntil = sleeping ? RecordedSleep : nullptr;
    clock.cpuNow = ThreadCpuMilliseconds;
    OpenGLRainbows::SetFrameClock(clock);
    KvOptions().unpaced = false;
    pRbow->SetMaxFPS(60);
    // Five seconds first, so that the margins have learnt from enough wake-ups.
    pRbow->StartFrameGrid();
    for (int i = 0; i < kWarmUpFrames; ++i) PacedFrame();
    g_longSleepLateness.clear();
    g_shortSleepLateness.clear();
    std::vector<double> shown, margins, spinMargins;
    double cpuStart = pRbow->Pacer().WaitCpu(), wallStart = KvNow();
    for (int i = 0; i < frames; ++i) {
        PacedFrame();
        shown.push_back(KvNow());
        margins.push_back(pRbow->Pacer().Margin());
        spinMargins.push_back(pRbow->Pacer().SpinMargin());
    }
    double cpu = pRbow->Pacer().WaitCpu() - cpuStart, wall = KvNow() - wallStart;
    KvOptions().unpaced = true;
    OpenGLRainbows::SetFrameClock(OpenGLRainbows::DefaultFrameClock());
    std::vector<double> intervals, deviations;
    for (std::size_t i = 1; i < shown.size(); ++i) {
        intervals.push_back(shown[i] - shown[i - 1]);
        deviations.push_back(std::fabs(intervals.back() - 1000.0 / 60));
    }
    std::printf(
        "paced %-10s %d frames: interval median %.3f ms, |deviation| median %.3f ms, "
        "p99 %.3f ms, max %.3f ms; CPU of the pacing %.1f ms of %.0f ms wall (%.2f%% of a "
        "core)\n",
        sleeping ? "sleep+spin" : "busy wait", frames, Quantile(intervals, 0.5),
        Quantile(deviations, 0.5), Quantile(deviations, 0.99), Quantile(deviations, 1),
        cpu, wall, 100 * cpu / wall);
    if (!sleeping) return;
    PrintSpread("long sleeps ended late by", g_longSleepLateness);
    PrintSpread("short sleeps ended late by", g_shortSleepLateness);
    PrintSpread("long sleep margin", margins);
    PrintSpread("spin margin", spinMargins);
    if (latenessFile.empty()) return;
    WriteFigures(latenessFile + ".long", g_longSleepLateness);
    WriteFigures(latenessFile + ".short", g_shortSleepLateness);
}
}  // namespace

int main(int argc, char** argv) {
    int pacedFrames = argc > 1 ? std::atoi(argv[1]) : 600;
    if (!KvStartRuntimeForTests()) return 1;
    LoadBenchPicture(WritePicture("star.bmp", 4, 4, 200), 1, false);
    LoadBenchPicture(WritePicture("tile_a.bmp", 32, 32, 60), 2, false);
    LoadBenchPicture(WritePicture("tile_b.bmp", 32, 32, 90), 3, false);
    LoadBenchPicture(WritePicture("ladder.bmp", 32, 32, 120), 4, false);
    LoadBenchPicture(WritePicture("wall.bmp", 32, 32, 150), 5, false);
    LoadBenchPicture(WritePicture("alien.bmp", 32, 32, 30), 6, false);
    LoadBenchPicture(WritePicture("font.bmp", 128, 128, 10), 0, true);

    pRbow->SetBatching(true);
    if (argc > 2 && std::string(argv[2]) == "pacing") {
        PacedRun(pacedFrames, true, argc > 3 ? argv[3] : "");
        PacedRun(pacedFrames, false, "");
        return 0;
    }
    double batched = MillisecondsPerFrame(GameFrame, 300);
    QuadBatch::s_useShader = false;
    double batchedFixed = MillisecondsPerFrame(GameFrame, 300);
    QuadBatch::s_useShader = true;
    pRbow->SetBatching(false);
    double fans = MillisecondsPerFrame(GameFrame, 300);
    pRbow->SetBatching(true);
    double flipOnly = MillisecondsPerFrame([](int) { SHOWSCREEN(); }, 300);
    std::printf(
        "game-like frame (100 stars, 300 tiles, 70 ladders, 40 walls, 10 aliens, 60 characters), "
        "unpaced:\n");
    std::printf(
        "  batched %.3f ms/frame (fixed-function arrays %.3f), one fan per sprite %.3f ms/frame, "
        "ratio %.2f; empty frame (flip only) %.3f ms\n",
        batched, batchedFixed, fans, fans / batched, flipOnly);
    std::printf(
        "sprites per frame at 60 fps (32 x 32, runs of 64 per texture): batched %d, one fan %d\n",
        SpritesAt60(true), SpritesAt60(false));
    pRbow->SetBatching(true);
    if (pacedFrames > 0) {
        PacedRun(pacedFrames, true, "");
        PacedRun(pacedFrames, false, "");
    }
    return 0;
}
