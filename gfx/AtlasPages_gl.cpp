// Atlas pages as GL array textures: texels copied from a picture's own texture into
// a layer; the page repeats and filters linearly, as the pictures' textures do.
#define GL_GLEXT_PROTOTYPES 1
#include <SDL_opengl.h>

#include <algorithm>

#include "gfx/AtlasPages.h"

namespace {
// Pages hold cells up to this side; larger pictures are drawn from their own texture.
constexpr int kLargestPagedSide = 512;
// A page takes about this many texels (16 MiB), and at most kMostLayers layers.
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

AtlasPages::Page* AtlasPages::PageWithRoom(int cellWidth, int cellHeight) {
    for (Page& page : m_pages)
        if (page.cellWidth == cellWidth && page.cellHeight == cellHeight &&
            std::find(page.used.begin(), page.used.end(), false) != page.used.end())
            return &page;
    Page page;
    page.cellWidth = cellWidth;
    page.cellHeight = cellHeight;
    if (!MakePage(page)) return nullptr;
    m_pages.push_back(std::move(page));
    return &m_pages.back();
}

bool AtlasPages::MakePage(Page& page) {
    int layers = std::min(LayersPerPage(page.cellWidth, page.cellHeight), DriverLayerLimit());
    if (layers < 1) return false;
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
    }  // earlier errors are not the page's
    glGenTextures(1, &page.texture);
    glBindTexture(GL_TEXTURE_2D_ARRAY, page.texture);
    glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MAX_LEVEL, 0);
    glTexImage3D(GL_TEXTURE_2D_ARRAY, 0, GL_RGBA8, page.cellWidth, page.cellHeight, layers, 0,
                 GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glBindTexture(GL_TEXTURE_2D_ARRAY, 0);
    if (glGetError() != GL_NO_ERROR) {
        glDeleteTextures(1, &page.texture);
        page.texture = 0;
        return false;
    }
    page.used.assign(std::size_t(layers), false);
    return true;
}

AtlasPages::Place AtlasPages::Add(unsigned int source, int cellWidth, int cellHeight) {
    Place place;
    if (!source || !CellFits(cellWidth, cellHeight)) return place;
    Page* page = PageWithRoom(cellWidth, cellHeight);
    if (!page) return place;
    auto free = std::find(page->used.begin(), page->used.end(), false);
    int layer = int(free - page->used.begin());
    m_texels.resize(std::size_t(cellWidth) * cellHeight * 4);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glBindTexture(GL_TEXTURE_2D, source);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, m_texels.data());
    glBindTexture(GL_TEXTURE_2D, GLuint(bound));
    glBindTexture(GL_TEXTURE_2D_ARRAY, page->texture);
    glTexSubImage3D(GL_TEXTURE_2D_ARRAY, 0, 0, 0, layer, cellWidth, cellHeight, 1, GL_RGBA,
                    GL_UNSIGNED_BYTE, m_texels.data());
    glBindTexture(GL_TEXTURE_2D_ARRAY, 0);
    *free = true;
    place.texture = page->texture;
    place.layer = layer;
    return place;
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
