// Drawing commands: convert the program's doubles (truncation, 16-bit coordinates),
// apply the slot and font rules and the loaders' error handling, and call the
// graphics object. Every command writes its trace line with its arguments as given.
#include "commands/cmd_draw.h"

#include <algorithm>
#include <cmath>

#include "commands/MediaLookup.h"
#include "commands/ProgramFrame.h"
#include "gfx/OpenGLRainbows.h"
#include "runtime/Trace.h"
#include "values/IntConv.h"

namespace {
// The colour key of sprites: red 255, green 0, blue 128 is transparent.
constexpr unsigned long kSpriteKey = 0x8000FF;
// Beyond this many turns an angle is reduced arithmetically instead of step by step.
constexpr double kAngleStepLimit = 360.0 * 4096;

int ClampFont(double n) { return std::clamp(KvToInt(n), 0, kFontCount - 1); }

// Resolves a media name of the data box; false when it is nowhere to be found.
bool ResolveData(const KvStr& file, KvStr& path) {
    path = file;
    return MediaLookup(path, __g_ShoeBox_Data);
}

void LoadPicture(const KvStr& file, double n, bool normalMap) {
    KvStr path;
    if (!pRbow || !ResolveData(file, path)) return;
    pRbow->LoadSprite(unsigned(KvToInt(n)), path.GetStrData(), kSpriteKey, normalMap);
}

void DrawText(const char* text, double x, double y) {
    if (pRbow) pRbow->DrawTextA(short(__nCurFont), text, KvToShort(x), KvToShort(y));
}
}  // namespace

void LOADSPRITE(const KvStr& file, double n) {
    KvTrace("LOADSPRITE", {file.GetStrData(), n});
    LoadPicture(file, n, false);
}

void LOADBUMPTEXTURE(const KvStr& file, double n) {
    KvTrace("LOADBUMPTEXTURE", {file.GetStrData(), n});
    LoadPicture(file, n, true);
}

// The font becomes current even when its file is missing.
void LOADFONT(const KvStr& file, double n) {
    KvTrace("LOADFONT", {file.GetStrData(), n});
    __nCurFont = ClampFont(n);
    KvStr path;
    if (!pRbow || !ResolveData(file, path)) return;
    if (!pRbow->LoadFont(unsigned(__nCurFont), path.GetStrData())) KvFatalError(3);
}

void SETFONT(double n) {
    KvTrace("SETFONT", {n});
    __nCurFont = ClampFont(n);
}

double GETFONTSIZE(double& w, double& h) {
    int width = 0, height = 0;
    if (pRbow) pRbow->GetFontSize(short(__nCurFont), width, height);
    w = width >> 4;
    h = height >> 3;
    return 0;
}

void PRINT(const KvStr& text, double x, double y) {
    KvTrace("PRINT", {text.GetStrData(), x, y});
    DrawText(text.GetStrData(), x, y);
}

// Traced as the number the program passed, drawn as its "%g" text.
void PRINT(double v, double x, double y) {
    KvTrace("PRINT", {v, x, y});
    char text[64];
    FormatNumber(v, text, sizeof text);
    DrawText(text, x, y);
}

void SPRITE(double n, double x, double y) {
    KvTrace("SPRITE", {n, x, y});
    if (pRbow) pRbow->DrawSprite(KvToShort(n), KvToShort(x), KvToShort(y));
}

void STRETCHSPRITE(double n, double x, double y, double w, double h) {
    KvTrace("STRETCHSPRITE", {n, x, y, w, h});
    if (pRbow)
        pRbow->StretchSprite(KvToShort(n), KvToShort(x), KvToShort(y), KvToShort(w), KvToShort(h));
}

// The picture scaled about its centre; the factors' signs are dropped (no mirroring).
void ZOOMSPRITE(double n, double x, double y, double sx, double sy) {
    KvTrace("ZOOMSPRITE", {n, x, y, sx, sy});
    if (!pRbow) return;
    int width = 0, height = 0;
    pRbow->GetSpriteSize(KvToShort(n), width, height);
    double zoomedWidth = std::fabs(sx * width), zoomedHeight = std::fabs(sy * height);
    pRbow->StretchSprite(KvToShort(n), KvToShort(x - (zoomedWidth - width) * 0.5),
                         KvToShort(y - (zoomedHeight - height) * 0.5), KvToShort(zoomedWidth),
                         KvToShort(zoomedHeight));
}

