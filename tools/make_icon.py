#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes app/checksumme.ico: one 32 x 32 image of 256 colours (eight bits a pixel) whose palette
lists only the colours the drawing uses, so that the program carries no unused ones.

The picture: a dark chip with gold pins and a green check mark. Run it again after changing
the drawing; the .ico beside the resource script is committed.
"""
import os
import struct

SIZE = 32
PALETTE = [
    (0, 0, 0),        # 0 transparent (masked)
    (40, 44, 52),     # 1 chip body
    (70, 76, 88),     # 2 chip edge
    (212, 175, 55),   # 3 pins
    (60, 190, 90),    # 4 check mark
    (230, 235, 240),  # 5 label dots
]


def draw():
    px = [[0] * SIZE for _ in range(SIZE)]
    mask = [[1] * SIZE for _ in range(SIZE)]  # 1 = transparent

    def put(x, y, c):
        if 0 <= x < SIZE and 0 <= y < SIZE:
            px[y][x] = c
            mask[y][x] = 0

    for y in range(6, 26):  # body with an edge
        for x in range(6, 26):
            edge = x in (6, 25) or y in (6, 25)
            put(x, y, 2 if edge else 1)
    for i in range(8, 25, 4):  # pins on all four sides
        for d in range(3):
            for w in (0, 1):
                put(i + w, 5 - d, 3)
                put(i + w, 26 + d, 3)
                put(5 - d, i + w, 3)
                put(26 + d, i + w, 3)
    for x in range(9, 13):  # label dots
        put(x, 9, 5)
    check = [(10, 16), (11, 17), (12, 18), (13, 19), (14, 18), (15, 17), (16, 16), (17, 15),
             (18, 14), (19, 13), (20, 12), (21, 11)]
    for x, y in check:
        for dy in range(3):
            put(x, y + dy, 4)
    return px, mask


def ico_bytes():
    px, mask = draw()
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    xor = b"".join(bytes(px[y]) for y in reversed(range(SIZE)))
    and_rows = []
    for y in reversed(range(SIZE)):
        bits = 0
        for x in range(SIZE):
            bits = (bits << 1) | mask[y][x]
        and_rows.append(struct.pack(">I", bits))
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 8, 0,
                         len(xor) + SIZE * 4, 0, 0, len(PALETTE), 0)
    image = header + palette + xor + b"".join(and_rows)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 8, len(image), 6 + 16)
    return directory + entry + image


if __name__ == "__main__":
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "app", "checksumme.ico")
    with open(out, "wb") as f:
        f.write(ico_bytes())
