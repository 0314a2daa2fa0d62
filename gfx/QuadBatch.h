// The queue of textured sprite quads that share one texture and one drawing state.
// Queued quads are drawn with one vertex-array call as four-vertex fans, in the
// order they were queued: the same primitives as one fan per sprite. The texture is
// either the one bound on unit 0 or an atlas page.
#pragma once

#include <vector>

// How the queued quads read their texture.
enum class QuadKind {
    kFiltered,       // linear texels from the texture bound on unit 0
    kTexelForPixel,  // each texel on exactly one pixel: the nearest texel is the same
    kPlainCopy,      // the same from a page, in white, of a picture whose alpha is 0 or 255
};

class QuadBatch {
  public:
    // corners: x, y of bottom-left, bottom-right, top-right, top-left in OpenGL
    // coordinates; texture: s, t of the same corners.
    void Add(const float corners[8], const float texture[8]);
    // The page the following quads come from (0: the texture bound on unit 0) and how
    // they read it; the queue is drawn first when either changes.
    void UsePage(unsigned int page, QuadKind kind);
    unsigned int Page() const { return m_page; }
    bool Empty() const { return m_firsts.empty(); }
    // Whether the queued quads are drawn with the texture bound on unit 0, so that
    // the queue must be drawn before that binding changes.
    bool UsesBoundTexture() const { return !Empty() && m_page == 0; }
    // Draws the queued quads with the current texture and colour, and empties the queue.
    void Flush();
    // Draws one quad as its own triangle fan, at once.
    static void DrawFan(const float corners[8], const float texture[8]);
    // Sends one quad's corners to the primitive the caller has begun.
    static void SendCorners(const float corners[8], const float texture[8]);
    // Whether atlas pages can be drawn (the driver compiled their shaders).
    static bool PagesDrawable();
    // Queued quads are drawn with a small shader that computes what the fixed-function
    // state would; off, they go through the fixed-function state.
    static bool s_useShader;

  private:
    std::vector<float> m_positions;  // two floats per vertex, four vertices per quad
    std::vector<float> m_texture;    // s, t per vertex
    std::vector<int> m_firsts;       // first vertex of each fan
    std::vector<int> m_counts;       // 4 for each fan
    unsigned int m_page = 0;
    QuadKind m_kind = QuadKind::kFiltered;
};
