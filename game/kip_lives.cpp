// Lives: the heads in the status strip, the game-over screen, and the caught screen
// that an alien's touch leads to. Both screens wait for a fresh press of space.
#include "game/kip_globals.h"
#include "game/kip_routines.h"

#define KIP_FILE 6
#include "game/kip_line.h"

namespace kipgame {

void erwischt() {
    for (;;) {
        L HUSH();
        L PRINT("Du wurdest erwischt", 20, 20);
        L PRINT("und verlierst ein Leben !", 20, 100);
        L PRINT("Weiter mit Leertaste", 200, 400);
        L if (KEY(57) == 0) schaltio = 1;
        L if (KEY(57) == 1 && schaltio == 1) {
            schaltio = 0;
            return;
        }

        zyklopLaeuft(200);
        L SHOWSCREEN();
    }
}

void leben() {
    for (i = 0; i <= lives; i = i + 1) {
        L ZOOMSPRITE(4, 32 * i + 3, 448, 0.5, 0.5);
    }
    if (lives < 0) {
        for (;;) {
            L PLAYSOUND(5, 0, 1);
            L PRINT("Du hast alle deine Leben verloren !", 20, 20);
            L PRINT("Versuch es nochmal !", 20, 100);
            L PRINT("Weiter mit Leertaste", 200, 400);
            L if (KEY(57) == 0) schaltoo = 1;
            L if (KEY(57) == 1 && schaltoo == 1) {
                schaltoo = 0;
                sterben = 1;
                return;
            }

            // The cyclops spins and bounces inside 50 ... 550 x 80 ... 350.
            L if (tiu < 10) ROTOZOOMSPRITE(400, laufenx, laufeny, phi, tiuzoom / 100);
            L if (tiu >= 10 && tiu < 20) ROTOZOOMSPRITE(401, laufenx, laufeny, phi, tiuzoom / 100);
            L if (tiu >= 20 && tiu < 30) ROTOZOOMSPRITE(402, laufenx, laufeny, phi, tiuzoom / 100);
            tiu = tiu + 1;
            if (phi >= 360) phi = 1;
            phi = phi + 2;
            if (tiu >= 30) tiu = 0;
            tiuzoom = 400;
            abprallen(laufenx, laufeny, 4);
            L SHOWSCREEN();
        }
    }
}

}  // namespace kipgame
