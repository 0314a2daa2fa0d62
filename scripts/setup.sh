#!/usr/bin/env bash
# Installs the Debian packages the project builds and tests with, when missing.
# Uses apt-get as root, through sudo otherwise.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  libsdl2-dev libsdl2-mixer-dev libgl-dev liblzo2-dev libgtest-dev
  libegl-mesa0 libgl1-mesa-dri libx11-dev
  # The present on software renderers: pixman scales, MIT-SHM (Xext) shows.
  libpixman-1-dev libxext-dev
  libmpv-dev
  ffmpeg  # the tests make their movie clips with it
  # The tests on a real X server: the server, its fonts, xwininfo, xwd and xdotool.
  xvfb xfonts-base x11-utils x11-apps xdotool
  openbox  # a small window manager: the window tests under a manager
  # The install tests: the .desktop check, the package tools and their checker, the
  # icons' decoder.
  desktop-file-utils dpkg-dev lintian python3
)
# Fuzzing builds need clang; benchmark builds compare against Boost Graph.
if [[ "${KIP_WITH_CLANG:-0}" == 1 ]]; then
  PACKAGES+=(clang libclang-rt-14-dev)
fi
if [[ "${KIP_WITH_BENCH:-0}" == 1 ]]; then
  PACKAGES+=(libboost-graph-dev)
fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
if [[ $(id -u) -eq 0 ]]; then
  SUDO=()
elif command -v sudo >/dev/null; then
  SUDO=(sudo)
else
  echo "error: these packages are missing and I cannot install them (not root, no sudo): ${missing[*]}" >&2
  echo "Install them with your package manager, then run this again." >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${SUDO[@]}" apt-get update -qq
"${SUDO[@]}" apt-get install -y -qq "${missing[@]}"
