#!/usr/bin/env bash
# Fails when the executable loads SDL, SDL_mixer or an OpenGL library: the tests of
# the pure libraries must run without any of them.
set -euo pipefail
executable="$1"
libraries=$(ldd "$executable")
if grep -E 'libSDL2|libGL|libEGL|libOpenGL' <<<"$libraries"; then
  echo "$executable loads platform libraries (above); pure tests must not" >&2
  exit 1
fi
echo "$executable: no SDL, no OpenGL"
