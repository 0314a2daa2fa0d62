// The bitmap reader and the texel operations, without a window: row order and
// padding, palettes, the colour key, hostile headers, mipmaps, normal maps, snapshots.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <functional>

#include "gfx/BitmapReader.h"
#include "gfx/TexelOps.h"
#include "tests/gfx/BitmapFiles.h"

namespace {
TestRgb Distinct(int x, int y) {
    return {uint8_t(10 + x * 20), uint8_t(5 + y * 30), uint8_t(x * 7 + y)};
}

bool Parse(const std::vector<uint8_t>& bytes, BitmapImage& image) {
    MemoryByteSource source(bytes.data(), bytes.size());
    return ReadBitmap(source, image);
}

// The texel of picture pixel (x, y from the top) in a texture cut from the whole picture.
const uint8_t* TexelOf(const TexelImage& t, int pictureHeight, int x, int y) {
    return &t.rgba[(std::size_t(pictureHeight - 1 - y) * t.width + x) * 4];
}

void ExpectTexel(const TexelImage& t, int h, int x, int y, TestRgb c, int alpha) {
    const uint8_t* p = TexelOf(t, h, x, y);
    EXPECT_EQ(p[0], c.r) << x << "," << y;
    EXPECT_EQ(p[1], c.g) << x << "," << y;
    EXPECT_EQ(p[2], c.b) << x << "," << y;
    EXPECT_EQ(p[3], alpha) << x << "," << y;
}
}  // namespace

TEST(BitmapReader, OddWidth24BitRowsAreUnsheared) {
    for (int width : {1, 3, 5, 7}) {
        BitmapImage image;
        ASSERT_TRUE(Parse(MakeBitmap24(width, 3, Distinct), image)) << width;
        TexelImage t;
        CutBitmapRectangle(image, 0, 0, 0, 0, 4096, 0x8000FF, true, t);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < width; ++x) ExpectTexel(t, 3, x, y, Distinct(x, y), 255);
    }
}

TEST(BitmapReader, TopDownEqualsBottomUp) {
    BitmapImage up, down;
    ASSERT_TRUE(Parse(MakeBitmap24(5, 4, Distinct, false), up));
    ASSERT_TRUE(Parse(MakeBitmap24(5, 4, Distinct, true), down));
    TexelImage a, b;
    CutBitmapRectangle(up, 0, 0, 0, 0, 4096, 0, false, a);
    CutBitmapRectangle(down, 0, 0, 0, 0, 4096, 0, false, b);
    EXPECT_EQ(a.rgba, b.rgba);
    ExpectTexel(a, 4, 0, 0, Distinct(0, 0), 255);
}

TEST(BitmapReader, ColourKeyIsExact) {
    auto colour = [](int x, int) {
        return x == 0 ? TestRgb{255, 0, 128} : x == 1 ? TestRgb{255, 0, 127} : TestRgb{254, 0, 128};
    };
    BitmapImage image;
    ASSERT_TRUE(Parse(MakeBitmap24(3, 1, colour), image));
    TexelImage t;
    CutBitmapRectangle(image, 0, 0, 0, 0, 4096, 0x8000FF, true, t);
    ExpectTexel(t, 1, 0, 0, {0, 0, 0}, 0);
    ExpectTexel(t, 1, 1, 0, {255, 0, 127}, 255);
    ExpectTexel(t, 1, 2, 0, {254, 0, 128}, 255);
    CutBitmapRectangle(image, 0, 0, 0, 0, 4096, 0x8000FF, false, t);
    ExpectTexel(t, 1, 0, 0, {255, 0, 128}, 255);
}

TEST(BitmapReader, PaletteEntryEqualToKeyIsTransparentWhateverItsIndex) {
    std::vector<TestRgb> palette(256, TestRgb{1, 2, 3});
    palette[200] = {255, 0, 128};
    palette[7] = {0, 255, 0};
    BitmapImage image;
    ASSERT_TRUE(Parse(
        MakeBitmap8(3, 2, palette, [](int x, int) { return uint8_t(x == 1 ? 200 : 7); }), image));
    TexelImage t;
    CutBitmapRectangle(image, 0, 0, 0, 0, 4096, 0x8000FF, true, t);
    ExpectTexel(t, 2, 0, 0, {0, 255, 0}, 255);
    ExpectTexel(t, 2, 1, 0, {0, 0, 0}, 0);
    ExpectTexel(t, 2, 1, 1, {0, 0, 0}, 0);
    ExpectTexel(t, 2, 2, 1, {0, 255, 0}, 255);
}

