// FINDPATH on the runtime's arrays.
#include <gtest/gtest.h>

#include "commands/ProgramFrame.h"
#include "commands/cmd_path.h"
#include "input/DXInput.h"
#include "input/KeyScript.h"

namespace {
void Fill(KvIntArray& map, int width, int height, std::initializer_list<double> costs) {
    DIM(map, width, height);
    int i = 0;
    for (double c : costs) {
        map(i % width, i / width) = c;
        ++i;
    }
}
}  // namespace

TEST(FindPath, WritesThePathAsRowsOfXAndY) {
    KvIntArray map, path;
    Fill(map, 3, 1, {1, 1, 1});
    ASSERT_EQ(FINDPATH(map, path, 0.5, 0, 0, 2.9, 0), 3);
    EXPECT_EQ(BOUNDS(path, 0), 3);
    EXPECT_EQ(BOUNDS(path, 1), 2);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(path(k, 0), k);
        EXPECT_EQ(path(k, 1), 0);
    }
}

TEST(FindPath, NoWayGivesZeroAndAOneElementPath) {
    KvIntArray map, path;
    Fill(map, 3, 3, {1, 0, 1, 1, 0, 1, 1, 0, 1});
    DIM(path, 4, 2);
    EXPECT_EQ(FINDPATH(map, path, 0.7, 0, 0, 2, 2), 0);
    EXPECT_EQ(BOUNDS(path, 0), 1);
    EXPECT_EQ(BOUNDS(path, 1), 0);
    // Only a diagonal links the two cells, and diagonal steps are not taken.
    Fill(map, 2, 2, {1, 0, 0, 1});
    EXPECT_EQ(FINDPATH(map, path, 0.7, 0, 0, 1, 1), 0);
}

TEST(FindPath, RefusedRequestsLeaveThePathAlone) {
    KvIntArray map, path;
    Fill(map, 3, 2, {1, 1, 1, 1, 1, 1});
    DIM(path, 5, 2);
    path(4, 1) = 42;
    EXPECT_EQ(FINDPATH(map, path, 0.7, 1, 1, 1, 1), 0);   // start = goal
    EXPECT_EQ(FINDPATH(map, path, 0.7, 0, 0, 3, 0), 0);   // goal outside
    EXPECT_EQ(FINDPATH(map, path, 0.7, -1, 0, 2, 0), 0);  // start outside
    EXPECT_EQ(FINDPATH(map, path, 0.7, 0, 0, 1e12, 0), 0);
    KvIntArray flat, none;
    DIM(flat, 6);  // one dimension: no height
    EXPECT_EQ(FINDPATH(flat, path, 0.7, 0, 0, 2, 0), 0);
    EXPECT_EQ(FINDPATH(none, path, 0.7, 0, 0, 2, 0), 0);  // never dimensioned
    EXPECT_EQ(BOUNDS(path, 0), 5);
    EXPECT_EQ(path(4, 1), 42);
}

TEST(FindPath, RelativeCostsGiveTheSamePath) {
    KvIntArray map, scaled, a, b;
    Fill(map, 4, 3, {1, 5, 2, 1, 3, 1, 7, 2, 1, 1, 4, 1});
    Fill(scaled, 4, 3, {3, 15, 6, 3, 9, 3, 21, 6, 3, 3, 12, 3});
    double n = FINDPATH(map, a, 0.7, 0, 0, 3, 2);
    ASSERT_GT(n, 0);
    ASSERT_EQ(FINDPATH(scaled, b, 0.1, 0, 0, 3, 2), n);
    for (int k = 0; k < n; ++k) {
        EXPECT_EQ(a(k, 0), b(k, 0));
        EXPECT_EQ(a(k, 1), b(k, 1));
    }
}

// Escape held during a long search cancels it: no path, and the caller's path array
// is left as it was. The keys come from a key script on an input object without
// devices, so no window is needed.
TEST(FindPath, EscapeCancelsALongSearch) {
    // A wall down the middle, open only in the bottom row: the way from the top-left
    // corner to the top-right one goes down, through the gap and up again, and the
    // search looks at far more cells than lie between two interruption checks.
    const int side = 400, wall = side / 2;
    KvIntArray map, path;
    DIM(map, side, side);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) map(x, y) = x == wall && y < side - 1 ? 0 : 1;

    DXInput keyboard(NullInput());
    KeyScript script;
    std::string error;
    ASSERT_TRUE(script.Parse("0 down 1\n", "escape.keys", error)) << error;
    keyboard.UseKeyScript(script);
    pDXin = &keyboard;
    DIM(path, 5, 2);
    EXPECT_EQ(FINDPATH(map, path, 0.7, 0, 0, side - 1, 0), 0);
    EXPECT_EQ(BOUNDS(path, 0), 5);
    EXPECT_EQ(BOUNDS(path, 1), 2);

    // Without Escape: down 399 rows, across 399 columns, up 399 rows, 1198 cells.
    ASSERT_TRUE(script.Parse("0 up 1\n", "no_escape.keys", error)) << error;
    keyboard.UseKeyScript(script);
    EXPECT_EQ(FINDPATH(map, path, 0.7, 0, 0, side - 1, 0), 1198);
    pDXin = nullptr;
}

// FINDPATH keeps its tables for the next map of the same size: changed weights there
// give the path of the new weights. Worked by hand: a 5 x 3 map whose middle row is a
// wall with gaps at both ends' columns 0 and 4 only reachable along row 0 or row 2.
TEST(FindPath, ChangedWeightsOnAMapOfTheSameSize) {
    KvIntArray map, path;
    // Row 0 cheap, row 2 dear: the way from (0, 1) to (4, 1) runs along the top.
    Fill(map, 5, 3, {1, 1, 1, 1, 1, 1, 0, 0, 0, 1, 9, 9, 9, 9, 9});
    ASSERT_EQ(FINDPATH(map, path, 0.7, 0, 1, 4, 1), 7);
    for (int k = 0; k < 7; ++k) {
        int x = k == 0 ? 0 : k == 6 ? 4 : k - 1;
        EXPECT_EQ(path(k, 0), x) << k;
        EXPECT_EQ(path(k, 1), k == 0 || k == 6 ? 1 : 0) << k;
    }
    // The same map with the rows' costs swapped: now along the bottom.
    Fill(map, 5, 3, {9, 9, 9, 9, 9, 1, 0, 0, 0, 1, 1, 1, 1, 1, 1});
    ASSERT_EQ(FINDPATH(map, path, 0.7, 0, 1, 4, 1), 7);
    for (int k = 1; k < 6; ++k) EXPECT_EQ(path(k, 1), 2) << k;
    // A wall now closes the bottom too: no way, whatever the last map allowed.
    Fill(map, 5, 3, {9, 9, 0, 9, 9, 1, 0, 0, 0, 1, 1, 1, 0, 1, 1});
    EXPECT_EQ(FINDPATH(map, path, 0.7, 0, 1, 4, 1), 0);
}
