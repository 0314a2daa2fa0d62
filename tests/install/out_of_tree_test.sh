#!/usr/bin/env bash
# The development kit as a programmer outside the tree uses it: `cmake --install
# --component dev` into a temporary prefix, then the template game (template/) built
# three ways, each run headless alone in a folder of its own (no font, no media
# beside it) and its trace and a screenshot checked:
#   find_package   the template's own CMakeLists.txt (find_package(kv 1.0), kv_add_game)
#   pkg-config     one compiler line with `pkg-config --cflags --libs kv`, kvpack by hand
#   subproject     add_subdirectory of the source tree beside targets named like the
#                  runtime's own programs
# Usage: out_of_tree_test.sh BUILD-DIR SOURCE-DIR VERSION GENERATED-SMALFONT WAYS C++-COMPILER [LAUNCHER]
# (WAYS: some of "find_package pkg-config subproject", separated by spaces)
set -euo pipefail
build="$1" source="$2" version="$3" font="$4" ways="$5" compiler="$6" launcher="${7:-}"
here=$(cd "$(dirname "$0")" && pwd)
# A fixed folder in the build, so that a compiler cache finds the same paths each run.
work="$(cd "$build" && pwd)/out_of_tree"
rm -rf "$work"
mkdir "$work"
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
kit="$work/kit"
cmake_flags=(-G Ninja -DCMAKE_CXX_COMPILER="$compiler")
[[ -z "$launcher" ]] || cmake_flags+=(-DCMAKE_CXX_COMPILER_LAUNCHER="$launcher")

check_kit() {
  cmake --install "$build" --component dev --prefix "$kit" >"$work/install.log" ||
    fail "cmake --install: $(cat "$work/install.log")"
  for file in include/kv/commands/kv.h include/kv/values/KvStr.h include/kv/runtime/KvVersion.h \
              lib/libkv_runtime.a lib/cmake/kv/kvConfig.cmake lib/cmake/kv/kvConfigVersion.cmake \
              lib/cmake/kv/KvAddGame.cmake lib/pkgconfig/kv.pc bin/kvpack; do
    [[ -f "$kit/$file" ]] || fail "the kit lacks $file"
  done
  [[ ! -e "$kit/bin/kip" ]] || fail "the dev component installs the game too"
  grep -q "^#define KV_VERSION \"$version\"$" "$kit/include/kv/runtime/KvVersion.h" ||
    fail "KvVersion.h: $(cat "$kit/include/kv/runtime/KvVersion.h")"
  echo "kit: $(du -sk "$kit" | cut -f1) KiB installed"
}

# Runs the game alone in a folder with Escape at frame 30 and checks what it did.
check_game() {
  local way="$1" program="$2" run="$work/run-$1"
  mkdir "$run"
  cp "$program" "$run/bounce"
  [[ "$("$run/bounce" --version)" == $'bounce 0.1\nkv runtime '"$version" ]] ||
    fail "$way: --version said: $("$run/bounce" --version)"
  echo "30 down 1" >"$work/$way.keys"
  (cd "$run" && TMPDIR="$run" ./bounce --headless --unpaced --no-warning --frames 100 \
     --keys "$work/$way.keys" --trace trace.txt --screenshot 20:shot.bmp >out.txt 2>&1) ||
    fail "$way: the game exited with $?: $(cat "$run/out.txt")"
  # Worked by hand: from (300, 400) at 5 and 4 pixels a frame, the ball meets the
  # bottom (464) in frame 16, at x 385, panned (385 - 320) / 320 to the right.
  for pattern in '^0 LOADFONT "Smalfont.bmp" 0$' '^0 LOADSPRITE "ball.bmp" 0$' \
                 '^0 LOADSOUND "bounce.wav" 0 2$' '^0 SPRITE 0 305 404$' \
                 '^0 PRINT "Bounces: 0" 10 10$' '^16 PLAYSOUND 0 0.203125 1$' \
                 '^16 SPRITE 0 385 464$' '^16 PRINT "Bounces: 1" 10 10$' '^30 SHOWSCREEN$'; do
    grep -Eq -- "$pattern" "$run/trace.txt" || fail "$way: no trace line matches $pattern"
  done
  ! grep -q '^31 ' "$run/trace.txt" || fail "$way: the game went on after Escape"
  grep -aq '^-End On Line' "$run/ErrorLog.txt" || fail "$way: the error log does not end the run"
  python3 "$here/check_game_screenshot.py" "$run/shot.bmp" "$run/trace.txt" 20 "$font" \
    "$source/template/media/ball.bmp" || fail "$way: the screenshot"
  echo "$way: ran 31 frames alone in its folder, trace and screenshot as expected"
}

