// The aliens of types 2 to 4, the cyclops bullets with their grace period, and the
// stage keys, called directly on a running runtime. Expected positions and counts are
// worked out by hand from the level geometry: the middle floor is the platform row at
// level y 160, the player stands on it with his top at level y 134 (vertikal 150,
// scrolly -16), at level x 320.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "commands/kv.h"
#include "game/kip_globals.h"
#include "game/kip_routines.h"
#include "runtime/Options.h"
#include "tests/game/game_test_support.h"

namespace g = kipgame;

namespace {

constexpr int kK = 37, kI = 23, kP = 25;

// The level built, every actor array dimensioned, no aliens, the player standing on
// the middle floor at level x 320, no keys held.
void MiddleFloor() {
    g::ResetAllVariables();
    g::level_1_initial();
    for (KvIntArray* a :
         {&g::tac,     &g::tacy,     &g::tacschalter,  &g::wa,          &g::way,
          &g::tacd,    &g::tacdy,    &g::tacdschalter, &g::kipjumpig,   &g::jumperg,
          &g::walkvg,  &g::kugel1g,  &g::xkugel1g,     &g::ykugel1g,    &g::fluglinksg,
          &g::kugel2g, &g::xkugel2g, &g::ykugel2g,     &g::flugrechtsg, &g::wah,
          &g::wahy,    &g::wah4ink,  &g::tachschalter, &g::kipjumpih,   &g::jumperh,
          &g::walkvh,  &g::kugel1h,  &g::xkugel1h,     &g::ykugel1h,    &g::fluglinksh,
          &g::kugel2h, &g::xkugel2h, &g::ykugel2h,     &g::flugrechtsh})
        DIM(*a, 25);
    g::gegner1zahl = g::gegner2zahl = g::gegner3zahl = g::gegner4zahl = -1;
    g::walkh = 320;
    g::vertikal = g::walkv = 150;
    g::scrolly = -16;
    g::lives = 3;
    HoldKeys({});
}

std::vector<std::string> Sounds(const std::vector<TraceLine>& lines) {
    std::vector<std::string> out;
    for (const TraceLine& line : Only(lines, "PLAYSOUND")) {
        char text[64];
        std::snprintf(text, sizeof text, "%g %g %g", line.Num(0), line.Num(1), line.Num(2));
        out.push_back(text);
    }
    return out;
}

// "slot@x,y" for every SPRITE of the given slots.
std::vector<std::string> Drawn(const std::vector<TraceLine>& lines, double low, double high) {
    std::vector<std::string> out;
    for (const TraceLine& line : Only(lines, "SPRITE")) {
        if (line.Num(0) < low || line.Num(0) > high) continue;
        char text[64];
        std::snprintf(text, sizeof text, "%g@%g,%g", line.Num(0), line.Num(1), line.Num(2));
        out.push_back(text);
    }
    return out;
}

bool CaughtScreenShown(const std::vector<TraceLine>& lines) {
    for (const TraceLine& line : Only(lines, "PRINT"))
        if (!line.args.empty() && line.args[0] == "Du wurdest erwischt") return true;
    return false;
}

// The caught screen waits for space seen free, then pressed.
void SpaceForTheCaughtScreen() { KeysFromNow({"+1 tap 57"}); }

// ---------------------------------------------------------------------------------
// Type 2

void OneDrifter(double x, double y) {
    g::gegner2zahl = 0;
    g::wa(0) = x;
    g::way(0) = y;
}

TEST(Drifters, OnePixelAFrameAndStillLevelWithKip) {
    MiddleFloor();
    g::scrollx = 100;  // the player's level x is 420
    OneDrifter(425, -160);
    g::tica = 0;
    g::levelnext = 1;
    TraceCapture trace;
    for (int k = 0; k < 8; ++k) g::gegner2();
    std::vector<TraceLine> lines = trace.Stop();
    // Moved before it is drawn: 424, 423, 422, 421, 420, then level with him.
    EXPECT_EQ(
        Drawn(lines, 200, 204),
        (std::vector<std::string>{"200@324,-170", "200@323,-170", "200@322,-170", "200@321,-170",
                                  "200@320,-170", "200@320,-170", "201@320,-170", "201@320,-170"}));
    EXPECT_EQ(g::wa(0), 420);
    EXPECT_EQ(g::levelnext, 0);
    EXPECT_EQ(g::tica, 8);
    EXPECT_TRUE(Sounds(lines).empty());

    // From the left it closes in to the right, with no limits of its own.
    OneDrifter(-700, 416);
    g::scrollx = -640;
    g::walkh = 28;  // level x -612
    for (int k = 0; k < 100; ++k) g::gegner2();
    EXPECT_EQ(g::wa(0), -612);
}

TEST(Drifters, HitAndTouchInTheSameFrame) {
    MiddleFloor();
    // At 329 after its step it touches the player (box 312 ... 344); the right bullet,
    // at 330 after its flight, hits it at level height 134 in the same frame.
    OneDrifter(330, 160);
    g::kugel2 = 1;
    g::xkugel2 = 300;
    g::flugrechts = 30;
    g::ykugel2 = 150;
    g::kugel1 = 1;
    g::xkugel1 = 100;
    g::fluglinks = 40;
    g::ykugel1 = 150;
    TraceCapture trace;
    g::gegner2();
    std::vector<TraceLine> lines = trace.Stop();
    EXPECT_EQ(g::wa(0), 5555);
    EXPECT_EQ(g::lives, 3);
    EXPECT_FALSE(CaughtScreenShown(lines));
    EXPECT_EQ(Sounds(lines), (std::vector<std::string>{"0 0 1"}));
    EXPECT_EQ(g::kugel1 + g::fluglinks + g::kugel2 + g::flugrechts + g::coll1, 0);
}

TEST(Drifters, TouchCostsALifeWithoutASound) {
    MiddleFloor();
    OneDrifter(330, 160);
    SpaceForTheCaughtScreen();
    TraceCapture trace;
    g::gegner2();
    std::vector<TraceLine> lines = trace.Stop();
    EXPECT_EQ(g::wa(0), 5555);
    EXPECT_EQ(g::lives, 2);
    EXPECT_EQ(g::kipkontakt, 0);
    EXPECT_TRUE(CaughtScreenShown(lines));
    EXPECT_TRUE(Sounds(lines).empty());
    // The box starts 3 pixels in and the player's box ends at 344: at 342 after its
    // step it misses, at 341 it touches.
    OneDrifter(343, 160);
    g::gegner2();
    EXPECT_EQ(g::wa(0), 342);
    OneDrifter(342, 160);
    SpaceForTheCaughtScreen();
    g::gegner2();
    EXPECT_EQ(g::wa(0), 5555);
}

// ---------------------------------------------------------------------------------
// Type 3

void OneCyclops(double x, double y, double direction) {
    g::gegner3zahl = 0;
    g::tacd(0) = x;
    g::tacdy(0) = y;
    g::tacdschalter(0) = direction;
}

// The top floor has a gap in column 30, level x 320 ... 351: a cyclops whose x + 16
// lies in it, x 304 ... 335, stands over the gap.
TEST(Cyclops, HopsOverAGapWithTheSoundInEveryFrame) {
    MiddleFloor();
    OneCyclops(338, -160, 0);
    g::ticd = 0;
    std::vector<double> lift, sounds;
    std::vector<std::string> drawn;
    for (int frame = 1; frame <= 50; ++frame) {
        TraceCapture trace;
        g::gegner3();
        g::gegnerjump();
        std::vector<TraceLine> lines = trace.Stop();
        lift.push_back(g::walkvg(0));
        for (const std::string& s : Sounds(lines)) EXPECT_EQ(s, "3 0 1") << frame;
        if (!Sounds(lines).empty()) sounds.push_back(frame);
        std::vector<std::string> pictures = Drawn(lines, 400, 405);
        ASSERT_EQ(pictures.size(), 1u) << frame;
        drawn.push_back(pictures[0]);
    }
    // Over the gap from its second frame (x 335) to its twelfth (x 305).
    EXPECT_EQ(sounds, (std::vector<double>{2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    // The hop starts in frame 2: up 2 a frame for 20 frames, 5 at the top, down again,
    // and ends in frame 46 at the offset it started from.
    EXPECT_EQ(lift[0], 0);
    EXPECT_EQ(lift[1], -2);
    EXPECT_EQ(lift[20], -40);
    EXPECT_EQ(lift[25], -40);
    EXPECT_EQ(lift[26], -38);
    EXPECT_EQ(lift[44], -2);
    EXPECT_EQ(lift[45], 0);
    EXPECT_EQ(lift[49], 0);
    EXPECT_EQ(g::kipjumpig(0), 0);
    EXPECT_EQ(g::jumperg(0), 0);
    // Drawn where it stands before its step, lifted by the hop of the frame before,
    // facing left: 403, 404, 405 for ten frames each.
    EXPECT_EQ(drawn[0], "403@338,-170");
    EXPECT_EQ(drawn[2], "403@332,-172");
    EXPECT_EQ(drawn[10], "404@308,-188");
    EXPECT_EQ(drawn[21], "405@275,-210");
    EXPECT_EQ(g::tacd(0), 338 - 150);
}

TEST(Cyclops, HitAndTouchFollowTheHop) {
    MiddleFloor();
    // Lifted 40 pixels, its hit box is level y 94 ... 126: a bullet at level y 100
    // (screen 116) hits it, one at 150 passes beneath.
    for (double lift : {-40.0, 0.0}) {
        OneCyclops(603, 160, 0);  // 600 after its step
        g::walkvg(0) = lift;
        g::kugel2 = 1;
        g::xkugel2 = 590;
        g::flugrechts = 10;
        g::ykugel2 = 116;
        TraceCapture trace;
        g::gegner3();
        std::vector<TraceLine> lines = trace.Stop();
        if (lift < 0) {
            EXPECT_EQ(g::tacd(0), 5555);
            EXPECT_EQ(Sounds(lines), (std::vector<std::string>{"0 0 1"}));
            EXPECT_EQ(g::kugel2 + g::flugrechts + g::coll2, 0);
        } else {
            EXPECT_EQ(g::tacd(0), 600);
            EXPECT_EQ(g::kugel2, 1);
        }
    }
    // Its touch box is 32 x 32 and follows the hop too: lifted 40 over the player it
    // misses him, standing it catches him, with the touch sound. It moves away from
    // him, so it does not fire.
    OneCyclops(325, 160, 1);
    g::kugel2 = 0;
    g::kugel1g(0) = g::fluglinksg(0) = 0;
    g::walkvg(0) = -40;
    g::gegner3();
    EXPECT_EQ(g::tacd(0), 328);
    OneCyclops(325, 160, 1);
    g::walkvg(0) = 0;
    SpaceForTheCaughtScreen();
    TraceCapture trace;
    g::gegner3();
    std::vector<TraceLine> lines = trace.Stop();
    EXPECT_EQ(g::tacd(0), 5555);
    EXPECT_EQ(g::lives, 2);
    EXPECT_TRUE(CaughtScreenShown(lines));
    EXPECT_EQ(Sounds(lines), (std::vector<std::string>{"0 0 1"}));
}

// ---------------------------------------------------------------------------------
// Firing

struct FireCase {
    const char* what;
    double x, direction, vertikal, leftFlown, grace;
    bool fires, sound;
};

TEST(CyclopsShots, FireWindow) {
    // The player's level x is 320 and his standing top 134 - (150 - vertikal); the
    // cyclops' top is 134.
    const FireCase cases[] = {
        {"349 away, moving left", 669, 0, 150, 0, 0, true, true},
        {"350 away", 670, 0, 150, 0, 0, false, false},
        {"29 above him", 669, 0, 179, 0, 0, true, true},
        {"29 below him", 669, 0, 121, 0, 0, true, true},
        {"30 below him", 669, 0, 120, 0, 0, false, false},
        {"moving away from him", 669, 1, 150, 0, 0, false, false},
        {"level with him", 320, 0, 150, 0, 0, false, false},
        {"its left bullet still flying", 669, 0, 150, 8, 0, false, false},
        {"in a grace period", 669, 0, 150, 0, 50, true, false},
    };
    for (const FireCase& c : cases) {
        MiddleFloor();
        OneCyclops(c.x, 160, c.direction);
        g::vertikal = c.vertikal;
        g::fluglinksg(0) = c.leftFlown;
        g::kugelzahler = c.grace;
        g::i = 0;
        TraceCapture trace;
        g::shotgegner();
        std::vector<TraceLine> lines = trace.Stop();
        EXPECT_EQ(g::kugel1g(0), c.fires ? 1 : 0) << c.what;
        EXPECT_EQ(g::kugel2g(0), 0) << c.what;
        EXPECT_EQ(Sounds(lines),
                  c.sound ? std::vector<std::string>{"4 0 1"} : std::vector<std::string>{})
            << c.what;
        if (c.fires) {
            EXPECT_EQ(g::xkugel1g(0), c.x + 2) << c.what;
            EXPECT_EQ(g::ykugel1g(0), 160 - 32 + 18) << c.what;
        }
    }
    // To the right: a cyclops 349 left of him, moving right, hopping 10 pixels high.
    MiddleFloor();
    g::scrollx = 40;  // the player's level x is 360
    OneCyclops(11, 160, 1);
    g::walkvg(0) = -10;
    g::i = 0;
    g::shotgegner();
    EXPECT_EQ(g::kugel2g(0), 1);
    EXPECT_EQ(g::xkugel2g(0), 11 - 40 + 24);
    EXPECT_EQ(g::ykugel2g(0), 160 - 10 - 32 + 18);
    EXPECT_EQ(g::kugel1g(0), 0);
}

TEST(CyclopsShots, TypeFourFiresByItsFacingWithinForty) {
    for (double below : {39.0, 40.0}) {
        MiddleFloor();
        g::gegner4zahl = 0;
        g::wah(0) = 100;
        g::wahy(0) = 160;
        g::tachschalter(0) = 1;
        g::vertikal = 150 - below;
        g::i = 0;
        g::shotgegner4();
        EXPECT_EQ(g::kugel2h(0), below < 40 ? 1 : 0) << below;
        EXPECT_EQ(g::kugel2g(0), 0);
    }
    // Facing left while the player is to its right: no shot.
    g::vertikal = 150;
    g::tachschalter(0) = 0;
    g::kugel2h(0) = 0;
    g::shotgegner4();
    EXPECT_EQ(g::kugel2h(0), 0);
}

// ---------------------------------------------------------------------------------
// Flying bullets

TEST(CyclopsShots, LeftBulletLeavingSkipsTheRightOneInThatPass) {
    MiddleFloor();
    g::i = 0;
    g::kugel1g(0) = 1;
    g::xkugel1g(0) = 10;
    g::fluglinksg(0) = 12;
    g::ykugel1g(0) = 100;
    // The right bullet sits in the player's box (screen 328 ... 360 x 150 ... 182):
    // tested, it would hit him.
    g::kugel2g(0) = 1;
    g::xkugel2g(0) = 322;
    g::flugrechtsg(0) = 8;
    g::ykugel2g(0) = 160 - 16;
    TraceCapture trace;
    g::kugelgegner();
    std::vector<TraceLine> lines = trace.Stop();
    EXPECT_EQ(Drawn(lines, 406, 406), (std::vector<std::string>{"406@-2,116"}));
    EXPECT_EQ(g::kugel1g(0) + g::fluglinksg(0), 0);
    EXPECT_EQ(g::flugrechtsg(0), 8);
    EXPECT_EQ(g::lives, 3);

    // The next pass draws, moves and tests it: the player is hit.
    SpaceForTheCaughtScreen();
    TraceCapture trace2;
    g::kugelgegner();
    std::vector<TraceLine> lines2 = trace2.Stop();
    EXPECT_EQ(Drawn(lines2, 406, 406), (std::vector<std::string>{"406@330,160"}));
    EXPECT_TRUE(CaughtScreenShown(lines2));
    EXPECT_EQ(g::lives, 2);
    EXPECT_EQ(g::kugelzahler, 100);
    EXPECT_EQ(g::kugel2g(0) + g::flugrechtsg(0), 0);
    EXPECT_TRUE(Sounds(lines2).empty());  // a bullet hit has no sound of its own
}

TEST(CyclopsShots, FourPixelsAFrameOverTheLevelWhileTheViewScrolls) {
    MiddleFloor();
    g::i = 0;
    g::kugel1g(0) = 1;
    g::xkugel1g(0) = 200;
    g::kugel2g(0) = 1;
    g::xkugel2g(0) = 400;
    g::ykugel1g(0) = g::ykugel2g(0) = 0;
    g::kugelgegner();
    EXPECT_EQ(g::fluglinksg(0), 4);
    EXPECT_EQ(g::flugrechtsg(0), 4);
    g::scrolllinksschalter = 1;
    g::kugelgegner();
    EXPECT_EQ(g::fluglinksg(0), 6);
    EXPECT_EQ(g::flugrechtsg(0), 8);  // scrolling the other way is not made up for
    g::scrolllinksschalter = 0;
    g::scrollrechtsschalter = 1;
    g::kugelgegner();
    EXPECT_EQ(g::fluglinksg(0), 10);
    EXPECT_EQ(g::flugrechtsg(0), 10);
    // The right bullet ends beyond 640, and the routine with it.
    g::xkugel2g(0) = 640;
    g::flugrechtsg(0) = 2;
    g::kugelgegner();
    EXPECT_EQ(g::kugel2g(0) + g::flugrechtsg(0), 0);
}

// A dead alien's bullet flies on and catches the player; a hit starts the grace
// period of its type: no type-3 bullet is drawn, moved or tested for the next 99
// frames, and in the last of them all type-3 bullets go. Type-4 bullets fly and hit
// meanwhile.
TEST(CyclopsShots, GracePeriodAfterAHit) {
    MiddleFloor();
    OneCyclops(5555, 160, 0);
    g::kugel1g(0) = 1;
    g::xkugel1g(0) = 340;  // 336 after its flight, in the player's box 312 ... 344
    g::ykugel1g(0) = 160 - 16;
    SpaceForTheCaughtScreen();
    TraceCapture trace;
    g::gegner3();
    EXPECT_TRUE(CaughtScreenShown(trace.Stop()));
    EXPECT_EQ(g::lives, 2);
    EXPECT_EQ(g::kugelzahler, 99);
    EXPECT_EQ(g::kugel1g(0), 0);

    // A bullet made silently during the grace period waits where it was made.
    g::kugel1g(0) = 1;
    g::xkugel1g(0) = 500;
    g::gegner4zahl = 0;
    g::wah(0) = 5555;
    int type4Drawn = 0;
    for (int frame = 2; frame <= 99; ++frame) {
        TraceCapture frameTrace;
        g::gegner3();
        std::vector<TraceLine> lines = frameTrace.Stop();
        ASSERT_TRUE(Drawn(lines, 406, 406).empty()) << frame;
        if (frame == 40) {
            // A type-4 bullet, 44 pixels short of the player's box (328 ...): it is
            // drawn and moved in frames 40 ... 50 and hits in frame 50.
            g::kugel2h(0) = 1;
            g::xkugel2h(0) = 280;
            g::ykugel2h(0) = 160 - 16;
        }
        if (frame == 50) SpaceForTheCaughtScreen();
        TraceCapture type4Trace;
        g::gegner4();
        std::vector<TraceLine> type4 = type4Trace.Stop();
        type4Drawn += static_cast<int>(Drawn(type4, 406, 406).size());
        if (frame == 50) {
            EXPECT_TRUE(CaughtScreenShown(type4));
            EXPECT_EQ(g::lives, 1);
            EXPECT_EQ(g::kugelzahlerh, 99);
        }
    }
    EXPECT_EQ(type4Drawn, 11);
    EXPECT_EQ(g::kugel1g(0), 1);
    EXPECT_EQ(g::fluglinksg(0), 0);
    EXPECT_EQ(g::kugelzahler, 1);
    // Frame 100: the counter stands at 1, the bullets go.
    g::gegner3();
    EXPECT_EQ(g::kugel1g(0), 0);
    EXPECT_EQ(g::kugelzahler, 0);
    // Frame 101: type-3 bullets fly again.
    g::kugel1g(0) = 1;
    TraceCapture after;
    g::gegner3();
    EXPECT_EQ(Drawn(after.Stop(), 406, 406), (std::vector<std::string>{"406@500,160"}));
}

// ---------------------------------------------------------------------------------
// Type 4

void OneHunter(int index, double x, double y) {
    g::gegner4zahl = index;
    for (int k = 0; k < index; ++k) g::wah(k) = 5555;
    g::wah(index) = x;
    g::wahy(index) = y;
}

TEST(Hunters, SettleAtThePlayersXMinusTheirOffsetFacingHim) {
    MiddleFloor();
    g::scrollx = 80;  // the player's level x is 400
    OneHunter(1, 250, -160);
    g::wah4ink(1) = 100;
    g::tich = 0;
    std::vector<std::string> drawn;
    for (int frame = 0; frame < 80; ++frame) {
        TraceCapture trace;
        g::gegner4();
        for (const std::string& s : Drawn(trace.Stop(), 400, 405)) drawn.push_back(s);
    }
    EXPECT_EQ(g::wah(1), 300);
    EXPECT_EQ(g::tachschalter(1), 1);
    ASSERT_EQ(drawn.size(), 80u);
    // Facing right: 400, 401, 402 for ten frames each, drawn after the step.
    EXPECT_EQ(drawn[0], "400@171,-170");
    EXPECT_EQ(drawn[9], "400@180,-170");
    EXPECT_EQ(drawn[10], "401@181,-170");
    EXPECT_EQ(drawn[20], "402@191,-170");
    EXPECT_EQ(drawn[30], "400@201,-170");
    EXPECT_EQ(drawn[79], "401@220,-170");

    // Offset 0 and the player standing still: it comes to his x and faces right.
    g::wah4ink(1) = 0;
    g::wah(1) = 396;
    for (int frame = 0; frame < 10; ++frame) g::gegner4();
    EXPECT_EQ(g::wah(1), 400);
    EXPECT_EQ(g::tachschalter(1), 1);
    // Right of the player it faces left.
    g::wah(1) = 450;
    TraceCapture trace;
    g::gegner4();
    EXPECT_EQ(g::tachschalter(1), 0);
    std::vector<std::string> left = Drawn(trace.Stop(), 400, 405);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].substr(0, 3), "403");
}

TEST(Hunters, HeldInsideTheLevel) {
    MiddleFloor();
    g::scrollx = 683;
    g::walkh = 572;  // level x 1255
    OneHunter(0, 1258, -160);
    g::wah4ink(0) = -30;  // aims at 1285
    for (int frame = 0; frame < 5; ++frame) g::gegner4();
    EXPECT_EQ(g::wah(0), 1260);
    g::scrollx = -640;
    g::walkh = 28;  // level x -612
    g::wah(0) = -598;
    g::wah4ink(0) = 100;  // aims at -712
    for (int frame = 0; frame < 5; ++frame) g::gegner4();
    EXPECT_EQ(g::wah(0), -600);
    EXPECT_EQ(g::tachschalter(0), 0);
}

TEST(Hunters, HopsAndIsShot) {
    MiddleFloor();
    // The middle floor's gap in column 36 lies under x 496 ... 527.
    OneHunter(0, 520, 160);
    g::wah4ink(0) = 200;  // aims at 120: walks left
    g::vertikal = 50;     // the player stands a floor higher: no shots
    TraceCapture trace;
    g::gegner4();
    g::gegner4jump();
    EXPECT_EQ(Sounds(trace.Stop()), (std::vector<std::string>{"3 0 1"}));
    EXPECT_EQ(g::walkvh(0), -2);
    for (int frame = 0; frame < 44; ++frame) {
        g::gegner4();
        g::gegner4jump();
    }
    EXPECT_EQ(g::walkvh(0), 0);
    EXPECT_EQ(g::kipjumpih(0), 0);
    // Over the gap from 520 to 496, the hop ends at 475. The player's left bullet,
    // level y 140, hits it at 474.
    g::kugel1 = 1;
    g::xkugel1 = 490;
    g::fluglinks = 0;
    g::ykugel1 = 156;
    TraceCapture hit;
    g::gegner4();
    EXPECT_EQ(Sounds(hit.Stop()), (std::vector<std::string>{"0 0 1"}));
    EXPECT_EQ(g::wah(0), 5555);
    EXPECT_EQ(g::kugel1 + g::collh, 0);
    EXPECT_EQ(g::lives, 3);
}

// ---------------------------------------------------------------------------------
// Stage keys

struct StageKey {
    int digit;
    double g1, g2, g3, g4;
};

TEST(StageKeys, EachDigitSetsItsStage) {
    // The counts before the first level of each stage.
    const StageKey table[] = {
        {1, -1, -1, -1, -1}, {2, -1, -1, -1, -1}, {3, -1, -1, -1, -1}, {4, -1, -1, -1, -1},
        {5, 4, -1, -1, -1},  {6, -1, 4, -1, -1},  {7, -1, -1, 4, -1},  {8, -1, -1, -1, 4},
    };
    for (const StageKey& want : table) {
        MiddleFloor();
        g::levelz = 3;
        g::roundcount = 0;
        g::lives = 2;
        HoldKeys({want.digit + 1, kK, kI, kP});
        g::cheat();
        EXPECT_EQ(g::round, want.digit);
        EXPECT_EQ(g::gegner1zahl, want.g1) << want.digit;
        EXPECT_EQ(g::gegner2zahl, want.g2) << want.digit;
        EXPECT_EQ(g::gegner3zahl, want.g3) << want.digit;
        EXPECT_EQ(g::gegner4zahl, want.g4) << want.digit;
        EXPECT_EQ(g::levelnext, 1);
        EXPECT_EQ(g::levelz, 0);
        EXPECT_EQ(g::lives, 2);
    }
    // Without P nothing happens.
    MiddleFloor();
    g::round = 1;
    HoldKeys({3, kK, kI});
    g::cheat();
    EXPECT_EQ(g::round, 1);
    EXPECT_EQ(g::levelnext, 0);
}

TEST(StageKeys, LowestDigitDecidesAndKeysAreReadInOrder) {
    MiddleFloor();
    HoldKeys({3, 6, 8, kK, kI, kP});  // digits 2, 5 and 7
    TraceCapture trace;
    g::cheat();
    std::vector<double> read;
    for (const TraceLine& key : Only(trace.Stop(), "KEY")) read.push_back(key.Num(0));
    // 8 first; a held digit goes on to K, I and P.
    EXPECT_EQ(read,
              (std::vector<double>{9, 8, 37, 23, 25, 7, 6, 37, 23, 25, 5, 4, 3, 37, 23, 25, 2}));
    EXPECT_EQ(g::round, 2);
    EXPECT_EQ(g::gegner1zahl, -1);
    EXPECT_EQ(g::gegner4zahl, -1);
}

TEST(StageKeys, LevelStartRunsInTheSamePass) {
    MiddleFloor();
    g::levelnext = 0;
    HoldKeys({4, kK, kI, kP});
    TraceCapture trace;
    EXPECT_EQ(g::hauptschleife(), g::Sprung::levelstart);
    std::vector<TraceLine> lines = trace.Stop();
    EXPECT_TRUE(Only(lines, "SPRITE").empty());
    EXPECT_TRUE(Only(lines, "SHOWSCREEN").empty());
    EXPECT_EQ(g::round, 3);
}

// From round 2 the stage block of roundcount 6 runs as well: stage 6, level 2, six
// type-2 aliens.
TEST(StageKeys, StageOvertakenByRoundcount) {
    MiddleFloor();
    g::roundcount = 6;
    HoldKeys({3, kK, kI, kP});
    g::cheat();
    EXPECT_EQ(g::round, 2);
    KeysFromNow({"+1 tap 57"});
    TraceCapture trace;
    g::level();
    std::vector<TraceLine> prints = Only(trace.Stop(), "PRINT");
    EXPECT_EQ(g::round, 6);
    EXPECT_EQ(g::levelz, 2);
    EXPECT_EQ(g::gegner1zahl, -1);
    EXPECT_EQ(g::gegner2zahl, 5);
    EXPECT_EQ(g::gegner3zahl, -1);
    EXPECT_EQ(g::gegner4zahl, -1);
    ASSERT_GE(prints.size(), 2u);
    EXPECT_EQ(prints[0].args[0], "Stage 6");
    EXPECT_EQ(prints[1].args[0], "Level 2");
}

}  // namespace
