// The search of kiproute, apart from the game it drives: greedy play in short chunks
// of held keys, led by a plan of goals for every level (clear a row, go to a ladder,
// climb to a row), going back a growing number of chunks whenever the player is hit.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

// The keys held in one frame, one bit each: left, right, up, down, jump (Alt), space.
using KeySet = uint8_t;
enum KeyBit : KeySet {
    kLeft = 1, kRight = 2, kUp = 4, kDown = 8, kJump = 16, kFire = 32,
};

enum class Outcome { Played, Hit, NextLevel };

struct AlienSeen {
    double x = 0, top = 0;  // level x and the top of its picture
    double row = 0;         // the level y of the platform it walks on
};

// What the plan needs to know of the game between two chunks.
struct State {
    double kipX = 0, kipY = 0;  // level x and the top of the player
    bool jumping = false;
    double facing = 0;          // 1 left, 2 right
    double level = 0;
    bool lastLevel = false;
    std::vector<AlienSeen> aliens;
    // The field's cell (row, column) for level coordinates (0 outside).
    std::function<int(int row, int column)> cell;
};

class RouteGame {
  public:
    virtual ~RouteGame() = default;
    // Plays one frame per key set; stops at once when the player is hit.
    virtual Outcome Play(const std::vector<KeySet>& keys) = 0;
    virtual State Look() const = 0;
    virtual int Save() = 0;
    virtual void Restore(int id) = 0;
    virtual void Forget(int id) = 0;
};

// Plays until the last level is cleared; route gets every frame's keys. False when
// the number of chunks tried exceeds the limit.
bool SearchRoute(RouteGame& game, long chunkLimit, std::vector<KeySet>& route);
