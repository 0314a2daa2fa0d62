// Screen flip and frame pacing commands: SHOWSCREEN ends every frame (time stamps,
// music loop, end keys, flip, drawing state and background of the next frame).
#include "commands/cmd_screen.h"

#include "commands/ProgramFrame.h"
#include "commands/cmd_sound.h"
#include "gfx/OpenGLRainbows.h"
#include "input/DXInput.h"
#include "input/KeyTable.h"
#include "runtime/Options.h"
#include "runtime/Trace.h"
#include "values/IntConv.h"

namespace {
// Every frame starts opaque, white, with the background picture drawn.
void PrepareNextFrame() {
    pRbow->OpaqueWhiteDrawing();
    pRbow->PasteSurface(0);
    pRbow->Make2DViewport();
}

// The keyboard part of SHOWSCREEN: refreshes the keys and ends the program (error 0,
// the line of that SHOWSCREEN) on Escape, or on left Alt with F4.
void EndKeysCheck() {
    if (!pDXin) return;
    pDXin->GetKeyboardStatus();
    bool escape = pDXin->KeyDown(keys::kEscape);
    bool altF4 = pDXin->KeyDown(keys::kLeftAlt) && pDXin->KeyDown(keys::kF4);
    if (escape || altF4) {
        KvEndAtCurrentLine();
    }
}
}  // namespace

void SHOWSCREEN() {
    KvTrace("SHOWSCREEN");
    __g_LastTime = __g_ThisTime;
    __g_ThisTime = KvNow();
    KvMusicLoopCheck();
    EndKeysCheck();
    if (!pRbow) return;
    if (pRbow->FlipScreens() == 0) KvEndAtCurrentLine();
    KvFrameCompleted();
    PrepareNextFrame();
}

// Two frames in the same millisecond still report one millisecond.
double GETTIMER() {
    double elapsed = __g_ThisTime - __g_LastTime;
    return elapsed <= 0 ? 1 : elapsed;
}

double GETTIMERALL() { return __g_ThisTime - __g_FirstTime; }

void LIMITFPS(double fps) {
    KvTrace("LIMITFPS", {fps});
    if (pRbow) pRbow->SetMaxFPS(KvToInt(fps));
}

void BLACKSCREEN() {
    KvTrace("BLACKSCREEN");
    if (!pRbow) return;
    pRbow->ClearFrame();
    pRbow->FreeSurface(0);
}

void USEASBMP() {
    KvTrace("USEASBMP");
    if (pRbow) pRbow->GrabSurface(0);
}
