// The planner base: request checks, the cost table, the search structures and the
// queries about the last search.
#include "pathfind/Planner.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

Planner::~Planner() { unloadMap(); }

bool Planner::createMap(const Description& d) {
    auto inside = [&d](int32_t x, int32_t y) {
        return x >= 0 && x < d.width && y >= 0 && y < d.height;
    };
    if (!d.map || !inside(d.startX, d.startY) || !inside(d.goalX, d.goalY)) return false;
    if (d.startX == d.goalX && d.startY == d.goalY) return false;

    if (tablesFit(d)) {
        forgetSearch();
        updateCosts(d);
    } else if (makeTables(d)) {
        fillCosts(d);
    } else {
        return false;
    }
    m_description = d;
    m_goalNode = nullptr;
    m_done = false;
    return true;
}

// The tables of the loaded map serve a request of the same sizes.
bool Planner::tablesFit(const Description& d) const {
    const Description& loaded = m_description;
    return isLoaded() && d.width == loaded.width && d.height == loaded.height &&
           d.poolSize == loaded.poolSize && d.openCapacity == loaded.openCapacity &&
           d.hashBits == loaded.hashBits;
}

bool Planner::makeTables(const Description& d) {
    unloadMap();
    const std::size_t width = std::size_t(d.width), height = std::size_t(d.height);
    const std::size_t cells = width * height;
    try {
        m_stride = width + 1;
        std::unique_ptr<float[]> costs(new float[m_stride * (height + 1)]);
        m_pool = std::make_unique<NodeFactory>(d.poolSize ? d.poolSize : cells);
        m_open = std::make_unique<FixedDeque<Node*>>(d.openCapacity ? d.openCapacity : cells);
        m_closed = std::make_unique<NodeHashTable>(d.hashBits);
        m_openAt.reset(static_cast<Node**>(std::calloc(cells, sizeof(Node*))));
        if (!m_openAt) throw std::bad_alloc();
        m_lastMap.resize(cells);
        m_costs = std::move(costs);
    } catch (const std::bad_alloc&) {
        unloadMap();
        return false;
    }
    return true;
}

namespace {
// Cells compared at a time against the last map: a block whose bytes are unchanged
// is passed over.
constexpr std::size_t kCompareBlock = 512;

float ScaledCost(double c, double divisor) {
    return c > 0 && std::isfinite(c) ? static_cast<float>(c / divisor) : Planner::kBlocked;
}

double LargestCost(const double* map, std::size_t cells) {
    double largest = 0;
    for (std::size_t i = 0; i < cells; ++i)
        if (std::isfinite(map[i]) && map[i] > largest) largest = map[i];
    return largest;
}
}  // namespace

// The last search's nodes all go back to the pool at once: only the open cells'
// entries and the closed table need emptying, not each node handed back.
void Planner::forgetSearch() {
    for (std::size_t i = 0; i < m_open->size(); ++i)
        m_openAt[cellIndex((*m_open)[i]->x, (*m_open)[i]->y)] = nullptr;
    m_open->clear();
    m_closed->forget();
    m_pool->reset();
    m_goalNode = nullptr;
}

// Passable costs are scaled by the largest finite cost; blocked cells, non-numbers,
// infinite costs and the spare row and column read as blocked.
void Planner::fillCosts(const Description& d) {
    const std::size_t width = std::size_t(d.width), height = std::size_t(d.height);
    const double* map = d.map;
    const double largest = LargestCost(map, width * height);
    const double divisor = largest > 0 ? largest : 1;
    float* costs = m_costs.get();
    for (std::size_t y = 0; y < height; ++y, map += width, costs += m_stride) {
        for (std::size_t x = 0; x < width; ++x) costs[x] = ScaledCost(map[x], divisor);
        costs[width] = kBlocked;
    }
    for (std::size_t x = 0; x <= width; ++x) costs[x] = kBlocked;
    std::copy(d.map, d.map + width * height, m_lastMap.begin());
    m_lastDivisor = divisor;
    m_lastLargest = largest;
}

