#!/usr/bin/env bash
# Makes the README's pictures of the game, headless and with a fixed seed:
# docs/start_screen.png (the start screen once its title has grown in) and
# docs/play.png (stage 1, Kip climbing towards the top floor).
# Usage: scripts/screenshots.sh [KIP-EXECUTABLE]   (default build/release/game/kip)
# Also the build target `screenshots`.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
kip="$(realpath "${1:-$root/build/release/game/kip}")"
[[ -x "$kip" ]] || { echo "no kip at $kip: build it first (scripts/play.sh builds release)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Space leaves the start screen and the intro; at frame 5 the stage screen; then
# walk left to the ladder and climb.
cat >"$work/play.keys" <<'KEYS'
0 tap 57
2 tap 57
5 tap 57
7 down 203
52 up 203
54 down 200
200 up 200
KEYS
cd "$work"
TMPDIR="$work" "$kip" --headless --unpaced --no-warning --seed 7 --frames 1001 \
  --screenshot "999:$work/start_screen.bmp" >/dev/null
TMPDIR="$work" "$kip" --headless --unpaced --no-warning --seed 7 --frames 181 \
  --keys "$work/play.keys" --screenshot "179:$work/play.bmp" >/dev/null

# 24-bit Windows bitmap to PNG, with Python's zlib.
for name in start_screen play; do
  python3 - "$work/$name.bmp" "$root/docs/$name.png" <<'PY'
import struct, sys, zlib
data = open(sys.argv[1], "rb").read()
offset, = struct.unpack("<I", data[10:14])
width, height, _, bits = struct.unpack("<iiHH", data[18:30])
assert bits in (24, 32), bits
step = bits // 8
stride = (width * step + 3) & ~3
top_down = height < 0
height = abs(height)
rows = []
for y in range(height):
    source = y if top_down else height - 1 - y
    row = data[offset + source * stride: offset + source * stride + width * step]
    rows.append(b"\0" + b"".join(row[x * step:x * step + 3][::-1] for x in range(width)))
def chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
png += chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b"")
open(sys.argv[2], "wb").write(png)
PY
  echo "wrote docs/$name.png"
done
