// The player: walking and climbing pictures, scrolling, standing pictures and the
// jump start (kip); gravity, push-out and ladders (leiterklettern); the jump arc.
#include "game/kip_globals.h"
#include "game/kip_routines.h"

#define KIP_FILE 3
#include "game/kip_line.h"

namespace kipgame {

namespace {

void linksschritt() {
    walkh = walkh - 2;
    kipwalklinks = kipwalklinks + 1;
    L if (kipwalklinks == 1) SPRITE(5, walkh, walkv);
    L if (kipwalklinks == 2) SPRITE(20, walkh, walkv);
    L if (kipwalklinks == 3) SPRITE(21, walkh, walkv);
    L if (kipwalklinks == 4) SPRITE(20, walkh, walkv);
    if (kipwalklinks == 5) {
        L SPRITE(5, walkh, walkv);
        kipwalklinks = 1;
    }
    blicka = 1;
}

void rechtsschritt() {
    walkh = walkh + 2;
    kipwalkrechts = kipwalkrechts + 1;
    L if (kipwalkrechts == 1) SPRITE(6, walkh, walkv);
    L if (kipwalkrechts == 2) SPRITE(30, walkh, walkv);
    L if (kipwalkrechts == 3) SPRITE(31, walkh, walkv);
    L if (kipwalkrechts == 4) SPRITE(30, walkh, walkv);
    if (kipwalkrechts == 5) {
        L SPRITE(6, walkh, walkv);
        kipwalkrechts = 1;
    }
    blicka = 2;
}

void hochschritt() {
    walkv = walkv - 3;
    kipwalkoben = kipwalkoben + 1;
    L if (kipwalkoben <= 8) SPRITE(77, walkh, walkv);
    L if (kipwalkoben > 8 && kipwalkoben <= 16) SPRITE(777, walkh, walkv);
    L if (kipwalkoben > 16 && kipwalkoben <= 24) SPRITE(77, walkh, walkv);
    L if (kipwalkoben > 24 && kipwalkoben <= 32) SPRITE(777, walkh, walkv);
    if (kipwalkoben == 32) kipwalkoben = 0;
    blicka = 3;
}

void runterschritt() {
    walkv = walkv + 3;
    kipwalkunten = kipwalkunten + 1;
    L if (kipwalkunten <= 8) SPRITE(77, walkh, walkv);
    L if (kipwalkunten > 8 && kipwalkunten <= 16) SPRITE(777, walkh, walkv);
    L if (kipwalkunten > 16 && kipwalkunten <= 24) SPRITE(77, walkh, walkv);
    L if (kipwalkunten > 24 && kipwalkunten <= 32) SPRITE(777, walkh, walkv);
    if (kipwalkunten == 32) kipwalkunten = 0;
    blicka = 0;
}

}  // namespace

void kip() {
    // One step for one cursor key, or for a key with up or down beside it.
    L if (KEY(203) == 1 && KEY(205) == 0 && KEY(200) == 0 && KEY(208) == 0) linksschritt();
    L if (KEY(205) == 1 && KEY(203) == 0 && KEY(200) == 0 && KEY(208) == 0) rechtsschritt();
    L if (KEY(200) == 1 && KEY(203) == 0 && KEY(205) == 0 && KEY(208) == 0) hochschritt();
    L if (KEY(208) == 1 && KEY(203) == 0 && KEY(205) == 0 && KEY(200) == 0) runterschritt();
    L if (KEY(203) == 1 && KEY(200) == 1 && KEY(205) == 0 && KEY(208) == 0) linksschritt();
    L if (KEY(203) == 1 && KEY(208) == 1 && KEY(200) == 0 && KEY(205) == 0) linksschritt();
    L if (KEY(205) == 1 && KEY(200) == 1 && KEY(203) == 0 && KEY(208) == 0) rechtsschritt();
    L if (KEY(205) == 1 && KEY(208) == 1 && KEY(203) == 0 && KEY(200) == 0) rechtsschritt();

    // Opposite keys: facing the viewer.
    L if (KEY(203) == 1 && KEY(205) == 1) SPRITE(4, walkh, walkv);
    L if (KEY(200) == 1 && KEY(208) == 1) SPRITE(4, walkh, walkv);

    // Horizontal scrolling near the screen edges; free walking at the level's ends.
    if (scrollx <= -640) {
        scrollx = -640;
        scrolllinksschalter = 0;
        if (walkh <= 28) walkh = 28;
    }
    if (scrollx > -640) {
        if (walkh < 150) {
            walkh = 150;
            scrollx = scrollx - 2;
            scrolllinksschalter = 1;
        } else {
            scrolllinksschalter = 0;
        }
    }
    if (scrollx >= 683) {
        scrollx = 683;
        scrollrechtsschalter = 0;
        if (walkh >= 572) walkh = 572;
    }
    if (scrollx < 683) {
        if (walkh > 450) {
            walkh = 450;
            scrollx = scrollx + 2;
            scrollrechtsschalter = 1;
        } else {
            scrollrechtsschalter = 0;
        }
    }

    // The view follows the player vertically, except during a jump.
    if (kipjumpi == 0) {
        if (walkv != vertikal) walkv = vertikal;
        if (vertikal < 150) {
            vertikal = 150;
            scrolly = scrolly - 2;
        }
        if (vertikal > 330) {
            vertikal = 330;
            scrolly = scrolly + 2;
        }
    }

    // Standing pictures when no cursor key is held.
    L if (KEY(203) == 0 && KEY(205) == 0 && KEY(200) == 0 && KEY(208) == 0) {
        L if (blicka == 1) SPRITE(5, walkh, walkv);
        L if (blicka == 2) SPRITE(6, walkh, walkv);
        L if (blicka == 3) SPRITE(7, walkh, walkv);
        if (blicka == 0) {
            kipstand = kipstand + 1;
            L if (kipstand <= 8) SPRITE(4, walkh, walkv);
            L if (kipstand > 8 && kipstand <= 16) SPRITE(40, walkh, walkv);
            L if (kipstand > 16 && kipstand <= 24) SPRITE(41, walkh, walkv);
            L if (kipstand > 24 && kipstand <= 32) SPRITE(40, walkh, walkv);
            L if (kipstand > 32 && kipstand <= 40) SPRITE(4, walkh, walkv);
            if (kipstand == 40) kipstand = 1;
        }
    }

    // A jump starts only with something under the feet.
    L if (feld((vertikal + scrolly + 26 + 480) / 32, (walkh + scrollx + 16 + 640) / 32) != 0 &&
          KEY(56) == 1) {
        kipjumpi = 1;
    }
}

void leiterklettern() {
    if (kipjumpi == 0) {
        // Gravity on an empty foot cell, push-out of a platform at the body.
        L if (feld((vertikal + scrolly + 26 + 480) / 32, (walkh + scrollx + 16 + 640) / 32) == 0) {
            vertikal = vertikal + 2;
        }
        L if (feld((vertikal + scrolly + 25 + 480) / 32, (walkh + scrollx + 16 + 640) / 32) == 1) {
            vertikal = vertikal - 2;
        }
    }
    L if ((feld((vertikal + scrolly - 6 + 480) / 32, (walkh + scrollx + 16 + 640) / 32) == 3 ||
           feld((vertikal + scrolly + 26 + 480) / 32, (walkh + scrollx + 16 + 640) / 32) == 3) &&
          KEY(200) == 1) {
        vertikal = vertikal - 2;
    }
    L if (feld((vertikal + scrolly + 26 + 480) / 32, (walkh + scrollx + 16 + 640) / 32) == 3 &&
          KEY(208) == 1) {
        vertikal = vertikal + 2;
    }
}

void jump() {
    // Cursor up or down cancels a running jump.
    L if (KEY(200) == 1) {
        kipjumpi = 0;
        jumper = 0;
        return;
    }
    L if (KEY(208) == 1) {
        kipjumpi = 0;
        jumper = 0;
        return;
    }
    if (kipjumpi == 1) {
        jumper = jumper + 1;
        L if (jumper <= 1) PLAYSOUND(1, 0, 1);
        // Rise for 40 frames, rest for 5, fall for 41.
        if (jumper < 41) walkv = walkv - 2;
        if (jumper > 45 && jumper <= 86) walkv = walkv + 2;
        if (jumper == 86) {
            kipjumpi = 0;
            jumper = 0;
        }
    }
}

}  // namespace kipgame
