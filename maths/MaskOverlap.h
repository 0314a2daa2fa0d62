// The pixel test of SPRCOLL: two sprite masks placed on the screen overlap where a
// texel of the first that is not transparent lies on a fully opaque texel of the
// second. The masks are the alpha bytes of the sprites' textures, bottom row first.
#pragma once

#include <cstdint>

struct SpriteMask {
    const uint8_t* alpha = nullptr;  // textureWidth x textureHeight bytes
    int textureWidth = 0;
    int textureHeight = 0;
    int pictureWidth = 0;  // the picture may be larger than its texture (cut to fit)
    int pictureHeight = 0;
};

// Whether the pictures' rectangles at (ax, ay) and (bx, by) meet at all (touching
// edges count), so the masks need to be looked at.
bool PictureRectanglesMeet(int aWidth, int aHeight, int ax, int ay, int bWidth, int bHeight, int bx,
                           int by);

bool MasksOverlap(const SpriteMask& a, int ax, int ay, const SpriteMask& b, int bx, int by);
