// The movie commands: PLAYMOVIE and LOOPMOVIE play a movie in the game's frame
// and block the program meanwhile. The runtime lends the movie its frame, its
// flip, its window messages and its keys; the player itself lives in video/.
#include <memory>

#include "commands/MediaLookup.h"
#include "commands/ProgramFrame.h"
#include "commands/cmd_sound.h"
#include "gfx/GameWindow.h"
#include "gfx/OpenGLRainbows.h"
#include "input/DXInput.h"
#include "runtime/Options.h"
#include "runtime/Trace.h"
#include "video/PlayVideo.h"

namespace {
// The player of the movie that is playing: the shutdown closes it when the
// program ends during a movie.
struct MovieState : RuntimeLayerState {
    std::unique_ptr<MoviePlayer> player;
    void Reset() override { player.reset(); }
};

std::unique_ptr<MoviePlayer>& Player() { return KvLayerState<MovieState>().player; }

class RuntimeMovieHost : public MovieHost {
  public:
    int FrameWidth() const override { return pRbow->Width(); }
    int FrameHeight() const override { return pRbow->Height(); }
    void ClearFrame() override { pRbow->ClearFrame(); }
    // Every movie picture is a shown screen: scripted keys, screenshots and the
    // frame count go on while the movie plays.
    void ShowFrame() override {
        pRbow->FlipScreens();
        KvFrameCompleted();
    }
    void PumpMessages() override { pRbow->WinMessages(); }
    bool AnyKeyOrButtonDown() override {
        if (!pDXin) return false;
        DIMOUSEDATA mouse;
        pDXin->GetMouseData(&mouse);
        return pDXin->AnyKeyDown() || mouse.left || mouse.right || mouse.middle;
    }
};

double PlayMovieFile(const KvStr& file, bool loop) {
    KvStr path = file;
    if (!MediaLookup(path, __g_ShoeBox_Media)) return 3;
    if (!pRbow || !pRbow->Window()) return 3;
    MoviePlayerSettings settings;
    settings.silent = settings.everyPicture = KvOptions().headless;
    settings.glFunction = GameWindow::GLFunction;
    std::unique_ptr<MoviePlayer>& player = Player();
    player = CreateMoviePlayer(settings);
    RuntimeMovieHost host;
    int result = PlayVideo(*player, host, path.GetStrData(), loop);
    player.reset();
    return result;
}
}  // namespace

double PLAYMOVIE(const KvStr& file) {
    KvTrace("PLAYMOVIE", {file.GetStrData()});
    return PlayMovieFile(file, false);
}

double LOOPMOVIE(const KvStr& file) {
    KvTrace("LOOPMOVIE", {file.GetStrData()});
    return PlayMovieFile(file, true);
}

void KvCloseMovie() { Player().reset(); }
