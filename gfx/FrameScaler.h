// Scaling the finished frame on the processor, for renderers that draw in software:
// 32-bit pixels (blue, green, red, unused in memory order), top row first, scaled
// by pixman's SIMD code either to the nearest texel or filtered between the four
// around the point sampled, edges clamped, as OpenGL's blit samples them.
#pragma once

#include <cstdint>

struct PixelBlock {
    uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;  // pixels from one row to the next
};

// Scales the whole of `from` to fill the whole of `to`. Nothing happens for an
// empty block.
void ScaleFrame(const PixelBlock& from, const PixelBlock& to, bool filtered);
