// The aliens. Type 1 patrols its row across the whole level, dies from one bullet
// and costs a life when it touches the player. Types 2 to 4 come later.
#include "game/kip_globals.h"
#include "game/kip_routines.h"

#define KIP_FILE 5
#include "game/kip_line.h"

namespace kipgame {

void gegner() {
    for (i = 0; i <= gegner1zahl; i = i + 1) {
        L if (tac(i) == 5555) continue;
        levelnext = 0;

        L if (tic < 6) SPRITE(200, tac(i) - scrollx, tacy(i) - 26 - scrolly);
        L if (tic >= 6 && tic < 12) SPRITE(201, tac(i) - scrollx, tacy(i) - 26 - scrolly);
        L if (tic >= 12 && tic < 18) SPRITE(202, tac(i) - scrollx, tacy(i) - 26 - scrolly);
        L if (tic >= 18 && tic < 24) SPRITE(203, tac(i) - scrollx, tacy(i) - 26 - scrolly);
        L if (tic >= 24 && tic < 30) SPRITE(204, tac(i) - scrollx, tacy(i) - 26 - scrolly);

        // Patrol between -600 and 1260 at 3 pixels a frame.
        L if (tac(i) <= -600) tacschalter(i) = 1;
        L if (tacschalter(i) == 1) tac(i) = tac(i) + 3;
        L if (tac(i) >= 1260) tacschalter(i) = 0;
        L if (tacschalter(i) == 0) tac(i) = tac(i) - 3;

        // The player's bullets: screen x, level y.
        if (coll != 1) {
            L if (kugel1 == 1) BOXCOLL(coll, xkugel1 - fluglinks, ykugel1 + scrolly, 4, 4,
                                       tac(i) - scrollx, tacy(i) - 26, 32, 32);
            L if (coll != 1 && kugel2 == 1) BOXCOLL(coll, xkugel2 + flugrechts, ykugel2 + scrolly, 4, 4,
                                                    tac(i) - scrollx, tacy(i) - 26, 32, 32);
        }

        // The touch: the player's box is moved 8 pixels away from the alien.
        L if (tac(i) - scrollx >= walkh) {
            L BOXCOLL(kipkontakt, tac(i) - scrollx + 3, tacy(i) - 21 - scrolly, 29, 22,
                      walkh - 8, walkv, 32, 32);
        } else {
            L BOXCOLL(kipkontakt, tac(i) - scrollx + 3, tacy(i) - 21 - scrolly, 29, 22,
                      walkh + 8, walkv, 32, 32);
        }

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
            kugel1 = 0;
            fluglinks = 0;
            kugel2 = 0;
            flugrechts = 0;
            L PLAYSOUND(0, 0, 1);
        }
    }
    tic = tic + 1;
    if (tic >= 30) tic = 0;
}

// Alien types 2, 3 and 4 with their hops are not in the game yet.
void gegner2() {}
void gegner3() {}
void gegnerjump() {}
void gegner4() {}
void gegner4jump() {}

}  // namespace kipgame
