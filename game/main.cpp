// The game's entry point: 640 x 480, full screen, 60 frames a second, error log on.
#include "game/kip_routines.h"
#include "commands/kv.h"

namespace {
void MainRoutine() { kipgame::__MainGameSub_(); }
}  // namespace

int main(int argc, char** argv) {
    KvSettings settings;
    settings.resx = 640;
    settings.resy = 480;
    settings.fullscreen = 1;
    settings.framerate = 60;
    settings.debug = 1;
    settings.title = "kip";
    return KvRunProgram(argc, argv, settings, MainRoutine);
}
