#!/usr/bin/env python3
"""Draws the utility's icon, corvscan.ico, next to this script.

A blue tile with a white sheet on it and a green scan line across the
sheet, at 32 x 32 and 16 x 16 pixels, 32-bit with alpha. Python 3 standard
library only; run it again after changing the drawing and commit both files.
"""
import os
import struct

BLUE = (0x1f, 0x4e, 0x9c)
DARK = (0x12, 0x2e, 0x62)
WHITE = (0xf4, 0xf6, 0xfa)
GREEN = (0x3c, 0xd0, 0x6e)


def pixel(x, y, size):
    """RGBA of one pixel; the drawing is made on a 32 grid and scaled."""
    u = (x + 0.5) * 32 / size
    v = (y + 0.5) * 32 / size
    # The tile: a square with cut corners, a darker rim.
    if u < 1 or v < 1 or u > 31 or v > 31 or min(u, 32 - u) + min(v, 32 - v) < 5:
        return (0, 0, 0, 0)
    rim = u < 2.5 or v < 2.5 or u > 29.5 or v > 29.5
    colour = DARK if rim else BLUE
    # The sheet, with its top-right corner folded.
    if 8 <= u <= 24 and 5 <= v <= 27 and not (u > 19 and v < 5 + (u - 19)):
        colour = WHITE
        if 10 <= u <= 22 and any(abs(v - line) < 0.6 for line in (10, 13, 16, 22, 25)):
            colour = (0x9a, 0xa8, 0xc0)
    # The scan line across tile and sheet.
    if 18.2 <= v <= 20.2 and 4 <= u <= 28:
        colour = GREEN
    return colour + (255,)


def image(size):
    rows = []
    for y in range(size - 1, -1, -1):  # bottom-up
        row = bytearray()
        for x in range(size):
            r, g, b, a = pixel(x, y, size)
            row += bytes((b, g, r, a))
        rows.append(bytes(row))
    mask_row = ((size + 31) // 32) * 4
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    return header + b"".join(rows) + bytes(mask_row * size)


def main():
    sizes = (32, 16)
    images = [image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corvscan.ico")
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
