// Sprite slots of OpenGLRainbows: bitmap files into textures, the four ways of
// drawing a sprite, grabbing from the screen, pixel-exact collisions and freeing.
#define GL_GLEXT_PROTOTYPES 1
#include <SDL_opengl.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "gfx/BitmapReader.h"
#include "gfx/OpenGLRainbows.h"
#include "gfx/TexelOps.h"
#include "maths/MaskOverlap.h"

namespace {
// Half of a size, rounded toward minus infinity.
int FloorHalf(int n) { return n >= 0 ? n / 2 : -((-n + 1) / 2); }

bool ApplyNormalMap(TexelImage& texels) {
    try {
        build_detail_normalmap(texels.rgba.data(), texels.width, texels.height);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}
}  // namespace

int OpenGLRainbows::MaxTextureSize() {
    GLint size = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
    return size > 0 ? std::min<int>(size, kMaxTextureSide) : 1024;
}

void OpenGLRainbows::SetUnpackSettings() {
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
}

void OpenGLRainbows::SetTextureParameters(bool mipmapped) {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER,
                    mipmapped ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR);
}

void OpenGLRainbows::ResetSlotTables() {
    for (int slot = 0; slot < kSpriteSlots; ++slot) {
        m_textureWidth[slot] = m_textureHeight[slot] = -1;
        m_pictureWidth[slot] = m_pictureHeight[slot] = 0;
        m_collisionMask[slot].reset();
        m_textureNames[slot][0] = m_textureNames[slot][1] = 0;
        m_mipmapsOnDemand[slot] = false;
        m_binaryAlpha[slot] = false;
        m_pagePlace[slot] = AtlasPages::Place{};
    }
}

void OpenGLRainbows::GetBMPSize(const char* path, int& width, int& height) {
    ReadBitmapSizeFromFile(path, width, height);
}

// Uploads level 0 and every smaller level down to 1 x 1 into the bound texture.
// False when a level's texels cannot be had.
bool OpenGLRainbows::UploadMipmaps(std::vector<uint8_t> texels, int width, int height) {
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 texels.data());
    std::vector<uint8_t> next;
    for (int level = 1; width > 1 || height > 1; ++level) {
        int nextWidth = 0, nextHeight = 0;
        try {
            MakeNextMipLevel(texels, width, height, next, nextWidth, nextHeight);
        } catch (const std::bad_alloc&) {
            return false;
        }
        texels.swap(next);
        width = nextWidth;
        height = nextHeight;
        glTexImage2D(GL_TEXTURE_2D, level, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     texels.data());
    }
    return true;
}

// Generates a texture name, binds it on unit 0 for an upload and sets its parameters.
void OpenGLRainbows::StartTextureUpload(unsigned int* name, bool mipmapped) {
    glActiveTexture(GL_TEXTURE0);
    glGenTextures(1, name);
    glBindTexture(GL_TEXTURE_2D, *name);
    m_unitTexture[0] = *name;
    SetTextureParameters(mipmapped);
}

// Earlier errors are not the upload's: they are taken off the queue first.
void OpenGLRainbows::ClearTextureErrors() {
    for (int i = 0; i < 16; ++i)
        if (glGetError() == GL_NO_ERROR) return;
}

// True when the driver could not hold an upload made since ClearTextureErrors.
bool OpenGLRainbows::TextureUploadFailed() {
    bool failed = false;
    for (int i = 0; i < 16; ++i) {
        GLenum error = glGetError();
        if (error == GL_NO_ERROR) break;
        failed = failed || error == GL_OUT_OF_MEMORY;
    }
    return failed;
}

void OpenGLRainbows::DeleteTexture(unsigned int& name) {
    if (!name) return;
    for (unsigned int& unit : m_unitTexture)
        if (unit == name) unit = kUnknownTexture;
    glDeleteTextures(1, &name);
    name = 0;
}

