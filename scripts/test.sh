#!/usr/bin/env bash
# Installs what is missing, builds and runs every test.
#   scripts/test.sh            debug build
#   scripts/test.sh sanitize   AddressSanitizer + UndefinedBehaviorSanitizer build
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
kind="${1:-debug}"
case "$kind" in
  debug) type=Debug ;;
  release) type=Release ;;
  sanitize) type=Sanitize ;;
  *) echo "usage: $0 [debug|release|sanitize]" >&2; exit 2 ;;
esac
dir="build/$kind"
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$type" >/dev/null
cmake --build "$dir"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}"
ctest --test-dir "$dir" --output-on-failure -j2 --timeout 300
