// Sprites, fonts, primitives, surfaces, the flip and the drawing commands, checked
// pixel by pixel in the off-screen frame of the headless renderer.
#define GL_GLEXT_PROTOTYPES 1
#include <SDL_opengl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "commands/kv.h"
#include "files/TemporaryFolder.h"
#include "gfx/BitmapReader.h"
#include "gfx/FramePacer.h"
#include "gfx/OpenGLRainbows.h"
#include "gfx/TexelOps.h"
#include "runtime/Options.h"
#include "runtime/Trace.h"
#include "tests/gfx/BitmapFiles.h"

namespace {
const TestRgb kKey{255, 0, 128};
const TestRgb kBlack{0, 0, 0};
const TestRgb kGreen{0, 255, 0};

class RuntimeEnvironment : public ::testing::Environment {
  public:
    void SetUp() override { ASSERT_TRUE(KvStartRuntimeForTests()); }
};

TestRgb PixelAt(int x, int y) {
    std::vector<uint8_t> rgb;
    pRbow->ReadFrame(x, pRbow->Height() - 1 - y, 1, 1, rgb);
    return {rgb[0], rgb[1], rgb[2]};
}

std::string Describe(TestRgb c) {
    std::string text = "(";
    text += std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b) + ")";
    return text;
}

#define EXPECT_PIXEL(x, y, colour) \
    EXPECT_EQ(Describe(PixelAt(x, y)), Describe(colour)) << "at " << (x) << "," << (y)

// Opaque drawing on a black frame.
void FreshFrame() {
    pRbow->DoAlpha(0);
    pRbow->ClearFrame();
}

void Load(const std::string& name, const std::vector<uint8_t>& bytes, int slot) {
    LOADSPRITE(WriteTestFile(name, bytes).c_str(), slot);
}

// A 32 x 32 sprite: opaque red with a keyed 8 x 8 hole in the top-left corner.
std::vector<uint8_t> HoleSprite() {
    return MakeBitmap24(32, 32, [](int x, int y) {
        return x < 8 && y < 8 ? kKey : TestRgb{200, 0, 0};
    });
}

// A 128 x 128 font: the cell of code c is filled with colour (c, 100, 200), except
// a black (transparent) last column.
std::vector<uint8_t> TestFont() {
    return MakeBitmap24(128, 128, [](int x, int y) {
        int code = (y / 16) * 16 + x / 8;
        return x % 8 == 7 ? kBlack : TestRgb{uint8_t(code), 100, 200};
    });
}
}  // namespace

TEST(Sprites, ColourKeyExactlyTransparent) {
    FreshFrame();
    Load("key.bmp",
         MakeBitmap24(2, 1,
                      [](int x, int) {
                          return x == 0 ? kKey : TestRgb{255, 0, 127};
                      }),
         1);
    FILLRECT(0, 0, 40, 40, 0x00FF00);
    SPRITE(1, 10, 10);
    EXPECT_PIXEL(10, 10, kGreen);
    EXPECT_PIXEL(11, 10, (TestRgb{255, 0, 127}));
}

TEST(Sprites, PaletteKeyTransparentAndOddRowsUnsheared) {
    FreshFrame();
    std::vector<TestRgb> palette(256, TestRgb{9, 9, 9});
    palette[77] = kKey;
    palette[3] = {250, 10, 10};
    Load("pal.bmp", MakeBitmap8(5, 2, palette, [](int x, int) { return uint8_t(x % 2 ? 77 : 3); }),
         2);
    FILLRECT(0, 0, 40, 40, 0x00FF00);
    SPRITE(2, 20, 20);
    EXPECT_PIXEL(20, 20, (TestRgb{250, 10, 10}));
    EXPECT_PIXEL(21, 20, kGreen);
    EXPECT_PIXEL(24, 21, (TestRgb{250, 10, 10}));
    EXPECT_PIXEL(25, 21, kGreen);

    FreshFrame();
    auto colour = [](int x, int y) {
        return TestRgb{uint8_t(40 * x + 10), uint8_t(100 + 50 * y), 7};
    };
    Load("odd.bmp", MakeBitmap24(3, 3, colour), 3);
    Load("odd_top.bmp", MakeBitmap24(3, 3, colour, true), 4);
    SPRITE(3, 0, 0);
    SPRITE(4, 10, 0);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) {
            EXPECT_PIXEL(x, y, colour(x, y));
            EXPECT_PIXEL(10 + x, y, colour(x, y));
        }
}

TEST(Sprites, ZoomSpriteStaysCentredAndIgnoresSigns) {
    Load("zoom.bmp", MakeBitmap24(32, 32, [](int, int) { return TestRgb{0, 0, 255}; }), 5);
    for (double factor : {2.0, -2.0}) {
        FreshFrame();
        ZOOMSPRITE(5, 100, 100, factor, factor);
        EXPECT_PIXEL(83, 116, kBlack);
        EXPECT_PIXEL(84, 116, (TestRgb{0, 0, 255}));
        EXPECT_PIXEL(147, 116, (TestRgb{0, 0, 255}));
        EXPECT_PIXEL(148, 116, kBlack);
        EXPECT_PIXEL(116, 84, (TestRgb{0, 0, 255}));
        EXPECT_PIXEL(116, 83, kBlack);
    }
    FreshFrame();
    ZOOMSPRITE(5, 100, 100, -1, -1);  // like factor 1: not mirrored, not culled
    EXPECT_PIXEL(100, 100, (TestRgb{0, 0, 255}));
    EXPECT_PIXEL(131, 131, (TestRgb{0, 0, 255}));
    EXPECT_PIXEL(132, 131, kBlack);
}

TEST(Sprites, StretchSpriteNegativeWidthIsCulled) {
    FreshFrame();
    Load("stretch.bmp", MakeBitmap24(4, 4, [](int, int) { return TestRgb{1, 2, 3}; }), 6);
    STRETCHSPRITE(6, 50, 50, -20, 20);
    EXPECT_PIXEL(40, 60, kBlack);
    STRETCHSPRITE(6, 50, 50, -20, -20);  // both negative: turned, covering 30..50
    EXPECT_PIXEL(40, 40, (TestRgb{1, 2, 3}));
    SPRITE(70000, 0, 0);  // slot 4464 after the 16-bit wrap... out of the table: nothing
    SPRITE(6, 70000, 0);  // x = 4464: off screen
    EXPECT_PIXEL(0, 0, kBlack);
}

TEST(Sprites, RotoZoomNormalisesNegativeAngles) {
    Load("roto.bmp",
         MakeBitmap24(16, 8,
                      [](int x, int) {
                          return x < 8 ? TestRgb{255, 0, 0} : TestRgb{0, 0, 255};
                      }),
         7);
    std::vector<uint8_t> minus, plus, none;
    FreshFrame();
    ROTOZOOMSPRITE(7, 100, 100, -90, 2);
    pRbow->ReadFrame(0, 0, 640, 480, minus);
    FreshFrame();
    ROTOZOOMSPRITE(7, 100, 100, 270, 2);
    pRbow->ReadFrame(0, 0, 640, 480, plus);
    FreshFrame();
    ROTOZOOMSPRITE(7, 100, 100, 0, 2);
    pRbow->ReadFrame(0, 0, 640, 480, none);
    EXPECT_TRUE(minus == plus);
    EXPECT_FALSE(minus == none);
    // Zoom 2 about the centre (108, 104): 32 x 16 from (92, 96).
    EXPECT_PIXEL(93, 97, (TestRgb{255, 0, 0}));
    EXPECT_PIXEL(122, 110, (TestRgb{0, 0, 255}));
    EXPECT_PIXEL(90, 97, kBlack);
    // A quarter turn counter-clockwise on screen: the left (red) half goes down.
    FreshFrame();
    ROTOZOOMSPRITE(7, 100, 100, 90, 2);  // 16 x 32 about (108, 104)
    EXPECT_PIXEL(108, 90, (TestRgb{0, 0, 255}));
    EXPECT_PIXEL(108, 118, (TestRgb{255, 0, 0}));
    EXPECT_PIXEL(98, 104, kBlack);
    ROTOSPRITE(7, 200, 100, 90);  // 8 x 16 about (208, 104)
    EXPECT_PIXEL(208, 98, (TestRgb{0, 0, 255}));
    EXPECT_PIXEL(208, 110, (TestRgb{255, 0, 0}));
    EXPECT_PIXEL(202, 104, kBlack);
}

