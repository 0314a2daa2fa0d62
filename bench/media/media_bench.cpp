// Media lookup benchmark: lookup plus unpack of a 3 KiB bitmap-like and a 1 MiB WAV-like entry
// from a pack appended to a copy of this executable, against the lookup and plain read of the
// same loose file, in one run. Prints microseconds per load (median and mean).
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "media/MediaPack.h"
#include "media/VelCompression.h"
#include "media/VelShoeBox.h"

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

namespace {

Bytes BitmapLike() {
    Bytes out(3072, 0);
    out[0] = 'B';
    out[1] = 'M';
    for (size_t i = 54; i < out.size(); ++i)
        out[i] = uint8_t((i / 3) % 7 == 0 ? 0xff : (i * 5) % 64);
    return out;
}

Bytes WavLike() {
    Bytes out(1 << 20, 0);
    std::memcpy(out.data(), "RIFF....WAVEfmt ", 16);
    std::mt19937 rng(1);
    for (size_t i = 44; i + 1 < out.size(); i += 2) {
        const int sample = int(9000 * std::sin(double(i) * 0.01)) + int(rng() % 512) - 256;
        out[i] = uint8_t(sample);
        out[i + 1] = uint8_t(sample >> 8);
    }
    return out;
}

void WriteFile(const std::string& path, const Bytes& data) {
    std::ofstream(path, std::ios::binary | std::ios::app)
        .write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
}

// What a loader does with the path the lookup gives: read the whole file.
size_t ReadWhole(const std::string& path, Bytes& buffer) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return 0;
    buffer.resize(2 << 20);
    const size_t n = std::fread(buffer.data(), 1, buffer.size(), f);
    std::fclose(f);
    return n;
}

void Measure(const char* label, VelShoeBox& box, const std::string& name, size_t expected,
             int rounds) {
    std::vector<double> micros;
    Bytes buffer;
    for (int i = 0; i < rounds; ++i) {
        const auto start = std::chrono::steady_clock::now();
        std::string path;
        const bool found = box.Lookup(name, path);
        const size_t n = found ? ReadWhole(path, buffer) : 0;
        const auto end = std::chrono::steady_clock::now();
        if (n != expected) {
            std::fprintf(stderr, "%s: read %zu bytes, expected %zu\n", label, n, expected);
            std::exit(1);
        }
        micros.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }
    std::sort(micros.begin(), micros.end());
    double sum = 0;
    for (double m : micros) sum += m;
    std::printf("%-34s %9.1f us median %9.1f us mean  (%d loads)\n", label,
                micros[micros.size() / 2], sum / double(micros.size()), rounds);
}

}  // namespace

int main() {
    std::string pattern = (fs::temp_directory_path() / "kvmedia-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) return 1;
    const std::string dir = pattern;
    fs::create_directories(dir + "/tmp");
    setenv("TMPDIR", (dir + "/tmp").c_str(), 1);

    const Bytes bitmap = BitmapLike(), wav = WavLike();
    WriteFile(dir + "/tile.bmp", bitmap);
    WriteFile(dir + "/shot.wav", wav);
    std::vector<PackInput> inputs;
    for (auto [name, raw] : {std::pair{"tile.bmp", &bitmap}, std::pair{"shot.wav", &wav}}) {
        VelCompression c;
        c.mode = VelCompression::kModeLzo;
        const int n = c.Pack(raw->data(), long(raw->size()));
        inputs.push_back({name, Bytes(c.Result(), c.Result() + n)});
        std::printf("%s: %zu bytes packed to %d\n", name, raw->size(), n);
    }
    const std::string game = dir + "/game";
    fs::copy_file("/proc/self/exe", game);
    Bytes tail;
    std::string error;
    if (!BuildPackTail(inputs, int64_t(fs::file_size(game)), true, tail, error)) return 1;
    WriteFile(game, tail);
    std::printf("pack appended to a %ju-byte executable\n", std::uintmax_t(fs::file_size(game)));

    VelShoeBox box;
    box.SetPath(game);
    for (int pass = 0; pass < 2; ++pass) {  // the first pass warms the caches
        const int scale = pass == 0 ? 1 : 10;
        Measure("3 KiB bitmap, from appended pack", box, "gfx/tile.bmp", bitmap.size(),
                200 * scale);
        Measure("3 KiB bitmap, loose file", box, dir + "/tile.bmp", bitmap.size(), 200 * scale);
        Measure("1 MiB WAV, from appended pack", box, "sfx/shot.wav", wav.size(), 10 * scale);
        Measure("1 MiB WAV, loose file", box, dir + "/shot.wav", wav.size(), 10 * scale);
        if (pass == 0) std::printf("-- measured pass --\n");
    }
    box.Clear();
    fs::remove_all(dir);
    return 0;
}
