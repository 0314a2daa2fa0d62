// Playing one movie: the steps from opening the player to closing it, and the
// fitting of the picture into the game's frame.
#include "video/PlayVideo.h"

#include <cstdint>

namespace {
constexpr int kNotPlayable = 3;

// Waits until the player has opened the movie or given up, pumping messages.
bool WaitUntilLoaded(MoviePlayer& player, MovieHost& host) {
    for (;;) {
        MovieNews news = player.WaitForNews(kMoviePollMilliseconds);
        if (news == MovieNews::Loaded) return true;
        if (news == MovieNews::Failed || news == MovieNews::Ended) return false;
        host.PumpMessages();
    }
}

void ShowPicture(MoviePlayer& player, MovieHost& host, const MoviePlacement& placement) {
    player.DrawPicture(placement);
    host.ShowFrame();
}

// A key still held from the game would end the movie at once: it starts only
// when every key and mouse button is up. The first picture shows meanwhile.
void WaitForFreeKeys(MoviePlayer& player, MovieHost& host, const MoviePlacement& placement) {
    host.PumpMessages();
    while (host.AnyKeyOrButtonDown()) {
        ShowPicture(player, host, placement);
        host.PumpMessages();
    }
}

// Shows each picture when it is due, until the end (a looping movie has none)
// or until a key or mouse button goes down.
void PlayUntilEndOrKey(MoviePlayer& player, MovieHost& host, const MoviePlacement& placement) {
    for (;;) {
        MovieNews news = player.WaitForNews(kMoviePollMilliseconds);
        if (news == MovieNews::Ended || news == MovieNews::Failed) return;
        if (news == MovieNews::NewPicture) ShowPicture(player, host, placement);
        host.PumpMessages();
        if (host.AnyKeyOrButtonDown()) return;
    }
}
}  // namespace

// Computed in integers, so a side that fits exactly is never a pixel short.
MoviePlacement FitMovie(int frameWidth, int frameHeight, int movieWidth, int movieHeight) {
    MoviePlacement placement;
    placement.frameWidth = frameWidth;
    placement.frameHeight = frameHeight;
    if (frameWidth <= 0 || frameHeight <= 0 || movieWidth <= 0 || movieHeight <= 0)
        return placement;
    // The width limits when frameWidth / movieWidth <= frameHeight / movieHeight.
    if (int64_t(frameWidth) * movieHeight <= int64_t(frameHeight) * movieWidth) {
        placement.width = frameWidth;
        placement.height = int(int64_t(movieHeight) * frameWidth / movieWidth);
    } else {
        placement.height = frameHeight;
        placement.width = int(int64_t(movieWidth) * frameHeight / movieHeight);
    }
    placement.x = (frameWidth - placement.width) / 2;
    placement.y = (frameHeight - placement.height) / 2;
    return placement;
}

int PlayVideo(MoviePlayer& player, MovieHost& host, const std::string& path, bool loop) {
    if (!player.Open(path, loop) || !WaitUntilLoaded(player, host)) {
        player.Stop();
        return kNotPlayable;
    }
    MoviePlacement placement = FitMovie(host.FrameWidth(), host.FrameHeight(),
                                        player.PictureWidth(), player.PictureHeight());
    if (placement.width <= 0 || placement.height <= 0) {
        player.Stop();
        return kNotPlayable;
    }
    host.ClearFrame();
    WaitForFreeKeys(player, host, placement);
    if (player.Play()) PlayUntilEndOrKey(player, host, placement);
    player.Stop();
    return 0;
}
