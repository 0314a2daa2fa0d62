// The queue of textured sprite quads that share one texture and one drawing state.
// Queued quads are drawn with one vertex-array call as four-vertex fans, in the
// order they were queued: the same primitives as one fan per sprite.
#pragma once

#include <vector>

class QuadBatch {
  public:
    // corners: x, y of bottom-left, bottom-right, top-right, top-left in OpenGL
    // coordinates; texture: s, t of the same corners.
    void Add(const float corners[8], const float texture[8]);
    bool Empty() const { return m_positions.empty(); }
    // Draws the queued quads with the current texture and colour, and empties the queue.
    void Flush();
    // Draws one quad as its own triangle fan, at once.
    static void DrawFan(const float corners[8], const float texture[8]);
    // Sends one quad's corners to the primitive the caller has begun.
    static void SendCorners(const float corners[8], const float texture[8]);
    // Queued quads are drawn with a small shader that computes what the fixed-function
    // state would; off, they go through the fixed-function state.
    static bool s_useShader;

  private:
    std::vector<float> m_positions;  // two floats per vertex, four vertices per quad
    std::vector<float> m_texture;
    std::vector<int> m_firsts;  // first vertex of each fan
    std::vector<int> m_counts;  // 4 for each fan
};
