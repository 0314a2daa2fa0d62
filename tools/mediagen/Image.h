// An RGB picture in memory, top row first. Transparent pixels hold the key
// colour, exactly as they will stand in the bitmap file.
#pragma once

#include <cstdint>
#include <vector>

namespace mediagen {

struct Colour {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Colour&) const = default;
};

// The colour the sprite loader treats as transparent: red 255, green 0, blue 128.
inline constexpr Colour kKeyColour{255, 0, 128};
inline constexpr Colour kBlack{0, 0, 0};

class Image {
  public:
    Image() = default;
    Image(int width, int height, Colour fill);

    int width() const { return width_; }
    int height() const { return height_; }
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
    Colour at(int x, int y) const { return pixels_[index(x, y)]; }
    // Pixels outside the picture are ignored, so shapes may run over the edge.
    void set(int x, int y, Colour c) {
        if (contains(x, y)) pixels_[index(x, y)] = c;
    }
    void fillRect(int x, int y, int w, int h, Colour c);
    Image mirrored() const;
    // Copies src scaled by a whole factor with its top-left at (x, y); pixels of
    // the colour `skip` are left out when skipTransparent is set.
    void blit(const Image& src, int x, int y, int scale, bool skipTransparent, Colour skip);

  private:
    std::size_t index(int x, int y) const {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
               static_cast<std::size_t>(x);
    }
    int width_ = 0;
    int height_ = 0;
    std::vector<Colour> pixels_;
};

}  // namespace mediagen
