// The runtime core: the settings and state globals the translated program sees,
// the one context object that holds the runtime's own state (options, frame
// number, trace, exit code, the program frame's shutdown steps), runtime errors
// and the error log. Below it are only the pure libraries; it knows no device.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "runtime/Options.h"
#include "values/KvStr.h"

// Settings written by the program's entry point before start-up.
extern int __KV_RESX;
extern int __KV_RESY;
extern int __KV_FULLSCREEN;
extern int __KV_FRAMERATE;
extern int __KV_DEBUG;
extern int __KV_WANTMOUSE;

// The program's view of the runtime state.
extern KvStr __g_cmdline;
extern double __g_debugline;
extern double __g_debugfile;
extern double __g_error;
extern double __g_errorline;
extern double __g_mx;
extern double __g_my;
extern double __g_FirstTime;
extern double __g_LastTime;
extern double __g_ThisTime;
extern int __nCurFont;

// The settings a program passes to KvRunProgram.
struct KvSettings {
    int resx = 640;
    int resy = 480;
    int fullscreen = 1;
    int framerate = 60;
    int debug = 1;
    int wantmouse = 0;
    const char* title = "kip";
    // What --version prints: the program's own name (else the title) and its own
    // version (else the runtime's, KV_VERSION).
    const char* name = nullptr;
    const char* version = nullptr;
};

// What the program frame adds to the shutdown, around the error log.
struct RuntimeShutdownSteps {
    void (*beforeErrorLog)() = nullptr;  // a playing movie closes, the music stops
    void (*afterErrorLog)() = nullptr;   // the devices are deleted, the platform closed
};

// The own state of a layer above the core (the frame's window, the input back-end's
// keys and devices, ...): one record per layer, owned by the context, which puts it
// back to the start in Reset(). A layer reaches its record through KvLayerState<T>().
class RuntimeLayerState {
  public:
    virtual ~RuntimeLayerState() = default;
    virtual void Reset() = 0;
};

// The runtime's own state. There is one, KvRuntime(); tests put it back to the
// start with Reset().
class RuntimeContext {
  public:
    RuntimeContext();
    RuntimeContext(const RuntimeContext&) = delete;
    RuntimeContext& operator=(const RuntimeContext&) = delete;

    // Closes the trace and the error log and forgets options, frame count, exit code
    // and shutdown steps; the error handlers of the pure libraries point at this
    // runtime again.
    // The layers' records are put back to the start too, the last made first.
    void Reset();

    // Takes a layer's record into the context's keeping.
    template <class State>
    State& Adopt(std::unique_ptr<State> state) {
        State& kept = *state;
        m_layers.push_back(std::move(state));
        return kept;
    }

    RuntimeOptions options;
    long frameNumber = 0;  // frames shown so far
    int exitCode = 0;      // the process's exit status at the end
    std::FILE* trace = nullptr;
    std::string tracePath;      // as given, for the message when it cannot be written
    bool traceFailed = false;   // some of the trace could not be written
    bool outputFailed = false;  // a trace line or a screenshot could not be written
    ScreenshotWriter screenshotWriter = nullptr;
    RuntimeShutdownSteps shutdown;
    int errorLog = -1;             // the open error log; none when it could not be made
    bool errorLogStarted = false;  // this run has tried to make its log

  private:
    std::vector<std::unique_ptr<RuntimeLayerState>> m_layers;
};

RuntimeContext& KvRuntime();

// The one record of State (a RuntimeLayerState) the context keeps, made on first use.
template <class State>
State& KvLayerState() {
    static State& state = KvRuntime().Adopt(std::make_unique<State>());
    return state;
}

[[noreturn]] void __EndProgram();
void __dLn(double file, double line);
double __Error(double code);
[[noreturn]] void END();
KvStr GETCOMMANDLINE_Str();

// Sets the error code and line (the current debug line) and ends the program.
[[noreturn]] void KvFatalError(int code);
// Ends the program normally (error 0) at the current debug line.
[[noreturn]] void KvEndAtCurrentLine();

// "ErrorLog.txt" in the temporary directory.
std::string KvErrorLogPath();
// Starts this run's error log: the old one is removed and a new one made, owner-only and
// never through a link. When that fails the person is told once and no log is written.
void KvStartErrorLog();
// Appends one line, ending in carriage return and line feed, to the error log (started
// first if it was not).
void KvAppendErrorLog(const char* line);
// $TMPDIR (else /tmp) with a trailing slash.
std::string KvTempDirectory();
