// A whole game of the kip executable from its first frame, headless and seeded, with
// scripted keys: the start screen with its shot, the intro, stage 1, the stage keys to
// stage 8 with the radar; screenshots of the screens read back.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "tests/game/game_test_support.h"
#include "tests/support/TestFolder.h"

namespace {

// The start screen's pass p is drawn in frame p - 1. Space at 930 ends it; the intro
// sees space free at 932 and ends on the press at 1012; the stage screen sees space
// free at 1014 and ends on the tap at 1016; the stage keys (8, K, I, P) at 1030 start
// stage 8, whose stage screen ends on the tap at 1032.
const char* const kWholeGame =
    "930 down 57\n932 up 57\n1012 down 57\n1014 up 57\n1016 tap 57\n"
    "1030 tap 9 37 23 25\n1032 tap 57\n";
constexpr long kStartEnds = 930, kIntroEnds = 1012, kStageOneEnds = 1016, kStageKeys = 1030,
               kStageEightEnds = 1032, kFrames = 1070;

std::vector<long> Range(long from, long to) {
    std::vector<long> frames;
    for (long f = from; f <= to; ++f) frames.push_back(f);
    return frames;
}

struct Shots {
    TestFolder folder{"kip_screens_run"};
    std::string start = folder / "start.bmp", intro = folder / "intro.bmp",
                stage8 = folder / "stage8.bmp";
    std::string Options() const {
        return "--screenshot 924:" + start + " --screenshot 1009:" + intro +
               " --screenshot 1059:" + stage8;
    }
};

void ExpectStartScreenGrowsShootsAndEndsOnSpace(const KipRun& run, const Frames& frames,
                                                const Shots& shots) {
    const std::vector<TraceLine>& trace = run.trace;
    // The first pass: hero and alien at a hundredth of their size.
    std::vector<TraceLine> hero = Lines(frames, 0, "ZOOMSPRITE", 4);
    ASSERT_EQ(hero.size(), 1u);
    EXPECT_EQ(hero[0].Num(1), 480);
    EXPECT_EQ(hero[0].Num(3), 0.01);
    std::vector<TraceLine> alien = Lines(frames, 0, "ZOOMSPRITE", 200);
    ASSERT_EQ(alien.size(), 1u);
    EXPECT_EQ(alien[0].Num(1), 100);
    EXPECT_EQ(alien[0].Num(3), 0.01);
    // After 800 passes the shot: its sound, the bullet for 23 passes, the hit.
    EXPECT_EQ(FramesOf(trace, "ZOOMSPRITE", 9), Range(800, 822));
    EXPECT_EQ(FramesOf(trace, "PLAYSOUND", 2), std::vector<long>{800});
    EXPECT_EQ(FramesOf(trace, "PLAYSOUND", 0), std::vector<long>{822});
    EXPECT_EQ(FramesOf(trace, "ZOOMSPRITE", 300), Range(823, kStartEnds));
    // The pass in which space is held draws but shows nothing: the intro follows in
    // the same frame.
    EXPECT_EQ(FirstFrame(trace, "PRINT", "Die Raumstation Delta 7 wurde von"), kStartEnds);
    EXPECT_EQ(Lines(frames, kStartEnds, "LOADFONT").size(), 1u);

    Picture picture = ReadBmp(shots.start);
    ASSERT_EQ(picture.width, 640);
    // The title, the hero standing at eight times his size, no alien left at the left.
    EXPECT_GT(picture.LitIn(210, 10, 440, 80), 3000);
    EXPECT_GT(picture.LitIn(420, 160, 580, 340), 10000);
    EXPECT_LT(picture.LitIn(20, 160, 160, 290), 60);
    // The controls picture at full size.
    EXPECT_GT(picture.LitIn(170, 360, 610, 464), 10000);
}

void ExpectIntroTurnsTheFigureAndWaitsForAFreshPress(const KipRun& run, const Frames& frames,
                                                     const Shots& shots) {
    const std::vector<TraceLine>& trace = run.trace;
    // Space is still held when the intro begins: it must be released and pressed again.
    for (long frame = kStartEnds; frame < kIntroEnds; ++frame)
        ASSERT_EQ(Lines(frames, frame, "SHOWSCREEN").size(), 1u) << frame;
    // Pass 80 (frame 1009) is the narrow point: both pictures at 1 - sin 79 degrees.
    std::vector<TraceLine> narrow = Lines(frames, 1009, "ZOOMSPRITE");
    ASSERT_EQ(narrow.size(), 2u);
    EXPECT_EQ(narrow[0].Num(0), 408);
    EXPECT_EQ(narrow[1].Num(0), 409);
    EXPECT_NEAR(narrow[1].Num(3), 1 - std::sin(79 * M_PI / 180), 1e-5);
    EXPECT_EQ(FirstFrame(trace, "PRINT", "Stage 1"), kIntroEnds);

    Picture picture = ReadBmp(shots.intro);
    ASSERT_EQ(picture.width, 640);
    // The story in the game's font, the prompt at the bottom.
    EXPECT_GT(picture.LitIn(20, 20, 560, 190), 2000);
    EXPECT_GT(picture.LitIn(200, 450, 520, 470), 300);
    // The figure is turned edge-on: a sliver a few pixels wide about its centre, x 99.
    int columns = 0;
    for (int x = 30; x < 170; ++x) columns += picture.LitIn(x, 200, x + 1, 400) > 20;
    EXPECT_GE(columns, 1);
    EXPECT_LE(columns, 4);
}

bool IsPlayer(int slot) {
    for (int player : {4, 5, 6, 7, 20, 21, 30, 31, 40, 41, 77, 777})
        if (slot == player) return true;
    return false;
}

// The radar's marks against the drawn pictures of the same frame: a mark is offset
// from the player's by the level distance divided by 19 across and 9 down, and an
// alien's mark stands one pixel higher than the player's would. A hopping cyclops has
// moved 2 pixels since it was drawn (its hop comes after its drawing), so its mark
// may lie 2 / 9 off.
void ExpectRadarMatchesTheAliens(const Frames& frames, long frame, int aliens) {
    SCOPED_TRACE("frame " + std::to_string(frame));
    double kipX = -1, kipY = -1;
    std::vector<TraceLine> drawn, marks;
    TraceLine player;
    for (const TraceLine& line : Lines(frames, frame, "SPRITE")) {
        int slot = static_cast<int>(line.Num(0));
        if (IsPlayer(slot)) kipX = line.Num(1), kipY = line.Num(2);
        if (slot >= 400 && slot <= 405) drawn.push_back(line);
        if (slot == 411) player = line;
        if (slot == 412) marks.push_back(line);
    }
    ASSERT_GE(kipX, 0);
    ASSERT_EQ(Lines(frames, frame, "SPRITE", 410).size(), 1u);
    ASSERT_EQ(drawn.size(), static_cast<size_t>(aliens));
    ASSERT_EQ(marks.size(), drawn.size());
    for (size_t k = 0; k < drawn.size(); ++k) {
        EXPECT_NEAR(marks[k].Num(1) - player.Num(1), (drawn[k].Num(1) - kipX) / 19, 2e-3);
        EXPECT_NEAR(marks[k].Num(2) - player.Num(2), (drawn[k].Num(2) - kipY) / 9 - 1,
                    2.0 / 9 + 2e-3);
    }
}

void ExpectStageKeysLeadToStageEightWithTheRadar(const KipRun& run, const Frames& frames,
                                                 const Shots& shots) {
    const std::vector<TraceLine>& trace = run.trace;
    // Stage 1: one type-1 alien on the radar.
    EXPECT_EQ(Lines(frames, kStageOneEnds + 5, "SPRITE", 412).size(), 1u);
    EXPECT_EQ(FirstFrame(trace, "PRINT", "Stage 8"), kStageKeys);
    EXPECT_EQ(Lines(frames, kStageKeys, "PRINT").at(1).args[0], "Level 1");
    // Stage 8, level 1: ten type-4 aliens, each with its mark; the radar in every frame.
    // In every frame of play, until the run ends or a cyclops bullet catches the player.
    long caught = FirstFrame(trace, "PRINT", "Du wurdest erwischt");
    long end = caught < 0 ? kFrames : caught;
    ASSERT_GT(end, 1060);
    for (long frame = kStageEightEnds + 1; frame < end; ++frame)
        ExpectRadarMatchesTheAliens(frames, frame, 10);
    std::vector<long> radar = FramesOf(trace, "SPRITE", 410);
    EXPECT_EQ(radar.front(), kStageOneEnds);

    Picture picture = ReadBmp(shots.stage8);
    ASSERT_EQ(picture.width, 640);
    // The frame shown as the 1060th carries the trace lines of frame 1059: every mark
    // is drawn in its colour, red for the aliens and cyan for the player.
    int red = 0;
    for (const TraceLine& line : Lines(frames, 1059, "SPRITE", 412)) {
        const uint8_t* p =
            picture.Pixel(static_cast<int>(line.Num(1)) + 1, static_cast<int>(line.Num(2)) + 1);
        ASSERT_NE(p, nullptr);
        red += p[0] > 200 && p[1] < 120 && p[2] < 120;
    }
    EXPECT_EQ(red, 10);
    std::vector<TraceLine> player = Lines(frames, 1059, "SPRITE", 411);
    ASSERT_EQ(player.size(), 1u);
    const uint8_t* p = picture.Pixel(static_cast<int>(player[0].Num(1)) + 1,
                                     static_cast<int>(player[0].Num(2)) + 1);
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(p[0] < 160 && p[1] > 200 && p[2] > 200);
}

TEST(WholeGame, StartScreenIntroStageOneAndStageEight) {
    Shots shots;
    ASSERT_TRUE(shots.folder.Made());
    KipRun run = RunGame(KIP_PATH, kWholeGame, kFrames, shots.Options());
    ExpectCleanEnd(run);
    const Frames frames = ByFrame(run.trace);
    ExpectStartScreenGrowsShootsAndEndsOnSpace(run, frames, shots);
    ExpectIntroTurnsTheFigureAndWaitsForAFreshPress(run, frames, shots);
    ExpectStageKeysLeadToStageEightWithTheRadar(run, frames, shots);
}

}  // namespace
