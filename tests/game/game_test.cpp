// The game's routines called directly on a running runtime: level set-up and stage
// progression, the player's movement, jumps and ladders, bullets, type-1 aliens,
// lives, the caught and game-over screens, the music switch and the main loop.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "commands/kv.h"
#include "files/TemporaryFolder.h"
#include "game/kip_globals.h"
#include "game/kip_routines.h"
#include "runtime/Options.h"
#include "tests/game/game_test_support.h"
#include "tests/support/TestFolder.h"

namespace g = kipgame;

namespace {

constexpr int kLeft = 203, kRight = 205, kUp = 200, kDown = 208, kAlt = 56, kSpace = 57, kM = 50;

// A level ready for play without the screens: field built, actor arrays dimensioned,
// player at the level start, no aliens.
void FreshLevel() {
    g::ResetAllVariables();
    g::level_1_initial();
    for (KvIntArray* a :
         {&g::tac, &g::tacy, &g::tacschalter, &g::kugel1g, &g::fluglinksg, &g::kugel2g,
          &g::flugrechtsg, &g::kugel1h, &g::fluglinksh, &g::kugel2h, &g::flugrechtsh})
        DIM(*a, 25);
    g::gegner1zahl = g::gegner2zahl = g::gegner3zahl = g::gegner4zahl = -1;
    HoldKeys({});
}

std::vector<double> Slots(const std::vector<TraceLine>& sprites) {
    std::vector<double> out;
    for (const TraceLine& line : sprites) out.push_back(line.Num(0));
    return out;
}

// A traced PLAYSOUND as "slot pan volume".
std::string SoundArgs(const TraceLine& line) {
    char text[64];
    std::snprintf(text, sizeof text, "%g %g %g", line.Num(0), line.Num(1), line.Num(2));
    return text;
}

// A traced PRINT as "text x y".
std::string PrintArgs(const TraceLine& line) {
    char text[1100];
    std::snprintf(text, sizeof text, "%s %g %g", line.args.empty() ? "" : line.args[0].c_str(),
                  line.Num(1), line.Num(2));
    return text;
}

// Calls level with space free for one frame and then pressed, so the stage screen
// is left after two passes.
void LevelWithSpace() {
    KeysFromNow({"+1 tap 57"});
    g::level();
}

// ---------------------------------------------------------------------------------
// Level

// The level field, rows 8 ... 30 and columns 0 ... 60; all other cells are empty.
const char* const kField[] = {
    "+...........................................................+",
    "|...........................................................|",
    "|==H=H=====================H==.=========H=========.=======H=|",
    "|..H.H.....................H............H.................H.|",
    "|..H.H.....................H............H.................H.|",
    "|..H.H.....................H............H.................H.|",
    "|..H.H.....................H............H.................H.|",
    "|==H=H=====================H============H=================H=|",
    "|..H.H.....................H............H.................H.|",
    "|..H.H.....................H............H.................H.|",
    "|..H.H.....................H............H.................H.|",
    "|..H.H.....................H............H.................H.|",
    "|==H================.=============H=.=====================H=|",
    "|..H..............................H.......................H.|",
    "|..H..............................H.......................H.|",
    "|..H..............................H.......................H.|",
    "|==H======.===================H===========================H=|",
    "|..H..........................H...........................H.|",
    "|..H..........................H...........................H.|",
    "|..H..........................H...........................H.|",
    "|===========================================================|",
    "|...........................................................|",
    "+...........................................................+",
};

double ExpectedCell(int row, int column) {
    if (row < 8 || row > 30 || column > 60) return 0;
    char c = kField[row - 8][column];
    switch (c) {
        case '=':
            return 1;
        case 'H':
            return 3;
        case '|':
            return column == 0 ? 2 : 22;
        case '+':
            return row == 8 ? 222 : (column == 0 ? 2222 : 22222);
        default:
            return 0;
    }
}

TEST(Level, FieldIsBuiltRowByRow) {
    FreshLevel();
    EXPECT_EQ(g::spielfeldgrossex, 65);
    EXPECT_EQ(g::spielfeldgrossey, 50);
    EXPECT_EQ(g::walkh, 320);
    for (int row = 0; row < 50; ++row) {
        std::string got, want;
        for (int column = 0; column < 65; ++column) {
            got += std::to_string(static_cast<int>(g::feld(row, column))) + ",";
            want += std::to_string(static_cast<int>(ExpectedCell(row, column))) + ",";
        }
        EXPECT_EQ(got, want) << "row " << row;
    }
    for (int k = 0; k < 100; ++k) {
        EXPECT_GE(g::sternx(k), 0);
        EXPECT_LE(g::sternx(k), 1919);  // RND(n) gives 0 to n inclusive
        EXPECT_GE(g::sterny(k), 0);
        EXPECT_LE(g::sterny(k), 1439);
    }
}

TEST(Level, DrawingShiftsByTheView) {
    FreshLevel();
    g::scrollx = 100;
    g::scrolly = -50;
    TraceCapture trace;
    g::level_1();
    std::vector<TraceLine> sprites = Only(trace.Stop(), "SPRITE");
    ASSERT_FALSE(sprites.empty()) << "SPRITE is not traced yet";
    // 100 stars, the big star, the cells, the four wall ends.
    int stars = 0, bigStar = 0, tiles = 0, ladders = 0, left = 0, right = 0;
    bool ladderTile = false, ladderAt = false;
    for (const TraceLine& s : sprites) {
        int slot = static_cast<int>(s.Num(0));
        if (slot == 110) ++stars;
        if (slot == 111) {
            ++bigStar;
            EXPECT_EQ(s.Num(1), 300 - 50);
            EXPECT_EQ(s.Num(2), -360 + 50);
        }
        if (slot == 10) ++tiles;
        if (slot == 11) ++ladders;
        if (slot == 50) ++left;
        if (slot == 51) ++right;
        // Ladder cell (10, 3) with a platform to its right: tile and ladder 2 lower.
        double x = 32 * 3 - 640 - 100, y = 32 * 10 - 480 + 50;
        if (slot == 10 && s.Num(1) == x && s.Num(2) == y) ladderTile = true;
        // The ladder is drawn over the tile of its own cell.
        if (slot == 11 && s.Num(1) == x && s.Num(2) == y + 2) ladderAt = ladderTile;
    }
    EXPECT_EQ(stars, 100);
    EXPECT_EQ(bigStar, 1);
    EXPECT_EQ(left, 21);
    EXPECT_EQ(right, 21);
    // Ladder cells: 4 + 4 + 10 + 10 + 10 + 18 + 18.
    EXPECT_EQ(ladders, 74);
    // Platform cells: 5 x 59 - 5 gaps - 16 crossed by ladders; plus the ladder cells
    // whose right neighbour is a platform (16 of them).
    EXPECT_EQ(tiles, 5 * 59 - 5 - 16 + 16);
    EXPECT_TRUE(ladderTile);
    EXPECT_TRUE(ladderAt);
    // The wall ends close the drawing: top left, bottom left, top right, bottom right.
    ASSERT_GE(sprites.size(), 4u);
    const double ends[4][3] = {{54, -640 - 100, -224 + 50},
                               {52, -640 - 100, 480 + 50},
                               {54, 1280 - 100, -224 + 50},
                               {53, 1280 - 100, 480 + 50}};
    for (int k = 0; k < 4; ++k) {
        const TraceLine& end = sprites[sprites.size() - 4 + k];
        EXPECT_EQ(end.Num(0), ends[k][0]) << k;
        EXPECT_EQ(end.Num(1), ends[k][1]) << k;
        EXPECT_EQ(end.Num(2), ends[k][2]) << k;
    }
}

struct StageStep {
    double round, levelz, g1, g2, g3, g4, roundcount;
};

TEST(Level, StageProgressionCallByCall) {
    g::ResetAllVariables();
    DIM(g::kugel1g, 25);
    DIM(g::fluglinksg, 25);
    DIM(g::kugel2g, 25);
    DIM(g::flugrechtsg, 25);
    DIM(g::kugel1h, 25);
    DIM(g::fluglinksh, 25);
    DIM(g::kugel2h, 25);
    DIM(g::flugrechtsh, 25);
    g::spielstart();
    EXPECT_EQ(g::lives, 3);
    // Calls 1 ... 33 of level in one game.
    const StageStep steps[] = {
        {1, 1, 0, -1, -1, -1, 0},
        {1, 2, 1, -1, -1, -1, 0},
        {1, 3, 2, -1, -1, -1, 0},
        {1, 4, 3, -1, -1, -1, 0},
        {1, 5, 4, -1, -1, -1, 0},
        {2, 1, -1, 0, -1, -1, 0},
        {2, 2, -1, 1, -1, -1, 0},
        {2, 3, -1, 2, -1, -1, 0},
        {2, 4, -1, 3, -1, -1, 0},
        {2, 5, -1, 4, -1, -1, 0},
        {3, 1, -1, -1, 0, -1, 0},
        {3, 2, -1, -1, 1, -1, 0},
        {3, 3, -1, -1, 2, -1, 0},
        {3, 4, -1, -1, 3, -1, 0},
        {3, 5, -1, -1, 4, -1, 0},
        {4, 1, -1, -1, -1, 0, 0},
        {4, 2, -1, -1, -1, 1, 0},
        {4, 3, -1, -1, -1, 2, 0},
        {4, 4, -1, -1, -1, 3, 0},
        {4, 5, -1, -1, -1, 4, 0},
        {5, 1, 9, -1, -1, -1, 5},
        {5, 2, 14, -1, -1, -1, 5},
        {5, 3, 19, -1, -1, -1, 5},
        {6, 1, -1, 9, -1, -1, 6},
        {6, 2, -1, 14, -1, -1, 6},
        {6, 3, -1, 19, -1, -1, 6},
        {7, 1, -1, -1, 9, -1, 7},
        {7, 2, -1, -1, 14, -1, 7},
        {7, 3, -1, -1, 19, -1, 7},
        {8, 1, -1, -1, -1, 9, 8},
        {8, 2, -1, -1, -1, 14, 8},
        {8, 3, -1, -1, -1, 19, 8},
        // The victory point: stage 8 completed, the stage screen shows level 0.
        {8, 0, -1, -1, -1, 24, 9},
    };
    int call = 0;
    for (const StageStep& want : steps) {
        ++call;
        g::kugel1 = 1;
        g::fluglinks = 30;
        g::kugel2g(7) = 1;
        g::flugrechtsh(24) = 40;
        g::levelnext = 1;
        // The call that completes stage 8 shows the victory screen first: two passes,
        // left with a fresh press of space, which the stage screen then sees held.
        bool victory = want.roundcount == 9;
        TraceCapture trace;
        if (victory) {
            KeysFromNow({"+1 tap 57", "+3 tap 57"});
            g::level();
        } else {
            LevelWithSpace();
        }
        std::vector<TraceLine> prints = Only(trace.Stop(), "PRINT");
        if (victory) {
            ASSERT_EQ(prints.size(), 6u + 9u);
            EXPECT_EQ(PrintArgs(prints[0]), "Du hast Delta 7 befreit ! 20 20");
            EXPECT_EQ(g::sterben, 1);
            prints.erase(prints.begin(), prints.begin() + 6);
        }
        EXPECT_EQ(g::round, want.round) << "call " << call;
        EXPECT_EQ(g::levelz, want.levelz) << "call " << call;
        EXPECT_EQ(g::gegner1zahl, want.g1) << "call " << call;
        EXPECT_EQ(g::gegner2zahl, want.g2) << "call " << call;
        EXPECT_EQ(g::gegner3zahl, want.g3) << "call " << call;
        EXPECT_EQ(g::gegner4zahl, want.g4) << "call " << call;
        EXPECT_EQ(g::roundcount, want.roundcount) << "call " << call;
        EXPECT_EQ(g::levelnext, 0);
        EXPECT_EQ(g::kugel1, 0);
        EXPECT_EQ(g::fluglinks, 0);
        EXPECT_EQ(g::kugel2g(7), 0);
        EXPECT_EQ(g::flugrechtsh(24), 0);
        EXPECT_EQ(g::lives, 4) << "call " << call;  // 3 -> 4 at the first, then at most 4
        // The stage screen: two passes (three after the victory screen), each printing
        // the stage and the level.
        ASSERT_EQ(prints.size(), victory ? 9u : 6u) << "call " << call << " (is PRINT traced?)";
        char stage[32], level[32];
        std::snprintf(stage, sizeof stage, "Stage %g", want.round);
        std::snprintf(level, sizeof level, "Level %g", want.levelz);
        EXPECT_EQ(PrintArgs(prints[0]), std::string(stage) + " 200 200");
        EXPECT_EQ(PrintArgs(prints[1]), std::string(level) + " 200 240");
        EXPECT_EQ(PrintArgs(prints[2]), "Weiter mit Leertaste 200 400");
    }
}

TEST(Level, StageScreenNeedsSpaceSeenFree) {
    g::ResetAllVariables();
    FreshLevel();
    g::spielstart();
    // Space already held when the screen appears: released at +3, pressed at +5.
    KeysFromNow({"+0 down 57", "+3 up 57", "+5 down 57"});
    long first = KvFrameNumber();
    TraceCapture trace;
    g::level();
    std::vector<TraceLine> lines = trace.Stop();
    EXPECT_EQ(KvFrameNumber() - first, 5);
    EXPECT_EQ(Only(lines, "SHOWSCREEN").size(), 5u);
    // The cyclops walks right at 1 pixel a frame from 60, four times enlarged.
    std::vector<TraceLine> zoom = Only(lines, "ZOOMSPRITE");
    ASSERT_EQ(zoom.size(), 5u);
    EXPECT_EQ(zoom[0].Num(1), 60);
    EXPECT_EQ(zoom[4].Num(1), 64);
    EXPECT_EQ(zoom[1].Num(2), 100);
    EXPECT_EQ(zoom[1].Num(3), 4);
}

// The cyclops of the stage and caught screens: three pictures of ten passes each,
// facing its way; it turns at 540 and 60, standing still in the turning pass.
TEST(Level, CyclopsWalksAndTurns) {
    g::ResetAllVariables();
    g::tiuzoom = 400;
    g::laufen = 538;
    g::tiu = 9;
    TraceCapture trace;
    for (int k = 0; k < 3; ++k) g::zyklopLaeuft(100);
    g::laufen = 61;
    g::tiu = 19;
    for (int k = 0; k < 2; ++k) g::zyklopLaeuft(200);
    g::tiu = 29;
    g::zyklopLaeuft(200);
    std::vector<std::string> drawn;
    for (const TraceLine& z : Only(trace.Stop(), "ZOOMSPRITE")) {
        char text[64];
        std::snprintf(text, sizeof text, "%g@%g,%g*%g", z.Num(0), z.Num(1), z.Num(2), z.Num(3));
        drawn.push_back(text);
    }
    EXPECT_EQ(drawn, (std::vector<std::string>{"400@538,100*4", "401@539,100*4", "404@539,100*4",
                                               "404@61,200*4", "402@60,200*4", "402@61,200*4"}));
    EXPECT_EQ(g::tiu, 0);
    EXPECT_EQ(g::tiuschalter, 0);
}

// ---------------------------------------------------------------------------------
// Player

TEST(Player, WalkCyclesLeftAndRight) {
    FreshLevel();
    g::vertikal = g::walkv = 150;
    HoldKeys({kLeft});
    TraceCapture trace;
    for (int k = 0; k < 9; ++k) g::kip();
    std::vector<TraceLine> sprites = Only(trace.Stop(), "SPRITE");
    EXPECT_EQ(Slots(sprites), (std::vector<double>{5, 20, 21, 20, 5, 20, 21, 20, 5}));
    ASSERT_EQ(sprites.size(), 9u);
    EXPECT_EQ(sprites[0].Num(1), 318);
    EXPECT_EQ(sprites[8].Num(1), 302);
    EXPECT_EQ(g::blicka, 1);

    HoldKeys({kRight, kUp});  // a diagonal walks with the walking pictures
    TraceCapture trace2;
    for (int k = 0; k < 5; ++k) g::kip();
    EXPECT_EQ(Slots(Only(trace2.Stop(), "SPRITE")), (std::vector<double>{6, 30, 31, 30, 6}));
    EXPECT_EQ(g::walkh, 312);
    EXPECT_EQ(g::blicka, 2);

    HoldKeys({});
    TraceCapture trace3;
    g::kip();
    EXPECT_EQ(Slots(Only(trace3.Stop(), "SPRITE")), (std::vector<double>{6}));
}

TEST(Player, ClimbPicturesAndStanding) {
    FreshLevel();
    g::vertikal = g::walkv = 200;
    HoldKeys({kUp});
    TraceCapture trace;
    for (int k = 0; k < 33; ++k) g::kip();
    std::vector<TraceLine> sprites = Only(trace.Stop(), "SPRITE");
    ASSERT_EQ(sprites.size(), 33u);
    std::vector<double> want;
    for (int c = 1; c <= 32; ++c) want.push_back((c - 1) / 8 % 2 == 0 ? 77 : 777);
    want.push_back(77);  // the counter starts again after 32
    EXPECT_EQ(Slots(sprites), want);
    // The up step only lifts the picture: kip puts walkv back on vertikal.
    EXPECT_EQ(sprites[0].Num(2), 197);
    EXPECT_EQ(g::walkv, 200);
    EXPECT_EQ(g::blicka, 3);

    HoldKeys({});
    TraceCapture trace2;
    g::kip();
    EXPECT_EQ(Slots(Only(trace2.Stop(), "SPRITE")), (std::vector<double>{7}));

    HoldKeys({kDown});
    g::kip();
    HoldKeys({});
    TraceCapture trace3;
    g::kipstand = 0;
    for (int k = 0; k < 41; ++k) g::kip();
    std::vector<double> stand = Slots(Only(trace3.Stop(), "SPRITE"));
    ASSERT_EQ(stand.size(), 41u);
    EXPECT_EQ(stand[0], 4);
    EXPECT_EQ(stand[8], 40);
    EXPECT_EQ(stand[16], 41);
    EXPECT_EQ(stand[24], 40);
    EXPECT_EQ(stand[32], 4);
    EXPECT_EQ(stand[39], 4);
    EXPECT_EQ(stand[40], 4);  // counter 40 went back to 1, now 2
    EXPECT_EQ(g::kipstand, 2);
}

TEST(Player, OppositeKeysFaceTheViewer) {
    FreshLevel();
    g::vertikal = g::walkv = 200;
    HoldKeys({kLeft, kRight});
    TraceCapture trace;
    g::kip();
    EXPECT_EQ(Slots(Only(trace.Stop(), "SPRITE")), (std::vector<double>{4}));
    EXPECT_EQ(g::walkh, 320);
    HoldKeys({kLeft, kRight, kUp, kDown});
    TraceCapture trace2;
    g::kip();
    EXPECT_EQ(Slots(Only(trace2.Stop(), "SPRITE")), (std::vector<double>{4, 4}));
}

TEST(Player, ScrollLimits) {
    FreshLevel();
    g::vertikal = g::walkv = 200;
    // Left end of the level: free walking down to 28.
    g::scrollx = -640;
    g::walkh = 30;
    HoldKeys({kLeft});
    g::kip();
    EXPECT_EQ(g::walkh, 28);
    TraceCapture trace;
    g::kip();
    EXPECT_EQ(Only(trace.Stop(), "SPRITE").at(0).Num(1), 26);
    EXPECT_EQ(g::walkh, 28);
    EXPECT_EQ(g::scrollx, -640);
    EXPECT_EQ(g::scrolllinksschalter, 0);

    // Right end: up to 572.
    g::scrollx = 683;
    g::walkh = 570;
    HoldKeys({kRight});
    g::kip();
    g::kip();
    EXPECT_EQ(g::walkh, 572);
    EXPECT_EQ(g::scrollx, 683);

    // Scrolling left at 150: the picture stands 2 pixels beyond.
    g::scrollx = 0;
    g::walkh = 150;
    HoldKeys({kLeft});
    TraceCapture trace2;
    g::kip();
    EXPECT_EQ(Only(trace2.Stop(), "SPRITE").at(0).Num(1), 148);
    EXPECT_EQ(g::walkh, 150);
    EXPECT_EQ(g::scrollx, -2);
    EXPECT_EQ(g::scrolllinksschalter, 1);
    HoldKeys({});
    g::kip();
    EXPECT_EQ(g::scrolllinksschalter, 0);

    // Scrolling right at 450.
    g::walkh = 450;
    HoldKeys({kRight});
    TraceCapture trace3;
    g::kip();
    EXPECT_EQ(Only(trace3.Stop(), "SPRITE").at(0).Num(1), 452);
    EXPECT_EQ(g::walkh, 450);
    EXPECT_EQ(g::scrollx, 0);
    EXPECT_EQ(g::scrollrechtsschalter, 1);

    // The scroll offset is clamped at its limits.
    g::scrollx = -700;
    g::walkh = 320;
    HoldKeys({});
    g::kip();
    EXPECT_EQ(g::scrollx, -640);
}

TEST(Player, VerticalFollowing) {
    FreshLevel();
    g::vertikal = 340;
    g::walkv = 100;
    g::scrolly = 10;
    g::kip();
    EXPECT_EQ(g::vertikal, 330);
    EXPECT_EQ(g::walkv, 340);  // walkv takes vertikal before the clamp
    EXPECT_EQ(g::scrolly, 12);
    g::vertikal = 140;
    g::kip();
    EXPECT_EQ(g::vertikal, 150);
    EXPECT_EQ(g::scrolly, 10);
    // During a jump nothing follows.
    g::kipjumpi = 1;
    g::vertikal = 100;
    g::walkv = 50;
    g::kip();
    EXPECT_EQ(g::walkv, 50);
    EXPECT_EQ(g::vertikal, 100);
    EXPECT_EQ(g::scrolly, 10);
}

// Column 30 (walkh 320, scrollx 0) has platform rows 15, 20, 24, 28; column 20
// (scrollx -330) has a gap in row 20; column 27 (scrollx -100) a ladder in rows 10-19.
TEST(Player, GravityStopsOnThePlatformBelowAGap) {
    FreshLevel();
    g::scrollx = -330;
    g::vertikal = 150;  // foot in row 20, the gap
    g::leiterklettern();
    EXPECT_EQ(g::vertikal, 152);
    for (int k = 0; k < 100; ++k) g::leiterklettern();
    // Foot at level y 288, the top of row 24.
    EXPECT_EQ(g::vertikal, 262);
}

TEST(Player, PushOutOfAPlatform) {
    FreshLevel();
    g::vertikal = 140;  // body in row 20
    g::leiterklettern();
    EXPECT_EQ(g::vertikal, 138);
    for (int k = 0; k < 10; ++k) g::leiterklettern();
    EXPECT_EQ(g::vertikal, 134);  // foot 160 in the platform, body 159 above it
    // During a jump neither gravity nor push-out act.
    g::kipjumpi = 1;
    g::vertikal = 140;
    g::leiterklettern();
    EXPECT_EQ(g::vertikal, 140);
}

TEST(Player, ClimbingLadders) {
    FreshLevel();
    g::scrollx = -100;
    g::vertikal = 134;  // standing on row 20 under the ladder of column 27
    HoldKeys({kUp});
    for (int k = 0; k < 10; ++k) g::leiterklettern();
    EXPECT_EQ(g::vertikal, 114);
    HoldKeys({});
    g::leiterklettern();
    EXPECT_EQ(g::vertikal, 114);  // a ladder cell holds the player
    HoldKeys({kDown});
    for (int k = 0; k < 30; ++k) g::leiterklettern();
    // Down only while the foot cell is a ladder: it stops where row 20 begins.
    EXPECT_EQ(g::vertikal, 134);
    // On a plain platform cursor down does nothing.
    g::scrollx = 0;
    g::leiterklettern();
    EXPECT_EQ(g::vertikal, 134);
}

TEST(Player, JumpArcOf86Frames) {
    FreshLevel();
    g::scrolly = -16;
    g::vertikal = g::walkv = 150;  // standing on row 20
    HoldKeys({kAlt});
    g::kip();
    ASSERT_EQ(g::kipjumpi, 1);
    HoldKeys({});
    TraceCapture trace;
    std::vector<double> walkv;
    for (int frame = 1; frame <= 86; ++frame) {
        g::jump();
        walkv.push_back(g::walkv);
    }
    std::vector<TraceLine> sounds = Only(trace.Stop(), "PLAYSOUND");
    EXPECT_EQ(walkv[0], 148);
    EXPECT_EQ(walkv[39], 150 - 80);
    EXPECT_EQ(walkv[40], 150 - 80);
    EXPECT_EQ(walkv[44], 150 - 80);
    EXPECT_EQ(walkv[45], 150 - 78);
    EXPECT_EQ(walkv[85], 152);
    EXPECT_EQ(g::kipjumpi, 0);
    EXPECT_EQ(g::jumper, 0);
    ASSERT_EQ(sounds.size(), 1u);
    EXPECT_EQ(SoundArgs(sounds[0]), "1 0 1");  // centre, full volume
    g::kip();
    EXPECT_EQ(g::walkv, 150);
}

TEST(Player, JumpNeedsGroundAndIsCancelledByUpOrDown) {
    FreshLevel();
    g::scrollx = -330;
    g::vertikal = g::walkv = 150;  // over the gap
    HoldKeys({kAlt});
    g::kip();
    EXPECT_EQ(g::kipjumpi, 0);

    g::scrollx = 0;
    g::scrolly = -16;
    g::vertikal = g::walkv = 150;
    g::kip();
    ASSERT_EQ(g::kipjumpi, 1);
    HoldKeys({});
    for (int k = 0; k < 10; ++k) g::jump();
    EXPECT_EQ(g::walkv, 130);
    HoldKeys({kUp});
    g::jump();
    EXPECT_EQ(g::kipjumpi, 0);
    EXPECT_EQ(g::jumper, 0);
    EXPECT_EQ(g::walkv, 130);
    HoldKeys({});
    g::kip();
    EXPECT_EQ(g::walkv, 150);

    HoldKeys({kAlt});
    g::kip();
    HoldKeys({kDown});
    g::jump();
    EXPECT_EQ(g::kipjumpi, 0);
}

// ---------------------------------------------------------------------------------
// Shots

TEST(Shots, FiredWhereThePlayerFaces) {
    FreshLevel();
    g::walkh = 320;
    g::walkv = 150;
    g::blicka = 3;
    HoldKeys({kSpace});
    g::shot();
    EXPECT_EQ(g::kugel1 + g::kugel2, 0);

    g::blicka = 1;
    TraceCapture trace;
    g::shot();
    g::kugelfliegt();
    g::kugelfliegt();
    std::vector<TraceLine> lines = trace.Stop();
    EXPECT_EQ(g::kugel1, 1);
    EXPECT_EQ(g::xkugel1, 322);
    EXPECT_EQ(g::ykugel1, 168);
    ASSERT_EQ(Only(lines, "PLAYSOUND").size(), 1u);
    EXPECT_EQ(SoundArgs(Only(lines, "PLAYSOUND")[0]), "2 0 1");
    std::vector<TraceLine> sprites = Only(lines, "SPRITE");
    ASSERT_EQ(sprites.size(), 2u);
    EXPECT_EQ(sprites[0].Num(1), 322);
    EXPECT_EQ(sprites[0].Num(2), 168);
    EXPECT_EQ(sprites[1].Num(1), 312);
    // Space held again: no second left bullet while one flies.
    g::shot();
    EXPECT_EQ(g::xkugel1, 322);

    g::blicka = 2;
    g::shot();
    EXPECT_EQ(g::kugel2, 1);
    EXPECT_EQ(g::xkugel2, 344);
    EXPECT_EQ(g::ykugel2, 168);
}

TEST(Shots, LeftBulletLeavingEndsTheFrameForTheRightOne) {
    FreshLevel();
    g::kugel1 = 1;
    g::xkugel1 = 5;
    g::fluglinks = 10;
    g::kugel2 = 1;
    g::xkugel2 = 300;
    g::flugrechts = 20;
    TraceCapture trace;
    g::kugelfliegt();
    std::vector<TraceLine> sprites = Only(trace.Stop(), "SPRITE");
    ASSERT_EQ(sprites.size(), 1u);
    EXPECT_EQ(sprites[0].Num(1), -5);
    EXPECT_EQ(g::kugel1, 0);
    EXPECT_EQ(g::fluglinks, 0);
    EXPECT_EQ(g::flugrechts, 20);  // not moved in this frame
    g::kugelfliegt();
    EXPECT_EQ(g::flugrechts, 30);
    // The right bullet ends beyond 640.
    g::xkugel2 = 640;
    g::flugrechts = 10;
    g::kugelfliegt();
    EXPECT_EQ(g::kugel2, 0);
    EXPECT_EQ(g::flugrechts, 0);
}

// ---------------------------------------------------------------------------------
// Type-1 aliens

void OneAlien(double x, double y, double direction) {
    g::gegner1zahl = 0;
    g::tac(0) = x;
    g::tacy(0) = y;
    g::tacschalter(0) = direction;
}

TEST(Aliens, PatrolTurnsAtBothEnds) {
    FreshLevel();
    g::walkh = 320;
    g::walkv = 400;
    OneAlien(-600, -160, 0);
    g::gegner();
    // The four patrol steps turn it and move it in the same frame.
    EXPECT_EQ(g::tac(0), -597);
    EXPECT_EQ(g::tacschalter(0), 1);
    OneAlien(-597, -160, 0);
    g::gegner();
    EXPECT_EQ(g::tac(0), -600);
    EXPECT_EQ(g::tacschalter(0), 0);
    // At the right end it turns in the frame it arrives and stays where it was.
    OneAlien(1257, -160, 1);
    g::gegner();
    EXPECT_EQ(g::tac(0), 1257);
    EXPECT_EQ(g::tacschalter(0), 0);
    g::gegner();
    EXPECT_EQ(g::tac(0), 1254);
}

TEST(Aliens, DrawnByTheAnimationCounterAndKeepTheLevelAlive) {
    FreshLevel();
    g::walkh = 320;
    g::walkv = 400;
    g::scrollx = 100;
    g::scrolly = -20;
    OneAlien(500, 0, 0);
    g::tic = 0;
    g::levelnext = 1;
    TraceCapture trace;
    for (int k = 0; k < 30; ++k) g::gegner();
    std::vector<TraceLine> sprites = Only(trace.Stop(), "SPRITE");
    ASSERT_EQ(sprites.size(), 30u);
    EXPECT_EQ(sprites[0].Num(0), 200);
    EXPECT_EQ(sprites[0].Num(1), 400);
    EXPECT_EQ(sprites[0].Num(2), -26 + 20);
    EXPECT_EQ(sprites[5].Num(0), 200);
    EXPECT_EQ(sprites[6].Num(0), 201);
    EXPECT_EQ(sprites[29].Num(0), 204);
    EXPECT_EQ(g::tic, 0);
    EXPECT_EQ(g::levelnext, 0);

    // A dead alien is neither drawn nor keeps the level; the counter still runs.
    g::tac(0) = 5555;
    g::levelnext = 1;
    TraceCapture trace2;
    g::gegner();
    EXPECT_TRUE(Only(trace2.Stop(), "SPRITE").empty());
    EXPECT_EQ(g::levelnext, 1);
    EXPECT_EQ(g::tic, 1);
    g::gegner1zahl = -1;
    g::gegner();
    EXPECT_EQ(g::tic, 2);
}

TEST(Aliens, BulletKillsTheAlienAndBothBullets) {
    FreshLevel();
    g::walkh = 600;
    g::walkv = 400;
    OneAlien(303, 160, 0);  // moves to 300 before the test; box x 300..332, level y 134..166
    g::kugel2 = 1;
    g::xkugel2 = 290;
    g::flugrechts = 10;
    g::ykugel2 = 150;
    g::kugel1 = 1;
    g::xkugel1 = 100;
    g::fluglinks = 20;
    g::ykugel1 = 150;
    TraceCapture trace;
    g::gegner();
    std::vector<TraceLine> sounds = Only(trace.Stop(), "PLAYSOUND");
    EXPECT_EQ(g::tac(0), 5555);
    EXPECT_EQ(g::kugel1 + g::kugel2 + g::fluglinks + g::flugrechts, 0);
    EXPECT_EQ(g::coll, 0);
    ASSERT_EQ(sounds.size(), 1u);
    EXPECT_EQ(SoundArgs(sounds[0]), "0 0 1");
    EXPECT_EQ(g::lives, 0);

    // The bullet's height is taken as a level height: with the view moved it misses.
    OneAlien(303, 160, 0);
    g::kugel2 = 1;
    g::xkugel2 = 290;
    g::flugrechts = 10;
    g::ykugel2 = 150;
    g::scrolly = 100;
    g::gegner();
    EXPECT_EQ(g::tac(0), 300);
    EXPECT_EQ(g::kugel2, 1);
}

TEST(Aliens, TouchCostsALifeAndShowsTheCaughtScreen) {
    FreshLevel();
    g::lives = 2;
    g::walkh = 320;
    g::walkv = 150;
    g::laufen = 60;
    OneAlien(330, 176, 0);  // at 327 after its step: touches the player's box at 312
    // Space held (the player was firing), released at +3, pressed again at +5.
    KeysFromNow({"+0 down 57", "+3 up 57", "+5 down 57"});
    long first = KvFrameNumber();
    TraceCapture trace;
    g::gegner();
    std::vector<TraceLine> lines = trace.Stop();
    EXPECT_EQ(g::lives, 1);
    EXPECT_EQ(g::tac(0), 5555);
    EXPECT_EQ(g::kipkontakt, 0);
    EXPECT_EQ(KvFrameNumber() - first, 5);
    EXPECT_EQ(Only(lines, "SHOWSCREEN").size(), 5u);
    EXPECT_EQ(Only(lines, "HUSH").size(), 6u);  // every pass, also the last one
    std::vector<TraceLine> prints = Only(lines, "PRINT");
    ASSERT_EQ(prints.size(), 18u);
    EXPECT_EQ(PrintArgs(prints[0]), "Du wurdest erwischt 20 20");
    EXPECT_EQ(PrintArgs(prints[1]), "und verlierst ein Leben ! 20 100");
    EXPECT_EQ(PrintArgs(prints[2]), "Weiter mit Leertaste 200 400");
    std::vector<TraceLine> zoom = Only(lines, "ZOOMSPRITE");
    ASSERT_EQ(zoom.size(), 5u);
    EXPECT_EQ(zoom[0].Num(1), 60);
    EXPECT_EQ(zoom[0].Num(2), 200);
    EXPECT_EQ(zoom[4].Num(1), 64);
    // The touch sound plays before the screen.
    std::vector<TraceLine> sounds = Only(lines, "PLAYSOUND");
    ASSERT_EQ(sounds.size(), 1u);
    EXPECT_EQ(SoundArgs(sounds[0]), "0 0 1");
}

TEST(Aliens, PlayerBoxMovesAwayFromTheAlien) {
    FreshLevel();
    g::walkh = 320;
    g::walkv = 150;
    // Right of the player (after its step at 345, box 348..377): the player's box is
    // 312..344 instead of 320..352, so they do not touch.
    OneAlien(342, 176, 1);
    g::gegner();
    EXPECT_EQ(g::tac(0), 345);
    // Left of the player (at 292, box 295..324): the player's box is 328..360.
    OneAlien(295, 176, 0);
    g::gegner();
    EXPECT_EQ(g::tac(0), 292);
    // Four pixels further in, the shifted boxes touch.
    OneAlien(335, 176, 1);
    KeysFromNow({"+1 tap 57"});
    g::gegner();
    EXPECT_EQ(g::tac(0), 5555);
    EXPECT_EQ(g::lives, -1);
}

// ---------------------------------------------------------------------------------
// Lives and the main loop

TEST(Lives, HeadsInTheStatusStrip) {
    FreshLevel();
    g::lives = 4;
    TraceCapture trace;
    g::leben();
    std::vector<TraceLine> heads = Only(trace.Stop(), "ZOOMSPRITE");
    ASSERT_EQ(heads.size(), 5u);
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(heads[k].Num(0), 4);
        EXPECT_EQ(heads[k].Num(1), 3 + 32 * k);
        EXPECT_EQ(heads[k].Num(2), 448);
        EXPECT_EQ(heads[k].Num(3), 0.5);
    }
    EXPECT_EQ(g::sterben, 0);
}

