// A search node of the path planner: one grid cell reached with cost g.
#pragma once

#include <cstdint>

struct Node {
    Node* parent;
    int32_t x;
    int32_t y;
    float f;     // priority: the lower, the sooner the node is expanded
    float g;     // cost from the start
    Node* next;  // next node in the same closed-set bucket
};
