// The whole game to its end with the kip executable, headless and seeded: the start
// screen, the intro, stage 1, the stage keys to stage 8, its three levels cleared by
// play, the victory screen, space, and the start screen again in its final picture.
//
// The keys up to the last alien of stage 8 are the data file whole_game_keys.txt,
// made by the development tool tools/kiproute, which searched them by playing the
// game in-process. What is expected here comes from the game's rules, not from that
// script: stage 8's level screens with 10, 15 and 20 cyclops, no game over, the
// victory screen in the frame after the last alien has gone, the restart through the
// stage screen to the start screen and the intro.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "tests/game/game_test_support.h"
#include "tests/support/TestFolder.h"

namespace {

std::string KeysToTheLastAlien() {
    return ReadFileText(std::string(KIP_SOURCE_DIR) + "/tests/game/whole_game_keys.txt");
}

// The script's last line releases every key in the first frame of play without a
// living alien: its frame.
long FrameOfTheLastLine(const std::string& keys) {
    std::istringstream in(keys);
    long last = -1;
    for (std::string line; std::getline(in, line);)
        if (!line.empty() && line[0] != '#') last = std::stol(line);
    return last;
}

// The test's own keys after the script: space pressed at +100, on the victory screen,
// which has begun by then; the stage screen that follows sees space free at +101 and
// ends on the press at +103, where the game starts again: the start screen's pass with
// space held, then the intro, which sees space free at +105 and ends on the tap at
// +110 with stage 1's screen. The victory screen's hero starts at the top left corner,
// over the congratulation, and has moved clear of it by the screenshot at +90.
struct Ending {
    long last, press, restart, stageOne, frames;
    explicit Ending(long lastLine)
        : last(lastLine), press(lastLine + 100), restart(lastLine + 103),
          stageOne(lastLine + 110), frames(lastLine + 115) {}
    std::string Keys() const {
        return std::to_string(press) + " down 57\n" + std::to_string(press + 1) + " up 57\n" +
               std::to_string(restart) + " down 57\n" + std::to_string(restart + 2) +
               " up 57\n" + std::to_string(stageOne) + " tap 57\n";
    }
};

// Some fifteen thousand frames of some four hundred lines each: only the lines looked
// at are kept, the screens' texts and zoomed pictures, the frame ends, and of the plain
// sprites the cyclops (400 ... 405), the radar (410) and the aliens' marks (412).
const char* const kLinesLookedAt =
    "^[0-9]+ (PRINT|ZOOMSPRITE|ROTOZOOMSPRITE|SHOWSCREEN|SPRITE 4(0[0-5]|1[02]))( |$)";

bool IsCyclops(int slot) { return slot >= 400 && slot <= 405; }

int CyclopsIn(const Frames& frames, long frame) {
    int count = 0;
    for (const TraceLine& line : Lines(frames, frame, "SPRITE"))
        count += IsCyclops(static_cast<int>(line.Num(0)));
    return count;
}

// The last frame in which the text is printed, from a frame on and before another;
// -1 for none.
long LastFrameWith(const Frames& frames, long from, long to, const std::string& text) {
    long last = -1;
    for (long frame = from; frame < std::min<long>(to, frames.size()); ++frame)
        for (const TraceLine& line : Lines(frames, frame, "PRINT"))
            if (line.args.at(0) == text) last = frame;
    return last;
}

// Each level screen of stage 8 ends on space in the pass that begins its play: every
// alien of the level is drawn there, with its radar mark, before any bullet flies.
void ExpectStageEightLevels(const KipRun& run, const Frames& frames, long victory) {
    long stageEight = FirstFrame(run.trace, "PRINT", "Stage 8");
    ASSERT_GT(stageEight, 0);
    const int aliens[] = {10, 15, 20};
    long previous = stageEight;
    for (int level = 1; level <= 3; ++level) {
        SCOPED_TRACE("level " + std::to_string(level));
        long firstPlay =
            LastFrameWith(frames, stageEight, victory, "Level " + std::to_string(level));
        ASSERT_GE(firstPlay, previous);
        ASSERT_LT(firstPlay, victory);
        EXPECT_EQ(Lines(frames, firstPlay, "PRINT").at(0).args[0], "Stage 8");
        EXPECT_EQ(CyclopsIn(frames, firstPlay), aliens[level - 1]);
        EXPECT_EQ(Lines(frames, firstPlay, "SPRITE", 412).size(),
                  static_cast<size_t>(aliens[level - 1]));
        previous = firstPlay;
    }
}

// The pass that shoots the last alien still draws it; the next pass draws the level
// without any alien, the radar with the player's mark alone, and leaves the level: the
// victory screen comes with the frame after.
void ExpectTheLastAlienLeadsToVictory(const Frames& frames, long victory) {
    EXPECT_GE(CyclopsIn(frames, victory - 2), 1);
    EXPECT_EQ(CyclopsIn(frames, victory - 1), 0);
    EXPECT_EQ(Lines(frames, victory - 1, "SPRITE", 410).size(), 1u);
    EXPECT_EQ(Lines(frames, victory - 1, "SPRITE", 412).size(), 0u);
}

// The victory screen to the press: its first pass at zoom 0, then four times enlarged.
// The press ends it without a frame of its own: stage 8's screen follows at level 0.
void ExpectVictoryUntilThePress(const Frames& frames, long victory, const Ending& end) {
    for (long frame = victory; frame < end.press; ++frame) {
        ASSERT_EQ(Lines(frames, frame, "SHOWSCREEN").size(), 1u) << frame;
        ASSERT_EQ(Lines(frames, frame, "PRINT").at(1).args[0], "Herzlichen Glueckwunsch !");
    }
    std::vector<TraceLine> hero = Lines(frames, victory, "ROTOZOOMSPRITE");
    ASSERT_EQ(hero.size(), 1u);
    EXPECT_EQ(hero[0].Num(4), 0);
    hero = Lines(frames, victory + 1, "ROTOZOOMSPRITE");
    ASSERT_EQ(hero.size(), 1u);
    EXPECT_EQ(hero[0].Num(4), 4);
    EXPECT_EQ(LastFrameWith(frames, victory, end.frames, "Du hast Delta 7 befreit !"),
              end.press);
    EXPECT_EQ(LastFrameWith(frames, victory, end.frames, "Level 0"), end.restart);
}

// The start screen again, in its final picture: the hero grown (his zoom of 8 gets its
// hundredth before the drawing and is capped after it), the title (growing in anew: its
// zoom starts again with each visit), no alien and no bullet; the press still held ends
// it in that pass and the intro follows, then stage 1.
void ExpectTheStartScreenAgain(const KipRun& run, const Frames& frames, const Ending& end) {
    int title = 0, grownHero = 0, alienOrBullet = 0;
    for (const TraceLine& line : Lines(frames, end.restart, "ZOOMSPRITE")) {
        int slot = static_cast<int>(line.Num(0));
        title += slot == 300;
        grownHero += (slot == 4 || slot == 40 || slot == 41) && line.Num(3) == 8.01;
        alienOrBullet += (slot >= 200 && slot <= 204) || slot == 9;
    }
    EXPECT_EQ(title, 1);
    EXPECT_EQ(grownHero, 1);
    EXPECT_EQ(alienOrBullet, 0);
    EXPECT_EQ(LastFrameWith(frames, end.restart, end.frames, "Die Raumstation Delta 7 wurde von"),
              end.stageOne);
    EXPECT_EQ(FirstFrame(run.trace, "PRINT", "Stage 1"), 1012);
    EXPECT_EQ(LastFrameWith(frames, end.restart, end.frames, "Stage 1"), end.frames - 1);
}

TEST(WholeGameToTheEnd, StageEightClearedByPlayThenVictoryAndTheStartScreenAgain) {
    const std::string keys = KeysToTheLastAlien();
    ASSERT_FALSE(keys.empty());
    const Ending end(FrameOfTheLastLine(keys));
    ASSERT_GT(end.last, 1033);
    TestFolder folder("kip_victory_run");
    ASSERT_TRUE(folder.Made());
    const std::string shot = folder / "victory.bmp";
    KipRun run = RunGame(KIP_PATH, keys + end.Keys(), static_cast<int>(end.frames),
                         "--screenshot " + std::to_string(end.last + 89) + ":" + shot,
                         kLinesLookedAt);
    ExpectCleanEnd(run);
    const Frames frames = ByFrame(run.trace);
    ASSERT_EQ(static_cast<long>(frames.size()), end.frames);

    const long victory = FirstFrame(run.trace, "PRINT", "Du hast Delta 7 befreit !");
    ASSERT_GT(victory, 1033);
    ASSERT_LE(victory, end.last + 1);
    ExpectStageEightLevels(run, frames, victory);
    EXPECT_EQ(FirstFrame(run.trace, "PRINT", "Du hast alle deine Leben verloren !"), -1);
    ExpectTheLastAlienLeadsToVictory(frames, victory);
    ExpectVictoryUntilThePress(frames, victory, end);
    ExpectTheStartScreenAgain(run, frames, end);

    // The screenshot: the congratulation at the top, the tumbling hero lit in the field
    // he bounces in, between the texts.
    Picture picture = ReadBmp(shot);
    ASSERT_EQ(picture.width, 640);
    EXPECT_GT(picture.LitIn(20, 20, 420, 130), 1500);
    EXPECT_GT(picture.LitIn(0, 130, 640, 390), 1000);
}

}  // namespace
