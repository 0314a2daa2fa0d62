// Feeds arbitrary bytes to the bitmap reader as a file, then cuts the whole picture
// and a tile of it into textures and makes a mipmap level, as the loaders do.
#include <cstddef>
#include <cstdint>

#include "gfx/BitmapReader.h"
#include "gfx/TexelOps.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryByteSource source(data, size);
    int width = 0, height = 0;
    ReadBitmapSize(source, width, height);
    BitmapImage image;
    if (!ReadBitmap(source, image)) return 0;
    // Pictures are cut to a small texture size so one input stays fast.
    TexelImage texels;
    CutBitmapRectangle(image, 0, 0, 0, 0, 256, 0x8000FF, true, texels);
    std::vector<uint8_t> next;
    int nextWidth = 0, nextHeight = 0;
    MakeNextMipLevel(texels.rgba, texels.width, texels.height, next, nextWidth, nextHeight);
    build_detail_normalmap(texels.rgba.data(), texels.width, texels.height);
    CutBitmapRectangle(image, 64, 64, 64, 64, 256, 0, false, texels);
    return 0;
}
