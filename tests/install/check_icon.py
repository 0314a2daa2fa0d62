#!/usr/bin/env python3
"""Checks a desktop icon against the game picture it was made from.

Usage: check_icon.py ICON.png SIZE PICTURE.bmp

The PNG is decoded here with Python's own zlib (chunk CRCs checked), the bitmap
read as a 24-bit Windows bitmap. Expected: a SIZE x SIZE RGBA picture holding the
bitmap's visible part (every pixel that is not the key colour 255 0 128), scaled
by the largest whole factor that fits and centred, all else fully transparent.
"""
import struct
import sys
import zlib

KEY = (255, 0, 128)


def read_png(path):
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        sys.exit(f"{path}: not a PNG")
    pos, chunks = 8, []
    while pos < len(data):
        (length,) = struct.unpack(">I", data[pos:pos + 4])
        kind, body = data[pos + 4:pos + 8], data[pos + 8:pos + 8 + length]
        (crc,) = struct.unpack(">I", data[pos + 8 + length:pos + 12 + length])
        if zlib.crc32(kind + body) != crc:
            sys.exit(f"{path}: bad CRC in {kind!r}")
        chunks.append((kind, body))
        pos += 12 + length
    if chunks[0][0] != b"IHDR" or chunks[-1][0] != b"IEND":
        sys.exit(f"{path}: chunks out of order")
    width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", chunks[0][1])
    if (depth, colour, interlace) != (8, 6, 0):
        sys.exit(f"{path}: not 8-bit RGBA without interlace")
    raw = zlib.decompress(b"".join(body for kind, body in chunks if kind == b"IDAT"))
    stride = 1 + 4 * width
    if len(raw) != stride * height:
        sys.exit(f"{path}: {len(raw)} bytes of pixels for {width} x {height}")
    rows = []
    for y in range(height):
        row = raw[y * stride:(y + 1) * stride]
        if row[0] != 0:
            sys.exit(f"{path}: row {y} uses filter {row[0]}, only 0 is expected")
        rows.append([tuple(row[1 + 4 * x:5 + 4 * x]) for x in range(width)])
    return width, height, rows


def read_bmp(path):
    data = open(path, "rb").read()
    offset, = struct.unpack("<I", data[10:14])
    width, height, _, bits = struct.unpack("<iiHH", data[18:30])
    if bits != 24 or height <= 0:
        sys.exit(f"{path}: expected a bottom-up 24-bit bitmap")
    stride = (width * 3 + 3) & ~3
    pixels = []
    for y in range(height):
        row = data[offset + (height - 1 - y) * stride:]
        pixels.append([(row[3 * x + 2], row[3 * x + 1], row[3 * x]) for x in range(width)])
    return width, height, pixels


def main():
    icon_path, size, picture_path = sys.argv[1], int(sys.argv[2]), sys.argv[3]
    width, height, icon = read_png(icon_path)
    if (width, height) != (size, size):
        sys.exit(f"{icon_path}: {width} x {height}, expected {size} x {size}")
    pw, ph, picture = read_bmp(picture_path)
    visible = [(x, y) for y in range(ph) for x in range(pw) if picture[y][x] != KEY]
    left, right = min(x for x, _ in visible), max(x for x, _ in visible)
    top, bottom = min(y for _, y in visible), max(y for _, y in visible)
    part_w, part_h = right - left + 1, bottom - top + 1
    scale = max(1, size // max(part_w, part_h))
    x0, y0 = (size - part_w * scale) // 2, (size - part_h * scale) // 2
    for y in range(size):
        for x in range(size):
            px, py = (x - x0) // scale + left, (y - y0) // scale + top
            inside = x >= x0 and y >= y0 and left <= px <= right and top <= py <= bottom
            source = picture[py][px] if inside else KEY
            expected = (0, 0, 0, 0) if source == KEY else source + (255,)
            if icon[y][x] != expected:
                sys.exit(f"{icon_path}: pixel ({x}, {y}) is {icon[y][x]}, expected {expected}")
    print(f"{icon_path}: {size} x {size}, scale {scale}, matches {picture_path}")


main()
