// The picture statements. Each statement is one small function; the table
// at the bottom maps statement names to them.
#include "tools/mediagen/Pictures.h"

#include <algorithm>

namespace mediagen {

namespace {

struct Statement {
    int line = 0;
    std::vector<std::string> words;
};

struct PictureBuild {
    SourceText& source;
    PictureLibrary& library;
    Picture picture{};
    bool sized = false;
    std::map<char, Colour> legend{{'.', kKeyColour}};

    [[noreturn]] void fail(const Statement& s, const std::string& message) {
        source.fail(s.line, message);
    }
    int number(const Statement& s, std::size_t i) {
        return parseInt(source, s.line, s.words.at(i));
    }
    Image& canvas(const Statement& s) {
        if (!sized)
            fail(s, "'" + s.words[0] + "' needs the canvas: give 'size', 'copy' or 'mirror' first");
        return picture.image;
    }
    Colour colour(const Statement& s, std::size_t i) {
        const std::string& word = s.words.at(i);
        if (word.size() != 1) fail(s, "a colour is one legend character, not '" + word + "'");
        auto found = legend.find(word[0]);
        if (found == legend.end()) fail(s, "'" + word + "' is not in the colour legend");
        return found->second;
    }
};

void expectWords(PictureBuild& b, const Statement& s, std::size_t least, std::size_t most,
                 const char* usage) {
    if (s.words.size() < least || s.words.size() > most) b.fail(s, std::string("usage: ") + usage);
}

void doSize(PictureBuild& b, const Statement& s) {
    expectWords(b, s, 3, 3, "size WIDTH HEIGHT");
    int width = b.number(s, 1), height = b.number(s, 2);
    if (width < 1 || height < 1 || width > 4096 || height > 4096)
        b.fail(s, "sizes run from 1 to 4096");
    if (b.sized) b.fail(s, "the canvas is set already");
    b.picture.image = Image(width, height, kKeyColour);
    b.sized = true;
}

void doDepth(PictureBuild& b, const Statement& s) {
    expectWords(b, s, 2, 2, "depth 8|24");
    int bits = b.number(s, 1);
    if (bits != 8 && bits != 24) b.fail(s, "depth is 8 (palette) or 24");
    b.picture.bitsPerPixel = bits;
}

void addLegend(PictureBuild& b, const Statement& s) {
    expectWords(b, s, 5, 5, "colour CHAR RED GREEN BLUE");
    const std::string& key = s.words[1];
    if (key.size() != 1 || key == ".")
        b.fail(s, "the legend character is one character other than '.'");
    b.legend[key[0]] = parseColour(b.source, s.line, s.words, 2);
}

void doPalette(PictureBuild& b, const Statement& s) {
    expectWords(b, s, 2, 2, "palette FILE");
    SourceText shared = SourceText::load(b.library.directory() / s.words[1]);
    SourceLine line;
    while (shared.nextStatement(line)) {
        Statement entry{line.number, splitWords(shared, line)};
        if (entry.words[0] != "colour")
            shared.fail(line.number, "a palette file holds only 'colour' lines");
        PictureBuild sharedBuild{shared, b.library, {}, false, {}};
        addLegend(sharedBuild, entry);
        b.legend.insert(sharedBuild.legend.begin(), sharedBuild.legend.end());
    }
}

void startFrom(PictureBuild& b, const Statement& s, bool mirror) {
    expectWords(b, s, 2, 2, mirror ? "mirror PICTURE" : "copy PICTURE");
    if (b.sized) b.fail(s, "the canvas is set already");
    b.picture = b.library.get(s.words[1]);
    if (mirror) b.picture.image = b.picture.image.mirrored();
    b.sized = true;
}

void doCopy(PictureBuild& b, const Statement& s) { startFrom(b, s, false); }
void doMirror(PictureBuild& b, const Statement& s) { startFrom(b, s, true); }

// Grid rows follow until a line "end". A blank in a row keeps what is
// beneath; a row may be shorter than the others (the rest is kept).
void doGrid(PictureBuild& b, const Statement& s) {
    expectWords(b, s, 3, 4, "grid X Y [SCALE], then rows, then 'end'");
    Image& image = b.canvas(s);
    int x = b.number(s, 1), y = b.number(s, 2);
    int scale = s.words.size() == 4 ? b.number(s, 3) : 1;
    if (scale < 1 || scale > 64) b.fail(s, "the grid scale runs from 1 to 64");
    SourceLine row;
    for (int r = 0;; ++r) {
        if (!b.source.nextRaw(row)) b.fail(s, "the grid has no 'end' line");
        if (row.text == "end") return;
        for (std::size_t c = 0; c < row.text.size(); ++c) {
            char key = row.text[c];
            if (key == ' ') continue;
            auto found = b.legend.find(key);
            if (found == b.legend.end()) {
                b.source.fail(row.number, std::string("'") + key + "' (column " +
                                              std::to_string(c + 1) +
                                              ") is not in the colour legend");
            }
            image.fillRect(x + static_cast<int>(c) * scale, y + r * scale, scale, scale,
                           found->second);
        }
    }
}

void doFill(PictureBuild& b, const Statement& s) {
    expectWords(b, s, 6, 6, "fill X Y WIDTH HEIGHT COLOUR");
    b.canvas(s).fillRect(b.number(s, 1), b.number(s, 2), b.number(s, 3), b.number(s, 4),
                         b.colour(s, 5));
}

void doRect(PictureBuild& b, const Statement& s) {
    expectWords(b, s, 6, 6, "rect X Y WIDTH HEIGHT COLOUR");
    Image& image = b.canvas(s);
    int x = b.number(s, 1), y = b.number(s, 2), w = b.number(s, 3), h = b.number(s, 4);
    Colour c = b.colour(s, 5);
    image.fillRect(x, y, w, 1, c);
    image.fillRect(x, y + h - 1, w, 1, c);
    image.fillRect(x, y, 1, h, c);
    image.fillRect(x + w - 1, y, 1, h, c);
}

void doDisc(PictureBuild& b, const Statement& s) {
    expectWords(b, s, 5, 5, "disc CENTRE-X CENTRE-Y RADIUS COLOUR");
    Image& image = b.canvas(s);
    int cx = b.number(s, 1), cy = b.number(s, 2), r = b.number(s, 3);
    Colour c = b.colour(s, 4);
    for (int dy = -r; dy <= r; ++dy) {
        for (int dx = -r; dx <= r; ++dx) {
            if (dx * dx + dy * dy <= r * r + r) image.set(cx + dx, cy + dy, c);
        }
    }
}

void doGradient(PictureBuild& b, const Statement& s) {
    expectWords(b, s, 7, 7, "gradient X Y WIDTH HEIGHT TOP-COLOUR BOTTOM-COLOUR");
    Image& image = b.canvas(s);
    int x = b.number(s, 1), y = b.number(s, 2), w = b.number(s, 3), h = b.number(s, 4);
    Colour top = b.colour(s, 5), bottom = b.colour(s, 6);
    for (int row = 0; row < h; ++row) image.fillRect(x, y + row, w, 1, blend(top, bottom, row, h));
}

void doReplace(PictureBuild& b, const Statement& s) {
    expectWords(b, s, 7, 7, "replace X Y WIDTH HEIGHT FROM-COLOUR TO-COLOUR");
    Image& image = b.canvas(s);
    int x = b.number(s, 1), y = b.number(s, 2), w = b.number(s, 3), h = b.number(s, 4);
    Colour from = b.colour(s, 5), to = b.colour(s, 6);
    for (int row = y; row < y + h; ++row) {
        for (int column = x; column < x + w; ++column) {
            if (image.contains(column, row) && image.at(column, row) == from)
                image.set(column, row, to);
        }
    }
}

// text X Y SCALE COLOUR "TEXT" [to COLOUR] [outline COLOUR]
void doText(PictureBuild& b, const Statement& s) {
    const char* usage = "text X Y SCALE COLOUR \"TEXT\" [to COLOUR] [outline COLOUR]";
    expectWords(b, s, 6, 10, usage);
    TextStyle style;
    style.scale = b.number(s, 3);
    if (style.scale < 1 || style.scale > 32) b.fail(s, "the text scale runs from 1 to 32");
    style.ink = style.inkBottom = b.colour(s, 4);
    for (std::size_t i = 6; i < s.words.size(); i += 2) {
        if (i + 1 >= s.words.size()) b.fail(s, std::string("usage: ") + usage);
        if (s.words[i] == "to") {
            style.inkBottom = b.colour(s, i + 1);
        } else if (s.words[i] == "outline") {
            style.hasOutline = true;
            style.outline = b.colour(s, i + 1);
        } else {
            b.fail(s, std::string("usage: ") + usage);
        }
    }
    try {
        drawText(b.canvas(s), b.library.glyphs(), b.number(s, 1), b.number(s, 2), s.words[5],
                 style);
    } catch (const SourceError& error) {
        b.fail(s, error.what());
    }
}

using Handler = void (*)(PictureBuild&, const Statement&);

const std::map<std::string, Handler>& handlers() {
    static const std::map<std::string, Handler> table{
        {"size", doSize},       {"depth", doDepth}, {"colour", addLegend},
        {"palette", doPalette}, {"copy", doCopy},   {"mirror", doMirror},
        {"grid", doGrid},       {"fill", doFill},   {"rect", doRect},
        {"disc", doDisc},       {"text", doText},   {"gradient", doGradient},
        {"replace", doReplace}};
    return table;
}

}  // namespace

PictureLibrary::PictureLibrary(std::filesystem::path directory, const GlyphSet& glyphs)
    : directory_(std::move(directory)), glyphs_(glyphs) {}

std::vector<std::string> PictureLibrary::names() const {
    std::vector<std::string> result;
    for (const auto& entry : std::filesystem::directory_iterator(directory_)) {
        if (entry.path().extension() == ".pic") result.push_back(entry.path().stem().string());
    }
    std::sort(result.begin(), result.end());
    return result;
}

const Picture& PictureLibrary::get(const std::string& name) {
    auto found = built_.find(name);
    if (found != built_.end()) return found->second;
    if (building_.count(name)) throw SourceError(name + ".pic: the picture is built from itself");
    building_.insert(name);
    SourceText source = SourceText::load(directory_ / (name + ".pic"));
    Picture picture = build(source);
    building_.erase(name);
    return built_.emplace(name, std::move(picture)).first->second;
}

Picture PictureLibrary::build(SourceText& source) {
    PictureBuild b{source, *this};
    SourceLine line;
    while (source.nextStatement(line)) {
        Statement statement{line.number, splitWords(source, line)};
        auto handler = handlers().find(statement.words[0]);
        if (handler == handlers().end())
            b.fail(statement, "unknown statement '" + statement.words[0] + "'");
        handler->second(b, statement);
    }
    if (!b.sized)
        throw SourceError(source.name() + ": the picture has no 'size', 'copy' or 'mirror'");
    return b.picture;
}

}  // namespace mediagen
