// The frame's rectangle in the window for smooth and integer scaling.
#include "gfx/Viewport.h"

#include <algorithm>
#include <cmath>

namespace {
ViewportRect Centred(int drawableWidth, int drawableHeight, int width, int height) {
    ViewportRect rect;
    rect.width = std::clamp(width, 1, drawableWidth);
    rect.height = std::clamp(height, 1, drawableHeight);
    rect.x = (drawableWidth - rect.width) / 2;
    rect.y = (drawableHeight - rect.height) / 2;
    return rect;
}
}  // namespace

ViewportRect FitViewport(int drawableWidth, int drawableHeight, int frameWidth, int frameHeight,
                         ScaleMode mode) {
    drawableWidth = std::max(drawableWidth, 1);
    drawableHeight = std::max(drawableHeight, 1);
    frameWidth = std::max(frameWidth, 1);
    frameHeight = std::max(frameHeight, 1);
    if (mode == ScaleMode::kInteger) {
        int factor = std::min(drawableWidth / frameWidth, drawableHeight / frameHeight);
        if (factor >= 1)
            return Centred(drawableWidth, drawableHeight, frameWidth * factor,
                           frameHeight * factor);
    }
    double scale = std::min(double(drawableWidth) / frameWidth, double(drawableHeight) / frameHeight);
    return Centred(drawableWidth, drawableHeight, int(std::lround(frameWidth * scale)),
                   int(std::lround(frameHeight * scale)));
}