TEST(Lives, GameOverRestartsWithThreeLives) {
    FreshLevel();
    g::lives = -1;
    g::levelnext = 0;
    g::sterben = 0;
    KeysFromNow({"+0 down 57", "+2 up 57", "+4 down 57"});
    TraceCapture trace;
    EXPECT_EQ(g::hauptschleife(), g::Sprung::weiter);
    std::vector<TraceLine> lines = trace.Stop();
    EXPECT_EQ(g::sterben, 1);
    std::vector<TraceLine> prints = Only(lines, "PRINT");
    ASSERT_GE(prints.size(), 3u);
    EXPECT_EQ(PrintArgs(prints[0]), "Du hast alle deine Leben verloren ! 20 20");
    EXPECT_EQ(PrintArgs(prints[1]), "Versuch es nochmal ! 20 100");
    EXPECT_EQ(PrintArgs(prints[2]), "Weiter mit Leertaste 200 400");
    // The music plays on the game-over screen.
    std::vector<TraceLine> music = Only(lines, "PLAYSOUND");
    ASSERT_FALSE(music.empty());
    EXPECT_EQ(SoundArgs(music[0]), "5 0 1");
    // The game-over screen took 4 frames, the main loop's own SHOWSCREEN one more.
    EXPECT_EQ(Only(lines, "SHOWSCREEN").size(), 5u);
    std::vector<TraceLine> roto = Only(lines, "ROTOZOOMSPRITE");
    ASSERT_EQ(roto.size(), 4u);
    // The next pass restarts the game.
    HoldKeys({});
    EXPECT_EQ(g::hauptschleife(), g::Sprung::spielstart);
    EXPECT_EQ(g::sterben, 0);
    g::spielstart();
    EXPECT_EQ(g::lives, 3);
    EXPECT_EQ(g::round, 1);
    EXPECT_EQ(g::levelz, 0);
    EXPECT_EQ(g::gegner1zahl, -1);
    EXPECT_EQ(g::musik, 1);
}

