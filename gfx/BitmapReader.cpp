// The bitmap reader: headers, bit depths, row order and padding, the palette and the
// colour key, checked against the bytes really present in the file.
#include "gfx/BitmapReader.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <new>

#include "bytes/LittleEndian.h"

namespace {
constexpr std::size_t kFileHeaderSize = 14;
// Width at 4, height at 8, bits per pixel at 14: the fields read from the block.
constexpr std::size_t kMinimumInfoBlock = 16;
// The 40-byte information header; the palette follows it, or a longer header that
// says its own size in its first field.
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::size_t kLargestPalette = 4 * 256;
// Rows read at a time when a rectangle is read from the file.
constexpr int kBandRows = 64;

// The palette starts right after the information header, whose size is its first
// field; headers that say less than 40 bytes are taken as 40. What lies between the
// palette and the pixel rows holds nothing the reader uses: it is not read.
bool ReadPalette(const ByteSource& source, std::size_t blockSize, BitmapImage& image) {
    std::size_t headerSize = kInfoHeaderSize;
    if (image.infoBlock.size() >= 4)
        headerSize = std::max<std::size_t>(headerSize, ReadLittle32(image.infoBlock.data()));
    image.palette.clear();
    if (headerSize >= blockSize) return true;
    image.palette.resize(std::min(blockSize - headerSize, kLargestPalette));
    return source.Read(kFileHeaderSize + headerSize, image.palette.size(), image.palette.data());
}

// The header fields common to the size query and the full read; the bit depth is
// not checked here, since the size query takes any.
bool ReadHeader(const ByteSource& source, BitmapImage& image, int& bitsPerPixel) {
    uint8_t fileHeader[kFileHeaderSize];
    if (!source.Read(0, kFileHeaderSize, fileHeader)) return false;
    if (fileHeader[0] != 'B' || fileHeader[1] != 'M') return false;
    uint32_t pixelOffset = ReadLittle32(fileHeader + 10);
    if (pixelOffset < kFileHeaderSize + kMinimumInfoBlock || pixelOffset > source.Size())
        return false;
    std::size_t blockSize = pixelOffset - kFileHeaderSize;
    image.infoBlock.resize(std::min(blockSize, kInfoHeaderSize));
    if (!source.Read(kFileHeaderSize, image.infoBlock.size(), image.infoBlock.data())) return false;
    if (!ReadPalette(source, blockSize, image)) return false;
    const uint8_t* block = image.infoBlock.data();
    int32_t width = int32_t(ReadLittle32(block + 4));
    int32_t height = int32_t(ReadLittle32(block + 8));
    bitsPerPixel = ReadLittle16(block + 14);
    // Zero, negative or oversized widths and zero or oversized heights are no pictures.
    if (width <= 0 || width > kMaxBitmapSide) return false;
    if (height == 0 || height == INT32_MIN) return false;
    image.topDown = height < 0;
    height = height < 0 ? -height : height;
    if (height > kMaxBitmapSide) return false;
    image.width = width;
    image.height = height;
    image.pixelOffset = pixelOffset;
    return true;
}

// The part of a rectangle that goes into the texture: the whole picture for a width or
// height of 0, each side cut to the texture limit.
struct TextureRectangle {
    int x, y, width, height;
};

TextureRectangle RectangleInTexture(const BitmapImage& image, int x, int y, int width, int height,
                                    int maxTextureSize) {
    if (width <= 0 || height <= 0) {
        width = image.width;
        height = image.height;
    }
    int limit = std::clamp(maxTextureSize, 1, kMaxTextureSide);
    return {x, y, std::min(width, limit), std::min(height, limit)};
}

bool AllocateTexels(const TextureRectangle& rectangle, TexelImage& out) {
    out.width = PowerOfTwoAtLeast(rectangle.width);
    out.height = PowerOfTwoAtLeast(rectangle.height);
    try {
        out.rgba.assign(std::size_t(out.width) * out.height * 4, 0);
    } catch (const std::bad_alloc&) {
        out = TexelImage();
        return false;
    }
    return true;
}

// Copies the rectangle's pixels of the rows the image holds into the texels.
void CopyHeldRows(const BitmapImage& image, const TextureRectangle& rectangle, uint32_t key,
                  bool useKey, TexelImage& out) {
    for (int r = 0; r < rectangle.height; ++r) {
        long long py = (long long)rectangle.y + r;
        if (py < 0 || py >= image.height || !image.HoldsRow(int(py))) continue;
        uint8_t* row = out.rgba.data() + std::size_t(rectangle.height - 1 - r) * out.width * 4;
        for (int c = 0; c < rectangle.width; ++c) {
            long long px = (long long)rectangle.x + c;
            if (px < 0 || px >= image.width) continue;
            uint32_t colour = image.ColourAt(int(px), int(py));
            if (useKey && colour == key) continue;
            uint8_t* texel = row + std::size_t(c) * 4;
            texel[0] = uint8_t(colour);
            texel[1] = uint8_t(colour >> 8);
            texel[2] = uint8_t(colour >> 16);
            texel[3] = 255;
        }
    }
}
}  // namespace

FileByteSource::FileByteSource(const char* path) : m_file(path ? std::fopen(path, "rb") : nullptr) {
    if (m_file && fseeko(m_file, 0, SEEK_END) == 0) {
        off_t end = ftello(m_file);
        if (end > 0) m_size = uint64_t(end);
    }
}

FileByteSource::~FileByteSource() {
    if (m_file) std::fclose(m_file);
}

bool FileByteSource::Read(uint64_t offset, std::size_t count, uint8_t* out) const {
    if (!m_file || offset > m_size || count > m_size - offset) return false;
    if (fseeko(m_file, off_t(offset), SEEK_SET) != 0) return false;
    return std::fread(out, 1, count, m_file) == count;
}

