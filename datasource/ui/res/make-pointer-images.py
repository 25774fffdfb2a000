#!/usr/bin/env python3
"""Writes the preview's cursors (.cur) and the pointer buttons' 16 x 16
pictures (.bmp) into res/pointer/. Run it again after changing a picture;
its output is kept with the sources so a build needs no Python.

Pictures are character grids: 'X' black, 'o' white, '.' transparent (the
cursor's screen shows through; a button's face shows through)."""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "pointer")

ARROW = """
X...............
XX..............
XoX.............
XooX............
XoooX...........
XooooX..........
XoooooX.........
XooooooX........
XoooooooX.......
XooooXXXXX......
XooXoX..........
XoX.XoX.........
XX..XoX.........
X....XoX........
.....XoX........
......XX........
"""

HAND_OPEN = """
.......XX.......
...XX.XooXXX....
..XooXXooXooX...
..XooXXooXooX.X.
...XooXooXooXXoX
...XooXooXooXooX
.XX.XoooooooXooX
XooXXoooooooooX.
XoooXoooooooooX.
.XooooooooooooX.
..XoooooooooooX.
..XooooooooooX..
...XoooooooooX..
....XooooooooX..
.....XoooooooX..
.....XoooooooX..
"""

HAND_CLOSED = """
................
................
................
....XX.XX.XX....
...XooXooXooXX..
...XooXooXooXoX.
....XoooooooooX.
...XXoooooooooX.
..XooooooooooX..
..XooooooooooX..
...XoooooooooX..
....XooooooooX..
.....XoooooooX..
.....XoooooooX..
................
................
"""


def grid(text):
    rows = [r for r in text.strip("\n").split("\n")]
    return [list(r) for r in rows]


def lens(sign, size, centre, radius, handle_to):
    """A magnifier: a white glass in a black ring with a black handle, and
    '+', '-' or nothing drawn in the glass."""
    g = [["."] * size for _ in range(size)]
    cx, cy = centre
    for y in range(size):
        for x in range(size):
            d = math.hypot(x - cx, y - cy)
            if d <= radius - 1.5:
                g[y][x] = "o"
            elif d <= radius + 0.5:
                g[y][x] = "X"
    # The handle: a thick diagonal from the ring outwards.
    start = cx + radius * 0.7
    for i in range(int((handle_to - start) * 4) + 1):
        t = start + i / 4.0
        for dx in (-1, 0, 1):
            for dy in (-1, 0, 1):
                x, y = int(round(t + dx * 0.5)), int(round(t + dy * 0.5))
                if 0 <= x < size and 0 <= y < size and math.hypot(x - cx, y - cy) > radius - 1:
                    g[y][x] = "X"
    arm = max(2, radius // 2)
    if sign in "+-":
        for x in range(cx - arm, cx + arm + 1):
            g[cy][x] = "X"
    if sign == "+":
        for y in range(cy - arm, cy + arm + 1):
            g[y][cx] = "X"
    return g


def pad(g, size):
    out = [["."] * size for _ in range(size)]
    for y, row in enumerate(g):
        for x, c in enumerate(row):
            out[y][x] = c
    return out


def write_cursor(name, g, hotspot):
    size = 32
    g = pad(g, size)
    xor = bytearray()
    mask = bytearray()
    for y in reversed(range(size)):  # bottom-up rows
        xbits = mbits = 0
        for x in range(size):
            c = g[y][x]
            xbits = (xbits << 1) | (1 if c == "o" else 0)
            mbits = (mbits << 1) | (1 if c == "." else 0)
        xor += struct.pack(">I", xbits)
        mask += struct.pack(">I", mbits)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 1, 0, 0, 0, 0, 2, 0)
    palette = bytes([0, 0, 0, 0, 255, 255, 255, 0])
    image = header + palette + bytes(xor) + bytes(mask)
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", size, size, 2, 0, hotspot[0], hotspot[1], len(image), 22)
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(directory + entry + image)


def write_bitmap(name, g):
    # 24-bit; the grey of the transparent parts becomes the button face
    # when the picture is loaded with LR_LOADMAP3DCOLORS.
    colours = {"X": (0, 0, 0), "o": (255, 255, 255), ".": (192, 192, 192)}
    size = 16
    g = pad(g, size)
    rows = bytearray()
    for y in reversed(range(size)):
        for x in range(size):
            r, gr, b = colours[g[y][x]]
            rows += bytes([b, gr, r])
    info = struct.pack("<IiiHHIIiiII", 40, size, size, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(rows), 0, 0, 14 + len(info))
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(head + info + bytes(rows))


def main():
    os.makedirs(OUT, exist_ok=True)
    write_cursor("zoom_in.cur", lens("+", 32, (9, 9), 7, 20), (9, 9))
    write_cursor("zoom_out.cur", lens("-", 32, (9, 9), 7, 20), (9, 9))
    write_cursor("zoom_limit.cur", lens(" ", 32, (9, 9), 7, 20), (9, 9))
    write_cursor("hand_closed.cur", grid(HAND_CLOSED), (8, 8))
    write_cursor("hand_open.cur", grid(HAND_OPEN), (8, 8))
    write_bitmap("select.bmp", grid(ARROW))
    write_bitmap("zoom.bmp", lens(" ", 16, (6, 6), 5, 14))
    write_bitmap("hand.bmp", grid(HAND_OPEN))


if __name__ == "__main__":
    main()