// The game-over cyclops spins by 2 degrees a pass (back to 1 after 360) and bounces
// 4 pixels a pass on each axis inside 50 ... 550 x 80 ... 350.
TEST(Lives, GameOverCyclopsSpinsAndBounces) {
    FreshLevel();
    g::lives = -1;
    g::laufenx = 548;
    g::laufeny = 82;
    g::linksschalterx = 0;
    g::linksschaltery = 1;
    g::phi = 358;
    g::tiu = 9;
    g::tiuzoom = 400;
    KeysFromNow({"+3 down 57"});
    TraceCapture trace;
    g::leben();
    std::vector<std::string> drawn;
    for (const TraceLine& r : Only(trace.Stop(), "ROTOZOOMSPRITE")) {
        char text[128];
        std::snprintf(text, sizeof text, "%g@%g,%g/%g*%g", r.Num(0), r.Num(1), r.Num(2), r.Num(3),
                      r.Num(4));
        drawn.push_back(text);
    }
    EXPECT_EQ(drawn,
              (std::vector<std::string>{"400@548,82/358*4", "401@552,78/360*4", "401@548,82/3*4"}));
    EXPECT_EQ(g::sterben, 1);
    EXPECT_EQ(g::phi, 5);
}

// The alien sets levelnext to 0 before it is hit, so the frame of the kill keeps the
// level; the next frame is drawn in full without aliens; the one after that starts
// the next level before drawing anything.
TEST(MainLoop, LevelClearedOneFrameLate) {
    FreshLevel();
    g::lives = 2;
    g::walkh = 600;
    g::vertikal = g::walkv = 330;
    OneAlien(303, 160, 0);
    // The player's right bullet hits the alien in this frame.
    g::kugel2 = 1;
    g::xkugel2 = 290;
    g::flugrechts = 0;
    g::ykugel2 = 150 - g::scrolly;
    HoldKeys({});
    TraceCapture trace;
    EXPECT_EQ(g::hauptschleife(), g::Sprung::weiter);
    std::vector<TraceLine> frame1 = trace.Stop();
    EXPECT_EQ(g::tac(0), 5555);
    EXPECT_EQ(g::levelnext, 0);
    EXPECT_EQ(Only(frame1, "SHOWSCREEN").size(), 1u);

    TraceCapture trace2;
    EXPECT_EQ(g::hauptschleife(), g::Sprung::weiter);
    std::vector<TraceLine> frame2 = trace2.Stop();
    EXPECT_EQ(g::levelnext, 1);
    EXPECT_EQ(Only(frame2, "SHOWSCREEN").size(), 1u);
    EXPECT_FALSE(Only(frame2, "SPRITE").empty());
    for (const TraceLine& s : Only(frame2, "SPRITE"))
        EXPECT_FALSE(s.Num(0) >= 200 && s.Num(0) <= 204);

    TraceCapture trace3;
    EXPECT_EQ(g::hauptschleife(), g::Sprung::levelstart);
    std::vector<TraceLine> frame3 = trace3.Stop();
    EXPECT_TRUE(Only(frame3, "SPRITE").empty());
    EXPECT_TRUE(Only(frame3, "SHOWSCREEN").empty());
}

