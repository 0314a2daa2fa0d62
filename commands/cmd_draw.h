// Drawing commands: pictures and fonts by name, sprites, text and primitives.
#pragma once

#include "values/KvStr.h"

void LOADSPRITE(const KvStr& file, double n);
void LOADBUMPTEXTURE(const KvStr& file, double n);
void LOADFONT(const KvStr& file, double n);
void SETFONT(double n);
double GETFONTSIZE(double& w, double& h);
void PRINT(const KvStr& text, double x, double y);
void PRINT(double v, double x, double y);
void SPRITE(double n, double x, double y);
void STRETCHSPRITE(double n, double x, double y, double w, double h);
void ZOOMSPRITE(double n, double x, double y, double sx, double sy);
void ROTOSPRITE(double n, double x, double y, double angle);
void ROTOZOOMSPRITE(double n, double x, double y, double angle, double zoom);
void GRABSPRITE(double n, double x, double y, double w, double h);
void ALPHAMODE(double a);
void DRAWLINE(double x1, double y1, double x2, double y2, double c);
void SETPIXEL(double x, double y, double c);
void FILLRECT(double x1, double y1, double x2, double y2, double c);
void STARTPOLY(double n);
void POLYVECTOR(double x, double y, double tx, double ty, double c);
void ENDPOLY();
void LOADBMP(const KvStr& file);
void BLENDSCREEN(const KvStr& file);
double SAVEBMP(const KvStr& file);
