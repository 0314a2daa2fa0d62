// The movie player: what playing a movie asks of a media-player library. The
// libmpv back-end lives in MoviePlayer_mpv.cpp; NullMoviePlayer stands in when no
// player can be had, and then no movie opens.
#pragma once

#include <memory>
#include <string>

// Where the movie's picture goes in the game's frame: the frame's size and the
// fitted rectangle, with x and y counted from the frame's top-left corner.
struct MoviePlacement {
    int frameWidth = 0;
    int frameHeight = 0;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// What the player has to report after a wait.
enum class MovieNews {
    Nothing,     // nothing new yet
    Loaded,      // the movie is open, paused at its first picture; its size is known
    Failed,      // the file cannot be played as a movie (not one, damaged, no picture)
    NewPicture,  // the next picture is due: draw it now
    Ended,       // the movie has played to its end
};

class MoviePlayer {
  public:
    virtual ~MoviePlayer() = default;
    // Starts opening the file, paused; false when it cannot even be started.
    // Loaded or Failed follows through WaitForNews.
    virtual bool Open(const std::string& path, bool loop) = 0;
    // Waits up to the given time for news, and returns it.
    virtual MovieNews WaitForNews(int milliseconds) = 0;
    // The picture's display size, once loaded (non-square pixels already applied).
    virtual int PictureWidth() const = 0;
    virtual int PictureHeight() const = 0;
    // Starts playing with sound; false when the player refuses.
    virtual bool Play() = 0;
    // Draws the current picture into the frame that is bound for drawing.
    virtual void DrawPicture(const MoviePlacement& placement) = 0;
    virtual void Stop() = 0;
};

// Opens nothing: every movie fails, so the command reports it as not playable.
class NullMoviePlayer : public MoviePlayer {
  public:
    bool Open(const std::string&, bool) override { return false; }
    MovieNews WaitForNews(int) override { return MovieNews::Failed; }
    int PictureWidth() const override { return 0; }
    int PictureHeight() const override { return 0; }
    bool Play() override { return false; }
    void DrawPicture(const MoviePlacement&) override {}
    void Stop() override {}
};

struct MoviePlayerSettings {
    bool silent = false;  // no sound device: the movie's sound goes nowhere
    // Pictures are shown even when late, so that runs without a person see the
    // same picture in the same screen from run to run.
    bool everyPicture = false;
    // Looks up OpenGL functions in the context the movie is drawn with.
    void* (*glFunction)(const char* name) = nullptr;
};

// The library's player drawing through the current OpenGL context, or a
// NullMoviePlayer when the library or its drawing cannot be started.
std::unique_ptr<MoviePlayer> CreateMoviePlayer(const MoviePlayerSettings& settings);
