// The radar in the lower right corner of the status strip: a miniature of the whole
// level with a mark for the player and one for every living alien. It is the last
// drawing of every frame.
#include "game/kip_globals.h"
#include "game/kip_routines.h"

#define KIP_FILE 9
#include "game/kip_line.h"

namespace kipgame {

namespace {

// A level point maps onto the radar at x / 19 and y / 9, after shifting the level's
// left and top edges near 0; the fractions go to the drawing as they are. An alien's
// mark is drawn from the top edge of its picture, one pixel higher than the player's.
void gegnerMarke(double x, double y) {
    L SPRITE(412, (x + 630) / 19 + 537, (y - 26 + 250) / 9 + 396);
}

}  // namespace

void radar() {
    L SPRITE(410, 534, 394);
    L SPRITE(411, (walkh + scrollx + 630) / 19 + 537, (walkv + scrolly + 250) / 9 + 397);
    for (i = 0; i <= gegner1zahl; i = i + 1) {
        L if (tac(i) != 5555) gegnerMarke(tac(i), tacy(i));
    }
    for (i = 0; i <= gegner2zahl; i = i + 1) {
        L if (wa(i) != 5555) gegnerMarke(wa(i), way(i));
    }
    // The hopping types carry their hop offset.
    for (i = 0; i <= gegner3zahl; i = i + 1) {
        L if (tacd(i) != 5555) gegnerMarke(tacd(i), tacdy(i) + walkvg(i));
    }
    for (i = 0; i <= gegner4zahl; i = i + 1) {
        L if (wah(i) != 5555) gegnerMarke(wah(i), wahy(i) + walkvh(i));
    }
}

}  // namespace kipgame
