// Random numbers, maths, string commands, box collisions and the sprite-mask test.
#include "maths/Maths.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "maths/MaskOverlap.h"
#include "maths/Random.h"

namespace {
const double kNaN = std::numeric_limits<double>::quiet_NaN();

std::string Str(const KvStr& s) { return s.GetStrData(); }
}  // namespace

TEST(Random, KnownSequenceAfterTheFirstSeeding) {
    KvRandomState() = IsaacContext{};
    Velsrand(12345);
    EXPECT_EQ(KvRandomState().count, 256u);
    const uint32_t expected[] = {0xC79536EE, 0xF1C4793D, 0xC0BCF2A7, 0x8B207367, 0xBDD9D687};
    for (uint32_t value : expected) EXPECT_EQ(Velrand(), value);
}

// Seeding again mixes in the last results, so the same seed does not replay the
// first sequence, but the same history always gives the same numbers.
TEST(Random, ReseedingDependsOnTheLastResults) {
    auto secondSequence = [] {
        IsaacContext ctx;
        IsaacSeed(ctx, 12345);
        for (int i = 0; i < 5; ++i) IsaacRound(ctx);
        IsaacSeed(ctx, 12345);
        std::vector<uint32_t> out;
        for (int i = 0; i < 5; ++i) {
            IsaacRound(ctx);
            out.push_back(ctx.results[0]);
        }
        return out;
    };
    std::vector<uint32_t> a = secondSequence();
    EXPECT_EQ(a, secondSequence());
    EXPECT_NE(a[0], 0xC79536EEu);
    // Through the commands: a seed on a fresh state equals the context version.
    KvRandomState() = IsaacContext{};
    Velsrand(12345);
    for (int i = 0; i < 5; ++i) Velrand();
    Velsrand(12345);
    for (uint32_t value : a) EXPECT_EQ(Velrand(), value);
    // Only the low 32 bits of the seed count.
    IsaacContext low, high;
    IsaacSeed(low, 77);
    KvRandomState() = IsaacContext{};
    Velsrand(static_cast<unsigned long>(0x100000000ull + 77));
    high = KvRandomState();
    EXPECT_EQ(low.results[0], high.results[0]);
}

TEST(Random, RndStaysWithinItsBound) {
    Velsrand(99);
    bool seen[2] = {false, false};
    int tallies[8] = {};
    for (int i = 0; i < 3000; ++i) {
        EXPECT_EQ(RND(0), 0);
        double one = RND(1);
        ASSERT_TRUE(one == 0 || one == 1);
        seen[static_cast<int>(one)] = true;
        double big = RND(1919);
        ASSERT_GE(big, 0);
        ASSERT_LE(big, 1919);
        ASSERT_EQ(big, std::floor(big));
        double small = RND(7.9);  // truncated to 7
        ASSERT_GE(small, 0);
        ASSERT_LE(small, 7);
        ++tallies[static_cast<int>(small)];
    }
    EXPECT_TRUE(seen[0] && seen[1]);
    for (int count : tallies) EXPECT_GT(count, 250);  // about 375 each
    // A bound truncating to -1 has nothing to draw from.
    EXPECT_EQ(RND(-1), 0);
    EXPECT_EQ(RND(-1.5), 0);
}

TEST(Maths, DegreesAndSaturation) {
    EXPECT_NEAR(SIN(90), 1, 1e-9);
    EXPECT_NEAR(COS(180), -1, 1e-9);
    EXPECT_NEAR(TAN(45), 1, 1e-8);
    EXPECT_NEAR(ATAN(1, 1), 45, 1e-6);
    EXPECT_NEAR(ATAN(0, -1), 180, 1e-5);
    EXPECT_EQ(ASIN(2), 90);
    EXPECT_EQ(ASIN(1), 90);
    EXPECT_EQ(ASIN(-1.5), -90);
    EXPECT_NEAR(ASIN(0.5), 30, 1e-6);
    EXPECT_EQ(ACOS(-5), 180);
    EXPECT_EQ(ACOS(1), 0);
    EXPECT_NEAR(ACOS(0.5), 60, 1e-6);
    EXPECT_EQ(SQR(16), 4);
    EXPECT_EQ(POW(2, 10), 1024);
    EXPECT_EQ(ABS(-3.5), 3.5);
    EXPECT_EQ(ABS(2), 2);
}

