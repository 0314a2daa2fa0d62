// The frame scaled on the processor: nearest at whole factors gives each texel a
// square of pixels, exactly; filtered scaling stays within rounding of bilinear
// sampling worked out here in doubles (pixel centres lined up, edges clamped); and
// nothing outside the target's rows is written.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "gfx/FrameScaler.h"

namespace {
// Every texel differs from its neighbours in each channel; the unused byte is 0.
uint32_t Texel(int x, int y) {
    uint32_t blue = uint32_t(x * 7 + y * 3) & 0xFF, green = uint32_t(x * 2 + y * 9 + 40) & 0xFF;
    uint32_t red = uint32_t(x * 5 + y * 5 + 90) & 0xFF;
    return red << 16 | green << 8 | blue;
}

struct Picture {
    std::vector<uint32_t> pixels;
    PixelBlock block;
    Picture(int width, int height, int stride, uint32_t fill)
        : pixels(std::size_t(stride) * height, fill) {
        block = PixelBlock{pixels.data(), width, height, stride};
    }
    uint32_t At(int x, int y) const { return pixels[std::size_t(y) * block.stride + x]; }
};

Picture Pattern(int width, int height) {
    Picture picture(width, height, width, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) picture.pixels[std::size_t(y) * width + x] = Texel(x, y);
    return picture;
}

int Channel(uint32_t pixel, int c) { return int(pixel >> (8 * c)) & 0xFF; }

// Bilinear sampling as OpenGL's linear blit does it.
double Bilinear(int fromW, int fromH, int toW, int toH, int x, int y, int c) {
    double u = (x + 0.5) * fromW / toW - 0.5, v = (y + 0.5) * fromH / toH - 0.5;
    int u0 = int(std::floor(u)), v0 = int(std::floor(v));
    double fu = u - u0, fv = v - v0;
    auto texel = [&](int tx, int ty) {
        return Channel(Texel(std::clamp(tx, 0, fromW - 1), std::clamp(ty, 0, fromH - 1)), c);
    };
    double top = texel(u0, v0) * (1 - fu) + texel(u0 + 1, v0) * fu;
    double bottom = texel(u0, v0 + 1) * (1 - fu) + texel(u0 + 1, v0 + 1) * fu;
    return top * (1 - fv) + bottom * fv;
}
}  // namespace

TEST(FrameScaler, WholeFactorsToTheNearestTexelGiveSquaresOfOneTexel) {
    for (int factor : {1, 2, 3}) {
        Picture from = Pattern(64, 48);
        Picture to(64 * factor, 48 * factor, 64 * factor, 0xDEADBEEF);
        FrameScaler().Scale(from.block, to.block, false);
        int wrong = 0;
        for (int y = 0; y < to.block.height; ++y)
            for (int x = 0; x < to.block.width; ++x)
                wrong += (to.At(x, y) & 0xFFFFFF) != Texel(x / factor, y / factor);
        EXPECT_EQ(wrong, 0) << "factor " << factor;
    }
}

TEST(FrameScaler, FilteredScalingFollowsBilinearSampling) {
    // 2.25 (640 x 480 on 1080 rows, scaled down here), 1.5625, a width that is no
    // multiple of 4 pixels, and a shrink.
    const int sizes[][4] = {
        {64, 48, 144, 108}, {64, 48, 100, 75}, {64, 48, 99, 74}, {64, 48, 40, 30}};
    for (const auto& size : sizes) {
        Picture from = Pattern(size[0], size[1]);
        Picture to(size[2], size[3], size[2], 0);
        FrameScaler().Scale(from.block, to.block, true);
        int far = 0, between = 0;
        double worst = 0;
        for (int y = 0; y < size[3]; ++y)
            for (int x = 0; x < size[2]; ++x)
                for (int c = 0; c < 3; ++c) {
                    double expected = Bilinear(size[0], size[1], size[2], size[3], x, y, c);
                    int shown = Channel(to.At(x, y), c);
                    // The library cuts the sample's position to 1/128 of a texel: next
                    // to a step of 255 that moves the value by up to 2, and the
                    // result is rounded once more.
                    far += std::abs(shown - expected) > 3;
                    worst = std::max(worst, std::abs(shown - expected));
                    between += std::abs(expected - std::round(expected)) > 0.1;
                }
        EXPECT_EQ(far, 0) << size[2] << " x " << size[3] << " worst " << worst;
        EXPECT_GT(between, size[2] * size[3] / 4) << "the sizes ask for filtering";
    }
}

TEST(FrameScaler, WritesOnlyTheTargetsOwnPixels) {
    // A target inside a wider picture (a stride of 50 for 40 pixels) keeps what lies
    // beside it; empty blocks change nothing.
    Picture from = Pattern(20, 10);
    Picture to(40, 20, 50, 0x12345678);
    FrameScaler().Scale(from.block, to.block, true);
    int touchedBeside = 0, drawn = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 50; ++x) {
            if (x >= 40)
                touchedBeside += to.At(x, y) != 0x12345678;
            else
                drawn += to.At(x, y) != 0x12345678;
        }
    EXPECT_EQ(touchedBeside, 0);
    EXPECT_EQ(drawn, 40 * 20);

    Picture untouched(40, 20, 40, 0x12345678);
    FrameScaler().Scale(PixelBlock{}, untouched.block, true);
    FrameScaler().Scale(from.block, PixelBlock{untouched.pixels.data(), 0, 20, 40}, true);
    FrameScaler().Scale(PixelBlock{from.pixels.data(), 20, 10, 5}, untouched.block,
                        false);  // stride < width
    EXPECT_TRUE(std::all_of(untouched.pixels.begin(), untouched.pixels.end(),
                            [](uint32_t p) { return p == 0x12345678; }));
}
