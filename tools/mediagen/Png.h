// PNG encoding of a picture for the desktop: 8-bit RGBA, the key colour fully
// transparent, the pixel data in stored (uncompressed) deflate blocks, so the
// encoder needs no compression library and writes the same bytes on every run.
#pragma once

#include "tools/mediagen/Encoders.h"
#include "tools/mediagen/Image.h"

namespace mediagen {

// Pixels of the colour `transparent` get alpha 0, every other pixel alpha 255.
Bytes encodePng(const Image& image, Colour transparent);

// The CRC-32 of PNG chunks and the Adler-32 of zlib streams, over a whole block.
std::uint32_t crc32(const std::uint8_t* data, std::size_t size);
std::uint32_t adler32(const std::uint8_t* data, std::size_t size);

}  // namespace mediagen
