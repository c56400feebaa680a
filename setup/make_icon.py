#!/usr/bin/env python3
"""Writes Vestinst.ico: one 32x32 image in 16 colours.

The picture: a brown carton with a green arrow pointing down into it, the setup
program's "put it in place". Run it again after changing the drawing below.
"""
import struct
import sys

# The 16 colours of the standard VGA palette, as (blue, green, red, 0).
PALETTE = [
    (0, 0, 0), (0, 0, 128), (0, 128, 0), (0, 128, 128),
    (128, 0, 0), (128, 0, 128), (128, 128, 0), (192, 192, 192),
    (128, 128, 128), (0, 0, 255), (0, 255, 0), (0, 255, 255),
    (255, 0, 0), (255, 0, 255), (255, 255, 0), (255, 255, 255),
]  # (red, green, blue)
BLACK, DARK_YELLOW, GREEN, LIGHT_GREEN, WHITE, GREY = 0, 6, 2, 10, 15, 8

DRAWING = [
    "................................",
    "...........kkkkkkkkkk...........",
    "...........kLLLLLLLLk...........",
    "...........kLLGGGGLLk...........",
    "...........kLLGGGGLLk...........",
    "...........kLLGGGGLLk...........",
    "...........kLLGGGGLLk...........",
    "...........kLLGGGGLLk...........",
    "......kkkkkkLLGGGGLLkkkkkk......",
    "......kLLLLLLLGGGGLLLLLLLk......",
    ".......kLLLLLLGGGGLLLLLLk.......",
    "........kLLLLLGGGGLLLLLk........",
    ".........kLLLLGGGGLLLLk.........",
    "...kkkkkkkkLLLGGGGLLLkkkkkkkk...",
    "...kYYYYYYYkLLGGGGLLkYYYYYYYk...",
    "...kYYYYYYYYkLGGGGLkYYYYYYYYk...",
    "...kYYYYYYYYYkGGGGkYYYYYYYYYk...",
    "...kkkkkkkkkkkkkkkkkkkkkkkkkk...",
    "...kYYYYYYYYYYYYYYYYYYYYYYYYk...",
    "...kYYYYYYYYYYYYYYYYYYYYYYYYk...",
    "...kYYYYYYYYYYYYYYYYYYYYYYYYk...",
    "...kYYYYYYYYWWWWWWWWYYYYYYYYk...",
    "...kYYYYYYYYWkkkkkkWYYYYYYYYk...",
    "...kYYYYYYYYWWWWWWWWYYYYYYYYk...",
    "...kYYYYYYYYYYYYYYYYYYYYYYYYk...",
    "...kYYYYYYYYYYYYYYYYYYYYYYYYk...",
    "...kYYYYYYYYYYYYYYYYYYYYYYYYk...",
    "...kYYYYYYYYYYYYYYYYYYYYYYYYk...",
    "...kYYYYYYYYYYYYYYYYYYYYYYYYk...",
    "...kkkkkkkkkkkkkkkkkkkkkkkkkk...",
    "....gggggggggggggggggggggggggg..",
    "................................",
]
COLOURS = {"k": BLACK, "Y": DARK_YELLOW, "G": GREEN, "L": LIGHT_GREEN, "W": WHITE,
           "g": GREY, ".": BLACK}


def main(path):
    assert len(DRAWING) == 32 and all(len(row) == 32 for row in DRAWING)
    xor_rows, and_rows = [], []
    for row in reversed(DRAWING):  # bitmaps run bottom-up
        pixels = [COLOURS[c] for c in row]
        xor_rows.append(bytes((pixels[i] << 4) | pixels[i + 1] for i in range(0, 32, 2)))
        mask = 0
        for c in row:
            mask = (mask << 1) | (1 if c == "." else 0)
        and_rows.append(struct.pack(">I", mask))
    palette = b"".join(struct.pack("BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    header = struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, 4, 0, 0, 0, 0, 16, 0)
    image = header + palette + b"".join(xor_rows) + b"".join(and_rows)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", 32, 32, 16, 0, 1, 4, len(image), 6 + 16)
    with open(path, "wb") as out:
        out.write(directory + entry + image)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "Vestinst.ico")