void ROTOSPRITE(double n, double x, double y, double angle) {
    KvTrace("ROTOSPRITE", {n, x, y, angle});
    if (pRbow) pRbow->RotoSprite(KvToShort(n), KvToShort(x), KvToShort(y), KvToShort(angle));
}

// Negative angles are brought up by whole turns; angles of 360 and more stay.
void ROTOZOOMSPRITE(double n, double x, double y, double angle, double zoom) {
    KvTrace("ROTOZOOMSPRITE", {n, x, y, angle, zoom});
    if (!pRbow) return;
    if (angle < -kAngleStepLimit) angle = std::fmod(angle, 360.0);
    while (angle < 0) angle += 360;
    int width = 0, height = 0;
    pRbow->GetSpriteSize(KvToShort(n), width, height);
    OPENGL_SPRITEFX fx;
    fx.angle = float(angle);
    fx.width = KvToShort(width * zoom);
    fx.height = KvToShort(height * zoom);
    fx.colour = 0;
    pRbow->DrawSpriteFX(KvToShort(n), KvToShort(x), KvToShort(y), fx);
}

void GRABSPRITE(double n, double x, double y, double w, double h) {
    KvTrace("GRABSPRITE", {n, x, y, w, h});
    if (pRbow)
        pRbow->GrabSprite(KvToShort(n), KvToShort(x), KvToShort(y), KvToShort(w), KvToShort(h));
}

void ALPHAMODE(double a) {
    KvTrace("ALPHAMODE", {a});
    if (pRbow) pRbow->DoAlpha(float(a));
}

void DRAWLINE(double x1, double y1, double x2, double y2, double c) {
    KvTrace("DRAWLINE", {x1, y1, x2, y2, c});
    if (pRbow)
        pRbow->DrawLine(KvToShort(x1), KvToShort(y1), KvToShort(x2), KvToShort(y2), KvToColour(c));
}

void SETPIXEL(double x, double y, double c) {
    KvTrace("SETPIXEL", {x, y, c});
    if (pRbow) pRbow->DrawPixel(KvToShort(x), KvToShort(y), KvToColour(c));
}

// The corners may be given in any order.
void FILLRECT(double x1, double y1, double x2, double y2, double c) {
    KvTrace("FILLRECT", {x1, y1, x2, y2, c});
    if (!pRbow) return;
    short ax = KvToShort(x1), ay = KvToShort(y1), bx = KvToShort(x2), by = KvToShort(y2);
    pRbow->DrawRect(std::min(ax, bx), std::min(ay, by), std::max(ax, bx), std::max(ay, by),
                    KvToColour(c));
}

void STARTPOLY(double n) {
    KvTrace("STARTPOLY", {n});
    if (pRbow) pRbow->StartPoly(KvToInt(n));
}

void POLYVECTOR(double x, double y, double tx, double ty, double c) {
    KvTrace("POLYVECTOR", {x, y, tx, ty, c});
    if (pRbow) pRbow->PolyPoint(KvToShort(x), KvToShort(y), float(tx), float(ty), KvToColour(c));
}

void ENDPOLY() {
    KvTrace("ENDPOLY", {});
    if (pRbow) pRbow->EndPoly();
}

void LOADBMP(const KvStr& file) {
    KvTrace("LOADBMP", {file.GetStrData()});
    KvStr path;
    if (!pRbow || !ResolveData(file, path)) return;
    if (!pRbow->LoadSurface(0, path.GetStrData(), false)) KvFatalError(3);
    pRbow->PasteSurface(0);
}

void BLENDSCREEN(const KvStr& file) {
    KvTrace("BLENDSCREEN", {file.GetStrData()});
    KvStr path;
    if (!pRbow || !ResolveData(file, path)) return;
    pRbow->GrabSurface(0);
    if (!pRbow->LoadSurface(1, path.GetStrData(), false)) KvFatalError(3);
    pRbow->BlendToSurface(0, 1);
    pRbow->FreeSurface(1);
    pRbow->LoadSurface(0, path.GetStrData(), false);
    pRbow->PasteSurface(0);
    pRbow->OpaqueWhiteDrawing();
}

double SAVEBMP(const KvStr& file) {
    KvTrace("SAVEBMP", {file.GetStrData()});
    if (pRbow) pRbow->SaveBMPFile(file.GetStrData());
    return 0;
}
