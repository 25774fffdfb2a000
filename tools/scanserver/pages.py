"""Page images of the simulated scanner: geometry, generated test documents, PNM input.

Rows are built as whole byte strings and pages are joined from them, because a
600 dpi A4 colour page is about 104 MB and must be ready in well under a second.
Nothing here loops over pixels except the one-off tables of a row width and the
rare colour-to-grey conversion of a PNM file.
"""

import math
import random
import threading
from collections import OrderedDict, namedtuple

# Colour mode codes of the scan request: 0 full colour, 1 grey, 2 black and white.
COLOUR, GREY, BILEVEL = 0, 1, 2
BITS_PER_PIXEL = {COLOUR: 24, GREY: 8, BILEVEL: 1}
DPI_BY_RESOLUTION_CODE = {0: 200, 1: 300, 2: 400, 3: 600}

# Document size codes 3..28: width and height in millimetres, the same table the
# data source converts with, so that both sides agree on the pixel size.
PAPER_MM = {
    3: (420, 297), 4: (297, 210), 5: (210, 297), 6: (210, 148), 7: (148, 210),
    8: (148, 105), 9: (105, 148), 10: (364, 257), 11: (257, 182), 12: (182, 257),
    13: (182, 128), 14: (128, 182), 15: (148, 100), 16: (100, 148), 17: (270, 195),
    18: (195, 270), 19: (390, 270), 20: (127, 89), 21: (89, 127), 22: (178, 127),
    23: (127, 178), 24: (279.4, 215.9), 25: (215.9, 279.4), 26: (330.2, 215.9),
    27: (355.6, 215.9), 28: (431.8, 279.4),
}
SIZE_AUTO_CODES = (0, 1)
SIZE_CUSTOM = 2

# Geometry of one page as the server sends it.  stride >= exact row bytes; the
# gap (if any) is zero padding at the end of each row.
Geometry = namedtuple("Geometry", "width height mode dpi stride")


def mm_to_pixels(mm, dpi):
    # trunc(x + 0.5), not round(): Python's round() goes to even on .5
    return int(math.floor(mm / 25.4 * dpi + 0.5))


def exact_row_bytes(width, mode):
    if mode == BILEVEL:
        return (width + 7) // 8
    return width * BITS_PER_PIXEL[mode] // 8


def make_geometry(width, height, mode, dpi, row_align):
    exact = exact_row_bytes(width, mode)
    stride = (exact + row_align - 1) // row_align * row_align
    return Geometry(width, height, mode, dpi, stride)


def page_bytes(geometry):
    return geometry.stride * geometry.height


# --- row formatting -------------------------------------------------------

# Bilevel rows: bit 1 is white, 0 black (the client's palette has black at
# index 0 and white at index 1), most significant bit leftmost.
_BAYER4 = ((0, 8, 2, 10), (12, 4, 14, 6), (3, 11, 1, 9), (15, 7, 13, 5))
_THRESHOLD_TABLES = {}


def _threshold_table(threshold):
    table = _THRESHOLD_TABLES.get(threshold)
    if table is None:
        table = bytes(0x31 if v >= threshold else 0x30 for v in range(256))
        _THRESHOLD_TABLES[threshold] = table
    return table


def _pack_bits(ascii01, width):
    """'0'/'1' characters, one a pixel, to packed bits (row padded with 0 bits)."""
    nbytes = (width + 7) // 8
    padded = bytes(ascii01) + b"0" * (nbytes * 8 - width)
    return int(padded, 2).to_bytes(nbytes, "big")


def dither_row(grey, y):
    """Ordered dither of one grey row to packed 1-bit pixels."""
    width = len(grey)
    out = bytearray(width)
    phases = _BAYER4[y % 4]
    for p in range(4):
        table = _threshold_table(phases[p] * 16 + 8)
        out[p::4] = grey[p::4].translate(table)
    return _pack_bits(out, width)


def interleave_rgb(r, g, b):
    out = bytearray(len(r) * 3)
    out[0::3] = r
    out[1::3] = g
    out[2::3] = b
    return bytes(out)


