// Whole games of the kip executable, headless, unpaced, seeded, with scripted keys:
// the trace, the error log and a screenshot are read back.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>

#include "tests/game/game_test_support.h"
#include "tests/support/TestFolder.h"

namespace {

struct KipRun {
    std::vector<TraceLine> trace;
    std::string errorLog;
    std::string output;
    int status = -1;
};

// Runs kip with the key script for the given number of frames in a fresh folder.
KipRun RunKip(const std::string& keys, int frames, const std::string& extra = "") {
    KipRun run;
    TestFolder made("kip_run_test");
    EXPECT_TRUE(made.Made());
    const std::string& folder = made.Path();
    std::ofstream(folder + "/keys.txt") << keys;
    std::string command = "TMPDIR=" + folder + " " + KIP_PATH +
                          " --headless --unpaced --seed 7 --keys " + folder + "/keys.txt --trace " +
                          folder + "/trace.txt --frames " + std::to_string(frames) + " " + extra +
                          " >" + folder + "/out.txt 2>&1";
    run.status = std::system(command.c_str());
    run.trace = ParseTrace(ReadFileText(folder + "/trace.txt"));
    run.errorLog = ReadFileText(folder + "/ErrorLog.txt");
    run.output = ReadFileText(folder + "/out.txt");
    return run;
}

long FirstFrame(const std::vector<TraceLine>& lines, const std::string& command,
                const std::string& firstArg) {
    for (const TraceLine& line : lines)
        if (line.command == command && !line.args.empty() && line.args[0] == firstArg)
            return line.frame;
    return -1;
}

// Sprites per slot drawn in one frame.
std::map<int, int> SpritesIn(const std::vector<TraceLine>& lines, long frame,
                             const std::string& command = "SPRITE") {
    std::map<int, int> count;
    for (const TraceLine& line : lines)
        if (line.frame == frame && line.command == command) ++count[static_cast<int>(line.Num(0))];
    return count;
}

int Aliens(const std::map<int, int>& sprites) {
    int n = 0;
    for (int slot = 200; slot <= 204; ++slot)
        if (sprites.count(slot)) n += sprites.at(slot);
    return n;
}

// Leave the stage screen, walk left to the ladder of column 27, climb to the top floor.
const char* const kToTheTopFloor =
    "1 tap 57\n"
    "3 down 203\n48 up 203\n"
    "50 down 200\n230 up 200\n";

void ExpectCleanEnd(const KipRun& run) {
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.errorLog.find("-End On Line\r\n0\r\n"), std::string::npos) << run.errorLog;
}

TEST(GameRun, ShootsTheFirstAlienAndReachesLevelTwo) {
    // On the top floor, step left off the ladder and fire to the left while the alien
    // comes back from the left end; release space for the stage screen, press again.
    std::string keys = std::string(kToTheTopFloor) +
                       "232 down 203\n252 up 203\n260 down 57\n"
                       "515 up 57\n520 down 57\n";
    KipRun run = RunKip(keys, 600);
    ExpectCleanEnd(run);
    ASSERT_FALSE(run.trace.empty());

    // Stage 1 level 1 first, one alien, four spare lives (five heads).
    EXPECT_EQ(FirstFrame(run.trace, "PRINT", "Level 1"), 0);
    EXPECT_EQ(Aliens(SpritesIn(run.trace, 100)), 1);
    EXPECT_EQ(SpritesIn(run.trace, 100, "ZOOMSPRITE")[4], 5);

    // The alien is hit (sound 0) and no touch happened.
    long hit = -1;
    for (const TraceLine& line : run.trace)
        if (line.command == "PLAYSOUND" && line.Num(0) == 0) {
            hit = line.frame;
            break;
        }
    ASSERT_GT(hit, 260);
    EXPECT_EQ(FirstFrame(run.trace, "PRINT", "Du wurdest erwischt"), -1);
    // The frame after the kill is drawn without aliens; then the next level starts.
    EXPECT_EQ(Aliens(SpritesIn(run.trace, hit + 1)), 0);
    EXPECT_GT(SpritesIn(run.trace, hit + 1)[10], 0);
    long stage = FirstFrame(run.trace, "PRINT", "Level 2");
    EXPECT_EQ(stage, hit + 2);
    int loads = 0;
    for (const TraceLine& line : run.trace) loads += line.command == "LOADSPRITE";
    EXPECT_EQ(loads, 2 * 46);
    // Level 2 of stage 1: two aliens.
    EXPECT_EQ(Aliens(SpritesIn(run.trace, 590)), 2);
    EXPECT_EQ(SpritesIn(run.trace, 590, "ZOOMSPRITE")[4], 5);
}

TEST(GameRun, WalksIntoAnAlienAndSeesTheCaughtScreen) {
    // Wait at the top of the ladder until the alien comes back along the top floor;
    // on the caught screen press space at 640.
    std::string keys = std::string(kToTheTopFloor) + "640 tap 57\n";
    KipRun run = RunKip(keys, 700);
    ExpectCleanEnd(run);
    long caught = FirstFrame(run.trace, "PRINT", "Du wurdest erwischt");
    ASSERT_GT(caught, 300);
    ASSERT_LT(caught, 640);
    // The caught screen runs in every frame until space is pressed, with no sound.
    for (long frame = caught; frame <= 640; ++frame) {
        bool printed = false, hushed = false;
        for (const TraceLine& line : run.trace) {
            if (line.frame != frame) continue;
            if (line.command == "PRINT" && line.args[0] == "Du wurdest erwischt") printed = true;
            if (line.command == "HUSH") hushed = true;
            // The touch sound plays before the screen; on the screen nothing plays.
            if (frame > caught) {
                EXPECT_NE(line.command, "PLAYSOUND") << "frame " << frame;
            }
        }
        EXPECT_TRUE(printed) << "frame " << frame;
        EXPECT_TRUE(hushed) << "frame " << frame;
    }
    // Play goes on in the same frame with one life less: four heads.
    EXPECT_EQ(SpritesIn(run.trace, 640, "ZOOMSPRITE")[4], 4);
    // The touching alien is gone, so the level is cleared: stage 1 level 2.
    EXPECT_EQ(FirstFrame(run.trace, "PRINT", "Level 2"), 642);
}

