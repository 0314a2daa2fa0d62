// Feeds arbitrary bytes to the bitmap reader, from memory. Each run is the reader and a
// cut into a small texture: the texture a loader would make is bounded by the picture,
// not by the input, so a large cut would spend the run filling texels, not reading.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "gfx/BitmapReader.h"
#include "gfx/TexelOps.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryByteSource source(data, size);
    int width = 0, height = 0;
    const bool sized = ReadBitmapSize(source, width, height);
    BitmapImage image;
    if (!ReadBitmap(source, image)) return 0;
    // What the reader accepts is whole: its size agrees with the header and every row is there.
    if (!sized || width != image.width || height != image.height) std::abort();
    if (image.pixels.size() != image.rowSize * size_t(image.height)) std::abort();
    volatile uint32_t corners = image.ColourAt(0, 0) ^ image.ColourAt(image.width - 1, image.height - 1);
    (void)corners;
    TexelImage texels;
    CutBitmapRectangle(image, 0, 0, 0, 0, 16, 0x8000FF, true, texels);
    if (texels.width > 16 || texels.height > 16) std::abort();
    CutBitmapRectangle(image, 3, 2, 5, 7, 16, 0, false, texels);
    return 0;
}
