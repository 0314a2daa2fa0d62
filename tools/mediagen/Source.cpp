// Line reading, word splitting and number parsing for the media sources.
#include "tools/mediagen/Source.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace mediagen {

std::string readWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw SourceError(path.string() + ": cannot be read");
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

SourceText SourceText::load(const std::filesystem::path& path) {
    return fromString(path.string(), readWholeFile(path));
}

SourceText SourceText::fromString(std::string name, const std::string& text) {
    SourceText source;
    source.name_ = std::move(name);
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        source.lines_.push_back(line);
    }
    return source;
}

static bool isBlankOrComment(const std::string& text) {
    std::size_t first = text.find_first_not_of(" \t");
    return first == std::string::npos || text[first] == '#';
}

bool SourceText::nextStatement(SourceLine& line) {
    while (nextRaw(line)) {
        if (!isBlankOrComment(line.text)) return true;
    }
    return false;
}

bool SourceText::nextRaw(SourceLine& line) {
    if (position_ >= lines_.size()) return false;
    line.text = lines_[position_];
    line.number = static_cast<int>(++position_);
    return true;
}

void SourceText::fail(int line, const std::string& message) const {
    throw SourceError(name_ + ":" + std::to_string(line) + ": " + message);
}

static int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads a quoted word starting at text[i] == '"'; returns the index after it.
static std::size_t readQuoted(const SourceText& source, const SourceLine& line, std::size_t i,
                              std::string& word) {
    const std::string& text = line.text;
    for (++i; i < text.size(); ++i) {
        char c = text[i];
        if (c == '"') return i + 1;
        if (c != '\\') {
            word += c;
            continue;
        }
        if (i + 1 >= text.size()) break;
        char escaped = text[++i];
        if (escaped == '"' || escaped == '\\') {
            word += escaped;
        } else if (escaped == 'x' && i + 2 < text.size() && hexDigit(text[i + 1]) >= 0 &&
                   hexDigit(text[i + 2]) >= 0) {
            word += static_cast<char>(hexDigit(text[i + 1]) * 16 + hexDigit(text[i + 2]));
            i += 2;
        } else {
            source.fail(line.number, "unknown escape in quoted text");
        }
    }
    source.fail(line.number, "quoted text is not closed");
}

std::vector<std::string> splitWords(const SourceText& source, const SourceLine& line) {
    std::vector<std::string> words;
    const std::string& text = line.text;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == ' ' || text[i] == '\t') {
            ++i;
            continue;
        }
        std::string word;
        if (text[i] == '"') {
            i = readQuoted(source, line, i, word);
        } else {
            while (i < text.size() && text[i] != ' ' && text[i] != '\t') word += text[i++];
        }
        words.push_back(word);
    }
    return words;
}

int parseInt(const SourceText& source, int line, const std::string& word) {
    errno = 0;
    char* end = nullptr;
    long value = std::strtol(word.c_str(), &end, 10);
    if (word.empty() || *end != '\0' || errno != 0 || value < -1000000 || value > 1000000) {
        source.fail(line, "'" + word + "' is not a whole number");
    }
    return static_cast<int>(value);
}

double parseNumber(const SourceText& source, int line, const std::string& word) {
    errno = 0;
    char* end = nullptr;
    double value = std::strtod(word.c_str(), &end);
    if (word.empty() || *end != '\0' || errno != 0 || !std::isfinite(value)) {
        source.fail(line, "'" + word + "' is not a number");
    }
    return value;
}

Colour parseColour(const SourceText& source, int line, const std::vector<std::string>& words,
                   std::size_t first) {
    std::uint8_t channel[3];
    for (std::size_t i = 0; i < 3; ++i) {
        int value = parseInt(source, line, words.at(first + i));
        if (value < 0 || value > 255) source.fail(line, "colour channels run from 0 to 255");
        channel[i] = static_cast<std::uint8_t>(value);
    }
    return {channel[0], channel[1], channel[2]};
}

}  // namespace mediagen
