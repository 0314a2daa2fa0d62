#!/usr/bin/env bash
# cpack -G DEB: two Debian packages from the two install components.
#   kip        the game, its .desktop entry, icons and manual page under /usr,
#              depending on the libraries kip links (found by dpkg-shlibdeps)
#   libkv-dev  the development kit, depending on the -dev packages of what it links;
#              extracted into a folder, it builds the template game with find_package
# Both carry a copyright file and a changelog and name a real maintainer; dpkg
# accepts them (a dry run, which checks their dependencies), and lintian, where it
# is installed, finds nothing but the tags listed below.
# Usage: package_test.sh BUILD-DIR VERSION SOURCE-DIR C++-COMPILER
set -euo pipefail
build="$1" version="$2" source="$3" compiler="$4"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack -G DEB -B "$work" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1 ||
  fail "cpack: $(cat "$work/cpack.log")"
game="$work/kip_${version}_amd64.deb" kit="$work/libkv-dev_${version}_amd64.deb"
shopt -s nullglob
packages=("$work"/*.deb)
[[ ${#packages[@]} -eq 2 && -f "$game" && -f "$kit" ]] || fail "expected kip and libkv-dev, found ${packages[*]}"

dependency_names() { dpkg-deb -f "$1" Depends | tr ',' '\n' | sed 's/^ *//; s/ .*//'; }
has_files() {
  local deb="$1" contents
  shift
  contents=$(dpkg-deb -c "$deb")
  for file in "$@"; do
    grep -q " \./usr/$file\$" <<<"$contents" || fail "$(basename "$deb") lacks /usr/$file"
  done
}

check_common() {
  local deb="$1" name="$2" section="$3"
  [[ "$(dpkg-deb -f "$deb" Package)" == "$name" ]] || fail "$name: package name"
  [[ "$(dpkg-deb -f "$deb" Version)" == "$version" ]] || fail "$name: version $(dpkg-deb -f "$deb" Version)"
  [[ "$(dpkg-deb -f "$deb" Section)" == "$section" ]] || fail "$name: section"
  maintainer=$(dpkg-deb -f "$deb" Maintainer)
  [[ "$maintainer" =~ ^[^@\<]+\ \<[^@]+@[^@]+\.[a-z]+\>$ && "$maintainer" != *localhost* ]] ||
    fail "$name: maintainer '$maintainer'"
  has_files "$deb" "share/doc/$name/copyright" "share/doc/$name/changelog.gz"
  dpkg-deb -x "$deb" "$work/$name"
  grep -q "^Files: \*" "$work/$name/usr/share/doc/$name/copyright" || fail "$name: copyright file"
}

check_common "$game" kip games
echo "kip Depends: $(dpkg-deb -f "$game" Depends)"
# Each library kip links, by the Debian package that ships it; and the OpenGL
# libraries SDL opens at run time.
for package in libc6 libstdc++6 libsdl2-2.0-0 libsdl2-mixer-2.0-0 liblzo2-2 libopengl0 libgl1 libegl1; do
  grep -qxF "$package" <(dependency_names "$game") || fail "kip: Depends lacks $package"
done
[[ "$(dpkg-deb -f "$game" Recommends)" == *libgl1-mesa-dri* ]] || fail "kip: Recommends lacks libgl1-mesa-dri"
has_files "$game" bin/kip share/applications/kip.desktop share/man/man6/kip.6.gz \
  share/icons/hicolor/{32x32,64x64,128x128}/apps/kip.png
! dpkg-deb -c "$game" | grep -q '/include/' || fail "kip holds the kit's headers"

check_common "$kit" libkv-dev libdevel
echo "libkv-dev Depends: $(dpkg-deb -f "$kit" Depends)"
for package in libsdl2-dev libsdl2-mixer-dev liblzo2-dev libx11-dev libgl-dev libc6 libstdc++6; do
  grep -qxF "$package" <(dependency_names "$kit") || fail "libkv-dev: Depends lacks $package"
done
has_files "$kit" include/kv/commands/kv.h include/kv/runtime/KvVersion.h lib/libkv_runtime.a \
  lib/cmake/kv/kvConfig.cmake lib/pkgconfig/kv.pc bin/kvpack share/man/man1/kvpack.1.gz
! dpkg-deb -c "$kit" | grep -q 'bin/kip$' || fail "libkv-dev holds the game"

# The kit as the package lays it out builds a game (the prefix is the extracted /usr).
cmake -S "$source/template" -B "$work/game" -G Ninja -DCMAKE_CXX_COMPILER="$compiler" \
  -DCMAKE_PREFIX_PATH="$work/libkv-dev/usr" >"$work/game.log" 2>&1 &&
  cmake --build "$work/game" >>"$work/game.log" 2>&1 || fail "the packaged kit: $(cat "$work/game.log")"
[[ "$("$work/game/bounce" --version)" == "bounce 0.1"* ]] || fail "the game built from the package"

if command -v dpkg >/dev/null; then
  dpkg --dry-run -i "$game" "$kit" >"$work/dpkg.log" 2>&1 || fail "dpkg --dry-run -i: $(cat "$work/dpkg.log")"
fi
# Accepted: kip installs into /usr/bin as `cmake --install` does (not /usr/games);
# kv.pc lies in /usr/lib/pkgconfig, beside the kit's libraries, not in a
# multiarch folder.
accepted='package-section-games-but-contains-no-game|pkg-config-unavailable-for-cross-compilation'
if command -v lintian >/dev/null; then
  lintian --tag-display-limit 0 "$game" "$kit" 2>/dev/null | grep -Ev "$accepted" >"$work/lintian.log" || true
  [[ ! -s "$work/lintian.log" ]] || fail "lintian: $(cat "$work/lintian.log")"
fi
echo "packages: all checks passed"
