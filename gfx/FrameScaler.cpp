// The frame scaled on the processor: pixman, and a row mixer in SSE2 where the
// processor has it.
#include "gfx/FrameScaler.h"

#include <pixman.h>

#include <algorithm>
#include <cmath>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {
pixman_image_t* Image(const PixelBlock& block) {
    return pixman_image_create_bits(PIXMAN_x8r8g8b8, block.width, block.height, block.pixels,
                                    block.stride * 4);
}

bool Empty(const PixelBlock& block) {
    return !block.pixels || block.width <= 0 || block.height <= 0 || block.stride < block.width;
}

// Target pixel centre x + 0.5 samples the source at (x + 0.5) * from / to: the
// centres of both pictures line up, and the pad repeat clamps at the edges.
void PixmanScale(const PixelBlock& from, const PixelBlock& to, bool filtered) {
    pixman_image_t* source = Image(from);
    pixman_image_t* target = Image(to);
    pixman_transform_t transform;
    pixman_transform_init_scale(&transform, pixman_double_to_fixed(double(from.width) / to.width),
                                pixman_double_to_fixed(double(from.height) / to.height));
    pixman_image_set_transform(source, &transform);
    pixman_image_set_filter(source, filtered ? PIXMAN_FILTER_BILINEAR : PIXMAN_FILTER_NEAREST,
                            nullptr, 0);
    pixman_image_set_repeat(source, PIXMAN_REPEAT_PAD);
    pixman_image_composite32(PIXMAN_OP_SRC, source, nullptr, target, 0, 0, 0, 0, 0, 0, to.width,
                             to.height);
    pixman_image_unref(target);
    pixman_image_unref(source);
}

uint32_t MixPixel(uint32_t a, uint32_t b, int weight) {
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        int low = int(a >> shift) & 0xFF, high = int(b >> shift) & 0xFF;
        out |= uint32_t((low * (256 - weight) + high * weight + 128) >> 8) << shift;
    }
    return out;
}
}  // namespace

void MixRows(const uint32_t* a, const uint32_t* b, uint32_t* out, int count, int weight) {
    int i = 0;
#ifdef __SSE2__
    // Bytes widened to 16 bits: 255 x 256 still fits.
    const __m128i zero = _mm_setzero_si128(), half = _mm_set1_epi16(128);
    const __m128i wa = _mm_set1_epi16(short(256 - weight)), wb = _mm_set1_epi16(short(weight));
    for (; i + 4 <= count; i += 4) {
        __m128i pa = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i));
        __m128i pb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
        auto mix = [&](__m128i x, __m128i y) {
            __m128i sum = _mm_add_epi16(_mm_mullo_epi16(x, wa), _mm_mullo_epi16(y, wb));
            return _mm_srli_epi16(_mm_add_epi16(sum, half), 8);
        };
        __m128i low = mix(_mm_unpacklo_epi8(pa, zero), _mm_unpacklo_epi8(pb, zero));
        __m128i high = mix(_mm_unpackhi_epi8(pa, zero), _mm_unpackhi_epi8(pb, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(low, high));
    }
#endif
    for (; i < count; ++i) out[i] = MixPixel(a[i], b[i], weight);
}

void FrameScaler::Scale(const PixelBlock& from, const PixelBlock& to, bool filtered) {
    if (Empty(from) || Empty(to)) return;
    if (filtered && to.height >= from.height)
        FilterInTwoPasses(from, to);
    else
        PixmanScale(from, to, filtered);
}

// Row y of the target samples the source at (y + 0.5) * from / to - 0.5, between the
// rows above and below that point; rows beyond the edges are the edge rows.
void FrameScaler::FilterInTwoPasses(const PixelBlock& from, const PixelBlock& to) {
    m_widened.resize(std::size_t(to.width) * from.height);
    PixmanScale(from, PixelBlock{m_widened.data(), to.width, from.height, to.width}, true);
    const double step = double(from.height) / to.height;
    for (int y = 0; y < to.height; ++y) {
        double v = (y + 0.5) * step - 0.5;
        int above = int(std::floor(v));
        int weight = int(std::lround((v - above) * 256));
        int top = std::clamp(above, 0, from.height - 1);
        int bottom = std::clamp(above + 1, 0, from.height - 1);
        MixRows(&m_widened[std::size_t(top) * to.width], &m_widened[std::size_t(bottom) * to.width],
                to.pixels + std::size_t(y) * to.stride, to.width, weight);
    }
}
