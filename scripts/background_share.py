#!/usr/bin/env python3
"""Share of a room picture that is plain background.

    scripts/background_share.py SHOT.png [R G B]

Counts the pixels of exactly the background colour (default: the game's dark blue, 0 0 63,
BackgroundColour in src/graphics/Graphics.h) in a PNG written by
marrowgast-replay --shot (8-bit RGB or RGBA, not interlaced) and prints the share.
Take the shot without --grid and where the player overlaps no background worth counting.
"""
import struct
import sys
import zlib
from collections import Counter


def read_png(path):
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        sys.exit(f"{path}: not a PNG")
    pos, idat = 8, b""
    width = height = channels = 0
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
            if depth != 8 or colour not in (2, 6) or interlace:
                sys.exit(f"{path}: only 8-bit RGB or RGBA, not interlaced")
            channels = 3 if colour == 2 else 4
        elif kind == b"IDAT":
            idat += body
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, previous = [], bytearray(stride)
    for y in range(height):
        base = y * (stride + 1)
        kind, line = raw[base], bytearray(raw[base + 1:base + 1 + stride])
        for i in range(stride):
            a = line[i - channels] if i >= channels else 0
            b = previous[i]
            c = previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + a) & 255
            elif kind == 2:
                line[i] = (line[i] + b) & 255
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(line)
        previous = line
    return width, height, channels, rows


def main():
    if len(sys.argv) not in (2, 5) or sys.argv[1] in ("-h", "--help"):
        sys.exit(__doc__)
    try:
        width, height, channels, rows = read_png(sys.argv[1])
    except (OSError, ValueError) as error:
        sys.exit(f"background_share.py: {sys.argv[1]}: {error}")
    pixels = Counter()
    for line in rows:
        for x in range(width):
            pixels[bytes(line[x * channels:x * channels + 3])] += 1
    if len(sys.argv) == 5:
        colour = bytes(int(v) for v in sys.argv[2:5])
    else:
        colour = bytes((0, 0, 63))
    share = pixels[colour] / (width * height)
    print(f"{sys.argv[1]}: background {tuple(colour)} {share * 100:.1f}% of {width}x{height}")


if __name__ == "__main__":
    main()
