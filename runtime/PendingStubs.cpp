// Weak stand-ins for commands whose subsystems are still being written; the real
// definitions replace them at link time.
#include "gfx/OpenGLRainbows.h"
#include "runtime/KvStr.h"

__attribute__((weak)) void SETSHOEBOX(KvStr, KvStr) {}
__attribute__((weak)) void LOADFONT(const KvStr&, double) {}
__attribute__((weak)) void OpenGLRainbows::ClearFrame() {}
__attribute__((weak)) double OpenGLRainbows::FlipScreens() { return 1; }
__attribute__((weak)) void SHOWSCREEN() {}
__attribute__((weak)) void PRINT(const KvStr&, double, double) {}
__attribute__((weak)) void FILLRECT(double, double, double, double, double) {}
