// Parsing and use of the runtime's own command-line options.
#include "runtime/Options.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "runtime/KvVersion.h"
#include "runtime/Runtime.h"

namespace {
bool ParseLong(const char* text, long& value) {
    if (!text || !*text) return false;
    char* end = nullptr;
    errno = 0;
    long parsed = std::strtol(text, &end, 10);
    if (*end || errno) return false;
    value = parsed;
    return true;
}

bool ParseScreenshot(const char* text, ScreenshotRequest& request) {
    const char* colon = text ? std::strchr(text, ':') : nullptr;
    if (!colon || colon[1] == 0) return false;
    std::string frame(text, colon);
    if (!ParseLong(frame.c_str(), request.frame) || request.frame < 0) return false;
    request.path = colon + 1;
    // The program moves into its own folder at start-up: keep the path where it was meant.
    if (request.path[0] != '/') {
        char cwd[4096];
        if (getcwd(cwd, sizeof cwd)) request.path = std::string(cwd) + "/" + request.path;
    }
    return true;
}

void AppendArgument(std::string& line, const char* argument) {
    if (!line.empty()) line += ' ';
    line += argument;
}
}  // namespace

bool ParseRuntimeOptions(int argc, const char* const* argv, RuntimeOptions& options,
                         std::string& error) {
    bool onlyProgramArguments = false;
    for (int i = 0; i < argc; ++i) {
        std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        auto needValue = [&](const char* what) {
            error = "option " + arg + " needs " + what;
            return false;
        };
        if (onlyProgramArguments || arg.rfind("--", 0) != 0) {
            AppendArgument(options.programArguments, argv[i]);
        } else if (arg == "--") {
            onlyProgramArguments = true;
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else if (arg == "--headless") {
            options.headless = true;
            options.windowed = true;
        } else if (arg == "--windowed") {
            options.windowed = true;
            options.fullscreen = false;
        } else if (arg == "--fullscreen") {
            options.fullscreen = true;
            options.windowed = false;
        } else if (arg == "--scale") {
            std::string mode = value ? value : "";
            if (mode != "smooth" && mode != "integer") return needValue("'smooth' or 'integer'");
            options.integerScale = mode == "integer";
            ++i;
        } else if (arg == "--no-gamepad") {
            options.noGamepad = true;
        } else if (arg == "--unpaced") {
            options.unpaced = true;
        } else if (arg == "--no-warning") {
            options.noWarning = true;
        } else if (arg == "--frames") {
            if (!ParseLong(value, options.frames) || options.frames < 0)
                return needValue("a frame count (0 or more)");
            ++i;
        } else if (arg == "--seed") {
            long seed;
            if (!ParseLong(value, seed) || seed < 0 || seed > 0xFFFFFFFFL)
                return needValue("a seed from 0 to 4294967295");
            options.seed = static_cast<uint32_t>(seed);
            options.seedGiven = true;
            ++i;
        } else if (arg == "--keys") {
            if (!value) return needValue("a key script file");
            options.keysFile = value;
            ++i;
        } else if (arg == "--record") {
            if (!value) return needValue("a file for the recorded keys");
            options.recordFile = value;
            ++i;
        } else if (arg == "--trace") {
            if (!value) return needValue("a trace file ('-' for standard output)");
            options.traceFile = value;
            ++i;
        } else if (arg == "--screenshot") {
            ScreenshotRequest request;
            if (!ParseScreenshot(value, request)) return needValue("FRAME:FILE.bmp");
            options.screenshots.push_back(request);
            ++i;
        } else {
            error = "unknown option " + arg + " (try --help)";
            return false;
        }
    }
    if (!options.recordFile.empty() && !options.keysFile.empty()) {
        error = "--record writes the keys a person presses; it cannot be used with --keys";
        return false;
    }
    return true;
}

bool KvStartsFullscreen(bool programWantsFullscreen) {
    const RuntimeOptions& options = KvOptions();
    if (options.headless) return false;
    if (options.fullscreen) return true;
    return programWantsFullscreen && !options.windowed;
}

std::string RuntimeOptionsHelp(const char* program) {
    std::string text = "usage: ";
    text += program;
    text +=
        " [options] [-- program arguments]\n"
        "\n"
        "Runtime options:\n"
        "  --windowed           start in a window, whatever the program asks\n"
        "  --fullscreen         start in full screen, whatever the program asks\n"
        "                       (F11 switches between the two at any time)\n"
        "  --scale MODE         how the picture fills the window: 'smooth' (the default,\n"
        "                       any size, aspect kept) or 'integer' (whole multiples\n"
        "                       only, so pixels stay sharp)\n"
        "  --no-gamepad         game controllers do not press keys\n"
        "  --headless           no display needed: draws off screen, no sound device,\n"
        "                       no message boxes (implies --windowed)\n"
        "  --unpaced            no frame limiter: frames as fast as they can be drawn\n"
        "  --no-warning         no warning box about a software OpenGL renderer at start\n"
        "                       (the error log still says so)\n"
        "  --frames N           end after N frames through the normal shutdown\n"
        "                       (0: right after start-up, before the first frame)\n"
        "  --seed N             seed the random generator with N instead of the clock\n"
        "  --keys FILE          scripted keys instead of the keyboard (see below); a\n"
        "                       recording's seed is used unless --seed is given\n"
        "  --record FILE        write the keys pressed during play to FILE as a key\n"
        "                       script, with the seed in its first line: --keys FILE\n"
        "                       replays the game exactly\n"
        "  --trace FILE         write one line per drawing, sound and key command to FILE\n"
        "                       ('-' for standard output): '<frame> <COMMAND> <args...>'\n"
        "  --screenshot N:FILE  save the picture of frame N (the trace's frame N, drawn\n"
        "                       with the keys of frame N) as FILE (.bmp); may be given\n"
        "                       several times\n"
        "  --version            the program's name and version\n"
        "  --help               this text\n"
        "\n"
        "Key script: one line per event, '#' starts a comment:\n"
        "  FRAME down KEY...    these keys go down at the start of frame FRAME\n"
        "  FRAME up KEY...      these keys are released at the start of frame FRAME\n"
        "  FRAME tap KEY...     down for frame FRAME only\n"
        "Frames count the screens shown so far (0 before the first); keys are the\n"
        "runtime's key numbers (1 Escape, 57 space, 203 left, 205 right, 200 up,\n"
        "208 down, 56 left Alt, 50 M). Scripted keys also type characters, as\n"
        "a US keyboard does; a bad line stops the start, naming file and line.\n";
    return text;
}

const char* KvVersion() { return KV_VERSION; }

RuntimeOptions& KvOptions() { return KvRuntime().options; }

long KvFrameNumber() { return KvRuntime().frameNumber; }

void KvSetScreenshotWriter(ScreenshotWriter writer) { KvRuntime().screenshotWriter = writer; }

void KvNoteOutputFailure() { KvRuntime().outputFailed = true; }

bool KvOutputFailed() { return KvRuntime().outputFailed; }

// Screenshot N is the picture of the trace's frame N: the one the commands labelled N
// drew, shown by the flip that ends frame N.
void KvFrameCompleted() {
    RuntimeContext& runtime = KvRuntime();
    long shown = runtime.frameNumber;
    for (const ScreenshotRequest& request : runtime.options.screenshots) {
        if (request.frame != shown) continue;
        if (!runtime.screenshotWriter || !runtime.screenshotWriter(request.path)) {
            std::fprintf(stderr, "could not write the screenshot %s\n", request.path.c_str());
            KvNoteOutputFailure();
        }
    }
    long frame = ++runtime.frameNumber;
    if (runtime.options.frames >= 0 && frame >= runtime.options.frames) KvEndAtCurrentLine();
}

void KvReportScreenshotsNeverShown() {
    RuntimeContext& runtime = KvRuntime();
    for (const ScreenshotRequest& request : runtime.options.screenshots) {
        if (request.frame < runtime.frameNumber) continue;
        std::string shown = runtime.frameNumber > 0
                                ? "the last was " + std::to_string(runtime.frameNumber - 1)
                                : "none was";
        std::fprintf(stderr, "no screenshot %s: frame %ld was never shown (%s)\n",
                     request.path.c_str(), request.frame, shown.c_str());
    }
}
