// Pictures built from their text sources (*.pic): a canvas, a colour legend,
// character grids and a few drawing statements. A picture may start from
// another one, as a copy or as its mirror image.
#pragma once

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tools/mediagen/Glyphs.h"
#include "tools/mediagen/Image.h"

namespace mediagen {

struct Picture {
    Image image;
    int bitsPerPixel = 24;
};

class PictureLibrary {
  public:
    PictureLibrary(std::filesystem::path directory, const GlyphSet& glyphs);

    // Names (without ".pic") of every picture source in the folder, sorted.
    std::vector<std::string> names() const;
    // Builds the picture on first use; errors name the source file and line.
    const Picture& get(const std::string& name);
    // Builds a picture from source text already in memory (also used by tests).
    Picture build(SourceText& source);

    const std::filesystem::path& directory() const { return directory_; }
    const GlyphSet& glyphs() const { return glyphs_; }

  private:
    std::filesystem::path directory_;
    const GlyphSet& glyphs_;
    std::map<std::string, Picture> built_;
    std::set<std::string> building_;
};

}  // namespace mediagen
