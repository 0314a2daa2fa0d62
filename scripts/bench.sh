#!/usr/bin/env bash
# The speed figures side by side in one run, in a release build (build/bench): the
# game's real level frame (default path, one fan per sprite, an SDL_Renderer
# reference), the cost of a level-like frame's pixels under each choice of drawing
# state, the frame pacing against a pure busy wait, FINDPATH against Boost Graph's
# A* on 256 x 256 and 1024 x 1024 maps, the wait from PLAYSOUND to the output (SDL's
# disk audio driver), and the present on the software renderer: where its time goes
# on Xvfb at 1920 x 1080 and 1280 x 1024, and the paced game full screen (smooth and
# integer fit, software and OpenGL present) against its window at 1920 x 1080,
# 1280 x 1024 and 2560 x 1440, in alternation. The machine's load is printed before
# and after (and with each round of the full-screen runs): figures taken on a busy
# machine say little.
#   scripts/bench.sh [rounds]     (rounds of the level frame and the full-screen
#                                  runs, 3 by default)
set -euo pipefail
cd "$(dirname "$0")/.."
rounds="${1:-3}"
KIP_WITH_BENCH=1 scripts/setup.sh
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DKIP_BUILD_BENCH=ON \
  -DKIP_BUILD_TESTS=OFF >/dev/null
cmake --build build/bench --target level_bench draw_bench gfx_bench path_bench \
  sound_latency_bench present_bench fullscreen_bench >/dev/null

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
echo "== the present's stages and its candidates on Xvfb (software renderer)"
build/bench/bench/gfx/present_bench 1920x1080 200
build/bench/bench/gfx/present_bench 1280x1024 200
echo "== the paced game full screen against its window (Xvfb, no window manager)"
build/bench/bench/gfx/fullscreen_bench "$rounds" 720
echo "== load after: $(uptime)"