// A picture larger than the largest texture or the texel budget is refused before
// any pixel is read, and so is one whose texels cannot be had.
bool OpenGLRainbows::ReadPictureTexels(const char* path, int x, int y, int width, int height,
                                       unsigned long key, bool useKey, bool normalMap,
                                       TexelImage& texels) {
    int maxTextureSize = MaxTextureSize();
    FileByteSource file(path);
    BitmapImage image;
    if (!ReadBitmapHeader(file, image)) return false;
    if (!PictureFitsTexture(image.width, image.height, maxTextureSize)) return false;
    if (!ReadBitmapRectangle(file, image, x, y, width, height, maxTextureSize, uint32_t(key),
                             useKey, texels))
        return false;
    return !normalMap || ApplyNormalMap(texels);
}

// False, and no texture made, when the driver cannot hold it.
bool OpenGLRainbows::UploadPlainTexture(const TexelImage& texels, unsigned int* name) {
    FlushQuads();
    SetUnpackSettings();
    ClearTextureErrors();
    StartTextureUpload(name, false);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, texels.width, texels.height, 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, texels.rgba.data());
    if (!TextureUploadFailed()) return true;
    DeleteTexture(*name);
    return false;
}

bool OpenGLRainbows::UploadMipmappedTexture(std::vector<uint8_t> rgba, int width, int height,
                                            unsigned int* name) {
    FlushQuads();
    SetUnpackSettings();
    ClearTextureErrors();
    StartTextureUpload(name, true);
    if (UploadMipmaps(std::move(rgba), width, height) && !TextureUploadFailed()) return true;
    DeleteTexture(*name);
    return false;
}

bool OpenGLRainbows::MakeBMPTexture(const char* path, int x, int y, int width, int height,
                                    unsigned int* plainName, unsigned int* mipmappedName,
                                    unsigned long key, bool useKey, bool normalMap) {
    if (!plainName) return false;
    TexelImage texels;
    if (!ReadPictureTexels(path, x, y, width, height, key, useKey, normalMap, texels)) return false;
    unsigned int plain = 0, mipmapped = 0;
    if (!UploadPlainTexture(texels, &plain)) return false;
    if (mipmappedName &&
        !UploadMipmappedTexture(std::move(texels.rgba), texels.width, texels.height, &mipmapped)) {
        DeleteTexture(plain);
        return false;
    }
    *plainName = plain;
    if (mipmappedName) *mipmappedName = mipmapped;
    return true;
}

// A file whose header reads but whose texture cannot be made leaves the slot empty
// and reports failure, so that the loaders that must not go on without it can stop.
bool OpenGLRainbows::LoadSprite(unsigned int slot, const char* path, unsigned long key,
                                bool normalMap) {
    if (slot >= unsigned(kSpriteSlots)) return false;
    FreeSprite(int(slot));
    int width = 0, height = 0;
    GetBMPSize(path, width, height);
    if (width == 0 || height == 0) return false;
    TexelImage texels;
    if (!ReadPictureTexels(path, 0, 0, 0, 0, key, true, normalMap, texels) ||
        !HoldPicture(int(slot), texels)) {
        FreeSprite(int(slot));
        return false;
    }
    m_textureWidth[slot] = int16_t(PowerOfTwoAtLeast(width));
    m_textureHeight[slot] = int16_t(PowerOfTwoAtLeast(height));
    m_pictureWidth[slot] = int16_t(width);
    m_pictureHeight[slot] = int16_t(height);
    m_mipmapsOnDemand[slot] = true;
    m_binaryAlpha[slot] = AlphaOnlyNoneOrFull(texels);
    return true;
}

bool OpenGLRainbows::AlphaOnlyNoneOrFull(const TexelImage& texels) {
    for (std::size_t i = 3; i < texels.rgba.size(); i += 4)
        if (texels.rgba[i] != 0 && texels.rgba[i] != 255) return false;
    return true;
}

// The picture is held once: on a page, where the page can give it a texture of its
// own later; otherwise in its own texture (and on a page as well where there is one).
bool OpenGLRainbows::HoldPicture(int slot, const TexelImage& texels) {
    if (QuadBatch::PagesDrawable()) {
        FlushQuads();  // a page that grows takes a new texture
        SetUnpackSettings();
        m_pagePlace[slot] = m_pages.Add(texels.rgba.data(), texels.width, texels.height);
    }
    if (m_pagePlace[slot].OnPage() && AtlasPages::CellsReadable()) return true;
    return UploadPlainTexture(texels, &m_textureNames[slot][0]);
}

