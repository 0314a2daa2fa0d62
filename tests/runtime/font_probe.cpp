// A test program for font 0 at start-up: prints the cell size of the font it got
// ("cell W H") and draws "Hi" at the top left for one frame.
#include <cstdio>

#include "commands/kv.h"

namespace {
void __MainGameSub_() {
    double width = 0, height = 0;
    GETFONTSIZE(width, height);
    std::printf("cell %g %g\n", width, height);
    std::fflush(stdout);
    PRINT("Hi", 0, 0);
    SHOWSCREEN();
}
}  // namespace

int main(int argc, char** argv) {
    KvSettings settings;
    settings.fullscreen = 0;
    settings.title = "font probe";
    return KvRunProgram(argc, argv, settings, __MainGameSub_);
}
