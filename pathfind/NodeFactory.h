// NodeFactory: the pool of search nodes, allocated once per map so that the search
// itself never allocates.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "pathfind/Node.h"

class NodeFactory {
  public:
    // Throws std::bad_alloc when the pool cannot be had.
    explicit NodeFactory(std::size_t size);

    // The next unused node, or null once all are handed out.
    Node* fetch();
    void release(Node* node);
    // Takes every node back: the pool hands them out as a fresh one does.
    void reset() {
        m_used = 0;
        m_released.clear();
    }
    std::size_t size() const { return m_size; }

  private:
    std::unique_ptr<Node[]> m_nodes;  // left uninitialised until handed out
    std::size_t m_size;
    std::size_t m_used = 0;
    std::vector<Node*> m_released;
};
