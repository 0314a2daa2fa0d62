// The kip runs of the game's tests: the executable started through the shell in a
// fresh folder, its trace, error log and output read back; BMP screenshots read.
#include "tests/game/kip_run_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "tests/support/TestFolder.h"

bool Picture::Lit(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return false;
    const uint8_t* p = &rgb[3 * (y * width + x)];
    return p[0] + p[1] + p[2] > 60;
}

const char* const kThroughTheStartScreens = "0 tap 57\n2 tap 57\n";

std::string KeysLater(const std::string& keys, long frames) {
    std::istringstream in(keys);
    std::string out;
    for (std::string line; std::getline(in, line);) {
        size_t space = line.find(' ');
        if (line.empty() || space == std::string::npos) continue;
        out +=
            std::to_string(std::stol(line.substr(0, space)) + frames) + line.substr(space) + "\n";
    }
    return out;
}

KipRun RunKip(const std::string& keys, int frames, const std::string& extra) {
    KipRun run;
    TestFolder made("kip_run_test");
    EXPECT_TRUE(made.Made());
    const std::string& folder = made.Path();
    std::ofstream(folder + "/keys.txt") << keys;
    std::string command = "TMPDIR=" + folder + " " + KIP_PATH +
                          " --headless --unpaced --seed 7 --keys " + folder + "/keys.txt --trace " +
                          folder + "/trace.txt --frames " + std::to_string(frames) + " " + extra +
                          " >" + folder + "/out.txt 2>&1";
    run.status = std::system(command.c_str());
    run.trace = ParseTrace(ReadFileText(folder + "/trace.txt"));
    run.errorLog = ReadFileText(folder + "/ErrorLog.txt");
    run.output = ReadFileText(folder + "/out.txt");
    return run;
}

long FirstFrame(const std::vector<TraceLine>& lines, const std::string& command,
                const std::string& firstArg) {
    for (const TraceLine& line : lines)
        if (line.command == command && !line.args.empty() && line.args[0] == firstArg)
            return line.frame;
    return -1;
}

std::map<int, int> SpritesIn(const std::vector<TraceLine>& lines, long frame,
                             const std::string& command) {
    std::map<int, int> count;
    for (const TraceLine& line : lines)
        if (line.frame == frame && line.command == command) ++count[static_cast<int>(line.Num(0))];
    return count;
}

void ExpectCleanEnd(const KipRun& run) {
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.errorLog.find("-End On Line\r\n0\r\n"), std::string::npos) << run.errorLog;
}

Picture ReadBmp(const std::string& path) {
    Picture picture;
    std::string data = ReadFileText(path);
    if (data.size() < 54 || data[0] != 'B' || data[1] != 'M') return picture;
    auto u32 = [&](size_t at) {
        return uint32_t(uint8_t(data[at])) | uint32_t(uint8_t(data[at + 1])) << 8 |
               uint32_t(uint8_t(data[at + 2])) << 16 | uint32_t(uint8_t(data[at + 3])) << 24;
    };
    uint32_t offset = u32(10);
    int width = int32_t(u32(18)), height = int32_t(u32(22));
    int bytes = (uint8_t(data[28]) | uint8_t(data[29]) << 8) / 8;
    if (width <= 0 || width > 4096 || height == 0 || height > 4096 || height < -4096 || bytes < 3)
        return picture;
    int rows = height < 0 ? -height : height;
    size_t stride = (size_t(width) * bytes + 3) & ~size_t(3);
    if (offset + stride * rows > data.size()) return picture;
    picture.width = width;
    picture.height = rows;
    picture.rgb.resize(size_t(width) * rows * 3);
    for (int y = 0; y < rows; ++y) {
        int source = height > 0 ? rows - 1 - y : y;
        for (int x = 0; x < width; ++x) {
            const char* p = &data[offset + source * stride + size_t(x) * bytes];
            uint8_t* out = &picture.rgb[3 * (size_t(y) * width + x)];
            out[0] = uint8_t(p[2]);
            out[1] = uint8_t(p[1]);
            out[2] = uint8_t(p[0]);
        }
    }
    return picture;
}

int LitIn(const Picture& picture, double x, double y) {
    int lit = 0;
    for (int dy = 0; dy < 32; ++dy)
        for (int dx = 0; dx < 32; ++dx) lit += picture.Lit(int(x) + dx, int(y) + dy);
    return lit;
}
