#!/usr/bin/env python3
"""Draws wavequill.ico: a 32x32, 16-colour picture of a silver disc with a
blue sound wave across it. Run again after changing the drawing."""
import math
import struct
import sys

# The standard 16-colour palette (index: (r, g, b)).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, GREY, SILVER, WHITE, BLUE, CYAN, YELLOW, NAVY = 0, 8, 7, 15, 12, 14, 11, 4
SIZE = 32


def draw():
    px = [[None] * SIZE for _ in range(SIZE)]  # None: transparent
    c = (SIZE - 1) / 2
    for y in range(SIZE):
        for x in range(SIZE):
            r = math.hypot(x - c, y - c)
            if r <= 15.2:
                if r > 14.2:
                    px[y][x] = GREY
                elif r < 2.2:
                    px[y][x] = None  # the hole
                elif r < 3.2:
                    px[y][x] = GREY
                elif r < 6:
                    px[y][x] = WHITE
                else:
                    # A sheen on the upper left, as light on a disc.
                    angle = math.atan2(y - c, x - c)
                    px[y][x] = CYAN if -2.6 < angle < -1.9 else SILVER
    # The wave: a damped sine across the disc, two pixels thick.
    for x in range(3, SIZE - 3):
        t = (x - 3) / (SIZE - 6)
        yv = c + 8 * math.sin(t * 4 * math.pi) * math.sin(t * math.pi)
        for dy in (0, 1):
            yy = int(round(yv)) + dy
            if 0 <= yy < SIZE:
                px[yy][x] = BLUE if dy == 0 else NAVY
    return px


def ico(px):
    xor = bytearray()
    mask = bytearray()
    for y in reversed(range(SIZE)):  # bottom-up rows
        row = px[y]
        for x in range(0, SIZE, 2):
            a = row[x] if row[x] is not None else 0
            b = row[x + 1] if row[x + 1] is not None else 0
            xor.append((a << 4) | b)
        bits = 0
        for x in range(SIZE):
            bits = (bits << 1) | (1 if row[x] is None else 0)
        mask += struct.pack(">I", bits)
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0,
                         len(xor) + len(mask), 0, 0, 16, 0)
    image = header + pal + bytes(xor) + bytes(mask)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else "wavequill.ico"
    with open(out, "wb") as f:
        f.write(ico(draw()))
