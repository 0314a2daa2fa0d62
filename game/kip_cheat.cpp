// The stage keys: K, I and P held with a digit 1 to 8 start level 1 of that stage at
// once; the level start runs in the same pass of the main loop. The digits are tested
// from 8 down to 1, so with several held the lowest decides.
#include "game/kip_globals.h"
#include "game/kip_routines.h"

#define KIP_FILE 8
#include "game/kip_line.h"

namespace kipgame {

namespace {

// The digit keys 1 ... 8 are the key codes 2 ... 9; K is 37, I 23, P 25. The counts
// are those before the stage's first level: level() moves on from them.
void stufeWaehlen(double ziffer, double zahl1, double zahl2, double zahl3, double zahl4, double stufe) {
    L if (KEY(ziffer + 1) == 1 && KEY(37) == 1 && KEY(23) == 1 && KEY(25) == 1) {
        gegner1zahl = zahl1;
        gegner2zahl = zahl2;
        gegner3zahl = zahl3;
        gegner4zahl = zahl4;
        round = stufe;
        levelnext = 1;
        levelz = 0;
    }
}

}  // namespace

void cheat() {
    stufeWaehlen(8, -1, -1, -1, 4, 8);
    stufeWaehlen(7, -1, -1, 4, -1, 7);
    stufeWaehlen(6, -1, 4, -1, -1, 6);
    stufeWaehlen(5, 4, -1, -1, -1, 5);
    stufeWaehlen(4, -1, -1, -1, -1, 4);
    stufeWaehlen(3, -1, -1, -1, -1, 3);
    stufeWaehlen(2, -1, -1, -1, -1, 2);
    stufeWaehlen(1, -1, -1, -1, -1, 1);
}

}  // namespace kipgame