TEST(Sprites, CollisionOnlyForOverlappingOpaquePixels) {
    Load("hole_a.bmp", HoleSprite(), 10);
    Load("hole_b.bmp", HoleSprite(), 11);
    EXPECT_TRUE(pRbow->SpriteCollision(10, 11, 0, 0, 20, 20));
    EXPECT_FALSE(pRbow->SpriteCollision(10, 11, 0, 0, 32, 0));  // edge to edge
    EXPECT_FALSE(pRbow->SpriteCollision(10, 11, 0, 0, 0, 40));  // apart
    // B's keyed corner over A's last opaque pixel: only keyed pixels of B overlap.
    EXPECT_FALSE(pRbow->SpriteCollision(10, 11, 0, 0, 31, 31));
    EXPECT_TRUE(pRbow->SpriteCollision(11, 10, 31, 31, 0, 0) == false);
    EXPECT_FALSE(pRbow->SpriteCollision(10, 11, 0, 0, 24, 24));  // only B's keyed corner overlaps
    EXPECT_TRUE(pRbow->SpriteCollision(10, 11, 0, 0, -24, 31));  // one opaque row over another
    EXPECT_FALSE(pRbow->SpriteCollision(10, 11, 0, 0, 9999, 0));
    EXPECT_FALSE(pRbow->SpriteCollision(10, 5000, 0, 0, 0, 0));
    // The cached mask goes with a reload.
    Load("hole_a.bmp", MakeBitmap24(32, 32, [](int, int) { return kKey; }), 10);
    EXPECT_FALSE(pRbow->SpriteCollision(10, 11, 0, 0, 20, 20));
}

// SPRCOLL hands truncated sprite numbers and 16-bit coordinates to the sprite layer.
TEST(Sprites, SprcollTruncatesNumbersAndWrapsCoordinates) {
    pRbow->FreeSprite(3);  // checked below as an empty slot, whatever earlier tests loaded
    auto solid = MakeBitmap24(8, 8, [](int, int) { return TestRgb{10, 200, 10}; });
    LOADSPRITE(WriteTestFile("sprcoll.bmp", solid).c_str(), 1);
    LOADSPRITE(WriteTestFile("sprcoll.bmp", solid).c_str(), 2);
    EXPECT_EQ(SPRCOLL(1, 0, 0, 2, 4.9, 4.9), 1);
    EXPECT_EQ(SPRCOLL(1.9, 0, 0, 2.5, 7, -7), 1);  // corners touch
    EXPECT_EQ(SPRCOLL(1, 0, 0, 2, 9, 0), 0);
    EXPECT_EQ(SPRCOLL(1, 0, 0, 2, 65536 + 4, 0), 1);  // coordinates wrap at 16 bits
    EXPECT_EQ(SPRCOLL(1, 0, 0, 3, 0, 0), 0);          // an empty slot
    EXPECT_EQ(SPRCOLL(1, 0, 0, -1, 0, 0), 0);
    std::remove(WriteTestFile("sprcoll.bmp", {}).c_str());
}

TEST(Sprites, BadFilesLeaveTheSlotEmpty) {
    Load("good.bmp", HoleSprite(), 12);
    EXPECT_EQ(pRbow->TextureWidth(12), 32);
    std::vector<uint8_t> truncated = HoleSprite();
    truncated.resize(truncated.size() - 10);
    Load("truncated.bmp", truncated, 12);
    EXPECT_EQ(pRbow->TextureWidth(12), -1);
    EXPECT_EQ(pRbow->TextureName(12, 0), 0u);
    std::vector<uint8_t> liar = HoleSprite();
    PutLE(liar, 18, 0x7FFFFFFF, 4);
    Load("liar.bmp", liar, 12);
    EXPECT_EQ(pRbow->TextureWidth(12), -1);
    // A missing file leaves the old picture in place.
    Load("good.bmp", HoleSprite(), 12);
    LOADSPRITE("/nonexistent/missing.bmp", 12);
    EXPECT_EQ(pRbow->TextureWidth(12), 32);
    // Slots outside the table are no-ops.
    LOADSPRITE(WriteTestFile("good.bmp", HoleSprite()).c_str(), 4095);
    LOADSPRITE(WriteTestFile("good.bmp", HoleSprite()).c_str(), -1);
    EXPECT_EQ(pRbow->TextureWidth(4095), -1);
    SPRITE(-1, 0, 0);
    pRbow->FreeSprite(99999);
}

TEST(Sprites, GrabSpriteCopiesTheScreen) {
    FreshFrame();
    FILLRECT(10, 10, 30, 30, 0x0000FF);
    GRABSPRITE(20, 10, 10, 20, 20);
    EXPECT_EQ(pRbow->TextureWidth(20), 32);
    int w = 0, h = 0;
    pRbow->GetSpriteSize(20, w, h);
    EXPECT_EQ(w, 20);
    EXPECT_EQ(h, 20);
    FreshFrame();
    SPRITE(20, 100, 100);
    EXPECT_PIXEL(100, 100, (TestRgb{255, 0, 0}));
    EXPECT_PIXEL(119, 119, (TestRgb{255, 0, 0}));
    EXPECT_PIXEL(120, 119, kBlack);
}

// The frame has no alpha planes: a grabbed picture is opaque everywhere, black
// background included, and collides with every pixel.
TEST(Sprites, GrabbedPictureIsOpaqueWhereNothingWasDrawn) {
    FreshFrame();
    FILLRECT(10, 10, 20, 20, 0x0000FF);
    GRABSPRITE(21, 10, 10, 20, 20);  // red top-left quarter, black elsewhere
    FreshFrame();
    FILLRECT(0, 0, 200, 200, 0x00FF00);
    SPRITE(21, 100, 100);
    EXPECT_PIXEL(100, 100, (TestRgb{255, 0, 0}));
    EXPECT_PIXEL(115, 115, kBlack);
    EXPECT_PIXEL(120, 120, kGreen);
    Load("dot.bmp", MakeBitmap24(1, 1, [](int, int) { return TestRgb{9, 9, 9}; }), 22);
    EXPECT_TRUE(pRbow->SpriteCollision(22, 21, 115, 115, 100, 100));
}

