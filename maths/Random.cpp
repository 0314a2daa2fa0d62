// The ISAAC generator behind RND: the round, the eight-word mix and the seeding.
#include "maths/Random.h"

namespace {
constexpr uint32_t kGoldenRatio = 0x9E3779B9u;

IsaacContext g_state;

void Mix(uint32_t w[8]) {
    uint32_t& a = w[0];
    uint32_t& b = w[1];
    uint32_t& c = w[2];
    uint32_t& d = w[3];
    uint32_t& e = w[4];
    uint32_t& f = w[5];
    uint32_t& g = w[6];
    uint32_t& h = w[7];
    a ^= b << 11;
    d += a;
    b += c;
    b ^= c >> 2;
    e += b;
    c += d;
    c ^= d << 8;
    f += c;
    d += e;
    d ^= e >> 16;
    g += d;
    e += f;
    e ^= f << 10;
    h += e;
    f += g;
    f ^= g >> 4;
    a += f;
    g += h;
    g ^= h << 8;
    b += g;
    h += a;
    h ^= a >> 9;
    c += h;
    a += b;
}

// Adds the words of source (when given) group by group, mixes, and stores each group.
void SeedPass(IsaacContext& ctx, uint32_t w[8], const uint32_t* source) {
    for (int group = 0; group < 32; ++group) {
        if (source)
            for (int j = 0; j < 8; ++j) w[j] += source[8 * group + j];
        Mix(w);
        for (int j = 0; j < 8; ++j) ctx.memory[8 * group + j] = w[j];
    }
}
}  // namespace

IsaacContext& KvRandomState() { return g_state; }

void IsaacRound(IsaacContext& ctx) {
    uint32_t* m = ctx.memory;
    ctx.c += 1;
    ctx.b += ctx.c;
    uint32_t a = ctx.a;
    uint32_t b = ctx.b;
    for (int i = 0; i < 256; ++i) {
        uint32_t x = m[i];
        switch (i & 3) {
            case 0:
                a ^= a << 13;
                break;
            case 1:
                a ^= a >> 6;
                break;
            case 2:
                a ^= a << 2;
                break;
            default:
                a ^= a >> 16;
                break;
        }
        a += m[(i + 128) & 255];
        uint32_t y = m[(x >> 2) & 255] + a + b;
        m[i] = y;
        b = m[(y >> 10) & 255] + x;
        ctx.results[i] = b;
    }
    ctx.a = a;
    ctx.b = b;
}

void IsaacSeed(IsaacContext& ctx, uint32_t seed) {
    ctx.a = ctx.b = ctx.c = 0;
    uint32_t w[8];
    for (uint32_t& word : w) word = kGoldenRatio;
    for (int group = 0; group < 32; ++group) {
        w[0] += seed;
        Mix(w);
        for (int j = 0; j < 8; ++j) ctx.memory[8 * group + j] = w[j];
    }
    for (int k = 0; k < 4; ++k) Mix(w);
    SeedPass(ctx, w, ctx.results);
    SeedPass(ctx, w, ctx.memory);
    IsaacRound(ctx);
    ctx.count = 256;
}

void Velsrand(unsigned long seed) { IsaacSeed(g_state, static_cast<uint32_t>(seed)); }

uint32_t Velrand() {
    IsaacRound(g_state);
    return g_state.results[0];
}
