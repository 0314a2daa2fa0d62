// A small program for the key tests: shows frames forever, each SHOWSCREEN on its
// own line (100 + frame), and reads the space bar with KEY every frame.
#include "commands/kv.h"

namespace {
void __MainGameSub_() {
    for (int frame = 0;; ++frame) {
        __dLn(0, 50);
        KEY(57);
        __dLn(0, 100 + frame);
        SHOWSCREEN();
    }
}
}  // namespace

int main(int argc, char** argv) {
    KvSettings settings;
    settings.fullscreen = 0;
    settings.title = "keys";
    return KvRunProgram(argc, argv, settings, __MainGameSub_);
}