TEST(Maths, ModTruncatesAndFollowsTheDividend) {
    EXPECT_EQ(MOD(7.9, 2.5), 1);
    EXPECT_EQ(MOD(-7, 3), -1);
    EXPECT_EQ(MOD(7, -3), 1);
    EXPECT_EQ(MOD(5, 0), 0);
    EXPECT_EQ(MOD(5, 0.5), 0);
    EXPECT_EQ(MOD(5, -0.9), 0);
    // The smallest 32-bit number by -1 must not trap.
    EXPECT_EQ(MOD(-2147483648.0, -1), 0);
    EXPECT_EQ(MOD(kNaN, -1), 0);
    EXPECT_EQ(MOD(10, kNaN), 10);  // NaN truncates to the smallest 32-bit number
}

TEST(Strings, LengthOfTextsAndNumbers) {
    EXPECT_EQ(LEN(KvStr("abc")), 3);
    EXPECT_EQ(LEN(KvStr("")), 0);
    EXPECT_EQ(LEN(3.5), 3);
    EXPECT_EQ(LEN(1e20), 5);  // "1e+20"
    EXPECT_EQ(LEN(-0.25), 5);
}

TEST(Strings, MidCutsWithinTheText) {
    KvStr hello("HELLO");
    EXPECT_EQ(Str(MID_Str(hello, 1, 3)), "ELL");
    EXPECT_EQ(Str(MID_Str(hello, 3, 10)), "LO");
    EXPECT_EQ(Str(MID_Str(hello, 0, 5)), "HELLO");
    EXPECT_EQ(Str(MID_Str(hello, 5, 1)), "");
    EXPECT_EQ(Str(MID_Str(hello, -1, 2)), "");
    EXPECT_EQ(Str(MID_Str(hello, 6, 1)), "");
    EXPECT_EQ(Str(MID_Str(hello, 1.7, 2)), "EL");
    EXPECT_EQ(Str(MID_Str(hello, 2, 0)), "");
    // A negative count runs past the end when compared unsigned: the rest of the text.
    EXPECT_EQ(Str(MID_Str(hello, 1, -3)), "ELLO");
    EXPECT_EQ(Str(MID_Str(hello, kNaN, 2)), "");
    EXPECT_EQ(Str(MID_Str(hello, 1, kNaN)), "ELLO");  // as the negative count
    EXPECT_EQ(Str(MID_Str(hello, 1, 1e300)), "ELLO");
}

TEST(Strings, AscAndChrUseSignedBytes) {
    EXPECT_EQ(ASC(KvStr("A")), 65);
    EXPECT_EQ(ASC(KvStr("")), 0);
    EXPECT_EQ(ASC(KvStr("\xE9t\xE9")), -23);  // e acute in the Windows code page
    EXPECT_EQ(Str(CHR_Str(65)), "A");
    EXPECT_EQ(Str(CHR_Str(65.9)), "A");
    EXPECT_EQ(Str(CHR_Str(256 + 66)), "B");
    EXPECT_EQ(Str(CHR_Str(0)), "");
    EXPECT_EQ(Str(CHR_Str(256)), "");
    EXPECT_EQ(ASC(CHR_Str(233)), -23);
    EXPECT_EQ(ASC(CHR_Str(-23)), -23);
}

TEST(Strings, FormatStaysWithinTheString) {
    EXPECT_EQ(Str(FORMAT_Str(6, 2, 3.14159)), "  3.14");
    EXPECT_EQ(Str(FORMAT_Str(0, 0, 2.5)), "2");
    EXPECT_EQ(Str(FORMAT_Str(-6, 1, 3.14159)), "3.1   ");
    EXPECT_EQ(Str(FORMAT_Str(1, 3.9, -1)), "-1.000");
    EXPECT_EQ(Str(FORMAT_Str(0, -2, 0.5)), "0.500000");
    // A field wider than the string: the padding is narrowed, the number stays whole
    // at the field's right (or, left-aligned, its left) end.
    KvStr wide = FORMAT_Str(1e9, 2, 3.14159);
    EXPECT_EQ(wide.Length(), KvStr::kBufferSize - 1);
    EXPECT_EQ(std::string(wide.GetStrData()), std::string(1019, ' ') + "3.14");
    EXPECT_EQ(std::string(FORMAT_Str(1030, 0, 1).GetStrData()), std::string(1022, ' ') + "1");
    EXPECT_EQ(std::string(FORMAT_Str(1024, 1, -2).GetStrData()), std::string(1019, ' ') + "-2.0");
    EXPECT_EQ(std::string(FORMAT_Str(-1030, 0, 7).GetStrData()), "7" + std::string(1022, ' '));
    EXPECT_EQ(std::string(FORMAT_Str(1023, 0, 12).GetStrData()), std::string(1021, ' ') + "12");
    KvStr precise = FORMAT_Str(0, 5000, 1.0 / 3);
    EXPECT_EQ(precise.Length(), KvStr::kBufferSize - 1);
    EXPECT_EQ(std::string(precise.GetStrData(), 6), "0.3333");
    KvStr huge = FORMAT_Str(10, 2, 1e300);
    EXPECT_EQ(huge.Length(), 304);
    EXPECT_EQ(huge.GetAt(0), '1');
}

