// Fuzz target: the line cache's file reader on arbitrary bytes, read from a memory
// stream. Whatever it reads stays inside the cache: at most 256 lines of at most 1024
// characters, and the rest of the file, if any, begins inside it.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "files/FastFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FAST_FILE cache;
    std::FILE* in = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (!in) return 0;
    const int64_t tail = cache.ReadLines(in);
    std::fclose(in);
    if (tail < -1 || tail >= int64_t(size)) std::abort();
    if (cache.LastLine() < 0 || cache.LastLine() >= FAST_FILE::kLines) std::abort();
    if (tail >= 0 && cache.LastLine() != FAST_FILE::kLines - 1) std::abort();
    for (int line = 0; line <= cache.LastLine(); ++line)
        if (std::strlen(cache.Line(line)) > size_t(FAST_FILE::kLineLength)) std::abort();
    return 0;
}