namespace {
std::vector<uint8_t> ReadTestData(const std::string& name) {
    std::vector<uint8_t> bytes;
    std::FILE* file = std::fopen((std::string(KIP_GFX_TEST_DATA) + "/" + name).c_str(), "rb");
    if (!file) return bytes;
    int c;
    while ((c = std::fgetc(file)) != EOF) bytes.push_back(uint8_t(c));
    std::fclose(file);
    return bytes;
}

// The 124-byte header of an image tool's file cut to its first size bytes (the
// 108-byte header is the same without its last 16; the 64-byte kind shares the first
// 40 with the others): size field and pixel offset follow, palette and rows stay.
std::vector<uint8_t> WithShorterHeader(const std::vector<uint8_t>& file, uint32_t size) {
    std::vector<uint8_t> cut(file.begin(), file.begin() + 14 + size);
    cut.insert(cut.end(), file.begin() + 14 + 124, file.end());
    PutLE(cut, 14, size, 4);
    PutLE(cut, 10, uint32_t(file[10] | file[11] << 8) - (124 - size), 4);
    PutLE(cut, 2, uint32_t(cut.size()), 4);
    return cut;
}
}  // namespace

// The palette follows the information header, whatever its size; the colours are
// the ones the files were made from (tests/gfx/data/README.md).
TEST(BitmapReader, PaletteFollowsInformationHeadersOfEverySize) {
    std::vector<uint8_t> info40 = ReadTestData("pal8_info40.bmp");
    std::vector<uint8_t> info124 = ReadTestData("pal8_info124.bmp");
    ASSERT_EQ(info40.size(), 1110u);
    ASSERT_EQ(info124.size(), 1194u);
    const std::pair<const char*, std::vector<uint8_t>> files[] = {
        {"40", info40},
        {"124", info124},
        {"108", WithShorterHeader(info124, 108)},
        {"64", WithShorterHeader(info124, 64)},
    };
    for (const auto& [header, bytes] : files) {
        BitmapImage image;
        ASSERT_TRUE(Parse(bytes, image)) << header;
        ASSERT_EQ(image.width, 6);
        ASSERT_EQ(image.height, 4);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 6; ++x) {
                uint32_t r = 40 * x + 10, g = 60 * y + 20, b = 37 * (x + 6 * y) % 256;
                EXPECT_EQ(image.ColourAt(x, y), r | g << 8 | b << 16)
                    << header << "-byte header, pixel " << x << "," << y;
            }
    }
}

TEST(BitmapReader, TextureIsPowerOfTwoWithPictureInLowerLeft) {
    BitmapImage image;
    ASSERT_TRUE(Parse(MakeBitmap24(65, 3, Distinct), image));
    TexelImage t;
    CutBitmapRectangle(image, 0, 0, 0, 0, 4096, 0, false, t);
    EXPECT_EQ(t.width, 128);
    EXPECT_EQ(t.height, 4);
    // Texture row 0 is the picture's bottom row; everything outside is transparent black.
    EXPECT_EQ(t.rgba[0], Distinct(0, 2).r);
    EXPECT_EQ(t.rgba[(3 * 128 + 0) * 4 + 3], 0);
    EXPECT_EQ(t.rgba[(0 * 128 + 65) * 4 + 3], 0);
    EXPECT_EQ(PowerOfTwoAtLeast(1), 1);
    EXPECT_EQ(PowerOfTwoAtLeast(0), 1);
    EXPECT_EQ(PowerOfTwoAtLeast(64), 64);
    EXPECT_EQ(PowerOfTwoAtLeast(65), 128);
}

TEST(BitmapReader, RectangleBeyondThePictureStaysTransparent) {
    BitmapImage image;
    ASSERT_TRUE(Parse(MakeBitmap24(70, 10, Distinct), image));
    TexelImage t;
    CutBitmapRectangle(image, 64, 0, 64, 64, 4096, 0, false, t);
    EXPECT_EQ(t.width, 64);
    EXPECT_EQ(t.height, 64);
    ExpectTexel(t, 64, 0, 0, Distinct(64, 0), 255);
    ExpectTexel(t, 64, 5, 9, Distinct(69, 9), 255);
    ExpectTexel(t, 64, 6, 0, {0, 0, 0}, 0);
    ExpectTexel(t, 64, 0, 10, {0, 0, 0}, 0);
}

