// Scaling the finished frame on the processor, for renderers that draw in software:
// 32-bit pixels (blue, green, red, unused in memory order), top row first, scaled
// either to the nearest texel or filtered between the four around the point
// sampled, edges clamped, as OpenGL's linear blit samples them. pixman's SIMD code
// does the nearest and the across-the-row work; an enlarging filter is done in two
// passes, each source row widened once and the rows of the target mixed from two of
// those, which costs half the two-dimensional filter.
#pragma once

#include <cstdint>
#include <vector>

struct PixelBlock {
    uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;  // pixels from one row to the next
};

class FrameScaler {
  public:
    // Scales the whole of `from` to fill the whole of `to`. Nothing happens for an
    // empty block.
    void Scale(const PixelBlock& from, const PixelBlock& to, bool filtered);

  private:
    void FilterInTwoPasses(const PixelBlock& from, const PixelBlock& to);
    std::vector<uint32_t> m_widened;  // the source rows at the target's width
};

// Mixes two rows: out = a + (b - a) x weight / 256, weight 0 to 256.
void MixRows(const uint32_t* a, const uint32_t* b, uint32_t* out, int count, int weight);