// The table of the last map serves again: blocks of the caller's map that are
// byte for byte the last map's are passed over, the changed cells are scaled by the
// last divisor. Only when the largest cost changed is every cell scaled again: a
// larger one shows among the changed cells, a smaller one only once the cell that
// held the largest changed, and then a pass over the map tells.
void Planner::updateCosts(const Description& d) {
    const std::size_t width = std::size_t(d.width), cells = width * std::size_t(d.height);
    const double* map = d.map;
    double* last = m_lastMap.data();
    double largest = m_lastLargest;
    bool largestChanged = false;
    for (std::size_t block = 0; block < cells; block += kCompareBlock) {
        const std::size_t end = std::min(cells, block + kCompareBlock);
        if (std::memcmp(map + block, last + block, (end - block) * sizeof(double)) == 0)
            continue;
        for (std::size_t i = block; i < end; ++i) {
            double c = map[i];
            if (c == last[i]) continue;  // a non-number differs from everything, itself too
            if (last[i] == m_lastLargest) largestChanged = true;
            if (std::isfinite(c) && c > largest) largest = c;
            last[i] = c;
            m_costs[(i / width) * m_stride + i % width] = ScaledCost(c, m_lastDivisor);
        }
    }
    if (largestChanged) largest = LargestCost(map, cells);
    if (largest != m_lastLargest) fillCosts(d);
}

void Planner::initialize() {
    cleanup();
    m_slices = 0;
    m_expanded = 0;
    m_runningTime = 0;
    m_done = false;
}

void Planner::cleanup() {
    if (m_open) {
        for (std::size_t i = 0; i < m_open->size(); ++i) {
            Node* node = (*m_open)[i];
            m_openAt[cellIndex(node->x, node->y)] = nullptr;
            m_pool->release(node);
        }
        m_open->clear();
    }
    if (m_closed) m_closed->clear([this](Node* node) { m_pool->release(node); });
    m_goalNode = nullptr;
}

void Planner::unloadMap() {
    m_costs.reset();
    m_lastMap.clear();
    m_lastMap.shrink_to_fit();
    m_open.reset();
    m_closed.reset();
    m_pool.reset();
    m_openAt.reset();
    m_goalNode = nullptr;
    m_done = false;
}

float Planner::getPathCost() const { return m_goalNode ? m_goalNode->g : 0.0f; }

std::size_t Planner::getPathSize() const {
    std::size_t count = 0;
    for (const Node* node = m_goalNode; node; node = node->parent) ++count;
    return count;
}

std::size_t Planner::fillPath(int32_t* xy, std::size_t maxNodes) const {
    std::size_t count = getPathSize();
    if (count > maxNodes) return 0;
    std::size_t k = count;
    for (const Node* node = m_goalNode; node; node = node->parent) {
        --k;
        xy[2 * k] = node->x;
        xy[2 * k + 1] = node->y;
    }
    return count;
}

std::size_t Planner::fillOpen(int32_t* xy, std::size_t maxNodes) const {
    std::size_t count = 0;
    for (std::size_t i = 0; i < getOpenSize() && count < maxNodes; ++i, ++count) {
        xy[2 * count] = (*m_open)[i]->x;
        xy[2 * count + 1] = (*m_open)[i]->y;
    }
    return count;
}

std::size_t Planner::fillClosed(int32_t* xy, std::size_t maxNodes) const {
    std::size_t count = 0;
    if (!m_closed) return 0;
    m_closed->forEach([&](const Node* node) {
        if (count >= maxNodes) return;
        xy[2 * count] = node->x;
        xy[2 * count + 1] = node->y;
        ++count;
    });
    return count;
}

// The open list is sorted by falling f: the first position whose f is not above f.
std::size_t Planner::firstOpenNotAbove(float f) const {
    const FixedDeque<Node*>& open = *m_open;
    std::size_t lo = 0, hi = open.size();
    while (lo < hi) {
        std::size_t mid = (lo + hi) / 2;
        if (f < open[mid]->f)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

void Planner::insertOpen(Node* node) {
    FixedDeque<Node*>& open = *m_open;
    if (open.isFull()) return;
    std::size_t lo = firstOpenNotAbove(node->f);
    open.insert(lo, node);
    m_openAt[cellIndex(node->x, node->y)] = node;
}

void Planner::removeOpen(Node* node) {
    FixedDeque<Node*>& open = *m_open;
    // The first position whose f is not above the node's, then along the equal ones.
    std::size_t lo = firstOpenNotAbove(node->f);
    for (std::size_t i = lo; i < open.size() && open[i]->f == node->f; ++i) {
        if (open[i] == node) {
            open.remove(i);
            break;
        }
    }
    m_openAt[cellIndex(node->x, node->y)] = nullptr;
}

Node* Planner::popLowest() {
    Node* node = m_open->back();
    m_open->popBack();
    m_openAt[cellIndex(node->x, node->y)] = nullptr;
    return node;
}
