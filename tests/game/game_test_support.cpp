// Trace capture and key scripts for the game's in-process tests.
#include "tests/game/game_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "commands/ProgramFrame.h"
#include "files/TemporaryFolder.h"
#include "input/DXInput.h"
#include "input/KeyScript.h"
#include "runtime/Options.h"
#include "runtime/Trace.h"
#include "tests/support/TestFolder.h"

double TraceLine::Num(size_t k) const {
    return k < args.size() ? std::strtod(args[k].c_str(), nullptr) : -99999;
}

int GameLineOf(const std::string& file, int fileNumber, const std::string& text) {
    std::ifstream in(std::string(KIP_SOURCE_DIR) + "/game/" + file);
    std::string line;
    for (int number = 1; std::getline(in, line); ++number)
        if (line.find(text) != std::string::npos) return fileNumber * 10000 + number;
    return -1;
}

std::string EndOfRunLines(int code, int line) {
    std::string number = std::to_string(line);
    return "-End On Line\r\n" + std::to_string(code) + "\r\n" + number + "\r\n" + number +
           "\r\n0\r\n";
}

std::string TemporaryDirectory() { return TemporaryRoot(); }

TraceCapture::TraceCapture() : m_path(TemporaryDirectory() + "/trace.txt") {
    m_open = KvOpenTrace(m_path.c_str());
    EXPECT_TRUE(m_open) << m_path;
}

TraceCapture::~TraceCapture() {
    if (m_open) KvCloseTrace();
}

std::vector<TraceLine> TraceCapture::Stop() {
    KvCloseTrace();
    m_open = false;
    std::ifstream in(m_path);
    std::stringstream text;
    text << in.rdbuf();
    return ParseTrace(text.str());
}

std::vector<TraceLine> ParseTrace(const std::string& text) {
    std::vector<TraceLine> lines;
    std::istringstream in(text);
    std::string raw;
    while (std::getline(in, raw)) {
        TraceLine line;
        size_t pos = 0;
        auto word = [&]() {
            while (pos < raw.size() && raw[pos] == ' ') ++pos;
            std::string out;
            if (pos < raw.size() && raw[pos] == '"') {
                for (++pos; pos < raw.size() && raw[pos] != '"'; ++pos) {
                    if (raw[pos] == '\\' && pos + 1 < raw.size()) ++pos;
                    out += raw[pos];
                }
                ++pos;
            } else {
                while (pos < raw.size() && raw[pos] != ' ') out += raw[pos++];
            }
            return out;
        };
        line.frame = std::strtol(word().c_str(), nullptr, 10);
        line.command = word();
        for (;;) {
            while (pos < raw.size() && raw[pos] == ' ') ++pos;
            if (pos >= raw.size()) break;
            line.args.push_back(word());
        }
        lines.push_back(line);
    }
    return lines;
}

std::vector<TraceLine> Only(const std::vector<TraceLine>& lines, const std::string& command) {
    std::vector<TraceLine> out;
    for (const TraceLine& line : lines)
        if (line.command == command) out.push_back(line);
    return out;
}

std::vector<std::vector<TraceLine>> ByFrame(const std::vector<TraceLine>& lines) {
    std::vector<std::vector<TraceLine>> frames;
    if (lines.empty()) return frames;
    long first = lines.front().frame;
    for (const TraceLine& line : lines) {
        size_t index = static_cast<size_t>(line.frame - first);
        if (frames.size() <= index) frames.resize(index + 1);
        frames[index].push_back(line);
    }
    return frames;
}

std::vector<TraceLine> Lines(const Frames& frames, long frame, const std::string& command,
                             double slot) {
    std::vector<TraceLine> out;
    if (frame < 0 || frame >= static_cast<long>(frames.size())) return out;
    for (const TraceLine& line : frames[frame])
        if (line.command == command && (slot < 0 || line.Num(0) == slot)) out.push_back(line);
    return out;
}

std::vector<long> FramesOf(const std::vector<TraceLine>& trace, const std::string& command,
                           double slot) {
    std::vector<long> frames;
    for (const TraceLine& line : trace)
        if (line.command == command && line.Num(0) == slot &&
            (frames.empty() || frames.back() != line.frame))
            frames.push_back(line.frame);
    return frames;
}

