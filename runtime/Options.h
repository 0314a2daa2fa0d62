// The runtime's own command-line options: the display (window, full screen, scaling),
// the gamepad, recording keys, and running without a person (headless,
// unpaced, scripted keys, fixed seed, frame count, trace, screenshots).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ScreenshotRequest {
    long frame = 0;    // the picture of this frame, as the trace and the key script count
    std::string path;  // a .bmp file
};

struct RuntimeOptions {
    bool headless = false;  // SDL's offscreen video driver, no message boxes
    bool windowed = false;    // a window instead of full screen
    bool fullscreen = false;  // full screen whatever the program asks (not headless)
    bool integerScale = false;  // whole-number scaling of the frame instead of smooth fitting
    bool noGamepad = false;     // game controllers do not press keys
    bool unpaced = false;   // no waiting for the frame grid
    bool noWarning = false;  // no warning box about the software renderer
    long frames = -1;       // end after this many frames through the normal shutdown
    bool seedGiven = false;
    uint32_t seed = 0;
    std::string keysFile;   // scripted keys
    std::string recordFile;  // the keys a person presses, written as a key script
    std::string traceFile;  // one line per command called
    std::vector<ScreenshotRequest> screenshots;
    bool help = false;
    bool version = false;  // print the program's name and version, then end
    std::string programArguments;  // what is left: the program's command line
};

// Parses argv (without argv[0]). Returns false with a message for a bad option.
// Of --windowed and --fullscreen the last one given counts.
bool ParseRuntimeOptions(int argc, const char* const* argv, RuntimeOptions& options,
                         std::string& error);
std::string RuntimeOptionsHelp(const char* program);
// The version of the runtime and the programs built with it, as "1.0.0".
const char* KvVersion();

// Whether the window starts in full screen: --headless never does, --windowed and
// --fullscreen override the program's own wish.
bool KvStartsFullscreen(bool programWantsFullscreen);

// The options of this run.
RuntimeOptions& KvOptions();

// Frames shown so far (SHOWSCREEN calls that flipped).
long KvFrameNumber();
// Called by SHOWSCREEN after each flip: counts the frame, takes the screenshots
// asked for and ends the program after the requested number of frames.
void KvFrameCompleted();
// Says on standard error which screenshots were asked for frames never shown (at the
// shutdown). The exit code stays: a program may well end before such a frame.
void KvReportScreenshotsNeverShown();
// A trace line or a screenshot that could not be written: the program goes on, and
// the run ends with a non-zero exit code.
void KvNoteOutputFailure();
bool KvOutputFailed();
// The graphics layer registers how a screenshot is written.
using ScreenshotWriter = bool (*)(const std::string& path);
void KvSetScreenshotWriter(ScreenshotWriter writer);
