// The path planner on its own: open list, closed set, node pool and weighted A*.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <utility>
#include <vector>

#include "pathfind/AStarPlanner.h"

namespace {
using Cells = std::vector<std::pair<int, int>>;

struct Grid {
    int width, height;
    std::vector<double> costs;
};

Planner::Description Request(const Grid& grid, int sx, int sy, int gx, int gy) {
    Planner::Description d;
    d.startX = sx;
    d.startY = sy;
    d.goalX = gx;
    d.goalY = gy;
    d.diagonalCost = 1;
    d.width = grid.width;
    d.height = grid.height;
    d.map = grid.costs.data();
    return d;
}

// Runs a search; returns the path from start to goal (empty when none).
Cells Search(AStarPlanner& planner, const Planner::Description& d) {
    EXPECT_TRUE(planner.createMap(d));
    planner.initialize();
    EXPECT_TRUE(planner.run());
    std::vector<int32_t> xy(2 * planner.getPathSize());
    std::size_t n = planner.fillPath(xy.data(), planner.getPathSize());
    Cells cells;
    for (std::size_t k = 0; k < n; ++k) cells.emplace_back(xy[2 * k], xy[2 * k + 1]);
    return cells;
}

Cells Search(const Grid& grid, int sx, int sy, int gx, int gy) {
    AStarPlanner planner;
    return Search(planner, Request(grid, sx, sy, gx, gy));
}
}  // namespace

TEST(FixedDeque, KeepsOrderAcrossTheRingEdge) {
    FixedDeque<int> deque(4);
    EXPECT_TRUE(deque.isEmpty());
    for (int v : {1, 2, 3}) deque.pushBack(v);
    deque.remove(0);  // front moves on: the next pushes wrap round the buffer
    deque.pushBack(4);
    deque.pushBack(5);
    ASSERT_EQ(deque.size(), 4u);
    deque.pushBack(6);   // full: ignored
    deque.insert(1, 9);  // full: ignored
    EXPECT_EQ(deque.size(), 4u);
    deque.popBack();
    deque.insert(1, 7);
    std::vector<int> seen;
    for (std::size_t i = 0; i < deque.size(); ++i) seen.push_back(deque[i]);
    EXPECT_EQ(seen, (std::vector<int>{2, 7, 3, 4}));
    EXPECT_EQ(deque.back(), 4);
    deque.remove(3);
    deque.remove(0);
    EXPECT_EQ(deque.size(), 2u);
    EXPECT_EQ(deque[0], 7);
    deque.popBack();
    deque.popBack();
    EXPECT_TRUE(deque.isEmpty());
    deque.popBack();  // popping an empty deque changes nothing
    EXPECT_EQ(deque.size(), 0u);
}

TEST(NodeHashTable, FindsAndUnlinksNodesSharingABucket) {
    NodeHashTable table(17);  // odd: lowered to 16, 8 bits of x and of y
    EXPECT_EQ(table.bucketCount(), 65536u);
    EXPECT_EQ(table.bucketOf(3, 5), table.bucketOf(3 + 256, 5 + 512));
    EXPECT_EQ(table.bucketOf(0x12, 0x34), 0x3412u);
    Node a{}, b{}, c{};
    a.x = 3, a.y = 5;
    b.x = 259, b.y = 517;
    c.x = 3, c.y = 6;
    for (Node* n : {&a, &b, &c}) table.add(n);
    NodeHashIterator it(table);
    EXPECT_EQ(it.find(3, 5), &a);
    EXPECT_EQ(it.find(259, 517), &b);
    it.remove();
    EXPECT_EQ(it.find(259, 517), nullptr);
    EXPECT_EQ(it.find(3, 5), &a);
    EXPECT_EQ(table.size(), 2u);
    int released = 0;
    table.clear([&](Node*) { ++released; });
    EXPECT_EQ(released, 2);
    EXPECT_EQ(it.find(3, 6), nullptr);
}

TEST(NodeFactory, HandsOutEachNodeOnceUntilReleased) {
    NodeFactory pool(2);
    Node* a = pool.fetch();
    Node* b = pool.fetch();
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    EXPECT_EQ(pool.fetch(), nullptr);
    pool.release(a);
    EXPECT_EQ(pool.fetch(), a);
}

TEST(Planner, RefusesBadRequests) {
    Grid grid{3, 2, std::vector<double>(6, 1)};
    AStarPlanner planner;
    EXPECT_FALSE(planner.createMap(Request(grid, 0, 0, 0, 0)));  // start = goal
    EXPECT_FALSE(planner.createMap(Request(grid, -1, 0, 2, 1)));
    EXPECT_FALSE(planner.createMap(Request(grid, 0, 0, 3, 1)));
    EXPECT_FALSE(planner.createMap(Request(grid, 0, 0, 2, 2)));
    EXPECT_FALSE(planner.isLoaded());
    EXPECT_FALSE(planner.run());  // nothing to search
    EXPECT_TRUE(planner.createMap(Request(grid, 0, 0, 2, 1)));
    EXPECT_TRUE(planner.isLoaded());
}

