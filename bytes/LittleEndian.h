// Little-endian numbers in byte buffers, as the bitmap, WAV and media-pack formats
// store them. The caller has checked that the bytes are there.
#pragma once

#include <cstdint>

inline uint16_t ReadLittle16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }

inline uint32_t ReadLittle32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

inline void WriteLittle16(uint8_t* p, uint16_t value) {
    p[0] = uint8_t(value);
    p[1] = uint8_t(value >> 8);
}

inline void WriteLittle32(uint8_t* p, uint32_t value) {
    WriteLittle16(p, uint16_t(value));
    WriteLittle16(p + 2, uint16_t(value >> 16));
}
