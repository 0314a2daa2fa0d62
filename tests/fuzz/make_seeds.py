#!/usr/bin/env python3
"""Writes the fuzz targets' seed corpora: small valid inputs of every kind each reader
takes, so a campaign starts inside the formats instead of guessing its way in.

    tests/fuzz/make_seeds.py build/debug/tools/kvpack/kvpack

Bitmaps, WAV files, key scripts and text files are written here; packs and LZO blocks
are made with kvpack, so they are exactly what the runtime's own packer writes.
"""
import os
import struct
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))


def write(folder, name, data):
    os.makedirs(os.path.join(HERE, folder), exist_ok=True)
    if isinstance(data, str):
        data = data.encode("latin-1")
    with open(os.path.join(HERE, folder, name), "wb") as f:
        f.write(data)


def bitmap(width, height, bits, top_down=False, palette_size=256, seed=1):
    row = (width * bits // 8 + 3) // 4 * 4
    palette = b"".join(struct.pack("<BBBB", i, 255 - i, (i * 7) & 255, 0)
                       for i in range(palette_size)) if bits == 8 else b""
    pixels = bytes((seed * 31 + i * 17) & 255 for i in range(row * height))
    offset = 14 + 40 + len(palette)
    info = struct.pack("<IiiHHIIiiII", 40, width, -height if top_down else height, 1, bits, 0,
                       len(pixels), 2835, 2835, palette_size if bits == 8 else 0, 0)
    header = b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset)
    return header + info + palette + pixels


def wav(channels, bits, frames, rate=22050, extra_chunk=False):
    align = channels * bits // 8
    fmt = struct.pack("<HHIIHH", 1, channels, rate, rate * align, align, bits)
    data = bytes((i * 13) & 255 for i in range(frames * align))
    chunks = b"fmt " + struct.pack("<I", len(fmt)) + fmt
    if extra_chunk:
        chunks += b"LIST" + struct.pack("<I", 5) + b"INFOx" + b"\0"  # odd size, padded
    chunks += b"data" + struct.pack("<I", len(data)) + data
    return b"RIFF" + struct.pack("<I", 4 + len(chunks)) + b"WAVE" + chunks


def bitmaps_and_sounds():
    write("bitmap", "pal8_4x3.bmp", bitmap(4, 3, 8))
    write("bitmap", "pal8_top_down_5x2.bmp", bitmap(5, 2, 8, top_down=True, palette_size=16))
    write("bitmap", "rgb24_3x3.bmp", bitmap(3, 3, 24))
    write("bitmap", "rgb24_top_down_7x1.bmp", bitmap(7, 1, 24, top_down=True))
    write("bitmap", "rgb24_33x17.bmp", bitmap(33, 17, 24, seed=5))
    write("wav", "mono8.wav", wav(1, 8, 40))
    write("wav", "stereo16.wav", wav(2, 16, 30))
    write("wav", "mono16_with_list.wav", wav(1, 16, 25, 11025, extra_chunk=True))


def scripts_and_text():
    write("keyscript", "walk_jump_fire.keys",
          "# walk right, jump, fire, quit\n10 down 205\n40 tap 56\n45 tap 57\n60 up 205\n"
          "90 down 1\n")
    write("keyscript", "many_keys.keys", "0 down 42 30 48\r\n1 up 42\n2 tap 2 3 4 5 6 7 8 9 10 11\n"
          "3 TAP 203   # comment\n\n  7 Down 200\t208\n")
    write("keyscript", "bad_line.keys", "1 down 57\n2 press 57\n")
    write("line_cache", "lines.txt", "first line\nsecond line\n\nfourth\n")
    write("line_cache", "crlf.txt", "one\r\ntwo\r\nthree")
    write("line_cache", "long_line.txt", "x" * 1030 + "\r\nshort\n")
    write("line_cache", "many_lines.txt", "".join("line %d\n" % i for i in range(260)))


def pack_directory_and_blocks(kvpack):
    with tempfile.TemporaryDirectory() as work:
        files = []
        for name, data in [("tile.bmp", bitmap(4, 3, 8)), ("bigtile.bmp", bitmap(33, 17, 24)),
                           ("shot.wav", wav(1, 8, 40)), ("empty.txt", b"")]:
            path = os.path.join(work, name)
            with open(path, "wb") as f:
                f.write(data)
            files.append(path)
        own = os.path.join(work, "own.pak")
        subprocess.run([kvpack, "create", own] + files, check=True, stdout=subprocess.DEVNULL)
        appended = os.path.join(work, "appended")
        with open(appended, "wb") as f:
            f.write(b"\x7fELF" + bytes(200))
        subprocess.run([kvpack, "append", appended] + files[:2], check=True,
                       stdout=subprocess.DEVNULL)
        for name, path in [("own.pak", own), ("appended.pak", appended)]:
            with open(path, "rb") as f:
                data = f.read()
            write("pack_directory", name, data)
            for index, block in enumerate(entry_blocks(data)):
                write("unpack", "%s_entry%d" % (name, index), b"\0" + block)
    # Raw bytes to be packed and damaged by the target (mode byte 1).
    write("unpack", "raw_text", b"\1" + b"abcabcabcabcabc hello hello hello" + b"\0\1\2\3\4\5")


def entry_blocks(pack):
    """The packed blocks of a pack's entries, read as the runtime reads the directory."""
    (field,) = struct.unpack("<i", pack[-4:])
    at = field if field >= 0 else len(pack) + field
    blocks = []
    while at < len(pack) and pack[at] != 0:
        length = pack[at]
        offset, size = struct.unpack("<ii", pack[at + 1 + length:at + 9 + length])
        start = offset if field >= 0 else len(pack) + offset
        blocks.append(pack[start:start + size])
        at += 9 + length
    return blocks


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_seeds.py PATH-TO-KVPACK")
    bitmaps_and_sounds()
    scripts_and_text()
    pack_directory_and_blocks(sys.argv[1])


if __name__ == "__main__":
    main()
