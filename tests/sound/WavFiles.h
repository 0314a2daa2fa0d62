// Test helper: WAV files built byte by byte from a description, so the sound tests
// own every byte they read back, and the folder under $TMPDIR they are written to.
#pragma once

#include <cmath>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/TestFolder.h"

// ---- building WAV files ----------------------------------------------------------

inline void Put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}
inline void Put16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}
inline void PutId(std::vector<uint8_t>& out, const char* id) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(id[i]));
}

struct WavSpec {
    int channels = 1;
    uint32_t rate = 22050;
    int bits = 16;
    int frames = 100;
    uint32_t formatSize = 16;
    bool fact = false;
    int amplitude = 20000;  // square wave, 16-bit units
    int period = 50;        // frames per square-wave cycle
};

// A square wave of the described sound's amplitude and period, every channel alike.
inline std::vector<uint8_t> SquareSamples(const WavSpec& s) {
    std::vector<uint8_t> samples;
    for (int f = 0; f < s.frames; ++f) {
        int value = (f % s.period) < s.period / 2 ? s.amplitude : -s.amplitude;
        for (int c = 0; c < s.channels; ++c) {
            if (s.bits == 8)
                samples.push_back(uint8_t(128 + value / 256));
            else
                Put16(samples, uint16_t(int16_t(value)));
        }
    }
    return samples;
}

// A WAV file of the described sound's format holding the given sample bytes.
inline std::vector<uint8_t> WavFile(const WavSpec& s, const std::vector<uint8_t>& samples) {
    int align = s.channels * s.bits / 8;
    std::vector<uint8_t> out;
    PutId(out, "RIFF");
    Put32(out, 0);  // not checked
    PutId(out, "WAVE");
    PutId(out, "fmt ");
    Put32(out, s.formatSize);
    Put16(out, 1);
    Put16(out, uint16_t(s.channels));
    Put32(out, s.rate);
    Put32(out, s.rate * align);
    Put16(out, uint16_t(align));
    Put16(out, uint16_t(s.bits));
    for (uint32_t i = 16; i < s.formatSize; ++i) out.push_back(0);
    if (s.fact) {
        PutId(out, "fact");
        Put32(out, 4);
        Put32(out, uint32_t(s.frames));
    }
    PutId(out, "data");
    Put32(out, uint32_t(samples.size()));
    out.insert(out.end(), samples.begin(), samples.end());
    return out;
}

inline std::vector<uint8_t> MakeWav(const WavSpec& s) { return WavFile(s, SquareSamples(s)); }

// Every file of these tests goes into one folder under $TMPDIR, removed at the end.
inline const TestFolder& SoundFolder() {
    static TestFolder folder("kv_sound");
    return folder;
}

inline std::string WriteTemp(const std::vector<uint8_t>& bytes, const char* name) {
    std::string path = SoundFolder() / name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path;
}
