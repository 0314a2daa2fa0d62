// PNG writing: signature, IHDR, one IDAT holding a zlib stream of stored deflate
// blocks, IEND. Numbers in PNG and zlib are big-endian.
#include "tools/mediagen/Png.h"

#include <algorithm>
#include <array>

namespace mediagen {

namespace {

constexpr std::size_t kStoredBlockMax = 65535;

void putBig32(Bytes& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>((value >> shift) & 0xFF));
}

void putChunk(Bytes& out, const char type[5], const Bytes& data) {
    putBig32(out, static_cast<std::uint32_t>(data.size()));
    Bytes typed(type, type + 4);
    typed.insert(typed.end(), data.begin(), data.end());
    out.insert(out.end(), typed.begin(), typed.end());
    putBig32(out, crc32(typed.data(), typed.size()));
}

// Each row starts with filter type 0 (none), then red, green, blue, alpha.
Bytes rawRows(const Image& image, Colour transparent) {
    Bytes rows;
    rows.reserve(static_cast<std::size_t>(image.height()) *
                 (1 + 4 * static_cast<std::size_t>(image.width())));
    for (int y = 0; y < image.height(); ++y) {
        rows.push_back(0);
        for (int x = 0; x < image.width(); ++x) {
            Colour c = image.at(x, y);
            bool clear = c == transparent;
            rows.insert(rows.end(), {clear ? std::uint8_t(0) : c.r, clear ? std::uint8_t(0) : c.g,
                                     clear ? std::uint8_t(0) : c.b,
                                     clear ? std::uint8_t(0) : std::uint8_t(255)});
        }
    }
    return rows;
}

// A zlib stream (no preset dictionary, 32 KiB window) of stored deflate blocks.
Bytes zlibStored(const Bytes& data) {
    Bytes out = {0x78, 0x01};
    std::size_t offset = 0;
    do {
        std::size_t length = std::min(kStoredBlockMax, data.size() - offset);
        bool last = offset + length == data.size();
        out.push_back(last ? 1 : 0);
        auto length16 = static_cast<std::uint16_t>(length);
        out.insert(out.end(), {static_cast<std::uint8_t>(length16 & 0xFF),
                               static_cast<std::uint8_t>(length16 >> 8),
                               static_cast<std::uint8_t>(~length16 & 0xFF),
                               static_cast<std::uint8_t>((~length16 >> 8) & 0xFF)});
        out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(offset),
                   data.begin() + static_cast<std::ptrdiff_t>(offset + length));
        offset += length;
    } while (offset < data.size());
    putBig32(out, adler32(data.data(), data.size()));
    return out;
}

}  // namespace

std::uint32_t crc32(const std::uint8_t* data, std::size_t size) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) c = table[(c ^ data[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

std::uint32_t adler32(const std::uint8_t* data, std::size_t size) {
    std::uint32_t a = 1, b = 0;
    for (std::size_t i = 0; i < size; ++i) {
        a = (a + data[i]) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16) | a;
}

Bytes encodePng(const Image& image, Colour transparent) {
    Bytes out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes header;
    putBig32(header, static_cast<std::uint32_t>(image.width()));
    putBig32(header, static_cast<std::uint32_t>(image.height()));
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, filter 0, no interlace
    putChunk(out, "IHDR", header);
    putChunk(out, "IDAT", zlibStored(rawRows(image, transparent)));
    putChunk(out, "IEND", {});
    return out;
}

}  // namespace mediagen
