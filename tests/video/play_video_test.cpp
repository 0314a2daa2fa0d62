// The playing steps and the fitting, with a stand-in player and host: no window,
// no library. The order of what the host and player were asked is written to one log.
#include <gtest/gtest.h>

#include <deque>
#include <string>

#include "video/PlayVideo.h"

namespace {

struct Log {
    std::string text;
    void Add(const std::string& entry) { text += text.empty() ? entry : " " + entry; }
};

// Answers WaitForNews from a queue; when the queue is empty it repeats `after`.
class StandInPlayer : public MoviePlayer {
  public:
    StandInPlayer(Log& log, std::deque<MovieNews> news, MovieNews after = MovieNews::Nothing)
        : m_log(log), m_news(std::move(news)), m_after(after) {}
    bool Open(const std::string& path, bool loop) override {
        m_log.Add(std::string("open:") + path + (loop ? ":loop" : ""));
        return opens;
    }
    MovieNews WaitForNews(int) override {
        if (m_news.empty()) return m_after;
        MovieNews next = m_news.front();
        m_news.pop_front();
        return next;
    }
    int PictureWidth() const override { return width; }
    int PictureHeight() const override { return height; }
    bool Play() override {
        m_log.Add("play");
        return plays;
    }
    void DrawPicture(const MoviePlacement& p) override {
        m_log.Add("draw:" + std::to_string(p.x) + "," + std::to_string(p.y) + "," +
                  std::to_string(p.width) + "x" + std::to_string(p.height));
    }
    void Stop() override { m_log.Add("stop"); }

    bool opens = true;
    bool plays = true;
    int width = 320;
    int height = 180;

  private:
    Log& m_log;
    std::deque<MovieNews> m_news;
    MovieNews m_after;
};

// A key is held while the number of shown screens is in [keyFrom, keyUntil).
class StandInHost : public MovieHost {
  public:
    explicit StandInHost(Log& log) : m_log(log) {}
    int FrameWidth() const override { return 640; }
    int FrameHeight() const override { return 480; }
    void ClearFrame() override { m_log.Add("clear"); }
    void ShowFrame() override {
        ++shown;
        m_log.Add("show");
    }
    void PumpMessages() override { ++pumped; }
    bool AnyKeyOrButtonDown() override { return shown >= keyFrom && shown < keyUntil; }

    int shown = 0;
    int pumped = 0;
    int keyFrom = 0;
    int keyUntil = 0;

