// AStarPlanner: weighted A* over the planner's grid. Priority f = w*h + (1-w)*g with
// h the Manhattan distance to the goal in cells.
#pragma once

#include "pathfind/Planner.h"

class AStarPlanner : public Planner {
  public:
    // Nodes taken from the open list between two interruption checks.
    static constexpr unsigned kCheckInterval = 10000;

    // Empties the search state and puts the start node on the open list.
    void initialize() override;
    // Searches until the goal is taken from the open list (true, goal node set), the
    // open list runs empty (true, no goal node) or the interruption query says stop
    // at one of its checks (false).
    bool run();

  private:
    void visitNeighbour(Node* current, int32_t x, int32_t y, bool diagonal);

    unsigned m_expansions = 0;
};
