// Bitmap fonts of OpenGLRainbows: 16 fonts in the last sprite slots, each a grid of
// 16 x 8 glyph cells for the codes 0 to 127, drawn fixed-pitch in one batch per text.
#include <SDL_opengl.h>

#include "gfx/OpenGLRainbows.h"

namespace {
bool ValidFont(long font) { return font >= 0 && font < kFontCount; }
}  // namespace

bool OpenGLRainbows::LoadFont(unsigned int font, const char* path) {
    if (!ValidFont(font)) return false;
    return LoadSprite(kFontSlotBase + font, path, 0, false);
}

void OpenGLRainbows::GetFontSize(short font, int& width, int& height) const {
    width = height = 0;
    if (ValidFont(font)) GetSpriteSize(short(kFontSlotBase + font), width, height);
}

void OpenGLRainbows::DrawTextA(short font, const char* text, short x, short y) {
    if (!ValidFont(font) || !text || !*text) return;
    int slot = kFontSlotBase + font;
    if (!SelectSpriteForQuads(slot)) return;
    int cellWidth = m_pictureWidth[slot] >> 4;
    int cellHeight = m_pictureHeight[slot] >> 3;
    float su = (float(m_pictureWidth[slot]) / float(m_textureWidth[slot])) * 0.0625f;
    float sv = (float(m_pictureHeight[slot]) / float(m_textureHeight[slot])) * 0.125f;
    float top = -float(y), bottom = -float(y + cellHeight);
    bool oneBatch = !m_batching;
    if (oneBatch) glBegin(GL_QUADS);
    int left = x;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        int glyph = *p % 128;
        float s0 = float(glyph % 16) * su, t0 = float(7 - glyph / 16) * sv;
        float right = float(left + cellWidth);
        const float corners[8] = {float(left), bottom, right, bottom, right, top, float(left), top};
        const float texture[8] = {s0, t0, s0 + su, t0, s0 + su, t0 + sv, s0, t0 + sv};
        if (oneBatch)
            QuadBatch::SendCorners(corners, texture);
        else
            QueueQuad(slot, corners, texture);
        left += cellWidth;
    }
    if (oneBatch) glEnd();
}
