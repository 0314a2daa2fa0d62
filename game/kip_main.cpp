// The main routine: game start, level start (media, actors, alien start table) and
// the main loop with the music switch, one pass per frame.
#include "game/kip_globals.h"
#include "game/kip_routines.h"

#define KIP_FILE 1
#include "game/kip_line.h"

namespace kipgame {

void __MainGameSub_() {
    for (;;) {
        spielstart();
        Sprung sprung;
        do {
            levelstart();
            do {
                sprung = hauptschleife();
            } while (sprung == Sprung::weiter);
        } while (sprung == Sprung::levelstart);
    }
}

void spielstart() {
    L LOADFONT("fontklein.bmp", 1);
    L SETFONT(1);
    lives = 3;
    gegner1zahl = -1;
    gegner2zahl = -1;
    gegner3zahl = -1;
    gegner4zahl = -1;
    levelz = 0;
    round = 1;
    roundcount = 0;
    musik = 1;
}

namespace {

void ladeMedien() {
    L LOADSOUND("bullfrog.wav", 0, 1);
    L LOADSOUND("arrow.wav", 1, 1);
    L LOADSOUND("gunshot1.wav", 2, 1);
    L LOADSOUND("arrow_leise.wav", 3, 1);
    L LOADSOUND("gunshot1_gegner.wav", 4, 1);
    L LOADSOUND("kip.wav", 5, 1);

    L LOADSPRITE("kip.bmp", 4);
    L LOADSPRITE("kipl.bmp", 5);
    L LOADSPRITE("kipr.bmp", 6);
    L LOADSPRITE("kipo.bmp", 7);
    L LOADSPRITE("kipo_a.bmp", 77);
    L LOADSPRITE("kipo_b.bmp", 777);
    L LOADSPRITE("kipu.bmp", 8);
    L LOADSPRITE("kipu_a.bmp", 88);
    L LOADSPRITE("kipu_b.bmp", 888);
    L LOADSPRITE("shot.bmp", 9);
    L LOADSPRITE("tile.bmp", 10);
    L LOADSPRITE("leiter.bmp", 11);
    L LOADSPRITE("kipl_a.bmp", 20);
    L LOADSPRITE("kipl_b.bmp", 21);
    L LOADSPRITE("kipr_a.bmp", 30);
    L LOADSPRITE("kipr_b.bmp", 31);
    L LOADSPRITE("kip_a.bmp", 40);
    L LOADSPRITE("kip_b.bmp", 41);
    L LOADSPRITE("randlinks.bmp", 50);
    L LOADSPRITE("randlinksunten.bmp", 52);
    L LOADSPRITE("randrechts.bmp", 51);
    L LOADSPRITE("randrechtsunten.bmp", 53);
    L LOADSPRITE("randoben.bmp", 54);
    L LOADSPRITE("stern1.bmp", 110);
    L LOADSPRITE("bigstar.bmp", 111);
    L LOADSPRITE("alien.bmp", 200);
    L LOADSPRITE("alien1.bmp", 201);
    L LOADSPRITE("alien2.bmp", 202);
    L LOADSPRITE("alien3.bmp", 203);
    L LOADSPRITE("alien4.bmp", 204);
    L LOADSPRITE("kip_start.bmp", 300);
    L LOADSPRITE("start_leertaste.bmp", 301);
    L LOADSPRITE("zyklopi.bmp", 400);
    L LOADSPRITE("zyklopi_a.bmp", 401);
    L LOADSPRITE("zyklopi_b.bmp", 402);
    L LOADSPRITE("zyklopil.bmp", 403);
    L LOADSPRITE("zyklopi_al.bmp", 404);
    L LOADSPRITE("zyklopi_bl.bmp", 405);
    L LOADSPRITE("shot1.bmp", 406);
    L LOADSPRITE("viewleiste.bmp", 407);
    L LOADSPRITE("kipperfekt.bmp", 408);
    L LOADSPRITE("kipperfekt_spiegel.bmp", 409);
    L LOADSPRITE("radar.bmp", 410);
    L LOADSPRITE("kipradar.bmp", 411);
    L LOADSPRITE("gegnerradar.bmp", 412);
    L LOADSPRITE("steuer.bmp", 413);
}

void spielerZuruecksetzen() {
    walkh = 0;
    walkv = 0;
    fluglinks = 0;
    flugrechts = 0;
    flugunten = 0;
    flugoben = 0;
    kipwalklinks = 0;
    kipwalkrechts = 0;
    kipwalkoben = 0;
    kipwalkunten = 0;
    kipstand = 0;
    jumper = 0;
    kipjumpi = 0;
    vertikal = 0;
    scrollx = 0;
    scrolly = 0;
    spielfeldgrossex = 0;
    spielfeldgrossey = 0;
    xkugel1 = 0;
    xkugel2 = 0;
    xkugel3 = 0;
    xkugel4 = 0;
    ykugel1 = 0;
    ykugel2 = 0;
    ykugel3 = 0;
    ykugel4 = 0;
    walkvga = 0;
    blicka = 0;
    laufen = 60;
}

// The start positions of the aliens: type 1 from the table, the other types copy them.
void gegnerTyp1() {
    L DIM(tac, 25);
    L tac(0) = 350; tac(1) = 380; tac(2) = 50; tac(3) = -200; tac(4) = -50;
    L tac(5) = 0; tac(6) = 200; tac(7) = 100; tac(8) = -100; tac(9) = 150;
    L tac(10) = 1200; tac(11) = -560; tac(12) = 1000; tac(13) = -400; tac(14) = 900;
    L tac(15) = 800; tac(16) = 700; tac(17) = 600; tac(18) = 500; tac(19) = 400;
    L tac(20) = 950; tac(21) = 750; tac(22) = -350; tac(23) = -500; tac(24) = 550;
    L DIM(tacy, 25);
    L tacy(0) = -160; tacy(1) = 0; tacy(2) = 160; tacy(3) = 288; tacy(4) = 416;
    L tacy(5) = -160; tacy(6) = 0; tacy(7) = 160; tacy(8) = 288; tacy(9) = 416;
    L tacy(10) = -160; tacy(11) = 0; tacy(12) = 160; tacy(13) = 288; tacy(14) = 416;
    L tacy(15) = -160; tacy(16) = 0; tacy(17) = 160; tacy(18) = 288; tacy(19) = 416;
    L tacy(20) = -160; tacy(21) = 0; tacy(22) = 160; tacy(23) = 288; tacy(24) = 416;
    L DIM(tacschalter, 25);
}

void gegnerTyp2und3() {
    L DIM(wa, 25);
    L DIM(way, 25);
    for (i = 0; i <= 24; i = i + 1) {
        L wa(i) = tac(i);
        L way(i) = tacy(i);
    }
    L DIM(waschalter, 25);

    L DIM(tacd, 25);
    L DIM(tacdy, 25);
    for (i = 0; i <= 24; i = i + 1) {
        L tacd(i) = tac(i);
        L tacdy(i) = tacy(i);
    }

    L DIM(kipjumpig, 25);
    L DIM(jumperg, 25);
    L DIM(walkvg, 25);
    L DIM(tacdschalter, 25);
    L DIM(fluglinksg, 25);
    L DIM(kugel1g, 25);
    L DIM(kugel2g, 25);
    L DIM(xkugel1g, 25);
    L DIM(ykugel1g, 25);
    L DIM(flugrechtsg, 25);
    L DIM(xkugel2g, 25);
    L DIM(ykugel2g, 25);
}

// Type 4 also follows the player at an offset of its own.
void gegnerTyp4() {
    L DIM(wah, 25);
    L DIM(wahy, 25);
    for (i = 0; i <= 24; i = i + 1) {
        L wah(i) = tac(i);
        L wahy(i) = tacy(i);
    }
    L DIM(wah4ink, 25);
    L wah4ink(0) = 0; wah4ink(1) = 80; wah4ink(2) = 180; wah4ink(3) = 100; wah4ink(4) = 0;
    L wah4ink(5) = 100; wah4ink(6) = -70; wah4ink(7) = 20; wah4ink(8) = 200;
    L wah4ink(9) = 130; wah4ink(10) = 180; wah4ink(11) = 0; wah4ink(12) = 40;
    L wah4ink(13) = -70; wah4ink(14) = -120; wah4ink(15) = -180; wah4ink(16) = -100;
    L wah4ink(17) = -50; wah4ink(18) = 0; wah4ink(19) = 80; wah4ink(20) = -100;
    L wah4ink(21) = 100; wah4ink(22) = -80; wah4ink(23) = 30; wah4ink(24) = -30;

    L DIM(kipjumpih, 25);
    L DIM(jumperh, 25);
    L DIM(walkvh, 25);
    L DIM(tachschalter, 25);
    L DIM(fluglinksh, 25);
    L DIM(kugel1h, 25);
    L DIM(kugel2h, 25);
    L DIM(xkugel1h, 25);
    L DIM(ykugel1h, 25);
    L DIM(flugrechtsh, 25);
    L DIM(xkugel2h, 25);
    L DIM(ykugel2h, 25);
}

void gegnerStarttabelle() {
    gegnerTyp1();
    gegnerTyp2und3();
    gegnerTyp4();
}

}  // namespace

void levelstart() {
    ladeMedien();
    spielerZuruecksetzen();
    gegnerStarttabelle();
    level_1_initial();
    // A cleared level or a chosen stage leaves levelnext at 1: no start screens then.
    if (levelnext != 1) {
        start();
        intro();
    }
    level();
    L HUSH();
}

Sprung hauptschleife() {
    cheat();
    musikschalter();
    if (sterben == 1) {
        sterben = 0;
        return Sprung::spielstart;
    }
    if (levelnext == 1) return Sprung::levelstart;
    // Every living alien sets this back to 0 while its routine runs.
    levelnext = 1;
    level_1();
    leiterklettern();
    kip();
    jump();
    shot();
    kugelfliegt();
    gegner();
    gegner2();
    gegner3();
    gegnerjump();
    gegner4();
    gegner4jump();
    L SPRITE(407, 0, 448);
    leben();
    radar();
    L SHOWSCREEN();
    return Sprung::weiter;
}

// Sound slot 5 holds the music with a single play buffer: playing it every frame
// keeps the tune going. Press and release M to stop it, again to start it.
void musikschalter() {
    L if (KEY(50) == 1 && musika == 0) musik = 1;
    L if (musik == 1 && KEY(50) == 0) musika = 1;
    if (musika == 1) {
        musik = 0;
        L PLAYSOUND(5, 0, 1);
    }
    L if (musika == 1 && musik == 0 && KEY(50) == 1) musikb = 1;
    L if (musikb == 1 && KEY(50) == 0) {
        musikb = 0;
        musika = 0;
        L HUSH();
    }
}

}  // namespace kipgame
