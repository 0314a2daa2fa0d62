// Surfaces of OpenGLRainbows (full-screen backgrounds kept as grids of tile
// textures), the cross-fade between them, and the screen snapshot file.
#define GL_GLEXT_PROTOTYPES 1
#include <SDL_opengl.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "gfx/BitmapReader.h"
#include "gfx/OpenGLRainbows.h"
#include "gfx/TexelOps.h"
#include "runtime/Options.h"

namespace {
constexpr int kFileTile = 64;
constexpr int kScreenTile = 32;

bool ValidSurface(long surface) { return surface >= 0 && surface < kSurfaceCount; }
}  // namespace

const RainbowSurface* OpenGLRainbows::Surface(int surface) const {
    return ValidSurface(surface) ? &m_surfaces[surface] : nullptr;
}

// The file is read a band of 64 rows at a time and cut into 64 x 64 tiles; a picture
// is limited to the 64 x 64 tile grid (4096 x 4096 pixels), the rest is left out. A
// picture beyond the largest texture or the texel budget is refused like a broken file.
bool OpenGLRainbows::LoadSurface(unsigned int surface, const char* path, bool /*unused*/) {
    if (!ValidSurface(surface)) return false;
    int width = 0, height = 0;
    GetBMPSize(path, width, height);
    if (width == 0 || height == 0) return false;
    FreeSurface(int(surface));
    int maxTextureSize = MaxTextureSize();
    FileByteSource file(path);
    BitmapImage image;
    if (!ReadBitmapHeader(file, image)) return false;
    if (!PictureFitsTexture(image.width, image.height, maxTextureSize)) return false;
    FlushQuads();
    SetUnpackSettings();
    ClearTextureErrors();
    RainbowSurface& s = m_surfaces[surface];
    int columns = std::min(kSurfaceTiles, (width + kFileTile - 1) / kFileTile);
    int rows = std::min(kSurfaceTiles, (height + kFileTile - 1) / kFileTile);
    // The counts cover the tiles made so far, so that freeing finds every one of them.
    s.columnCount = int8_t(columns);
    TexelImage tile;
    for (int j = 0; j < rows; ++j) {
        if (!ReadBitmapRows(file, image, j * kFileTile, kFileTile)) return false;
        s.rowCount = int8_t(j + 1);
        for (int i = 0; i < columns; ++i) {
            if (!CutBitmapRectangle(image, i * kFileTile, j * kFileTile, kFileTile, kFileTile,
                                    maxTextureSize, 0, false, tile))
                return false;
            StartTextureUpload(&s.tileNames[i][j], false);
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, tile.width, tile.height, 0, GL_RGBA,
                         GL_UNSIGNED_BYTE, tile.rgba.data());
            s.tileWidths[i][j] = int16_t(tile.width);
            s.tileHeights[i][j] = int16_t(tile.height);
        }
        if (TextureUploadFailed()) return false;
    }
    m_unitTexture[0] = kUnknownTexture;
    return true;
}

void OpenGLRainbows::GrabSurface(int surface) {
    if (!ValidSurface(surface)) return;
    int tile = std::min(kScreenTile, MaxTextureSize());
    FreeSurface(surface);
    FlushQuads();
    SetUnpackSettings();
    glActiveTexture(GL_TEXTURE0);
    RainbowSurface& s = m_surfaces[surface];
    int columns = 0, rows = 0;
    // The rows go on past the top of the screen, as they always have.
    for (int y = 0; y < m_height + 64 && rows < kSurfaceTiles; y += tile, ++rows) {
        columns = 0;
        for (int x = 0; x < m_width && columns < kSurfaceTiles; x += tile, ++columns) {
            StartTextureUpload(&s.tileNames[columns][rows], false);
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, tile, tile, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                         nullptr);
            glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, x, m_height - y - tile, tile, tile);
            s.tileWidths[columns][rows] = int16_t(tile);
            s.tileHeights[columns][rows] = int16_t(tile);
        }
    }
    m_unitTexture[0] = kUnknownTexture;
    s.columnCount = int8_t(columns);
    s.rowCount = int8_t(-rows);
}

