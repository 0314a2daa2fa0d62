// Pixel operations on in-memory pictures.
#include "tools/mediagen/Image.h"

namespace mediagen {

Image::Image(int width, int height, Colour fill)
    : width_(width),
      height_(height),
      pixels_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill) {}

void Image::fillRect(int x, int y, int w, int h, Colour c) {
    for (int row = y; row < y + h; ++row) {
        for (int column = x; column < x + w; ++column) set(column, row, c);
    }
}

Image Image::mirrored() const {
    Image result(width_, height_, kKeyColour);
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) result.set(width_ - 1 - x, y, at(x, y));
    }
    return result;
}

void Image::blit(const Image& src, int x, int y, int scale, bool skipTransparent, Colour skip) {
    for (int sy = 0; sy < src.height(); ++sy) {
        for (int sx = 0; sx < src.width(); ++sx) {
            Colour c = src.at(sx, sy);
            if (skipTransparent && c == skip) continue;
            fillRect(x + sx * scale, y + sy * scale, scale, scale, c);
        }
    }
}

}  // namespace mediagen