TEST(MainLoop, LevelStartReloadsMediaAndSetsTheAliens) {
    FreshLevel();
    g::spielstart();
    g::levelnext = 1;  // a cleared level: no start screens
    g::scrollx = 77;
    g::kipwalklinks = 3;
    TraceCapture trace;
    KeysFromNow({"+1 tap 57"});
    g::levelstart();
    std::vector<TraceLine> lines = trace.Stop();
    EXPECT_EQ(Only(lines, "LOADSOUND").size(), 6u);
    std::vector<TraceLine> sprites = Only(lines, "LOADSPRITE");
    ASSERT_EQ(sprites.size(), 46u);
    EXPECT_NE(sprites[0].args[0].find("kip.bmp"), std::string::npos);
    EXPECT_NE(sprites[45].args[0].find("steuer.bmp"), std::string::npos);
    EXPECT_EQ(g::scrollx, 0);
    EXPECT_EQ(g::kipwalklinks, 0);
    EXPECT_EQ(g::walkh, 320);
    EXPECT_EQ(g::gegner1zahl, 0);
    const double x[25] = {350,  380, 50,  -200, -50, 0,   200, 100, -100, 150,  1200, -560, 1000,
                          -400, 900, 800, 700,  600, 500, 400, 950, 750,  -350, -500, 550};
    const double ink[25] = {0,   80,   180,  100,  0,   100, -70, 20,   200, 130, 180, 0,  40,
                            -70, -120, -180, -100, -50, 0,   80,  -100, 100, -80, 30,  -30};
    const double rows[5] = {-160, 0, 160, 288, 416};
    for (int k = 0; k < 25; ++k) {
        EXPECT_EQ(g::tac(k), x[k]) << k;
        EXPECT_EQ(g::wa(k), x[k]) << k;
        EXPECT_EQ(g::tacd(k), x[k]) << k;
        EXPECT_EQ(g::wah(k), x[k]) << k;
        EXPECT_EQ(g::tacy(k), rows[k % 5]) << k;
        EXPECT_EQ(g::wahy(k), rows[k % 5]) << k;
        EXPECT_EQ(g::wah4ink(k), ink[k]) << k;
        EXPECT_EQ(g::tacschalter(k), 0) << k;
    }
    EXPECT_FALSE(Only(lines, "HUSH").empty());
}

