// FINDPATH: a cheapest path over a grid cost map, through the weighted A* planner.
// Escape, held or pressed during a long search, cancels it.
#include "commands/cmd_path.h"

#include <vector>

#include "commands/cmd_input.h"
#include "pathfind/AStarPlanner.h"
#include "values/IntConv.h"

namespace {
constexpr float kSearchWeight = 0.7f;
constexpr double kEscapeKey = 1;

bool EscapeDown() { return KEY(kEscapeKey) != 0; }

// One planner for every call: its tables serve again while the map keeps its sizes.
AStarPlanner& SharedPlanner() {
    static AStarPlanner planner;
    return planner;
}
}  // namespace

double FINDPATH(KvIntArray& map, KvIntArray& path, double weight, double startx, double starty,
                double goalx, double goaly) {
    // The caller's weight is accepted for compatibility; the search always weighs
    // the distance to the goal with kSearchWeight.
    (void)weight;

    Planner::Description request;
    request.startX = KvToInt(startx);
    request.startY = KvToInt(starty);
    request.goalX = KvToInt(goalx);
    request.goalY = KvToInt(goaly);
    request.diagonalCost = 1;
    request.diagonalMoves = 0;
    request.poolSize = 0;
    request.openCapacity = 0;
    request.hashBits = 16;
    request.weight = kSearchWeight;
    request.width = KvToInt(map.Bounds(0));
    request.height = KvToInt(map.Bounds(1));
    request.map = map.Data();
    // A map whose sizes promise more cells than it holds is refused with the rest.
    if (request.width <= 0 || request.height <= 0 ||
        static_cast<int64_t>(request.width) * request.height > map.ElementCount())
        return 0;

    AStarPlanner& planner = SharedPlanner();
    planner.setInterruptQuery(EscapeDown);
    if (!planner.createMap(request)) return 0;
    planner.initialize();
    if (!planner.run()) return 0;

    std::size_t count = planner.getPathSize();
    if (count == 0) {
        DIM(path, 0);
        return 0;
    }
    std::vector<int32_t> cells(2 * count);
    planner.fillPath(cells.data(), count);
    DIM(path, static_cast<double>(count), 2);
    for (std::size_t k = 0; k < count; ++k) {
        path(static_cast<double>(k), 0) = cells[2 * k];
        path(static_cast<double>(k), 1) = cells[2 * k + 1];
    }
    return static_cast<double>(count);
}
