// Fuzz target: the key-script parser on arbitrary text. A script it refuses gives a
// message naming the source and line, with no control character for the terminal; a
// script it takes gives every key as up or down in any frame.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "input/KeyScript.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    KeyScript script;
    std::string error;
    if (!script.Parse(text, "fuzz.keys", error)) {
        if (error.rfind("fuzz.keys:", 0) != 0 || !script.Empty()) std::abort();
        for (unsigned char c : error)
            if (c < 0x20 || c == 0x7F) std::abort();
        return 0;
    }
    uint8_t state[256];
    for (long frame : {0L, 1L, 59L, 2000000000L}) {
        script.StateAt(frame, state);
        for (uint8_t key : state)
            if (key != 0 && key != 0x80) std::abort();
    }
    return 0;
}
