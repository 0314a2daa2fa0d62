// Greedy play with backtracking: each chunk's keys are drawn from a plan's weighted
// choices; a hit sends the search back a number of chunks that doubles with every
// hit since it last got further than before.
#include "tools/kiproute/route_search.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>

namespace {

constexpr int kChunk = 6;

enum class Move { Stand, Left, Right, Jump, JumpLeft, JumpRight, Up, Down, Count };

KeySet KeysOf(Move move) {
    switch (move) {
        case Move::Left: return kLeft | kFire;
        case Move::Right: return kRight | kFire;
        case Move::Jump: return kJump | kFire;
        case Move::JumpLeft: return kJump | kLeft | kFire;
        case Move::JumpRight: return kJump | kRight | kFire;
        case Move::Up: return kUp;
        case Move::Down: return kDown;
        default: return kFire;
    }
}

constexpr int kCells = 32;

int ColumnOf(double x) { return static_cast<int>(std::floor((x + 16 + 640) / kCells)); }
int FeetRow(double top) { return static_cast<int>(std::floor((top + 26 + 480) / kCells)); }

struct Weights {
    double w[static_cast<int>(Move::Count)] = {};
    double& operator[](Move m) { return w[static_cast<int>(m)]; }
};

// The plan of every level. The aliens of a row follow the player's level x from any
// row at half his speed: he clears the row he starts on, runs some thousand pixels on
// a cleared row so that the next row's aliens fall some 400 pixels behind, climbs a
// ladder to their row and shoots them as they come into his range.
enum class Aim { Clear, GoTo, Climb };
struct Goal {
    Aim aim;
    double value;  // the row (its platform's level y), or the level x to go to
    double ladder = 0;  // the level x of the ladder to climb
};
// Ladders: at the right end (through every row), in the middle from the top row to
// row 160, and from row 288 to the bottom row.
constexpr double kRightLadder = 1216, kMiddleLadder = 224, kBottomLadder = 320;
const Goal kPlan[] = {
    {Aim::Clear, 160},
    {Aim::GoTo, kRightLadder},  {Aim::Climb, 0, kRightLadder},     {Aim::Clear, 0},
    // The top row has a gap 96 pixels right of the middle ladder, where a hopping alien
    // flies over the player's bullets: the fight moves left of it first.
    {Aim::GoTo, kMiddleLadder}, {Aim::Climb, -160, kMiddleLadder}, {Aim::GoTo, -200},
    {Aim::Clear, -160},
    {Aim::Climb, 160, kMiddleLadder},
    {Aim::GoTo, kRightLadder},  {Aim::Climb, 288, kRightLadder},   {Aim::Clear, 288},
    {Aim::GoTo, kBottomLadder}, {Aim::Climb, 416, kBottomLadder},  {Aim::Clear, 416},
};
constexpr size_t kGoals = sizeof(kPlan) / sizeof(kPlan[0]);

// The top of the player standing on a row.
double StandingTop(double row) { return row - 26; }

const AlienSeen* NearestOnRow(const State& s, double row) {
    const AlienSeen* nearest = nullptr;
    for (const AlienSeen& a : s.aliens)
        if (a.row == row && (!nearest || std::fabs(a.x - s.kipX) < std::fabs(nearest->x - s.kipX)))
            nearest = &a;
    return nearest;
}

bool Reached(const State& s, const Goal& goal) {
    switch (goal.aim) {
        case Aim::Clear: return NearestOnRow(s, goal.value) == nullptr;
        case Aim::GoTo: return std::fabs(s.kipX - goal.value) < 2 && !s.jumping;
        case Aim::Climb: return std::fabs(s.kipY - StandingTop(goal.value)) < 2;
    }
    return true;
}

// A gap under the path within the next cell.
bool GapAhead(const State& s, int direction) {
    int row = FeetRow(s.kipY);
    return s.cell(row, ColumnOf(s.kipX + direction * 20)) == 0 ||
           s.cell(row, ColumnOf(s.kipX + direction * 34)) == 0;
}

// The keys for the goal with their weights; the first choice has the most weight.
Weights Choices(const State& s, const Goal& goal) {
    Weights w;
    for (Move m : {Move::Stand, Move::Left, Move::Right, Move::Jump, Move::JumpLeft,
                   Move::JumpRight})
        w[m] = 1;
    if (s.jumping) w[Move::Jump] = w[Move::JumpLeft] = w[Move::JumpRight] = 0;
    if (goal.aim == Aim::Climb) {
        // Back onto the ladder first when a dodge has moved him off it.
        if (std::fabs(goal.ladder - s.kipX) >= 2)
            w[goal.ladder > s.kipX ? Move::Right : Move::Left] += 12;
        else
            w[s.kipY > StandingTop(goal.value) ? Move::Up : Move::Down] += 12;
        return w;
    }
    if (goal.aim == Aim::GoTo) {
        int direction = goal.value > s.kipX ? 1 : -1;
        if (!s.jumping && GapAhead(s, direction))
            w[direction > 0 ? Move::JumpRight : Move::JumpLeft] += 12;
        else
            w[direction > 0 ? Move::Right : Move::Left] += 10;
        return w;
    }
    const AlienSeen* target = NearestOnRow(s, goal.value);
    if (!target) return w;
    double dx = target->x - s.kipX;
    Move toward = dx > 0 ? Move::Right : Move::Left;
    Move away = dx > 0 ? Move::Left : Move::Right;
    Move jumpToward = dx > 0 ? Move::JumpRight : Move::JumpLeft;
    Move jumpAway = dx > 0 ? Move::JumpLeft : Move::JumpRight;
    bool facing = (dx > 0 && s.facing == 2) || (dx < 0 && s.facing == 1);
    if (!facing) {
        w[toward] += 6;
        if (!s.jumping) w[jumpToward] += 3;
    } else {
        w[Move::Stand] += 4;
        if (!s.jumping) w[Move::Jump] += 3, w[jumpAway] += 1;
        w[away] += std::fabs(dx) < 120 ? 3 : 0;
    }
    // A fight stays on its row: no walking into a gap.
    if (!s.jumping) {
        if (GapAhead(s, -1)) w[Move::Left] = 0;
        if (GapAhead(s, 1)) w[Move::Right] = 0;
    }
    return w;
}

// Frames of a chunk: fewer when a walk or climb would pass its mark.
int ChunkFrames(const State& s, const Goal& goal, Move move) {
    double left = 1e9;
    if (goal.aim == Aim::GoTo && (move == Move::Left || move == Move::Right))
        left = std::fabs(goal.value - s.kipX) / 2;
    if (goal.aim == Aim::Climb && (move == Move::Up || move == Move::Down))
        left = std::fabs(StandingTop(goal.value) - s.kipY) / 2;
    if (goal.aim == Aim::Climb && (move == Move::Left || move == Move::Right))
        left = std::fabs(goal.ladder - s.kipX) / 2;
    return static_cast<int>(std::max(1.0, std::min<double>(kChunk, std::floor(left))));
}

Move Draw(Weights& w, std::mt19937& random, bool greedy) {
    Move best = Move::Stand;
    double total = 0;
    for (int k = 0; k < static_cast<int>(Move::Count); ++k) {
        total += w.w[k];
        if (w.w[k] > w[best]) best = static_cast<Move>(k);
    }
    if (greedy) return best;
    double pick = std::uniform_real_distribution<double>(0, total)(random);
    for (int k = 0; k < static_cast<int>(Move::Count); ++k) {
        pick -= w.w[k];
        if (pick < 0 && w.w[k] > 0) return static_cast<Move>(k);
    }
    return best;
}

struct Checkpoint {
    int snapshot;
    size_t routeLength;
    size_t goal;
    size_t goalFrom;  // the frame of play at which the goal was taken up
};

// Moves on past every goal already reached.
size_t NextGoal(const State& s, size_t goal) {
    while (goal < kGoals && Reached(s, kPlan[goal])) ++goal;
    return goal;
}

}  // namespace

