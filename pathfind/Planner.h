// Planner: the base of the grid path planners. It holds the request, the cost table
// (blocked cells -1, passable costs scaled into (0, 1]), the node pool, the sorted
// open list and the closed set, and answers questions about the last search.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "pathfind/FixedDeque.h"
#include "pathfind/Node.h"
#include "pathfind/NodeFactory.h"
#include "pathfind/NodeHashTable.h"

class Planner {
  public:
    struct Description {
        int32_t startX = 0;
        int32_t startY = 0;
        int32_t goalX = 0;
        int32_t goalY = 0;
        uint8_t diagonalCost = 0;   // 1: a diagonal step costs sqrt(2) times the cell cost
        uint8_t diagonalMoves = 0;  // 0: only the four straight neighbours
        uint32_t poolSize = 0;      // 0: width x height
        uint32_t openCapacity = 0;  // 0: width x height
        uint32_t hashBits = 16;
        float weight = 0.7f;
        int32_t width = 0;
        int32_t height = 0;
        const double* map = nullptr;  // width x height costs, x fastest; <= 0 is blocked
    };

    // Answers whether the user asked to stop a long search.
    using InterruptQuery = bool (*)();

    static constexpr float kBlocked = -1.0f;

    Planner() = default;
    virtual ~Planner();
    Planner(const Planner&) = delete;
    Planner& operator=(const Planner&) = delete;

    // Takes a request; false (and nothing changed) for a start or goal outside the
    // map or a start equal to the goal; false with no map loaded for a map that
    // cannot be held. The tables of a map of the same sizes are used again.
    bool createMap(const Description& description);
    virtual void initialize();
    void cleanup();
    void unloadMap();

    float getPathCost() const;
    // Nodes from the start to the goal, both included; 0 when no path was found.
    std::size_t getPathSize() const;
    std::size_t getOpenSize() const { return m_open ? m_open->size() : 0; }
    std::size_t getClosedSize() const { return m_closed ? m_closed->size() : 0; }
    // Writes the path as x, y pairs from the start to the goal; returns the node count.
    std::size_t fillPath(int32_t* xy, std::size_t maxNodes) const;
    std::size_t fillOpen(int32_t* xy, std::size_t maxNodes) const;
    std::size_t fillClosed(int32_t* xy, std::size_t maxNodes) const;
    const Description& getDescription() const { return m_description; }
    const Node* getGoal() const { return m_goalNode; }
    const float* getMap() const { return m_costs.get(); }
    // Number of times a running search checked for an interruption.
    unsigned getNumSlices() const { return m_slices; }
    // Nodes taken from the open list by the last search.
    std::size_t getExpandedCount() const { return m_expanded; }
    // Milliseconds the last search took.
    double getRunningTime() const { return m_runningTime; }
    bool isDone() const { return m_done; }
    bool isLoaded() const { return m_costs != nullptr; }

    void setInterruptQuery(InterruptQuery query) { m_interrupt = query; }

  protected:
    float cost(int32_t x, int32_t y) const { return m_costs[std::size_t(y) * m_stride + x]; }
    std::size_t cellIndex(int32_t x, int32_t y) const {
        return std::size_t(y) * std::size_t(m_description.width) + std::size_t(x);
    }
    // Inserts into the open list, kept sorted from the highest f to the lowest; a node
    // goes in front of those with an equal f.
    std::size_t firstOpenNotAbove(float f) const;
    bool tablesFit(const Description& description) const;
    bool makeTables(const Description& description);
    void fillCosts(const Description& description);
    void updateCosts(const Description& description);
    void forgetSearch();
    void insertOpen(Node* node);
    void removeOpen(Node* node);
    Node* openNodeAt(int32_t x, int32_t y) const { return m_openAt[cellIndex(x, y)]; }
    Node* popLowest();
    bool interrupted() const { return m_interrupt && m_interrupt(); }

    Description m_description;
    std::unique_ptr<float[]> m_costs;
    std::size_t m_stride = 0;  // one more column than the map has
    // The caller's map as the cost table was last filled from, and the divisor then.
    std::vector<double> m_lastMap;
    double m_lastDivisor = 1;
    double m_lastLargest = 0;  // the largest finite cost of the last map, 0 if none
    std::unique_ptr<NodeFactory> m_pool;
    std::unique_ptr<FixedDeque<Node*>> m_open;
    std::unique_ptr<NodeHashTable> m_closed;
    // The open node of each cell, so that the open list need not be searched; from
    // calloc, whose fresh pages cost nothing until a search touches them.
    struct FreeDeleter {
        void operator()(Node** p) const { std::free(p); }
    };
    std::unique_ptr<Node*[], FreeDeleter> m_openAt;
    Node* m_goalNode = nullptr;
    InterruptQuery m_interrupt = nullptr;
    unsigned m_slices = 0;
    std::size_t m_expanded = 0;
    double m_runningTime = 0;
    bool m_done = false;
};