TEST(Planner, CostTableScalesToTheLargestCost) {
    Grid grid{3, 1, {2, 0, 8}};
    AStarPlanner planner;
    ASSERT_TRUE(planner.createMap(Request(grid, 0, 0, 2, 0)));
    const float* table = planner.getMap();
    EXPECT_FLOAT_EQ(table[0], 0.25f);
    EXPECT_FLOAT_EQ(table[1], -1.0f);
    EXPECT_FLOAT_EQ(table[2], 1.0f);
}

TEST(AStar, CorridorAndUnreachableGoal) {
    EXPECT_EQ(Search(Grid{3, 1, {1, 1, 1}}, 0, 0, 2, 0), (Cells{{0, 0}, {1, 0}, {2, 0}}));
    // A wall of blocked cells (cost 0 and below) with no way round.
    Grid wall{3, 3, {1, 0, 1, 1, -4, 1, 1, 0, 1}};
    AStarPlanner planner;
    EXPECT_TRUE(Search(planner, Request(wall, 0, 1, 2, 1)).empty());
    EXPECT_EQ(planner.getGoal(), nullptr);
    EXPECT_EQ(planner.getClosedSize(), 3u);  // the left column was all it could reach
    EXPECT_EQ(planner.getOpenSize(), 0u);
}

TEST(AStar, DiagonalStepsOnlyWhenAskedFor) {
    Grid grid{2, 2, {1, 0, 0, 1}};
    EXPECT_TRUE(Search(grid, 0, 0, 1, 1).empty());
    AStarPlanner planner;
    auto d = Request(grid, 0, 0, 1, 1);
    d.diagonalMoves = 1;
    EXPECT_EQ(Search(planner, d), (Cells{{0, 0}, {1, 1}}));
    EXPECT_FLOAT_EQ(planner.getPathCost(), 1.4142136f);
    d.diagonalCost = 0;
    Search(planner, d);
    EXPECT_FLOAT_EQ(planner.getPathCost(), 1.0f);
}

// On an even field every shortest route costs the same; which one is taken depends
// on the neighbour order and on equal priorities being served first come, first
// served: right before down, so along the top edge first.
TEST(AStar, EqualPrioritiesAreServedInArrivalOrder) {
    Grid grid{3, 3, std::vector<double>(9, 1)};
    EXPECT_EQ(Search(grid, 0, 0, 2, 2), (Cells{{0, 0}, {1, 0}, {2, 0}, {2, 1}, {2, 2}}));
    // Mirrored: from the far corner the upward step is visited before the left one.
    EXPECT_EQ(Search(grid, 2, 2, 0, 0), (Cells{{2, 2}, {2, 1}, {2, 0}, {1, 0}, {0, 0}}));
}

