// Bitmap and WAV encoding, little-endian throughout.
#include "tools/mediagen/Encoders.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>

namespace mediagen {

namespace {

void put16(Bytes& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void put32(Bytes& out, std::uint32_t value) {
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

void putText(Bytes& out, const char* text) {
    while (*text) out.push_back(static_cast<std::uint8_t>(*text++));
}

std::uint32_t rowBytes(int width, int bitsPerPixel) {
    std::uint32_t bytes =
        static_cast<std::uint32_t>(width) * static_cast<std::uint32_t>(bitsPerPixel / 8);
    return (bytes + 3) & ~3u;
}

void putBitmapHeaders(Bytes& out, const Image& image, int bitsPerPixel,
                      std::uint32_t paletteBytes) {
    std::uint32_t pixelOffset = 14 + 40 + paletteBytes;
    std::uint32_t pixelBytes =
        rowBytes(image.width(), bitsPerPixel) * static_cast<std::uint32_t>(image.height());
    putText(out, "BM");
    put32(out, pixelOffset + pixelBytes);
    put32(out, 0);
    put32(out, pixelOffset);
    put32(out, 40);
    put32(out, static_cast<std::uint32_t>(image.width()));
    put32(out, static_cast<std::uint32_t>(image.height()));  // positive: bottom row first
    put16(out, 1);
    put16(out, static_cast<std::uint32_t>(bitsPerPixel));
    put32(out, 0);  // no compression
    put32(out, pixelBytes);
    put32(out, 2835);  // 72 dots per inch
    put32(out, 2835);
    put32(out, paletteBytes / 4);
    put32(out, 0);
}

std::uint32_t colourKey(Colour c) {
    return (static_cast<std::uint32_t>(c.r) << 16) | (c.g << 8) | c.b;
}

// Palette indices in order of first appearance, top row first.
std::map<std::uint32_t, std::uint8_t> buildPalette(const Image& image,
                                                   std::vector<Colour>& palette) {
    std::map<std::uint32_t, std::uint8_t> index;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            Colour c = image.at(x, y);
            if (index.count(colourKey(c))) continue;
            if (palette.size() == 256)
                throw std::runtime_error("more than 256 colours for an 8-bit bitmap");
            index[colourKey(c)] = static_cast<std::uint8_t>(palette.size());
            palette.push_back(c);
        }
    }
    return index;
}

Bytes encode8(const Image& image) {
    std::vector<Colour> palette;
    auto index = buildPalette(image, palette);
    palette.resize(256, kBlack);
    Bytes out;
    putBitmapHeaders(out, image, 8, 256 * 4);
    for (Colour c : palette) {
        out.insert(out.end(), {c.b, c.g, c.r, 0});
    }
    std::uint32_t stride = rowBytes(image.width(), 8);
    for (int y = image.height() - 1; y >= 0; --y) {
        std::size_t start = out.size();
        for (int x = 0; x < image.width(); ++x) out.push_back(index[colourKey(image.at(x, y))]);
        out.resize(start + stride, 0);
    }
    return out;
}

Bytes encode24(const Image& image) {
    Bytes out;
    putBitmapHeaders(out, image, 24, 0);
    std::uint32_t stride = rowBytes(image.width(), 24);
    for (int y = image.height() - 1; y >= 0; --y) {
        std::size_t start = out.size();
        for (int x = 0; x < image.width(); ++x) {
            Colour c = image.at(x, y);
            out.insert(out.end(), {c.b, c.g, c.r});
        }
        out.resize(start + stride, 0);
    }
    return out;
}

}  // namespace

Bytes encodeBitmap(const Image& image, int bitsPerPixel) {
    if (image.width() < 1 || image.height() < 1)
        throw std::runtime_error("a bitmap needs at least one pixel");
    if (bitsPerPixel == 8) return encode8(image);
    if (bitsPerPixel == 24) return encode24(image);
    throw std::runtime_error("bitmaps are written with 8 or 24 bits per pixel");
}

Bytes encodeWave(const std::vector<float>& samples, SoundFormat format) {
    if (format.bitsPerSample != 8 && format.bitsPerSample != 16) {
        throw std::runtime_error("sounds are written with 8 or 16 bits per sample");
    }
    std::uint32_t bytesPerSample = static_cast<std::uint32_t>(format.bitsPerSample / 8);
    std::uint32_t dataBytes = static_cast<std::uint32_t>(samples.size()) * bytesPerSample;
    Bytes out;
    putText(out, "RIFF");
    put32(out, 36 + dataBytes + (dataBytes & 1));
    putText(out, "WAVEfmt ");
    put32(out, 16);
    put16(out, 1);  // PCM
    put16(out, 1);  // mono
    put32(out, static_cast<std::uint32_t>(format.sampleRate));
    put32(out, static_cast<std::uint32_t>(format.sampleRate) * bytesPerSample);
    put16(out, bytesPerSample);
    put16(out, static_cast<std::uint32_t>(format.bitsPerSample));
    putText(out, "data");
    put32(out, dataBytes);
    for (float sample : samples) {
        double clipped = std::clamp(static_cast<double>(sample), -1.0, 1.0);
        if (bytesPerSample == 1) {
            out.push_back(static_cast<std::uint8_t>(128 + std::lround(clipped * 127.0)));
        } else {
            put16(out, static_cast<std::uint16_t>(
                           static_cast<std::int16_t>(std::lround(clipped * 32767.0))));
        }
    }
    if (dataBytes & 1) out.push_back(0);  // chunks are padded to an even size
    return out;
}

void writeFile(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error(path.string() + ": cannot be written");
}

}  // namespace mediagen
