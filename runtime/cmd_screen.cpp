// Screen flip and frame pacing commands: SHOWSCREEN ends every frame (time stamps,
// music loop, end keys, flip, drawing state and background of the next frame).
#include "runtime/cmd_screen.h"

#include "gfx/OpenGLRainbows.h"
#include "runtime/Frame.h"
#include "runtime/IntConv.h"
#include "runtime/Options.h"
#include "runtime/Trace.h"
#include "runtime/cmd_input.h"
#include "runtime/cmd_sound.h"

namespace {
// Every frame starts opaque, white, with the background picture drawn.
void PrepareNextFrame() {
    pRbow->OpaqueWhiteDrawing();
    pRbow->PasteSurface(0);
    pRbow->Make2DViewport();
}
}  // namespace

void SHOWSCREEN() {
    KvTrace("SHOWSCREEN");
    __g_LastTime = __g_ThisTime;
    __g_ThisTime = KvNow();
    KvMusicLoopCheck();
    KvShowScreenKeys();
    if (!pRbow) return;
    if (pRbow->FlipScreens() == 0) {
        __g_error = 0;
        __g_errorline = __g_debugline;
        __EndProgram();
    }
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
