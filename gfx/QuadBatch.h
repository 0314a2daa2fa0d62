// The queue of textured sprite quads that share one texture and one drawing state.
// Queued quads are drawn with one vertex-array call, split into the same two
// triangles a four-vertex fan gives, in the order they were queued.
#pragma once

#include <cstddef>
#include <vector>

class QuadBatch {
public:
    // corners: x, y of bottom-left, bottom-right, top-right, top-left in OpenGL
    // coordinates; texture: s, t of the same corners.
    void Add(const float corners[8], const float texture[8]);
    bool Empty() const { return m_positions.empty(); }
    std::size_t QuadCount() const { return m_positions.size() / 12; }
    // Draws the queued quads with the current texture and colour, and empties the queue.
    void Flush();
    // Draws one quad as its own triangle fan, at once.
    static void DrawFan(const float corners[8], const float texture[8]);

private:
    std::vector<float> m_positions;  // two floats per vertex, six vertices per quad
    std::vector<float> m_texture;
};