// The font of the game start, then at the level start the six sounds and the 46
// pictures, each in its slot, and the font again for the stage screen.
TEST(MainLoop, MediaLoadIntoTheirSlotsInOrder) {
    FreshLevel();
    TraceCapture trace;
    g::spielstart();
    g::levelnext = 1;
    KeysFromNow({"+1 tap 57"});
    g::levelstart();
    std::vector<std::string> loads;
    for (const TraceLine& line : trace.Stop()) {
        if (line.command != "LOADFONT" && line.command != "SETFONT" &&
            line.command != "LOADSOUND" && line.command != "LOADSPRITE")
            continue;
        std::string text = line.command;
        for (const std::string& arg : line.args) text += " " + arg;
        loads.push_back(text);
    }
    const std::vector<std::string> want = {
        "LOADFONT fontklein.bmp 1",
        "SETFONT 1",
        "LOADSOUND bullfrog.wav 0 1",
        "LOADSOUND arrow.wav 1 1",
        "LOADSOUND gunshot1.wav 2 1",
        "LOADSOUND arrow_leise.wav 3 1",
        "LOADSOUND gunshot1_gegner.wav 4 1",
        "LOADSOUND kip.wav 5 1",
        "LOADSPRITE kip.bmp 4",
        "LOADSPRITE kipl.bmp 5",
        "LOADSPRITE kipr.bmp 6",
        "LOADSPRITE kipo.bmp 7",
        "LOADSPRITE kipo_a.bmp 77",
        "LOADSPRITE kipo_b.bmp 777",
        "LOADSPRITE kipu.bmp 8",
        "LOADSPRITE kipu_a.bmp 88",
        "LOADSPRITE kipu_b.bmp 888",
        "LOADSPRITE shot.bmp 9",
        "LOADSPRITE tile.bmp 10",
        "LOADSPRITE leiter.bmp 11",
        "LOADSPRITE kipl_a.bmp 20",
        "LOADSPRITE kipl_b.bmp 21",
        "LOADSPRITE kipr_a.bmp 30",
        "LOADSPRITE kipr_b.bmp 31",
        "LOADSPRITE kip_a.bmp 40",
        "LOADSPRITE kip_b.bmp 41",
        "LOADSPRITE randlinks.bmp 50",
        "LOADSPRITE randlinksunten.bmp 52",
        "LOADSPRITE randrechts.bmp 51",
        "LOADSPRITE randrechtsunten.bmp 53",
        "LOADSPRITE randoben.bmp 54",
        "LOADSPRITE stern1.bmp 110",
        "LOADSPRITE bigstar.bmp 111",
        "LOADSPRITE alien.bmp 200",
        "LOADSPRITE alien1.bmp 201",
        "LOADSPRITE alien2.bmp 202",
        "LOADSPRITE alien3.bmp 203",
        "LOADSPRITE alien4.bmp 204",
        "LOADSPRITE kip_start.bmp 300",
        "LOADSPRITE start_leertaste.bmp 301",
        "LOADSPRITE zyklopi.bmp 400",
        "LOADSPRITE zyklopi_a.bmp 401",
        "LOADSPRITE zyklopi_b.bmp 402",
        "LOADSPRITE zyklopil.bmp 403",
        "LOADSPRITE zyklopi_al.bmp 404",
        "LOADSPRITE zyklopi_bl.bmp 405",
        "LOADSPRITE shot1.bmp 406",
        "LOADSPRITE viewleiste.bmp 407",
        "LOADSPRITE kipperfekt.bmp 408",
        "LOADSPRITE kipperfekt_spiegel.bmp 409",
        "LOADSPRITE radar.bmp 410",
        "LOADSPRITE kipradar.bmp 411",
        "LOADSPRITE gegnerradar.bmp 412",
        "LOADSPRITE steuer.bmp 413",
        "LOADFONT fontklein.bmp 1",
        "SETFONT 1",
    };
    EXPECT_EQ(loads, want);
}

