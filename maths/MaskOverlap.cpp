// The pixel test of SPRCOLL over two sprite masks.
#include "maths/MaskOverlap.h"

#include <algorithm>

namespace {
struct Span {
    int low, high;  // the overlap of two rectangles on one axis, high excluded
};

Span Overlap(int aPosition, int aSize, int bPosition, int bSize) {
    return {std::max(aPosition, bPosition), std::min(aPosition + aSize, bPosition + bSize)};
}
}  // namespace

bool PictureRectanglesMeet(int aWidth, int aHeight, int ax, int ay, int bWidth, int bHeight, int bx,
                           int by) {
    Span across = Overlap(ax, aWidth, bx, bWidth), down = Overlap(ay, aHeight, by, bHeight);
    return across.low <= across.high && down.low <= down.high;
}

bool MasksOverlap(const SpriteMask& a, int ax, int ay, const SpriteMask& b, int bx, int by) {
    if (!a.alpha || !b.alpha) return false;
    Span across = Overlap(ax, a.pictureWidth, bx, b.pictureWidth);
    Span down = Overlap(ay, a.pictureHeight, by, b.pictureHeight);
    for (int y = down.low; y < down.high; ++y) {
        int rowA = a.pictureHeight - 1 - (y - ay), rowB = b.pictureHeight - 1 - (y - by);
        // Pictures cut to the texture size have rows and columns without texels.
        if (rowA < 0 || rowA >= a.textureHeight || rowB < 0 || rowB >= b.textureHeight) continue;
        for (int x = across.low; x < across.high; ++x) {
            int colA = x - ax, colB = x - bx;
            if (colA < 0 || colA >= a.textureWidth || colB < 0 || colB >= b.textureWidth) continue;
            if (a.alpha[rowA * a.textureWidth + colA] != 0 &&
                b.alpha[rowB * b.textureWidth + colB] == 255)
                return true;
        }
    }
    return false;
}
