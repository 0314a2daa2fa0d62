// Stages 2 to 8 of the kip executable, each started with the stage keys and played
// headless with scripted keys: an alien of the stage's kind is shot, one catches Kip,
// and stage 2 is played on through three levels. The trace and a screenshot are read
// back. The key scripts were fitted to the level layout; the checks find the kill and
// the catch on the trace wherever they fall.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/game/game_test_support.h"
#include "tests/support/TestFolder.h"

namespace {

// Keys and frames count from the first stage screen, past the start screen and intro.
KipRun RunKip(const std::string& keys, int frames, const std::string& extra = "") {
    return RunPastTheStartScreens(KIP_PATH, keys, frames, extra);
}

// Leave the first stage screen, hold K, I, P and the stage's digit in frame 5, leave
// the chosen stage's screen in frame 7; play starts in that frame.
std::string StageKeys(int stage) {
    return "1 tap 57\n5 tap " + std::to_string(stage + 1) + " 37 23 25\n7 tap 57\n";
}

struct StageRun {
    int stage;
    const char* keys;  // after StageKeys
    int frames;
    bool cyclops;           // pictures 400 ... 405, else 200 ... 204
    int aliens;             // in level 1
    double firstAlienStep;  // screen x of the first alien, frame 30 minus frame 20
    bool caughtByBullet;
};

// Alien pictures of the given kind drawn in a frame, in drawing order (x, y).
std::vector<std::pair<double, double>> AliensDrawn(const KipRun& run, long frame, bool cyclops) {
    std::vector<std::pair<double, double>> out;
    double low = cyclops ? 400 : 200, high = cyclops ? 405 : 204;
    for (const TraceLine& line : run.trace)
        if (line.frame == frame && line.command == "SPRITE" && line.Num(0) >= low &&
            line.Num(0) <= high)
            out.push_back({line.Num(1), line.Num(2)});
    return out;
}

bool Printed(const KipRun& run, long frame, const std::string& text) {
    for (const TraceLine& line : run.trace)
        if (line.frame == frame && line.command == "PRINT" && !line.args.empty() &&
            line.args[0] == text)
            return true;
    return false;
}

// The first frame after `after` in which the hit sound plays while a player's bullet
// is drawn and no caught screen shows: the frame of a kill by a shot.
long KillFrame(const KipRun& run, long after = 0) {
    for (const TraceLine& line : run.trace) {
        if (line.frame <= after || line.command != "PLAYSOUND" || line.Num(0) != 0) continue;
        if (Printed(run, line.frame, "Du wurdest erwischt")) continue;
        if (SpritesIn(run.trace, line.frame)[9] > 0) return line.frame;
    }
    return -1;
}

// The first and the last frame of the first caught screen after `after`.
std::pair<long, long> CaughtFrames(const KipRun& run, long after = 0) {
    long first = -1, last = -1;
    for (const TraceLine& line : run.trace) {
        if (line.frame <= after || line.command != "PRINT" || line.args.empty() ||
            line.args[0] != "Du wurdest erwischt")
            continue;
        if (first < 0) first = line.frame;
        if (last >= 0 && line.frame > last + 1) break;
        last = line.frame;
    }
    return {first, last};
}

int Heads(const KipRun& run, long frame) { return SpritesIn(run.trace, frame, "ZOOMSPRITE")[4]; }

// Where the player's picture was drawn in a frame.
std::pair<double, double> Player(const KipRun& run, long frame) {
    std::pair<double, double> at{-999, -999};
    for (const TraceLine& line : run.trace) {
        if (line.frame != frame || line.command != "SPRITE") continue;
        int slot = static_cast<int>(line.Num(0));
        if (slot == 4 || slot == 5 || slot == 6 || slot == 7 || slot == 20 || slot == 21 ||
            slot == 30 || slot == 31 || slot == 40 || slot == 41 || slot == 77 || slot == 777)
            at = {line.Num(1), line.Num(2)};
    }
    return at;
}

void CheckStage(const KipRun& run, const StageRun& s) {
    ExpectCleanEnd(run);
    ASSERT_FALSE(run.trace.empty());
    // The stage keys start level 1 of the stage in the same frame.
    EXPECT_EQ(FirstFrame(run.trace, "PRINT", "Stage " + std::to_string(s.stage)), 5);
    EXPECT_TRUE(Printed(run, 5, "Level 1"));

    // Only aliens of the stage's kind, as many as its first level has.
    EXPECT_EQ(AliensDrawn(run, 8, s.cyclops).size(), size_t(s.aliens));
    EXPECT_TRUE(AliensDrawn(run, 8, !s.cyclops).empty());
    // Types 2 and 4 move 1 pixel a frame, types 1 and 3 3 pixels; the view does not
    // scroll in these frames.
    std::vector<std::pair<double, double>> at20 = AliensDrawn(run, 20, s.cyclops),
                                           at30 = AliensDrawn(run, 30, s.cyclops);
    ASSERT_FALSE(at20.empty());
    ASSERT_FALSE(at30.empty());
    EXPECT_EQ(at30[0].first - at20[0].first, s.firstAlienStep);

    // A kill by a shot: the alien is drawn in that frame and gone in the next.
    long kill = KillFrame(run);
    ASSERT_GT(kill, 7);
    EXPECT_EQ(AliensDrawn(run, kill + 1, s.cyclops).size() + 1,
              AliensDrawn(run, kill, s.cyclops).size())
        << "kill in frame " << kill;

    // Caught: one head less once the caught screen is left.
    auto [caught, left] = CaughtFrames(run);
    ASSERT_GT(caught, 7);
    EXPECT_EQ(Heads(run, caught - 1), Heads(run, left) + 1) << "caught in frame " << caught;
    if (s.caughtByBullet) {
        // An alien bullet is drawn at the player's box in that frame.
        std::pair<double, double> kip = Player(run, caught);
        bool bulletAtKip = false;
        for (const TraceLine& line : run.trace)
            if (line.frame == caught && line.command == "SPRITE" && line.Num(0) == 406 &&
                std::fabs(line.Num(1) - kip.first) <= 40 &&
                std::fabs(line.Num(2) - kip.second) <= 32)
                bulletAtKip = true;
        EXPECT_TRUE(bulletAtKip) << "caught in frame " << caught;
    }
}

// Stage 3: on the top floor, facing left, the cyclops comes back from the left end and
// fires; its bullet catches Kip; he shoots it after the caught screen.
TEST(StagesRun, Stage3CyclopsShootsAndIsShot) {
    StageRun s{3,
               "10 down 203\n55 up 203\n57 down 200\n237 up 200\n240 tap 203\n"
               "580 tap 57\n583 down 57\n",
               595,
               true,
               1,
               -30,
               true};
    CheckStage(RunKip(StageKeys(s.stage) + s.keys, s.frames), s);
}

// Stage 4: the hunter waits above Kip on the top floor and catches him as he climbs;
// in level 2 the one of the floor in between fires at him on the ladder and he shoots
// it.
TEST(StagesRun, Stage4HuntersCatchAndAreShot) {
    StageRun s{4,
               "10 down 203\n55 up 203\n57 down 200\n237 up 200\n210 tap 57\n215 tap 57\n"
               "218 down 203\n263 up 203\n265 down 200\n345 tap 57\n346 tap 205 57\n"
               "350 up 200\n",
               360,
               true,
               1,
               -10,
               false};
    KipRun run = RunKip(StageKeys(s.stage) + s.keys, s.frames);
    CheckStage(run, s);
    // The second catch, in level 2, is by a bullet.
    EXPECT_GT(FirstFrame(run.trace, "PRINT", "Level 2"), 0);
    auto [first, left] = CaughtFrames(run);
    auto [second, left2] = CaughtFrames(run, left);
    ASSERT_GT(second, left);
    EXPECT_GT(SpritesIn(run.trace, second)[406], 0);
}

// Stage 5: Kip walks left, drops through the gap to the floor below and shoots the
// first alien coming back from the left end; the second catches him.
TEST(StagesRun, Stage5FloatingAliens) {
    StageRun s{5, "10 down 203\n232 up 203\n240 tap 57\n330 tap 57\n", 335, false, 10, -30, false};
    CheckStage(RunKip(StageKeys(s.stage) + s.keys, s.frames), s);
}

// Stage 6: one shot to the left kills the nearer drifting alien on Kip's floor; he
// walks into the other.
TEST(StagesRun, Stage6DriftingAliens) {
    StageRun s{6, "10 tap 203\n12 tap 57\n30 down 203\n110 tap 57\n", 115, false, 10, -10, false};
    CheckStage(RunKip(StageKeys(s.stage) + s.keys, s.frames), s);
}

// Stage 7: on the floor below, Kip fires to the left; the cyclops coming back from the
// left end hop over the gap there and shoot; a bullet of the one he killed catches him.
TEST(StagesRun, Stage7CyclopsBulletOutlivesItsAlien) {
    StageRun s{
        7,   "10 down 203\n232 up 203\n240 down 57\n284 up 57\n286 down 57\n", 290, true, 10, -30,
        true};
    KipRun run = RunKip(StageKeys(s.stage) + s.keys, s.frames);
    CheckStage(run, s);
    EXPECT_GT(CaughtFrames(run).first, KillFrame(run));
}

// Stage 8: the hunters of Kip's floor face him and fire at once; he shoots two of them
// while their bullets fly on and catch him.
TEST(StagesRun, Stage8HuntersFireAtOnce) {
    StageRun s{8, "10 tap 203\n12 down 57\n60 up 57\n62 down 57\n", 70, true, 10, -10, true};
    KipRun run = RunKip(StageKeys(s.stage) + s.keys, s.frames);
    CheckStage(run, s);
    long second = KillFrame(run, KillFrame(run));
    EXPECT_GT(second, 0);
    EXPECT_LT(second, CaughtFrames(run).first);
}

// Stage 2 by real play after the stage keys: in level 1 Kip lures the drifting alien
// along the floor in between and shoots it from the top floor; in level 2 both aliens
// catch him on the ladder; in level 3 he shoots the one of his own floor and is caught
// by the other two. Every level is cleared, and level 4 begins.
TEST(StagesRun, Stage2ThroughThreeLevels) {
    StageRun s{2,
               "10 down 203\n55 up 203\n57 down 200\n137 up 200\n139 down 205\n344 up 205\n"
               "346 down 200\n426 up 200\n428 tap 203\n430 down 57\n440 up 57\n442 tap 57\n"
               "445 down 203\n490 up 203\n492 down 200\n580 tap 57\n650 up 200\n655 tap 57\n"
               "660 tap 57\n663 tap 203\n665 tap 57\n690 down 203\n735 up 203\n737 down 200\n"
               "810 tap 57\n900 tap 57\n",
               910,
               false,
               1,
               -10,
               false};
    KipRun run = RunKip(StageKeys(s.stage) + s.keys, s.frames);
    CheckStage(run, s);

    long level2 = FirstFrame(run.trace, "PRINT", "Level 2");
    long level3 = FirstFrame(run.trace, "PRINT", "Level 3");
    long level4 = FirstFrame(run.trace, "PRINT", "Level 4");
    ASSERT_GT(level2, 0);
    ASSERT_GT(level3, level2);
    ASSERT_GT(level4, level3);
    for (long frame : {level2, level3, level4})
        EXPECT_TRUE(Printed(run, frame, "Stage 2")) << frame;
    // Each level has one alien more, all of them of the drifting kind.
    EXPECT_EQ(AliensDrawn(run, level2 + 10, false).size(), 2u);
    EXPECT_EQ(AliensDrawn(run, level3 + 10, false).size(), 3u);
    // Level 1 ends with a kill, level 2 with two catches, level 3 with a kill and two
    // catches.
    long kill1 = KillFrame(run);
    EXPECT_LT(kill1, level2);
    auto [c1, l1] = CaughtFrames(run, level2);
    auto [c2, l2] = CaughtFrames(run, l1);
    EXPECT_LT(c1, c2);
    EXPECT_LT(l2, level3);
    long kill3 = KillFrame(run, level3);
    auto [c3, l3] = CaughtFrames(run, level3);
    auto [c4, l4] = CaughtFrames(run, l3);
    EXPECT_GT(kill3, level3);
    EXPECT_LT(kill3, c3);
    EXPECT_LT(c3, c4);
    EXPECT_LT(l4, level4);
    // Lives: four at each level start (at most), one less for each catch.
    EXPECT_EQ(Heads(run, level2 + 10), 5);
    EXPECT_EQ(Heads(run, l2), 3);
    EXPECT_EQ(Heads(run, level3 + 10), 4);
    EXPECT_EQ(Heads(run, l4), 2);
}

// The colours the screenshot shows where the trace drew the stars (slots 110, 111)
// and the platform tiles (slot 10) of frame 45, outside every alien bullet's box.
std::vector<std::array<int, 3>> StarAndPlatformColours(const Picture& picture,
                                                       const std::vector<TraceLine>& trace) {
    std::vector<std::pair<int, int>> bullets;
    for (const TraceLine& line : trace)
        if (line.frame == 45 && line.command == "SPRITE" && line.Num(0) == 406)
            bullets.push_back({int(line.Num(1)), int(line.Num(2))});
    auto inBullet = [&](int x, int y) {
        for (auto [bx, by] : bullets)
            if (x >= bx && x < bx + 4 && y >= by && y < by + 4) return true;
        return false;
    };
    std::set<std::array<int, 3>> colours;
    for (const TraceLine& line : trace) {
        if (line.frame != 45 || line.command != "SPRITE") continue;
        int slot = int(line.Num(0)), size = slot == 110 ? 5 : slot == 111 ? 48 : 32;
        if (slot != 10 && slot != 110 && slot != 111) continue;
        for (int dy = 0; dy < size; ++dy)
            for (int dx = 0; dx < size; ++dx) {
                int x = int(line.Num(1)) + dx, y = int(line.Num(2)) + dy;
                const uint8_t* p = picture.Pixel(x, y);
                if (p && picture.Lit(x, y) && !inBullet(x, y)) colours.insert({p[0], p[1], p[2]});
            }
    }
    return {colours.begin(), colours.end()};
}

// An alien bullet fills its 4 x 4 box in a bright colour unlike the black sky, the
// stars and the platforms: every pixel is bright and at least 120 (in red, green and
// blue differences summed) away from each of their colours.
void ExpectBulletStandsOut(const Picture& picture, const std::vector<std::array<int, 3>>& scenery,
                           int x, int y) {
    for (int dy = 0; dy < 4; ++dy)
        for (int dx = 0; dx < 4; ++dx) {
            const uint8_t* p = picture.Pixel(x + dx, y + dy);
            ASSERT_NE(p, nullptr);
            EXPECT_GE(p[0] + p[1] + p[2], 400) << "bullet pixel " << x + dx << "," << y + dy;
            int nearest = 3 * 255;
            for (const auto& c : scenery)
                nearest = std::min(nearest, std::abs(p[0] - c[0]) + std::abs(p[1] - c[1]) +
                                                std::abs(p[2] - c[2]));
            EXPECT_GE(nearest, 120) << "bullet pixel " << x + dx << "," << y + dy;
        }
}

// Level 1 of stage 8: the hunters and their bullets are on the screen where the trace
// puts them.
TEST(StagesRun, ScreenshotShowsCyclopsAndTheirBullets) {
    TestFolder folder("kip_stage8_shot");
    ASSERT_TRUE(folder.Made());
    std::string shot = folder / "stage8.bmp";
    KipRun run = RunKip(StageKeys(8) + "10 tap 203\n12 down 57\n", 48, "--screenshot 45:" + shot);
    ExpectCleanEnd(run);
    Picture picture = ReadBmp(shot);
    ASSERT_EQ(picture.width, 640);
    ASSERT_EQ(picture.height, 480);
    // Screenshot 45 is the picture of the trace lines of frame 45.
    const std::vector<std::array<int, 3>> scenery = StarAndPlatformColours(picture, run.trace);
    ASSERT_GT(scenery.size(), 4u);
    int cyclopsSeen = 0, bulletsSeen = 0;
    for (const TraceLine& line : run.trace) {
        if (line.frame != 45 || line.command != "SPRITE") continue;
        double x = line.Num(1), y = line.Num(2);
        bool onScreen = x >= 0 && x <= 600 && y >= 0 && y <= 400;
        if (line.Num(0) >= 400 && line.Num(0) <= 405 && onScreen) {
            int lit = 0;
            for (int dy = 0; dy < 32; ++dy)
                for (int dx = 0; dx < 32; ++dx) lit += picture.Lit(int(x) + dx, int(y) + dy);
            EXPECT_GT(lit, 100) << "cyclops at " << x << "," << y;
            ++cyclopsSeen;
        }
        if (line.Num(0) == 406 && onScreen) {
            ExpectBulletStandsOut(picture, scenery, int(x), int(y));
            ++bulletsSeen;
        }
    }
    EXPECT_GE(cyclopsSeen, 1);
    EXPECT_GE(bulletsSeen, 2);
}

}  // namespace
