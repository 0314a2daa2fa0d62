#!/usr/bin/env bash
# cpack -G DEB: the Debian package builds, holds the game, its .desktop entry and
# icons under /usr, and depends on the libraries kip links (found by dpkg-shlibdeps).
# Usage: package_test.sh BUILD-DIR VERSION
set -euo pipefail
build="$1" version="$2"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack -G DEB -B "$work" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1 ||
  fail "cpack: $(cat "$work/cpack.log")"
shopt -s nullglob
packages=("$work"/*.deb)
[[ ${#packages[@]} -eq 1 ]] || fail "expected one .deb, found ${#packages[@]}"
deb="${packages[0]}"

[[ "$(dpkg-deb -f "$deb" Package)" == kip ]] || fail "package name"
[[ "$(dpkg-deb -f "$deb" Version)" == "$version" ]] || fail "version $(dpkg-deb -f "$deb" Version)"
[[ "$(dpkg-deb -f "$deb" Section)" == games ]] || fail "section"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
names=$(tr ',' '\n' <<<"$depends" | sed 's/^ *//; s/ .*//')
# Each library kip links, by the Debian package that ships it; and the OpenGL
# libraries SDL opens at run time.
for package in libc6 libstdc++6 libsdl2-2.0-0 libsdl2-mixer-2.0-0 liblzo2-2 libopengl0 libgl1 libegl1; do
  grep -qxF "$package" <<<"$names" || fail "Depends lacks $package"
done
[[ "$(dpkg-deb -f "$deb" Recommends)" == *libgl1-mesa-dri* ]] || fail "Recommends lacks libgl1-mesa-dri"
contents=$(dpkg-deb -c "$deb")
for file in ./usr/bin/kip ./usr/share/applications/kip.desktop \
            ./usr/share/icons/hicolor/{32x32,64x64,128x128}/apps/kip.png; do
  grep -q " $file\$" <<<"$contents" || fail "the package lacks $file"
done
echo "package: all checks passed"
