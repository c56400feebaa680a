#!/usr/bin/env python3
"""Draws the extension's icon, a 32 x 32 picture in the 16 standard colours, and writes it
as a Windows .ico file: a sheet listing file names, two rows of it selected, and a wildcard
star over its corner.

usage: make-vestrane-icon.py [OUTPUT]   (default: shellext/vestrane.ico beside this folder)
"""
import math
import os
import struct
import sys

SIZE = 32
# The 16 colours of the standard VGA palette, as (red, green, blue).
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, MAROON, NAVY, SILVER, GREY, RED, YELLOW, BLUE, WHITE = 0, 1, 4, 7, 8, 9, 11, 12, 15
CLEAR = None  # transparent


def draw():
    pixels = [[CLEAR] * SIZE for _ in range(SIZE)]

    def put(x, y, colour):
        if 0 <= x < SIZE and 0 <= y < SIZE:
            pixels[y][x] = colour

    # The sheet, with its top right corner folded over.
    left, top, right, bottom, fold = 3, 1, 22, 28, 5
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            if x - (right - fold) > y - top:
                continue  # cut away by the fold
            edge = x in (left, right) or y in (top, bottom) or x - (right - fold) == y - top
            put(x, y, BLACK if edge else WHITE)
    for i in range(fold + 1):
        put(right - fold, top + i, BLACK)
        put(right - fold + i, top + fold, BLACK)
    for i in range(1, fold):
        for x in range(right - fold + 1, right - fold + 1 + i):
            put(x, top + i, SILVER)

    # Rows of file names; the second and fourth are selected.
    rows = [(9, 14, False), (12, 16, True), (15, 12, False), (18, 15, True), (21, 11, False),
            (24, 13, False)]
    for y, length, selected in rows:
        if selected:
            for yy in (y - 1, y, y + 1):
                for x in range(left + 2, right - 1):
                    put(x, yy, NAVY)
        for x in range(left + 3, left + 3 + length):
            if x < right - 1:
                put(x, y, WHITE if selected else GREY)

    # The wildcard star: three strokes through one centre (upright and at 30 degrees either
    # side of the horizontal), red with a yellow core.
    cx, cy, radius = 23.5, 22.5, 7.5
    directions = [(0.0, 1.0), (math.cos(math.radians(30)), math.sin(math.radians(30))),
                  (math.cos(math.radians(150)), math.sin(math.radians(150)))]
    for y in range(SIZE):
        for x in range(SIZE):
            px, py = x + 0.5 - cx, y + 0.5 - cy
            if math.hypot(px, py) > radius:
                continue
            distance = min(abs(px * dy - py * dx) for dx, dy in directions)
            if distance < 0.5:
                put(x, y, YELLOW)
            elif distance < 1.2:
                put(x, y, RED)
    # A dark outline keeps the star readable on the white sheet and on any background.
    outline = []
    for y in range(SIZE):
        for x in range(SIZE):
            if pixels[y][x] in (RED, YELLOW):
                continue
            near = any(pixels_at(pixels, x + ox, y + oy) in (RED, YELLOW)
                       for ox, oy in ((-1, 0), (1, 0), (0, -1), (0, 1)))
            if near:
                outline.append((x, y))
    for x, y in outline:
        put(x, y, MAROON)
    return pixels


def pixels_at(pixels, x, y):
    if 0 <= x < SIZE and 0 <= y < SIZE:
        return pixels[y][x]
    return CLEAR


def encode(pixels):
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    colour_rows = []
    mask_rows = []
    for y in reversed(range(SIZE)):  # bitmaps are stored bottom row first
        row = pixels[y]
        colour = bytearray()
        for x in range(0, SIZE, 2):
            hi = row[x] if row[x] is not None else 0
            lo = row[x + 1] if row[x + 1] is not None else 0
            colour.append(hi << 4 | lo)
        colour_rows.append(bytes(colour))
        mask = 0
        for x in range(SIZE):
            if row[x] is None:
                mask |= 1 << (SIZE - 1 - x)
        mask_rows.append(struct.pack(">I", mask))  # rows of 32 bits are already 4-aligned
    image = header + palette + b"".join(colour_rows) + b"".join(mask_rows)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    output = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "shellext",
                                                                "vestrane.ico")
    with open(output, "wb") as f:
        f.write(encode(draw()))


if __name__ == "__main__":
    main()
