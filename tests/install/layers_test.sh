#!/usr/bin/env bash
# The layers as the build sees them, on a small tree of its own made with the
# project's cmake/KipTargets.cmake: a library sees the headers of itself and of the
# libraries it links, and no others, so a pure library that includes a header of a
# platform library fails to compile, and one that includes SDL's, OpenGL's or X11's
# headers is refused when CMake runs.
# Usage: layers_test.sh SOURCE-DIR
set -euo pipefail
source="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# The tree: pure/ (kv_pure), platform/ (kv_platform linking kv_pure).
make_tree() {
  local tree="$1" pure_include="$2"
  mkdir -p "$tree/pure" "$tree/platform"
  cat >"$tree/CMakeLists.txt" <<CMAKE
cmake_minimum_required(VERSION 3.20)
project(layers CXX)
include("$source/cmake/KipTargets.cmake")
add_subdirectory(pure)
add_subdirectory(platform)
kv_stage_public_headers()
CMAKE
  echo 'kip_pure_library(kv_pure Pure.cpp)' >"$tree/pure/CMakeLists.txt"
  printf 'kip_platform_library(kv_platform Window.cpp)\ntarget_link_libraries(kv_platform PUBLIC kv_pure)\n' \
    >"$tree/platform/CMakeLists.txt"
  printf '#pragma once\ninline int Twice(int x) { return 2 * x; }\n' >"$tree/pure/Pure.h"
  printf '%s\n#include "pure/Pure.h"\nint Four() { return Twice(2); }\n' "$pure_include" >"$tree/pure/Pure.cpp"
  printf '#pragma once\nint Open();\n' >"$tree/platform/Window.h"
  printf '#include "platform/Window.h"\n#include "pure/Pure.h"\nint Open() { return Twice(1); }\n' \
    >"$tree/platform/Window.cpp"
}

build_tree() { cmake -S "$1" -B "$1/build" -G Ninja >"$1/log" 2>&1 && cmake --build "$1/build" >>"$1/log" 2>&1; }

make_tree "$work/clean" ""
build_tree "$work/clean" || fail "a platform library linking a pure one: $(cat "$work/clean/log")"

make_tree "$work/upward" '#include "platform/Window.h"'
! build_tree "$work/upward" || fail "a pure library included a platform library's header"
grep -q 'platform/Window.h: No such file' "$work/upward/log" || fail "upward: $(cat "$work/upward/log")"

for header in '<SDL.h>' '<GL/gl.h>' '<X11/Xlib.h>'; do
  tree="$work/system$RANDOM"
  make_tree "$tree" "#include $header"
  ! build_tree "$tree" || fail "a pure library included $header"
  grep -q "kv_pure is a pure library, but Pure.cpp includes a platform header" "$tree/log" ||
    fail "$header: $(cat "$tree/log")"
done
echo "layers: each library sees its own headers and those it links; pure ones no platform header"
