// The start, intro and victory screens: loops of their own, one pass a frame, each
// ending on the space bar. Their animation states are never reset, so a later visit
// goes on where the last one stopped.
#include "game/kip_globals.h"
#include "game/kip_routines.h"

#define KIP_FILE 7
#include "game/kip_line.h"

namespace kipgame {

namespace {

// The standing hero's picture for a counter of 1 ... 40: front, turning, side,
// turning, front, eight passes each; 0 for a counter beyond 40.
double stehbild(double zaehler) {
    if (zaehler <= 8) return 4;
    if (zaehler > 8 && zaehler <= 16) return 40;
    if (zaehler > 16 && zaehler <= 24) return 41;
    if (zaehler > 24 && zaehler <= 32) return 40;
    if (zaehler > 32 && zaehler <= 40) return 4;
    return 0;
}

void startSterne() {
    for (i = 0; i <= 19; i = i + 1) {
        L SPRITE(110, xstern(i), ystern(i));
    }
    L SPRITE(111, 400, 0);
}

// The title, the space-bar prompt and the controls grow in over 100 passes.
void startTitel() {
    kni = kni + 0.01;
    if (kni >= 1) kni = 1;
    L ZOOMSPRITE(300, 0, 0, kni, kni);
    L ZOOMSPRITE(301, 166, 300, kni, kni);
    L ZOOMSPRITE(413, 170, 360, kni, kni);
}

// Once the hero is fully grown he turns left and fires; the bullet flies 10 pixels
// a pass and hits the alien after 23 passes.
void startSchuss() {
    L if (schuss < 0.1) PLAYSOUND(2, 0, 1);
    L ZOOMSPRITE(5, 480, 260, ink, ink);
    L ZOOMSPRITE(9, 370 - schuss * 100, 300, ink, ink);
    schuss = schuss + 0.1;
    if (schuss > 2.3) {
        L PLAYSOUND(0, 0, 1);
        schuss = 5;
    }
}

void startAlien() {
    L if (ticc < 6) ZOOMSPRITE(200, 100, 260, ink, ink);
    L if (ticc >= 6 && ticc < 12) ZOOMSPRITE(201, 100, 260, ink, ink);
    L if (ticc >= 12 && ticc < 18) ZOOMSPRITE(202, 100, 260, ink, ink);
    L if (ticc >= 18 && ticc < 24) ZOOMSPRITE(203, 100, 260, ink, ink);
    L if (ticc >= 24 && ticc < 30) ZOOMSPRITE(204, 100, 260, ink, ink);
    ticc = ticc + 1;
    if (ticc >= 30) ticc = 0;
}

}  // namespace

// The hero and the alien grow for 800 passes, then the hero shoots the alien and the
// title grows in. Space ends the screen in the first pass in which it is held.
void start() {
    L DIM(xstern, 20);
    L DIM(ystern, 20);
    for (i = 0; i <= 19; i = i + 1) {
        L xstern(i) = RND(640);
        L ystern(i) = RND(480);
    }
    kni = 0;

    for (;;) {
        L PLAYSOUND(5, 0, 1);
        startSterne();
        if (schuss == 5) startTitel();
        kipstanda = kipstanda + 1;
        ink = ink + 0.01;
        L if ((ink <= 8 || schuss == 5) && stehbild(kipstanda) != 0)
            ZOOMSPRITE(stehbild(kipstanda), 480, 260, ink, ink);
        if (kipstanda == 40) kipstanda = 1;
        if (ink > 8 && schuss < 5) startSchuss();
        if (ink >= 8) ink = 8;
        L if (KEY(57) == 1) return;
        if (schuss < 5) startAlien();
        L SHOWSCREEN();
    }
}

namespace {

// Space counts only after it has been seen free on the screen: the latch is set while
// space is free, and a press with the latch set clears it and ends the screen.
bool frischeLeertaste(double& schalter) {
    L if (KEY(57) == 0) schalter = 1;
    L if (KEY(57) == 1 && schalter == 1) {
        schalter = 0;
        return true;
    }
    return false;
}

void introText() {
    L SETFONT(1);
    L PRINT("Die Raumstation Delta 7 wurde von", 20, 20);
    L PRINT("feindlichen Aliens eingenommen.", 20, 50);
    L PRINT("Kip Astronaut ist der einzige", 20, 80);
    L PRINT("Ueberlebende.", 20, 110);
    L PRINT("Ob er Delta 7 befreien kann liegt", 20, 140);
    L PRINT("in deinen Haenden.", 20, 170);
    L PRINT("Weiter mit Leertaste", 200, 450);
}

// One half of the turn: the figure narrows from picture vorne to its mirror picture
// hinten and widens again; in the pass at the narrow point both are drawn.
void introHalbeDrehung(double vorne, double hinten, double phaseVorne, double phaseHinten) {
    if (pseudozoomer <= 0 || zoomerschalter == phaseVorne) {
        L ZOOMSPRITE(vorne, 35, 200, 1 - zoomer, 1);
        zoomerschalter = phaseVorne;
        pseudozoomer = pseudozoomer + 1;
    }
    if (pseudozoomer >= 80 || zoomerschalter == phaseHinten) {
        L ZOOMSPRITE(hinten, 35, 200, 1 - zoomer, 1);
        zoomerschalter = phaseHinten;
        pseudozoomer = pseudozoomer - 1;
    }
}

}  // namespace

// The story and the turning figure. The press that ended the start screen is still
// held here, so space must be seen free before a press counts.
void intro() {
    L LOADFONT("fontklein.bmp", 1);
    for (;;) {
        introText();
        if (frischeLeertaste(schaltintro)) return;
        // One turn is 159 passes; the second half turns on from the mirror picture.
        L zoomer = SIN(pseudozoomer);
        if (zahl <= 158) {
            introHalbeDrehung(408, 409, 0, 1);
        } else {
            introHalbeDrehung(409, 408, 2, 3);
        }
        zahl = zahl + 1;
        if (zahl >= 318) zahl = 0;
        L SHOWSCREEN();
    }
}

void abprallen(double& x, double& y, double schritt) {
    if (linksschalterx == 0) x = x + schritt;
    if (linksschaltery == 0) y = y + schritt;
    if (linksschalterx == 1) x = x - schritt;
    if (linksschaltery == 1) y = y - schritt;
    if (x >= 550) linksschalterx = 1;
    if (x <= 50) linksschalterx = 0;
    if (y >= 350) linksschaltery = 1;
    if (y <= 80) linksschaltery = 0;
}

// The victory screen: the hero tumbles, four times enlarged, until space is pressed
// afresh; then the game starts again.
void sieg() {
    for (;;) {
        L PLAYSOUND(5, 0, 1);
        L PRINT("Du hast Delta 7 befreit !", 20, 20);
        L PRINT("Herzlichen Glueckwunsch !", 20, 100);
        L PRINT("Weiter mit Leertaste", 200, 400);
        if (frischeLeertaste(schalto)) {
            sterben = 1;
            return;
        }
        L if (stehbild(kipstan) != 0) ROTOZOOMSPRITE(stehbild(kipstan), xi, yi, phi, inkw);
        // The hero moves 2 pixels a pass on each axis and bounces.
        abprallen(xi, yi, 2);
        if (kipstan == 40) kipstan = 0;
        // The angle starts again at 1, not 0, once it has reached 360.
        if (phi >= 360) phi = 1;
        phi = phi + 2;
        kipstan = kipstan + 1;
        // The zoom is set only here, so the very first pass draws the hero at zoom 0.
        inkw = 4;
        L SHOWSCREEN();
    }
}

}  // namespace kipgame