// One frame of play draws in layers, each over the earlier ones: stars, level, wall
// ends, player, bullets, aliens, status strip, lives, radar.
TEST(MainLoop, OneFrameDrawsInLayers) {
    FreshLevel();
    g::lives = 1;
    g::walkh = 320;
    g::vertikal = g::walkv = 330;
    OneAlien(500, 416, 0);
    g::kugel2 = 1;
    g::xkugel2 = 100;
    g::ykugel2 = 50;
    g::levelnext = 0;
    HoldKeys({});
    TraceCapture trace;
    EXPECT_EQ(g::hauptschleife(), g::Sprung::weiter);
    std::vector<std::string> layers;
    for (const TraceLine& line : trace.Stop()) {
        if (line.command != "SPRITE" && line.command != "ZOOMSPRITE") continue;
        int slot = static_cast<int>(line.Num(0));
        std::string layer = "player";
        if (line.command == "ZOOMSPRITE")
            layer = slot == 4 ? "lives" : "?";
        else if (slot == 110)
            layer = "stars";
        else if (slot == 111)
            layer = "big star";
        else if (slot == 10 || slot == 11 || slot == 50 || slot == 51)
            layer = "field";
        else if (slot >= 52 && slot <= 54)
            layer = "wall ends";
        else if (slot == 9)
            layer = "bullet";
        else if (slot >= 200 && slot <= 204)
            layer = "alien";
        else if (slot >= 410 && slot <= 412)
            layer = "radar";
        else if (slot == 407) {
            layer = "strip";
            EXPECT_EQ(line.Num(1), 0);
            EXPECT_EQ(line.Num(2), 448);
        }
        if (layers.empty() || layers.back() != layer) layers.push_back(layer);
    }
    EXPECT_EQ(layers, (std::vector<std::string>{"stars", "big star", "field", "wall ends", "player",
                                                "bullet", "alien", "strip", "lives", "radar"}));
}

