// The review sheet: every picture at its own size and, when small, four
// times enlarged, with its name; the fonts and a sample line of game text.
#pragma once

#include <string>
#include <vector>

#include "tools/mediagen/Glyphs.h"
#include "tools/mediagen/Image.h"

namespace mediagen {

struct SheetEntry {
    std::string name;
    Image image;
    bool isFont = false;  // black is its transparent colour, not the key
};

Image makeContactSheet(const std::vector<SheetEntry>& entries, const GlyphSet& glyphs,
                       const Image& gameFont, const std::string& sampleText);

// Draws text with a generated font sheet (16 x 8 cells, black transparent).
void drawWithFont(Image& target, const Image& font, int x, int y, const std::string& text);

}  // namespace mediagen
