// Contact sheet layout: entries are placed left to right on shelves.
#include "tools/mediagen/ContactSheet.h"

#include <algorithm>

namespace mediagen {

namespace {

constexpr int kSheetWidth = 1320;
constexpr int kGap = 8;
constexpr int kLabelHeight = 10;
constexpr Colour kSheetColour{24, 28, 52};
constexpr Colour kLabelColour{230, 230, 230};
constexpr Colour kCheckerA{70, 70, 70};
constexpr Colour kCheckerB{100, 100, 100};

bool showEnlarged(const Image& image) { return image.width() <= 64 && image.height() <= 64; }

int entryWidth(const SheetEntry& entry) {
    int width =
        entry.image.width() + (showEnlarged(entry.image) ? kGap + 4 * entry.image.width() : 0);
    return std::max(width, textWidth(entry.name, 1));
}

int entryHeight(const SheetEntry& entry) {
    int pictureHeight = showEnlarged(entry.image) ? 4 * entry.image.height() : entry.image.height();
    return kLabelHeight + pictureHeight;
}

// Transparent pixels show as a grey checker board, so keyed areas stand out.
void drawScaled(Image& sheet, const SheetEntry& entry, int x, int y, int scale) {
    Colour transparent = entry.isFont ? kBlack : kKeyColour;
    for (int py = 0; py < entry.image.height() * scale; ++py) {
        for (int px = 0; px < entry.image.width() * scale; ++px) {
            Colour c = entry.image.at(px / scale, py / scale);
            if (c == transparent) c = ((px / 4 + py / 4) % 2) ? kCheckerA : kCheckerB;
            sheet.set(x + px, y + py, c);
        }
    }
}

struct Placement {
    int x, y;
};

std::vector<Placement> placeEntries(const std::vector<SheetEntry>& entries, int& height) {
    std::vector<Placement> places;
    int x = kGap, y = kGap, shelfHeight = 0;
    for (const SheetEntry& entry : entries) {
        if (x + entryWidth(entry) > kSheetWidth - kGap && x > kGap) {
            x = kGap;
            y += shelfHeight + kGap;
            shelfHeight = 0;
        }
        places.push_back({x, y});
        x += entryWidth(entry) + 2 * kGap;
        shelfHeight = std::max(shelfHeight, entryHeight(entry));
    }
    height = y + shelfHeight + kGap;
    return places;
}

}  // namespace

void drawWithFont(Image& target, const Image& font, int x, int y, const std::string& text) {
    int cellWidth = font.width() / 16, cellHeight = font.height() / 8;
    for (unsigned char c : text) {
        int code = c % 128;
        for (int py = 0; py < cellHeight; ++py) {
            for (int px = 0; px < cellWidth; ++px) {
                Colour pixel = font.at((code % 16) * cellWidth + px, (code / 16) * cellHeight + py);
                if (!(pixel == kBlack)) target.set(x + px, y + py, pixel);
            }
        }
        x += cellWidth;
    }
}

Image makeContactSheet(const std::vector<SheetEntry>& entries, const GlyphSet& glyphs,
                       const Image& gameFont, const std::string& sampleText) {
    int height = 0;
    std::vector<Placement> places = placeEntries(entries, height);
    int sampleTop = height;
    Image sheet(kSheetWidth, height + 40 + kGap, kSheetColour);
    TextStyle label;
    label.ink = label.inkBottom = kLabelColour;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const SheetEntry& entry = entries[i];
        Placement at = places[i];
        drawText(sheet, glyphs, at.x, at.y, entry.name, label);
        drawScaled(sheet, entry, at.x, at.y + kLabelHeight, 1);
        if (showEnlarged(entry.image))
            drawScaled(sheet, entry, at.x + entry.image.width() + kGap, at.y + kLabelHeight, 4);
    }
    // A 640-pixel wide screen line with the longest game text from x 20.
    sheet.fillRect(kGap, sampleTop, 640, 40, kBlack);
    drawWithFont(sheet, gameFont, kGap + 20, sampleTop + 12, sampleText);
    return sheet;
}

}  // namespace mediagen
