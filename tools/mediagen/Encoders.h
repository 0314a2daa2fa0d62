// File encoders: Windows bitmaps (8-bit with a palette, or 24-bit) and PCM
// WAV sounds, written byte for byte the same on every run.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "tools/mediagen/Image.h"

namespace mediagen {

using Bytes = std::vector<std::uint8_t>;

// bitsPerPixel is 8 or 24. An 8-bit picture may use at most 256 colours;
// its palette always has 256 entries, unused ones black.
Bytes encodeBitmap(const Image& image, int bitsPerPixel);

struct SoundFormat {
    int sampleRate = 22050;
    int bitsPerSample = 16;  // 8 (unsigned) or 16 (signed)
};

// Mono PCM from samples in -1 … 1 (values beyond are clipped).
Bytes encodeWave(const std::vector<float>& samples, SoundFormat format);

void writeFile(const std::filesystem::path& path, const Bytes& bytes);

}  // namespace mediagen
