// Weighted A*: expands the open node of lowest priority until the goal is taken.
#include "pathfind/AStarPlanner.h"

#include <chrono>
#include <cstdlib>

namespace {
constexpr float kDiagonalFactor = 1.4142136f;

struct Step {
    int dx, dy;
};
// The neighbour order of every expansion.
constexpr Step kSteps[8] = {{-1, -1}, {0, -1}, {1, -1}, {1, 0}, {-1, 0}, {-1, 1}, {0, 1}, {1, 1}};
}  // namespace

void AStarPlanner::initialize() {
    Planner::initialize();
    m_expansions = 0;
    if (!isLoaded()) return;
    Node* start = m_pool->fetch();
    if (!start) return;
    start->parent = nullptr;
    start->x = m_description.startX;
    start->y = m_description.startY;
    start->g = 0;
    start->f = 0;
    start->next = nullptr;
    insertOpen(start);
}

bool AStarPlanner::run() {
    if (!isLoaded()) return false;
    const auto began = std::chrono::steady_clock::now();
    auto finish = [&](bool result) {
        m_runningTime =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - began)
                .count();
        m_done = result;
        return result;
    };
    interrupted();  // forget a press from before the search
    m_expansions = 0;
    const Description& d = m_description;
    while (!m_open->isEmpty()) {
        Node* current = popLowest();
        ++m_expanded;
        if (current->x == d.goalX && current->y == d.goalY) {
            m_closed->add(current);
            m_goalNode = current;
            return finish(true);
        }
        if (m_expansions > kCheckInterval) {
            m_expansions = 0;
            ++m_slices;
            if (interrupted()) {
                m_closed->add(current);
                return finish(false);
            }
        }
        ++m_expansions;
        for (const Step& step : kSteps) {
            bool diagonal = step.dx != 0 && step.dy != 0;
            if (diagonal && !d.diagonalMoves) continue;
            visitNeighbour(current, current->x + step.dx, current->y + step.dy, diagonal);
        }
        m_closed->add(current);
    }
    return finish(true);
}

void AStarPlanner::visitNeighbour(Node* current, int32_t x, int32_t y, bool diagonal) {
    const Description& d = m_description;
    if (x < 0 || y < 0 || x >= d.width || y >= d.height) return;
    float c = cost(x, y);
    if (c < 0) return;
    float step = diagonal ? c * (d.diagonalCost ? kDiagonalFactor : 1.0f) : c;
    float g = current->g + step;
    float h = static_cast<float>(std::abs(d.goalX - x) + std::abs(d.goalY - y));
    float f = (h - g) * d.weight + g;

    NodeHashIterator closed(*m_closed);
    Node* node = closed.find(x, y);
    if (node) {
        if (!(g < node->g)) return;
        closed.remove();
    } else if ((node = openNodeAt(x, y)) != nullptr) {
        if (!(g < node->g)) return;
        removeOpen(node);
    } else {
        node = m_pool->fetch();
        if (!node) return;
        node->x = x;
        node->y = y;
        node->next = nullptr;
    }
    node->parent = current;
    node->g = g;
    node->f = f;
    insertOpen(node);
}
