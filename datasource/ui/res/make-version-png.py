#!/usr/bin/env python3
"""Draws the version box's picture, version.png, next to this script.

With arguments it draws another program's box in the same design:
make-version-png.py OUTPUT "FIRST LINE" "SECOND LINE" [--light]; --light
gives a pale picture for texts drawn in the window-text colour.

The picture is the box's whole client area: a dark blue gradient with the
product name in block letters. The version and copyright texts are drawn
on it in white at run time (from y 297 and y 423, x 27), so those bands
stay dark and plain. Python 3 standard library only; run it again after
changing the artwork and commit both files.
"""
import math
import os
import struct
import sys
import zlib

WIDTH, HEIGHT = 480, 470
LEFT = 27

# 5 x 7 block letters, only those the picture needs.
GLYPHS = {
    "C": [".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."],
    "o": [".....", ".....", ".###.", "#...#", "#...#", "#...#", ".###."],
    "r": [".....", ".....", "#.##.", "##..#", "#....", "#....", "#...."],
    "v": [".....", ".....", "#...#", "#...#", "#...#", ".#.#.", "..#.."],
    "a": [".....", ".....", ".###.", "....#", ".####", "#...#", ".####"],
    "n": [".....", ".....", "#.##.", "##..#", "#...#", "#...#", "#...#"],
    "e": [".....", ".....", ".###.", "#...#", "#####", "#....", ".###."],
    "Q": [".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"],
    "M": ["#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"],
    "T": ["#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."],
    "W": ["#...#", "#...#", "#...#", "#.#.#", "#.#.#", "##.##", "#...#"],
    "A": [".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    "I": [".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."],
    "N": ["#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#", "#...#"],
    "D": ["####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."],
    "i": ["..#..", ".....", ".##..", "..#..", "..#..", "..#..", ".###."],
    "S": [".####", "#....", "#....", ".###.", "....#", "....#", "####."],
    "c": [".....", ".....", ".###.", "#....", "#....", "#...#", ".###."],
    "U": ["#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "t": [".#...", ".#...", "####.", ".#...", ".#...", ".#..#", "..##."],
    "l": [".##..", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."],
    "y": [".....", ".....", "#...#", "#...#", ".####", "....#", ".###."],
    " ": ["....."] * 7,
}


def background(x, y, light=False):
    """Navy at the bottom, lighter blue at the top, a soft glow top right;
    light: near white at the top to pale blue at the bottom."""
    t = y / (HEIGHT - 1)
    if light:
        d2 = (x - 430) ** 2 + (y - 30) ** 2
        glow = math.exp(-d2 / (2 * 150.0 ** 2))
        return (0xf6 + (0xc8 - 0xf6) * t + 9 * glow, 0xf8 + (0xd8 - 0xf8) * t + 7 * glow,
                0xfc + (0xf0 - 0xfc) * t + 3 * glow)
    r = 0x12 + (0x03 - 0x12) * t
    g = 0x2e + (0x0b - 0x2e) * t
    b = 0x72 + (0x2a - 0x72) * t
    d2 = (x - 430) ** 2 + (y - 30) ** 2
    glow = math.exp(-d2 / (2 * 150.0 ** 2))
    return (r + 0x28 * glow, g + 0x48 * glow, b + 0x70 * glow)


def text_cells(text, scale, left, top):
    """The squares of a text in block letters, as (x0, y0, x1, y1)."""
    cells = []
    for i, ch in enumerate(text):
        glyph = GLYPHS[ch]
        for row, line in enumerate(glyph):
            for col, bit in enumerate(line):
                if bit == "#":
                    x = left + (i * 6 + col) * scale
                    y = top + row * scale
                    cells.append((x, y, x + scale, y + scale))
    return cells


def paint(titles=(("Corvane QM", 7, 78), ("TWAIN Driver", 5, 168)), light=False):
    pixels = [[background(x, y, light) for x in range(WIDTH)] for y in range(HEIGHT)]

    def fill(x0, y0, x1, y1, colour_at):
        for y in range(max(0, y0), min(HEIGHT, y1)):
            for x in range(max(0, x0), min(WIDTH, x1)):
                pixels[y][x] = colour_at(x, y, pixels[y][x])

    def shade(c, k):
        return tuple(v * k for v in c)

    # Shadows first, so no letter's shadow falls on another letter.
    for text, scale, top in titles:
        for x0, y0, x1, y1 in text_cells(text, scale, LEFT, top):
            fill(x0 + 3, y0 + 3, x1 + 3, y1 + 3,
                 lambda x, y, c: shade(c, 0.8 if light else 0.45))
    for text, scale, top in titles:
        height = 7 * scale

        def letter(x, y, c, top=top, height=height):
            # White at the top of the line to pale blue at its foot.
            t = (y - top) / height
            if light:
                return (0x1f + 0x20 * t, 0x3e + 0x30 * t, 0x8c + 0x30 * t)
            return (255 - 90 * t, 255 - 45 * t, 255)

        for x0, y0, x1, y1 in text_cells(text, scale, LEFT, top):
            fill(x0, y0, x1, y1, letter)

    # An accent rule between the name and the version text, fading out to
    # the right.
    for y in (258, 259):
        for x in range(LEFT, WIDTH - LEFT):
            k = 1.0 - (x - LEFT) / (WIDTH - 2 * LEFT)
            r, g, b = pixels[y][x]
            pixels[y][x] = (r + (0x5a - r) * k, g + (0xb4 - g) * k, b + (0xff - b) * k)

    return pixels


def png(pixels):
    raw = bytearray()
    for row in pixels:
        raw.append(0)  # filter: none
        for r, g, b in row:
            raw += bytes(max(0, min(255, int(round(v)))) for v in (r, g, b))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", WIDTH, HEIGHT, 8, 2, 0, 0, 0)  # 8-bit RGB
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def main():
    args = [a for a in sys.argv[1:] if a != "--light"]
    light = "--light" in sys.argv[1:]
    if len(args) == 3:
        out = args[0]
        pixels = paint(((args[1], 7, 78), (args[2], 5, 168)), light)
    else:
        out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "version.png")
        pixels = paint()
    with open(out, "wb") as f:
        f.write(png(pixels))


if __name__ == "__main__":
    main()
