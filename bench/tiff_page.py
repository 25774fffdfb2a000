#!/usr/bin/env python3
"""Writes a deterministic 600 dpi A4 test page as PNM: text-like lines of
glyph strokes on white (P4), or a smooth gray/colour scan (P5/P6).

usage: tiff_page.py bilevel|gray|rgb OUT.pnm
"""
import random
import sys

WIDTH, HEIGHT = 4960, 7016  # A4 at 600 dpi


def bilevel(out):
    rng = random.Random(600)
    row_bytes = (WIDTH + 7) // 8
    # Each glyph is 4 bytes (32 px) wide and 64 rows high; a word is a few
    # glyphs; lines of text leave margins and gaps as a letter page does.
    glyphs = [[bytes(rng.choice((0x00, 0x18, 0x3C, 0x66, 0x7E, 0xC3, 0xE0, 0x07))
                     for _ in range(4)) for _ in range(64)] for _ in range(40)]
    blank = bytes(row_bytes)
    out.write(b"P4\n%d %d\n" % (WIDTH, HEIGHT))
    y = 0
    margin = 600 // 8
    while y < HEIGHT:
        line_words = []
        x = margin
        while x < row_bytes - margin - 40:
            n = rng.randint(2, 9)
            line_words.append((x, [rng.randrange(40) for _ in range(n)]))
            x += 4 * n + rng.randint(3, 5)
        rows = [bytearray(row_bytes) for _ in range(64)]
        for x0, word in line_words:
            for gi, g in enumerate(word):
                at = x0 + 4 * gi
                for r in range(64):
                    rows[r][at:at + 4] = glyphs[g][r]
        for r in rows:
            if y < HEIGHT:
                out.write(bytes(r))
                y += 1
        for _ in range(36):
            if y < HEIGHT:
                out.write(blank)
                y += 1


def smooth(out, channels):
    # A slow gradient with a little grain: what a photo scan looks like to a
    # lossless coder. Rows come from 64 grainy variants of one row mapped
    # through a per-row table, so Python never loops over pixels.
    magic = b"P5" if channels == 1 else b"P6"
    out.write(b"%s\n%d %d\n255\n" % (magic, WIDTH, HEIGHT))
    rng = random.Random(7)
    variants = []
    for _ in range(64):
        row = bytearray(WIDTH * channels)
        for x in range(WIDTH):
            for c in range(channels):
                row[x * channels + c] = min(255, x * 200 // WIDTH + 50 * c + rng.randrange(4))
        variants.append(bytes(row))
    for y in range(HEIGHT):
        shift = y * 255 // HEIGHT
        table = bytes(((v + shift) // 2) & 0xFF for v in range(256))
        out.write(variants[y % 64].translate(table))


def main():
    kind, path = sys.argv[1], sys.argv[2]
    with open(path, "wb") as out:
        if kind == "bilevel":
            bilevel(out)
        elif kind == "gray":
            smooth(out, 1)
        elif kind == "rgb":
            smooth(out, 3)
        else:
            sys.exit("kind must be bilevel, gray or rgb")


if __name__ == "__main__":
    main()
