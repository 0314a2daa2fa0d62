#!/usr/bin/env bash
# Installs what is missing, builds and runs every test.
#   scripts/test.sh            the debug build, then the sanitizer build
#   scripts/test.sh debug      only the debug build
#   scripts/test.sh sanitize   only the AddressSanitizer + UndefinedBehaviorSanitizer build
#   scripts/test.sh release    only a release build
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

run_tests() {
  local kind="$1" type
  case "$kind" in
    debug) type=Debug ;;
    release) type=Release ;;
    sanitize) type=Sanitize ;;
    *) echo "usage: $0 [debug|release|sanitize]" >&2; exit 2 ;;
  esac
  local dir="build/$kind"
  echo "== $kind build"
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$type" >/dev/null
  cmake --build "$dir"
  # Mesa and SDL keep some memory until exit on purpose: leak reports would be theirs.
  ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}" \
    ctest --test-dir "$dir" --output-on-failure -j2 --timeout 300
  # Once more, each binary whole in one process and shuffled: no test may need another's
  # leftovers. One seed here; scripts/shuffled_tests.sh with no seeds tries three.
  if [[ "$kind" == debug ]]; then
    ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}" scripts/shuffled_tests.sh "$dir" 7
  fi
}

if [[ $# -eq 0 ]]; then
  run_tests debug
  run_tests sanitize
else
  run_tests "$1"
fi
