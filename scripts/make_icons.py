#!/usr/bin/env python3
"""Paints the game's icon from its own art and writes it at every size the desktop asks for.

The wanderer's hooded head and shoulders (from res/textures/player/face_right.png) on the
dark blue of the rooms, 32 x 32 pixels; whole multiples are pixel-doubled, smaller sizes
averaged. Writes data/icons/marrowgast-SIZE.png, and data/icons/marrowgast.ico (the same
pictures as PNG entries, for the Windows executable's resource). Run from anywhere; only the standard
library is needed, and the same art always gives the same bytes.
"""
import struct
import sys
import zlib
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
SIZES = (16, 24, 32, 48, 64, 128, 256)
BASE = 32
ROOM_BLUE = (0, 0, 63, 255)


def read_png(path):
    """8-bit RGB or RGBA, not interlaced: what the content generator writes."""
    data = path.read_bytes()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        sys.exit(f"{path}: not a PNG")
    at, idat, header = 8, b"", None
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        at += 12 + length
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour not in (2, 6) or interlace != 0:
        sys.exit(f"{path}: only 8-bit RGB or RGBA without interlacing")
    channels = 4 if colour == 6 else 3
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, previous, at = [], bytearray(stride), 0
    for _ in range(height):
        kind, line = raw[at], bytearray(raw[at + 1:at + 1 + stride])
        at += 1 + stride
        for i in range(stride):
            left = line[i - channels] if i >= channels else 0
            up = previous[i]
            corner = previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + left) & 255
            elif kind == 2:
                line[i] = (line[i] + up) & 255
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                line[i] = (line[i] + (left if pa <= pb and pa <= pc else up if pb <= pc else corner)) & 255
        rows.append([tuple(line[x * channels:x * channels + channels]) + ((255,) if channels == 3 else ())
                     for x in range(width)])
        previous = line
    return rows


def write_png(path, pixels):
    height, width = len(pixels), len(pixels[0])
    raw = b"".join(b"\0" + bytes(v for p in row for v in p) for row in pixels)

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    path.write_bytes(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)) +
                     chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def over(below, above):
    a = above[3] / 255
    return tuple(round(above[i] * a + below[i] * (1 - a)) for i in range(3)) + (255,)


def paint():
    player = read_png(ROOT / "res/textures/player/face_right.png")
    icon = [[ROOM_BLUE] * BASE for _ in range(BASE)]
    # The frame's hood starts on its third row; the bust fills the square below it.
    for y in range(BASE):
        for x in range(BASE):
            source = player[y + 1][x]
            icon[y][x] = over(icon[y][x], source)
    # Rounded corners, transparent.
    for y, x in ((0, 0), (0, BASE - 1), (BASE - 1, 0), (BASE - 1, BASE - 1)):
        icon[y][x] = (0, 0, 0, 0)
    return icon


def scaled(icon, size):
    if size % BASE == 0:
        k = size // BASE
        return [[icon[y // k][x // k] for x in range(size)] for y in range(size)]
    # Each pixel averages the part of the picture it covers, colour weighted by alpha.
    out = []
    scale = BASE / size
    for y in range(size):
        row = []
        for x in range(size):
            total, weight = [0.0, 0.0, 0.0], 0.0
            area = 0.0
            y0, y1, x0, x1 = y * scale, (y + 1) * scale, x * scale, (x + 1) * scale
            for sy in range(int(y0), min(BASE, int(-(-y1 // 1)))):
                for sx in range(int(x0), min(BASE, int(-(-x1 // 1)))):
                    cover = (min(y1, sy + 1) - max(y0, sy)) * (min(x1, sx + 1) - max(x0, sx))
                    if cover <= 0:
                        continue
                    p = icon[sy][sx]
                    a = p[3] / 255 * cover
                    for i in range(3):
                        total[i] += p[i] * a
                    weight += a
                    area += cover
            if weight == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(round(t / weight) for t in total) + (round(255 * weight / area),))
        out.append(row)
    return out


def write_ico(path, pngs):
    """An icon directory whose entries are PNG files, as Windows reads them since Vista."""
    header = struct.pack("<HHH", 0, 1, len(pngs))
    offset = len(header) + 16 * len(pngs)
    entries, bodies = b"", b""
    for size, body in pngs:
        side = 0 if size >= 256 else size
        entries += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(body), offset)
        offset += len(body)
        bodies += body
    path.write_bytes(header + entries + bodies)


def main():
    icon = paint()
    folder = ROOT / "data/icons"
    folder.mkdir(parents=True, exist_ok=True)
    for size in SIZES:
        path = folder / f"marrowgast-{size}.png"
        write_png(path, scaled(icon, size))
        print(path.relative_to(ROOT))
    ico = folder / "marrowgast.ico"
    write_ico(ico, [(size, (folder / f"marrowgast-{size}.png").read_bytes()) for size in SIZES])
    print(ico.relative_to(ROOT))


if __name__ == "__main__":
    main()
