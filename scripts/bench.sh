#!/usr/bin/env bash
# The speed figures side by side in one run, in a release build (build/bench): the
# game's real level frame (default path, one fan per sprite, an SDL_Renderer
# reference), the cost of a level-like frame's pixels under each choice of drawing
# state, the frame pacing against a pure busy wait, and FINDPATH against
# Boost Graph's A* on 256 x 256 and 1024 x 1024 maps, and the wait from PLAYSOUND to the
# output (SDL's disk audio driver). The machine's load is printed
# before and after: figures taken on a busy machine say little.
#   scripts/bench.sh [rounds]     (rounds of the level frame, 3 by default)
set -euo pipefail
cd "$(dirname "$0")/.."
rounds="${1:-3}"
KIP_WITH_BENCH=1 scripts/setup.sh
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DKIP_BUILD_BENCH=ON \
  -DKIP_BUILD_TESTS=OFF >/dev/null
cmake --build build/bench --target level_bench draw_bench gfx_bench path_bench \
  sound_latency_bench >/dev/null

echo "== load before: $(uptime)"
build/bench/bench/gfx/level_bench "$rounds"
echo "== what the pixels of a level-like frame cost under each choice of drawing state"
build/bench/bench/gfx/draw_bench 200
echo "== pacing at 60 frames a second (600 frames each)"
build/bench/bench/gfx/gfx_bench 600 pacing
echo "== FINDPATH"
build/bench/bench/pathfind/path_bench
echo "== PLAYSOUND to the output"
build/bench/bench/sound/sound_latency_bench 40 2>/dev/null
echo "== load after: $(uptime)"