bool SearchRoute(RouteGame& game, long chunkLimit, std::vector<KeySet>& route) {
    std::mt19937 random(14);
    std::vector<Checkpoint> stack{{game.Save(), route.size(), NextGoal(game.Look(), 0), 0}};
    size_t furthest = 0;  // the most frames of play reached without a hit
    int hitsSinceFurther = 0;
    for (long chunk = 0; chunk < chunkLimit; ++chunk) {
        State s = game.Look();
        size_t goal = stack.back().goal;
        if (chunk % 200 == 0) {
            std::printf("    chunk %ld: frame %zu, goal %zu, player %.0f %.0f, %zu aliens, %d hits\n",
                        chunk, route.size(), goal, s.kipX, s.kipY, s.aliens.size(),
                        hitsSinceFurther);
            std::fflush(stdout);
        }
        if (goal >= kGoals) {
            std::printf("the plan ended with %zu aliens left\n", s.aliens.size());
            return false;
        }
        Weights w = Choices(s, kPlan[goal]);
        // Greedy while the search gets further, drawn by weight after a hit.
        Move move = Draw(w, random, hitsSinceFurther == 0);
        std::vector<KeySet> keys(ChunkFrames(s, kPlan[goal], move), KeysOf(move));
        // A goal that takes too long counts as a hit: the search goes back.
        bool stalled = route.size() - stack.back().goalFrom > 3000;
        if (stalled || game.Play(keys) == Outcome::Hit) {
            ++hitsSinceFurther;
            size_t back = std::min<size_t>(stack.size() - 1,
                                           size_t(1) << std::min(hitsSinceFurther / 4, 7));
            for (size_t k = 0; k < back; ++k) {
                game.Forget(stack.back().snapshot);
                stack.pop_back();
            }
            game.Restore(stack.back().snapshot);
            route.resize(stack.back().routeLength);
            continue;
        }
        route.insert(route.end(), keys.begin(), keys.end());
        State after = game.Look();
        size_t goalFrom = stack.back().goalFrom;
        size_t reached = NextGoal(after, goal);
        if (reached != goal) goal = reached, goalFrom = route.size();
        if (after.aliens.empty()) {
            std::printf("level %.0f cleared at play frame %zu after %ld chunks\n", after.level,
                        route.size(), chunk + 1);
            std::fflush(stdout);
            if (after.lastLevel) return true;
            // The stage screen: space free, then pressed.
            std::vector<KeySet> next{0, 0, kFire};
            if (game.Play(next) != Outcome::NextLevel) {
                std::printf("the next level did not start\n");
                return false;
            }
            route.insert(route.end(), next.begin(), next.end());
            for (const Checkpoint& c : stack) game.Forget(c.snapshot);
            stack.clear();
            goal = NextGoal(game.Look(), 0);
            goalFrom = route.size();
            furthest = 0;
        }
        stack.push_back({game.Save(), route.size(), goal, goalFrom});
        if (route.size() > furthest) furthest = route.size(), hitsSinceFurther = 0;
    }
    return false;
}
