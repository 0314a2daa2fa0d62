// The runtime's random number generator: an ISAAC generator (256-word state) with
// its own seeding; every draw runs one full round and returns its first word.
#pragma once

#include <cstdint>

struct IsaacContext {
    uint32_t count = 0;
    uint32_t results[256] = {};
    uint32_t memory[256] = {};
    uint32_t a = 0;
    uint32_t b = 0;
    uint32_t c = 0;
};

// The generator state shared by Velsrand, Velrand and RND.
IsaacContext& KvRandomState();

// One round of 256 steps over the context; fills ctx.results.
void IsaacRound(IsaacContext& ctx);
// Seeds the context; the current results block takes part in the seed.
void IsaacSeed(IsaacContext& ctx, uint32_t seed);

void Velsrand(unsigned long seed);
uint32_t Velrand();
