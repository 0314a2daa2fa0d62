// Path finding speed: FINDPATH (and the planner's search alone) on random cost maps
// with 30 % blocked cells, against Boost Graph's A* with the same weighted priority.
//   path_bench [searches on 256 x 256] [searches on 1024 x 1024] [walled-in searches]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <limits>
#include <random>
#include <vector>

#include "commands/cmd_path.h"
#include "pathfind/AStarPlanner.h"

#ifdef KV_BENCH_WITH_BOOST
#include <boost/graph/adjacency_list.hpp>
#include <boost/graph/astar_search.hpp>
#endif

namespace {
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

struct Map {
    int width, height;
    std::vector<double> costs;  // 0 = blocked, else 1..9
};

struct Query {
    int sx, sy, gx, gy;
};

Map RandomMap(int width, int height, std::mt19937& random) {
    Map map{width, height, std::vector<double>(std::size_t(width) * height)};
    for (double& c : map.costs) c = random() % 100 < 30 ? 0 : 1 + random() % 9;
    return map;
}

// Labels the straight-connected regions of passable cells.
std::vector<int> Regions(const Map& map) {
    std::vector<int> region(map.costs.size(), -1);
    std::vector<std::size_t> stack;
    int next = 0;
    for (std::size_t first = 0; first < map.costs.size(); ++first) {
        if (map.costs[first] <= 0 || region[first] >= 0) continue;
        region[first] = next;
        stack.push_back(first);
        while (!stack.empty()) {
            std::size_t cell = stack.back();
            stack.pop_back();
            int x = int(cell % map.width), y = int(cell / map.width);
            const int dx[4] = {0, 1, -1, 0}, dy[4] = {-1, 0, 0, 1};
            for (int k = 0; k < 4; ++k) {
                int nx = x + dx[k], ny = y + dy[k];
                if (nx < 0 || ny < 0 || nx >= map.width || ny >= map.height) continue;
                std::size_t n = std::size_t(ny) * map.width + nx;
                if (map.costs[n] > 0 && region[n] < 0) {
                    region[n] = next;
                    stack.push_back(n);
                }
            }
        }
        ++next;
    }
    return region;
}

// Start and goal in the same region, so every search ends at its goal. A goal that
// cannot be reached makes the weighted search (which reopens expanded cells) visit
// its whole region many times over: that case is measured on its own.
std::vector<Query> RandomQueries(const Map& map, int count, std::mt19937& random) {
    std::vector<int> region = Regions(map);
    std::vector<Query> queries;
    auto at = [&](int x, int y) { return region[std::size_t(y) * map.width + x]; };
    while (int(queries.size()) < count) {
        Query q{int(random() % map.width), int(random() % map.height), int(random() % map.width),
                int(random() % map.height)};
        if (at(q.sx, q.sy) >= 0 && at(q.sx, q.sy) == at(q.gx, q.gy) &&
            (q.sx != q.gx || q.sy != q.gy))
            queries.push_back(q);
    }
    return queries;
}

struct Result {
    double seconds = 0;
    double expanded = 0;
    double pathCells = 0;
    int found = 0;
};

void Print(const char* what, int searches, const Result& r) {
    std::printf(
        "  %-34s %8.1f searches/s %12.0f nodes/s  (%d found, %.0f path cells, %.0f "
        "nodes)\n",
        what, searches / r.seconds, r.expanded / r.seconds, r.found, r.pathCells, r.expanded);
}

Result RunFindPath(const Map& map, const std::vector<Query>& queries) {
    KvIntArray grid, path;
    DIM(grid, map.width, map.height);
    for (int y = 0; y < map.height; ++y)
        for (int x = 0; x < map.width; ++x) grid(x, y) = map.costs[std::size_t(y) * map.width + x];
    Result r;
    auto start = Clock::now();
    for (const Query& q : queries) {
        double n = FINDPATH(grid, path, 0.7, q.sx, q.sy, q.gx, q.gy);
        r.found += n > 0;
        r.pathCells += n;
    }
    r.seconds = Seconds(start);
    return r;
}

// The planner's search alone (map set up once per query outside the timing).
Result RunPlanner(const Map& map, const std::vector<Query>& queries) {
    Result r;
    AStarPlanner planner;
    for (const Query& q : queries) {
        Planner::Description d;
        d.startX = q.sx, d.startY = q.sy, d.goalX = q.gx, d.goalY = q.gy;
        d.diagonalCost = 1;
        d.width = map.width, d.height = map.height;
        d.map = map.costs.data();
        planner.createMap(d);
        auto start = Clock::now();
        planner.initialize();
        planner.run();
        r.seconds += Seconds(start);
        r.expanded += double(planner.getExpandedCount());
        r.pathCells += double(planner.getPathSize());
        r.found += planner.getPathSize() > 0;
    }
    return r;
}

#ifdef KV_BENCH_WITH_BOOST
using Graph = boost::adjacency_list<boost::vecS, boost::vecS, boost::directedS, boost::no_property,
                                    boost::property<boost::edge_weight_t, float>>;
using Vertex = boost::graph_traits<Graph>::vertex_descriptor;

struct FoundGoal {};

class GoalVisitor : public boost::default_astar_visitor {
  public:
    GoalVisitor(Vertex goal, double* examined) : goal_(goal), examined_(examined) {}
    void examine_vertex(Vertex v, const Graph&) {
        ++*examined_;
        if (v == goal_) throw FoundGoal();
    }