// A picture's plain texels, read from its page's cell, else from its own texture;
// false when it has neither or the memory cannot be had.
bool OpenGLRainbows::ReadPlainTexels(int slot, std::vector<uint8_t>& rgba) {
    try {
        rgba.resize(std::size_t(m_textureWidth[slot]) * m_textureHeight[slot] * 4);
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (m_pagePlace[slot].OnPage()) {
        m_pages.ReadCell(m_pagePlace[slot], GL_RGBA, rgba.data(), rgba.size());
        return true;
    }
    if (!m_textureNames[slot][0]) return false;
    FlushQuads();
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, m_textureNames[slot][0]);
    m_unitTexture[0] = m_textureNames[slot][0];
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return true;
}

// The first time a path draws a picture held only on a page from its own texture,
// the texture is made from the page's cell as the load would have made it.
bool OpenGLRainbows::MakeOwnTexture(int slot) {
    if (m_textureNames[slot][0] || !m_pagePlace[slot].OnPage()) return true;
    TexelImage texels;
    texels.width = m_textureWidth[slot];
    texels.height = m_textureHeight[slot];
    return ReadPlainTexels(slot, texels.rgba) &&
           UploadPlainTexture(texels, &m_textureNames[slot][0]);
}

// A loaded picture's mipmaps, made from its plain texels the first time they are
// selected; tried once.
bool OpenGLRainbows::MakeMipmappedTexture(int slot) {
    unsigned int* names = m_textureNames[slot];
    if (names[1] || !m_mipmapsOnDemand[slot]) return true;
    m_mipmapsOnDemand[slot] = false;
    std::vector<uint8_t> texels;
    return ReadPlainTexels(slot, texels) &&
           UploadMipmappedTexture(std::move(texels), m_textureWidth[slot], m_textureHeight[slot],
                                  &names[1]);
}

void OpenGLRainbows::FreeSprite(int slot) {
    if (!ValidSlot(slot)) return;
    unsigned int* names = m_textureNames[slot];
    if (names[0] || names[1]) {
        FlushQuads();
        DeleteTexture(names[0]);
        DeleteTexture(names[1]);
    }
    if (m_pagePlace[slot].OnPage()) {
        FlushQuads();
        m_pages.Remove(m_pagePlace[slot]);
        m_pagePlace[slot] = AtlasPages::Place{};
    }
    m_textureWidth[slot] = m_textureHeight[slot] = -1;
    m_mipmapsOnDemand[slot] = false;
    m_binaryAlpha[slot] = false;
    m_collisionMask[slot].reset();
}

void OpenGLRainbows::SetTextureUnit(int unit, bool enabled, unsigned int name) {
    bool sameEnable = m_unitEnabled[unit] == (enabled ? 1 : 0);
    bool sameName = !enabled || m_unitTexture[unit] == name;
    if (sameEnable && sameName) return;
    // Quads from an atlas page do not read the units' 2D textures.
    if (m_quads.UsesBoundTexture()) FlushQuads();
    if (unit != 0) glActiveTexture(GL_TEXTURE0 + unit);
    if (!sameEnable) {
        if (enabled)
            glEnable(GL_TEXTURE_2D);
        else
            glDisable(GL_TEXTURE_2D);
        m_unitEnabled[unit] = enabled ? 1 : 0;
    }
    if (enabled && !sameName) {
        glBindTexture(GL_TEXTURE_2D, name);
        m_unitTexture[unit] = name;
    }
    if (unit != 0) glActiveTexture(GL_TEXTURE0);
}

void OpenGLRainbows::SetTexture3D(int slot, int second, int variant) {
    if (!ValidSlot(slot)) slot = -1;
    if (!ValidSlot(second)) second = -1;
    variant = variant ? 1 : 0;
    boundSlot = slot;
    boundSecondSlot = second;
    boundVariant = variant;
    auto make = [this, variant](int s) { variant ? MakeMipmappedTexture(s) : MakeOwnTexture(s); };
    if (slot >= 0) make(slot);
    if (slot >= 0 && second >= 0) make(second);
    bool unit1 = second >= 0 && slot >= 0;
    SetTextureUnit(1, unit1, unit1 ? m_textureNames[slot][variant] : 0);
    int unit0Slot = second >= 0 ? second : slot;
    SetTextureUnit(0, slot >= 0, slot >= 0 ? m_textureNames[unit0Slot][variant] : 0);
}