TEST(GameRun, EscapeOnTheStageScreenLogsItsShowscreenLine) {
    KipRun run = RunKip("1 down 1\n", 300);
    EXPECT_EQ(run.status, 0) << run.output;
    ASSERT_FALSE(run.trace.empty());
    // Escape ended the game at once, long before the frame limit.
    EXPECT_LE(run.trace.back().frame, 2);
    EXPECT_NE(FirstFrame(run.trace, "PRINT", "Weiter mit Leertaste"), -1);
    // kip_level.cpp is file 2 of the game: its lines are numbered from 20000. The
    // log ends with the stage screen's SHOWSCREEN line as error and last line, and
    // source file 0.
    int line = GameLineOf("kip_level.cpp", 2, "L SHOWSCREEN();");
    ASSERT_GT(line, 20000);
    std::string want = EndOfRunLines(0, line);
    ASSERT_GE(run.errorLog.size(), want.size()) << run.errorLog;
    EXPECT_EQ(run.errorLog.substr(run.errorLog.size() - want.size()), want) << run.errorLog;
    EXPECT_EQ(run.errorLog.find("-End On Line"), run.errorLog.rfind("-End On Line"));
}

struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
    bool Lit(int x, int y) const {
        if (x < 0 || y < 0 || x >= width || y >= height) return false;
        const uint8_t* p = &rgb[3 * (y * width + x)];
        return p[0] + p[1] + p[2] > 60;
    }
};

Picture ReadBmp(const std::string& path) {
    Picture picture;
    std::string data = ReadFileText(path);
    if (data.size() < 54 || data[0] != 'B' || data[1] != 'M') return picture;
    auto u32 = [&](size_t at) {
        return uint32_t(uint8_t(data[at])) | uint32_t(uint8_t(data[at + 1])) << 8 |
               uint32_t(uint8_t(data[at + 2])) << 16 | uint32_t(uint8_t(data[at + 3])) << 24;
    };
    uint32_t offset = u32(10);
    int width = int32_t(u32(18)), height = int32_t(u32(22));
    int bytes = (uint8_t(data[28]) | uint8_t(data[29]) << 8) / 8;
    if (width <= 0 || width > 4096 || height == 0 || height > 4096 || height < -4096 || bytes < 3)
        return picture;
    int rows = height < 0 ? -height : height;
    size_t stride = (size_t(width) * bytes + 3) & ~size_t(3);
    if (offset + stride * rows > data.size()) return picture;
    picture.width = width;
    picture.height = rows;
    picture.rgb.resize(size_t(width) * rows * 3);
    for (int y = 0; y < rows; ++y) {
        int source = height > 0 ? rows - 1 - y : y;
        for (int x = 0; x < width; ++x) {
            const char* p = &data[offset + source * stride + size_t(x) * bytes];
            uint8_t* out = &picture.rgb[3 * (size_t(y) * width + x)];
            out[0] = uint8_t(p[2]);
            out[1] = uint8_t(p[1]);
            out[2] = uint8_t(p[0]);
        }
    }
    return picture;
}

int LitIn(const Picture& picture, double x, double y) {
    int lit = 0;
    for (int dy = 0; dy < 32; ++dy)
        for (int dx = 0; dx < 32; ++dx) lit += picture.Lit(int(x) + dx, int(y) + dy);
    return lit;
}

TEST(GameRun, ScreenshotShowsLevelKipAndAlien) {
    TestFolder folder("kip_shot_test");
    ASSERT_TRUE(folder.Made());
    std::string shot = folder / "level.bmp";
    KipRun run = RunKip(kToTheTopFloor, 562, "--screenshot 560:" + shot);
    ExpectCleanEnd(run);
    Picture picture = ReadBmp(shot);
    ASSERT_EQ(picture.width, 640);
    ASSERT_EQ(picture.height, 480);
    // The frame shown as the 560th carries the trace lines of frame 559.
    double alienX = -1, alienY = -1, kipX = -1, kipY = -1, tileY = -1;
    for (const TraceLine& line : run.trace) {
        if (line.frame != 559 || line.command != "SPRITE") continue;
        int slot = static_cast<int>(line.Num(0));
        if (slot >= 200 && slot <= 204) alienX = line.Num(1), alienY = line.Num(2);
        if (slot == 77 || slot == 777 || slot == 4 || slot == 40 || slot == 41 || slot == 7)
            kipX = line.Num(1), kipY = line.Num(2);
        if (slot == 10 && line.Num(2) > 0 && line.Num(2) < 440) tileY = line.Num(2);
    }
    ASSERT_GE(alienX, 0);
    ASSERT_GE(kipX, 0);
    ASSERT_GE(tileY, 0);
    EXPECT_GT(LitIn(picture, alienX, alienY), 100);
    EXPECT_GT(LitIn(picture, kipX, kipY), 100);
    // A platform row runs across the screen.
    int lit = 0;
    for (int x = 0; x < 640; ++x) lit += picture.Lit(x, int(tileY) + 8);
    EXPECT_GT(lit, 300);
    // Status strip at the bottom.
    EXPECT_GT(LitIn(picture, 300, 450), 200);
}

}  // namespace
