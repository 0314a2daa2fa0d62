#!/usr/bin/env bash
# Builds what the tests do not: the libFuzzer targets (with clang, in build/fuzz)
# and the benchmarks (in the debug build). Nothing is run.
set -euo pipefail
cd "$(dirname "$0")/.."
KIP_WITH_CLANG=1 KIP_WITH_BENCH=1 scripts/setup.sh

echo "== fuzz targets"
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DKIP_BUILD_TESTS=OFF -DKIP_BUILD_FUZZERS=ON >/dev/null
cmake --build build/fuzz --target fuzz_bitmap fuzz_wav fuzz_pack_directory fuzz_unpack \
  fuzz_keyscript fuzz_line_cache

echo "== benchmarks"
cmake -S . -B build/debug -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKIP_BUILD_BENCH=ON >/dev/null
cmake --build build/debug --target gfx_bench level_bench media_bench path_bench keys_bench movie_bench \
  sound_latency_bench present_bench fullscreen_bench
