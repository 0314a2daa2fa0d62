// The program frame: settings, start-up of the window and devices, the debug-line
// marker, runtime errors and the orderly shutdown that writes the error log.
#pragma once

#include <string>

#include "runtime/KvStr.h"

class DXInput;
class OpenGLRainbows;
class SFXSound;
class SFXSoundBuffer;
class VelNetwork;

// Settings written by the program's entry point before start-up.
extern int __KV_RESX;
extern int __KV_RESY;
extern int __KV_FULLSCREEN;
extern int __KV_FRAMERATE;
extern int __KV_DEBUG;
extern int __KV_WANTMOUSE;

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

constexpr int kSoundSlots = 128;
extern DXInput* pDXin;
extern OpenGLRainbows* pRbow;
extern SFXSound* pDXsnd;
extern SFXSoundBuffer* DXwav;  // kSoundSlots slots
extern VelNetwork* pVelNet;

// The settings a program passes to KvRunProgram.
struct KvSettings {
    int resx = 640;
    int resy = 480;
    int fullscreen = 1;
    int framerate = 60;
    int debug = 1;
    int wantmouse = 0;
    const char* title = "kip";
};

// The process entry: stores the settings, starts up, calls the program's main
// routine once and shuts down. Returns only for --help or a bad option.
int KvRunProgram(int argc, char** argv, const KvSettings& settings, void (*mainRoutine)());

int __GlobalInit(const char* cmdline, const char* title);
[[noreturn]] void __EndProgram();
void __dLn(double file, double line);
double __Error(double code);
[[noreturn]] void END();
KvStr GETCOMMANDLINE_Str();

// Sets the error code and line (the current debug line) and ends the program.
[[noreturn]] void KvFatalError(int code);

// The millisecond clock.
double KvNow();

// "ErrorLog.txt" in the temporary directory.
std::string KvErrorLogPath();
// Appends one line, ending in carriage return and line feed, to the error log.
void KvAppendErrorLog(const char* line);
// $TMPDIR (else /tmp) with a trailing slash.
std::string KvTempDirectory();

// For tests: starts the runtime headless, windowed and unpaced (window, devices,
// font 0) without calling a main routine; the commands can then be used directly.
// Returns false when no window could be had.
bool KvStartRuntimeForTests(const KvSettings& settings = KvSettings());
