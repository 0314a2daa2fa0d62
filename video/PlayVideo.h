// Playing one movie in the game's frame: open it, fit it, wait for free keys,
// play until its end or a key, and close it. The game waits meanwhile. The
// algorithm only talks to a MoviePlayer and a MovieHost, so it runs without a
// window in tests.
#pragma once

#include <string>

#include "video/MoviePlayer.h"

// What the runtime offers the movie while it plays.
class MovieHost {
  public:
    virtual ~MovieHost() = default;
    virtual int FrameWidth() const = 0;
    virtual int FrameHeight() const = 0;
    // Clears the frame being drawn to black.
    virtual void ClearFrame() = 0;
    // Shows the frame drawn so far and starts the next one; counts as a shown screen.
    virtual void ShowFrame() = 0;
    // Handles pending window messages (a closed window ends the program).
    virtual void PumpMessages() = 0;
    virtual bool AnyKeyOrButtonDown() = 0;
};

// How often the playing loop looks at the keys while no picture is due.
constexpr int kMoviePollMilliseconds = 4;

// The movie's picture scaled to fit the frame, its aspect ratio kept, centred;
// sizes and offsets are rounded toward zero. An empty placement for no picture.
MoviePlacement FitMovie(int frameWidth, int frameHeight, int movieWidth, int movieHeight);

// Plays the movie at path once, or again and again with loop. Returns 3 when it
// cannot be played as a movie, else 0 (also when the player refused to start).
int PlayVideo(MoviePlayer& player, MovieHost& host, const std::string& path, bool loop);