TEST(Primitives, FillRectCornersInAnyOrderAndOnePixelLine) {
    std::vector<uint8_t> a, b;
    FreshFrame();
    FILLRECT(10, 5, 100, 50, 0x0000FF);
    pRbow->ReadFrame(0, 0, 640, 480, a);
    EXPECT_PIXEL(10, 5, (TestRgb{255, 0, 0}));
    EXPECT_PIXEL(99, 49, (TestRgb{255, 0, 0}));
    EXPECT_PIXEL(9, 5, kBlack);
    EXPECT_PIXEL(10, 4, kBlack);
    EXPECT_PIXEL(100, 49, kBlack);
    EXPECT_PIXEL(99, 50, kBlack);
    for (auto corners : {std::vector<double>{100, 50, 10, 5}, {100, 5, 10, 50}, {10, 50, 100, 5}}) {
        FreshFrame();
        FILLRECT(corners[0], corners[1], corners[2], corners[3], 0x0000FF);
        pRbow->ReadFrame(0, 0, 640, 480, b);
        EXPECT_TRUE(a == b);
    }
    FreshFrame();
    DRAWLINE(10, 10, 10, 10, 0xFFFFFF);
    EXPECT_PIXEL(10, 10, (TestRgb{255, 255, 255}));
    for (auto [dx, dy] : {std::pair{-1, 0}, {1, 0}, {0, -1}, {0, 1}})
        EXPECT_PIXEL(10 + dx, 10 + dy, kBlack);
    SETPIXEL(30, 40, 0x00FF00);
    EXPECT_PIXEL(30, 40, kGreen);
    EXPECT_PIXEL(30, 39, kBlack);
    DRAWLINE(50, 60, 54, 60, 0xFF0000);
    for (int x = 50; x <= 54; ++x) EXPECT_PIXEL(x, 60, (TestRgb{0, 0, 255}));
    EXPECT_PIXEL(55, 60, kBlack);
}

TEST(Primitives, SpriteAfterPrimitiveUsesItsTexture) {
    FreshFrame();
    Load("after.bmp", MakeBitmap24(4, 4, [](int, int) { return TestRgb{10, 20, 30}; }), 13);
    SPRITE(13, 0, 0);
    FILLRECT(100, 100, 110, 110, 0xFFFFFF);
    SPRITE(13, 10, 0);
    EXPECT_PIXEL(11, 1, (TestRgb{10, 20, 30}));
}

namespace {
// A polygon over the square (x, y) .. (x + side, y + side) with texture coordinates
// 0 .. 1 (t from the top), counter-clockwise on screen, in white.
void TexturedSquare(double slot, double x, double y, double side) {
    STARTPOLY(slot);
    POLYVECTOR(x, y + side, 0, 1, 0xFFFFFF);
    POLYVECTOR(x + side, y + side, 1, 1, 0xFFFFFF);
    POLYVECTOR(x + side, y, 1, 0, 0xFFFFFF);
    POLYVECTOR(x, y, 0, 0, 0xFFFFFF);
    ENDPOLY();
}

// Four quarters: red top-left, green top-right, blue bottom-left, white bottom-right.
TestRgb Quarter(int x, int y, int side) {
    bool right = 2 * x >= side, bottom = 2 * y >= side;
    if (!bottom) return right ? TestRgb{0, 255, 0} : TestRgb{255, 0, 0};
    return right ? TestRgb{255, 255, 255} : TestRgb{0, 0, 255};
}

void DrawQuarters(int x, int y, int side) {
    int h = side / 2;
    FILLRECT(x, y, x + h, y + h, 0x0000FF);
    FILLRECT(x + h, y, x + side, y + h, 0x00FF00);
    FILLRECT(x, y + h, x + h, y + side, 0xFF0000);
    FILLRECT(x + h, y + h, x + side, y + side, 0xFFFFFF);
}
}  // namespace

// Sprites drawn between STARTPOLY and ENDPOLY select textures of their own; the
// polygon is filled from the slot it was started with all the same.
TEST(Polygons, EndPolyFillsFromTheSlotStartPolyChose) {
    FreshFrame();
    Load("poly_green.bmp", MakeBitmap24(16, 16, [](int, int) { return TestRgb{0, 200, 0}; }), 36);
    Load("poly_red.bmp", MakeBitmap24(16, 16, [](int, int) { return TestRgb{200, 0, 0}; }), 37);
    STARTPOLY(36);
    POLYVECTOR(100, 164, 0, 1, 0xFFFFFF);
    POLYVECTOR(164, 164, 1, 1, 0xFFFFFF);
    POLYVECTOR(164, 100, 1, 0, 0xFFFFFF);
    POLYVECTOR(100, 100, 0, 0, 0xFFFFFF);
    ROTOSPRITE(37, 300, 300, 0);
    SPRITE(37, 340, 300);
    ENDPOLY();
    EXPECT_PIXEL(110, 110, (TestRgb{0, 200, 0}));
    EXPECT_PIXEL(160, 160, (TestRgb{0, 200, 0}));
    EXPECT_PIXEL(305, 305, (TestRgb{200, 0, 0}));
    EXPECT_PIXEL(345, 305, (TestRgb{200, 0, 0}));
    // An untextured polygon stays untextured whatever is drawn before its end.
    FreshFrame();
    STARTPOLY(-1);
    POLYVECTOR(100, 164, 0, 0, 0x00FFFF);
    POLYVECTOR(164, 164, 0, 0, 0x00FFFF);
    POLYVECTOR(164, 100, 0, 0, 0x00FFFF);
    POLYVECTOR(100, 100, 0, 0, 0x00FFFF);
    SPRITE(37, 300, 300);
    ENDPOLY();
    EXPECT_PIXEL(130, 130, (TestRgb{255, 255, 0}));
}

// Texture coordinates span the picture's power-of-two texture, as a loaded picture of
// the same size has it: a polygon over a grabbed picture looks like one over the
// same picture loaded from a file, whatever its size.
TEST(Polygons, GrabbedPicturesMapLikeLoadedOnes) {
    for (int side : {8, 16, 24, 32, 64}) {
        SCOPED_TRACE("side " + std::to_string(side));
        Load("poly_quarters.bmp",
             MakeBitmap24(side, side, [side](int x, int y) { return Quarter(x, y, side); }), 38);
        FreshFrame();
        DrawQuarters(500, 10, side);
        GRABSPRITE(39, 500, 10, side, side);
        FreshFrame();
        TexturedSquare(38, 0, 0, 128);
        TexturedSquare(39, 200, 0, 128);
        std::vector<uint8_t> loaded, grabbed;
        pRbow->ReadFrame(0, 480 - 128, 128, 128, loaded);
        pRbow->ReadFrame(200, 480 - 128, 128, 128, grabbed);
        EXPECT_TRUE(loaded == grabbed);
        // The picture fills side / texture side of the square, in its bottom-left
        // corner as in the texture; the rest is transparent.
        int covered = 128 * side / PowerOfTwoAtLeast(side), top = 128 - covered;
        EXPECT_PIXEL(200 + covered / 4, top + covered / 4, (TestRgb{255, 0, 0}));
        EXPECT_PIXEL(200 + covered * 3 / 4, top + covered / 4, (TestRgb{0, 255, 0}));
        EXPECT_PIXEL(200 + covered / 4, top + covered * 3 / 4, (TestRgb{0, 0, 255}));
        EXPECT_PIXEL(200 + covered * 3 / 4, top + covered * 3 / 4, (TestRgb{255, 255, 255}));
        if (top > 0) {
            EXPECT_PIXEL(200 + covered / 4, top / 2, kBlack);
            EXPECT_PIXEL(200 + (covered + 128) / 2, 100, kBlack);
        }
    }
}

TEST(AlphaMode, AdditiveHalfAndBackToOpaque) {
    FreshFrame();
    Load("alpha.bmp", MakeBitmap24(4, 4, [](int, int) { return TestRgb{200, 100, 50}; }), 14);
    FILLRECT(0, 0, 20, 20, 0x000010);  // red 16
    ALPHAMODE(0.5);
    SPRITE(14, 0, 0);
    TestRgb mixed = PixelAt(1, 1);
    EXPECT_NEAR(mixed.r, 16 + 100, 1);
    EXPECT_NEAR(mixed.g, 50, 1);
    ALPHAMODE(0);
    SPRITE(14, 10, 10);
    EXPECT_PIXEL(11, 11, (TestRgb{200, 100, 50}));
}

