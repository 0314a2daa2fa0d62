// The frame scaled on the processor through pixman.
#include "gfx/FrameScaler.h"

#include <pixman.h>

namespace {
pixman_image_t* Image(const PixelBlock& block) {
    return pixman_image_create_bits(PIXMAN_x8r8g8b8, block.width, block.height, block.pixels,
                                    block.stride * 4);
}

bool Empty(const PixelBlock& block) {
    return !block.pixels || block.width <= 0 || block.height <= 0 || block.stride < block.width;
}
}  // namespace

// Target pixel centre x + 0.5 samples the source at (x + 0.5) * from / to: the
// centres of both pictures line up, and the pad repeat clamps at the edges.
void ScaleFrame(const PixelBlock& from, const PixelBlock& to, bool filtered) {
    if (Empty(from) || Empty(to)) return;
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
