// The WAV reader of the sound slots: finds the format and the sample bytes of a
// RIFF WAVE file held in memory. Every size in the file is checked against the
// bytes really there, so a damaged or hostile file is refused, never over-read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct WavSound {
    int channels = 0;                  // 1 or 2 (a file with more is taken as 2)
    uint32_t sampleRate = 0;           // samples per second
    int bitsPerSample = 0;             // 8 (unsigned) or 16 (signed, little-endian)
    int blockAlign = 0;                // bytes per sample frame
    const uint8_t* samples = nullptr;  // points into the given file bytes
    size_t sampleBytes = 0;            // a whole number of frames
};

// Reads the layout: the RIFF header and format chunk (36 bytes; a format chunk
// longer than 16 bytes is skipped by its declared size), then one chunk header; a
// "fact" chunk is skipped and the next header read; that one must be "data".
// False with a reason for anything else.
bool ReadWav(const uint8_t* bytes, size_t size, WavSound& sound, std::string* reason = nullptr);

// Reads a whole file (at most maxBytes) into `bytes` and parses it; the sound points into `bytes`.
bool ReadWavFile(const char* path, std::vector<uint8_t>& bytes, WavSound& sound,
                 std::string* reason = nullptr, size_t maxBytes = size_t(256) << 20);