void OpenGLRainbows::PasteSurface(unsigned int surface) {
    if (!ValidSurface(surface)) return;
    const RainbowSurface& s = m_surfaces[surface];
    int columns = std::abs(s.columnCount), rows = std::abs(s.rowCount);
    if (columns == 0 || rows == 0) return;
    FlushQuads();
    glDisable(GL_ALPHA_TEST);
    SetTextureUnit(1, false, 0);
    SetTextureUnit(0, true, m_unitTexture[0] == kUnknownTexture ? 0 : m_unitTexture[0]);
    int x = 0;
    for (int i = 0; i < columns; ++i) {
        int y = 0;
        for (int j = 0; j < rows; ++j) {
            int w = s.tileWidths[i][j], h = s.tileHeights[i][j];
            glBindTexture(GL_TEXTURE_2D, s.tileNames[i][j]);
            glBegin(GL_QUADS);
            glTexCoord2f(0, 0);
            glVertex2f(x, -float(y + h));
            glTexCoord2f(1, 0);
            glVertex2f(x + w, -float(y + h));
            glTexCoord2f(1, 1);
            glVertex2f(x + w, -float(y));
            glTexCoord2f(0, 1);
            glVertex2f(x, -float(y));
            glEnd();
            y += h;
        }
        x += s.tileWidths[i][rows - 1];
    }
    m_unitTexture[0] = kUnknownTexture;
    glEnable(GL_ALPHA_TEST);
}

void OpenGLRainbows::BlendToSurface(int from, int to) {
    FlushQuads();
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glClear(GL_COLOR_BUFFER_BIT);
    for (float f = 0; f < 1.0f; f += 0.02f) {
        SetColour(f, f, f, 1);
        PasteSurface(unsigned(to));
        SetColour(1 - f, 1 - f, 1 - f, 1);
        PasteSurface(unsigned(from));
        FlipScreens();
    }
    SetColour(1, 1, 1, 1);
    PasteSurface(unsigned(to));
    FlipScreens();
    glDisable(GL_BLEND);
    SetColour(1, 1, 1, 1);
    alphaFactor = 1;
}

void OpenGLRainbows::FreeSurface(int surface) {
    if (!ValidSurface(surface)) return;
    RainbowSurface& s = m_surfaces[surface];
    int columns = std::abs(s.columnCount), rows = std::abs(s.rowCount);
    if (columns > 0 && rows > 0) {
        FlushQuads();
        for (int i = 0; i < columns; ++i)
            for (int j = 0; j < rows; ++j)
                if (s.tileNames[i][j]) glDeleteTextures(1, &s.tileNames[i][j]);
        m_unitTexture[0] = kUnknownTexture;
    }
    std::memset(&s, 0, sizeof s);
}

namespace {
int RoundUpToFour(int n) { return (n + 3) & ~3; }
}  // namespace

void OpenGLRainbows::ReadSnapshot(std::vector<uint8_t>& rgb) {
    ReadFrame(0, 0, RoundUpToFour(m_width), RoundUpToFour(m_height), rgb);
}

bool OpenGLRainbows::WriteSnapshot(const std::string& path, const std::vector<uint8_t>& rgb) const {
    return WriteBitmap24(path, RoundUpToFour(m_width), RoundUpToFour(m_height), rgb);
}

bool OpenGLRainbows::SaveBMPFile(const char* path) {
    if (!path || !*path) return false;
    std::vector<uint8_t> rgb;
    ReadSnapshot(rgb);
    return WriteSnapshot(path, rgb);
}

// The flip clears the frame, so a screenshot asked for the frame being shown is
// read before that; nothing is read in frames without a request.
void OpenGLRainbows::KeepFrameForScreenshot() {
    long frame = KvFrameNumber();
    for (const ScreenshotRequest& request : KvOptions().screenshots) {
        if (request.frame != frame) continue;
        ReadSnapshot(m_shownFrame);
        m_shownFrameNumber = frame;
        return;
    }
}

bool OpenGLRainbows::WriteShownFrame(const std::string& path) {
    if (m_shownFrameNumber != KvFrameNumber()) return SaveBMPFile(path.c_str());
    return WriteSnapshot(path, m_shownFrame);
}
