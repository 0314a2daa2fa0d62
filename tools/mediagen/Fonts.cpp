// Font recipes and the font sheet layout.
#include "tools/mediagen/Fonts.h"

#include <map>

namespace mediagen {

namespace {

Colour readColour(const SourceText& source, const SourceLine& line,
                  const std::vector<std::string>& words, std::size_t first) {
    if (words.size() < first + 3)
        source.fail(line.number, "a colour is three numbers: red green blue");
    Colour c = parseColour(source, line.number, words, first);
    if (c == kBlack)
        source.fail(line.number, "black is transparent in a font; use a dark colour instead");
    return c;
}

void readPair(const SourceText& source, const SourceLine& line,
              const std::vector<std::string>& words, int least, int most, int& first, int& second) {
    if (words.size() != 3) source.fail(line.number, "'" + words[0] + "' takes two numbers");
    first = parseInt(source, line.number, words[1]);
    second = parseInt(source, line.number, words[2]);
    if (first < least || second < least || first > most || second > most) {
        source.fail(line.number, "'" + words[0] + "' values run from " + std::to_string(least) +
                                     " to " + std::to_string(most));
    }
}

void applyRecipeLine(FontRecipe& recipe, const SourceText& source, const SourceLine& line,
                     const std::vector<std::string>& words) {
    const std::string& key = words[0];
    if (key == "glyphs" && words.size() == 2) {
        recipe.glyphFile = words[1];
    } else if (key == "cell") {
        readPair(source, line, words, 8, 64, recipe.cellWidth, recipe.cellHeight);
    } else if (key == "origin") {
        readPair(source, line, words, 0, 56, recipe.originX, recipe.originY);
    } else if (key == "scale" && words.size() == 2) {
        recipe.scale = parseInt(source, line.number, words[1]);
        if (recipe.scale < 1 || recipe.scale > 8)
            source.fail(line.number, "the scale runs from 1 to 8");
    } else if (key == "depth" && words.size() == 2) {
        recipe.bitsPerPixel = parseInt(source, line.number, words[1]);
        if (recipe.bitsPerPixel != 8 && recipe.bitsPerPixel != 24)
            source.fail(line.number, "depth is 8 or 24");
    } else if (key == "ink" && (words.size() == 4 || words.size() == 7)) {
        recipe.style.ink = recipe.style.inkBottom = readColour(source, line, words, 1);
        if (words.size() == 7) recipe.style.inkBottom = readColour(source, line, words, 4);
    } else if (key == "outline" && words.size() == 4) {
        recipe.style.hasOutline = true;
        recipe.style.outline = readColour(source, line, words, 1);
    } else {
        source.fail(line.number, "unknown or malformed font statement '" + key + "'");
    }
}

}  // namespace

FontRecipe parseFontRecipe(SourceText& source) {
    FontRecipe recipe;
    recipe.style.ink = recipe.style.inkBottom = {255, 255, 255};
    SourceLine line;
    while (source.nextStatement(line))
        applyRecipeLine(recipe, source, line, splitWords(source, line));
    if (recipe.glyphFile.empty())
        throw SourceError(source.name() + ": the font names no 'glyphs' file");
    if (recipe.originX + 8 * recipe.scale > recipe.cellWidth ||
        recipe.originY + 8 * recipe.scale > recipe.cellHeight) {
        throw SourceError(source.name() + ": the scaled glyph does not fit its cell");
    }
    return recipe;
}

Picture buildFont(const FontRecipe& recipe, const GlyphSet& glyphs) {
    Picture font{Image(16 * recipe.cellWidth, 8 * recipe.cellHeight, kBlack), recipe.bitsPerPixel};
    for (int code = 0; code < 128; ++code) {
        if (!glyphs.has(code)) continue;
        // Each glyph is set into a cell-sized image first, so an outline never
        // spills into the neighbouring cell.
        Image cell(recipe.cellWidth, recipe.cellHeight, kBlack);
        TextStyle style = recipe.style;
        style.scale = recipe.scale;
        drawText(cell, glyphs, recipe.originX, recipe.originY,
                 std::string(1, static_cast<char>(code)), style);
        font.image.blit(cell, (code % 16) * recipe.cellWidth, (code / 16) * recipe.cellHeight, 1,
                        false, kBlack);
    }
    return font;
}

}  // namespace mediagen
