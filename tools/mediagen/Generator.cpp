// The whole generation run: pictures, fonts, sounds, contact sheet.
#include "tools/mediagen/Generator.h"

#include <algorithm>

#include "tools/mediagen/ContactSheet.h"
#include "tools/mediagen/Encoders.h"
#include "tools/mediagen/Fonts.h"
#include "tools/mediagen/Pictures.h"
#include "tools/mediagen/Sounds.h"

namespace mediagen {

namespace fs = std::filesystem;

namespace {

// The font whose line of text goes on the contact sheet, and the text: the
// longest line the game prints.
constexpr const char* kGameFont = "fontklein";
constexpr const char* kSampleText = "Du hast alle deine Leben verloren !";

std::vector<fs::path> sourcesWithExtension(const fs::path& folder, const std::string& extension) {
    std::vector<fs::path> paths;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() == extension) paths.push_back(entry.path());
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

void writeBitmap(const fs::path& output, const std::string& name, const Picture& picture,
                 std::vector<std::string>& written) {
    try {
        writeFile(output / (name + ".bmp"), encodeBitmap(picture.image, picture.bitsPerPixel));
    } catch (const std::runtime_error& error) {
        throw SourceError(name + ": " + error.what());
    }
    written.push_back(name + ".bmp");
}

void writePictures(const fs::path& assets, const fs::path& output, const GlyphSet& glyphs,
                   std::vector<SheetEntry>& sheet, std::vector<std::string>& written) {
    PictureLibrary library(assets / "pictures", glyphs);
    for (const std::string& name : library.names()) {
        const Picture& picture = library.get(name);
        writeBitmap(output, name, picture, written);
        sheet.push_back({name, picture.image, false});
    }
}

Image writeFonts(const fs::path& assets, const fs::path& output, std::vector<SheetEntry>& sheet,
                 std::vector<std::string>& written) {
    Image gameFont;
    for (const fs::path& path : sourcesWithExtension(assets / "fonts", ".font")) {
        SourceText source = SourceText::load(path);
        FontRecipe recipe = parseFontRecipe(source);
        SourceText glyphSource = SourceText::load(assets / "fonts" / recipe.glyphFile);
        Picture font = buildFont(recipe, GlyphSet::parse(glyphSource));
        std::string name = path.stem().string();
        writeBitmap(output, name, font, written);
        sheet.push_back({name, font.image, true});
        if (name == kGameFont) gameFont = font.image;
    }
    if (gameFont.width() == 0)
        throw SourceError(std::string("the font ") + kGameFont + ".font is missing");
    return gameFont;
}

void writeSounds(const fs::path& assets, const fs::path& output,
                 std::vector<std::string>& written) {
    for (const fs::path& path : sourcesWithExtension(assets / "sounds", ".sfx")) {
        SourceText source = SourceText::load(path);
        SoundRecipe recipe = parseSound(source);
        std::string name = path.stem().string() + ".wav";
        writeFile(output / name, encodeWave(renderSound(recipe, path.string()), recipe.format));
        written.push_back(name);
    }
}

}  // namespace

std::vector<std::string> generateAll(const fs::path& assets, const fs::path& output) {
    fs::create_directories(output);
    SourceText letters = SourceText::load(assets / "fonts" / "letters.glyphs");
    GlyphSet glyphs = GlyphSet::parse(letters);
    std::vector<std::string> written;
    std::vector<SheetEntry> sheet;
    writePictures(assets, output, glyphs, sheet, written);
    Image gameFont = writeFonts(assets, output, sheet, written);
    writeSounds(assets, output, written);
    writeFile(output / kContactSheetName,
              encodeBitmap(makeContactSheet(sheet, glyphs, gameFont, kSampleText), 24));
    written.push_back(kContactSheetName);
    return written;
}

}  // namespace mediagen
