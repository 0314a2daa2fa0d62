// The one-file line cache behind GETFILE and PUTFILE: keeps the first 256 lines of
// one text file in memory and writes a changed file back when another file is used
// or when the program ends.
#pragma once

#include <cstdint>
#include <cstdio>

#include "values/KvStr.h"

class FAST_FILE {
  public:
    static constexpr int kLines = 256;
    static constexpr int kLineLength = 1024;
    static constexpr int kNameLength = 1024;

    FAST_FILE();
    ~FAST_FILE();  // writes back a changed file
    FAST_FILE(const FAST_FILE&) = delete;
    FAST_FILE& operator=(const FAST_FILE&) = delete;

    // Switches the cache to file (writing back a changed one first); null only
    // writes back and empties it. 0, or 3 when file cannot be read.
    double FillBuffer(const char* file);
    // Reads a line: 0, 3 (no such file: text "NO_FILE") or 7 (line above 255: text
    // "NO_DATA"). A missing or empty line reads as "NO_DATA".
    double GetFile(const char* file, short line, KvStr& text);
    // Replaces a line in the cache: 0, 3 (no such file: text "NO_FILE") or 7.
    double PutFile(const char* file, short line, KvStr& text);

    int LastLine() const { return m_lastLine; }
    // A cached line ("" outside 0 to 255).
    const char* Line(int index) const;

    // The file reader behind FillBuffer: reads up to 256 lines from an open file into the
    // cache and returns where the lines after them begin (-1 when none follow).
    int64_t ReadLines(std::FILE* in);

  private:
    void Clear();
    bool Load(const char* file);
    void WriteBack();

    char m_fileName[kNameLength];
    char m_lines[kLines][kLineLength + 1];
    int32_t m_lastLine = 0;
    uint8_t m_changed = 0;
    // Where the lines after the last cached one begin in the file (-1: none), so
    // that writing back keeps them.
    int64_t m_tailOffset = -1;
};

extern FAST_FILE __g_FastFile;
