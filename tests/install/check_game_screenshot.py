#!/usr/bin/env python3
"""Checks a screenshot of the template game against what its trace says it drew.

Usage: check_game_screenshot.py SHOT.bmp TRACE FRAME FONT.bmp SPRITE.bmp

Screenshot FRAME shows the commands traced with the number FRAME: one SPRITE of
slot 0 and one PRINT in font 0. Expected, worked out here from the media files
alone: the sprite's pixels (all but the key colour 255 0 128)
at its place, the text's glyphs from FONT.bmp (16 x 8 cells, every pixel that is not
black drawn white here, since the font is white on black), everything else black.
"""
import re
import struct
import sys

KEY = (255, 0, 128)


def read_bmp(path):
    data = open(path, "rb").read()
    if data[:2] != b"BM":
        sys.exit(f"{path}: not a bitmap")
    offset, = struct.unpack("<I", data[10:14])
    width, height, _, bits = struct.unpack("<iiHH", data[18:30])
    if height <= 0 or bits not in (8, 24):
        sys.exit(f"{path}: expected a bottom-up bitmap of 8 or 24 bits")
    palette = [tuple(data[54 + 4 * i:57 + 4 * i][::-1]) for i in range(256)] if bits == 8 else None
    stride = (width * bits // 8 + 3) & ~3
    pixels = []
    for y in range(height):
        row = data[offset + (height - 1 - y) * stride:]
        if bits == 8:
            pixels.append([palette[row[x]] for x in range(width)])
        else:
            pixels.append([(row[3 * x + 2], row[3 * x + 1], row[3 * x]) for x in range(width)])
    return width, height, pixels


def traced(trace, frame):
    sprite = text = None
    for line in open(trace):
        match = re.match(rf"^{frame} SPRITE 0 (\S+) (\S+)$", line)
        if match:
            sprite = (int(float(match[1])), int(float(match[2])))
        match = re.match(rf'^{frame} PRINT "(.*)" (\S+) (\S+)$', line)
        if match:
            text = (match[1], int(float(match[2])), int(float(match[3])))
    if not sprite or not text:
        sys.exit(f"{trace}: no SPRITE 0 and PRINT in frame {frame}")
    return sprite, text


def expected_picture(width, height, sprite_at, text, font, ball):
    picture = [[(0, 0, 0)] * width for _ in range(height)]
    fw, fh, glyphs = font
    cw, ch = fw // 16, fh // 8
    string, tx, ty = text
    for i, char in enumerate(string.encode("latin-1")):
        column, row = (char % 128) % 16, (char % 128) // 16
        for y in range(ch):
            for x in range(cw):
                if glyphs[row * ch + y][column * cw + x] != (0, 0, 0):
                    picture[ty + y][tx + i * cw + x] = (255, 255, 255)
    bw, bh, ball_pixels = ball
    sx, sy = sprite_at
    for y in range(bh):
        for x in range(bw):
            if ball_pixels[y][x] != KEY:
                picture[sy + y][sx + x] = ball_pixels[y][x]
    return picture


def main():
    shot_path, trace, frame, font_path, sprite_path = sys.argv[1:6]
    width, height, shot = read_bmp(shot_path)
    sprite_at, text = traced(trace, int(frame))
    picture = expected_picture(width, height, sprite_at, text, read_bmp(font_path),
                               read_bmp(sprite_path))
    wrong = [(x, y) for y in range(height) for x in range(width) if shot[y][x] != picture[y][x]]
    if wrong:
        x, y = wrong[0]
        sys.exit(f"{shot_path}: {len(wrong)} pixels differ, first ({x}, {y}): "
                 f"{shot[y][x]} where {picture[y][x]} was expected")
    print(f"{shot_path}: the ball at {sprite_at} and '{text[0]}' in the default font, all else black")


main()
