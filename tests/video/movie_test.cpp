// Movies end to end: clips made here with ffmpeg (four coloured quarters and a
// tone) are played by a small program in a headless subprocess; its printed
// results, screenshots taken during playback, the trace and the error log are
// checked.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "gfx/BitmapReader.h"
#include "tests/gfx/BitmapFiles.h"
#include "tests/support/TestFolder.h"

namespace {

// One line the program printed for one movie.
struct MovieRun {
    bool found = false;
    double result = -1;
    long screens = -1;
    double milliseconds = -1;
};

struct Rgb {
    int r, g, b;
};
constexpr Rgb kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kWhite{255, 255, 255},
    kBlack{0, 0, 0};
// The clips are stored as YUV 4:2:0: their colours come back within a few steps.
constexpr int kVideoTolerance = 24;

class MovieTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(m_folder.Made());
        ASSERT_EQ(RunCommand("command -v ffmpeg").exitCode, 0)
            << "ffmpeg makes the test clips; scripts/setup.sh installs it";
    }

    // A clip of width x height at 25 pictures a second: red, green, blue and white
    // quarters (top left, top right, bottom left, bottom right) and a 440 Hz tone.
    void MakeClip(const std::string& name, int width, int height, int seconds) {
        std::string quarter = "s=" + std::to_string(width / 2) + "x" + std::to_string(height / 2) +
                              ":r=25:d=" + std::to_string(seconds);
        std::string graph = "color=c=red:" + quarter + "[a];color=c=lime:" + quarter +
                            "[b];color=c=blue:" + quarter + "[c];color=c=white:" + quarter +
                            "[d];[a][b]hstack[top];[c][d]hstack[bottom];[top][bottom]vstack";
        Ffmpeg("-f lavfi -i '" + graph +
               "' -f lavfi -i sine=frequency=440:duration=" + std::to_string(seconds) +
               " -c:v mpeg4 -q:v 2 -pix_fmt yuv420p -c:a aac -shortest " + name);
    }

    void Ffmpeg(const std::string& arguments) {
        CommandResult made =
            RunCommand("cd '" + m_folder.Path() + "' && ffmpeg -v error -y " + arguments);
        ASSERT_EQ(made.exitCode, 0) << made.output;
    }

    void WriteFile(const std::string& name, const std::string& bytes) {
        std::ofstream(m_folder / name, std::ios::binary) << bytes;
    }

    CommandResult Run(const std::string& options, const std::string& movies,
                      const std::string& keys = "") {
        std::string keyOption;
        if (!keys.empty()) {
            WriteFile("run.keys", keys);
            keyOption = " --keys run.keys";
        }
        m_run = RunCommand("cd '" + m_folder.Path() + "' && TMPDIR='" + m_folder.Path() + "' '" +
                           MOVIE_PROGRAM + "' --headless --trace trace.txt " + options + keyOption +
                           " -- " + movies);
        return m_run;
    }

    // The line "<mode> <file>: result R screens S ms T" of the last run.
    MovieRun Result(const std::string& mode, const std::string& file) const {
        MovieRun run;
        const std::string head = mode + " " + file + ": result ";
        const std::size_t at = m_run.output.find(head);
        if (at == std::string::npos) return run;
        std::istringstream words(m_run.output.substr(at + head.size()));
        MovieRun read;
        std::string screensWord, msWord;
        if (!(words >> read.result >> screensWord >> read.screens >> msWord >> read.milliseconds) ||
            screensWord != "screens" || msWord != "ms")
            return run;
        read.found = true;
        return read;
    }

    // The line of a movie that was found and played (result 0).
    MovieRun Played(const std::string& mode, const std::string& file) const {
        MovieRun run = Result(mode, file);
        EXPECT_TRUE(run.found) << m_run.output;
        EXPECT_EQ(run.result, 0) << m_run.output;
        return run;
    }

    BitmapImage Picture(const std::string& name) const {
        BitmapImage image;
        EXPECT_TRUE(ReadBitmapFromFile((m_folder / name).c_str(), image)) << name;
        return image;
    }

    std::string File(const std::string& name) const { return ReadFileText(m_folder / name); }

    TestFolder m_folder{"kv_movie"};
    CommandResult m_run;
};

