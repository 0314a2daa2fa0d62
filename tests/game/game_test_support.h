// Helpers of the game's tests: the runtime's trace read back as lines, keys held
// through a key script given to the input object, and whole runs of the game
// executable with their trace, error log and screenshots.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

struct TraceLine {
    long frame = 0;
    std::string command;
    std::vector<std::string> args;  // texts without their quotes
    double Num(size_t k) const;
};

// Opens the runtime's trace into a file of the test folder; Stop closes it and
// returns its lines.
class TraceCapture {
  public:
    TraceCapture();
    ~TraceCapture();
    std::vector<TraceLine> Stop();

  private:
    std::string m_path;
    bool m_open = false;
};

std::vector<TraceLine> Only(const std::vector<TraceLine>& lines, const std::string& command);
std::vector<TraceLine> ParseTrace(const std::string& text);
// The lines split by frame, from the first line's frame on: one entry per pass of a
// loop that ends each pass with SHOWSCREEN (the last entry may lack it).
std::vector<std::vector<TraceLine>> ByFrame(const std::vector<TraceLine>& lines);
using Frames = std::vector<std::vector<TraceLine>>;
// The lines of a command (of a slot, when one is given) in one frame of ByFrame's.
std::vector<TraceLine> Lines(const Frames& frames, long frame, const std::string& command,
                             double slot = -1);
// The frames in which the command with this first argument appears.
std::vector<long> FramesOf(const std::vector<TraceLine>& trace, const std::string& command,
                           double slot);

// The keys held from now on (no keys for an empty list).
void HoldKeys(std::initializer_list<int> keys);
// A key script whose frame numbers count from the current frame ("+0" = now).
void KeysFromNow(const std::vector<std::string>& relativeLines);

// The number the error log gives a line of the game: the number of the first line
// of game/<file> that holds `text`, plus the file's block, 10000 × fileNumber; -1
// when no line holds it.
int GameLineOf(const std::string& file, int fileNumber, const std::string& text);
// The five lines that end the error log: "-End On Line", the error code, the error
// line, the last line (here the same) and the source file, which the game always
// gives as 0.
std::string EndOfRunLines(int code, int line);

// The folder the tests write into (also $TMPDIR of the runtime).
std::string TemporaryDirectory();

// A run of the game executable, headless, unpaced, seed 7, with scripted keys.
struct KipRun {
    std::vector<TraceLine> trace;
    std::string errorLog;
    std::string output;
    int status = -1;
};

// Runs the program with the key script for the given number of frames in a fresh
// folder; extra options follow the usual ones. A long run can keep only the trace
// lines that match an extended regular expression: the trace then goes through a
// pipe to grep and never fills the disk.
KipRun RunGame(const std::string& program, const std::string& keys, int frames,
               const std::string& extra = "", const std::string& traceFilter = "");

// Keys that leave the start screen in its first pass (frame 0) and the intro as soon
// as space has been seen free there (frame 2). The first stage screen then shows from
// frame 2 with space still held and sees it free in frame 3.
extern const char* const kThroughTheStartScreens;
// How much later than in a game without the start screen and the intro every frame of
// the stage screen with space free and of play comes after kThroughTheStartScreens.
constexpr long kStartScreenFrames = 3;
// The lines of a key script with their frame numbers moved on by the given frames.
std::string KeysLater(const std::string& keys, long frames);
// RunGame past the start screen and the intro with kThroughTheStartScreens, counted as
// a game that opened on its first stage screen: the keys, the frame count, the frames
// of "--screenshot N:PATH" options and the frames of the trace are all moved by
// kStartScreenFrames. The stage screen's first frame with space free is frame 0; the
// frames before it (the start screen, the intro, the stage screen with space still
// held) keep their lines under negative numbers.
KipRun RunPastTheStartScreens(const std::string& program, const std::string& keys, int frames,
                              const std::string& extra = "");

// The run ended through the normal shutdown, with error code 0 in the error log.
void ExpectCleanEnd(const KipRun& run);

// The first frame with the command whose first argument is firstArg, else -1.
long FirstFrame(const std::vector<TraceLine>& lines, const std::string& command,
                const std::string& firstArg);

// Sprites per slot drawn in one frame.
std::map<int, int> SpritesIn(const std::vector<TraceLine>& lines, long frame,
                             const std::string& command = "SPRITE");

// The alien pictures of types 1 and 2 (slots 200 ... 204) among them.
int Aliens(const std::map<int, int>& sprites);

// A screenshot read back as RGB pixels.
struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
    // The red, green and blue of a pixel, or null outside the picture.
    const uint8_t* Pixel(int x, int y) const {
        if (x < 0 || y < 0 || x >= width || y >= height) return nullptr;
        return &rgb[3 * (size_t(y) * width + x)];
    }
    bool Lit(int x, int y) const {
        const uint8_t* p = Pixel(x, y);
        return p && p[0] + p[1] + p[2] > 60;
    }
    // The lit pixels of the rectangle x0 <= x < x1, y0 <= y < y1.
    int LitIn(int x0, int y0, int x1, int y1) const {
        int lit = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) lit += Lit(x, y);
        return lit;
    }
};

// A 24- or 32-bit BMP file; an empty picture when it is not one.
Picture ReadBmp(const std::string& path);
