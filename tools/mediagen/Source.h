// Reading the media sources: text files of lines, split into words, with
// errors that name the file and line so a person can fix the source.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/mediagen/Image.h"

namespace mediagen {

struct SourceError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct SourceLine {
    int number = 0;
    std::string text;
};

// A source file as numbered lines. Lines whose first non-blank character is
// '#' are comments, blank lines carry nothing; nextStatement skips both,
// nextRaw (used inside character grids) does not.
class SourceText {
  public:
    static SourceText load(const std::filesystem::path& path);
    static SourceText fromString(std::string name, const std::string& text);

    const std::string& name() const { return name_; }
    bool nextStatement(SourceLine& line);
    bool nextRaw(SourceLine& line);
    [[noreturn]] void fail(int line, const std::string& message) const;

  private:
    std::string name_;
    std::vector<std::string> lines_;
    std::size_t position_ = 0;
};

// Splits a statement into words at blanks. A word in double quotes keeps its
// blanks; inside it \" \\ and \xHH stand for a quote, a backslash and a byte.
std::vector<std::string> splitWords(const SourceText& source, const SourceLine& line);

int parseInt(const SourceText& source, int line, const std::string& word);
double parseNumber(const SourceText& source, int line, const std::string& word);
// Three words from words[first] on: red, green and blue, each 0 to 255.
Colour parseColour(const SourceText& source, int line, const std::vector<std::string>& words,
                   std::size_t first);

std::string readWholeFile(const std::filesystem::path& path);

}  // namespace mediagen
