// The present's GL side: the blit of the off-screen frame into the window and the
// look at the window's own planes.
#define GL_GLEXT_PROTOTYPES 1
#include <SDL_opengl.h>

#include "gfx/FramePresent.h"

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