  private:
    Log& m_log;
};

using News = std::deque<MovieNews>;
constexpr MovieNews kLoaded = MovieNews::Loaded;
constexpr MovieNews kPicture = MovieNews::NewPicture;
constexpr MovieNews kNothing = MovieNews::Nothing;

// ---- fitting -----------------------------------------------------------------------

struct FitCase {
    int movieWidth, movieHeight;
    int x, y, width, height;  // worked by hand for a 640 x 480 frame
};

TEST(FitMovie, KeepsTheAspectRatioAndCentres) {
    const FitCase cases[] = {
        {320, 240, 0, 0, 640, 480},     // 4:3 fills the frame
        {320, 180, 0, 60, 640, 360},    // 16:9: 60 rows free above and below
        {1920, 1080, 0, 60, 640, 360},  // scaled down, not a pixel short
        {180, 320, 185, 0, 270, 480},   // upright 9:16: 185 columns free left and right
        {100, 100, 80, 0, 480, 480},    // square
        {333, 200, 0, 48, 640, 384},    // 200 * 640 / 333 = 384.38, rounded toward zero
        {640, 480, 0, 0, 640, 480},     // the frame's own size
    };
    for (const FitCase& c : cases) {
        MoviePlacement p = FitMovie(640, 480, c.movieWidth, c.movieHeight);
        EXPECT_EQ(p.frameWidth, 640);
        EXPECT_EQ(p.frameHeight, 480);
        EXPECT_EQ(p.x, c.x) << c.movieWidth << "x" << c.movieHeight;
        EXPECT_EQ(p.y, c.y) << c.movieWidth << "x" << c.movieHeight;
        EXPECT_EQ(p.width, c.width) << c.movieWidth << "x" << c.movieHeight;
        EXPECT_EQ(p.height, c.height) << c.movieWidth << "x" << c.movieHeight;
    }
}

TEST(FitMovie, AnOddFreeSpaceIsHalvedTowardZero) {
    // 4:3 in 641 x 480: 640 x 480 with one free column, offset 0 (half of 1 rounded down).
    MoviePlacement p = FitMovie(641, 480, 4, 3);
    EXPECT_EQ(p.width, 640);
    EXPECT_EQ(p.height, 480);
    EXPECT_EQ(p.x, 0);
    // 16:9 in 640 x 481: 640 x 360, 121 free rows, offset 60.
    p = FitMovie(640, 481, 16, 9);
    EXPECT_EQ(p.height, 360);
    EXPECT_EQ(p.y, 60);
}

TEST(FitMovieNegative, NoPictureGivesAnEmptyPlacement) {
    for (auto [w, h] : {std::pair{0, 240}, {320, 0}, {-320, 240}, {320, -240}}) {
        MoviePlacement p = FitMovie(640, 480, w, h);
        EXPECT_EQ(p.width, 0) << w << "x" << h;
        EXPECT_EQ(p.height, 0) << w << "x" << h;
    }
    // Very wide: a picture less than a row high.
    EXPECT_EQ(FitMovie(640, 480, 100000, 1).height, 0);
    EXPECT_EQ(FitMovie(0, 480, 320, 240).width, 0);
}

// ---- the playing steps -------------------------------------------------------------

TEST(PlayVideo, PlaysToItsEndShowingEachPictureAtTheFittedPlace) {
    Log log;
    StandInPlayer player(log, {kNothing, kLoaded, kPicture, kNothing, kPicture, kPicture},
                         MovieNews::Ended);
    StandInHost host(log);
    EXPECT_EQ(PlayVideo(player, host, "intro.mpg", false), 0);
    EXPECT_EQ(log.text,
              "open:intro.mpg clear play draw:0,60,640x360 show draw:0,60,640x360 show "
              "draw:0,60,640x360 show stop");
    EXPECT_GT(host.pumped, 3);  // messages are pumped while it opens and plays
}

TEST(PlayVideo, LoopIsHandedToThePlayer) {
    Log log;
    StandInPlayer player(log, {kLoaded, kPicture}, MovieNews::Ended);
    StandInHost host(log);
    EXPECT_EQ(PlayVideo(player, host, "loop.avi", true), 0);
    EXPECT_EQ(log.text.substr(0, 18), "open:loop.avi:loop");
}

TEST(PlayVideo, StartsOnlyWhenEveryKeyIsUpShowingTheFirstPicture) {
    Log log;
    StandInPlayer player(log, {kLoaded, kPicture}, MovieNews::Ended);
    StandInHost host(log);
    host.keyUntil = 2;  // held for the first two screens
    EXPECT_EQ(PlayVideo(player, host, "m", false), 0);
    EXPECT_EQ(log.text,
              "open:m clear draw:0,60,640x360 show draw:0,60,640x360 show play "
              "draw:0,60,640x360 show stop");
}

TEST(PlayVideo, AKeyEndsItEarly) {
    Log log;
    StandInPlayer player(log, {kLoaded}, kPicture);  // pictures forever
    StandInHost host(log);
    host.keyFrom = 3;
    host.keyUntil = 1000;
    EXPECT_EQ(PlayVideo(player, host, "m", false), 0);
    EXPECT_EQ(host.shown, 3);
    EXPECT_EQ(log.text.substr(log.text.size() - 4), "stop");
}

TEST(PlayVideo, AKeyEndsItAlsoWhileNoPictureIsDue) {
    Log log;
    StandInPlayer player(log, {kLoaded, kPicture}, kNothing);
    StandInHost host(log);
    host.keyFrom = 1;
    host.keyUntil = 1000;
    EXPECT_EQ(PlayVideo(player, host, "m", false), 0);
    EXPECT_EQ(host.shown, 1);
}

TEST(PlayVideo, APlayerThatRefusesToPlayIsClosedWithResultZero) {
    Log log;
    StandInPlayer player(log, {kLoaded}, kPicture);
    player.plays = false;
    StandInHost host(log);
    EXPECT_EQ(PlayVideo(player, host, "m", false), 0);
    EXPECT_EQ(log.text, "open:m clear play stop");
}

TEST(PlayVideo, AMovieThatBreaksWhilePlayingEnds) {
    Log log;
    StandInPlayer player(log, {kLoaded, kPicture}, MovieNews::Failed);
    StandInHost host(log);
    EXPECT_EQ(PlayVideo(player, host, "m", false), 0);
    EXPECT_EQ(host.shown, 1);
}

TEST(PlayVideoNegative, WhatCannotBeOpenedGivesThree) {
    Log log;
    StandInPlayer refused(log, {});
    refused.opens = false;
    StandInHost host(log);
    EXPECT_EQ(PlayVideo(refused, host, "a", false), 3);

    StandInPlayer broken(log, {kNothing, kNothing, MovieNews::Failed});
    EXPECT_EQ(PlayVideo(broken, host, "b", false), 3);

    StandInPlayer endsWhileOpening(log, {MovieNews::Ended});
    EXPECT_EQ(PlayVideo(endsWhileOpening, host, "c", false), 3);

    StandInPlayer noPicture(log, {kLoaded}, kPicture);
    noPicture.width = 0;
    EXPECT_EQ(PlayVideo(noPicture, host, "d", false), 3);

    // Nothing was shown or played; each player was closed.
    EXPECT_EQ(log.text, "open:a stop open:b stop open:c stop open:d stop");
    EXPECT_EQ(host.shown, 0);
}

TEST(PlayVideoNegative, TheNullPlayerPlaysNothing) {
    Log log;
    NullMoviePlayer player;
    StandInHost host(log);
    EXPECT_EQ(PlayVideo(player, host, "movie.avi", false), 3);
    EXPECT_EQ(log.text, "");
}

}  // namespace
