// Runs every media source of the assets folder and writes the game's
// pictures, fonts and sounds, plus the review sheet, into one folder.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace mediagen {

// Layout of the assets folder: pictures/*.pic, fonts/*.font with the glyph
// file fonts/letters.glyphs, sounds/*.sfx. Returns the names of the files
// written, the contact sheet last. Throws on the first faulty source.
std::vector<std::string> generateAll(const std::filesystem::path& assets,
                                     const std::filesystem::path& output);

inline constexpr const char* kContactSheetName = "contact_sheet.bmp";

}  // namespace mediagen
