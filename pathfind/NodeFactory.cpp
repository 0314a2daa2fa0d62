// The node pool: fresh nodes come from one block, returned ones are handed out again.
#include "pathfind/NodeFactory.h"

NodeFactory::NodeFactory(std::size_t size) : m_nodes(new Node[size ? size : 1]), m_size(size) {
    m_released.reserve(size < 4096 ? size : 4096);
}

Node* NodeFactory::fetch() {
    if (!m_released.empty()) {
        Node* node = m_released.back();
        m_released.pop_back();
        return node;
    }
    if (m_used >= m_size) return nullptr;
    return &m_nodes[m_used++];
}

void NodeFactory::release(Node* node) {
    if (node) m_released.push_back(node);
}
