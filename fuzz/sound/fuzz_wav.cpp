// Fuzz target: the WAV reader on arbitrary bytes. Whatever it accepts must lie
// inside the given bytes and be a whole number of sample frames.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "sound/WavReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WavSound sound;
    if (!ReadWav(data, size, sound)) return 0;
    if (sound.samples < data || sound.samples + sound.sampleBytes > data + size) std::abort();
    if (sound.blockAlign <= 0 || sound.sampleBytes % size_t(sound.blockAlign) != 0) std::abort();
    if (sound.channels < 1 || sound.channels > 2) std::abort();
    // Touch every accepted byte so the sanitizer sees any over-read.
    volatile uint8_t sum = 0;
    for (size_t i = 0; i < sound.sampleBytes; ++i) sum = uint8_t(sum + sound.samples[i]);
    (void)sum;
    return 0;
}
