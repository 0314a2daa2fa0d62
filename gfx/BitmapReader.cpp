// The bitmap reader: headers, bit depths, row order and padding, the palette and the
// colour key, checked against the bytes really present in the file.
#include "gfx/BitmapReader.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>

#include "bytes/LittleEndian.h"

namespace {
constexpr std::size_t kFileHeaderSize = 14;
// Width at 4, height at 8, bits per pixel at 14: the fields read from the block.
constexpr std::size_t kMinimumInfoBlock = 16;
constexpr std::size_t kPaletteStart = 40;

class FileByteSource : public ByteSource {
  public:
    explicit FileByteSource(const char* path) : m_file(path ? std::fopen(path, "rb") : nullptr) {
        if (m_file && fseeko(m_file, 0, SEEK_END) == 0) {
            off_t end = ftello(m_file);
            if (end > 0) m_size = uint64_t(end);
        }
    }
    ~FileByteSource() override {
        if (m_file) std::fclose(m_file);
    }
    bool IsOpen() const { return m_file != nullptr; }
    uint64_t Size() const override { return m_size; }
    bool Read(uint64_t offset, std::size_t count, uint8_t* out) const override {
        if (!m_file || offset > m_size || count > m_size - offset) return false;
        if (fseeko(m_file, off_t(offset), SEEK_SET) != 0) return false;
        return std::fread(out, 1, count, m_file) == count;
    }

  private:
    std::FILE* m_file;
    uint64_t m_size = 0;
};

// The header fields common to the size query and the full read.
struct BitmapHeader {
    int width = 0;
    int height = 0;
    bool topDown = false;
    int bitsPerPixel = 0;
    std::vector<uint8_t> infoBlock;
};

bool ReadHeader(const ByteSource& source, BitmapHeader& header) {
    uint8_t fileHeader[kFileHeaderSize];
    if (!source.Read(0, kFileHeaderSize, fileHeader)) return false;
    if (fileHeader[0] != 'B' || fileHeader[1] != 'M') return false;
    uint32_t pixelOffset = ReadLittle32(fileHeader + 10);
    if (pixelOffset < kFileHeaderSize + kMinimumInfoBlock || pixelOffset > source.Size())
        return false;
    header.infoBlock.resize(pixelOffset - kFileHeaderSize);
    if (!source.Read(kFileHeaderSize, header.infoBlock.size(), header.infoBlock.data()))
        return false;
    const uint8_t* block = header.infoBlock.data();
    int32_t width = int32_t(ReadLittle32(block + 4));
    int32_t height = int32_t(ReadLittle32(block + 8));
    header.bitsPerPixel = ReadLittle16(block + 14);
    // Zero, negative or oversized widths and zero or oversized heights are no pictures.
    if (width <= 0 || width > kMaxBitmapSide) return false;
    if (height == 0 || height == INT32_MIN) return false;
    header.topDown = height < 0;
    height = height < 0 ? -height : height;
    if (height > kMaxBitmapSide) return false;
    header.width = width;
    header.height = height;
    return true;
}
}  // namespace

bool MemoryByteSource::Read(uint64_t offset, std::size_t count, uint8_t* out) const {
    if (offset > m_size || count > m_size - offset) return false;
    if (count) std::memcpy(out, m_data + offset, count);
    return true;
}

uint32_t BitmapImage::ColourAt(int x, int y) const {
    std::size_t row = topDown ? std::size_t(y) : std::size_t(height - 1 - y);
    const uint8_t* p = pixels.data() + row * rowSize + std::size_t(x) * bytesPerPixel;
    if (bytesPerPixel == 3) return uint32_t(p[2]) | (uint32_t(p[1]) << 8) | (uint32_t(p[0]) << 16);
    // A palette entry beyond the information block reads as black.
    std::size_t entry = kPaletteStart + 4 * std::size_t(p[0]);
    if (entry + 3 > infoBlock.size()) return 0;
    const uint8_t* c = infoBlock.data() + entry;
    return uint32_t(c[2]) | (uint32_t(c[1]) << 8) | (uint32_t(c[0]) << 16);
}

bool ReadBitmapSize(const ByteSource& source, int& width, int& height) {
    width = height = 0;
    BitmapHeader header;
    if (!ReadHeader(source, header)) return false;
    width = header.width;
    height = header.height;
    return true;
}

bool ReadBitmapSizeFromFile(const char* path, int& width, int& height) {
    width = height = 0;
    FileByteSource file(path);
    return file.IsOpen() && ReadBitmapSize(file, width, height);
}

bool ReadBitmap(const ByteSource& source, BitmapImage& image) {
    BitmapHeader header;
    if (!ReadHeader(source, header)) return false;
    if (header.bitsPerPixel != 8 && header.bitsPerPixel != 24) return false;
    int bytesPerPixel = header.bitsPerPixel / 8;
    uint64_t rowSize = (uint64_t(header.width) * bytesPerPixel + 3) & ~uint64_t(3);
    uint64_t pixelBytes = rowSize * uint64_t(header.height);
    uint64_t pixelOffset = kFileHeaderSize + header.infoBlock.size();
    if (pixelBytes > source.Size() - pixelOffset) return false;  // rows missing: fail first
    image.pixels.resize(std::size_t(pixelBytes));
    if (!source.Read(pixelOffset, image.pixels.size(), image.pixels.data())) return false;
    image.width = header.width;
    image.height = header.height;
    image.topDown = header.topDown;
    image.bytesPerPixel = bytesPerPixel;
    image.rowSize = std::size_t(rowSize);
    image.infoBlock = std::move(header.infoBlock);
    return true;
}

bool ReadBitmapFromFile(const char* path, BitmapImage& image) {
    FileByteSource file(path);
    return file.IsOpen() && ReadBitmap(file, image);
}

int PowerOfTwoAtLeast(int n) {
    int p = 1;
    while (p < n && p < (1 << 30)) p <<= 1;
    return p;
}

void CutBitmapRectangle(const BitmapImage& image, int x, int y, int width, int height,
                        int maxTextureSize, uint32_t key, bool useKey, TexelImage& out) {
    if (width <= 0 || height <= 0) {
        width = image.width;
        height = image.height;
    }
    int limit = std::clamp(maxTextureSize, 1, kMaxTextureSide);
    width = std::min(width, limit);
    height = std::min(height, limit);
    out.width = PowerOfTwoAtLeast(width);
    out.height = PowerOfTwoAtLeast(height);
    out.rgba.assign(std::size_t(out.width) * out.height * 4, 0);
    for (int r = 0; r < height; ++r) {
        long long py = (long long)y + r;
        if (py < 0 || py >= image.height) continue;
        uint8_t* row = out.rgba.data() + std::size_t(height - 1 - r) * out.width * 4;
        for (int c = 0; c < width; ++c) {
            long long px = (long long)x + c;
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
