// Helpers of the game's in-process tests: the runtime's trace read back as lines,
// and keys held through a key script given to the input object.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

struct TraceLine {
    long frame = 0;
    std::string command;
    std::vector<std::string> args;  // texts without their quotes
    double Num(size_t k) const;
};

// Opens the runtime's trace into a file of the test folder; Stop closes it and
// returns its lines.
class TraceCapture {
  public:
    TraceCapture();
    ~TraceCapture();
    std::vector<TraceLine> Stop();

  private:
    std::string m_path;
    bool m_open = false;
};

std::vector<TraceLine> Only(const std::vector<TraceLine>& lines, const std::string& command);
std::vector<TraceLine> ParseTrace(const std::string& text);

// The keys held from now on (no keys for an empty list).
void HoldKeys(std::initializer_list<int> keys);
// A key script whose frame numbers count from the current frame ("+0" = now).
void KeysFromNow(const std::vector<std::string>& relativeLines);

// The number the error log gives a line of the game: the number of the first line
// of game/<file> that holds `text`, plus the file's block, 10000 × fileNumber; -1
// when no line holds it.
int GameLineOf(const std::string& file, int fileNumber, const std::string& text);
// The five lines that end the error log: "-End On Line", the error code, the error
// line, the last line (here the same) and the source file, which the game always
// gives as 0.
std::string EndOfRunLines(int code, int line);

// The folder the tests write into (also $TMPDIR of the runtime).
std::string TemporaryDirectory();
