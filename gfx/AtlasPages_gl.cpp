// Atlas pages as GL array textures: a picture's texels uploaded into a layer, copied
// from there into a texture of its own when one is asked for; the page repeats and
// filters linearly, as the pictures' textures do.
#define GL_GLEXT_PROTOTYPES 1
#include <SDL_opengl.h>

#include <algorithm>
#include <cstdio>

#include "gfx/AtlasPages.h"

namespace {
// Pages hold cells up to this side; larger pictures are drawn from their own texture.
constexpr int kLargestPagedSide = 512;
// A page takes at most about this many texels (16 MiB) and kMostLayers layers; it
// starts with one layer and doubles as pictures come.
constexpr long kPageTexels = 4L << 20;
constexpr int kMostLayers = 256;

int DriverLayerLimit() {
    GLint layers = 0;
    glGetIntegerv(GL_MAX_ARRAY_TEXTURE_LAYERS, &layers);
    return layers;
}
}  // namespace

AtlasPages::~AtlasPages() { Clear(); }

bool AtlasPages::CellFits(int cellWidth, int cellHeight) {
    return cellWidth >= 1 && cellHeight >= 1 && cellWidth <= kLargestPagedSide &&
           cellHeight <= kLargestPagedSide;
}

int AtlasPages::LayersPerPage(int cellWidth, int cellHeight) {
    long layers = kPageTexels / (long(cellWidth) * cellHeight);
    return int(std::clamp<long>(layers, 1, kMostLayers));
}

// A page of that cell size with a free layer, or one that grows by doubling its
// layers; a new page when there is none.
AtlasPages::Page* AtlasPages::PageWithRoom(int cellWidth, int cellHeight, Renaming& renamed) {
    for (Page& page : m_pages) {
        if (page.cellWidth != cellWidth || page.cellHeight != cellHeight) continue;
        if (std::find(page.used.begin(), page.used.end(), false) != page.used.end()) return &page;
        if (int(page.used.size()) < page.mostLayers && Grow(page, renamed)) return &page;
    }
    Page page;
    page.cellWidth = cellWidth;
    page.cellHeight = cellHeight;
    page.mostLayers = std::min(LayersPerPage(cellWidth, cellHeight), DriverLayerLimit());
    if (page.mostLayers < 1) return nullptr;
    // Without the copy between textures a page cannot grow: it is made at its full size.
    int layers = LayersReadable() ? 1 : page.mostLayers;
    page.texture = MakeLayers(cellWidth, cellHeight, layers);
    if (!page.texture) return nullptr;
    page.used.assign(std::size_t(layers), false);
    m_pages.push_back(std::move(page));
    return &m_pages.back();
}

// An array texture of that many layers, repeating and filtering as the pictures'
// own textures do; 0 when the driver cannot hold it.
unsigned int AtlasPages::MakeLayers(int cellWidth, int cellHeight, int layers) {
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
    }  // earlier errors are not the page's
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D_ARRAY, texture);
    glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MAX_LEVEL, 0);
    glTexImage3D(GL_TEXTURE_2D_ARRAY, 0, GL_RGBA8, cellWidth, cellHeight, layers, 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, nullptr);
    glBindTexture(GL_TEXTURE_2D_ARRAY, 0);
    if (glGetError() == GL_NO_ERROR) return texture;
    glDeleteTextures(1, &texture);
    return 0;
}

// The page's layers move into a texture of twice as many (at most the page's limit).
bool AtlasPages::Grow(Page& page, Renaming& renamed) {
    int layers = int(page.used.size());
    int grown = std::min(page.mostLayers, 2 * layers);
    GLuint texture = MakeLayers(page.cellWidth, page.cellHeight, grown);
    if (!texture) return false;
    glCopyImageSubData(page.texture, GL_TEXTURE_2D_ARRAY, 0, 0, 0, 0, texture, GL_TEXTURE_2D_ARRAY,
                       0, 0, 0, 0, page.cellWidth, page.cellHeight, layers);
    glDeleteTextures(1, &page.texture);
    renamed = Renaming{page.texture, texture};
    page.texture = texture;
    page.used.resize(std::size_t(grown), false);
    return true;
}

AtlasPages::Place AtlasPages::Add(const uint8_t* rgba, int cellWidth, int cellHeight,
                                  Renaming& renamed) {
    Place place;
    renamed = Renaming{};
    if (!rgba || !CellFits(cellWidth, cellHeight)) return place;
    Page* page = PageWithRoom(cellWidth, cellHeight, renamed);
    if (!page) return place;
    auto free = std::find(page->used.begin(), page->used.end(), false);
    int layer = int(free - page->used.begin());
    glBindTexture(GL_TEXTURE_2D_ARRAY, page->texture);
    glTexSubImage3D(GL_TEXTURE_2D_ARRAY, 0, 0, 0, layer, cellWidth, cellHeight, 1, GL_RGBA,
                    GL_UNSIGNED_BYTE, rgba);
    glBindTexture(GL_TEXTURE_2D_ARRAY, 0);
    *free = true;
    place.texture = page->texture;
    place.layer = layer;
    return place;
}

bool AtlasPages::LayersReadable() {
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    int major = 0, minor = 0;
    if (!version || std::sscanf(version, "%d.%d", &major, &minor) != 2) return false;
    return major > 4 || (major == 4 && minor >= 5);
}

void AtlasPages::CopyLayer(const Place& place, unsigned int target, int cellWidth, int cellHeight) {
    glCopyImageSubData(place.texture, GL_TEXTURE_2D_ARRAY, 0, 0, 0, place.layer, target,
                       GL_TEXTURE_2D, 0, 0, 0, 0, cellWidth, cellHeight, 1);
}

void AtlasPages::ReadLayerAlpha(const Place& place, int cellWidth, int cellHeight, uint8_t* alpha) {
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTextureSubImage(place.texture, 0, 0, 0, place.layer, cellWidth, cellHeight, 1, GL_ALPHA,
                         GL_UNSIGNED_BYTE, GLsizei(cellWidth) * cellHeight, alpha);
}

void AtlasPages::Remove(const Place& place) {
    for (Page& page : m_pages)
        if (page.texture == place.texture && place.layer >= 0 &&
            place.layer < int(page.used.size()))
            page.used[std::size_t(place.layer)] = false;
}

void AtlasPages::Clear() {
    for (Page& page : m_pages)
        if (page.texture) glDeleteTextures(1, &page.texture);
    m_pages.clear();
}
