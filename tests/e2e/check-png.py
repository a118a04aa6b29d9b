#!/usr/bin/env python3
"""Checks a PNG file's size and the colours of a few of its pixels, with nothing but the
standard library, so the end-to-end test needs no image tools.

    check-png.py FILE WIDTH HEIGHT [X,Y,#RRGGBB[AA] ...]

A pixel matches when each channel is within 8 of the one asked for; without alpha in the
request the pixel must be opaque. Exits 0 when everything matches, 1 with the reasons if not.
"""
import struct
import sys
import zlib

CHANNELS = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}


def read_png(path):
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG file")
    pos = 8
    header = None
    palette = b""
    idat = []
    while pos + 8 <= len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"PLTE":
            palette = body
        elif kind == b"IDAT":
            idat.append(body)
        elif kind == b"IEND":
            break
    if header is None:
        raise ValueError("no IHDR chunk")
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or interlace != 0 or colour not in CHANNELS:
        raise ValueError(f"unsupported PNG: depth {depth}, colour type {colour}, interlace {interlace}")
    bpp = CHANNELS[colour]
    raw = zlib.decompress(b"".join(idat))
    stride = width * bpp
    rows = []
    previous = bytearray(stride)
    for y in range(height):
        start = y * (stride + 1)
        kind = raw[start]
        line = bytearray(raw[start + 1:start + 1 + stride])
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0
            b = previous[i]
            c = previous[i - bpp] if i >= bpp else 0
            if kind == 1:
                line[i] = (line[i] + a) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + b) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 0xFF
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 0xFF
        rows.append(line)
        previous = line

    def pixel(x, y):
        px = rows[y][x * bpp:(x + 1) * bpp]
        if colour == 0:
            return (px[0], px[0], px[0], 255)
        if colour == 4:
            return (px[0], px[0], px[0], px[1])
        if colour == 3:
            return tuple(palette[px[0] * 3:px[0] * 3 + 3]) + (255,)
        if colour == 2:
            return (px[0], px[1], px[2], 255)
        return tuple(px)

    return width, height, pixel


def main(argv):
    if len(argv) < 4:
        print(__doc__, file=sys.stderr)
        return 2
    path, width, height = argv[1], int(argv[2]), int(argv[3])
    try:
        actual_width, actual_height, pixel = read_png(path)
    except (OSError, ValueError, zlib.error) as error:
        print(f"{path}: {error}")
        return 1
    problems = []
    if (actual_width, actual_height) != (width, height):
        problems.append(f"size {actual_width} x {actual_height}, expected {width} x {height}")
    else:
        for spec in argv[4:]:
            x, y, wanted = spec.split(",")
            x, y = int(x), int(y)
            hexes = wanted.lstrip("#")
            want = tuple(int(hexes[i:i + 2], 16) for i in range(0, len(hexes), 2))
            if len(want) == 3:
                want += (255,)
            got = pixel(x, y)
            if any(abs(g - w) > 8 for g, w in zip(got, want)):
                problems.append(f"pixel {x},{y} is {'#%02x%02x%02x%02x' % got}, expected {wanted}")
    for problem in problems:
        print(f"{path}: {problem}")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
