// FixedDeque: a ring buffer of fixed capacity that never allocates after creation.
// Used as the planner's open list, kept sorted by insertion at a chosen index.
#pragma once

#include <cstddef>
#include <memory>

template <typename T>
class FixedDeque {
  public:
    explicit FixedDeque(std::size_t capacity)
        : m_items(capacity ? new T[capacity] : nullptr), m_capacity(capacity) {}

    std::size_t capacity() const { return m_capacity; }
    std::size_t size() const {
        if (m_empty) return 0;
        return m_back >= m_front ? m_back - m_front + 1 : m_capacity - m_front + m_back + 1;
    }
    bool isEmpty() const { return m_empty; }
    bool isFull() const { return size() == m_capacity; }
    void clear() {
        m_front = m_back = 0;
        m_empty = true;
    }

    // The element at position i counted from the front.
    T& operator[](std::size_t i) { return m_items[wrap(m_front + i)]; }
    const T& operator[](std::size_t i) const { return m_items[wrap(m_front + i)]; }
    T& back() { return m_items[m_back]; }

    // A push into a full deque does nothing.
    void pushBack(const T& value) {
        if (isFull()) return;
        if (m_empty) {
            m_front = m_back = 0;
            m_empty = false;
        } else {
            m_back = wrap(m_back + 1);
        }
        m_items[m_back] = value;
    }

    void popBack() {
        if (m_empty) return;
        if (m_back == m_front)
            m_empty = true;
        else
            m_back = m_back == 0 ? m_capacity - 1 : m_back - 1;
    }

    // Inserts before position index (index = size() appends); nothing when full.
    void insert(std::size_t index, const T& value) {
        std::size_t count = size();
        if (index > count || isFull()) return;
        pushBack(value);
        for (std::size_t i = count; i > index; --i) (*this)[i] = (*this)[i - 1];
        (*this)[index] = value;
    }

    void remove(std::size_t index) {
        std::size_t count = size();
        if (index >= count) return;
        for (std::size_t i = index; i + 1 < count; ++i) (*this)[i] = (*this)[i + 1];
        popBack();
    }

  private:
    std::size_t wrap(std::size_t i) const { return i >= m_capacity ? i - m_capacity : i; }

    std::unique_ptr<T[]> m_items;
    std::size_t m_capacity = 0;
    std::size_t m_front = 0;
    std::size_t m_back = 0;
    bool m_empty = true;
};
