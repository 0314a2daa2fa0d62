// The closed set of the planner.
#include "pathfind/NodeHashTable.h"

NodeHashTable::NodeHashTable(unsigned bits) {
    if (bits > 24) bits = 24;
    bits &= ~1u;
    m_halfBits = bits / 2;
    m_mask = (1u << m_halfBits) - 1;
    m_buckets.assign(std::size_t{1} << bits, nullptr);
}

uint32_t NodeHashTable::bucketOf(int32_t x, int32_t y) const {
    return (static_cast<uint32_t>(x) & m_mask) |
           ((static_cast<uint32_t>(y) & m_mask) << m_halfBits);
}

void NodeHashTable::add(Node* node) {
    Node*& head = m_buckets[bucketOf(node->x, node->y)];
    node->next = head;
    head = node;
    ++m_count;
}

Node* NodeHashIterator::find(int32_t x, int32_t y) {
    Node** link = &m_table.m_buckets[m_table.bucketOf(x, y)];
    for (; *link; link = &(*link)->next) {
        if ((*link)->x == x && (*link)->y == y) {
            m_link = link;
            return *link;
        }
    }
    m_link = nullptr;
    return nullptr;
}

void NodeHashIterator::remove() {
    if (!m_link || !*m_link) return;
    Node* node = *m_link;
    *m_link = node->next;
    node->next = nullptr;
    m_link = nullptr;
    --m_table.m_count;
}