bool OpenGLRainbows::SelectSpriteTexture(int slot) {
    if (!HasPicture(slot)) return false;
    SetTexture3D(slot, -1, 0);
    return m_textureNames[slot][0] != 0;
}

bool OpenGLRainbows::SelectSpriteForQuads(int slot) {
    if (!m_batching || !OnPage(slot)) return SelectSpriteTexture(slot);
    RecordSelection(slot);
    return true;
}

// What SetTexture3D(slot, -1, 0) remembers, with the texture units left as they are.
void OpenGLRainbows::RecordSelection(int slot) {
    boundSlot = slot;
    boundSecondSlot = -1;
    boundVariant = 0;
}

void OpenGLRainbows::PictureTextureCorners(int slot, float texture[8]) const {
    float s = float(m_pictureWidth[slot]) / float(m_textureWidth[slot]);
    float t = float(m_pictureHeight[slot]) / float(m_textureHeight[slot]);
    const float corners[8] = {0, 0, s, 0, s, t, 0, t};
    std::copy(corners, corners + 8, texture);
}

// corners: screen x, y of bottom-left, bottom-right, top-right, top-left.
void OpenGLRainbows::DrawQuad(int slot, const float corners[8]) {
    float texture[8];
    PictureTextureCorners(slot, texture);
    float gl[8];
    for (int i = 0; i < 4; ++i) {
        gl[2 * i] = corners[2 * i];
        gl[2 * i + 1] = -corners[2 * i + 1];
    }
    if (m_batching)
        QueueQuad(slot, gl, texture);
    else
        QuadBatch::DrawFan(gl, texture);
}

// Texel-for-pixel quads of a picture on a page come from the page; every other quad
// from the picture's own texture, made when first needed.
void OpenGLRainbows::QueueQuad(int slot, const float corners[8], const float texture[8]) {
    if (OutsideDrawingArea(corners, 0)) return;
    bool texelForPixel = TexelForPixel(slot, corners, texture);
    AtlasPages::Cell cell = m_pages.CellOf(m_pagePlace[slot]);
    if (cell.texture && texelForPixel) {
        m_quads.UsePage(cell.texture, PlainCopy(slot) ? QuadKind::kPlainCopy
                                                      : QuadKind::kTexelForPixel);
        float onPage[8];
        PageTextureCorners(slot, cell, texture, onPage);
        m_quads.Add(corners, onPage);
        return;
    }
    if (!SelectSpriteTexture(slot)) return;
    m_quads.UsePage(0, texelForPixel ? QuadKind::kTexelForPixel : QuadKind::kFiltered);
    m_quads.Add(corners, texture);
}

// The texture corners moved onto the slot's cell of its page: whole texels over a
// power-of-two page size, so they stay exact.
void OpenGLRainbows::PageTextureCorners(int slot, const AtlasPages::Cell& cell,
                                        const float texture[8], float onPage[8]) const {
    float tw = float(m_textureWidth[slot]), th = float(m_textureHeight[slot]);
    for (int i = 0; i < 4; ++i) {
        onPage[2 * i] = (float(cell.x) + texture[2 * i] * tw) / float(cell.pageWidth);
        onPage[2 * i + 1] = (float(cell.y) + texture[2 * i + 1] * th) / float(cell.pageHeight);
    }
}

// Drawn in white from a picture whose alpha is only 0 or 255.
bool OpenGLRainbows::PlainCopy(int slot) const {
    return m_binaryAlpha[slot] && m_colour[0] == 1 && m_colour[1] == 1 && m_colour[2] == 1 &&
           m_colour[3] == 1;
}

