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
// folder; extra options follow the usual ones.
KipRun RunGame(const std::string& program, const std::string& keys, int frames,
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
    bool Lit(int x, int y) const {
        if (x < 0 || y < 0 || x >= width || y >= height) return false;
        const uint8_t* p = &rgb[3 * (y * width + x)];
        return p[0] + p[1] + p[2] > 60;
    }
};

// A 24- or 32-bit BMP file; an empty picture when it is not one.
Picture ReadBmp(const std::string& path);
