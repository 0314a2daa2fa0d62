// NodeHashTable: the planner's closed set, buckets of singly linked nodes selected by
// the low bits of x and y; NodeHashIterator finds a cell's node and can unlink it.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "pathfind/Node.h"

class NodeHashTable {
  public:
    // bits is capped at 24 and lowered to an even number.
    explicit NodeHashTable(unsigned bits);

    void add(Node* node);
    std::size_t size() const { return m_count; }
    std::size_t bucketCount() const { return m_buckets.size(); }
    uint32_t bucketOf(int32_t x, int32_t y) const;
    // Hands every node to release and empties the table.
    template <typename Release>
    void clear(Release release) {
        if (m_count == 0) return;
        for (Node*& head : m_buckets) {
            while (head) {
                Node* node = head;
                head = node->next;
                release(node);
            }
        }
        m_count = 0;
    }
    // Empties the table without handing the nodes back (their pool is reset).
    void forget() {
        if (m_count == 0) return;
        std::fill(m_buckets.begin(), m_buckets.end(), nullptr);
        m_count = 0;
    }
    // Calls visit for every node, bucket by bucket.
    template <typename Visit>
    void forEach(Visit visit) const {
        for (Node* node : m_buckets)
            for (; node; node = node->next) visit(node);
    }

  private:
    friend class NodeHashIterator;
    unsigned m_halfBits;
    uint32_t m_mask;
    std::vector<Node*> m_buckets;
    std::size_t m_count = 0;
};

class NodeHashIterator {
  public:
    explicit NodeHashIterator(NodeHashTable& table) : m_table(table) {}

    // The node of cell (x, y), or null; remembers its place for remove.
    Node* find(int32_t x, int32_t y);
    // Unlinks the node the last find returned.
    void remove();

  private:
    NodeHashTable& m_table;
    Node** m_link = nullptr;  // the pointer that points at the found node
};
