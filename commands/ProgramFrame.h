// The program frame: the process entry, start-up of the window and the devices in
// their fixed order, and the device objects the commands work through. The state
// and the shutdown it shares with the rest of the runtime live in the core
// (runtime/Runtime.h).
#pragma once

#include "runtime/Runtime.h"

class DXInput;
class OpenGLRainbows;
class SFXSound;
class SFXSoundBuffer;
class VelNetwork;

constexpr int kSoundSlots = 128;
extern DXInput* pDXin;
extern OpenGLRainbows* pRbow;
extern SFXSound* pDXsnd;
extern SFXSoundBuffer* DXwav;  // kSoundSlots slots
extern VelNetwork* pVelNet;

// The process entry: stores the settings, starts up, calls the program's main
// routine once and shuts down. Returns only for --help, --version or a bad option.
int KvRunProgram(int argc, char** argv, const KvSettings& settings, void (*mainRoutine)());

int __GlobalInit(const char* cmdline, const char* title);

// The millisecond clock.
double KvNow();

// For tests: starts the runtime headless, windowed and unpaced (window, devices,
// font 0) without calling a main routine; the commands can then be used directly.
// Returns false when no window could be had.
bool KvStartRuntimeForTests(const KvSettings& settings = KvSettings());
