// The present's GL side: the blit of the off-screen frame into the window and the
// look at the window's own planes.
#define GL_GLEXT_PROTOTYPES 1
#include <SDL_opengl.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "gfx/FramePresent.h"

#ifndef GL_PACK_INVERT_MESA
#define GL_PACK_INVERT_MESA 0x8758
#endif

FramePlacement PlaceFrame(int frameW, int frameH, int windowW, int windowH, const int rect[4]) {
    int w = rect[2] - rect[0], h = rect[3] - rect[1];
    if (w == frameW && h == frameH && windowW == frameW && windowH == frameH && rect[0] == 0 &&
        rect[1] == 0)
        return FramePlacement::kWholeWindow;
    if (frameW > 0 && frameH > 0 && w % frameW == 0 && h % frameH == 0 && w / frameW == h / frameH)
        return FramePlacement::kWholeScale;
    return FramePlacement::kScaled;
}

void CopyFrameIntoWindow(unsigned frameBuffer, int frameW, int frameH, const int rect[4],
                         FramePlacement placement) {
    glDisable(GL_SCISSOR_TEST);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, frameBuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    bool bands = rect[2] - rect[0] < 0 || rect[0] > 0 || rect[1] > 0;
    if (bands || placement != FramePlacement::kWholeWindow) {
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    glBlitFramebuffer(0, 0, frameW, frameH, rect[0], rect[1], rect[2], rect[3],
                      GL_COLOR_BUFFER_BIT,
                      placement == FramePlacement::kScaled ? GL_LINEAR : GL_NEAREST);
}

void TargetNextFrame(unsigned frameBuffer, int width, int height) {
    glBindFramebuffer(GL_FRAMEBUFFER, frameBuffer);
    if (frameBuffer != 0) {
        glDisable(GL_SCISSOR_TEST);
        return;
    }
    glScissor(0, 0, width, height);
    glEnable(GL_SCISSOR_TEST);
}

void TakeFrameFromWindow(unsigned frameBuffer, int width, int height) {
    glDisable(GL_SCISSOR_TEST);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, frameBuffer);
    glBlitFramebuffer(0, 0, width, height, 0, 0, width, height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
}

namespace {
GLint WindowPlaneBits(GLenum plane) {
    GLint bits = -1;
    glGetFramebufferAttachmentParameteriv(GL_DRAW_FRAMEBUFFER, GL_BACK_LEFT, plane, &bits);
    return bits;
}
}  // namespace

// Asked with the window's drawable bound for drawing (after a copy or a direct frame).
bool WindowHoldsFrameAsIs() {
    GLint bound = -1;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &bound);
    if (bound != 0) glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    bool same = WindowPlaneBits(GL_FRAMEBUFFER_ATTACHMENT_RED_SIZE) == 8 &&
                WindowPlaneBits(GL_FRAMEBUFFER_ATTACHMENT_GREEN_SIZE) == 8 &&
                WindowPlaneBits(GL_FRAMEBUFFER_ATTACHMENT_BLUE_SIZE) == 8 &&
                WindowPlaneBits(GL_FRAMEBUFFER_ATTACHMENT_ALPHA_SIZE) == 0 &&
                !glIsEnabled(GL_DEPTH_TEST);
    if (bound != 0) glBindFramebuffer(GL_DRAW_FRAMEBUFFER, GLuint(bound));
    return same;
}

namespace {
bool ReadsTopRowFirst() {
    static const bool supported = [] {
        const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
        return extensions && std::strstr(extensions, "GL_MESA_pack_invert") != nullptr;
    }();
    return supported;
}

void TurnRowsOver(int width, int height, uint32_t* pixels) {
    std::vector<uint32_t> row(static_cast<std::size_t>(width));
    for (int top = 0, bottom = height - 1; top < bottom; ++top, --bottom) {
        uint32_t* a = pixels + std::size_t(top) * width;
        uint32_t* b = pixels + std::size_t(bottom) * width;
        std::copy(a, a + width, row.data());
        std::copy(b, b + width, a);
        std::copy(row.begin(), row.end(), b);
    }
}
}  // namespace

// Mesa's renderers hand the rows over top first themselves; elsewhere they are turned
// over here.
void ReadDrawnFrame(int width, int height, uint32_t* pixels) {
    GLint drawn = 0, read = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawn);
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &read);
    GLint alignment = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, GLuint(drawn));
    if (drawn == 0) glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    bool inverted = ReadsTopRowFirst();
    if (inverted) glPixelStorei(GL_PACK_INVERT_MESA, GL_TRUE);
    glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, pixels);
    if (inverted)
        glPixelStorei(GL_PACK_INVERT_MESA, GL_FALSE);
    else
        TurnRowsOver(width, height, pixels);
    glPixelStorei(GL_PACK_ALIGNMENT, alignment);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, GLuint(read));
}