TEST(MainLoop, MusicSwitchSequence) {
    g::ResetAllVariables();
    g::musik = 1;
    // Frame by frame: M free, free, held, held, free, free, held, held, free.
    const bool held[] = {false, false, true, true, false, false, true, true, false};
    std::vector<std::string> events;
    for (bool m : held) {
        if (m)
            HoldKeys({kM});
        else
            HoldKeys({});
        TraceCapture trace;
        g::musikschalter();
        std::string frame;
        for (const TraceLine& line : trace.Stop()) {
            if (line.command == "PLAYSOUND" && SoundArgs(line) == "5 0 1") frame += "P";
            if (line.command == "HUSH") frame += "H";
        }
        events.push_back(frame);
    }
    // Music on from the first frame; stopped on the release of M; on again on the
    // next release.
    EXPECT_EQ(events, (std::vector<std::string>{"P", "P", "P", "P", "PH", "", "", "", "P"}));
    EXPECT_EQ(g::musika, 1);
    EXPECT_EQ(g::musikb, 0);
}

// ---------------------------------------------------------------------------------
// The error line

void RunAliensBeyondTheirArrays() {
    FreshLevel();
    g::gegner1zahl = 25;  // one more than the arrays hold
    for (int k = 0; k < 25; ++k) g::tac(k) = 5555;
    g::gegner();
}