TEST(Fonts, TextCellsOfA128Font) {
    FreshFrame();
    LOADFONT(WriteTestFile("font.bmp", TestFont()).c_str(), 3);
    EXPECT_EQ(__nCurFont, 3);
    double w = 0, h = 0;
    GETFONTSIZE(w, h);
    EXPECT_EQ(w, 8);
    EXPECT_EQ(h, 16);
    PRINT("AB", 10, 20);
    EXPECT_PIXEL(10, 20, (TestRgb{65, 100, 200}));
    EXPECT_PIXEL(16, 35, (TestRgb{65, 100, 200}));
    EXPECT_PIXEL(17, 25, kBlack);  // the black column is transparent
    EXPECT_PIXEL(18, 20, (TestRgb{66, 100, 200}));
    EXPECT_PIXEL(26, 20, kBlack);
    EXPECT_PIXEL(10, 36, kBlack);
    PRINT("\xC1\n", 100, 100);  // 193 draws glyph 65; a line feed is a cell too
    EXPECT_PIXEL(100, 100, (TestRgb{65, 100, 200}));
    EXPECT_PIXEL(108, 100, (TestRgb{10, 100, 200}));
    PRINT(0.1 + 0.2, 200, 200);  // "0.3"
    EXPECT_PIXEL(200, 200, (TestRgb{48, 100, 200}));
    EXPECT_PIXEL(208, 200, (TestRgb{46, 100, 200}));
    EXPECT_PIXEL(216, 200, (TestRgb{51, 100, 200}));
    EXPECT_PIXEL(224, 200, kBlack);
}

// A 96 x 48 font sits in a 128 x 64 texture: 6 x 6 cells, each a sixteenth and an
// eighth of the picture, not of the texture.
TEST(Fonts, CellsOfAFontSmallerThanItsTexture) {
    FreshFrame();
    LOADFONT(WriteTestFile("font96.bmp",
                           MakeBitmap24(96, 48,
                                        [](int x, int y) {
                                            return TestRgb{uint8_t((y / 6) * 16 + x / 6), 50, 150};
                                        }))
                 .c_str(),
             5);
    double w = 0, h = 0;
    GETFONTSIZE(w, h);
    EXPECT_EQ(w, 6);
    EXPECT_EQ(h, 6);
    PRINT("Az", 10, 300);
    for (int x : {10, 15}) EXPECT_PIXEL(x, 300, (TestRgb{65, 50, 150}));
    for (int x : {16, 21}) EXPECT_PIXEL(x, 305, (TestRgb{122, 50, 150}));
    EXPECT_PIXEL(22, 300, kBlack);
    EXPECT_PIXEL(10, 306, kBlack);
    SETFONT(0);
}

TEST(Fonts, FontNumbersAreClamped) {
    SETFONT(20);
    EXPECT_EQ(__nCurFont, 15);
    SETFONT(-3);
    EXPECT_EQ(__nCurFont, 0);
    LOADFONT("/nonexistent/font.bmp", 99);
    EXPECT_EQ(__nCurFont, 15);
    pRbow->DrawTextA(16, "A", 0, 0);
    pRbow->DrawTextA(-1, "A", 0, 0);
    SETFONT(0);
}

TEST(Surfaces, GrabbedScreenTilesAndBackground) {
    FreshFrame();
    FILLRECT(0, 0, 640, 480, 0x102030);
    USEASBMP();
    const RainbowSurface* s = pRbow->Surface(0);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->columnCount, 20);
    EXPECT_EQ(s->rowCount, -17);
    SHOWSCREEN();  // an empty frame still shows the grabbed picture
    EXPECT_PIXEL(5, 5, (TestRgb{0x30, 0x20, 0x10}));
    EXPECT_PIXEL(639, 479, (TestRgb{0x30, 0x20, 0x10}));
    BLACKSCREEN();
    EXPECT_EQ(pRbow->Surface(0)->columnCount, 0);
    SHOWSCREEN();
    EXPECT_PIXEL(5, 5, kBlack);
    EXPECT_EQ(pRbow->Surface(15), nullptr);
    pRbow->GrabSurface(15);
    pRbow->PasteSurface(99);
    pRbow->FreeSurface(-1);
}

TEST(Surfaces, LoadedPictureTiles) {
    std::string path = WriteTestFile("back.bmp", MakeBitmap24(640, 480, [](int x, int y) {
                                         return TestRgb{uint8_t(x / 3), uint8_t(y / 2), 77};
                                     }));
    ASSERT_TRUE(pRbow->LoadSurface(2, path.c_str()));
    EXPECT_EQ(pRbow->Surface(2)->columnCount, 10);
    EXPECT_EQ(pRbow->Surface(2)->rowCount, 8);
    FreshFrame();
    pRbow->PasteSurface(2);
    EXPECT_PIXEL(0, 0, (TestRgb{0, 0, 77}));
    EXPECT_PIXEL(639, 479, (TestRgb{213, 239, 77}));
    EXPECT_PIXEL(300, 301, (TestRgb{100, 150, 77}));
    pRbow->FreeSurface(2);
    EXPECT_EQ(pRbow->Surface(2)->rowCount, 0);
    EXPECT_FALSE(pRbow->LoadSurface(2, "/nonexistent.bmp"));
}

TEST(Surfaces, SnapshotFileOfTheScreen) {
    FreshFrame();
    FILLRECT(0, 0, 1, 1, 0x0000FF);          // top-left red
    FILLRECT(639, 479, 640, 480, 0xFF0000);  // bottom-right blue
    std::string path = TestTempDir() + "kip_gfx_snap_" + std::to_string(getpid()) + ".bmp";
    EXPECT_EQ(SAVEBMP(path.c_str()), 0);
    struct stat info;
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_size, 921654);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    std::vector<uint8_t> bytes(921654);
    ASSERT_EQ(std::fread(bytes.data(), 1, bytes.size(), file), bytes.size());
    std::fclose(file);
    std::remove(path.c_str());
    BitmapImage image;
    MemoryByteSource source(bytes.data(), bytes.size());
    ASSERT_TRUE(ReadBitmap(source, image));
    EXPECT_EQ(image.ColourAt(0, 0), 0x0000FFu);
    EXPECT_EQ(image.ColourAt(639, 479), 0xFF0000u);
    EXPECT_EQ(image.ColourAt(1, 0), 0u);
    EXPECT_FALSE(pRbow->SaveBMPFile("/nonexistent/dir/snap.bmp"));
}