// Corners on whole pixels (they always are: they come from whole screen numbers) and
// texture corners on whole texels spanning as many texels as the quad spans pixels:
// every pixel centre then falls on a texel centre.
bool OpenGLRainbows::TexelForPixel(int slot, const float corners[8], const float texture[8]) const {
    float tw = float(m_textureWidth[slot]), th = float(m_textureHeight[slot]);
    float s0 = texture[0] * tw, t0 = texture[1] * th, s1 = texture[4] * tw, t1 = texture[5] * th;
    float width = corners[2] - corners[0], height = corners[5] - corners[1];
    return s0 == std::floor(s0) && t0 == std::floor(t0) && s1 - s0 == width && t1 - t0 == height &&
           corners[2] == corners[4] && corners[1] == corners[3];
}

// A pixel is drawn when its centre lies inside the quad, so a quad whose corners
// all lie on or beyond one edge of the area draws none.
bool OpenGLRainbows::OutsideDrawingArea(const float corners[8], float margin) const {
    if (!m_projection2D) return false;
    float left = corners[0], right = corners[0], bottom = corners[1], top = corners[1];
    for (int i = 1; i < 4; ++i) {
        left = std::min(left, corners[2 * i]);
        right = std::max(right, corners[2 * i]);
        bottom = std::min(bottom, corners[2 * i + 1]);
        top = std::max(top, corners[2 * i + 1]);
    }
    return right <= -margin || left >= float(m_width) + margin || top <= -float(m_height) - margin ||
           bottom >= margin;
}

void OpenGLRainbows::DrawSprite(short slot, short x, short y) {
    if (!SelectSpriteForQuads(slot)) return;
    StretchSprite(slot, x, y, m_pictureWidth[slot], m_pictureHeight[slot]);
}

void OpenGLRainbows::StretchSprite(short slot, short x, short y, short width, short height) {
    if (!SelectSpriteForQuads(slot)) return;
    float left = x, top = y, right = float(x + width), bottom = float(y + height);
    const float corners[8] = {left, bottom, right, bottom, right, top, left, top};
    DrawQuad(slot, corners);
}

// The corners as OpenGL turns and moves them, worked out in double precision; the
// one-pixel margin covers the difference to OpenGL's own single-precision sums.
bool OpenGLRainbows::TurnedQuadOutside(const float corners[8], float centreX, float centreY,
                                       float angle) const {
    double radians = double(angle) * M_PI / 180.0;
    double c = std::cos(radians), s = std::sin(radians);
    float turned[8];
    for (int i = 0; i < 4; ++i) {
        double x = corners[2 * i], y = corners[2 * i + 1];
        turned[2 * i] = float(centreX + c * x - s * y);
        turned[2 * i + 1] = float(-double(centreY) + s * x + c * y);
    }
    return OutsideDrawingArea(turned, 1.0f);
}

// The quad with half sizes hw, hh turned by angle degrees about a screen point.
void OpenGLRainbows::DrawRotatedQuad(int slot, float centreX, float centreY, float angle, float hw,
                                     float hh) {
    const float corners[8] = {-hw, -hh, hw, -hh, hw, hh, -hw, hh};
    if (m_batching && TurnedQuadOutside(corners, centreX, centreY, angle)) return;
    FlushQuads();
    glPushMatrix();
    glTranslatef(centreX, -centreY, 0);
    glRotatef(angle, 0, 0, 1);
    float texture[8];
    PictureTextureCorners(slot, texture);
    QuadBatch::DrawFan(corners, texture);
    glPopMatrix();
}

void OpenGLRainbows::RotoSprite(short slot, short x, short y, short angle) {
    if (!SelectSpriteTexture(slot)) return;
    int hw = FloorHalf(m_pictureWidth[slot]);
    int hh = FloorHalf(m_pictureHeight[slot]);
    DrawRotatedQuad(slot, float(x + hw), float(y + hh), float(angle), float(hw), float(hh));
}

