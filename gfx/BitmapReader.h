// Reads Windows bitmap files (8-bit with palette, 24-bit) into RGBA texels with a
// colour key. Pure C++: no window, no OpenGL. Every file is treated as hostile:
// all sizes are checked against the data actually present before anything is allocated.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

// Largest picture side the reader accepts; the graphics tables hold sizes in 16 bits.
constexpr int kMaxBitmapSide = 32767;
// Largest texture side made from a picture (a power of two that the tables hold).
constexpr int kMaxTextureSide = 16384;
// Largest texture a picture may need, in texels: 8192 x 8192, 256 MiB of RGBA. Loading
// keeps the texels once more for the mipmaps and the driver holds copies of its own, so
// a picture beyond this would take gigabytes; it is refused as a broken file is.
constexpr uint64_t kMaxTextureTexels = uint64_t(8192) * 8192;

// The parts of a bitmap file the reader uses. The pixel rows held may be all of the
// picture or a band of it (firstRow, rowCount), so a large file is read a piece at a time.
struct BitmapImage {
    int width = 0;                   // picture width in pixels (> 0)
    int height = 0;                  // picture height in pixels (> 0)
    bool topDown = false;            // rows stored top row first (negative height field)
    int bytesPerPixel = 0;           // 1 (palette) or 3 (blue, green, red)
    std::size_t rowSize = 0;         // stored bytes per row, padded to a multiple of 4
    uint64_t pixelOffset = 0;        // where the pixel rows begin in the file
    std::vector<uint8_t> infoBlock;  // the information header's first 40 bytes (or fewer)
    std::vector<uint8_t> palette;    // up to 256 entries blue, green, red, unused
    int firstRow = 0;                // first row held, counted from the top
    int rowCount = 0;                // rows held
    std::vector<uint8_t> pixels;     // rowSize * rowCount bytes of pixel rows, in stored order

    bool HoldsRow(int y) const { return y >= firstRow && y - firstRow < rowCount; }
    // The colour of the pixel in column x, row y counted from the top, as
    // 0x00BBGGRR. The caller keeps x inside the picture and y among the rows held.
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

class FileByteSource : public ByteSource {
  public:
    explicit FileByteSource(const char* path);
    ~FileByteSource() override;
    FileByteSource(const FileByteSource&) = delete;
    FileByteSource& operator=(const FileByteSource&) = delete;
    bool IsOpen() const { return m_file != nullptr; }
    uint64_t Size() const override { return m_size; }
    bool Read(uint64_t offset, std::size_t count, uint8_t* out) const override;

  private:
    std::FILE* m_file;
    uint64_t m_size = 0;
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

// Reads the headers, no pixel rows. Fails for a missing "BM", a short header, a bit
// depth other than 8 or 24, sizes of 0, negative widths, sides above kMaxBitmapSide,
// or pixel rows that are not all in the file.
bool ReadBitmapHeader(const ByteSource& source, BitmapImage& image);
// Reads the rows firstRow .. firstRow + rowCount - 1 (from the top, cut to the picture)
// in place of the rows held. False when they cannot be read or held.
bool ReadBitmapRows(const ByteSource& source, BitmapImage& image, int firstRow, int rowCount);
// Headers and all pixel rows.
bool ReadBitmap(const ByteSource& source, BitmapImage& image);
bool ReadBitmapFromFile(const char* path, BitmapImage& image);

// True when a picture of this size fits a texture of at most maxTextureSize texels a
// side and kMaxTextureTexels in all; larger pictures are not loaded.
bool PictureFitsTexture(int width, int height, int maxTextureSize);

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
// outside the picture or the rows held stay transparent black; with useKey, pixels of the
// key colour (0x00BBGGRR) are transparent black, all others opaque. False (and no texels)
// when the texels cannot be had.
bool CutBitmapRectangle(const BitmapImage& image, int x, int y, int width, int height,
                        int maxTextureSize, uint32_t key, bool useKey, TexelImage& out);
// The same, reading the rectangle's rows from the file a band at a time, so that no more
// than the texels and one band are held. image holds the headers (ReadBitmapHeader).
bool ReadBitmapRectangle(const ByteSource& source, BitmapImage& image, int x, int y, int width,
                         int height, int maxTextureSize, uint32_t key, bool useKey,
                         TexelImage& out);
