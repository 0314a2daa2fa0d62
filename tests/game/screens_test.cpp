// The start, intro and victory screens and the radar, called directly on a running
// runtime (part of game_test, whose main starts the runtime): what each pass draws,
// plays and prints, and when space ends a screen.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "game/kip_globals.h"
#include "game/kip_routines.h"
#include "runtime/Options.h"
#include "commands/kv.h"
#include "tests/game/game_test_support.h"

namespace g = kipgame;

namespace {

constexpr double kPi = 3.14159265358979323846;

// The drawing of the given slots in one pass (ZOOMSPRITE or ROTOZOOMSPRITE lines).
std::vector<TraceLine> Drawn(const std::vector<TraceLine>& pass, const std::vector<int>& slots,
                             const std::string& command = "ZOOMSPRITE") {
    std::vector<TraceLine> out;
    for (const TraceLine& line : Only(pass, command))
        for (int slot : slots)
            if (line.Num(0) == slot) out.push_back(line);
    return out;
}

bool Plays(const std::vector<TraceLine>& pass, double slot) {
    for (const TraceLine& line : Only(pass, "PLAYSOUND"))
        if (line.Num(0) == slot && line.Num(1) == 0 && line.Num(2) == 1) return true;
    return false;
}

// The standing hero's picture for counter n, from the table of bands: 1-8 front,
// 9-16 and 25-32 turning, 17-24 side, 33-40 front.
double StandingPicture(int n) {
    const double bands[5] = {4, 40, 41, 40, 4};
    return bands[(n - 1) / 8];
}

// The start screen's hero counter in pass p: 1 ... 40, then back to 1 and on at once
// to 2, so later rounds run 2 ... 40.
int StandingCounter(int p) { return p <= 40 ? p : (p - 41) % 39 + 2; }

// Runs a screen routine with space pressed after the given number of frames.
std::vector<std::vector<TraceLine>> RunUntilSpace(void (*screen)(), int frames) {
    std::string pressSpace = "+";
    pressSpace += std::to_string(frames) + " down 57";
    KeysFromNow({pressSpace});
    TraceCapture trace;
    screen();
    return ByFrame(trace.Stop());
}

// ---------------------------------------------------------------------------------
// Start screen

TEST(StartScreen, FirstVisitGrowsShootsAndShowsTheTitle) {
    g::ResetAllVariables();
    std::vector<std::vector<TraceLine>> passes = RunUntilSpace(g::start, 830);
    ASSERT_EQ(passes.size(), 831u);

    for (int p = 1; p <= 830; ++p) {
        const std::vector<TraceLine>& pass = passes[p - 1];
        SCOPED_TRACE("pass " + std::to_string(p));
        ASSERT_EQ(Only(pass, "SHOWSCREEN").size(), 1u);
        EXPECT_TRUE(Plays(pass, 5));  // the music, every pass
        std::vector<TraceLine> stars = Only(pass, "SPRITE");
        ASSERT_EQ(stars.size(), 21u);
        EXPECT_EQ(stars[20].Num(0), 111);
        EXPECT_EQ(stars[20].Num(1), 400);
        EXPECT_EQ(stars[20].Num(2), 0);

        std::vector<TraceLine> hero = Drawn(pass, {4, 40, 41});
        std::vector<TraceLine> turned = Drawn(pass, {5});
        std::vector<TraceLine> bullet = Drawn(pass, {9});
        std::vector<TraceLine> alien = Drawn(pass, {200, 201, 202, 203, 204});
        std::vector<TraceLine> title = Drawn(pass, {300, 301, 413});
        if (p <= 800) {
            // Growing: hero at the right, alien at the left, 0.01 more each pass.
            ASSERT_EQ(hero.size(), 1u);
            EXPECT_EQ(hero[0].Num(0), StandingPicture(StandingCounter(p)));
            EXPECT_EQ(hero[0].Num(1), 480);
            EXPECT_EQ(hero[0].Num(2), 260);
            EXPECT_NEAR(hero[0].Num(3), 0.01 * p, 1e-4);
            EXPECT_NEAR(hero[0].Num(4), 0.01 * p, 1e-4);
            EXPECT_TRUE(turned.empty());
            EXPECT_TRUE(bullet.empty());
            EXPECT_FALSE(Plays(pass, 2));
        } else if (p <= 823) {
            // The shot: the hero faces left, the bullet flies 10 pixels a pass.
            EXPECT_TRUE(hero.empty());
            ASSERT_EQ(turned.size(), 1u);
            EXPECT_EQ(turned[0].Num(1), 480);
            EXPECT_NEAR(turned[0].Num(3), 8.01, 1e-4);
            ASSERT_EQ(bullet.size(), 1u);
            EXPECT_NEAR(bullet[0].Num(1), 370 - 10 * (p - 801), 1e-9);
            EXPECT_EQ(bullet[0].Num(2), 300);
            EXPECT_EQ(Plays(pass, 2), p == 801);
        } else {
            // After the hit: the hero stands again, the title grows in.
            ASSERT_EQ(hero.size(), 1u);
            EXPECT_NEAR(hero[0].Num(3), 8.01, 1e-4);
            EXPECT_TRUE(bullet.empty());
        }
        EXPECT_EQ(Plays(pass, 0), p == 823);  // the alien is hit
        EXPECT_EQ(alien.size(), p <= 822 ? 1u : 0u);
        if (!alien.empty()) {
            EXPECT_EQ(alien[0].Num(0), 200 + (p - 1) % 30 / 6);
            EXPECT_EQ(alien[0].Num(1), 100);
            EXPECT_EQ(alien[0].Num(2), 260);
            EXPECT_NEAR(alien[0].Num(3), std::min(0.01 * p, 8.0), 1e-4);
        }
        if (p <= 823) {
            EXPECT_TRUE(title.empty());
        } else {
            ASSERT_EQ(title.size(), 3u);
            const double at[3][3] = {{300, 0, 0}, {301, 166, 300}, {413, 170, 360}};
            for (int k = 0; k < 3; ++k) {
                EXPECT_EQ(title[k].Num(0), at[k][0]);
                EXPECT_EQ(title[k].Num(1), at[k][1]);
                EXPECT_EQ(title[k].Num(2), at[k][2]);
                EXPECT_NEAR(title[k].Num(3), 0.01 * (p - 823), 1e-4);
            }
        }
    }
    // The pass in which space is held ends before the alien and without SHOWSCREEN.
    const std::vector<TraceLine>& last = passes[830];
    EXPECT_TRUE(Only(last, "SHOWSCREEN").empty());
    EXPECT_EQ(Drawn(last, {4, 40, 41}).size(), 1u);
    EXPECT_EQ(g::schuss, 5);
    EXPECT_EQ(g::ink, 8);
}

TEST(StartScreen, SpaceEndsItInTheFirstPassInWhichItIsHeld) {
    g::ResetAllVariables();
    std::vector<std::vector<TraceLine>> passes = RunUntilSpace(g::start, 0);
    ASSERT_EQ(passes.size(), 1u);
    EXPECT_TRUE(Only(passes[0], "SHOWSCREEN").empty());
    // Stars and the hero at zoom 0.01 are drawn; the alien is not reached.
    EXPECT_EQ(Only(passes[0], "SPRITE").size(), 21u);
    std::vector<TraceLine> hero = Drawn(passes[0], {4});
    ASSERT_EQ(hero.size(), 1u);
    EXPECT_NEAR(hero[0].Num(3), 0.01, 1e-9);
    EXPECT_TRUE(Drawn(passes[0], {200}).empty());

    passes = RunUntilSpace(g::start, 5);
    EXPECT_EQ(passes.size(), 6u);
    EXPECT_EQ(g::ink, 0.01 * 7);
}

TEST(StartScreen, LaterVisitBeginsInTheFinalPicture) {
    g::ResetAllVariables();
    g::schuss = 5;
    g::ink = 8;
    g::kni = 0.6;
    g::kipstanda = 17;
    std::vector<std::vector<TraceLine>> passes = RunUntilSpace(g::start, 2);
    ASSERT_EQ(passes.size(), 3u);
    for (int p = 1; p <= 2; ++p) {
        const std::vector<TraceLine>& pass = passes[p - 1];
        // Only the title grows in again, from nothing.
        std::vector<TraceLine> title = Drawn(pass, {300, 301, 413});
        ASSERT_EQ(title.size(), 3u);
        EXPECT_NEAR(title[0].Num(3), 0.01 * p, 1e-9);
        std::vector<TraceLine> hero = Drawn(pass, {4, 40, 41});
        ASSERT_EQ(hero.size(), 1u);
        EXPECT_EQ(hero[0].Num(0), 41);  // counters 18 and 19
        EXPECT_NEAR(hero[0].Num(3), 8.01, 1e-9);
        EXPECT_TRUE(Drawn(pass, {5, 9, 200, 201, 202, 203, 204}).empty());
        EXPECT_FALSE(Plays(pass, 0));
        EXPECT_FALSE(Plays(pass, 2));
    }
    // New stars for every visit, inside the screen.
    EXPECT_EQ(g::xstern.ElementCount(), 20);
    for (int k = 0; k < 20; ++k) {
        EXPECT_GE(g::xstern(k), 0);
        EXPECT_LE(g::xstern(k), 640);
        EXPECT_LE(g::ystern(k), 480);
    }
}

// ---------------------------------------------------------------------------------
// Intro

TEST(IntroScreen, NeedsSpaceReleasedAndPressedAgain) {
    g::ResetAllVariables();
    // The press that ended the start screen is still held.
    KeysFromNow({"+0 down 57", "+3 up 57", "+6 down 57"});
    TraceCapture trace;
    g::intro();
    std::vector<TraceLine> lines = trace.Stop();
    std::vector<std::vector<TraceLine>> passes = ByFrame(lines);
    ASSERT_EQ(passes.size(), 7u);
    EXPECT_EQ(Only(lines, "SHOWSCREEN").size(), 6u);
    EXPECT_EQ(g::schaltintro, 0);
    std::vector<TraceLine> fonts = Only(lines, "LOADFONT");
    ASSERT_EQ(fonts.size(), 1u);
    EXPECT_EQ(fonts[0].args[0], "fontklein.bmp");
    EXPECT_EQ(fonts[0].Num(1), 1);

    const std::vector<std::string> story = {
        "Die Raumstation Delta 7 wurde von", "feindlichen Aliens eingenommen.",
        "Kip Astronaut ist der einzige",     "Ueberlebende.",
        "Ob er Delta 7 befreien kann liegt", "in deinen Haenden.",
    };
    for (const std::vector<TraceLine>& pass : passes) {
        ASSERT_EQ(Only(pass, "SETFONT").size(), 1u);
        std::vector<TraceLine> prints = Only(pass, "PRINT");
        ASSERT_EQ(prints.size(), 7u);
        for (int k = 0; k < 6; ++k) {
            EXPECT_EQ(prints[k].args[0], story[k]);
            EXPECT_EQ(prints[k].Num(1), 20);
            EXPECT_EQ(prints[k].Num(2), 20 + 30 * k);
        }
        EXPECT_EQ(prints[6].args[0], "Weiter mit Leertaste");
        EXPECT_EQ(prints[6].Num(1), 200);
        EXPECT_EQ(prints[6].Num(2), 450);
        EXPECT_TRUE(Only(pass, "PLAYSOUND").empty());
    }
    // The returning pass draws no figure.
    EXPECT_TRUE(Drawn(passes[6], {408, 409}).empty());
}

// The figure's drawn angle runs 0 ... 79, 79 ... 1 degrees in 159 passes; the
// picture changes to its mirror at the narrow point, where both are drawn; the second
// half of the 318-pass cycle runs from the mirror picture back.
TEST(IntroScreen, FigureTurnsIn159PassHalves) {
    g::ResetAllVariables();
    std::vector<std::vector<TraceLine>> passes = RunUntilSpace(g::intro, 330);
    ASSERT_EQ(passes.size(), 331u);
    for (int p = 1; p <= 330; ++p) {
        SCOPED_TRACE("pass " + std::to_string(p));
        int q = (p - 1) % 318 + 1;  // pass within the cycle
        int h = (q - 1) % 159 + 1;  // pass within the half
        bool second = q > 159;
        double angle = h <= 80 ? h - 1 : 160 - h;
        double near = second ? 409 : 408, far = second ? 408 : 409;
        std::vector<double> want;
        if (h <= 80) want.push_back(near);
        if (h >= 80) want.push_back(far);
        std::vector<TraceLine> figure = Drawn(passes[p - 1], {408, 409});
        ASSERT_EQ(figure.size(), want.size());
        for (size_t k = 0; k < want.size(); ++k) {
            EXPECT_EQ(figure[k].Num(0), want[k]);
            EXPECT_EQ(figure[k].Num(1), 35);
            EXPECT_EQ(figure[k].Num(2), 200);
            EXPECT_NEAR(figure[k].Num(3), 1 - std::sin(angle * kPi / 180), 1e-5);
            EXPECT_EQ(figure[k].Num(4), 1);
        }
    }
}

// ---------------------------------------------------------------------------------
// Victory

std::vector<std::string> HeroDrawings(const std::vector<std::vector<TraceLine>>& passes) {
    std::vector<std::string> out;
    for (const std::vector<TraceLine>& pass : passes)
        for (const TraceLine& r : Only(pass, "ROTOZOOMSPRITE")) {
            char text[128];
            std::snprintf(text, sizeof text, "%g@%g,%g/%g*%g", r.Num(0), r.Num(1), r.Num(2),
                          r.Num(3), r.Num(4));
            out.push_back(text);
        }
    return out;
}

TEST(VictoryScreen, FirstPassAtZoomZeroThenFourTimes) {
    g::ResetAllVariables();
    KeysFromNow({"+3 tap 57"});
    TraceCapture trace;
    g::sieg();
    std::vector<std::vector<TraceLine>> passes = ByFrame(trace.Stop());
    ASSERT_EQ(passes.size(), 4u);
    EXPECT_EQ(HeroDrawings(passes),
              (std::vector<std::string>{"4@0,0/0*0", "4@2,2/2*4", "4@4,4/4*4"}));
    for (const std::vector<TraceLine>& pass : passes) {
        EXPECT_TRUE(Plays(pass, 5));
        std::vector<TraceLine> prints = Only(pass, "PRINT");
        ASSERT_EQ(prints.size(), 3u);
        EXPECT_EQ(prints[0].args[0], "Du hast Delta 7 befreit !");
        EXPECT_EQ(prints[0].Num(1), 20);
        EXPECT_EQ(prints[0].Num(2), 20);
        EXPECT_EQ(prints[1].args[0], "Herzlichen Glueckwunsch !");
        EXPECT_EQ(prints[1].Num(2), 100);
        EXPECT_EQ(prints[2].args[0], "Weiter mit Leertaste");
        EXPECT_EQ(prints[2].Num(1), 200);
        EXPECT_EQ(prints[2].Num(2), 400);
    }
    EXPECT_EQ(g::sterben, 1);
    EXPECT_EQ(g::schalto, 0);
}

// The angle goes back to 1, not 0, after 360; the hero bounces at 550 and 80; his
// counter goes back to 0 after 40, so the front picture shows for nine passes.
TEST(VictoryScreen, TumblesBouncesAndWaitsForAFreshPress) {
    g::ResetAllVariables();
    g::phi = 358;
    g::xi = 548;
    g::yi = 82;
    g::linksschaltery = 1;
    g::kipstan = 40;
    g::inkw = 4;
    // Space held on entry: it must be released before a press counts.
    KeysFromNow({"+0 down 57", "+8 up 57", "+10 down 57"});
    TraceCapture trace;
    g::sieg();
    std::vector<std::vector<TraceLine>> passes = ByFrame(trace.Stop());
    ASSERT_EQ(passes.size(), 11u);
    EXPECT_EQ(
        HeroDrawings(passes),
        (std::vector<std::string>{"4@548,82/358*4", "4@550,80/360*4", "4@548,82/3*4",
                                  "4@546,84/5*4", "4@544,86/7*4", "4@542,88/9*4", "4@540,90/11*4",
                                  "4@538,92/13*4", "4@536,94/15*4", "40@534,96/17*4"}));
    EXPECT_EQ(g::sterben, 1);
}

// Clearing the last level of stage 8 shows the victory screen; after space the stage
// screen shows stage 8, level 0, and the next main-loop pass restarts the game.
TEST(VictoryScreen, EndsTheGame) {
    g::ResetAllVariables();
    for (KvIntArray* a : {&g::kugel1g, &g::fluglinksg, &g::kugel2g, &g::flugrechtsg, &g::kugel1h,
                          &g::fluglinksh, &g::kugel2h, &g::flugrechtsh})
        DIM(*a, 25);
    g::round = 8;
    g::roundcount = 8;
    g::levelz = 3;
    g::gegner1zahl = g::gegner2zahl = g::gegner3zahl = -1;
    g::gegner4zahl = 19;
    KeysFromNow({"+1 tap 57", "+3 tap 57"});
    TraceCapture trace;
    g::level();
    std::vector<TraceLine> prints = Only(trace.Stop(), "PRINT");
    ASSERT_GE(prints.size(), 6u);
    EXPECT_EQ(prints[0].args[0], "Du hast Delta 7 befreit !");
    EXPECT_EQ(prints[prints.size() - 3].args[0], "Stage 8");
    EXPECT_EQ(prints[prints.size() - 2].args[0], "Level 0");
    EXPECT_EQ(g::sterben, 1);
    HoldKeys({});
    EXPECT_EQ(g::hauptschleife(), g::Sprung::spielstart);
}

// After the victory the stage screen's press still holds space when the game starts
// again: the start screen runs one pass in its final picture (the title growing in
// anew, the hero at full size, no alien) and ends at once, before any frame is shown;
// the intro, which waits for a fresh press, follows in the same frame.
TEST(VictoryScreen, RestartRunsTheStartScreenInItsFinalPicture) {
    g::ResetAllVariables();
    for (KvIntArray* a : {&g::kugel1g, &g::fluglinksg, &g::kugel2g, &g::flugrechtsg, &g::kugel1h,
                          &g::fluglinksh, &g::kugel2h, &g::flugrechtsh})
        DIM(*a, 25);
    g::schuss = 5;  // the first visit of the start screen is over
    g::ink = 8;
    g::kni = 1;
    g::round = 8;
    g::roundcount = 8;
    g::gegner1zahl = g::gegner2zahl = g::gegner3zahl = -1;
    g::gegner4zahl = 19;
    g::lives = 1;
    long first = KvFrameNumber();
    KeysFromNow({"+1 tap 57", "+3 down 57", "+5 up 57", "+7 down 57", "+9 up 57", "+11 tap 57"});
    TraceCapture trace;
    g::level();
    ASSERT_EQ(g::sterben, 1);
    ASSERT_EQ(g::hauptschleife(), g::Sprung::spielstart);
    g::spielstart();
    g::levelstart();
    std::vector<std::vector<TraceLine>> frames = ByFrame(trace.Stop());
    ASSERT_EQ(KvFrameNumber() - first, 11);
    ASSERT_EQ(frames.size(), 12u);

    // Frame 3: the stage screen's last pass, the start screen's only pass, the intro's
    // first pass, and then the frame is shown.
    std::vector<std::string> order;
    for (const TraceLine& line : frames[3]) {
        std::string step = line.command == "PRINT" ? line.args[0] : line.command;
        if (step == "Level 0" || step == "SHOWSCREEN" ||
            step == "Die Raumstation Delta 7 wurde von" ||
            (line.command == "ZOOMSPRITE" && line.Num(0) == 300))
            order.push_back(step == "ZOOMSPRITE" ? "title" : step);
    }
    EXPECT_EQ(order, (std::vector<std::string>{"Level 0", "title",
                                               "Die Raumstation Delta 7 wurde von", "SHOWSCREEN"}));
    std::vector<TraceLine> title = Drawn(frames[3], {300, 301, 413});
    ASSERT_EQ(title.size(), 3u);
    EXPECT_NEAR(title[0].Num(3), 0.01, 1e-9);
    std::vector<TraceLine> hero = Drawn(frames[3], {4, 40, 41});
    ASSERT_EQ(hero.size(), 1u);
    EXPECT_NEAR(hero[0].Num(3), 8.01, 1e-9);
    EXPECT_TRUE(Drawn(frames[3], {5, 9, 200, 201, 202, 203, 204}).empty());
    EXPECT_EQ(Only(frames[3], "SPRITE").size(), 21u);  // new stars
    // The new game's first stage screen, stage 1 level 1, four spare lives.
    EXPECT_EQ(Only(frames[7], "PRINT").at(0).args[0], "Die Raumstation Delta 7 wurde von");
    EXPECT_EQ(Only(frames[11], "PRINT").at(0).args[0], "Stage 1");
    EXPECT_EQ(Only(frames[11], "PRINT").at(1).args[0], "Level 1");
    EXPECT_EQ(g::lives, 4);
    EXPECT_EQ(g::sterben, 0);
}

// ---------------------------------------------------------------------------------
// Radar

void DimensionAliens() {
    for (KvIntArray* a : {&g::tac, &g::tacy, &g::wa, &g::way, &g::tacd, &g::tacdy, &g::walkvg,
                          &g::wah, &g::wahy, &g::walkvh})
        DIM(*a, 25);
    g::gegner1zahl = g::gegner2zahl = g::gegner3zahl = g::gegner4zahl = -1;
}

std::vector<TraceLine> RadarSprites() {
    TraceCapture trace;
    g::radar();
    return Only(trace.Stop(), "SPRITE");
}

void ExpectMark(const TraceLine& line, double slot, double x, double y) {
    EXPECT_EQ(line.Num(0), slot);
    EXPECT_NEAR(line.Num(1), x, 1e-3);
    EXPECT_NEAR(line.Num(2), y, 1e-3);
}

TEST(Radar, PlayerMarkFollowsTheView) {
    g::ResetAllVariables();
    DimensionAliens();
    g::walkh = 320;
    g::walkv = 200;
    std::vector<TraceLine> sprites = RadarSprites();
    ASSERT_EQ(sprites.size(), 2u);
    ExpectMark(sprites[0], 410, 534, 394);
    // (950 / 19 + 537, 450 / 9 + 397).
    ExpectMark(sprites[1], 411, 587, 447);

    // At the left end of the level, scrolled down: 18 / 19 and 500 / 9.
    g::walkh = 28;
    g::scrollx = -640;
    g::walkv = 150;
    g::scrolly = 100;
    sprites = RadarSprites();
    ASSERT_EQ(sprites.size(), 2u);
    ExpectMark(sprites[1], 411, 537.947368, 452.555556);
}

TEST(Radar, OneMarkPerLivingAlien) {
    g::ResetAllVariables();
    DimensionAliens();
    g::walkh = 320;
    g::walkv = 200;
    // Type 1: the left end of the level, a dead one, the right end.
    g::gegner1zahl = 2;
    g::tac(0) = -640;
    g::tacy(0) = 0;
    g::tac(1) = 5555;
    g::tac(2) = 1280;
    g::tacy(2) = 416;
    // Type 2: none in play, whatever its arrays hold.
    g::wa(0) = 100;
    // Type 3 and 4 carry their hop offsets; a dead type-4 alien first.
    g::gegner3zahl = 0;
    g::tacd(0) = 0;
    g::tacdy(0) = 160;
    g::walkvg(0) = -40;
    g::gegner4zahl = 1;
    g::wah(0) = 5555;
    g::wah(1) = 100;
    g::wahy(1) = -160;
    g::walkvh(1) = -10;
    std::vector<TraceLine> sprites = RadarSprites();
    ASSERT_EQ(sprites.size(), 6u);
    ExpectMark(sprites[0], 410, 534, 394);
    ExpectMark(sprites[1], 411, 587, 447);
    // x: (x + 630) / 19 + 537; y: (row - 26 + hop + 250) / 9 + 396.
    ExpectMark(sprites[2], 412, 536.473684, 420.888889);  // -10 / 19, 224 / 9
    ExpectMark(sprites[3], 412, 637.526316, 467.111111);  // 1910 / 19, 640 / 9
    ExpectMark(sprites[4], 412, 570.157895, 434.222222);  // 630 / 19, 344 / 9
    ExpectMark(sprites[5], 412, 575.421053, 402);         // 730 / 19, 54 / 9
    // The fraction goes to the drawing as it is.
    EXPECT_NE(sprites[2].Num(1), std::floor(sprites[2].Num(1)));
}

}  // namespace
