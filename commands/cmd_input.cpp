// Input commands: keys by scan code, typed characters, the virtual mouse, joysticks,
// the waiting commands and line input; and the end keys that SHOWSCREEN checks.
#include "commands/cmd_input.h"

#include <cstdlib>
#include <cstring>

#include "commands/ProgramFrame.h"
#include "commands/cmd_screen.h"
#include "gfx/OpenGLRainbows.h"
#include "input/DXInput.h"
#include "input/KeyTable.h"
#include "runtime/Options.h"
#include "runtime/Trace.h"
#include "values/IntConv.h"

namespace {
constexpr int kInputSurface = 3;
constexpr int kCursorBlinkRounds = 20;
constexpr int kMaximumInputLength = 1023;

// Nobody can press a key or click in a headless run or while keys are scripted:
// the waiting commands then do not wait for a person.
bool NobodyAtTheKeys() { return KvOptions().headless || (pDXin && pDXin->IsScripted()); }

// A joystick record as a missing device leaves it: centred, nothing held.
DIJOYSTATE ReadJoystick(double j) {
    DIJOYSTATE state;
    ReduceJoystick(RawJoystick(), state);
    if (pDXin) pDXin->GetJoystickData(&state, static_cast<char>(KvToInt(j)));
    return state;
}

// One round of a waiting loop: window messages (a closed window ends the program)
// and a short pause.
void WaitRound() {
    if (pRbow) pRbow->WinMessages();
    pDXin->Idle();
}

double MouseLimit(double value, int size) {
    if (value > size) value = size;
    if (value < 0) value = 0;
    return value;
}

void DrawInputLine(const KvStr& text, double x, double y, bool cursor) {
    if (!pRbow) return;
    pRbow->PasteSurface(kInputSurface);
    KvStr shown = text;
    if (cursor) shown += "_";
    pRbow->DrawTextA(static_cast<short>(__nCurFont), shown.GetStrData(), KvToShort(x),
                     KvToShort(y));
}
}  // namespace

double KEY(double k) {
    long index = KvToInt(k) & 255;
    double down = pDXin && pDXin->KeyDown(index) ? 1 : 0;
    KvTrace("KEY", {k, down});
    return down;
}

KvStr INKEY_Str() {
    char text[2] = {pDXin ? pDXin->GetKeyChar() : char(0), 0};
    if (text[0]) KvTrace("INKEY", {text});
    return KvStr(text);
}

void MOUSESTATE(double& x, double& y, double& b1, double& b2) {
    DIMOUSEDATA data;
    std::memset(&data, 0, sizeof data);
    if (pDXin) pDXin->GetMouseData(&data);
    __g_mx += data.xMove;
    __g_my += data.yMove;
    __g_mx = MouseLimit(__g_mx, pRbow ? pRbow->Width() : __KV_RESX);
    __g_my = MouseLimit(__g_my, pRbow ? pRbow->Height() : __KV_RESY);
    b1 = data.left ? 1 : 0;
    b2 = data.right ? 1 : 0;
    x = __g_mx;
    y = __g_my;
}

void SETMOUSE(double x, double y) {
    __g_mx = x;
    __g_my = y;
}

double MOUSEWAIT() {
    if (!pDXin || NobodyAtTheKeys()) return 0;
    while (pDXin->AnyMouse()) WaitRound();
    while (!pDXin->AnyMouse()) {
        if (pDXin->KeyDown(keys::kEscape)) __EndProgram();
        WaitRound();
    }
    return 0;
}

double KEYWAIT() {
    KvTrace("KEYWAIT");
    if (!pDXin || NobodyAtTheKeys()) return 0;
    while (!pDXin->AnyKey()) WaitRound();
    while (pDXin->AnyKeyDown()) WaitRound();
    return 0;
}

void JOYSTATE(double& x, double& y, double& b1, double& b2) {
    DIJOYSTATE state = ReadJoystick(0);
    x = state.lX;
    y = state.lY;
    b1 = state.rgbButtons[0];
    b2 = state.rgbButtons[1];
}

double GETJOYX(double j) { return ReadJoystick(j).lX; }
double GETJOYY(double j) { return ReadJoystick(j).lY; }
double GETJOYZ(double j) { return ReadJoystick(j).lZ; }

double GETDIGIX(double j) {
    uint32_t pov = ReadJoystick(j).rgdwPOV[0];
    return pov == 9000 ? 1 : pov == 27000 ? -1 : 0;
}

double GETDIGIY(double j) {
    uint32_t pov = ReadJoystick(j).rgdwPOV[0];
    return pov == 0 ? -1 : pov == 18000 ? 1 : 0;
}

double GETJOYBUTTON(double j, double b) {
    if (!(b >= 0 && b < 32)) return 0;
    return ReadJoystick(j).rgbButtons[KvToInt(b)];
}

KvStr GETJOYNAME_Str(double j) {
    char name[kJoystickNameSize] = {};
    if (pDXin) pDXin->GetJoyName(name, KvToInt(j));
    return KvStr(name);
}

double GETNUMJOYSTICKS() { return pDXin ? pDXin->GetNumJoysticks() : 0; }

void INPUT(KvStr& text, double x, double y) {
    if (!pRbow || !pDXin) return;
    pRbow->GrabSurface(kInputSurface);
    DrawInputLine(text, x, y, false);
    SHOWSCREEN();
    bool cursor = false;
    int idleRounds = 0;
    for (;;) {
        char typed = pDXin->GetKeyChar();
        if (typed == 0) {
            if (++idleRounds > kCursorBlinkRounds) {
                idleRounds = 0;
                cursor = !cursor;
            }
        } else if (typed == 10) {
            pRbow->FreeSurface(kInputSurface);
            return;
        } else if (typed == 8) {
            if (text.Length() > 0) text.Left(text.Length() - 1);
        } else if (text.Length() + 1 < kMaximumInputLength) {
            char added[2] = {typed, 0};
            text += added;
        }
        DrawInputLine(text, x, y, cursor);
        SHOWSCREEN();
    }
}

void INPUT(double& v, double x, double y) {
    KvStr text;
    INPUT(text, x, y);
    v = std::atof(text.GetStrData());
}
