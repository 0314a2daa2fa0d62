// Sprites and zoom: a picture loaded into a sprite slot, drawn at its own size,
// zoomed about its centre, rotated and zoomed, and added with ALPHAMODE.
// kip.bmp stands beside the program (the build copies it from the game's media);
// pixels of red 255, green 0, blue 128 are transparent.
#include <cmath>

#include "commands/kv.h"

namespace {
constexpr double kKip = 0;     // sprite slot
constexpr double kWhite = 0xFFFFFF;

void __MainGameSub_() {
    LOADSPRITE("kip.bmp", kKip);
    for (double frame = 0;; ++frame) {
        SPRITE(kKip, 40, 40);                                  // 32 x 32, its own size
        ZOOMSPRITE(kKip, 160, 40, 2, 2);                       // 64 x 64, same centre
        ZOOMSPRITE(kKip, 300, 40, 1 + SIN(frame * 4), 1);      // breathing sideways
        ROTOZOOMSPRITE(kKip, 460, 40, frame * 3, 3);           // turning, 3 times as big
        STRETCHSPRITE(kKip, 40, 200, 200, 60);                 // any rectangle
        ALPHAMODE(0.5);                                        // half, added to the screen
        ZOOMSPRITE(kKip, 400, 260, 4, 4);
        ALPHAMODE(0);                                          // back to normal drawing
        PRINT("SPRITE  ZOOMSPRITE  ROTOZOOMSPRITE  ALPHAMODE", 20, 440);
        DRAWLINE(20, 460, 620, 460, kWhite);
        SHOWSCREEN();                                          // Escape ends the program
    }
}
}  // namespace

int main(int argc, char** argv) {
    KvSettings settings;
    settings.fullscreen = 0;
    settings.title = "sprites";
    return KvRunProgram(argc, argv, settings, __MainGameSub_);
}
