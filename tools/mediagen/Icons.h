// The desktop icons of the game, made from one of its own pictures: the picture's
// visible part scaled up by the largest whole factor that fits, centred on a square.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tools/mediagen/Image.h"

namespace mediagen {

inline constexpr const char* kIconPicture = "kip";
inline const std::vector<int> kIconSizes = {32, 64, 128};

// A size × size picture, key colour around: the smallest rectangle holding every
// pixel that is not the key colour, scaled by a whole factor (at least 1; a part
// larger than the square is cut at the square's edges) and centred.
Image makeIcon(const Image& picture, int size);

// Writes NAME_SIZE.png for every icon size into the output folder; returns the names.
std::vector<std::string> generateIcons(const std::filesystem::path& assets,
                                       const std::filesystem::path& output);

}  // namespace mediagen
