// The level: building the field, stars, platforms and ladders; the stage and level
// counters with the stage screen; drawing the level every frame.
#include "game/kip_globals.h"
#include "game/kip_routines.h"

#define KIP_FILE 2
#include "game/kip_line.h"

namespace kipgame {

namespace {

// An empty field of 50 rows by 65 columns, and new stars.
void feldUndSterne() {
    spielfeldgrossex = 65;
    spielfeldgrossey = 50;
    L DIM(feld, spielfeldgrossey, spielfeldgrossex);
    for (i = 0; i <= 49; i = i + 1) {
        for (j = 0; j <= 64; j = j + 1) {
            L feld(i, j) = 0;
        }
    }

    L DIM(sternx, 100);
    L DIM(sterny, 100);
    for (i = 0; i <= 99; i = i + 1) {
        L sterna = RND(1919);
        L sternb = RND(1439);
        L sternx(i) = sterna;
        L sterny(i) = sternb;
    }
}

// Walls with their ends; platforms, then their gaps.
void waendeUndPlattformen() {
    for (i = 9; i <= 29; i = i + 1) {
        L feld(i, 0) = 2;
        L feld(i, 60) = 22;
    }
    L feld(8, 0) = 222;
    L feld(30, 0) = 2222;
    L feld(8, 60) = 222;
    L feld(30, 60) = 22222;

    plattformanzahl = 5;
    L DIM(plattform, plattformanzahl + 1);
    L plattform(4) = 15;
    L plattform(3) = 10;
    L plattform(2) = 20;
    L plattform(1) = 24;
    L plattform(0) = 28;
    for (p = 0; p <= plattformanzahl - 1; p = p + 1) {
        for (j = 1; j <= 59; j = j + 1) {
            L feld(plattform(p), j) = 1;
        }
    }
    L feld(plattform(2), 20) = 0;
    L feld(plattform(3), 30) = 0;
    L feld(plattform(1), 10) = 0;
    L feld(plattform(2), 36) = 0;
    L feld(plattform(3), 50) = 0;
}

// Ladders, over the platform cells they cross.
void leitern() {
    leiteranzahl = 7;
    L DIM(leiter, leiteranzahl + 1);
    L DIM(leiteranfang, leiteranzahl + 1);
    L DIM(leiterende, leiteranzahl + 1);
    L leiter(0) = 30; leiteranfang(0) = 24; leiterende(0) = 27;
    L leiter(1) = 34; leiteranfang(1) = 20; leiterende(1) = 23;
    L leiter(2) = 27; leiteranfang(2) = 10; leiterende(2) = 19;
    L leiter(3) = 5; leiteranfang(3) = 10; leiterende(3) = 19;
    L leiter(4) = 40; leiteranfang(4) = 10; leiterende(4) = 19;
    L leiter(5) = 3; leiteranfang(5) = 10; leiterende(5) = 27;
    L leiter(6) = 58; leiteranfang(6) = 10; leiterende(6) = 27;
    for (l = 0; l <= leiteranzahl - 1; l = l + 1) {
        L for (i = leiteranfang(l); i <= leiterende(l); i = i + 1) {
            L feld(i, leiter(l)) = 3;
        }
    }
}

}  // namespace

// The level is built anew at every level start; the player starts at screen x 320.
void level_1_initial() {
    feldUndSterne();
    waendeUndPlattformen();
    leitern();
    walkh = 320;
}

namespace {

void geschosseLoeschen() {
    kugel1 = 0;
    fluglinks = 0;
    kugel2 = 0;
    flugrechts = 0;
    for (i = 0; i <= 24; i = i + 1) {
        L kugel1g(i) = 0;
        L fluglinksg(i) = 0;
        L kugel2g(i) = 0;
        L flugrechtsg(i) = 0;
        L kugel1h(i) = 0;
        L fluglinksh(i) = 0;
        L kugel2h(i) = 0;
        L flugrechtsh(i) = 0;
    }
}

// The stage progression: eight blocks, each tested once per call; a block that
// finishes its stage sets the values that make the next block run in the same call.
void stufe1() {
    if (round == 1) {
        levelz = levelz + 1;
        gegner1zahl = gegner1zahl + 1;
        if (gegner1zahl >= 5) {
            gegner1zahl = 5;
            levelz = 0;
        }
    }
}

void stufe2() {
    if (gegner1zahl == 5 || round == 2) {
        levelz = levelz + 1;
        round = 2;
        gegner1zahl = -1;
        gegner2zahl = gegner2zahl + 1;
        if (gegner2zahl >= 5) {
            gegner2zahl = 5;
            levelz = 0;
        }
    }
}

void stufe3() {
    if (gegner2zahl == 5 || round == 3) {
        levelz = levelz + 1;
        round = 3;
        gegner1zahl = -1;
        gegner2zahl = -1;
        gegner3zahl = gegner3zahl + 1;
        if (gegner3zahl >= 5) {
            gegner3zahl = 5;
            levelz = 0;
        }
    }
}

void stufe4() {
    if (gegner3zahl == 5 || round == 4) {
        levelz = levelz + 1;
        round = 4;
        gegner1zahl = -1;
        gegner2zahl = -1;
        gegner3zahl = -1;
        gegner4zahl = gegner4zahl + 1;
        if (gegner4zahl >= 5) {
            roundcount = 5;
            gegner4zahl = 4;
            levelz = 0;
            gegner1zahl = 4;
        }
    }
}

void stufe5() {
    if (roundcount == 5 || round == 5) {
        levelz = levelz + 1;
        round = 5;
        gegner1zahl = gegner1zahl + 5;
        gegner2zahl = -1;
        gegner3zahl = -1;
        gegner4zahl = -1;
        if (gegner1zahl >= 24) {
            roundcount = 6;
            gegner1zahl = 24;
            levelz = 0;
            gegner2zahl = 4;
        }
    }
}

void stufe6() {
    if (roundcount == 6 || round == 6) {
        levelz = levelz + 1;
        round = 6;
        gegner1zahl = -1;
        gegner2zahl = gegner2zahl + 5;
        gegner3zahl = -1;
        gegner4zahl = -1;
        if (gegner2zahl >= 24) {
            roundcount = 7;
            gegner2zahl = 24;
            levelz = 0;
            gegner3zahl = 4;
        }
    }
}

void stufe7() {
    if (roundcount == 7 || round == 7) {
        levelz = levelz + 1;
        round = 7;
        gegner1zahl = -1;
        gegner2zahl = -1;
        gegner3zahl = gegner3zahl + 5;
        gegner4zahl = -1;
        if (gegner3zahl >= 24) {
            roundcount = 8;
            gegner3zahl = 24;
            levelz = 0;
            gegner4zahl = 4;
        }
    }
}

void stufe8() {
    if (roundcount == 8 || round == 8) {
        levelz = levelz + 1;
        round = 8;
        gegner1zahl = -1;
        gegner2zahl = -1;
        gegner3zahl = -1;
        gegner4zahl = gegner4zahl + 5;
        if (gegner4zahl >= 24) {
            roundcount = 9;
            gegner4zahl = 24;
            levelz = 0;
            sieg();
        }
    }
}

void stufeWeiter() {
    stufe1();
    stufe2();
    stufe3();
    stufe4();
    stufe5();
    stufe6();
    stufe7();
    stufe8();
}

}  // namespace

// The cyclops of the stage and caught screens walks from 60 to 540 and back at height y.
void zyklopLaeuft(double y) {
    L if (tiu < 10) ZOOMSPRITE(tiuschalter == 1 ? 403 : 400, laufen, y, tiuzoom / 100, tiuzoom / 100);
    L if (tiu >= 10 && tiu < 20) ZOOMSPRITE(tiuschalter == 1 ? 404 : 401, laufen, y, tiuzoom / 100, tiuzoom / 100);
    L if (tiu >= 20 && tiu < 30) ZOOMSPRITE(tiuschalter == 1 ? 405 : 402, laufen, y, tiuzoom / 100, tiuzoom / 100);
    tiu = tiu + 1;
    if (tiu >= 30) tiu = 0;
    if (tiuschalter == 0) laufen = laufen + 1;
    if (laufen >= 540 || tiuschalter == 1) {
        tiuschalter = 1;
        laufen = laufen - 1;
        if (laufen <= 60) tiuschalter = 0;
    }
    tiuzoom = 400;
}

void level() {
    L HUSH();
    geschosseLoeschen();
    lives = lives + 1;
    if (lives >= 4) lives = 4;
    stufeWeiter();
    levelnext = 0;
    L LOADFONT("fontklein.bmp", 1);
    L SETFONT(1);
    laufen = 60;

    // The stage screen: space must be seen free here before a press counts.
    for (;;) {
        L PRINT(KvStr("Stage") + " " + round, 200, 200);
        L PRINT(KvStr("Level") + " " + levelz, 200, 240);
        L PRINT("Weiter mit Leertaste", 200, 400);
        L if (KEY(57) == 1 && schalti == 1) {
            schalti = 0;
            return;
        }
        L if (KEY(57) == 0) schalti = 1;
        zyklopLaeuft(100);
        L SHOWSCREEN();
    }
}

void level_1() {
    // Stars at half the horizontal scrolling speed, then the big star.
    for (i = 0; i <= 99; i = i + 1) {
        L SPRITE(110, sternx(i) - 640 - scrollx * 0.5, sterny(i) - 480 - scrolly);
    }
    L SPRITE(111, 300 - scrollx * 0.5, -360 - scrolly);

    for (i = 0; i <= spielfeldgrossey - 5; i = i + 1) {
        for (j = 0; j <= spielfeldgrossex - 5; j = j + 1) {
            L if (feld(i, j) == 2) SPRITE(50, 32 * j - 640 - scrollx, 32 * i - 480 - scrolly);
            L if (feld(i, j) == 1) SPRITE(10, 32 * j - 640 - scrollx, 32 * i - 480 - scrolly);
            L if (feld(i, j) == 3 && feld(i, j + 1) == 1) SPRITE(10, 32 * j - 640 - scrollx, 32 * i - 480 - scrolly);
            L if (feld(i, j) == 22) SPRITE(51, 32 * j - 640 - scrollx, 32 * i - 480 - scrolly);
            L if (feld(i, j) == 3) SPRITE(11, 32 * j - 640 - scrollx, 32 * i - 480 - scrolly + 2);
        }
    }

    // The wall ends: cells (8, 0), (30, 0), (8, 60) and (30, 60).
    L SPRITE(54, -640 - scrollx, -224 - scrolly);
    L SPRITE(52, -640 - scrollx, 480 - scrolly);
    L SPRITE(54, 1280 - scrollx, -224 - scrolly);
    L SPRITE(53, 1280 - scrollx, 480 - scrolly);
}

}  // namespace kipgame
