// Helpers of the tests that run the kip executable: a whole run headless, unpaced and
// seeded with a key script, read back as trace, error log and output; frames and
// sprites looked up in the trace; screenshots read as pictures.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tests/game/game_test_support.h"

struct KipRun {
    std::vector<TraceLine> trace;
    std::string errorLog;
    std::string output;
    int status = -1;
};

// Keys that leave the start screen in its first pass (frame 0) and the intro as soon
// as space has been seen free there (frame 2). The stage screen of the first level
// then shows from frame 2, sees space free in frame 3 and can be left in frame
// kFirstPlayFrame at the earliest, where play begins.
extern const char* const kThroughTheStartScreens;
constexpr long kFirstPlayFrame = 4;
// The lines of a key script with their frame numbers moved on by the given frames.
std::string KeysLater(const std::string& keys, long frames);

// Runs kip with the key script for the given number of frames in a fresh folder.
KipRun RunKip(const std::string& keys, int frames, const std::string& extra = "");

// The first frame with a line of this command whose first argument is firstArg, or -1.
long FirstFrame(const std::vector<TraceLine>& lines, const std::string& command,
                const std::string& firstArg);

// Sprites per slot drawn in one frame.
std::map<int, int> SpritesIn(const std::vector<TraceLine>& lines, long frame,
                             const std::string& command = "SPRITE");

// The program ended through its normal shutdown with error code 0.
void ExpectCleanEnd(const KipRun& run);

struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
    bool Lit(int x, int y) const;
};

// A 24- or 32-bit BMP file; an empty picture for anything else.
Picture ReadBmp(const std::string& path);

// Lit pixels in the 32 x 32 square from (x, y).
int LitIn(const Picture& picture, double x, double y);
