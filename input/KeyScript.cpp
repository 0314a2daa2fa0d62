// Parsing of the key script and the key state it gives for a frame.
#include "input/KeyScript.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "values/Printable.h"

namespace {
// A whole token of decimal digits within [0, maximum].
bool ParseNumber(const std::string& token, long maximum, long& value) {
    if (token.empty() || token.size() > 12) return false;
    for (char c : token)
        if (c < '0' || c > '9') return false;
    errno = 0;
    long parsed = std::strtol(token.c_str(), nullptr, 10);
    if (errno || parsed > maximum) return false;
    value = parsed;
    return true;
}

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return text;
}

// A word from the script in single quotes, its control characters escaped. Built by
// appending: GCC 12 warns falsely (-Wrestrict) on a literal + a temporary string.
std::string Quoted(const std::string& word) {
    std::string text = "'";
    text += PrintableText(word);
    text += "'";
    return text;
}
}  // namespace

bool KeyScript::ParseLine(const std::string& rawLine, int lineNumber, const std::string& sourceName,
                          std::string& error) {
    std::string line = rawLine.substr(0, rawLine.find('#'));
    std::istringstream words(line);
    std::string frameWord, actionWord, keyWord;
    if (!(words >> frameWord)) return true;  // blank or comment only
    auto fail = [&](const std::string& why) {
        error = sourceName + ":" + std::to_string(lineNumber) + ": " + why;
        return false;
    };
    long frame = 0;
    if (!ParseNumber(frameWord, 2000000000L, frame))
        return fail(Quoted(frameWord) + " is not a frame number (0 or more)");
    if (!(words >> actionWord)) return fail("expected 'down', 'up' or 'tap' after the frame");
    std::string action = Lower(actionWord);
    Action kind;
    if (action == "down")
        kind = Action::Down;
    else if (action == "up")
        kind = Action::Up;
    else if (action == "tap")
        kind = Action::Tap;
    else
        return fail(Quoted(actionWord) + " is not 'down', 'up' or 'tap'");
    int keyCount = 0;
    while (words >> keyWord) {
        long key = 0;
        if (!ParseNumber(keyWord, 255, key))
            return fail(Quoted(keyWord) + " is not a key number from 0 to 255");
        m_events.push_back({frame, kind, uint8_t(key)});
        ++keyCount;
    }
    if (keyCount == 0) return fail("no key numbers after " + Quoted(actionWord));
    return true;
}

// "# kip key recording, seed 1234567": the word "seed" in the first line's comment,
// then the number. Anything else there is an ordinary comment.
void KeyScript::ReadSeed(const std::string& firstLine) {
    std::size_t hash = firstLine.find_first_not_of(" \t");
    if (hash == std::string::npos || firstLine[hash] != '#') return;
    std::istringstream words(firstLine.substr(hash + 1));
    std::string word;
    while (words >> word) {
        if (word != "seed") continue;
        std::string number;
        long seed = 0;
        if (words >> number && ParseNumber(number, 0xFFFFFFFFL, seed)) {
            m_hasSeed = true;
            m_seed = uint32_t(seed);
        }
        return;
    }
}

bool KeyScript::Parse(const std::string& text, const std::string& sourceName, std::string& error) {
    m_events.clear();
    m_playback = Playback();
    m_hasSeed = false;
    m_seed = 0;
    std::istringstream lines(text);
    std::string line;
    int lineNumber = 0;
    while (std::getline(lines, line)) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (lineNumber == 1) ReadSeed(line);
        if (!ParseLine(line, lineNumber, sourceName, error)) {
            m_events.clear();
            return false;
        }
    }
    std::stable_sort(m_events.begin(), m_events.end(),
                     [](const Event& a, const Event& b) { return a.frame < b.frame; });
    return true;
}

bool KeyScript::LoadFile(const std::string& path, std::string& error) {
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) {
        error = path + ": a folder, not a key script";
        return false;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = path + ": cannot read the key script (" + std::strerror(errno) + ")";
        return false;
    }
    // A key script is a few lines written by hand; anything huge is not one.
    file.seekg(0, std::ios::end);
    if (file.tellg() > std::streamoff(16 << 20)) {
        error = path + ": too large for a key script (more than 16 MiB)";
        return false;
    }
    file.seekg(0);
    std::ostringstream text;
    text << file.rdbuf();
    if (file.bad()) {
        error = path + ": cannot read the key script";
        return false;
    }
    return Parse(text.str(), path, error);
}

void KeyScript::PlayTo(long frame) const {
    Playback& playback = m_playback;
    if (frame < playback.frame) playback = Playback();
    bool tapped[256] = {};
    for (; playback.next < m_events.size(); ++playback.next) {
        const Event& event = m_events[playback.next];
        if (event.frame > frame) break;
        if (event.action == Action::Down) playback.held[event.key] = true;
        if (event.action == Action::Up) playback.held[event.key] = false;
        if (event.action == Action::Tap && event.frame == frame) tapped[event.key] = true;
    }
    playback.frame = frame;
    for (int key = 0; key < 256; ++key)
        playback.state[key] = (playback.held[key] || tapped[key]) ? 0x80 : 0;
}

void KeyScript::StateAt(long frame, uint8_t state[256]) const {
    if (frame != m_playback.frame) PlayTo(frame);
    std::memcpy(state, m_playback.state, 256);
}
