// The movie's own off-screen picture: the player draws each movie picture into it
// at the fitted size, and it is copied into the game's frame at the fitted place.
// The OpenGL calls behind it live in MovieCanvas_gl.cpp.
#pragma once

#include "video/MoviePlayer.h"

class MovieCanvas {
  public:
    MovieCanvas() = default;
    ~MovieCanvas();
    MovieCanvas(const MovieCanvas&) = delete;
    MovieCanvas& operator=(const MovieCanvas&) = delete;

    // Makes the canvas width x height (kept when it has that size already).
    bool Prepare(int width, int height);
    unsigned FrameBuffer() const { return m_frameBuffer; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    // Copies the canvas into the frame buffer `target` at the placement.
    void CopyInto(unsigned target, const MoviePlacement& placement) const;

  private:
    void Release();

    unsigned m_frameBuffer = 0;
    unsigned m_texture = 0;
    int m_width = 0;
    int m_height = 0;
};

// While it lives, the OpenGL state is what a foreign drawing library expects
// (the standard defaults: no blending, culling, alpha test, texturing or program,
// default pixel storage); the runtime's own state comes back when it ends.
class ForeignDrawingScope {
  public:
    ForeignDrawingScope();
    ~ForeignDrawingScope();
    ForeignDrawingScope(const ForeignDrawingScope&) = delete;
    ForeignDrawingScope& operator=(const ForeignDrawingScope&) = delete;
    // The frame buffer that was bound for drawing when the scope began.
    unsigned DrawTarget() const { return m_drawFrameBuffer; }

  private:
    int m_program = 0;
    int m_arrayBuffer = 0;
    int m_elementBuffer = 0;
    int m_vertexArray = 0;
    int m_activeTexture = 0;
    int m_readFrameBuffer = 0;
    unsigned m_drawFrameBuffer = 0;
};