bool MemoryByteSource::Read(uint64_t offset, std::size_t count, uint8_t* out) const {
    if (offset > m_size || count > m_size - offset) return false;
    if (count) std::memcpy(out, m_data + offset, count);
    return true;
}

uint32_t BitmapImage::ColourAt(int x, int y) const {
    // Stored rows run bottom-up unless the file says top-down; the band is the
    // stored rows of the held picture rows, so it starts at the lowest held row.
    std::size_t row =
        topDown ? std::size_t(y - firstRow) : std::size_t(firstRow + rowCount - 1 - y);
    const uint8_t* p = pixels.data() + row * rowSize + std::size_t(x) * bytesPerPixel;
    if (bytesPerPixel == 3) return uint32_t(p[2]) | (uint32_t(p[1]) << 8) | (uint32_t(p[0]) << 16);
    // A palette entry beyond the information block reads as black.
    std::size_t entry = 4 * std::size_t(p[0]);
    if (entry + 3 > palette.size()) return 0;
    const uint8_t* c = palette.data() + entry;
    return uint32_t(c[2]) | (uint32_t(c[1]) << 8) | (uint32_t(c[0]) << 16);
}

bool ReadBitmapSize(const ByteSource& source, int& width, int& height) {
    width = height = 0;
    BitmapImage image;
    int bitsPerPixel = 0;
    if (!ReadHeader(source, image, bitsPerPixel)) return false;
    width = image.width;
    height = image.height;
    return true;
}

bool ReadBitmapSizeFromFile(const char* path, int& width, int& height) {
    width = height = 0;
    FileByteSource file(path);
    return file.IsOpen() && ReadBitmapSize(file, width, height);
}

bool ReadBitmapHeader(const ByteSource& source, BitmapImage& image) {
    BitmapImage read;
    int bitsPerPixel = 0;
    if (!ReadHeader(source, read, bitsPerPixel)) return false;
    if (bitsPerPixel != 8 && bitsPerPixel != 24) return false;
    read.bytesPerPixel = bitsPerPixel / 8;
    uint64_t rowSize = (uint64_t(read.width) * read.bytesPerPixel + 3) & ~uint64_t(3);
    // Rows missing from the file: fail before any of them is read.
    if (rowSize * uint64_t(read.height) > source.Size() - read.pixelOffset) return false;
    read.rowSize = std::size_t(rowSize);
    image = std::move(read);
    return true;
}

bool ReadBitmapRows(const ByteSource& source, BitmapImage& image, int firstRow, int rowCount) {
    long long first = std::max<long long>(firstRow, 0);
    long long end = std::min<long long>((long long)firstRow + std::max(rowCount, 0), image.height);
    if (end < first) end = first;
    image.firstRow = int(first);
    image.rowCount = int(end - first);
    // The band's stored rows: bottom-up files keep the lowest picture row first.
    uint64_t storedFirst = image.topDown ? uint64_t(first) : uint64_t(image.height - end);
    try {
        image.pixels.resize(image.rowSize * std::size_t(image.rowCount));
    } catch (const std::bad_alloc&) {
        image.pixels = std::vector<uint8_t>();
        image.rowCount = 0;
        return false;
    }
    if (source.Read(image.pixelOffset + storedFirst * image.rowSize, image.pixels.size(),
                    image.pixels.data()))
        return true;
    image.rowCount = 0;
    return false;
}

bool ReadBitmap(const ByteSource& source, BitmapImage& image) {
    return ReadBitmapHeader(source, image) && ReadBitmapRows(source, image, 0, image.height);
}

bool ReadBitmapFromFile(const char* path, BitmapImage& image) {
    FileByteSource file(path);
    return file.IsOpen() && ReadBitmap(file, image);
}

bool PictureFitsTexture(int width, int height, int maxTextureSize) {
    if (width < 1 || height < 1 || width > maxTextureSize || height > maxTextureSize) return false;
    if (width > kMaxTextureSide || height > kMaxTextureSide) return false;
    uint64_t texels = uint64_t(PowerOfTwoAtLeast(width)) * uint64_t(PowerOfTwoAtLeast(height));
    return texels <= kMaxTextureTexels;
}

int PowerOfTwoAtLeast(int n) {
    int p = 1;
    while (p < n && p < (1 << 30)) p <<= 1;
    return p;
}

bool CutBitmapRectangle(const BitmapImage& image, int x, int y, int width, int height,
                        int maxTextureSize, uint32_t key, bool useKey, TexelImage& out) {
    TextureRectangle rectangle = RectangleInTexture(image, x, y, width, height, maxTextureSize);
    if (!AllocateTexels(rectangle, out)) return false;
    CopyHeldRows(image, rectangle, key, useKey, out);
    return true;
}

bool ReadBitmapRectangle(const ByteSource& source, BitmapImage& image, int x, int y, int width,
                         int height, int maxTextureSize, uint32_t key, bool useKey,
                         TexelImage& out) {
    TextureRectangle rectangle = RectangleInTexture(image, x, y, width, height, maxTextureSize);
    if (!AllocateTexels(rectangle, out)) return false;
    for (int r = 0; r < rectangle.height; r += kBandRows) {
        long long top = (long long)rectangle.y + r;
        if (top >= image.height) break;
        if (top + kBandRows <= 0) continue;
        // Rows above the picture are cut off by the read.
        if (!ReadBitmapRows(source, image, int(top), std::min(kBandRows, rectangle.height - r))) {
            out = TexelImage();
            return false;
        }
        CopyHeldRows(image, rectangle, key, useKey, out);
    }
    image.pixels = std::vector<uint8_t>();
    image.rowCount = 0;
    return true;
}
