// Bitmap fonts built from a font source (*.font): a grid of 16 x 8 cells on
// black, the glyph of code c in column c % 16 and row c / 16, top row first.
// Black is the fonts' transparent colour, so no ink or outline may be black.
#pragma once

#include "tools/mediagen/Glyphs.h"
#include "tools/mediagen/Pictures.h"

namespace mediagen {

struct FontRecipe {
    std::string glyphFile;
    int cellWidth = 8;
    int cellHeight = 8;
    int scale = 1;
    int originX = 0;  // where the glyph's 8 x 8 grid starts inside its cell
    int originY = 0;
    int bitsPerPixel = 24;
    TextStyle style;
};

FontRecipe parseFontRecipe(SourceText& source);
Picture buildFont(const FontRecipe& recipe, const GlyphSet& glyphs);

}  // namespace mediagen
