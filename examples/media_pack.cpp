// The media pack: every media name is looked up as a file first and then in a
// pack. The build packs alien1.bmp into examples.pak with kvpack and does not
// copy it beside the program, so the picture below comes from the pack only.
#include "commands/kv.h"

namespace {
constexpr double kAlien = 0;

void __MainGameSub_() {
    SETSHOEBOX("examples.pak", "");   // the data pack; "" leaves music without a pack
    LOADSPRITE("alien1.bmp", kAlien); // found in the pack, unpacked to a temporary file
    KvStr where = DOESFILEEXIST("alien1.bmp") ? "a loose file" : "the pack only";
    for (double frame = 0;; ++frame) {
        ZOOMSPRITE(kAlien, 290, 200, 3, 3);
        PRINT(KvStr("alien1.bmp is in ") + where, 20, 20);
        SHOWSCREEN();
    }
}
}  // namespace

int main(int argc, char** argv) {
    KvSettings settings;
    settings.fullscreen = 0;
    settings.title = "media_pack";
    return KvRunProgram(argc, argv, settings, __MainGameSub_);
}