::testing::AssertionResult ColourAt(const BitmapImage& image, int x, int y, Rgb want,
                                    int tolerance) {
    if (x >= image.width || y >= image.height)
        return ::testing::AssertionFailure() << "(" << x << ", " << y << ") is outside";
    uint32_t c = image.ColourAt(x, y);
    int r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
    if (std::abs(r - want.r) <= tolerance && std::abs(g - want.g) <= tolerance &&
        std::abs(b - want.b) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "(" << x << ", " << y << ") is " << r << "," << g << "," << b << ", not " << want.r
           << "," << want.g << "," << want.b;
}

// The four quarters of the clip inside the rectangle (x, y, width, height).
void ExpectQuarters(const BitmapImage& shot, int x, int y, int width, int height) {
    int left = x + width / 4, right = x + 3 * width / 4;
    int top = y + height / 4, bottom = y + 3 * height / 4;
    EXPECT_TRUE(ColourAt(shot, left, top, kRed, kVideoTolerance));
    EXPECT_TRUE(ColourAt(shot, right, top, kGreen, kVideoTolerance));
    EXPECT_TRUE(ColourAt(shot, left, bottom, kBlue, kVideoTolerance));
    EXPECT_TRUE(ColourAt(shot, right, bottom, kWhite, kVideoTolerance));
}

TEST_F(MovieTest, A43ClipPlaysToItsEndFillingTheFrame) {
    MakeClip("clip43.mp4", 320, 240, 1);
    Run("--screenshot 4:during.bmp", "play clip43.mp4");
    EXPECT_EQ(m_run.exitCode, 0) << m_run.output;
    MovieRun movie = Played("play", "clip43.mp4");
    // 25 pictures in one second: each shown picture is a screen. A few may come too
    // late on a busy machine and be dropped; the last may be shown once more when the
    // player holds it at the end.
    EXPECT_GE(movie.screens, 15);
    EXPECT_LE(movie.screens, 26);
    EXPECT_GE(movie.milliseconds, 900);
    BitmapImage shot = Picture("during.bmp");
    ASSERT_EQ(shot.width, 640);
    ASSERT_EQ(shot.height, 480);
    ExpectQuarters(shot, 0, 0, 640, 480);
    EXPECT_TRUE(ColourAt(shot, 1, 1, kRed, kVideoTolerance));
    EXPECT_TRUE(ColourAt(shot, 638, 478, kWhite, kVideoTolerance));
}

TEST_F(MovieTest, A169ClipHasBarsAboveAndBelow) {
    MakeClip("wide.mp4", 320, 180, 1);
    Run("--unpaced --screenshot 5:during.bmp", "play wide.mp4");
    Played("play", "wide.mp4");
    BitmapImage shot = Picture("during.bmp");
    ASSERT_EQ(shot.height, 480);
    // 640 x 360 from row 60 to row 419.
    ExpectQuarters(shot, 0, 60, 640, 360);
    for (int x : {5, 320, 634}) {
        EXPECT_TRUE(ColourAt(shot, x, 0, kBlack, 0));
        EXPECT_TRUE(ColourAt(shot, x, 58, kBlack, 0));
        EXPECT_TRUE(ColourAt(shot, x, 421, kBlack, 0));
        EXPECT_TRUE(ColourAt(shot, x, 479, kBlack, 0));
    }
    EXPECT_TRUE(ColourAt(shot, 5, 61, kRed, kVideoTolerance));
    EXPECT_TRUE(ColourAt(shot, 634, 418, kWhite, kVideoTolerance));
}

TEST_F(MovieTest, AScriptedKeyEndsItEarlyAndTheTraceCountsItsScreens) {
    MakeClip("long.mp4", 320, 240, 4);
    Run("--unpaced", "play long.mp4", "10 tap 57\n");
    MovieRun movie = Played("play", "long.mp4");
    // The key is down in screen 10; a four-second clip would have shown 100 screens,
    // so ten screens are the proof that it ended early (its wall time depends on the
    // machine's load and is not checked).
    EXPECT_EQ(movie.screens, 10);
    std::string trace = File("trace.txt");
    EXPECT_NE(trace.find("0 PLAYMOVIE \"" + m_folder / "long.mp4\"\n"), std::string::npos) << trace;
    EXPECT_NE(trace.find("10 FILLRECT 100 100 119 119 255\n"), std::string::npos) << trace;
}

TEST_F(MovieTest, LoopmoviePlaysPastTheClipsLengthUntilAKey) {
    MakeClip("short.mp4", 320, 240, 1);
    Run("--unpaced --screenshot 45:again.bmp", "loop short.mp4", "60 tap 1\n");
    MovieRun movie = Played("loop", "short.mp4");
    // 60 pictures of a 25-picture clip: it went round twice and a bit.
    EXPECT_EQ(movie.screens, 60);
    EXPECT_GE(movie.milliseconds, 2000);
    ExpectQuarters(Picture("again.bmp"), 0, 0, 640, 480);
    // Escape ended only the movie: the program went on to its own screen.
    EXPECT_NE(File("trace.txt").find("60 SHOWSCREEN"), std::string::npos);
}

TEST_F(MovieTest, AKeyHeldAtTheStartDelaysItShowingTheFirstPicture) {
    MakeClip("clip.mp4", 320, 240, 1);
    Run("--unpaced --screenshot 3:waiting.bmp", "play clip.mp4", "0 down 30\n6 up 30\n");
    MovieRun movie = Played("play", "clip.mp4");
    // Six screens of waiting, then the clip to its end (not ended by the held key).
    EXPECT_GE(movie.screens, 6 + 15);
    ExpectQuarters(Picture("waiting.bmp"), 0, 0, 640, 480);
}

TEST_F(MovieTest, MissingAndBrokenFilesGiveThreeAndTheProgramGoesOn) {
    MakeClip("good.mp4", 320, 240, 1);
    std::string good = File("good.mp4");
    WriteFile("cut.mp4", good.substr(0, good.size() / 2));  // its index is at the end
    WriteFile("header.mp4", good.substr(0, 64));
    std::string text;
    for (int i = 0; i < 100; ++i) text += "this is not a movie\n";
    WriteFile("text.avi", text);
    Ffmpeg("-f lavfi -i sine=frequency=440:duration=1 sound.wav");
    std::vector<uint8_t> sprite = MakeBitmap24(8, 8, [](int, int) { return TestRgb{0, 255, 0}; });
    WriteFile("sprite.bmp", std::string(sprite.begin(), sprite.end()));
    Run("--unpaced",
        "play missing.mp4 play cut.mp4 play header.mp4 play text.avi play sound.wav "
        "loop sprite.bmp play good.mp4");
    EXPECT_EQ(m_run.exitCode, 0) << m_run.output;
    for (auto [mode, file] : {std::pair{"play", "missing.mp4"},
                              {"play", "cut.mp4"},
                              {"play", "header.mp4"},
                              {"play", "text.avi"},
                              {"play", "sound.wav"},
                              {"loop", "sprite.bmp"}}) {
        MovieRun movie = Result(mode, file);
        ASSERT_TRUE(movie.found) << file << "\n" << m_run.output;
        EXPECT_EQ(movie.result, 3) << file;
        EXPECT_EQ(movie.screens, 0) << file;
    }
    Played("play", "good.mp4");
    // After the movies the program draws as before: the square, the sprite, and
    // nothing left of the movie around them.
    BitmapImage after = Picture("after.bmp");
    EXPECT_TRUE(ColourAt(after, 110, 110, kRed, 0));
    EXPECT_TRUE(ColourAt(after, 204, 104, kGreen, 0));
    EXPECT_TRUE(ColourAt(after, 400, 300, kBlack, 0));
    EXPECT_TRUE(ColourAt(after, 50, 50, kBlack, 0));
}

TEST_F(MovieTest, TheProgramCanEndWhileAMovieIsPlaying) {
    MakeClip("clip.mp4", 320, 240, 1);
    Run("--unpaced --frames 5", "loop clip.mp4");
    EXPECT_EQ(m_run.exitCode, 0) << m_run.output;
    EXPECT_FALSE(Result("loop", "clip.mp4").found) << m_run.output;
    std::string log = File("ErrorLog.txt");
    EXPECT_NE(log.find("-End On Line\r\n0\r\n"), std::string::npos) << log;
}

}  // namespace