// The texel a rectangle cut must hold, worked out from the picture's own colours:
// pixels outside the picture are transparent black, all others opaque.
void ExpectRectangle(const TexelImage& t, int pictureWidth, int pictureHeight, int x, int y,
                     int width, int height, const std::function<TestRgb(int, int)>& colour) {
    ASSERT_EQ(t.width, PowerOfTwoAtLeast(width));
    ASSERT_EQ(t.height, PowerOfTwoAtLeast(height));
    for (int r = 0; r < height; ++r) {
        for (int c = 0; c < width; ++c) {
            int px = x + c, py = y + r;
            bool inside = px >= 0 && px < pictureWidth && py >= 0 && py < pictureHeight;
            TestRgb expected = inside ? colour(px, py) : TestRgb{};
            const uint8_t* p = &t.rgba[(std::size_t(height - 1 - r) * t.width + c) * 4];
            ASSERT_EQ(TestRgb({p[0], p[1], p[2]}), expected) << px << "," << py;
            ASSERT_EQ(p[3], inside ? 255 : 0) << px << "," << py;
        }
    }
}

TEST(BitmapReader, RectanglesReadBandByBandFromTheFileHoldTheRightPixels) {
    // 150 rows: more than two bands of rows, in both row orders and both depths.
    const int w = 9, h = 150;
    std::vector<TestRgb> palette(256);
    for (int i = 0; i < 256; ++i) palette[i] = {uint8_t(i), uint8_t(255 - i), uint8_t(i * 7)};
    auto index = [](int x, int y) { return uint8_t((x * 31 + y) & 255); };
    auto paletteColour = [&](int x, int y) { return palette[index(x, y)]; };
    struct File {
        std::vector<uint8_t> bytes;
        std::function<TestRgb(int, int)> colour;
    } files[] = {{MakeBitmap24(w, h, Distinct, false), Distinct},
                 {MakeBitmap24(w, h, Distinct, true), Distinct},
                 {MakeBitmap8(w, h, palette, index), paletteColour}};
    struct Rect {
        int x, y, width, height;
    } rects[] = {{0, 0, w, h}, {-3, -70, 20, 200}, {2, 100, 5, 64}, {0, 149, 9, 1}, {0, 150, 4, 4},
                 {-40, 0, 8, 8}};
    for (const File& file : files) {
        MemoryByteSource source(file.bytes.data(), file.bytes.size());
        for (const Rect& r : rects) {
            SCOPED_TRACE(std::to_string(r.x) + "," + std::to_string(r.y));
            BitmapImage image;
            ASSERT_TRUE(ReadBitmapHeader(source, image));
            EXPECT_TRUE(image.pixels.empty());
            TexelImage t;
            ASSERT_TRUE(ReadBitmapRectangle(source, image, r.x, r.y, r.width, r.height, 4096, 0,
                                            false, t));
            ExpectRectangle(t, w, h, r.x, r.y, r.width, r.height, file.colour);
            // The whole picture read at once and cut gives the same texels.
            BitmapImage whole;
            ASSERT_TRUE(ReadBitmap(source, whole));
            TexelImage cut;
            ASSERT_TRUE(CutBitmapRectangle(whole, r.x, r.y, r.width, r.height, 4096, 0, false, cut));
            EXPECT_EQ(cut.rgba, t.rgba);
        }
    }
}