TEST(ErrorLine, LogNamesTheFailingStatementsSourceLine) {
    // The child starts the runtime afresh, which makes a new log, and ends with the error.
    EXPECT_EXIT(
        RunAliensBeyondTheirArrays(), [](int) { return true; }, "");
    std::string log = ReadFileText(KvErrorLogPath());
    log = log.substr(std::min(log.size(), log.find("-End On Line")));
    // kip_aliens.cpp is file 5 of the game: its lines are numbered from 50000.
    int line = GameLineOf("kip_aliens.cpp", 5, "L if (tac(i) == 5555) continue;");
    ASSERT_GT(line, 50000);
    EXPECT_EQ(log, EndOfRunLines(9, line));
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
    // A fresh folder for the error log and the traces, shared with death-test children;
    // the process that made it removes it at the end.
    static std::string ownFolder;
    if (!std::getenv("KIP_GAME_TEST_DIR")) {
        if (!MakePrivateFolder("kip_game_test_", ownFolder)) return 1;
        setenv("KIP_GAME_TEST_DIR", ownFolder.c_str(), 1);
    }
    setenv("TMPDIR", std::getenv("KIP_GAME_TEST_DIR"), 1);
    if (!KvStartRuntimeForTests()) {
        std::fprintf(stderr, "the runtime could not be started\n");
        return 1;
    }
    // The program must not end inside a test (Escape, frame limit): that would look
    // like success to the test runner.
    static bool finished = false;
    std::atexit([] {
        if (!finished) _exit(3);
    });
    int result = RUN_ALL_TESTS();
    finished = true;
    if (!ownFolder.empty()) std::filesystem::remove_all(ownFolder);
    std::fflush(stdout);
    _exit(result);
}