TEST(Headless, ScreenshotOfTheShownFrameAndTrace) {
    std::string shot = TestTempDir() + "kip_gfx_shot_" + std::to_string(getpid()) + ".bmp";
    std::string trace = TestTempDir() + "kip_gfx_trace_" + std::to_string(getpid()) + ".txt";
    KvOptions().screenshots.push_back({KvFrameNumber(), shot});
    ASSERT_TRUE(KvOpenTrace(trace.c_str()));
    long frame = KvFrameNumber();
    FreshFrame();
    FILLRECT(20, 10, 10, 30, 0x00FF00);
    SPRITE(1, 2.5, -3);
    PRINT(0.5, 3, 4);
    PRINT("0.5", 3, 4);
    SHOWSCREEN();
    KvCloseTrace();
    KvOptions().screenshots.clear();
    // The flip cleared the frame; the screenshot holds what was shown.
    EXPECT_PIXEL(15, 15, kBlack);
    std::FILE* file = std::fopen(shot.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    std::vector<uint8_t> bytes(921654);
    ASSERT_EQ(std::fread(bytes.data(), 1, bytes.size(), file), bytes.size());
    std::fclose(file);
    BitmapImage image;
    MemoryByteSource source(bytes.data(), bytes.size());
    ASSERT_TRUE(ReadBitmap(source, image));
    EXPECT_EQ(image.ColourAt(15, 15), 0x00FF00u);
    EXPECT_EQ(image.ColourAt(9, 15), 0u);
    file = std::fopen(trace.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    char text[512] = {};
    text[std::fread(text, 1, sizeof text - 1, file)] = 0;
    std::fclose(file);
    std::string f = std::to_string(frame);
    EXPECT_EQ(std::string(text), f + " FILLRECT 20 10 10 30 65280\n" + f + " SPRITE 1 2.5 -3\n" +
                                     f + " PRINT 0.5 3 4\n" + f + " PRINT \"0.5\" 3 4\n" + f +
                                     " SHOWSCREEN\n");
    std::remove(shot.c_str());
    std::remove(trace.c_str());
}

namespace {
double g_fakeNow = 0;
int g_sleeps = 0;
double g_lateWakeUp = 0;  // how long after its deadline a sleep ends
double FakeNow() {
    g_fakeNow += 0.01;  // every reading of the clock costs a little time
    return g_fakeNow;
}
void FakeSleepUntil(double deadline) {
    ++g_sleeps;
    g_fakeNow = std::max(g_fakeNow, deadline) + g_lateWakeUp;
}

struct PacedClock {
    PacedClock() {
        KvOptions().unpaced = false;
        OpenGLRainbows::SetFrameClock({FakeNow, FakeSleepUntil});
    }
    ~PacedClock() {
        KvOptions().unpaced = true;
        OpenGLRainbows::SetFrameClock(OpenGLRainbows::DefaultFrameClock());
    }
};
}  // namespace

TEST(FramePacing, FramesLandOnTheGrid) {
    PacedClock clock;
    pRbow->SetMaxFPS(60);
    EXPECT_DOUBLE_EQ(pRbow->FrameInterval(), 1000.0 / 60);
    g_fakeNow = 1000;
    pRbow->StartFrameGrid();
    double grid = pRbow->NextFrameTime();
    double interval = 1000.0 / 60;
    // The first flip does not wait.
    g_sleeps = 0;
    pRbow->FlipScreens();
    EXPECT_LT(g_fakeNow - grid, 0.5);
    EXPECT_EQ(g_sleeps, 0);
    // A quick frame waits for the next grid point, sleeping most of the time.
    g_fakeNow = grid + 3;
    pRbow->FlipScreens();
    EXPECT_GT(g_fakeNow, grid + interval);
    EXPECT_LT(g_fakeNow, grid + interval + 1);
    EXPECT_GE(g_sleeps, 1);
    // A late frame (50 ms) is shown at once and skips the passed grid points.
    g_fakeNow = grid + interval + 50;
    double before = g_fakeNow;
    pRbow->FlipScreens();
    EXPECT_LT(g_fakeNow - before, 0.5);
    // The next target is the first grid point after that moment: 5 intervals from the start.
    EXPECT_NEAR(pRbow->NextFrameTime(), grid + 5 * interval, 1e-6);
    // The following frame waits normally for that point.
    pRbow->FlipScreens();
    EXPECT_GT(g_fakeNow, grid + 5 * interval);
    EXPECT_LT(g_fakeNow, grid + 5 * interval + 1);
    pRbow->SetMaxFPS(0);
    EXPECT_DOUBLE_EQ(pRbow->FrameInterval(), 2.0);
    pRbow->SetMaxFPS(-5);
    EXPECT_DOUBLE_EQ(pRbow->FrameInterval(), 2.0);
    pRbow->SetMaxFPS(60);
}

// Frames of 3 ms each on a system whose sleeps all end 0.8 ms late, from frame 20
// on 0.05 ms. Every clock reading costs 0.01 ms, so the wake-ups measure 0.81 and
// 0.06 ms late. Frame 1 sleeps to 1.25 ms (first margins 1 + 0.25) before its
// point, wakes 0.44 ms before it, sleeps again to 0.25 ms before it and is shown
// 0.55 ms late; both margins become 0.86, and from frame 2 on every frame sleeps
// twice and is shown just after its point. With 500 remembered, two late wake-ups
// may go uncovered: each sleep's 19 late ones (frames 1 to 19) are down to two at
// frame 517, when the margins fall to the long one's floor (0.15) and 0.06 + 0.05.
TEST(FramePacing, LateWakeUpsKeepTheGrid) {
    PacedClock clock;
    pRbow->SetMaxFPS(60);
    const double interval = 1000.0 / 60;
    g_fakeNow = 2000;
    g_lateWakeUp = 0.8;
    pRbow->ForgetWakeUps();  // earlier tests' wake-ups are not this one's
    pRbow->StartFrameGrid();
    const double start = pRbow->NextFrameTime();
    pRbow->FlipScreens();  // the first flip does not wait
    std::vector<double> lateness;
    for (int frame = 1; frame <= 530; ++frame) {
        if (frame == 20) g_lateWakeUp = 0.05;
        g_fakeNow += 3;
        g_sleeps = 0;
        pRbow->FlipScreens();
        EXPECT_EQ(g_sleeps, 2) << frame;
        lateness.push_back(g_fakeNow - (start + frame * interval));
        const FramePacer& pacer = pRbow->Pacer();
        EXPECT_NEAR(pacer.Margin(), frame <= 516 ? 0.86 : FramePacer::kSmallestMargin, 1e-9)
            << frame;
        EXPECT_NEAR(pacer.SpinMargin(), frame <= 516 ? 0.86 : 0.11, 1e-9) << frame;
    }
    EXPECT_NEAR(lateness[0], 0.55, 0.05);
    for (int frame = 2; frame <= 530; ++frame) {
        EXPECT_GT(lateness[frame - 1], 0) << frame;
        EXPECT_LT(lateness[frame - 1], 0.05) << frame;
    }
    g_lateWakeUp = 0;
}

// The margin covers every wake-up remembered until 250 are, then all but the
// latest one, and from 500 on all but the two latest of the last 500: a single
// late wake-up no longer lifts it, a third one does. Nonsense readings (negative,
// not a number) count as punctual and lateness beyond reason is capped.
TEST(FramePacing, MarginLeavesTheRareLatestWakeUpsUncovered) {
    FramePacer pacer;
    EXPECT_DOUBLE_EQ(pacer.Margin(), FramePacer::kFirstMargin);
    pacer.LearnLateness(0.3);  // wake-up 1
    EXPECT_NEAR(pacer.Margin(), 0.35, 1e-12);
    pacer.LearnLateness(2.0);
    EXPECT_NEAR(pacer.Margin(), 2.05, 1e-12);
    pacer.LearnLateness(1.0);
    EXPECT_NEAR(pacer.Margin(), 2.05, 1e-12);
    auto learnOrdinary = [&](int wakeUp) {  // 0.2, or a reading that counts as punctual
        pacer.LearnLateness(wakeUp % 3 == 0 ? -1.0 : wakeUp % 3 == 1 ? std::nan("") : 0.2);
    };
    for (int wakeUp = 4; wakeUp <= 249; ++wakeUp) {
        learnOrdinary(wakeUp);
        EXPECT_NEAR(pacer.Margin(), 2.05, 1e-12) << wakeUp;
    }
    for (int wakeUp = 250; wakeUp <= 499; ++wakeUp) {  // the 2 ms one is let through
        learnOrdinary(wakeUp);
        EXPECT_NEAR(pacer.Margin(), 1.05, 1e-12) << wakeUp;
    }
    learnOrdinary(500);  // now the 1 ms one too
    EXPECT_NEAR(pacer.Margin(), 0.35, 1e-12);
    learnOrdinary(501);  // the 0.3 ms one leaves the 500 remembered
    EXPECT_NEAR(pacer.Margin(), 0.25, 1e-12);
    for (int wakeUp = 502; wakeUp <= 503; ++wakeUp) {  // the 2 ms and 1 ms ones leave too
        learnOrdinary(wakeUp);
        EXPECT_NEAR(pacer.Margin(), 0.25, 1e-12);
    }
    pacer.LearnLateness(3.0);  // one and then two late wake-ups among the 500: let through
    EXPECT_NEAR(pacer.Margin(), 0.25, 1e-12);
    pacer.LearnLateness(3.0);
    EXPECT_NEAR(pacer.Margin(), 0.25, 1e-12);
    pacer.LearnLateness(1.0);  // a third is covered, and so are the two above it
    EXPECT_NEAR(pacer.Margin(), 1.05, 1e-12);
    pacer.LearnLateness(50.0);
    EXPECT_NEAR(pacer.Margin(), 3.05, 1e-12);
    pacer.LearnLateness(50.0);
    EXPECT_NEAR(pacer.Margin(), 3.05, 1e-12);
    pacer.LearnLateness(50.0);
    EXPECT_NEAR(pacer.Margin(), FramePacer::kLargestMargin, 1e-12);
    for (int wakeUp = 0; wakeUp < 500; ++wakeUp) pacer.LearnLateness(0.0);
    EXPECT_NEAR(pacer.Margin(), FramePacer::kSmallestMargin, 1e-12);
    // The spin margin has bounds of its own: 0.05 ms at the least, 1 ms at the most.
    EXPECT_DOUBLE_EQ(pacer.SpinMargin(), FramePacer::kFirstSpinMargin);
    pacer.LearnSpinLateness(0.0);
    EXPECT_NEAR(pacer.SpinMargin(), 0.05, 1e-12);
    pacer.LearnSpinLateness(0.6);
    EXPECT_NEAR(pacer.SpinMargin(), 0.65, 1e-12);
    pacer.LearnSpinLateness(1.5);
    EXPECT_NEAR(pacer.SpinMargin(), 1.0, 1e-12);
}

// Messages are taken in once per wait, after the last sleep (a key pressed while
// sleeping counts in the coming frame), also when only busy waiting; a wait whose
// deadline has passed takes them in and returns at once.
TEST(FramePacing, MessagesAreTakenInAfterTheLastSleep) {
    struct PumpSeen {
        int calls = 0;
        int sleepsBefore = -1;
        double at = 0;
    } seen;
    auto pump = [](void* context) {
        auto* pumpSeen = static_cast<PumpSeen*>(context);
        ++pumpSeen->calls;
        pumpSeen->sleepsBefore = g_sleeps;
        pumpSeen->at = g_fakeNow;
    };
    FramePacer pacer;
    g_lateWakeUp = 0.02;
    g_sleeps = 0;
    g_fakeNow = 100;
    pacer.WaitUntil(116, {FakeNow, FakeSleepUntil}, pump, &seen);
    EXPECT_EQ(g_sleeps, 2);
    EXPECT_EQ(seen.calls, 1);
    EXPECT_EQ(seen.sleepsBefore, 2);
    // The short sleep ends 0.25 ms (the first spin margin) and 0.02 late before 116.
    EXPECT_NEAR(seen.at, 116 - FramePacer::kFirstSpinMargin + 0.02, 1e-9);
    EXPECT_GT(g_fakeNow, 116);
    EXPECT_LT(g_fakeNow, 116.02);

    seen = PumpSeen{};
    g_fakeNow = 200;
    pacer.WaitUntil(205, {FakeNow, nullptr}, pump, &seen);
    EXPECT_EQ(seen.calls, 1);
    EXPECT_GT(g_fakeNow, 205);

    seen = PumpSeen{};
    g_sleeps = 0;
    g_fakeNow = 300;
    pacer.WaitUntil(299, {FakeNow, FakeSleepUntil}, pump, &seen);
    EXPECT_EQ(seen.calls, 1);
    EXPECT_EQ(g_sleeps, 0);
    EXPECT_LT(g_fakeNow, 300.02);
    g_lateWakeUp = 0;
}

TEST(FramePacing, UnpacedDoesNotWaitAndTimerIsNeverZero) {
    {
        PacedClock clock;
        KvOptions().unpaced = true;
        g_fakeNow = 5000;
        pRbow->StartFrameGrid();
        pRbow->FlipScreens();
        double after = g_fakeNow;
        pRbow->FlipScreens();
        EXPECT_LT(g_fakeNow - after, 0.5);
    }
    OpenGLRainbows::SetFrameClock({[] { return 777.0; }, nullptr});
    SHOWSCREEN();
    SHOWSCREEN();
    EXPECT_EQ(GETTIMER(), 1);
    OpenGLRainbows::SetFrameClock(OpenGLRainbows::DefaultFrameClock());
    LIMITFPS(30);
    EXPECT_DOUBLE_EQ(pRbow->FrameInterval(), 1000.0 / 30);
    LIMITFPS(60);
}

// The cross-fade shows 51 frames of mixed pictures and one of the new picture; each
// flip moves the frame grid on by one interval.
TEST(Surfaces, BlendScreenFadesOverFiftyOneFramesAndOneMore) {
    std::string path = WriteTestFile("blend.bmp", MakeBitmap24(640, 480, [](int, int) {
                                         return TestRgb{0, 0, 200};
                                     }));
    FreshFrame();
    FILLRECT(0, 0, 640, 480, 0x0000FF);
    {
        PacedClock clock;
        pRbow->SetMaxFPS(60);
        g_fakeNow = 20000;
        pRbow->StartFrameGrid();
        double start = pRbow->NextFrameTime();
        BLENDSCREEN(path.c_str());
        EXPECT_NEAR((pRbow->NextFrameTime() - start) / pRbow->FrameInterval(), 52, 1e-6);
    }
    // The picture is the background now, drawn over the cleared frame, and drawing
    // afterwards is opaque again.
    EXPECT_EQ(pRbow->Surface(0)->columnCount, 10);
    EXPECT_EQ(pRbow->Surface(0)->rowCount, 8);
    EXPECT_EQ(pRbow->Surface(1)->columnCount, 0);
    EXPECT_PIXEL(300, 300, (TestRgb{0, 0, 200}));
    EXPECT_EQ(pRbow->alphaFactor, 1.0f);
    FILLRECT(0, 0, 10, 10, 0x00FF00);
    EXPECT_PIXEL(5, 5, kGreen);
    BLACKSCREEN();
}

// A font or background file that is there but cannot be loaded ends the program with
// runtime error 3 and the line of the command.
TEST(LoaderErrors, UnloadableFontOrBackgroundIsError3) {
    std::vector<uint8_t> sixteenBits = HoleSprite();
    PutLE(sixteenBits, 28, 16, 2);  // the header reads, the bit depth is refused
    std::string bad = WriteTestFile("bad16.bmp", sixteenBits);
    std::string good = WriteTestFile("good_font.bmp", TestFont());
    const std::string want = "-End On Line\r\n3\r\n4321\r\n4321\r\n";
    auto logOfChild = [] {
        std::FILE* file = std::fopen(KvErrorLogPath().c_str(), "rb");
        std::string text;
        if (!file) return text;
        char chunk[256];
        for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
            text.append(chunk, n);
        std::fclose(file);
        return text;
    };
    auto anyExit = [](int) { return true; };
    EXPECT_EXIT((__dLn(1, 4321), LOADFONT(bad.c_str(), 4)), anyExit, "");
    EXPECT_NE(logOfChild().find(want), std::string::npos) << logOfChild();
    EXPECT_EXIT((__dLn(1, 4321), LOADBMP(bad.c_str())), anyExit, "");
    EXPECT_NE(logOfChild().find(want), std::string::npos) << logOfChild();
    EXPECT_EXIT((__dLn(1, 4321), BLENDSCREEN(bad.c_str())), anyExit, "");
    EXPECT_NE(logOfChild().find(want), std::string::npos) << logOfChild();
    // A good font, a missing one and a failed sprite do not end the program.
    LOADFONT(good.c_str(), 4);
    LOADFONT("/nonexistent/font.bmp", 4);
    LOADSPRITE(bad.c_str(), 40);
    EXPECT_EQ(pRbow->TextureWidth(40), -1);
    EXPECT_EQ(pRbow->TextureWidth(kFontSlotBase + 4), 128);
    SETFONT(0);
}

namespace {
// Draws a scene on the default path (atlas pages, batching, culling) and with one
// fan per sprite from the pictures' own textures; counts the differing bytes.
std::size_t PixelsDifferingInThisFrame(const std::function<void()>& scene) {
    std::vector<uint8_t> batched, fans;
    pRbow->SetBatching(true);
    FreshFrame();
    scene();
    pRbow->ReadFrame(0, 0, 640, 480, batched);
    pRbow->SetBatching(false);
    FreshFrame();
    scene();
    pRbow->ReadFrame(0, 0, 640, 480, fans);
    pRbow->SetBatching(true);
    EXPECT_EQ(batched.size(), fans.size());
    std::size_t differing = 0;
    for (std::size_t i = 0; i < batched.size() && i < fans.size(); ++i)
        differing += batched[i] != fans[i];
    return differing;
}

// Compared in the off-screen frame (before the first flip) and in the window, which
// the flip makes the frame (headless, it has the frame's size): there the software
// renderer takes its fast path for the rectangles it can.
std::size_t PixelsDifferingFromOneFanPerSprite(const std::function<void()>& scene) {
    std::size_t differing = PixelsDifferingInThisFrame(scene);
    SHOWSCREEN();
    GLint drawnInto = -1;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawnInto);
    EXPECT_EQ(drawnInto, 0) << "the window is not the frame";
    return differing + PixelsDifferingInThisFrame(scene);
}

// Whether anything but black was drawn.
bool AnythingDrawn() {
    std::vector<uint8_t> rgb;
    pRbow->ReadFrame(0, 0, 640, 480, rgb);
    return std::any_of(rgb.begin(), rgb.end(), [](uint8_t b) { return b != 0; });
}

void LoadBatchPictures() {
    Load("batch_a.bmp", HoleSprite(), 30);
    Load("batch_b.bmp",
         MakeBitmap24(13, 7,
                      [](int x, int y) {
                          return TestRgb{uint8_t(x * 19), uint8_t(y * 33), 90};
                      }),
         31);
    // Opaque to its edges, so that filtering across the picture's edge shows.
    Load("batch_c.bmp",
         MakeBitmap24(16, 16,
                      [](int x, int y) {
                          return TestRgb{uint8_t(40 + x * 12), uint8_t(250 - y * 9), uint8_t(x ^ y)};
                      }),
         32);
    // A second picture of 32 x 32: another layer of the first one's page.
    Load("batch_d.bmp",
         MakeBitmap24(32, 32, [](int x, int y) {
             return (x + y) % 11 == 0 ? kKey : TestRgb{uint8_t(x * 8), 90, uint8_t(y * 8)};
         }),
         33);
    LOADFONT(WriteTestFile("font.bmp", TestFont()).c_str(), 2);
}
}  // namespace

// Sprites, zoomed, stretched and turned ones, text and primitives in every alpha mode.
TEST(Batching, AtlasPagesDrawTheSamePixelsAsOneFanPerSprite) {
    LoadBatchPictures();
    // The pictures are on pages (one per cell size), so the comparison is between
    // pages and the pictures' own textures.
    for (int slot : {30, 31, 32, kFontSlotBase + 2}) EXPECT_NE(pRbow->PageOf(slot).texture, 0u);
    EXPECT_NE(pRbow->PageOf(30).texture, pRbow->PageOf(32).texture);  // 32 x 32 and 16 x 16 cells
    EXPECT_EQ(pRbow->PageOf(30).texture, pRbow->PageOf(33).texture);
    EXPECT_TRUE(pRbow->PageOf(30).x != pRbow->PageOf(33).x ||
                pRbow->PageOf(30).y != pRbow->PageOf(33).y);
    auto scene = [] {
        for (int i = 0; i < 200; ++i) SPRITE(30 + (i / 7) % 4, (i * 37) % 600, (i * 53) % 440);
        ZOOMSPRITE(31, 300, 200, 3.3, 1.7);
        ZOOMSPRITE(32, 100, 100, 5.5, 5.5);
        ZOOMSPRITE(32, 200, 60, 0.37, 0.6);
        STRETCHSPRITE(31, 400, 300, -40, -30);
        ROTOZOOMSPRITE(31, 50, 400, 33, 2.5);
        ROTOZOOMSPRITE(32, 450, 150, 217, 3.7);
        ROTOSPRITE(30, 500, 50, 45);
        PRINT("Punkte 1230 Leben 3", 20, 440);
        ALPHAMODE(0.5);
        for (int i = 0; i < 50; ++i) SPRITE(31 + i % 2, (i * 11) % 600, (i * 29) % 440);
        ALPHAMODE(-0.7);
        SPRITE(30, 320, 240);
        ROTOZOOMSPRITE(32, 320, 300, 10, 1.5);
        ALPHAMODE(0);
        FILLRECT(0, 470, 640, 480, 0x203040);
        SPRITE(31, 600, 470);
        PRINT("0123456789 ABC xyz", 300, 465);
    };
    EXPECT_EQ(PixelsDifferingFromOneFanPerSprite(scene), 0u);
    SETFONT(0);
}

// Sprites, zoomed and turned sprites and text across and just beyond each edge of the
// screen: what shows of them is the same, and those wholly outside draw nothing.
TEST(Batching, CullingAtEveryEdgeOfTheScreen) {
    LoadBatchPictures();
    auto acrossEdges = [] {
        for (int d = -34; d <= 2; d += 3) {
            SPRITE(30, d, 100 + d);          // left edge
            SPRITE(32, 640 - 16 - d, 200);   // right edge
            SPRITE(31, 300 + d, d);          // top edge
            SPRITE(30, 100 - d, 480 - 32 - d);  // bottom edge
            ROTOZOOMSPRITE(32, d - 10, 300, 45 + d, 2.2);
            ROTOZOOMSPRITE(32, 650 + d, 100, 30 - d, 1.9);
            ZOOMSPRITE(31, 400, 485 + d, 2.5, 2.5);
        }
        PRINT("am linken Rand", -50, 240);
        PRINT("am oberen Rand", 200, -10);
        PRINT("am rechten Rand", 600, 300);
    };
    EXPECT_EQ(PixelsDifferingFromOneFanPerSprite(acrossEdges), 0u);
    FreshFrame();
    acrossEdges();
    EXPECT_TRUE(AnythingDrawn());
    // Wholly outside, at every edge, also turned and zoomed: a black frame.
    FreshFrame();
    SPRITE(30, -32, 100);
    SPRITE(30, 640, 100);
    SPRITE(30, 100, -32);
    SPRITE(30, 100, 480);
    ZOOMSPRITE(32, -40, 200, 2, 2);  // 32 x 32 from x = -48
    ROTOZOOMSPRITE(32, -40, 200, 45, 1.4);  // the diagonal is 22.4 wide about x = -32
    ROTOZOOMSPRITE(32, 660, 200, 45, 1.4);
    PRINT("ganz draussen", 0, 490);
    PRINT("ganz draussen", -200, 10);
    EXPECT_FALSE(AnythingDrawn());
    SETFONT(0);
}

// A frame like a level: rows of tiles scrolling past both sides, ladders, walls,
// stars and aliens, most of them outside the screen, and the status line.
TEST(Batching, LevelLikeFrameIsTheSameAsOneFanPerSprite) {
    LoadBatchPictures();
    auto level = [] {
        for (int i = 0; i < 100; ++i) SPRITE(31, (i * 131) % 700 - 30, (i * 71) % 500 - 10);
        for (int i = 0; i < 300; ++i)
            SPRITE(i % 3 ? 30 : 33, i * 32 % 2400 - 900, 64 + (i / 75) * 96);
        for (int i = 0; i < 70; ++i) SPRITE(32, (i * 97) % 1400 - 400, (i * 43) % 448);
        for (int i = 0; i < 5; ++i) ZOOMSPRITE(30, 3 + 32 * i, 448, 0.5, 0.5);
        PRINT("Punkte 001230  Leben 3", 10, 462);
    };
    EXPECT_EQ(PixelsDifferingFromOneFanPerSprite(level), 0u);
    SETFONT(0);
}

namespace {
// A 20 x 12 picture with keyed texels on a diagonal band: its texture is 32 x 16.
TestRgb BandPicture(int x, int top) {
    return (x + top) % 7 == 0 ? kKey : TestRgb{uint8_t(10 * x + 3), uint8_t(20 * top + 5), 77};
}

// Level `level` of a 2D texture as RGBA bytes.
std::vector<uint8_t> TextureTexels(unsigned int name, int level, int width, int height) {
    std::vector<uint8_t> texels(std::size_t(width) * height * 4);
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    pRbow->SetTexture3D(-1, -1, 0);
    glBindTexture(GL_TEXTURE_2D, 0);
    return texels;
}

// Texels of a picture in the lower left of its texture, bottom row first; keyed and
// outer texels transparent.
void ExpectPictureTexels(const std::vector<uint8_t>& texels, int textureWidth, int textureHeight,
                         int width, int height, TestRgb (*picture)(int x, int top)) {
    int wrong = 0;
    for (int y = 0; y < textureHeight; ++y)
        for (int x = 0; x < textureWidth; ++x) {
            const uint8_t* t = &texels[(std::size_t(y) * textureWidth + x) * 4];
            bool inside = x < width && y < height;
            TestRgb c = inside ? picture(x, height - 1 - y) : kKey;
            bool keyed = c.r == kKey.r && c.g == kKey.g && c.b == kKey.b;
            bool same =
                keyed ? t[3] == 0 : t[0] == c.r && t[1] == c.g && t[2] == c.b && t[3] == 255;
            wrong += !same;
        }
    EXPECT_EQ(wrong, 0);
}
}  // namespace

// A loaded picture lives on its page alone: drawing, primitives and collisions leave
// it there; a turned sprite gets it a texture of its own with the file's texels, and
// the mipmapped texture is made on its first selection from the same texels.
TEST(PicturesOnPages, HeldOnceUntilAPathNeedsTheirOwnTexture) {
    Load("band.bmp", MakeBitmap24(20, 12, BandPicture), 40);
    ASSERT_NE(pRbow->PageOf(40).texture, 0u);
    EXPECT_EQ(pRbow->TextureName(40, 0), 0u);
    EXPECT_EQ(pRbow->TextureName(40, 1), 0u);
    FreshFrame();
    SPRITE(40, 100, 100);
    FILLRECT(0, 0, 4, 4, 0x808080);
    SPRITE(40, 130, 100);
    EXPECT_PIXEL(101, 100, (TestRgb{13, 5, 77}));
    EXPECT_TRUE(pRbow->SpriteCollision(40, 40, 0, 0, 3, 0));
    EXPECT_EQ(pRbow->TextureName(40, 0), 0u);
    ROTOSPRITE(40, 200, 200, 90);
    unsigned int own = pRbow->TextureName(40, 0);
    ASSERT_NE(own, 0u);
    std::vector<uint8_t> plain = TextureTexels(own, 0, 32, 16);
    ExpectPictureTexels(plain, 32, 16, 20, 12, BandPicture);
    EXPECT_EQ(pRbow->TextureName(40, 1), 0u);
    pRbow->SetTexture3D(40, -1, 1);
    unsigned int mipmapped = pRbow->TextureName(40, 1);
    ASSERT_NE(mipmapped, 0u);
    EXPECT_EQ(TextureTexels(mipmapped, 0, 32, 16), plain);
    // The runtime's own reduction of the file's texels (as a load made it before).
    std::vector<uint8_t> next;
    int nextWidth = 0, nextHeight = 0;
    MakeNextMipLevel(plain, 32, 16, next, nextWidth, nextHeight);
    EXPECT_EQ(TextureTexels(mipmapped, 1, nextWidth, nextHeight), next);
    pRbow->FreeSprite(40);
    EXPECT_EQ(pRbow->TextureName(40, 0), 0u);
    EXPECT_EQ(pRbow->TextureName(40, 1), 0u);
}

namespace {
// Picture n of the growing page: 8 x 8 of one colour with a keyed centre texel.
std::vector<uint8_t> NumberedPicture(int n) {
    return MakeBitmap24(8, 8, [n](int x, int y) {
        return x == 4 && y == 4 ? kKey : TestRgb{uint8_t(5 * n + 1), uint8_t(250 - 5 * n), 33};
    });
}
}  // namespace

// Forty pictures of one cell size: the page starts small and grows as they come, each
// keeps a cell of its own, and every one draws its own texels, as one fan per sprite
// does.
TEST(PicturesOnPages, APageGrowsWithoutLosingItsPictures) {
    for (int n = 0; n < 40; ++n)
        Load("numbered_" + std::to_string(n) + ".bmp", NumberedPicture(n), 200 + n);
    std::vector<std::pair<int, int>> cells;
    for (int n = 0; n < 40; ++n) {
        AtlasPages::Cell place = pRbow->PageOf(200 + n);
        EXPECT_EQ(place.texture, pRbow->PageOf(200).texture) << n;
        EXPECT_EQ(place.x % 8 + place.y % 8, 0) << n;
        EXPECT_TRUE(place.x + 8 <= place.pageWidth && place.y + 8 <= place.pageHeight) << n;
        cells.emplace_back(place.x, place.y);
    }
    std::sort(cells.begin(), cells.end());
    EXPECT_EQ(std::unique(cells.begin(), cells.end()), cells.end());
    auto scene = [] {
        for (int n = 0; n < 40; ++n) SPRITE(200 + n, 10 + 12 * n, 50 + (n % 3) * 10);
        ZOOMSPRITE(239, 300, 300, 3.5, 2.5);
    };
    FreshFrame();
    scene();
    for (int n = 0; n < 40; ++n) {
        TestRgb colour{uint8_t(5 * n + 1), uint8_t(250 - 5 * n), 33};
        EXPECT_PIXEL(10 + 12 * n, 50 + (n % 3) * 10, colour);
        EXPECT_PIXEL(14 + 12 * n, 54 + (n % 3) * 10, kBlack);  // the keyed texel
    }
    EXPECT_EQ(PixelsDifferingFromOneFanPerSprite(scene), 0u);
    for (int n = 0; n < 40; ++n) pRbow->FreeSprite(200 + n);
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Death-test children start afresh (no fork of a process with a GL context) and
    // write the error log into a folder of this run, which the parent reads and removes.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    std::string ownFolder;
    if (!std::getenv("KIP_GFX_TEST_DIR")) {
        if (!MakePrivateFolder("kip_gfx_run_", ownFolder)) return 1;
        setenv("KIP_GFX_TEST_DIR", ownFolder.c_str(), 1);
    }
    setenv("TMPDIR", std::getenv("KIP_GFX_TEST_DIR"), 1);
    ::testing::AddGlobalTestEnvironment(new RuntimeEnvironment);
    int result = RUN_ALL_TESTS();
    if (!ownFolder.empty()) std::filesystem::remove_all(ownFolder);
    return result;
}
