// The program frame: process entry, start-up of the back-ends in their fixed order,
// and the frame's own steps of the core's shutdown (movie closed, music off, devices
// deleted).
#include "commands/ProgramFrame.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "commands/DefaultFont.h"
#include "commands/MediaLookup.h"
#include "commands/VelNetwork.h"
#include "commands/cmd_draw.h"
#include "commands/cmd_sound.h"
#include "gfx/GameWindow.h"
#include "gfx/OpenGLRainbows.h"
#include "input/DXInput.h"
#include "maths/Random.h"
#include "media/VelShoeBox.h"
#include "runtime/Options.h"
#include "runtime/Signals.h"
#include "runtime/Trace.h"
#include "sound/SFXSound.h"
#include "system/LibraryMessages.h"

OpenGLRainbows* pRbow = nullptr;
DXInput* pDXin = nullptr;
SFXSound* pDXsnd = nullptr;
SFXSoundBuffer* DXwav = nullptr;
VelNetwork* pVelNet = nullptr;

namespace {
void DeleteDevices();

// The frame's own part of the start-up: the platform and the window the devices work in.
// Putting it back deletes the devices and closes the platform, as the shutdown does.
struct FrameState : RuntimeLayerState {
    GameWindow* window = nullptr;
    bool platformStarted = false;
    void Reset() override { DeleteDevices(); }
};

FrameState& Frame() { return KvLayerState<FrameState>(); }

std::string ProgramPath() {
    char buffer[4096];
    ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0) return "";
    buffer[length] = 0;
    return buffer;
}

// The folder of the program file becomes the current directory, so media names
// are relative to it. A path without a separator after its first character
// leaves the current directory as it is.
void EnterProgramFolder(const std::string& path) {
    std::size_t cut = path.find_last_of("/\\");
    if (cut == std::string::npos || cut == 0) return;
    std::string folder = path.substr(0, cut);
    if (chdir(folder.c_str()) != 0) std::perror(folder.c_str());
}

void DeleteDevices() {
    delete pRbow;
    pRbow = nullptr;
    delete pDXin;
    pDXin = nullptr;
    KvCloseKeyRecording();
    delete[] DXwav;  // destroys the slots from the last to the first
    DXwav = nullptr;
    delete pDXsnd;
    pDXsnd = nullptr;
    delete pVelNet;
    pVelNet = nullptr;
    FrameState& frame = Frame();
    delete frame.window;
    frame.window = nullptr;
    if (frame.platformStarted) PlatformQuit();
    frame.platformStarted = false;
}

// A movie that is playing closes before the music stops.
void StopMovieAndMusicAtTheEnd() {
    KvCloseMovie();
    STOPMUSIC();
}

// In this order: input, graphics, sound device, the sound slots, network.
void CreateDevices() {
    pDXin = new DXInput();
    pRbow = new OpenGLRainbows();
    pDXsnd = new SFXSound();
    DXwav = new SFXSoundBuffer[kSoundSlots];
    pVelNet = new VelNetwork();
}

// The window could not be had (the reason is printed already): end with an error.
[[noreturn]] void StartupFailure() {
    KvRuntime().exitCode = 1;
    KvFatalError(1);
}

// No sound device is no reason to stop: the person is told once, in a line of our own,
// and the game plays silently.
void OpenSoundDevice() {
    int opened;
    {
        LibraryMessagesHeldBack held;  // the sound library's own lines
        opened = pDXsnd->Create(Frame().window);
    }
    if (opened == 0 && SFXSound::DeviceWanted())
        std::fprintf(stderr, "No sound device could be opened (%s): the game plays silently.\n",
                     pDXsnd->DeviceError().c_str());
}

bool OpenWindow(const char* title) {
    std::string error;
    bool started;
    {
        LibraryMessagesHeldBack held;  // the display library's own complaints
        started = PlatformInit(KvOptions().headless, error);
    }
    if (!started) {
        std::fprintf(stderr,
                     "No display could be opened (%s): start the program with --headless "
                     "to run it without one.\n",
                     error.c_str());
        return false;
    }
    FrameState& frame = Frame();
    frame.platformStarted = true;
    frame.window = GameWindow::Create("Tessary", __KV_RESX, __KV_RESY, error);
    if (!frame.window) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return false;
    }
    frame.window->SetScaleMode(KvOptions().integerScale ? ScaleMode::kInteger : ScaleMode::kSmooth);
    frame.window->Show();
    frame.window->SetTitle(title);
    return true;
}

// A relative $TMPDIR would name another folder once the program has moved into its own.
void MakeTemporaryFolderAbsolute() {
    const char* dir = std::getenv("TMPDIR");
    if (!dir || !*dir || dir[0] == '/') return;
    char cwd[4096];
    if (!getcwd(cwd, sizeof cwd)) return;
    setenv("TMPDIR", (std::string(cwd) + "/" + dir).c_str(), 1);
}

// --seed, else the seed a recording was made with, else the clock: by its low 32 bits,
// so a long uptime still gives a new game each start.
uint32_t RunSeed() {
    const RuntimeOptions& options = KvOptions();
    if (options.seedGiven) return options.seed;
    uint32_t recorded = 0;
    if (KvKeyScriptSeed(recorded)) return recorded;
    return static_cast<uint32_t>(static_cast<uint64_t>(KvNow()));
}

