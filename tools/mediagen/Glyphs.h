// The letter shapes: 8 x 8 ink grids for character codes 0 … 127, read from
// a glyph source, used by the fonts and by texts on pictures.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "tools/mediagen/Image.h"
#include "tools/mediagen/Source.h"

namespace mediagen {

class GlyphSet {
  public:
    static constexpr int kSize = 8;

    static GlyphSet parse(SourceText& source);

    bool has(int code) const { return code >= 0 && code < 128 && present_[code]; }
    bool ink(int code, int x, int y) const {
        return has(code) && ((rows_[code][y] >> (7 - x)) & 1);
    }

  private:
    std::array<bool, 128> present_{};
    std::array<std::array<std::uint8_t, kSize>, 128> rows_{};
};

struct TextStyle {
    int scale = 1;
    Colour ink;
    Colour inkBottom;  // the ink runs from ink at the top to inkBottom at the bottom
    bool hasOutline = false;
    Colour outline;
};

// Sets text with its first cell's top-left at (x, y), 8 × scale pixels a
// character. Characters without a glyph are an error.
void drawText(Image& image, const GlyphSet& glyphs, int x, int y, const std::string& text,
              const TextStyle& style);

int textWidth(const std::string& text, int scale);

Colour blend(Colour top, Colour bottom, int step, int steps);

}  // namespace mediagen
