// Trace capture and key scripts for the game's in-process tests.
#include "tests/game/game_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "input/DXInput.h"
#include "input/KeyScript.h"
#include "runtime/Options.h"
#include "runtime/Trace.h"

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

std::string TemporaryDirectory() {
    const char* dir = std::getenv("TMPDIR");
    return dir ? dir : "/tmp";
}

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
        for (int key : keys) text += " " + std::to_string(key);
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
