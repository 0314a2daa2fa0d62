// Operations on RGBA texel images that the texture uploads need: the mipmap
// reduction, the detail normal map, and the 24-bit snapshot file. Pure C++.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Makes the next smaller mipmap level of an RGBA image (rows in storage order).
// Each side is halved, but not below 1. The filter weights the texel pairs of the
// level below as the runtime always has: (4a + 2b + 2c + d) / 9 inside, (2a + b) / 3
// on the last row, (2a + d) / 3 on the last column, a in the last corner.
void MakeNextMipLevel(const std::vector<uint8_t>& level, int width, int height,
                      std::vector<uint8_t>& next, int& nextWidth, int& nextHeight);

// Turns an RGBA image into a normal map in place: the height is the blue byte,
// slopes by a 3 x 3 Sobel filter with wrap-around at the edges; alpha is kept.
void build_detail_normalmap(uint8_t* pixels, int width, int height);

// Writes a 24-bit bitmap file: rows bottom row first, each pixel three bytes
// blue, green, red, no padding (the caller passes a width that is a multiple of 4).
// rgbBottomUp holds width * height pixels red, green, blue. False when the file
// cannot be written.
bool WriteBitmap24(const std::string& path, int width, int height,
                   const std::vector<uint8_t>& rgbBottomUp);