namespace {
void UseScript(const std::string& text) {
    KeyScript script;
    std::string error;
    ASSERT_TRUE(script.Parse(text, "test keys", error)) << error << "\n" << text;
    ASSERT_NE(pDXin, nullptr);
    pDXin->UseKeyScript(script);
}
}  // namespace

void HoldKeys(std::initializer_list<int> keys) {
    std::string text = "0 up 57\n";
    if (keys.size() > 0) {
        text += "0 down";
        for (int key : keys) {
            text += ' ';
            text += std::to_string(key);
        }
        text += "\n";
    }
    UseScript(text);
}

void KeysFromNow(const std::vector<std::string>& relativeLines) {
    std::string text = "0 up 57\n";
    long now = KvFrameNumber();
    for (const std::string& line : relativeLines) {
        // "+N rest": N frames from now.
        size_t space = line.find(' ');
        long offset = std::strtol(line.c_str() + 1, nullptr, 10);
        text += std::to_string(now + offset) + line.substr(space) + "\n";
    }
    UseScript(text);
}

KipRun RunGame(const std::string& program, const std::string& keys, int frames,
               const std::string& extra, const std::string& traceFilter) {
    KipRun run;
    TestFolder made("kip_run_test");
    EXPECT_TRUE(made.Made());
    const std::string& folder = made.Path();
    std::ofstream(folder + "/keys.txt") << keys;
    std::string game = "TMPDIR=" + folder + " " + program + " --headless --unpaced --seed 7 --keys " +
                       folder + "/keys.txt --frames " + std::to_string(frames) + " " + extra;
    if (traceFilter.empty()) {
        std::string command =
            game + " --trace " + folder + "/trace.txt >" + folder + "/out.txt 2>&1";
        run.status = std::system(command.c_str());
    } else {
        // The game's own output goes to out.txt, its exit status through a file.
        std::string command = "(" + game + " --trace - 2>" + folder + "/out.txt; echo $? >" +
                              folder + "/status.txt) | grep -E '" + traceFilter + "' >" +
                              folder + "/trace.txt";
        std::system(command.c_str());
        std::string status = ReadFileText(folder + "/status.txt");
        run.status = status.empty() ? -1 : std::atoi(status.c_str());
    }
    run.trace = ParseTrace(ReadFileText(folder + "/trace.txt"));
    run.errorLog = ReadFileText(folder + "/ErrorLog.txt");
    run.output = ReadFileText(folder + "/out.txt");
    return run;
}

const char* const kThroughTheStartScreens = "0 tap 57\n2 tap 57\n";

std::string KeysLater(const std::string& keys, long frames) {
    std::istringstream in(keys);
    std::string out;
    for (std::string line; std::getline(in, line);) {
        size_t space = line.find(' ');
        if (space == std::string::npos) continue;
        out +=
            std::to_string(std::stol(line.substr(0, space)) + frames) + line.substr(space) + "\n";
    }
    return out;
}

namespace {
// The options with the frame of every "--screenshot N:PATH" moved on.
std::string ScreenshotsLater(const std::string& options, long frames) {
    const std::string flag = "--screenshot ";
    std::string out = options;
    for (size_t at = out.find(flag); at != std::string::npos; at = out.find(flag, at + 1)) {
        size_t number = at + flag.size(), colon = out.find(':', number);
        if (colon == std::string::npos) break;
        long frame = std::stol(out.substr(number, colon - number)) + frames;
        out.replace(number, colon - number, std::to_string(frame));
    }
    return out;
}
}  // namespace

KipRun RunPastTheStartScreens(const std::string& program, const std::string& keys, int frames,
                              const std::string& extra) {
    const long shift = kStartScreenFrames;
    KipRun run = RunGame(program, kThroughTheStartScreens + KeysLater(keys, shift),
                         frames + static_cast<int>(shift), ScreenshotsLater(extra, shift));
    for (TraceLine& line : run.trace) line.frame -= shift;
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

int Aliens(const std::map<int, int>& sprites) {
    int n = 0;
    for (int slot = 200; slot <= 204; ++slot)
        if (sprites.count(slot)) n += sprites.at(slot);
    return n;
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
