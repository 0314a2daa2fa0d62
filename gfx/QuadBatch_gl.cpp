// Drawing of queued sprite quads through client vertex arrays, and the single fan.
#include "gfx/QuadBatch.h"

#include <SDL_opengl.h>

namespace {
// A fan v0 v1 v2 v3 is the triangles (v0, v1, v2) and (v0, v2, v3).
constexpr int kFanOrder[6] = {0, 1, 2, 0, 2, 3};
}  // namespace

void QuadBatch::Add(const float corners[8], const float texture[8]) {
    for (int index : kFanOrder) {
        m_positions.push_back(corners[2 * index]);
        m_positions.push_back(corners[2 * index + 1]);
        m_texture.push_back(texture[2 * index]);
        m_texture.push_back(texture[2 * index + 1]);
    }
}

void QuadBatch::Flush() {
    if (m_positions.empty()) return;
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(2, GL_FLOAT, 0, m_positions.data());
    glTexCoordPointer(2, GL_FLOAT, 0, m_texture.data());
    glDrawArrays(GL_TRIANGLES, 0, GLsizei(m_positions.size() / 2));
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    m_positions.clear();
    m_texture.clear();
}

void QuadBatch::DrawFan(const float corners[8], const float texture[8]) {
    glBegin(GL_TRIANGLE_FAN);
    for (int i = 0; i < 4; ++i) {
        glTexCoord2f(texture[2 * i], texture[2 * i + 1]);
        glVertex2f(corners[2 * i], corners[2 * i + 1]);
    }
    glEnd();
}