with_find_package() {
  local start=$SECONDS
  cmake -S "$source/template" -B "$work/fp" "${cmake_flags[@]}" -DCMAKE_PREFIX_PATH="$kit" \
    >"$work/fp.log" 2>&1 || fail "find_package: configure: $(cat "$work/fp.log")"
  cmake --build "$work/fp" >>"$work/fp.log" 2>&1 || fail "find_package: build: $(cat "$work/fp.log")"
  echo "find_package: configured and built in $((SECONDS - start)) s"
  check_game find_package "$work/fp/bounce"
  # The version file refuses another major version.
  mkdir "$work/v2"
  printf 'cmake_minimum_required(VERSION 3.20)\nproject(v2 CXX)\nfind_package(kv 2.0 CONFIG REQUIRED)\n' \
    >"$work/v2/CMakeLists.txt"
  ! cmake -S "$work/v2" -B "$work/v2/build" -DCMAKE_PREFIX_PATH="$kit" >"$work/v2.log" 2>&1 ||
    fail "find_package(kv 2.0) accepted version $version"
  grep -q "$version" "$work/v2.log" || fail "find_package(kv 2.0) did not name the version found"
}

with_pkg_config() {
  local start=$SECONDS
  export PKG_CONFIG_PATH="$kit/lib/pkgconfig"
  [[ "$(pkg-config --modversion kv)" == "$version" ]] || fail "pkg-config --modversion kv"
  [[ "$(pkg-config --static --libs kv)" == *-lkv_runtime* ]] || fail "pkg-config --static --libs kv"
  mkdir "$work/pc"
  # shellcheck disable=SC2046
  $launcher "$compiler" -std=c++17 -Wall -Wextra -Wpedantic -Werror "$source/template/main.cpp" \
    -o "$work/pc/bounce" $(pkg-config --cflags --libs kv) >"$work/pc.log" 2>&1 ||
    fail "pkg-config: build: $(cat "$work/pc.log")"
  "$kit/bin/kvpack" append "$work/pc/bounce" "$source"/template/media/* >>"$work/pc.log" ||
    fail "pkg-config: kvpack append"
  unset PKG_CONFIG_PATH
  echo "pkg-config: built (C++17, -Wpedantic) and packed in $((SECONDS - start)) s"
  check_game pkg-config "$work/pc/bounce"
}

with_subproject() {
  local start=$SECONDS
  mkdir "$work/sub"
  cat >"$work/sub/CMakeLists.txt" <<CMAKE
cmake_minimum_required(VERSION 3.20)
project(bounce_sub CXX)
# Libraries the runtime needs too, found by the game first.
set(OpenGL_GL_PREFERENCE GLVND)
find_package(OpenGL REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET sdl2)
add_subdirectory("$source" kv EXCLUDE_FROM_ALL)
kv_add_game(bounce SOURCES "$source/template/main.cpp" MEDIA "$source/template/media")
# Names the runtime's own programs and tools have in its tree are the game's to use.
foreach(name hello sprites text sound files kip kvpack mediagen kip_media kip_game)
  add_executable(\${name} EXCLUDE_FROM_ALL "$source/template/main.cpp")
  target_link_libraries(\${name} PRIVATE kv::runtime)
endforeach()
CMAKE
  cmake -S "$work/sub" -B "$work/sub/build" "${cmake_flags[@]}" -DCMAKE_BUILD_TYPE=Release \
    >"$work/sub.log" 2>&1 || fail "subproject: configure: $(cat "$work/sub.log")"
  cmake --build "$work/sub/build" --target bounce >>"$work/sub.log" 2>&1 ||
    fail "subproject: build: $(cat "$work/sub.log")"
  echo "subproject: configured and built with the runtime in $((SECONDS - start)) s"
  check_game subproject "$work/sub/build/bounce"
}

check_kit
for way in $ways; do
  case "$way" in
    find_package) with_find_package ;;
    pkg-config) with_pkg_config ;;
    subproject) with_subproject ;;
    *) fail "no such way: $way" ;;
  esac
done
echo "out of tree ($ways): all checks passed"
