// The smallest program on the runtime: clears the screen, shows frames and ends.
// Run it with --headless --frames 3 to see it start up and shut down.
#include "commands/kv.h"

namespace {
void __MainGameSub_() {
    for (int frame = 0; frame < 120; ++frame) {
        __dLn(0, 10);
        FILLRECT(frame * 4, 100, frame * 4 + 40, 140, 0x00FFFF);
        __dLn(0, 11);
        PRINT("Hallo", 20, 20);
        __dLn(0, 12);
        SHOWSCREEN();
    }
}
}  // namespace

int main(int argc, char** argv) {
    KvSettings settings;
    settings.fullscreen = 0;
    settings.title = "hello";
    return KvRunProgram(argc, argv, settings, __MainGameSub_);
}
