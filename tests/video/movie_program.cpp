// A small program for the movie tests: plays the movies named on its command line
// in turn ("play FILE" or "loop FILE"), printing one line per movie: its result,
// the screens shown while it played and the milliseconds it took. Then it draws a
// red square and (when sprite.bmp is there) a sprite, saves the frame as after.bmp
// and shows it, so the tests see that the program and its drawing go on. Its files
// are in $TMPDIR, since the program's own folder becomes the current directory.
#include <cstdio>
#include <sstream>
#include <string>

#include "runtime/Options.h"
#include "commands/kv.h"

namespace {
void PlayOne(const std::string& mode, const std::string& file) {
    long firstScreen = KvFrameNumber();
    double start = KvNow();
    KvStr path = (KvTempDirectory() + file).c_str();
    double result = mode == "loop" ? LOOPMOVIE(path) : PLAYMOVIE(path);
    std::printf("%s %s: result %g screens %ld ms %.0f\n", mode.c_str(), file.c_str(), result,
                KvFrameNumber() - firstScreen, KvNow() - start);
    std::fflush(stdout);
}

void __MainGameSub_() {
    std::istringstream words(GETCOMMANDLINE_Str().GetStrData());
    std::string mode, file;
    while (words >> mode >> file) PlayOne(mode, file);
    __dLn(0, 30);
    FILLRECT(100, 100, 119, 119, 0x0000FF);
    LOADSPRITE((KvTempDirectory() + "sprite.bmp").c_str(), 1);
    SPRITE(1, 200, 100);
    SAVEBMP((KvTempDirectory() + "after.bmp").c_str());
    SHOWSCREEN();
}
}  // namespace

int main(int argc, char** argv) {
    KvSettings settings;
    settings.fullscreen = 0;
    settings.title = "movies";
    return KvRunProgram(argc, argv, settings, __MainGameSub_);
}
