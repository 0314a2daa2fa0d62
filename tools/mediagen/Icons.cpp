// Icons: the visible part of a picture, whole-factor scaled and centred, as PNG.
#include "tools/mediagen/Icons.h"

#include <algorithm>

#include "tools/mediagen/Encoders.h"
#include "tools/mediagen/Pictures.h"
#include "tools/mediagen/Png.h"
#include "tools/mediagen/Source.h"

namespace mediagen {

namespace {

struct Box {
    int left, top, right, bottom;  // inclusive; right < left when nothing is visible
};

Box visiblePart(const Image& picture) {
    Box box{picture.width(), picture.height(), -1, -1};
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if (picture.at(x, y) == kKeyColour) continue;
            box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x),
                   std::max(box.bottom, y)};
        }
    }
    return box;
}

Image crop(const Image& picture, const Box& box) {
    Image part(box.right - box.left + 1, box.bottom - box.top + 1, kKeyColour);
    for (int y = 0; y < part.height(); ++y)
        for (int x = 0; x < part.width(); ++x) part.set(x, y, picture.at(box.left + x, box.top + y));
    return part;
}

}  // namespace

Image makeIcon(const Image& picture, int size) {
    Image icon(size, size, kKeyColour);
    Box box = visiblePart(picture);
    if (box.right < box.left) return icon;
    Image part = crop(picture, box);
    int scale = std::max(1, size / std::max(part.width(), part.height()));
    int x = (size - part.width() * scale) / 2;
    int y = (size - part.height() * scale) / 2;
    icon.blit(part, x, y, scale, false, kKeyColour);
    return icon;
}

std::vector<std::string> generateIcons(const std::filesystem::path& assets,
                                       const std::filesystem::path& output) {
    std::filesystem::create_directories(output);
    SourceText letters = SourceText::load(assets / "fonts" / "letters.glyphs");
    GlyphSet glyphs = GlyphSet::parse(letters);
    PictureLibrary library(assets / "pictures", glyphs);
    const Image& picture = library.get(kIconPicture).image;
    std::vector<std::string> written;
    for (int size : kIconSizes) {
        std::string name = std::string(kIconPicture) + "_" + std::to_string(size) + ".png";
        writeFile(output / name, encodePng(makeIcon(picture, size), kKeyColour));
        written.push_back(name);
    }
    return written;
}

}  // namespace mediagen
