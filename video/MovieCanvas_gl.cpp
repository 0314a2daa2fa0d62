// The movie canvas on OpenGL: a texture-backed frame buffer, copied into the
// game's frame with a blit; and the guard around the player's own drawing.
#define GL_GLEXT_PROTOTYPES 1
#include <SDL_opengl.h>

#include "video/MovieCanvas.h"

MovieCanvas::~MovieCanvas() { Release(); }

void MovieCanvas::Release() {
    if (m_frameBuffer) glDeleteFramebuffers(1, &m_frameBuffer);
    if (m_texture) glDeleteTextures(1, &m_texture);
    m_frameBuffer = m_texture = 0;
    m_width = m_height = 0;
}

bool MovieCanvas::Prepare(int width, int height) {
    if (m_frameBuffer && width == m_width && height == m_height) return true;
    Release();
    GLint boundTexture = 0, boundFrameBuffer = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &boundTexture);
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &boundFrameBuffer);
    glGenTextures(1, &m_texture);
    glBindTexture(GL_TEXTURE_2D, m_texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glGenFramebuffers(1, &m_frameBuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, m_frameBuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, m_texture, 0);
    bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glBindTexture(GL_TEXTURE_2D, GLuint(boundTexture));
    glBindFramebuffer(GL_FRAMEBUFFER, GLuint(boundFrameBuffer));
    if (!complete) {
        Release();
        return false;
    }
    m_width = width;
    m_height = height;
    return true;
}

// The frame's rows count from the bottom in OpenGL: the placement's top edge is
// frameHeight - y there.
void MovieCanvas::CopyInto(unsigned target, const MoviePlacement& placement) const {
    if (!m_frameBuffer) return;
    int top = placement.frameHeight - placement.y;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, m_frameBuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, target);
    glBlitFramebuffer(0, 0, m_width, m_height, placement.x, top - m_height, placement.x + m_width,
                      top, GL_COLOR_BUFFER_BIT, GL_NEAREST);
}

ForeignDrawingScope::ForeignDrawingScope() {
    glGetIntegerv(GL_CURRENT_PROGRAM, &m_program);
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &m_arrayBuffer);
    glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &m_elementBuffer);
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &m_vertexArray);
    glGetIntegerv(GL_ACTIVE_TEXTURE, &m_activeTexture);
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &m_readFrameBuffer);
    GLint draw = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &draw);
    m_drawFrameBuffer = unsigned(draw);

    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
    for (GLenum unit : {GL_TEXTURE1, GL_TEXTURE0}) {
        glActiveTexture(unit);
        glDisable(GL_TEXTURE_2D);
    }
    for (GLenum cap : {GL_BLEND, GL_ALPHA_TEST, GL_CULL_FACE, GL_DEPTH_TEST, GL_SCISSOR_TEST,
                       GL_STENCIL_TEST, GL_DITHER})
        glDisable(cap);
    glUseProgram(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    glBindVertexArray(0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
}

ForeignDrawingScope::~ForeignDrawingScope() {
    glPopClientAttrib();
    glPopAttrib();
    glUseProgram(GLuint(m_program));
    glBindVertexArray(GLuint(m_vertexArray));  // before the element buffer, which it holds
    glBindBuffer(GL_ARRAY_BUFFER, GLuint(m_arrayBuffer));
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, GLuint(m_elementBuffer));
    glActiveTexture(GLenum(m_activeTexture));
    glBindFramebuffer(GL_READ_FRAMEBUFFER, GLuint(m_readFrameBuffer));
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, m_drawFrameBuffer);
}
