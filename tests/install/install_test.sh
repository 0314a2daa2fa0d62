#!/usr/bin/env bash
# cmake --install into a temporary prefix: every file where a desktop looks for it,
# the .desktop entry valid, the icons Kip's own picture at 32, 64 and 128 pixels,
# `kip --version`, and the installed game (no loose media beside it) drawing the
# same start screen as the built one.
# Usage: install_test.sh BUILD-DIR VERSION CHECK-ICON-SCRIPT
set -euo pipefail
build="$1" version="$2" check_icon="$3"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$work/usr" >"$work/install.log" || fail "cmake --install: $(cat "$work/install.log")"
for file in bin/kip share/applications/kip.desktop \
            share/icons/hicolor/{32x32,64x64,128x128}/apps/kip.png; do
  [[ -f "$work/usr/$file" ]] || fail "not installed: $file"
done
[[ -x "$work/usr/bin/kip" ]] || fail "bin/kip is not executable"

desktop-file-validate "$work/usr/share/applications/kip.desktop" || fail "the .desktop entry does not validate"
grep -qx 'Exec=kip' "$work/usr/share/applications/kip.desktop" || fail ".desktop: Exec is not kip"
grep -qx 'Icon=kip' "$work/usr/share/applications/kip.desktop" || fail ".desktop: Icon is not kip"

for size in 32 64 128; do
  python3 "$check_icon" "$work/usr/share/icons/hicolor/${size}x${size}/apps/kip.png" "$size" \
    "$build/game/kip.bmp" || fail "icon ${size}x${size}"
done

out=$("$work/usr/bin/kip" --version) || fail "kip --version exited with $?"
[[ "$out" == "kip $version" ]] || fail "kip --version said '$out', not 'kip $version'"

# The installed game finds its media in its own pack: frame 30 of the start screen
# is the same picture as the built game's (which has the loose files beside it).
mkdir "$work/run"
cd "$work/run"
for which in installed built; do
  program="$work/usr/bin/kip"
  [[ $which == built ]] && program="$build/game/kip"
  TMPDIR="$work/run" "$program" --headless --unpaced --no-warning --seed 3 --frames 31 \
    --screenshot "30:$work/$which.bmp" >/dev/null 2>&1 || fail "the $which kip exited with $?"
done
cmp -s "$work/installed.bmp" "$work/built.bmp" || fail "the installed kip draws another start screen"
echo "install: all checks passed"
