// Reads Windows bitmap files (8-bit with palette, 24-bit) into RGBA texels with a
// colour key. Pure C++: no window, no OpenGL. Every file is treated as hostile:
// all sizes are checked against the data actually present before anything is allocated.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Largest picture side the reader accepts; the graphics tables hold sizes in 16 bits.
constexpr int kMaxBitmapSide = 32767;
// Largest texture side made from a picture (a power of two that the tables hold).
constexpr int kMaxTextureSide = 16384;

// The parts of a bitmap file the reader uses.
struct BitmapImage {
    int width = 0;                   // picture width in pixels (> 0)
    int height = 0;                  // picture height in pixels (> 0)
    bool topDown = false;            // rows stored top row first (negative height field)
    int bytesPerPixel = 0;           // 1 (palette) or 3 (blue, green, red)
    std::size_t rowSize = 0;         // stored bytes per row, padded to a multiple of 4
    std::vector<uint8_t> infoBlock;  // from file offset 14 up to the pixel data
    std::vector<uint8_t> pixels;     // rowSize * height bytes of pixel rows

    // The colour of the pixel in column x, row y counted from the top, as
    // 0x00BBGGRR. The caller keeps x and y inside the picture.
    uint32_t ColourAt(int x, int y) const;
};

// Where the reader takes its bytes from: a file or a block of memory.
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    virtual uint64_t Size() const = 0;
    // Reads exactly count bytes at offset; false when they are not all there.
    virtual bool Read(uint64_t offset, std::size_t count, uint8_t* out) const = 0;
};

class MemoryByteSource : public ByteSource {
  public:
    MemoryByteSource(const uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    uint64_t Size() const override { return m_size; }
    bool Read(uint64_t offset, std::size_t count, uint8_t* out) const override;

  private:
    const uint8_t* m_data;
    std::size_t m_size;
};

// The picture size from the file and information headers; false (and 0 x 0) for
// anything that is not a readable bitmap header.
bool ReadBitmapSize(const ByteSource& source, int& width, int& height);
bool ReadBitmapSizeFromFile(const char* path, int& width, int& height);

// Reads headers and pixel rows. Fails for a missing "BM", a short header, a bit
// depth other than 8 or 24, sizes of 0, negative widths, sides above kMaxBitmapSide,
// or pixel rows that are not all in the file.
bool ReadBitmap(const ByteSource& source, BitmapImage& image);
bool ReadBitmapFromFile(const char* path, BitmapImage& image);

// RGBA texels of a power-of-two texture, bottom row first.
struct TexelImage {
    int width = 0;   // texture width (power of two)
    int height = 0;  // texture height (power of two)
    std::vector<uint8_t> rgba;
};

// Smallest power of two >= n (1 for n <= 1).
int PowerOfTwoAtLeast(int n);

// Cuts the rectangle (x, y, width, height) of the picture (y from the top) into a
// power-of-two texture with the rectangle in its lower-left corner. Width or height 0
// means the whole picture; both are then cut to maxTextureSize (and kMaxTextureSide). Pixels
// outside the picture stay transparent black; with useKey, pixels of the key colour (0x00BBGGRR)
// are transparent black, all others opaque.
void CutBitmapRectangle(const BitmapImage& image, int x, int y, int width, int height,
                        int maxTextureSize, uint32_t key, bool useKey, TexelImage& out);
