// The player's bullets: one flying left and one flying right, fired with space in
// the direction the player last walked, 10 pixels a frame in screen coordinates.
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

}  // namespace kipgame