// The distance to the goal outweighs the cost so far (weight 0.7): the search runs
// straight through the expensive middle row (cost 3.1 after scaling) although the
// cheap detour over the top row costs only 0.6.
TEST(AStar, WeightFavoursTheDistanceToTheGoal) {
    Grid grid{5,
              3,
              {1, 1, 1, 1, 1,     //
               1, 10, 10, 10, 1,  //
               0, 0, 0, 0, 0}};
    AStarPlanner planner;
    auto d = Request(grid, 0, 1, 4, 1);
    EXPECT_EQ(Search(planner, d), (Cells{{0, 1}, {1, 1}, {2, 1}, {3, 1}, {4, 1}}));
    EXPECT_NEAR(planner.getPathCost(), 3.1f, 1e-5);
    // Weighing only the cost so far finds the cheap detour.
    d.weight = 0;
    EXPECT_EQ(Search(planner, d), (Cells{{0, 1}, {0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {4, 1}}));
    EXPECT_NEAR(planner.getPathCost(), 0.6f, 1e-5);
}

// Whatever nodes are re-routed on the way, the goal's cost is that of its path.
TEST(AStar, PathCostIsTheSumOfItsCells) {
    Grid grid{4,
              3,
              {1, 9, 9, 9,  //
               1, 1, 1, 9,  //
               9, 9, 1, 1}};
    AStarPlanner planner;
    auto path = Search(planner, Request(grid, 0, 0, 3, 2));
    ASSERT_FALSE(path.empty());
    float cost = 0;
    const float* table = planner.getMap();
    for (std::size_t k = 1; k < path.size(); ++k) {
        auto [x, y] = path[k];
        EXPECT_EQ(std::abs(x - path[k - 1].first) + std::abs(y - path[k - 1].second), 1);
        cost += table[y * 5 + x];  // the table has one spare column
    }
    EXPECT_FLOAT_EQ(planner.getPathCost(), cost);
}

TEST(AStar, ScalingEveryCostKeepsThePath) {
    std::mt19937 random(7);
    Grid grid{40, 30, {}};
    for (int i = 0; i < grid.width * grid.height; ++i)
        grid.costs.push_back(random() % 10 < 3 ? 0 : 1 + random() % 20);
    grid.costs[0] = grid.costs.back() = 5;
    Grid scaled = grid;
    for (double& c : scaled.costs) c *= 13.5;
    Cells a = Search(grid, 0, 0, 39, 29);
    EXPECT_EQ(a, Search(scaled, 0, 0, 39, 29));
    if (!a.empty()) {
        EXPECT_EQ(a.front(), std::make_pair(0, 0));
        EXPECT_EQ(a.back(), std::make_pair(39, 29));
    }
}

namespace {
int g_queries = 0;
bool g_stop = false;
bool CountingQuery() {
    ++g_queries;
    return g_stop;
}
}  // namespace

// A corridor of 20005 cells whose goal is cut off: the search takes the 20003
// reachable cells one after the other, each exactly once.
TEST(AStar, InterruptionIsCheckedEvery10002ndNode) {
    Grid grid{20005, 1, std::vector<double>(20005, 1)};
    grid.costs[20003] = 0;
    AStarPlanner planner;
    planner.setInterruptQuery(CountingQuery);
    ASSERT_TRUE(planner.createMap(Request(grid, 0, 0, 20004, 0)));

    g_queries = 0;
    g_stop = true;
    planner.initialize();
    EXPECT_FALSE(planner.run());
    EXPECT_EQ(g_queries, 2);  // the clearing read, then the check at node 10002
    EXPECT_EQ(planner.getClosedSize(), 10002u);
    EXPECT_EQ(planner.getGoal(), nullptr);

    g_queries = 0;
    g_stop = false;
    planner.initialize();
    EXPECT_TRUE(planner.run());
    EXPECT_EQ(planner.getClosedSize(), 20003u);
    EXPECT_EQ(planner.getExpandedCount(), 20003u);
    EXPECT_EQ(planner.getNumSlices(), 2u);  // at nodes 10002 and 20003
    EXPECT_EQ(g_queries, 3);
}

// Without a query nothing interrupts, and a second search on the same map gives
// the same answer from a clean start.
TEST(AStar, RunsAgainOnTheSameMap) {
    Grid grid{60, 60, std::vector<double>(60 * 60, 1)};
    grid.costs[59 * 60 + 58] = grid.costs[58 * 60 + 59] = 0;
    AStarPlanner planner;
    ASSERT_TRUE(planner.createMap(Request(grid, 0, 0, 59, 59)));
    for (int round = 0; round < 2; ++round) {
        planner.initialize();
        EXPECT_TRUE(planner.run());
        EXPECT_EQ(planner.getGoal(), nullptr);
        EXPECT_EQ(planner.getClosedSize(), 60u * 60u - 3u);
    }
}

namespace {
// Everything a search leaves to be asked: path, cost, expansions, open and closed
// cells in their order, and the cost table.
struct SearchRecord {
    Cells path;
    float cost = 0;
    std::size_t expanded = 0;
    std::vector<int32_t> open, closed;
    std::vector<float> table;
    bool operator==(const SearchRecord&) const = default;
};

SearchRecord Record(AStarPlanner& planner, const Planner::Description& d) {
    SearchRecord record;
    record.path = Search(planner, d);
    record.cost = planner.getPathCost();
    record.expanded = planner.getExpandedCount();
    record.open.resize(2 * planner.getOpenSize());
    planner.fillOpen(record.open.data(), planner.getOpenSize());
    record.closed.resize(2 * planner.getClosedSize());
    planner.fillClosed(record.closed.data(), planner.getClosedSize());
    const float* table = planner.getMap();
    record.table.assign(table, table + std::size_t(d.width + 1) * (d.height + 1));
    return record;
}

Grid RandomGrid(int width, int height, unsigned seed) {
    std::mt19937 random(seed);
    Grid grid{width, height, std::vector<double>(std::size_t(width) * height)};
    for (double& c : grid.costs) c = random() % 100 < 25 ? 0 : 1 + random() % 9;
    return grid;
}
}  // namespace

// A planner that keeps its tables between maps of one size searches exactly as a new
// planner does: on changed weights, a changed largest cost, new blocked cells, after
// an unfinished search and after a map of another size.
TEST(AStar, TablesUsedAgainSearchAsFreshOnes) {
    AStarPlanner kept;
    const int sizes[][2] = {{40, 30}, {40, 30}, {40, 30}, {17, 50}, {40, 30}};
    for (unsigned round = 0; round < 5; ++round) {
        Grid grid = RandomGrid(sizes[round][0], sizes[round][1], 11 + round);
        if (round == 2) grid.costs[5] = 1000;  // a new largest cost rescales every cell
        grid.costs[0] = grid.costs.back() = 1;
        Planner::Description d = Request(grid, 0, 0, grid.width - 1, grid.height - 1);
        d.diagonalMoves = round % 2;
        AStarPlanner fresh;
        SearchRecord expected = Record(fresh, d);
        SearchRecord got = Record(kept, d);
        EXPECT_TRUE(got == expected) << "round " << round;
        EXPECT_GT(got.expanded, 10u);
    }
    // A request refused on its start leaves the kept map as it was.
    Grid grid = RandomGrid(40, 30, 99);
    EXPECT_FALSE(kept.createMap(Request(grid, -1, 0, 3, 3)));
    EXPECT_TRUE(kept.isLoaded());
}

// The kept table follows single changed cells, a cell that becomes blocked or a
// non-number, and a change of the largest cost, as a table made afresh does.
TEST(AStar, KeptTableFollowsChangedCells) {
    AStarPlanner kept;
    Grid grid = RandomGrid(30, 20, 5);
    grid.costs[0] = grid.costs.back() = 1;
    Planner::Description d = Request(grid, 0, 0, 29, 19);
    Record(kept, d);
    const std::vector<std::pair<std::size_t, double>> changes = {
        {31, 7}, {32, 0}, {33, std::nan("")}, {34, 9}, {35, 50}, {35, 2}, {36, -3}};
    for (const auto& [cell, cost] : changes) {
        grid.costs[cell] = cost;
        AStarPlanner fresh;
        SearchRecord expected = Record(fresh, d);
        EXPECT_TRUE(Record(kept, d) == expected) << "cell " << cell << " cost " << cost;
    }
}

// The kept cost table, cell for cell, against one made afresh, over a map of three
// compared blocks (the last one short): the largest cost arriving in the last block,
// held by two cells so that one of them changing keeps it, falling once neither holds
// it, and blocked, infinite, negative-zero and non-number cells in the middle block.
TEST(AStar, KeptCostTableMatchesAFreshOne) {
    AStarPlanner kept;
    Grid grid = RandomGrid(40, 30, 8);
    grid.costs[0] = grid.costs.back() = 1;
    Planner::Description d = Request(grid, 0, 0, 39, 29);
    ASSERT_TRUE(kept.createMap(d));
    const std::size_t tableSize = std::size_t(41) * 31;
    auto sameAsFresh = [&](const char* step) {
        ASSERT_TRUE(kept.createMap(d)) << step;
        AStarPlanner fresh;
        ASSERT_TRUE(fresh.createMap(d)) << step;
        for (std::size_t i = 0; i < tableSize; ++i)
            ASSERT_EQ(kept.getMap()[i], fresh.getMap()[i]) << step << " table entry " << i;
    };
    // Cell i of the map is table entry (i / 40) * 41 + i % 40.
    auto entry = [&](std::size_t cell) { return kept.getMap()[(cell / 40) * 41 + cell % 40]; };
    grid.costs[1100] = 60;
    sameAsFresh("a new largest cost in the last block");
    EXPECT_FLOAT_EQ(entry(1100), 1.0f);
    grid.costs[5] = 60;
    grid.costs[1100] = 3;
    sameAsFresh("the largest cost moved to the first block");
    EXPECT_FLOAT_EQ(entry(5), 1.0f);
    EXPECT_FLOAT_EQ(entry(1100), 3.0f / 60);
    grid.costs[900] = 60;
    grid.costs[5] = 2;
    sameAsFresh("one of two largest cells changed");
    EXPECT_FLOAT_EQ(entry(5), 2.0f / 60);
    grid.costs[900] = 4;
    sameAsFresh("the largest cost fell");
    EXPECT_FLOAT_EQ(entry(1100), 3.0f / 9);  // the random costs reach 9
    grid.costs[600] = std::numeric_limits<double>::infinity();
    grid.costs[601] = -0.0;
    grid.costs[602] = std::nan("");
    sameAsFresh("blocked cells in the middle block");
    EXPECT_FLOAT_EQ(entry(600), Planner::kBlocked);
    EXPECT_FLOAT_EQ(entry(602), Planner::kBlocked);
    sameAsFresh("the same map again");
}
