// Atlas pages: the loaded pictures again, as layers of a few array textures, one
// kind of page per power-of-two cell size. A layer holds the picture's cell exactly
// as its own texture does (same size, same repeat at the edges, same filtering) and
// the texture coordinates stay the ones of the picture's own texture, so a sprite
// drawn from a page reads the very texels it reads from its own texture; sprites
// that share a page are drawn together. The GL calls are in AtlasPages_gl.cpp.
#pragma once

#include <cstdint>
#include <vector>

class AtlasPages {
  public:
    struct Place {
        unsigned int texture = 0;  // the page's array texture; 0: not on a page
        int layer = 0;
    };

    AtlasPages() = default;
    ~AtlasPages();
    AtlasPages(const AtlasPages&) = delete;
    AtlasPages& operator=(const AtlasPages&) = delete;

    // Copies the cell of the 2D texture `source` (cellWidth x cellHeight texels) into
    // a free layer of a page of that cell size. An empty place when the cell is too
    // large for pages, the driver has no array textures or a page cannot be had.
    Place Add(unsigned int source, int cellWidth, int cellHeight);
    void Remove(const Place& place);
    // Deletes every page (the pictures stay drawable from their own textures).
    void Clear();
    // Whether a cell of this size goes onto a page.
    static bool CellFits(int cellWidth, int cellHeight);
    // Layers one page of this cell size holds.
    static int LayersPerPage(int cellWidth, int cellHeight);
    int PageCount() const { return int(m_pages.size()); }

  private:
    struct Page {
        unsigned int texture = 0;
        int cellWidth = 0;
        int cellHeight = 0;
        std::vector<bool> used;
    };
    Page* PageWithRoom(int cellWidth, int cellHeight);
    bool MakePage(Page& page);

    std::vector<Page> m_pages;
    std::vector<uint8_t> m_texels;  // the copy on its way from a texture to a layer
};
