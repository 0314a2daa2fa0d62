// Test helper: writes small bitmap files (8-bit with palette or 24-bit, bottom-up
// or top-down) so the tests own every byte they read back.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "files/TemporaryFolder.h"

struct TestRgb {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const TestRgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

inline void PutLE(std::vector<uint8_t>& out, std::size_t at, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out[at + i] = uint8_t(value >> (8 * i));
}

inline std::size_t Bitmap24RowSize(int width) { return (std::size_t(width) * 3 + 3) & ~std::size_t(3); }

// The 54 header bytes of a 24-bit file whose rows follow them.
inline std::vector<uint8_t> Bitmap24Header(int width, int height, bool topDown = false) {
    std::vector<uint8_t> out(54, 0);
    out[0] = 'B';
    out[1] = 'M';
    PutLE(out, 2, uint32_t(54 + Bitmap24RowSize(width) * height), 4);
    PutLE(out, 10, 54, 4);
    PutLE(out, 14, 40, 4);
    PutLE(out, 18, uint32_t(width), 4);
    PutLE(out, 22, uint32_t(topDown ? -height : height), 4);
    PutLE(out, 26, 1, 2);
    PutLE(out, 28, 24, 2);
    return out;
}

// 24-bit file; colour(x, y) with y from the top.
inline std::vector<uint8_t> MakeBitmap24(int width, int height,
                                         const std::function<TestRgb(int, int)>& colour,
                                         bool topDown = false) {
    std::size_t rowSize = Bitmap24RowSize(width);
    std::vector<uint8_t> out(54 + rowSize * height, 0);
    std::vector<uint8_t> header = Bitmap24Header(width, height, topDown);
    std::copy(header.begin(), header.end(), out.begin());
    for (int y = 0; y < height; ++y) {
        int stored = topDown ? y : height - 1 - y;
        for (int x = 0; x < width; ++x) {
            TestRgb c = colour(x, y);
            std::size_t at = 54 + stored * rowSize + x * 3;
            out[at] = c.b;
            out[at + 1] = c.g;
            out[at + 2] = c.r;
        }
    }
    return out;
}

// 8-bit file with a 256-entry palette; index(x, y) with y from the top.
inline std::vector<uint8_t> MakeBitmap8(int width, int height, const std::vector<TestRgb>& palette,
                                        const std::function<uint8_t(int, int)>& index) {
    std::size_t rowSize = (std::size_t(width) + 3) & ~std::size_t(3);
    std::size_t offset = 54 + 1024;
    std::vector<uint8_t> out(offset + rowSize * height, 0);
    out[0] = 'B';
    out[1] = 'M';
    PutLE(out, 2, uint32_t(out.size()), 4);
    PutLE(out, 10, uint32_t(offset), 4);
    PutLE(out, 14, 40, 4);
    PutLE(out, 18, uint32_t(width), 4);
    PutLE(out, 22, uint32_t(height), 4);
    PutLE(out, 26, 1, 2);
    PutLE(out, 28, 8, 2);
    for (std::size_t i = 0; i < palette.size() && i < 256; ++i) {
        out[54 + 4 * i] = palette[i].b;
        out[54 + 4 * i + 1] = palette[i].g;
        out[54 + 4 * i + 2] = palette[i].r;
    }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) out[offset + (height - 1 - y) * rowSize + x] = index(x, y);
    return out;
}

// A folder of this test process for the files it writes, removed when the process ends
// (by the process that made it, not by death-test children).
inline std::string TestTempDir() {
    static pid_t owner = 0;
    static std::string folder;
    if (folder.empty()) {
        if (!MakePrivateFolder("kip_gfx_test_", folder)) return TemporaryRoot() + "/";
        folder += "/";
        owner = getpid();
        std::atexit([] {
            if (getpid() == owner) std::filesystem::remove_all(folder);
        });
    }
    return folder;
}

// A 24-bit file of any size that takes no room on disk: the header, then a hole of
// zero bytes (black pixels) as long as the rows. False when it cannot be made.
inline bool WriteSparseBitmap24(const std::string& path, int width, int height) {
    std::vector<uint8_t> header = Bitmap24Header(width, height);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    bool written = std::fwrite(header.data(), 1, header.size(), file) == header.size();
    written = std::fclose(file) == 0 && written;
    std::error_code error;
    std::filesystem::resize_file(path, 54 + Bitmap24RowSize(width) * std::uintmax_t(height), error);
    return written && !error;
}

inline std::string WriteTestFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::string path = TestTempDir() + "kip_gfx_" + std::to_string(getpid()) + "_" + name;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return path;
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    return path;
}
