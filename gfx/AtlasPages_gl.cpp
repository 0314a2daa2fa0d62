// Atlas pages as GL 2D textures with nearest texels, their texels stored
// blue-green-red-alpha (an unsized RGBA texture filled from BGRA bytes): a picture's
// texels uploaded into a cell, read back from there when a path asks for the
// picture's own texture or its collision mask; a full page grows into a texture of
// twice the size.
#define GL_GLEXT_PROTOTYPES 1
#include <SDL_opengl.h>

#include <algorithm>
#include <cstdio>

#include "gfx/AtlasPages.h"

namespace {
// Pages hold cells up to this side; larger pictures are drawn from their own texture.
constexpr int kLargestPagedSide = 512;
// A page grows to at most this side (16 MiB of texels); it starts with one cell.
constexpr int kLargestPageSide = 2048;

int LargestPageSide() {
    GLint side = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &side);
    return std::min(kLargestPageSide, int(side));
}
}  // namespace

AtlasPages::~AtlasPages() { Clear(); }

bool AtlasPages::CellFits(int cellWidth, int cellHeight) {
    return cellWidth >= 1 && cellHeight >= 1 && cellWidth <= kLargestPagedSide &&
           cellHeight <= kLargestPagedSide && cellWidth <= LargestPageSide() &&
           cellHeight <= LargestPageSide();
}

bool AtlasPages::FreeCell(const Page& page, int& column, int& row) {
    for (row = 0; row < page.rows; ++row)
        for (column = 0; column < page.columns; ++column)
            if (!page.Used(column, row)) return true;
    return false;
}

// The index of a page of that cell size with a free cell, or of one that grows; a
// new page when there is none; -1 when none can be had.
int AtlasPages::PageWithRoom(int cellWidth, int cellHeight) {
    int column = 0, row = 0;
    for (std::size_t i = 0; i < m_pages.size(); ++i) {
        Page& page = m_pages[i];
        if (page.cellWidth != cellWidth || page.cellHeight != cellHeight) continue;
        if (FreeCell(page, column, row) || Grow(page)) return int(i);
    }
    Page page;
    page.cellWidth = cellWidth;
    page.cellHeight = cellHeight;
    page.mostColumns = LargestPageSide() / cellWidth;
    page.mostRows = LargestPageSide() / cellHeight;
    // Without the copy between textures a page cannot grow: it is made at its full size.
    bool grows = CellsReadable();
    page.columns = grows ? 1 : page.mostColumns;
    page.rows = grows ? 1 : page.mostRows;
    page.texture = MakeTexture(page.columns * cellWidth, page.rows * cellHeight);
    if (!page.texture) return -1;
    page.used.assign(std::size_t(page.mostColumns) * page.mostRows, false);
    m_pages.push_back(std::move(page));
    return int(m_pages.size()) - 1;
}

// 0 when the driver cannot hold it.
unsigned int AtlasPages::MakeTexture(int width, int height) {
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
    }  // earlier errors are not the page's
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    glBindTexture(GL_TEXTURE_2D, GLuint(bound));
    if (glGetError() == GL_NO_ERROR) return texture;
    glDeleteTextures(1, &texture);
    return 0;
}

// Twice the columns while the page is higher than wide, else twice the rows; the
// cells keep their places.
bool AtlasPages::Grow(Page& page) {
    int columns = page.columns, rows = page.rows;
    bool wider = columns < page.mostColumns &&
                 (columns * page.cellWidth <= rows * page.cellHeight || rows == page.mostRows);
    if (wider)
        columns = std::min(page.mostColumns, 2 * columns);
    else if (rows < page.mostRows)
        rows = std::min(page.mostRows, 2 * rows);
    else
        return false;
    GLuint texture = MakeTexture(columns * page.cellWidth, rows * page.cellHeight);
    if (!texture) return false;
    glCopyImageSubData(page.texture, GL_TEXTURE_2D, 0, 0, 0, 0, texture, GL_TEXTURE_2D, 0, 0, 0, 0,
                       page.columns * page.cellWidth, page.rows * page.cellHeight, 1);
    glDeleteTextures(1, &page.texture);
    page.texture = texture;
    page.columns = columns;
    page.rows = rows;
    return true;
}

AtlasPages::Place AtlasPages::Add(const uint8_t* rgba, int cellWidth, int cellHeight) {
    Place place;
    if (!rgba || !CellFits(cellWidth, cellHeight)) return place;
    int index = PageWithRoom(cellWidth, cellHeight);
    int column = 0, row = 0;
    if (index < 0 || !FreeCell(m_pages[std::size_t(index)], column, row)) return place;
    Page& page = m_pages[std::size_t(index)];
    page.SetUsed(column, row, true);
    place.page = index;
    place.x = column * cellWidth;
    place.y = row * cellHeight;
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glBindTexture(GL_TEXTURE_2D, page.texture);
    glTexSubImage2D(GL_TEXTURE_2D, 0, place.x, place.y, cellWidth, cellHeight, GL_RGBA,
                    GL_UNSIGNED_BYTE, rgba);
    glBindTexture(GL_TEXTURE_2D, GLuint(bound));
    return place;
}

const AtlasPages::Page* AtlasPages::PageAt(const Place& place) const {
    if (place.page < 0 || std::size_t(place.page) >= m_pages.size()) return nullptr;
    return &m_pages[std::size_t(place.page)];
}

AtlasPages::Cell AtlasPages::CellOf(const Place& place) const {
    const Page* page = PageAt(place);
    if (!page) return Cell{};
    return Cell{page->texture, place.x, place.y, page->columns * page->cellWidth,
                page->rows * page->cellHeight};
}

bool AtlasPages::CellsReadable() {
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    int major = 0, minor = 0;
    if (!version || std::sscanf(version, "%d.%d", &major, &minor) != 2) return false;
    return major > 4 || (major == 4 && minor >= 5);
}

void AtlasPages::ReadCell(const Place& place, unsigned int format, uint8_t* out,
                          std::size_t size) const {
    const Page* page = PageAt(place);
    if (!page) return;
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTextureSubImage(page->texture, 0, place.x, place.y, 0, page->cellWidth, page->cellHeight,
                         1, GLenum(format), GL_UNSIGNED_BYTE, GLsizei(size), out);
}

void AtlasPages::Remove(const Place& place) {
    const Page* found = PageAt(place);
    if (!found) return;
    Page& page = m_pages[std::size_t(place.page)];
    page.SetUsed(place.x / page.cellWidth, place.y / page.cellHeight, false);
}

void AtlasPages::Clear() {
    for (Page& page : m_pages)
        if (page.texture) glDeleteTextures(1, &page.texture);
    m_pages.clear();
}
