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

    // A page's texture replaced by a larger one: places on it name `to` from now on.
    struct Renaming {
        unsigned int from = 0, to = 0;
    };

    // Puts a picture's cell (cellWidth x cellHeight RGBA texels, rows as its own
    // texture holds them) into a free layer of a page of that cell size. An empty
    // place when the cell is too large for pages, the driver has no array textures or
    // a page cannot be had.
    Place Add(const uint8_t* rgba, int cellWidth, int cellHeight, Renaming& renamed);
    // Whether a layer can be copied into a texture of its own and its alpha read back
    // (OpenGL 4.5), so that a picture on a page needs no other copy until a path that
    // draws from its own texture asks for one.
    static bool LayersReadable();
    // Copies a layer into level 0 of the 2D texture `target` of the cell's size.
    static void CopyLayer(const Place& place, unsigned int target, int cellWidth, int cellHeight);
    // Reads the alpha of a layer's texels, one byte each, rows as stored.
    static void ReadLayerAlpha(const Place& place, int cellWidth, int cellHeight, uint8_t* alpha);
    void Remove(const Place& place);
    // Deletes every page (the pictures stay drawable from their own textures).
    void Clear();
    // Whether a cell of this size goes onto a page.
    static bool CellFits(int cellWidth, int cellHeight);
    // Layers one page of this cell size holds at most.
    static int LayersPerPage(int cellWidth, int cellHeight);
    int PageCount() const { return int(m_pages.size()); }

  private:
    struct Page {
        unsigned int texture = 0;
        int cellWidth = 0;
        int cellHeight = 0;
        int mostLayers = 0;
        std::vector<bool> used;
    };
    Page* PageWithRoom(int cellWidth, int cellHeight, Renaming& renamed);
    static unsigned int MakeLayers(int cellWidth, int cellHeight, int layers);
    bool Grow(Page& page, Renaming& renamed);

    std::vector<Page> m_pages;
};