TEST(Collision, BoxesTouchingOrOverlapping) {
    double r = -1;
    BOXCOLL(r, 0, 0, 10, 10, 10, 0, 10, 10);  // shared edge
    EXPECT_EQ(r, 1);
    BOXCOLL(r, 0, 0, 10, 10, 10.001, 0, 10, 10);
    EXPECT_EQ(r, 0);
    BOXCOLL(r, 0, 0, 10, 10, 10, 10, 5, 5);  // shared corner
    EXPECT_EQ(r, 1);
    BOXCOLL(r, 0, 0, -10, 10, -5, 0, 2, 2);  // a negative width reverses the box
    EXPECT_EQ(r, 1);
    BOXCOLL(r, 0, 0, 10, -10, 2, -5, 1, 1);
    EXPECT_EQ(r, 1);
    BOXCOLL(r, 0, 0, 10, 10, 2, 11, 1, 1);  // overlap on x only
    EXPECT_EQ(r, 0);
    BOXCOLL(r, 0, 0, 10, 10, 11, 2, 1, 1);  // overlap on y only
    EXPECT_EQ(r, 0);
    BOXCOLL(r, 5, 5, 0, 0, 0, 0, 10, 10);  // a point inside a box
    EXPECT_EQ(r, 1);
    BOXCOLL(r, 0, 0, 10, 10, 2, 2, 3, 3);  // one inside the other
    EXPECT_EQ(r, 1);
    BOXCOLL(r, kNaN, 0, 10, 10, 0, 0, 10, 10);
    EXPECT_EQ(r, 0);
}

// The pixel test of SPRCOLL on masks written out here: rows bottom first, the
// first mask counts any non-zero alpha, the second only full opacity.
TEST(Collision, MasksOverlapWhereTheFirstIsSetOnAFullyOpaqueTexel) {
    // 4 x 2 pictures in 4 x 2 textures. A: the left half set (faintly); B: only
    // its right column fully opaque, its third column half transparent.
    const uint8_t aAlpha[8] = {1, 1, 0, 0, 1, 1, 0, 0};
    const uint8_t bAlpha[8] = {0, 0, 128, 255, 0, 0, 128, 255};
    SpriteMask a{aAlpha, 4, 2, 4, 2}, b{bAlpha, 4, 2, 4, 2};
    EXPECT_TRUE(MasksOverlap(a, 0, 0, b, -2, 0));   // B's right column on A's second
    EXPECT_TRUE(MasksOverlap(a, 0, 0, b, -3, 0));   // ... on A's first
    EXPECT_FALSE(MasksOverlap(a, 0, 0, b, -1, 0));  // B's opaque column on A's empty third
    EXPECT_FALSE(MasksOverlap(a, 0, 0, b, 0, 0));   // only B's half-transparent texels meet A's
    EXPECT_FALSE(MasksOverlap(a, 0, 0, b, -2, 2));  // rows apart
    EXPECT_TRUE(MasksOverlap(a, 0, 0, b, -2, 1));   // one row in common
    // The test is not symmetric: B first asks for A's fully opaque texels, of which there are none.
    EXPECT_FALSE(MasksOverlap(b, -2, 0, a, 0, 0));
    // A picture taller than its texture: the rows without texels never collide.
    SpriteMask tall{aAlpha, 4, 2, 4, 6};
    EXPECT_FALSE(MasksOverlap(tall, 0, 0, b, -2, 0));  // B meets the top rows, which have no texels
    EXPECT_TRUE(MasksOverlap(tall, 0, 0, b, -2, 4));   // the bottom two rows are the texture
    SpriteMask none{nullptr, 4, 2, 4, 2};
    EXPECT_FALSE(MasksOverlap(none, 0, 0, b, -2, 0));
}

TEST(Collision, PictureRectanglesMeetWhenTouching) {
    EXPECT_TRUE(PictureRectanglesMeet(8, 8, 0, 0, 8, 8, 7, 7));
    EXPECT_TRUE(PictureRectanglesMeet(8, 8, 0, 0, 8, 8, 8, 8));  // corners touch
    EXPECT_FALSE(PictureRectanglesMeet(8, 8, 0, 0, 8, 8, 9, 0));
    EXPECT_FALSE(PictureRectanglesMeet(8, 8, 0, 0, 8, 8, 0, -9));
}
