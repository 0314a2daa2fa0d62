#!/usr/bin/env bash
# Installs what is missing, builds the release build and starts the game.
# Extra arguments go to the game (try --help, or --windowed).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DKIP_BUILD_TESTS=OFF >/dev/null
cmake --build build/release
if [[ -x build/release/game/kip ]]; then
  exec build/release/game/kip "$@"
else
  exec build/release/examples/hello "$@"
fi