void OpenGLRainbows::DrawSpriteFX(short slot, short x, short y, const OPENGL_SPRITEFX& fx) {
    if (!SelectSpriteTexture(slot)) return;
    float tint[3] = {1, 1, 1};
    if (fx.colour != 0)
        for (int i = 0; i < 3; ++i) tint[i] = float((fx.colour >> (8 * i)) & 0xFF) / 255.0f;
    SetColour(alphaFactor * tint[0], alphaFactor * tint[1], alphaFactor * tint[2], 1);
    int w = m_pictureWidth[slot], h = m_pictureHeight[slot];
    int drawnWidth = fx.width < 1 ? w : fx.width;
    int drawnHeight = fx.height < 1 ? h : fx.height;
    DrawRotatedQuad(slot, float(x + FloorHalf(w)), float(y + FloorHalf(h)), fx.angle,
                    float(FloorHalf(drawnWidth)), float(FloorHalf(drawnHeight)));
    SetColour(alphaFactor, alphaFactor, alphaFactor, 1);
}

void OpenGLRainbows::GetSpriteSize(short slot, int& width, int& height) const {
    width = ValidSlot(slot) ? m_pictureWidth[slot] : 0;
    height = ValidSlot(slot) ? m_pictureHeight[slot] : 0;
}

// The rectangle is cut to the size of the drawing area: more than that has no
// defined content, and a texture of the full 16-bit size would take gigabytes.
// The texture is sized as a loaded picture's and transparent outside the picture,
// so that a polygon's texture coordinates mean the same for both.
bool OpenGLRainbows::GrabSprite(short slot, short x, short y, short width, short height) {
    if (!ValidSlot(slot)) return true;
    width = short(std::min<int>(width, m_width));
    height = short(std::min<int>(height, m_height));
    int tw = PowerOfTwoAtLeast(width);
    int th = PowerOfTwoAtLeast(height);
    FreeSprite(slot);
    FlushQuads();
    SetUnpackSettings();
    StartTextureUpload(&m_textureNames[slot][0], false);
    std::vector<uint8_t> transparent(std::size_t(tw) * th * 4, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, tw, th, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 transparent.data());
    if (width > 0 && height > 0)
        glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, x, m_height - y - height, width, height);
    m_textureWidth[slot] = int16_t(tw);
    m_textureHeight[slot] = int16_t(th);
    m_pictureWidth[slot] = width;
    m_pictureHeight[slot] = height;
    return true;
}

bool OpenGLRainbows::MakeCollisionMask(int slot) {
    if (m_collisionMask[slot]) return true;
    if (!HasPicture(slot) || m_textureWidth[slot] < 1 || m_textureHeight[slot] < 1) return false;
    FlushQuads();
    std::size_t size = std::size_t(m_textureWidth[slot]) * m_textureHeight[slot];
    m_collisionMask[slot].reset(new uint8_t[size]);
    std::memset(m_collisionMask[slot].get(), 0, size);
    if (!m_textureNames[slot][0]) {
        m_pages.ReadCell(m_pagePlace[slot], GL_ALPHA, m_collisionMask[slot].get(), size);
        return true;
    }
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, m_textureNames[slot][0]);
    m_unitTexture[0] = m_textureNames[slot][0];
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_ALPHA, GL_UNSIGNED_BYTE, m_collisionMask[slot].get());
    return true;
}

bool OpenGLRainbows::SpriteCollision(int slotA, int slotB, short ax, short ay, short bx, short by) {
    if (!ValidSlot(slotA) || !ValidSlot(slotB)) return false;
    if (!PictureRectanglesMeet(m_pictureWidth[slotA], m_pictureHeight[slotA], ax, ay,
                               m_pictureWidth[slotB], m_pictureHeight[slotB], bx, by))
        return false;
    if (!MakeCollisionMask(slotA) || !MakeCollisionMask(slotB)) return false;
    return MasksOverlap(CollisionMaskOf(slotA), ax, ay, CollisionMaskOf(slotB), bx, by);
}

SpriteMask OpenGLRainbows::CollisionMaskOf(int slot) const {
    SpriteMask mask;
    mask.alpha = m_collisionMask[slot].get();
    mask.textureWidth = m_textureWidth[slot];
    mask.textureHeight = m_textureHeight[slot];
    mask.pictureWidth = m_pictureWidth[slot];
    mask.pictureHeight = m_pictureHeight[slot];
    return mask;
}
