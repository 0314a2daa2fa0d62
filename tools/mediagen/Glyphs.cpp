// Glyph source parsing and text setting.
#include "tools/mediagen/Glyphs.h"

#include <vector>

namespace mediagen {

namespace {

int glyphCode(const SourceText& source, const SourceLine& line) {
    const std::string& text = line.text;
    if (text.size() == 6 && text.compare(0, 5, "char ") == 0) {
        int code = static_cast<unsigned char>(text[5]);
        if (code < 128) return code;
    }
    if (text.compare(0, 5, "code ") == 0) {
        int code = parseInt(source, line.number, text.substr(5));
        if (code >= 0 && code < 128) return code;
    }
    source.fail(line.number, "expected 'char C' or 'code N' (0 to 127)");
}

std::uint8_t glyphRow(const SourceText& source, const SourceLine& line) {
    if (line.text.size() != GlyphSet::kSize)
        source.fail(line.number, "a glyph row has 8 characters");
    std::uint8_t bits = 0;
    for (char c : line.text) {
        if (c != '.' && c != 'X') source.fail(line.number, "glyph rows use only 'X' and '.'");
        bits = static_cast<std::uint8_t>((bits << 1) | (c == 'X' ? 1 : 0));
    }
    return bits;
}

}  // namespace

GlyphSet GlyphSet::parse(SourceText& source) {
    GlyphSet set;
    SourceLine line;
    while (source.nextStatement(line)) {
        int code = glyphCode(source, line);
        if (set.present_[code]) source.fail(line.number, "this character has a glyph already");
        for (int row = 0; row < kSize; ++row) {
            if (!source.nextRaw(line)) source.fail(line.number, "the glyph ends early");
            set.rows_[code][row] = glyphRow(source, line);
        }
        set.present_[code] = true;
    }
    return set;
}

int textWidth(const std::string& text, int scale) {
    return static_cast<int>(text.size()) * GlyphSet::kSize * scale;
}

Colour blend(Colour top, Colour bottom, int step, int steps) {
    if (steps <= 1) return top;
    auto mix = [&](int a, int b) {
        return static_cast<std::uint8_t>(a + (b - a) * step / (steps - 1));
    };
    return {mix(top.r, bottom.r), mix(top.g, bottom.g), mix(top.b, bottom.b)};
}

namespace {

// Ink of the whole text as a mask, one entry per pixel of its box.
std::vector<bool> textMask(const GlyphSet& glyphs, const std::string& text, int scale) {
    int width = textWidth(text, scale);
    int height = GlyphSet::kSize * scale;
    std::vector<bool> mask(static_cast<std::size_t>(width) * height, false);
    for (std::size_t i = 0; i < text.size(); ++i) {
        int code = static_cast<unsigned char>(text[i]);
        if (!glyphs.has(code))
            throw SourceError("no glyph for character code " + std::to_string(code));
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < GlyphSet::kSize * scale; ++x) {
                if (glyphs.ink(code, x / scale, y / scale)) {
                    mask[static_cast<std::size_t>(y) * width + i * GlyphSet::kSize * scale + x] =
                        true;
                }
            }
        }
    }
    return mask;
}

bool touchesInk(const std::vector<bool>& mask, int width, int height, int x, int y) {
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            int nx = x + dx, ny = y + dy;
            if (nx >= 0 && ny >= 0 && nx < width && ny < height &&
                mask[static_cast<std::size_t>(ny) * width + nx]) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace

void drawText(Image& image, const GlyphSet& glyphs, int x, int y, const std::string& text,
              const TextStyle& style) {
    int width = textWidth(text, style.scale);
    int height = GlyphSet::kSize * style.scale;
    std::vector<bool> mask = textMask(glyphs, text, style.scale);
    // The outline rings the ink one pixel wide, also just outside the text's box.
    for (int ty = -1; ty <= height; ++ty) {
        for (int tx = -1; tx <= width; ++tx) {
            bool inside = tx >= 0 && ty >= 0 && tx < width && ty < height;
            if (inside && mask[static_cast<std::size_t>(ty) * width + tx]) {
                image.set(x + tx, y + ty, blend(style.ink, style.inkBottom, ty, height));
            } else if (style.hasOutline && touchesInk(mask, width, height, tx, ty)) {
                image.set(x + tx, y + ty, style.outline);
            }
        }
    }
}

}  // namespace mediagen
