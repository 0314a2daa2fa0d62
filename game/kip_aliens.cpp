// The aliens. Type 1 patrols its row across the whole level; type 2 drifts towards
// the player; the cyclops of type 3 patrols and hops over gaps; the cyclops of type 4
// follows the player at a distance of its own and hops too. Each dies from one bullet
// and costs a life when it touches the player; the cyclops shoot (kip_shots.cpp).
#include "game/kip_globals.h"
#include "game/kip_routines.h"

#define KIP_FILE 5
#include "game/kip_line.h"

namespace kipgame {

namespace {

// The pictures of types 1 and 2, each shown for six frames of the type's counter.
void kleinerAlienZeichnen(double x, double y, double zaehler) {
    L if (zaehler < 6) SPRITE(200, x, y);
    L if (zaehler >= 6 && zaehler < 12) SPRITE(201, x, y);
    L if (zaehler >= 12 && zaehler < 18) SPRITE(202, x, y);
    L if (zaehler >= 18 && zaehler < 24) SPRITE(203, x, y);
    L if (zaehler >= 24 && zaehler < 30) SPRITE(204, x, y);
}

// Patrol between -600 and 1260 at 3 pixels a frame; in a turning frame at the left
// end the alien turns and moves, at the right end it turns and stands.
void patrouille(KvIntArray& x, KvIntArray& richtung) {
    L if (x(i) <= -600) richtung(i) = 1;
    L if (richtung(i) == 1) x(i) = x(i) + 3;
    L if (x(i) >= 1260) richtung(i) = 0;
    L if (richtung(i) == 0) x(i) = x(i) - 3;
}

// The player's bullets against an alien's 32 x 32 box at screen x, level y: the
// bullets' screen heights are taken as level heights with the current view.
void spielerKugelTest(double& treffer, double x, double y) {
    if (treffer == 1) return;
    L if (kugel1 == 1) BOXCOLL(treffer, xkugel1 - fluglinks, ykugel1 + scrolly, 4, 4, x, y, 32, 32);
    L if (treffer != 1 && kugel2 == 1) BOXCOLL(treffer, xkugel2 + flugrechts, ykugel2 + scrolly, 4, 4,
                                               x, y, 32, 32);
}

void spielerKugelnWeg() {
    kugel1 = 0;
    fluglinks = 0;
    kugel2 = 0;
    flugrechts = 0;
}

// The touch of an alien at screen x: its box starts 3 pixels right of its picture;
// the player's box is moved 8 pixels away from the alien.
void beruehrung(double x, double boxY, double breite, double hoehe) {
    L if (x >= walkh) {
        L BOXCOLL(kipkontakt, x + 3, boxY, breite, hoehe, walkh - 8, walkv, 32, 32);
    } else {
        L BOXCOLL(kipkontakt, x + 3, boxY, breite, hoehe, walkh + 8, walkv, 32, 32);
    }
}

// Each type's animation counter runs 0 ... 29, one step a frame.
void weiterzaehlen(double& zaehler) {
    zaehler = zaehler + 1;
    if (zaehler >= 30) zaehler = 0;
}

// A cyclops type: level x (5555 dead), row y, hop offset, facing (1 right), hop
// flag, and the hit flag of the player's bullets against the type.
struct Zyklop {
    KvIntArray& x;
    KvIntArray& y;
    KvIntArray& hub;
    KvIntArray& richtung;
    KvIntArray& springt;
    double& treffer;
};

// Three pictures of ten frames each, facing the alien's way, lifted by the hop.
void zyklopZeichnen(const Zyklop& z, double zaehler) {
    L if (zaehler < 10) SPRITE(z.richtung(i) == 1 ? 400 : 403, z.x(i) - scrollx, z.y(i) + z.hub(i) - 26 - scrolly);
    L if (zaehler >= 10 && zaehler < 20) SPRITE(z.richtung(i) == 1 ? 401 : 404, z.x(i) - scrollx, z.y(i) + z.hub(i) - 26 - scrolly);
    L if (zaehler >= 20 && zaehler < 30) SPRITE(z.richtung(i) == 1 ? 402 : 405, z.x(i) - scrollx, z.y(i) + z.hub(i) - 26 - scrolly);
}

// Over an empty cell under its feet the cyclops hops, with the hop sound in every
// such frame, also while a hop runs; it never leaves its row.
void zyklopHuepft(const Zyklop& z) {
    L if (feld((z.y(i) + 480) / 32, (z.x(i) + 16 + 640) / 32) == 0) {
        L PLAYSOUND(3, 0, 1);
        L z.springt(i) = 1;
    }
}

// A bullet hit, then the touch; both boxes follow the hop. A hit alien can no longer
// touch.
void zyklopTrefferUndBeruehrung(const Zyklop& z) {
    L spielerKugelTest(z.treffer, z.x(i) - scrollx, z.y(i) + z.hub(i) - 26);
    if (z.treffer == 1) {
        L PLAYSOUND(0, 0, 1);
        L z.x(i) = 5555;
        z.treffer = 0;
        spielerKugelnWeg();
    }
    L beruehrung(z.x(i) - scrollx, z.y(i) + z.hub(i) - 26 - scrolly, 32, 32);
    if (kipkontakt == 1) {
        L PLAYSOUND(0, 0, 1);
        lives = lives - 1;
        kipkontakt = 0;
        L z.x(i) = 5555;
        erwischt();
    }
}

// The hop of every alien of a type, dead ones too: 20 frames up by 2 pixels, 5 still,
// 20 down by 2, back at the offset it started from.
void huepfen(KvIntArray& springt, KvIntArray& sprungzaehler, KvIntArray& hub, double anzahl) {
    for (i = 0; i <= anzahl; i = i + 1) {
        L if (springt(i) != 1) continue;
        L sprungzaehler(i) = sprungzaehler(i) + 1;
        L if (sprungzaehler(i) < 21) hub(i) = hub(i) - 2;
        L if (sprungzaehler(i) > 25 && sprungzaehler(i) <= 45) hub(i) = hub(i) + 2;
        L if (sprungzaehler(i) == 45) {
            L springt(i) = 0;
            L sprungzaehler(i) = 0;
        }
    }
}

// The grace counter counts down once a frame and stops at 0.
void gnadeZaehlen(double& zaehler) {
    zaehler = zaehler - 1;
    if (zaehler < 1) zaehler = 0;
}

// Type 4 aims at the player's level x minus its own offset, inside -600 ... 1260,
// and faces him.
void folgen() {
    L if (walkh + scrollx >= wah(i) + wah4ink(i)) wah(i) = wah(i) + 1;
    L if (walkh + scrollx < wah(i) + wah4ink(i)) wah(i) = wah(i) - 1;
    L if (wah(i) >= 1260) wah(i) = 1260;
    L if (wah(i) <= -600) wah(i) = -600;
    L if (walkh + scrollx < wah(i)) {
        L tachschalter(i) = 0;
    } else {
        L tachschalter(i) = 1;
    }
}

}  // namespace

void gegner() {
    for (i = 0; i <= gegner1zahl; i = i + 1) {
        L if (tac(i) == 5555) continue;
        levelnext = 0;
        L kleinerAlienZeichnen(tac(i) - scrollx, tacy(i) - 26 - scrolly, tic);
        patrouille(tac, tacschalter);
        L spielerKugelTest(coll, tac(i) - scrollx, tacy(i) - 26);
        L beruehrung(tac(i) - scrollx, tacy(i) - 21 - scrolly, 29, 22);

        if (kipkontakt == 1) {
            L PLAYSOUND(0, 0, 1);
            lives = lives - 1;
            kipkontakt = 0;
            L tac(i) = 5555;
            erwischt();
        }
        if (coll == 1) {
            L tac(i) = 5555;
            coll = 0;
            spielerKugelnWeg();
            L PLAYSOUND(0, 0, 1);
        }
    }
    weiterzaehlen(tic);
}

// Type 2 moves before it is drawn, and handles a bullet hit before the touch.
void gegner2() {
    for (i = 0; i <= gegner2zahl; i = i + 1) {
        L if (wa(i) == 5555) continue;
        levelnext = 0;
        L if (walkh + scrollx >= wa(i)) wa(i) = wa(i) + 1;
        L if (walkh + scrollx < wa(i)) wa(i) = wa(i) - 1;
        L kleinerAlienZeichnen(wa(i) - scrollx, way(i) - 26 - scrolly, tica);
        L spielerKugelTest(coll1, wa(i) - scrollx, way(i) - 26);
        if (coll1 == 1) {
            L PLAYSOUND(0, 0, 1);
            L wa(i) = 5555;
            coll1 = 0;
            spielerKugelnWeg();
        }
        L beruehrung(wa(i) - scrollx, way(i) - 21 - scrolly, 29, 22);
        if (kipkontakt == 1) {
            lives = lives - 1;
            kipkontakt = 0;
            L wa(i) = 5555;
            erwischt();
        }
    }
    weiterzaehlen(tica);
}

// The bullets of every type-3 alien fly on, dead or alive.
void gegner3() {
    const Zyklop typ3{tacd, tacdy, walkvg, tacdschalter, kipjumpig, coll2};
    for (i = 0; i <= gegner3zahl; i = i + 1) {
        kugelgegner();
        L if (tacd(i) != 5555) {
            levelnext = 0;
            shotgegner();
            zyklopZeichnen(typ3, ticd);
            zyklopHuepft(typ3);
            patrouille(tacd, tacdschalter);
            zyklopTrefferUndBeruehrung(typ3);
        }
        // In the last frame of a grace period the bullets go.
        if (kugelzahler == 1) kugelgegnerWeg();
    }
    weiterzaehlen(ticd);
    gnadeZaehlen(kugelzahler);
}

void gegnerjump() {
    huepfen(kipjumpig, jumperg, walkvg, gegner3zahl);
}

// Type 4 fires by the facing of the previous frame, then follows and turns.
void gegner4() {
    const Zyklop typ4{wah, wahy, walkvh, tachschalter, kipjumpih, collh};
    for (i = 0; i <= gegner4zahl; i = i + 1) {
        kugelgegner4();
        L if (wah(i) != 5555) {
            levelnext = 0;
            shotgegner4();
            folgen();
            zyklopZeichnen(typ4, tich);
            zyklopHuepft(typ4);
            zyklopTrefferUndBeruehrung(typ4);
        }
        if (kugelzahlerh == 1) kugelgegner4Weg();
    }
    weiterzaehlen(tich);
    gnadeZaehlen(kugelzahlerh);
}

void gegner4jump() {
    huepfen(kipjumpih, jumperh, walkvh, gegner4zahl);
}

}  // namespace kipgame
