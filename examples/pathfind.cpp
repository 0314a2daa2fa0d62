// Path finding: a grid cost map in an array (0 blocks a cell, a higher number costs
// more to cross), FINDPATH writes a path from start to goal as rows of (x, y) into
// a second array and returns its length. The search heads for the goal quickly, so
// the path is short but need not be the cheapest through costly cells.
#include "commands/kv.h"

namespace {
constexpr double kColumns = 20, kRows = 15, kCell = 32;
constexpr double kWall = 0, kFloor = 1, kMud = 5;

KvIntArray map, path;

void BuildMap() {
    DIM(map, kColumns, kRows);
    for (double y = 0; y < kRows; ++y)
        for (double x = 0; x < kColumns; ++x) map(x, y) = kFloor;
    for (double y = 0; y < 11; ++y) map(6, y) = kWall;       // a wall with a gap below
    for (double y = 4; y < kRows; ++y) map(13, y) = kWall;   // a wall with a gap above
    for (double x = 8; x < 12; ++x)
        for (double y = 5; y < 10; ++y) map(x, y) = kMud;
}

void DrawMap() {
    for (double y = 0; y < kRows; ++y) {
        for (double x = 0; x < kColumns; ++x) {
            double colour = map(x, y) == kWall ? 0x808080 : map(x, y) == kMud ? 0x204060 : 0x202020;
            FILLRECT(x * kCell, y * kCell, x * kCell + kCell - 2, y * kCell + kCell - 2, colour);
        }
    }
}

void __MainGameSub_() {
    BuildMap();
    double steps = FINDPATH(map, path, 1, 1, 1, 18, 13);
    for (;;) {
        DrawMap();
        for (double k = 0; k < steps; ++k)
            FILLRECT(path(k, 0) * kCell + 8, path(k, 1) * kCell + 8, path(k, 0) * kCell + 22,
                     path(k, 1) * kCell + 22, 0x00FFFF);
        PRINT(steps > 0 ? KvStr("Path: ") + KvStr(steps) + " cells" : KvStr("No path"), 10, 10);
        SHOWSCREEN();
    }
}
}  // namespace

int main(int argc, char** argv) {
    KvSettings settings;
    settings.fullscreen = 0;
    settings.title = "pathfind";
    return KvRunProgram(argc, argv, settings, __MainGameSub_);
}
