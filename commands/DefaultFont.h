// Font 0 at start-up: "Smalfont.bmp" as a file or from the media pack, else the
// runtime's own copy of that font, so that every program can PRINT from its first line.
#pragma once

// The bytes of the built-in Smalfont.bmp.
extern const unsigned char kDefaultFontBitmap[];
extern const unsigned long kDefaultFontBitmapSize;

// LOADFONT("Smalfont.bmp", 0); when no such font is found, font 0 becomes the
// built-in copy (and the error log says so when even that cannot be had).
void LoadStartupFont();
