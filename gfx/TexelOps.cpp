// Mipmap reduction, detail normal map and the 24-bit snapshot file.
#include "gfx/TexelOps.h"

#include <cmath>
#include <cstdio>

#include "bytes/LittleEndian.h"

void MakeNextMipLevel(const std::vector<uint8_t>& level, int width, int height,
                      std::vector<uint8_t>& next, int& nextWidth, int& nextHeight) {
    nextWidth = width > 1 ? width / 2 : 1;
    nextHeight = height > 1 ? height / 2 : 1;
    next.assign(std::size_t(nextWidth) * nextHeight * 4, 0);
    auto at = [&](int x, int y, int ch) {
        return int(level[(std::size_t(y) * width + x) * 4 + ch]);
    };
    for (int y = 0; y < nextHeight; ++y) {
        for (int x = 0; x < nextWidth; ++x) {
            bool innerX = x < nextWidth - 1;
            bool innerY = y < nextHeight - 1;
            for (int ch = 0; ch < 4; ++ch) {
                int a = at(2 * x, 2 * y, ch);
                int value = a;
                if (innerX && innerY)
                    value = (4 * a + 2 * at(2 * x + 1, 2 * y, ch) +
                             2 * at(2 * x + 1, 2 * y + 2, ch) + at(2 * x, 2 * y + 2, ch)) /
                            9;
                else if (innerX)
                    value = (2 * a + at(2 * x + 1, 2 * y, ch)) / 3;
                else if (innerY)
                    value = (2 * a + at(2 * x, 2 * y + 2, ch)) / 3;
                next[(std::size_t(y) * nextWidth + x) * 4 + ch] = uint8_t(value);
            }
        }
    }
}

void build_detail_normalmap(uint8_t* pixels, int width, int height) {
    if (!pixels || width <= 0 || height <= 0) return;
    std::vector<uint8_t> source(pixels, pixels + std::size_t(width) * height * 4);
    auto heightAt = [&](int x, int y) {
        x = (x + width) % width;
        y = (y + height) % height;
        return source[(std::size_t(y) * width + x) * 4 + 2] / 255.0;
    };
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            double gx = (heightAt(x - 1, y - 1) + 2 * heightAt(x - 1, y) + heightAt(x - 1, y + 1)) -
                        (heightAt(x + 1, y - 1) + 2 * heightAt(x + 1, y) + heightAt(x + 1, y + 1));
            double gy = (heightAt(x - 1, y + 1) + 2 * heightAt(x, y + 1) + heightAt(x + 1, y + 1)) -
                        (heightAt(x - 1, y - 1) + 2 * heightAt(x, y - 1) + heightAt(x + 1, y - 1));
            double n = 1.0 / std::sqrt(gx * gx + gy * gy + 1.0);
            uint8_t* out = pixels + (std::size_t(y) * width + x) * 4;
            out[0] = uint8_t(std::lround((gx * n + 1.0) * 0.5 * 255.0));
            out[1] = uint8_t(std::lround((gy * n + 1.0) * 0.5 * 255.0));
            out[2] = uint8_t(std::lround((n + 1.0) * 0.5 * 255.0));
        }
    }
}

bool WriteBitmap24(const std::string& path, int width, int height,
                   const std::vector<uint8_t>& rgbBottomUp) {
    if (path.empty() || width <= 0 || height <= 0) return false;
    std::size_t pixelBytes = std::size_t(width) * height * 3;
    if (rgbBottomUp.size() < pixelBytes) return false;
    uint8_t header[54] = {'B', 'M'};
    WriteLittle32(header + 2, uint32_t(54 + pixelBytes));
    WriteLittle32(header + 10, 54);
    WriteLittle32(header + 14, 40);
    WriteLittle32(header + 18, uint32_t(width));
    WriteLittle32(header + 22, uint32_t(height));
    WriteLittle16(header + 26, 1);
    WriteLittle16(header + 28, 24);
    WriteLittle32(header + 38, 10000);
    WriteLittle32(header + 42, 10000);
    std::vector<uint8_t> bgr(pixelBytes);
    for (std::size_t i = 0; i < pixelBytes; i += 3) {
        bgr[i] = rgbBottomUp[i + 2];
        bgr[i + 1] = rgbBottomUp[i + 1];
        bgr[i + 2] = rgbBottomUp[i];
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    bool ok = std::fwrite(header, 1, sizeof header, file) == sizeof header &&
              std::fwrite(bgr.data(), 1, bgr.size(), file) == bgr.size();
    return std::fclose(file) == 0 && ok;
}
