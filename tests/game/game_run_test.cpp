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

// Runs kip past its start screen and intro with the key script for the given number
// of frames in a fresh folder; keys and frames count from the first stage screen.
KipRun RunKip(const std::string& keys, int frames, const std::string& extra = "") {
    return RunPastTheStartScreens(KIP_PATH, keys, frames, extra);
}

// Leave the stage screen, walk left to the ladder of column 27, climb to the top floor.
const char* const kToTheTopFloor =
    "1 tap 57\n"
    "3 down 203\n48 up 203\n"
    "50 down 200\n230 up 200\n";

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
    // The stage screen shows from the frame in which the intro was left (frame -1).
    EXPECT_EQ(FirstFrame(run.trace, "PRINT", "Level 1"), -1);
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

int LitIn(const Picture& picture, double x, double y) {
    int lit = 0;
    for (int dy = 0; dy < 32; ++dy)
        for (int dx = 0; dx < 32; ++dx) lit += picture.Lit(int(x) + dx, int(y) + dy);
    return lit;
}

TEST(GameRun, ALongScriptOfEventsThatCancelOutGivesTheSameGame) {
    // The walk of the first test, and the same walk among 18 000 more events that leave
    // every frame's keys as they were: pairs on a key the game never reads, space
    // pressed and released within a frame while it is up, and released and pressed
    // again within a frame while it is held (from 260 to 515).
    std::string keys = std::string(kToTheTopFloor) +
                       "232 down 203\n252 up 203\n260 down 57\n"
                       "515 up 57\n520 down 57\n";
    std::string padded = keys;
    for (int i = 0; i < 3000; ++i)
        padded += "0 down 100\n0 up 100\n100 down 57\n100 up 57\n300 up 57\n300 down 57\n";
    KipRun plain = RunKip(keys, 600);
    KipRun crowded = RunKip(padded, 600);
    ExpectCleanEnd(plain);
    ExpectCleanEnd(crowded);
    ASSERT_EQ(plain.trace.size(), crowded.trace.size());
    std::size_t keyLines = 0;
    for (std::size_t i = 0; i < plain.trace.size(); ++i) {
        const TraceLine& a = plain.trace[i];
        const TraceLine& b = crowded.trace[i];
        ASSERT_EQ(a.frame, b.frame) << "line " << i;
        ASSERT_EQ(a.command, b.command) << "line " << i;
        ASSERT_EQ(a.args, b.args) << "line " << i << " " << a.command;
        keyLines += a.command == "KEY";
    }
    // The game asks its keys many times a frame, and space was seen held.
    EXPECT_GT(keyLines, 600u * 10);
    bool spaceHeld = false;
    for (const TraceLine& line : Only(plain.trace, "KEY"))
        spaceHeld = spaceHeld || (line.frame == 300 && line.Num(0) == 57 && line.Num(1) == 1);
    EXPECT_TRUE(spaceHeld);
}

TEST(GameRun, ScreenshotShowsLevelKipAndAlien) {
    TestFolder folder("kip_shot_test");
    ASSERT_TRUE(folder.Made());
    std::string shot = folder / "level.bmp";
    KipRun run = RunKip(kToTheTopFloor, 562, "--screenshot 559:" + shot);
    ExpectCleanEnd(run);
    Picture picture = ReadBmp(shot);
    ASSERT_EQ(picture.width, 640);
    ASSERT_EQ(picture.height, 480);
    // Screenshot 559 is the picture of the trace lines of frame 559.
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