TEST(BitmapReader, PictureLimitsAreTheLargestTextureAndTheTexelBudget) {
    struct Case {
        int width, height, maxTexture;
        bool fits;
    } cases[] = {
        {1, 1, 16384, true},
        {8192, 8192, 16384, true},       // exactly the budget: 64 Mi texels
        {16384, 4096, 16384, true},      // the budget in another shape
        {16384, 4097, 16384, false},     // 16384 x 8192 texels
        {8193, 8192, 16384, false},      // the power of two counts, not the picture
        {16384, 16384, 16384, false},    // the driver takes it, the budget does not
        {23170, 23170, 32768, false},    // beyond the sides the tables hold
        {2049, 16, 2048, false},         // beyond the driver's largest texture
        {2048, 2048, 2048, true},
        {0, 5, 16384, false},
        {5, -1, 16384, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PictureFitsTexture(c.width, c.height, c.maxTexture), c.fits)
            << c.width << " x " << c.height << " max " << c.maxTexture;
}

TEST(BitmapReaderNegative, HugeInformationBlockIsNotHeld) {
    // A 2 x 2 picture whose pixel rows begin 1 GiB into a sparse file.
    const uint32_t offset = 1u << 30;
    std::vector<uint8_t> header = Bitmap24Header(2, 2);
    PutLE(header, 10, offset, 4);
    std::string path = WriteTestFile("far_rows.bmp", header);
    std::error_code error;
    std::filesystem::resize_file(path, offset + 2 * Bitmap24RowSize(2), error);
    ASSERT_FALSE(error);
    FileByteSource file(path.c_str());
    BitmapImage image;
    ASSERT_TRUE(ReadBitmap(file, image));
    EXPECT_LE(image.infoBlock.size(), 40u);
    EXPECT_LE(image.palette.size(), 4u * 256);
    EXPECT_EQ(image.pixelOffset, offset);
    EXPECT_EQ(image.ColourAt(1, 1), 0u);
    std::remove(path.c_str());
}

TEST(BitmapReaderNegative, HostileHeadersAreRejected) {
    std::vector<uint8_t> good = MakeBitmap24(4, 4, Distinct);
    BitmapImage image;
    ASSERT_TRUE(Parse(good, image));
    auto variant = [&](std::size_t at, uint32_t value, int bytes) {
        std::vector<uint8_t> bad = good;
        PutLE(bad, at, value, bytes);
        return bad;
    };
    EXPECT_FALSE(Parse(variant(0, 'X', 1), image));            // not "BM"
    EXPECT_FALSE(Parse(variant(10, 0xFFFFFFF0u, 4), image));   // offset outside the file
    EXPECT_FALSE(Parse(variant(10, 20, 4), image));            // block too short
    EXPECT_FALSE(Parse(variant(18, 0, 4), image));             // zero width
    EXPECT_FALSE(Parse(variant(18, uint32_t(-4), 4), image));  // negative width
    EXPECT_FALSE(Parse(variant(18, 0x80000000u, 4), image));   // 2^31 width
    EXPECT_FALSE(Parse(variant(18, 0x7FFFFFFFu, 4), image));   // beyond the data
    EXPECT_FALSE(Parse(variant(22, 0, 4), image));             // zero height
    EXPECT_FALSE(
        Parse(variant(22, uint32_t(INT32_MIN), 4), image));  // height that cannot be negated
    EXPECT_FALSE(Parse(variant(22, 5000, 4), image));        // rows missing
    EXPECT_FALSE(Parse(variant(28, 16, 2), image));          // 16 bits per pixel
    EXPECT_FALSE(Parse(variant(28, 32, 2), image));
    std::vector<uint8_t> truncated(good.begin(), good.end() - 1);
    EXPECT_FALSE(Parse(truncated, image));
    for (std::size_t size : {0, 1, 13, 14, 30, 53}) {
        std::vector<uint8_t> shortFile(good.begin(), good.begin() + size);
        MemoryByteSource source(shortFile.data(), shortFile.size());
        int w = -1, h = -1;
        EXPECT_FALSE(ReadBitmapSize(source, w, h)) << size;
        EXPECT_EQ(w, 0);
        EXPECT_EQ(h, 0);
    }
}

TEST(BitmapReaderNegative, SizeOfAFileWithBadDepthReadsButThePixelsDoNot) {
    std::vector<uint8_t> bad = MakeBitmap24(6, 2, Distinct);
    PutLE(bad, 28, 32, 2);
    MemoryByteSource source(bad.data(), bad.size());
    int w = 0, h = 0;
    EXPECT_TRUE(ReadBitmapSize(source, w, h));
    EXPECT_EQ(w, 6);
    EXPECT_EQ(h, 2);
    BitmapImage image;
    EXPECT_FALSE(ReadBitmap(source, image));
    EXPECT_FALSE(ReadBitmapFromFile("/nonexistent/kip.bmp", image));
    EXPECT_FALSE(ReadBitmapSizeFromFile("/nonexistent/kip.bmp", w, h));
}

TEST(BitmapReaderNegative, PaletteShorterThanTheIndexReadsBlack) {
    std::vector<uint8_t> file =
        MakeBitmap8(2, 1, {TestRgb{9, 9, 9}}, [](int x, int) { return uint8_t(x ? 250 : 0); });
    // Keep only 8 palette entries: the pixel rows move up behind them.
    std::vector<uint8_t> shortPalette(file.begin(), file.begin() + 54 + 32);
    shortPalette.insert(shortPalette.end(), file.end() - 4, file.end());
    PutLE(shortPalette, 10, 54 + 32, 4);
    BitmapImage image;
    ASSERT_TRUE(Parse(shortPalette, image));
    EXPECT_EQ(image.ColourAt(0, 0), 0x090909u);
    EXPECT_EQ(image.ColourAt(1, 0), 0u);
}

TEST(BitmapReaderNegative, HeaderSizeBeyondTheBlockLeavesNoPalette) {
    std::vector<uint8_t> file =
        MakeBitmap8(2, 1, {TestRgb{9, 9, 9}}, [](int, int) { return uint8_t(0); });
    for (uint32_t size : {1024u + 40u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
        PutLE(file, 14, size, 4);
        BitmapImage image;
        ASSERT_TRUE(Parse(file, image)) << size;
        EXPECT_TRUE(image.palette.empty()) << size;
        EXPECT_EQ(image.ColourAt(0, 0), 0u) << size;
    }
    // A size below 40 is taken as 40: such files read as they always did.
    PutLE(file, 14, 12, 4);
    BitmapImage image;
    ASSERT_TRUE(Parse(file, image));
    EXPECT_EQ(image.ColourAt(0, 0), 0x090909u);
}

TEST(TexelOps, MipLevelUsesTheWeightedFilter) {
    // A 4 x 4 image whose red channel is its texel index; 2 x 2 next level.
    std::vector<uint8_t> level(4 * 4 * 4);
    for (int i = 0; i < 16; ++i) level[i * 4] = uint8_t(i * 10);
    std::vector<uint8_t> next;
    int w = 0, h = 0;
    MakeNextMipLevel(level, 4, 4, next, w, h);
    ASSERT_EQ(w, 2);
    ASSERT_EQ(h, 2);
    auto red = [&](int x, int y) { return int(level[(y * 4 + x) * 4]); };
    EXPECT_EQ(next[0], (4 * red(0, 0) + 2 * red(1, 0) + 2 * red(1, 2) + red(0, 2)) / 9);
    EXPECT_EQ(next[4], (2 * red(2, 0) + red(2, 2)) / 3);                // last column
    EXPECT_EQ(next[(1 * 2 + 0) * 4], (2 * red(0, 2) + red(1, 2)) / 3);  // last row
    EXPECT_EQ(next[(1 * 2 + 1) * 4], red(2, 2));                        // last corner
    // Down to 1 x 1 from a strip: sides never fall below 1.
    std::vector<uint8_t> strip(8 * 1 * 4, 200), small;
    MakeNextMipLevel(strip, 8, 1, small, w, h);
    EXPECT_EQ(w, 4);
    EXPECT_EQ(h, 1);
    EXPECT_EQ(small[0], 200);
}

TEST(TexelOps, NormalMapOfAFlatImagePointsUp) {
    std::vector<uint8_t> pixels(3 * 3 * 4, 90);
    build_detail_normalmap(pixels.data(), 3, 3);
    EXPECT_EQ(pixels[0], 128);
    EXPECT_EQ(pixels[1], 128);
    EXPECT_EQ(pixels[2], 255);
    EXPECT_EQ(pixels[3], 90);  // alpha kept
    // A bright column on the right makes the slope point left (red below the middle).
    std::vector<uint8_t> ramp(4 * 1 * 4, 0);
    ramp[3 * 4 + 2] = 255;
    build_detail_normalmap(ramp.data(), 4, 1);
    EXPECT_LT(ramp[2 * 4 + 0], 128);
    EXPECT_GT(ramp[0 * 4 + 0], 128);  // wrap-around: column 0 sees column 3 on its left
}

TEST(TexelOps, SnapshotFileHasHeaderAndBgrRows) {
    std::vector<uint8_t> rgb(4 * 2 * 3, 0);
    rgb[0] = 10;  // red of the bottom-left pixel
    rgb[1] = 20;
    rgb[2] = 30;
    std::string path = TestTempDir() + "kip_gfx_snapshot_" + std::to_string(getpid()) + ".bmp";
    ASSERT_TRUE(WriteBitmap24(path, 4, 2, rgb));
    std::FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    std::vector<uint8_t> bytes(200);
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
    std::fclose(file);
    std::remove(path.c_str());
    ASSERT_EQ(bytes.size(), 54u + 24u);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[10], 54);
    EXPECT_EQ(bytes[28], 24);
    EXPECT_EQ(bytes[54], 30);
    EXPECT_EQ(bytes[55], 20);
    EXPECT_EQ(bytes[56], 10);
    EXPECT_FALSE(WriteBitmap24("/nonexistent/dir/x.bmp", 4, 2, rgb));
}