// A box's one sentence about its unpacking folder goes to standard error and the log.
void ReportUnpackingFolder(const std::string& sentence) {
    std::fprintf(stderr, "%s\n", sentence.c_str());
    KvAppendErrorLog(sentence.c_str());
}
}  // namespace

double KvNow() { return pRbow ? pRbow->Now() : PlatformMilliseconds(); }

int __GlobalInit(const char* /*cmdline*/, const char* title) {
    RuntimeShutdownSteps& shutdown = KvRuntime().shutdown;
    shutdown.beforeErrorLog = StopMovieAndMusicAtTheEnd;
    shutdown.afterErrorLog = DeleteDevices;
    SetShoeBoxReporter(ReportUnpackingFolder);
    if (!OpenWindow(title)) {
        KvStartErrorLog();
        return 0;
    }
    KvStartErrorLog();
    CreateDevices();
    pRbow->Init(Frame().window, __KV_RESX, __KV_RESY, 0,
                static_cast<unsigned short>(__KV_FRAMERATE));
    uint32_t seed = RunSeed();
    Velsrand(seed);
    KvRecordSeed(seed);
    if (KvStartsFullscreen(__KV_FULLSCREEN != 0))
        pRbow->DoFullscreen();
    else
        pRbow->DoWindowed();
    pRbow->ShowSoftwareWarning();
    pDXin->CreateDInput(Frame().window, __KV_WANTMOUSE != 0);
    OpenSoundDevice();
    __nCurFont = 0;

    std::string path = ProgramPath();
    RemoveStaleUnpackFolders();
    SETSHOEBOX(path.c_str(), path.c_str());
    EnterProgramFolder(path);
    LoadStartupFont();
    pRbow->ClearFrame();
    pRbow->FlipScreens();
    pRbow->Make2DViewport();
    __g_FirstTime = __g_LastTime = __g_ThisTime = KvNow();
    return 0;
}

namespace {
void StoreSettings(const KvSettings& settings) {
    __KV_RESX = settings.resx;
    __KV_RESY = settings.resy;
    __KV_FULLSCREEN = settings.fullscreen;
    __KV_FRAMERATE = settings.framerate;
    __KV_DEBUG = settings.debug;
    __KV_WANTMOUSE = settings.wantmouse;
}

// "NAME VERSION"; a program with a version of its own names the runtime's on a second line.
void PrintVersion(const KvSettings& settings) {
    const char* name = settings.name ? settings.name : settings.title;
    if (!settings.version) {
        std::printf("%s %s\n", name, KvVersion());
        return;
    }
    std::printf("%s %s\nkv runtime %s\n", name, settings.version, KvVersion());
}

// Reads the runtime's options and opens the trace and the key script. Returns the
// exit code when the program is not to start (help, version, or a bad option), else -1.
int PrepareRun(int argc, char** argv, const KvSettings& settings) {
    KvInstallSignalHandlers();
    MakeTemporaryFolderAbsolute();
    RuntimeOptions& options = KvOptions();
    std::string error;
    if (!ParseRuntimeOptions(argc - 1, argv + 1, options, error)) {
        std::fprintf(stderr, "%s: %s\n", argv[0], error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(RuntimeOptionsHelp(argv[0]).c_str(), stdout);
        return 0;
    }
    if (options.version) {
        PrintVersion(settings);
        return 0;
    }
    if (!options.traceFile.empty() && !KvOpenTrace(options.traceFile.c_str())) {
        std::fprintf(stderr, "%s: cannot write the trace %s\n", argv[0], options.traceFile.c_str());
        return 2;
    }
    if (options.traceFile == "-") SetShoeBoxDiagnostics(stderr);
    if (!options.keysFile.empty() && !KvLoadKeyScript(options.keysFile, error)) {
        std::fprintf(stderr, "%s: %s\n", argv[0], error.c_str());
        return 2;
    }
    if (!options.recordFile.empty() && !KvOpenKeyRecording(options.recordFile, error)) {
        std::fprintf(stderr, "%s: %s\n", argv[0], error.c_str());
        return 2;
    }
    return -1;
}
}  // namespace

int KvRunProgram(int argc, char** argv, const KvSettings& settings, void (*mainRoutine)()) {
    int exitCode = PrepareRun(argc, argv, settings);
    if (exitCode >= 0) return exitCode;
    __g_cmdline = KvOptions().programArguments.c_str();
    StoreSettings(settings);
    __GlobalInit(__g_cmdline.GetStrData(), settings.title);
    if (!pRbow) StartupFailure();
    __g_mx = __g_my = 100;
    __g_errorline = __g_error = __g_debugline = 0;
    // No frame at all was asked for: the program ends after start-up, before its first.
    if (KvOptions().frames == 0) END();
    mainRoutine();
    __EndProgram();
}

bool KvStartRuntimeForTests(const KvSettings& settings) {
    RuntimeOptions& options = KvOptions();
    options.headless = options.windowed = options.unpaced = true;
    StoreSettings(settings);
    __KV_FULLSCREEN = 0;
    __GlobalInit("", settings.title);
    return pRbow != nullptr;
}