  private:
    Vertex goal_;
    double* examined_;
};

// The planner's priority 0.7 h + 0.3 g orders nodes as g + (0.7 / 0.3) h does.
class WeightedManhattan : public boost::astar_heuristic<Graph, float> {
  public:
    WeightedManhattan(int width, Vertex goal) : width_(width), goal_(goal) {}
    float operator()(Vertex v) const {
        int x = int(v % width_), y = int(v / width_);
        int gx = int(goal_ % width_), gy = int(goal_ / width_);
        return (0.7f / 0.3f) * float(std::abs(gx - x) + std::abs(gy - y));
    }

  private:
    int width_;
    Vertex goal_;
};

// Edges into every passable cell from its passable straight neighbours, weighted with
// the cell's cost scaled like the planner scales it.
Graph BuildGraph(const Map& map) {
    double largest = 0;
    for (double c : map.costs) largest = c > largest ? c : largest;
    Graph graph(std::size_t(map.width) * map.height);
    auto index = [&](int x, int y) { return std::size_t(y) * map.width + x; };
    const int dx[4] = {0, 1, -1, 0}, dy[4] = {-1, 0, 0, 1};
    for (int y = 0; y < map.height; ++y)
        for (int x = 0; x < map.width; ++x) {
            if (map.costs[index(x, y)] <= 0) continue;
            for (int k = 0; k < 4; ++k) {
                int nx = x + dx[k], ny = y + dy[k];
                if (nx < 0 || ny < 0 || nx >= map.width || ny >= map.height) continue;
                double c = map.costs[index(nx, ny)];
                if (c > 0) boost::add_edge(index(x, y), index(nx, ny), float(c / largest), graph);
            }
        }
    return graph;
}

// Boost's searches: total time including the reset of its per-vertex maps before
// each search (as FINDPATH sets its map up each time) and the search time alone.
Result RunBoost(const Map& map, const std::vector<Query>& queries, double& searchSeconds) {
    Graph graph = BuildGraph(map);
    std::size_t n = boost::num_vertices(graph);
    std::vector<Vertex> predecessors(n);
    std::vector<float> distances(n), ranks(n);
    std::vector<boost::default_color_type> colours(n);
    Result r;
    searchSeconds = 0;
    auto start = Clock::now();
    for (const Query& q : queries) {
        for (std::size_t v = 0; v < n; ++v) {
            predecessors[v] = v;
            distances[v] = ranks[v] = std::numeric_limits<float>::infinity();
            colours[v] = boost::white_color;
        }
        Vertex s = Vertex(q.sy) * map.width + q.sx, g = Vertex(q.gy) * map.width + q.gx;
        distances[s] = 0;
        ranks[s] = WeightedManhattan(map.width, g)(s);
        auto searchStart = Clock::now();
        try {
            boost::astar_search_no_init(graph, s, WeightedManhattan(map.width, g),
                                        boost::visitor(GoalVisitor(g, &r.expanded))
                                            .predecessor_map(predecessors.data())
                                            .distance_map(distances.data())
                                            .rank_map(ranks.data())
                                            .color_map(colours.data())
                                            .distance_inf(std::numeric_limits<float>::infinity())
                                            .distance_zero(0.0f)
                                            .distance_compare(std::less<float>())
                                            .distance_combine(std::plus<float>()));
        } catch (const FoundGoal&) {
            ++r.found;
            for (Vertex v = g;; v = predecessors[v]) {
                ++r.pathCells;
                if (v == s) break;
            }
        }
        searchSeconds += Seconds(searchStart);
    }
    r.seconds = Seconds(start);
    return r;
}
#endif

void Compare(const Map& map, const std::vector<Query>& queries) {
    int searches = int(queries.size());
    Result findPath = RunFindPath(map, queries);
    Result planner = RunPlanner(map, queries);
    findPath.expanded = planner.expanded;
    Print("FINDPATH (with map set-up)", searches, findPath);
    Print("planner search alone", searches, planner);
#ifdef KV_BENCH_WITH_BOOST
    double boostSearchSeconds = 0;
    Result boostResult = RunBoost(map, queries, boostSearchSeconds);
    Print("Boost astar_search (with reset)", searches, boostResult);
    Result boostSearch = boostResult;
    boostSearch.seconds = boostSearchSeconds;
    Print("Boost astar_search alone", searches, boostSearch);
    std::printf("  speed ratio FINDPATH / Boost (with set-up): %.2f; search alone: %.2f\n",
                boostResult.seconds / findPath.seconds, boostSearch.seconds / planner.seconds);
#endif
}

void RunSize(int size, int searches) {
    std::mt19937 random(20240 + size);
    Map map = RandomMap(size, size, random);
    std::printf("%d x %d, 30 %% blocked, %d searches with a reachable goal:\n", size, size,
                searches);
    Compare(map, RandomQueries(map, searches, random));
}

// The goal walled in: the search visits everything reachable from the start.
void RunUnreachable(int size, int searches) {
    std::mt19937 random(777 + size);
    Map map = RandomMap(size, size, random);
    std::vector<Query> queries = RandomQueries(map, searches, random);
    for (Query& q : queries) {
        auto block = [&](int x, int y) {
            if (x >= 0 && y >= 0 && x < size && y < size) map.costs[std::size_t(y) * size + x] = 0;
        };
        block(q.gx - 1, q.gy), block(q.gx + 1, q.gy), block(q.gx, q.gy - 1), block(q.gx, q.gy + 1);
    }
    std::printf("%d x %d, 30 %% blocked, %d searches for a walled-in goal:\n", size, size,
                searches);
    Compare(map, queries);
}
}  // namespace

int main(int argc, char** argv) {
    int small = argc > 1 ? std::atoi(argv[1]) : 200;
    int large = argc > 2 ? std::atoi(argv[2]) : 20;
    int unreachable = argc > 3 ? std::atoi(argv[3]) : 2;
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    RunSize(256, small);
    RunSize(1024, large);
    if (unreachable > 0) RunUnreachable(256, unreachable);
    return 0;
}
