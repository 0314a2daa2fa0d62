// Atlas pages: the loaded pictures, each held once, in a few 2D textures, one kind
// of page per power-of-two cell size, the cells in a grid. A cell holds the texels
// of the picture's own texture as they were loaded. Pages are read texel for pixel
// only (nearest texels of whole-pixel quads of the picture's own size), which never
// reach a neighbouring cell; their texels are kept blue-green-red-alpha, the order in
// which a software renderer copies them fastest. The GL calls are in AtlasPages_gl.cpp.
#pragma once

#include <cstdint>
#include <vector>

class AtlasPages {
  public:
    // Where a picture is held: the page (its index; -1: on none) and the cell's first
    // texel there. A page that grows keeps its index and its cells' places.
    struct Place {
        int page = -1;
        int x = 0, y = 0;
        bool OnPage() const { return page >= 0; }
    };
    // A place with what its page is now: texture name and size.
    struct Cell {
        unsigned int texture = 0;  // 0: not on a page
        int x = 0, y = 0;
        int pageWidth = 0, pageHeight = 0;
    };

    AtlasPages() = default;
    ~AtlasPages();
    AtlasPages(const AtlasPages&) = delete;
    AtlasPages& operator=(const AtlasPages&) = delete;

    // Puts a picture's cell (cellWidth x cellHeight RGBA texels, rows as its own
    // texture holds them) into a free cell of a page of that cell size. An empty
    // place when the cell is too large for pages or a page cannot be had.
    Place Add(const uint8_t* rgba, int cellWidth, int cellHeight);
    Cell CellOf(const Place& place) const;
    // Whether a cell can be read back and a page copied into a larger one (OpenGL
    // 4.5), so that a picture on a page needs no other copy until a path that draws
    // from its own texture asks for one.
    static bool CellsReadable();
    // Reads a cell's texels in `format` (GL_RGBA: four bytes, GL_ALPHA: one), rows
    // as stored.
    void ReadCell(const Place& place, unsigned int format, uint8_t* out, std::size_t size) const;
    void Remove(const Place& place);
    // Deletes every page; the places handed out are void from then on.
    void Clear();
    // Whether a cell of this size goes onto a page.
    static bool CellFits(int cellWidth, int cellHeight);
    int PageCount() const { return int(m_pages.size()); }

  private:
    struct Page {
        unsigned int texture = 0;
        int cellWidth = 0, cellHeight = 0;
        int columns = 0, rows = 0;          // the grid as it is
        int mostColumns = 0, mostRows = 0;  // and as large as it may grow
        std::vector<bool> used;             // mostColumns per row
        bool Used(int column, int row) const { return used[std::size_t(row * mostColumns + column)]; }
        void SetUsed(int column, int row, bool on) {
            used[std::size_t(row * mostColumns + column)] = on;
        }
    };
    const Page* PageAt(const Place& place) const;
    int PageWithRoom(int cellWidth, int cellHeight);
    static bool FreeCell(const Page& page, int& column, int& row);
    static unsigned int MakeTexture(int width, int height);
    bool Grow(Page& page);

    std::vector<Page> m_pages;
};
