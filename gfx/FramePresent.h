// How the finished frame reaches the window: which way it is placed there, and the
// copy when it is not drawn into the window directly. The GL calls are in
// FramePresent_gl.cpp.
#pragma once

#include <cstdint>

enum class FramePlacement {
    kWholeWindow,  // the frame fills the drawable texel for pixel
    kWholeScale,   // each texel covers a square of whole pixels
    kScaled,       // any other scale: filtered linearly
};

// rect: left, bottom, right, top of the frame's place in the drawable.
FramePlacement PlaceFrame(int frameW, int frameH, int windowW, int windowH, const int rect[4]);
// Clears the window's drawable and copies the off-screen frame into rect.
void CopyFrameIntoWindow(unsigned frameBuffer, int frameW, int frameH, const int rect[4],
                         FramePlacement placement);
// Makes frameBuffer the target of the next frame's drawing and pixel reads: the
// off-screen frame, or 0, the window's own drawable, whose lower-left corner of
// width x height then holds the frame (drawing outside it is cut off).
void TargetNextFrame(unsigned frameBuffer, int width, int height);
// A frame drawn into the window's corner copied into the off-screen frame, for a
// present that scales it from there.
void TakeFrameFromWindow(unsigned frameBuffer, int width, int height);
// Whether the window's own drawable (bound as frame buffer 0) shows what the
// off-screen frame would: 8-bit red, green and blue, no alpha planes, and no depth
// test under way (the off-screen frame has no depth planes).
bool WindowHoldsFrameAsIs();
// Reads the frame that drawing went to (the off-screen frame, or the window's own
// drawable for a frame drawn straight into it) as 32-bit pixels, blue, green, red,
// unused in memory order, top row first.
void ReadDrawnFrame(int width, int height, uint32_t* pixels);