class RowFormatter:
    """Turns channel rows (r, g, b) into rows of the page's format.

    The grey rendition of a generated document is its green channel: the
    documents are drawn so that green carries their lightness.
    """

    def __init__(self, geometry):
        self.geometry = geometry
        self.pad = bytes(geometry.stride - exact_row_bytes(geometry.width, geometry.mode))
        self._cache = {}

    def row(self, channels, y):
        mode = self.geometry.mode
        # A dithered row depends on y, colour and grey rows do not.
        key = (channels, y % 4) if mode == BILEVEL else channels
        cached = self._cache.get(key)
        if cached is not None:
            return cached
        r, g, b = channels
        if mode == COLOUR:
            data = interleave_rgb(r, g, b)
        elif mode == GREY:
            data = bytes(g)
        else:
            data = dither_row(bytes(g), y)
        data += self.pad
        if len(self._cache) < 4096:
            self._cache[key] = data
        return data


# --- generated test document ----------------------------------------------

class GeneratedDocument:
    """A test page: page-number marks, lines of text-like strokes, gradients and
    a photo-like area.  Page n differs from page n+1 (marks and photo phase),
    and the same (geometry, n) always gives the same bytes."""

    def __init__(self, geometry, number):
        self.g = geometry
        self.n = number
        w = geometry.width
        self.white = b"\xff" * w
        self.white_rgb = (self.white, self.white, self.white)

    def rows(self):
        g = self.g
        h, w, dpi = g.height, g.width, g.dpi
        fmt = RowFormatter(g)
        bands = self._bands(h, w, dpi)
        out = []
        for y in range(h):
            channels = self.white_rgb
            for top, bottom, painter in bands:
                if top <= y < bottom:
                    channels = painter(y - top, bottom - top)
                    break
            out.append(fmt.row(channels, y))
        return out

    def _bands(self, h, w, dpi):
        def at(fraction):
            return int(h * fraction)
        return [
            (at(0.02), at(0.02) + max(dpi // 8, 2), self._marks_painter(w, dpi)),
            (at(0.06), at(0.36), self._text_painter(w, dpi)),
            (at(0.38), at(0.46), self._grey_ramp_painter(w)),
            (at(0.47), at(0.55), self._hue_ramp_painter(w)),
            (at(0.56), at(0.62), self._vertical_ramp_painter()),
            (at(0.64), at(0.92), self._photo_painter(w)),
        ]

    def _solid(self, value):
        row = bytes([value]) * self.g.width
        return (row, row, row)

    @staticmethod
    def _runs(width, runs, background=0xFF):
        """A channel row from (start, length, value) runs on a background."""
        row = bytearray([background]) * width
        for start, length, value in runs:
            end = min(width, start + length)
            if start < end:
                row[start:end] = bytes([value]) * (end - start)
        return bytes(row)

    def _marks_painter(self, w, dpi):
        # n black squares from the left, one grey bar at the right: shows the
        # page number and catches left-right flips at a glance.
        side = max(dpi // 8, 2)
        runs = [(side // 2 + i * side * 3 // 2, side, 0x00) for i in range(min(self.n, 40))]
        runs.append((w - w // 5, w // 10, 0x80))
        row = self._runs(w, runs)
        channels = (row, row, row)
        return lambda dy, height: channels

    def _text_painter(self, w, dpi):
        pitch = max(dpi // 6, 6)           # about 12 pt lines
        glyph_h = max(pitch * 3 // 5, 4)
        stroke = max(dpi // 100, 1)
        glyph_w = max(glyph_h * 3 // 5, 3)
        rng = random.Random(1000 + self.n)
        lines = []
        for _ in range(7):
            stems, bars = [], []
            x = w // 12
            right = w - w // 12
            while x < right:
                for _ in range(rng.randint(2, 9)):
                    if x + glyph_w > right:
                        break
                    stems.append((x, stroke, 0x10))
                    if rng.random() < 0.6:
                        stems.append((x + glyph_w - stroke, stroke, 0x10))
                    bars.append((x, glyph_w, 0x10))
                    x += glyph_w + stroke * 2
                x += glyph_w
            ink = self._runs(w, stems)
            bar = self._runs(w, bars)
            # dark blue ink in colour, near black in grey (green channel)
            lines.append(((ink.replace(b"\x10", b"\x20"), ink, ink.replace(b"\x10", b"\x70")),
                          (bar.replace(b"\x10", b"\x20"), bar, bar.replace(b"\x10", b"\x70"))))
        white = self.white_rgb

        def paint(dy, height):
            line, row_in_line = divmod(dy, pitch)
            if row_in_line >= glyph_h:
                return white
            stem_row, bar_row = lines[line % len(lines)]
            if row_in_line < stroke or glyph_h // 2 <= row_in_line < glyph_h // 2 + stroke \
                    or row_in_line >= glyph_h - stroke:
                return bar_row
            return stem_row
        return paint

    def _grey_ramp_painter(self, w):
        ramp = bytes(x * 255 // max(w - 1, 1) for x in range(w))
        channels = (ramp, ramp, ramp)
        return lambda dy, height: channels

    def _hue_ramp_painter(self, w):
        up = bytes(x * 255 // max(w - 1, 1) for x in range(w))
        down = up[::-1]
        mid = bytes([0x80]) * w
        channels = (up, mid, down)
        # second half of the band: the channels swapped, grey changes too
        swapped = (mid, up, down)
        return lambda dy, height: channels if dy < height // 2 else swapped

    def _vertical_ramp_painter(self):
        solids = {}

        def paint(dy, height):
            value = dy * 255 // max(height - 1, 1)
            if value not in solids:
                solids[value] = self._solid(value)
            return solids[value]
        return paint

    def _photo_painter(self, w):
        left, right = w // 10, w - w // 10
        pw = right - left
        if pw <= 0:
            return lambda dy, height: self.white_rgb

        def wave(period, lo, hi):
            span = (hi - lo) / 2.0
            return bytes(int(lo + span + span * math.sin(2 * math.pi * x / period))
                         for x in range(2 * pw))
        red = wave(max(pw / 3.0, 2), 30, 240)
        green = wave(max(pw / 5.0, 2), 40, 220)
        blue = wave(max(pw / 2.0, 2), 20, 200)
        edge_l, edge_r = self.white[:left], self.white[:w - right]
        phase = self.n * 37

        def paint(dy, height):
            # each channel slides at its own speed: smooth blobs, no two rows alike
            r = red[(dy * 3 + phase) % pw:][:pw]
            g = green[(dy + phase) % pw:][:pw]
            b = blue[(pw - (dy * 2) % pw) % pw:][:pw]
            return (edge_l + r + edge_r, edge_l + g + edge_r, edge_l + b + edge_r)
        return paint


# --- PNM input ------------------------------------------------------------

class PnmImage:
    """A binary PBM (P4), PGM (P5) or PPM (P6) file with maxval 255."""

    def __init__(self, path):
        with open(path, "rb") as f:
            data = f.read()
        self.path = path
        self.magic, self.width, self.height, self.maxval, offset = self._parse_header(data)
        if self.magic == b"P4":
            self.row_len = (self.width + 7) // 8
        else:
            self.row_len = self.width * (3 if self.magic == b"P6" else 1)
        need = self.row_len * self.height
        if len(data) - offset < need:
            raise ValueError("%s: %d bytes of pixel data, %d expected"
                             % (path, len(data) - offset, need))
        self.data = data[offset:offset + need]

    @staticmethod
    def _parse_header(data):
        magic = data[:2]
        if magic not in (b"P4", b"P5", b"P6"):
            raise ValueError("not a binary PNM file (P4, P5 or P6)")
        fields, pos = [], 2
        wanted = 2 if magic == b"P4" else 3
        while len(fields) < wanted:
            while pos < len(data) and data[pos:pos + 1].isspace():
                pos += 1
            if data[pos:pos + 1] == b"#":
                while pos < len(data) and data[pos:pos + 1] not in (b"\n", b"\r"):
                    pos += 1
                continue
            start = pos
            while pos < len(data) and data[pos:pos + 1].isdigit():
                pos += 1
            if start == pos:
                raise ValueError("bad PNM header")
            fields.append(int(data[start:pos]))
        pos += 1  # the single white-space byte before the pixels
        width, height = fields[0], fields[1]
        maxval = fields[2] if magic != b"P4" else 1
        if width <= 0 or height <= 0:
            raise ValueError("bad PNM size %dx%d" % (width, height))
        if magic != b"P4" and maxval != 255:
            raise ValueError("only maxval 255 is supported, not %d" % maxval)
        return magic, width, height, maxval, pos

    def _channel_rows(self, y):
        """(r, g, b) channel rows of image row y; g is the grey rendition."""
        row = self.data[y * self.row_len:(y + 1) * self.row_len]
        if self.magic == b"P6":
            return row[0::3], row[1::3], row[2::3]
        if self.magic == b"P5":
            return row, row, row
        bits = bin(int.from_bytes(row, "big") | (1 << (8 * len(row))))[3:][:self.width]
        # PBM: 1 is black
        grey = bits.encode("ascii").translate(_PBM_TO_GREY)
        return grey, grey, grey

    def rows(self, geometry):
        fmt = geometry.mode
        pad = bytes(geometry.stride - exact_row_bytes(geometry.width, fmt))
        out = []
        for y in range(self.height):
            r, g, b = self._channel_rows(y)
            if fmt == COLOUR:
                data = interleave_rgb(r, g, b)
            elif fmt == GREY:
                data = g if self.magic != b"P6" else _luminance(r, g, b)
            else:
                grey = g if self.magic != b"P6" else _luminance(r, g, b)
                data = _pack_bits(grey.translate(_threshold_table(128)), self.width)
            out.append(data + pad)
        return out


_PBM_TO_GREY = bytes(0xFF if c == 0x30 else 0x00 for c in range(256))


def _luminance(r, g, b):
    return bytes((77 * rv + 151 * gv + 28 * bv) >> 8 for rv, gv, bv in zip(r, g, b))


# --- page factory with a bounded cache -----------------------------------

class PageFactory:
    """Makes page images for a page source and keeps recent ones.

    source: "generated" or a list of PNM paths (page n uses file (n-1) mod count).
    """

    def __init__(self, source="generated", cache_bytes=768 << 20):
        self.pnm = []
        if source != "generated":
            self.pnm = [PnmImage(path) for path in source]
        self.cache_bytes = cache_bytes
        self._cache = OrderedDict()
        self._cached_total = 0
        self._lock = threading.Lock()
        self._building = {}

    def pixel_size(self, number, default_size):
        """(width, height) of page `number`: the PNM file's own size, else default_size."""
        if self.pnm:
            image = self.pnm[(number - 1) % len(self.pnm)]
            return image.width, image.height
        return default_size

    def page(self, geometry, number):
        key = (geometry, number if not self.pnm else (number - 1) % len(self.pnm))
        with self._lock:
            data = self._cache.get(key)
            if data is not None:
                self._cache.move_to_end(key)
                return data
            # Two sessions asking for the same new page build it once.
            event = self._building.get(key)
            owner = event is None
            if owner:
                event = self._building[key] = threading.Event()
        if not owner:
            event.wait()
            return self.page(geometry, number)
        try:
            data = self._build(geometry, number)
            with self._lock:
                self._store(key, data)
        finally:
            with self._lock:
                del self._building[key]
            event.set()
        return data

    def _build(self, geometry, number):
        if self.pnm:
            rows = self.pnm[(number - 1) % len(self.pnm)].rows(geometry)
        else:
            rows = GeneratedDocument(geometry, number).rows()
        data = b"".join(rows)
        assert len(data) == page_bytes(geometry)
        return data

    def _store(self, key, data):
        self._cache[key] = data
        self._cached_total += len(data)
        while self._cached_total > self.cache_bytes and len(self._cache) > 1:
            _, old = self._cache.popitem(last=False)
            self._cached_total -= len(old)


def to_pnm(geometry, data):
    """The page as a PNM file: P6, P5 or P4 (PBM bit 1 is black, so bits are inverted)."""
    exact = exact_row_bytes(geometry.width, geometry.mode)
    magic = {COLOUR: b"P6", GREY: b"P5", BILEVEL: b"P4"}[geometry.mode]
    header = b"%s\n%d %d\n" % (magic, geometry.width, geometry.height)
    if geometry.mode != BILEVEL:
        header += b"255\n"
    mv = memoryview(data)
    if exact == geometry.stride:
        pixels = bytes(mv)
    else:
        pixels = b"".join(mv[y * geometry.stride:y * geometry.stride + exact]
                          for y in range(geometry.height))
    if geometry.mode == BILEVEL:
        pixels = pixels.translate(_INVERT)
    return header + pixels


_INVERT = bytes(255 - v for v in range(256))
