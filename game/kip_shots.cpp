// The bullets. The player's: one flying left and one flying right, fired with space
// in the direction he last walked, 10 pixels a frame in screen coordinates. The
// cyclops aliens' (types 3 and 4): two per alien, fired at the player on its floor,
// 4 pixels a frame, with a grace period after a hit.
#include "game/kip_globals.h"
#include "game/kip_routines.h"

#define KIP_FILE 4
#include "game/kip_line.h"

namespace kipgame {

void shot() {
    L if (KEY(57) == 1) {
        if (fluglinks == 0 && blicka == 1) {
            L PLAYSOUND(2, 0, 1);
            kugel1 = 1;
            xkugel1 = walkh + 2;
            ykugel1 = walkv + 18;
        }
        if (flugrechts == 0 && blicka == 2) {
            L PLAYSOUND(2, 0, 1);
            kugel2 = 1;
            xkugel2 = walkh + 24;
            ykugel2 = walkv + 18;
        }
    }
}

void kugelfliegt() {
    if (kugel1 == 1) {
        L SPRITE(9, xkugel1 - fluglinks, ykugel1);
        // A left bullet leaving the screen ends this routine for the frame.
        if (xkugel1 - fluglinks < 0) {
            kugel1 = 0;
            fluglinks = 0;
            return;
        }
        fluglinks = fluglinks + 10;
    }
    if (kugel2 == 1) {
        L SPRITE(9, xkugel2 + flugrechts, ykugel2);
        if (xkugel2 + flugrechts > 640) {
            kugel2 = 0;
            flugrechts = 0;
        } else {
            flugrechts = flugrechts + 10;
        }
    }
}

namespace {

// The bullets of one cyclops type, with the alien's level x, row y, hop offset and
// the direction it may fire in (1 right), the grace counter of the type and how far
// above or below the player's standing top it still fires.
struct Alienkugeln {
    KvIntArray& x;
    KvIntArray& y;
    KvIntArray& hub;
    KvIntArray& richtung;
    KvIntArray& kugel1;
    KvIntArray& xkugel1;
    KvIntArray& ykugel1;
    KvIntArray& fluglinks;
    KvIntArray& kugel2;
    KvIntArray& xkugel2;
    KvIntArray& ykugel2;
    KvIntArray& flugrechts;
    double& zaehler;
    double fenster;
};

Alienkugeln typ3() {
    return {tacd, tacdy, walkvg, tacdschalter,
            kugel1g, xkugel1g, ykugel1g, fluglinksg, kugel2g, xkugel2g, ykugel2g, flugrechtsg,
            kugelzahler, 30};
}

Alienkugeln typ4() {
    return {wah, wahy, walkvh, tachschalter,
            kugel1h, xkugel1h, ykugel1h, fluglinksh, kugel2h, xkugel2h, ykugel2h, flugrechtsh,
            kugelzahlerh, 40};
}

// Alien i fires only towards the side it is moving to, one bullet a side at a time,
// within 350 level pixels of the player; during a grace period silently.
void schiessen(const Alienkugeln& a) {
    L if (ABS(a.x(i) - (walkh + scrollx)) >= 350) return;
    L if (ABS(a.y(i) + a.hub(i) - 26 - (vertikal + scrolly)) >= a.fenster) return;
    L if (walkh + scrollx < a.x(i) && a.fluglinks(i) == 0 && a.richtung(i) == 0) {
        L if (a.zaehler == 0) PLAYSOUND(4, 0, 1);
        L a.kugel1(i) = 1;
        L a.xkugel1(i) = a.x(i) - scrollx + 2;
        L a.ykugel1(i) = a.y(i) + a.hub(i) - 32 + 18;
    }
    L if (walkh + scrollx > a.x(i) && a.flugrechts(i) == 0 && a.richtung(i) == 1) {
        L if (a.zaehler == 0) PLAYSOUND(4, 0, 1);
        L a.kugel2(i) = 1;
        L a.xkugel2(i) = a.x(i) - scrollx + 24;
        L a.ykugel2(i) = a.y(i) + a.hub(i) - 32 + 18;
    }
}

void kugelnWeg(const Alienkugeln& a) {
    L a.kugel1(i) = 0;
    L a.fluglinks(i) = 0;
    L a.kugel2(i) = 0;
    L a.flugrechts(i) = 0;
}

// A bullet's x is held in screen pixels: in a frame in which the view scrolls its
// way it flies 2 pixels instead of 4, which keeps its speed over the level. A bullet
// leaving the screen ends the routine for this alien and frame.
bool kugelnBewegen(const Alienkugeln& a) {
    L if (a.kugel1(i) == 1) {
        L SPRITE(406, a.xkugel1(i) - a.fluglinks(i), a.ykugel1(i) - scrolly);
        L if (a.xkugel1(i) - a.fluglinks(i) < 0) {
            L a.kugel1(i) = 0;
            L a.fluglinks(i) = 0;
            return false;
        }
        L a.fluglinks(i) = a.fluglinks(i) + 4;
        L if (scrolllinksschalter == 1) a.fluglinks(i) = a.fluglinks(i) - 2;
    }
    L if (a.kugel2(i) == 1) {
        L SPRITE(406, a.xkugel2(i) + a.flugrechts(i), a.ykugel2(i) - scrolly);
        L if (a.xkugel2(i) + a.flugrechts(i) > 640) {
            L a.kugel2(i) = 0;
            L a.flugrechts(i) = 0;
            return false;
        }
        L a.flugrechts(i) = a.flugrechts(i) + 4;
        L if (scrollrechtsschalter == 1) a.flugrechts(i) = a.flugrechts(i) - 2;
    }
    return true;
}

// The player's box is moved 8 pixels away from the side a bullet comes from. A hit
// costs a life and starts the type's grace period of 100 frames.
void kugelTrifft(const Alienkugeln& a) {
    L if (a.kugel1(i) == 1) BOXCOLL(kipkontakt, a.xkugel1(i) - a.fluglinks(i), a.ykugel1(i) - scrolly, 4, 4, walkh - 8, walkv, 32, 32);
    L if (kipkontakt != 1 && a.kugel2(i) == 1) BOXCOLL(kipkontakt, a.xkugel2(i) + a.flugrechts(i), a.ykugel2(i) - scrolly, 4, 4, walkh + 8, walkv, 32, 32);
    if (kipkontakt == 1) {
        a.zaehler = 100;
        lives = lives - 1;
        kipkontakt = 0;
        kugelnWeg(a);
        erwischt();
    }
}

// During a grace period the type's bullets are neither drawn, moved nor tested.
void fliegen(const Alienkugeln& a) {
    if (a.zaehler >= 1) return;
    if (kugelnBewegen(a)) kugelTrifft(a);
}

}  // namespace

void shotgegner() {
    schiessen(typ3());
}

void kugelgegner() {
    fliegen(typ3());
}

void shotgegner4() {
    schiessen(typ4());
}

void kugelgegner4() {
    fliegen(typ4());
}

void kugelgegnerWeg() {
    kugelnWeg(typ3());
}

void kugelgegner4Weg() {
    kugelnWeg(typ4());
}

}  // namespace kipgame
