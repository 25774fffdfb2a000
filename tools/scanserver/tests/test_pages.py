"""Page images: PNM input conversions, bit order, determinism."""

import os
import shutil
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))

import pages  # noqa: E402


class PnmInputTests(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="scanserver-pages-")
        self.addCleanup(shutil.rmtree, self.dir, True)

    def write(self, name, content):
        path = os.path.join(self.dir, name)
        with open(path, "wb") as f:
            f.write(content)
        return path

    def test_conversions(self):
        # 10 x 2 images; PBM bit 1 is black, served bilevel bit 1 is white
        pbm = b"P4\n10 2\n" + bytes([0b10000000, 0b01000000, 0b00000000, 0b11000000])
        pgm = b"P5 10 2 255\n" + bytes(range(0, 250, 25)) + bytes(range(250, 0, -25))
        ppm = b"P6\n10 2\n255\n" + bytes([255, 255, 255] * 9 + [0, 0, 0]) + bytes([0, 255, 0] * 10)
        grey_of_pbm = bytes([0] + [255] * 8 + [0] + [255] * 8 + [0, 0])
        cases = [
            (pbm, pages.GREY, grey_of_pbm),
            (pbm, pages.BILEVEL, bytes([0b01111111, 0b10000000, 0b11111111, 0b00000000])),
            (pbm, pages.COLOUR, bytes(v for v in grey_of_pbm for _ in range(3))),
            (pgm, pages.GREY, pgm[12:]),
            (pgm, pages.BILEVEL, bytes([0b00000011, 0b11000000, 0b11111000, 0b00000000])),
            (ppm, pages.GREY, bytes([255] * 9 + [0] + [150] * 10)),
            (ppm, pages.COLOUR, ppm[12:]),
            (ppm, pages.BILEVEL, bytes([0b11111111, 0b10000000, 0b11111111, 0b11000000])),
        ]
        for content, mode, expected in cases:
            with self.subTest(magic=content[:2], mode=mode):
                factory = pages.PageFactory([self.write("in.pnm", content)])
                self.assertEqual(factory.pixel_size(1, (1, 1)), (10, 2))
                geometry = pages.make_geometry(10, 2, mode, 200, 1)
                self.assertEqual(factory.page(geometry, 1), expected)

    def test_padding_and_pnm_round_trip(self):
        path = self.write("in.pgm", b"P5\n# comment\n3 2\n255\n" + bytes([1, 2, 3, 4, 5, 6]))
        geometry = pages.make_geometry(3, 2, pages.GREY, 300, 4)
        data = pages.PageFactory([path]).page(geometry, 7)
        self.assertEqual(data, bytes([1, 2, 3, 0, 4, 5, 6, 0]))
        self.assertEqual(pages.to_pnm(geometry, data), b"P5\n3 2\n255\n" + bytes([1, 2, 3, 4, 5, 6]))

    def test_bad_files_refused(self):
        for content in (b"P3\n1 1\n255\n0 0 0\n", b"P5\n2 2\n65535\n" + bytes(8), b"P6\n4 4\n255\n" + bytes(5),
                        b"P5\n0 3\n255\n"):
            with self.subTest(content=content[:12]):
                with self.assertRaises(ValueError):
                    pages.PnmImage(self.write("bad.pnm", content))


class GeneratedPageTests(unittest.TestCase):
    def test_deterministic_and_numbered(self):
        for mode in (pages.COLOUR, pages.GREY, pages.BILEVEL):
            with self.subTest(mode=mode):
                g = pages.make_geometry(413, 585, mode, 100, 4)
                first = pages.PageFactory().page(g, 1)
                self.assertEqual(len(first), pages.page_bytes(g))
                self.assertEqual(first, pages.PageFactory().page(g, 1))
                self.assertNotEqual(first, pages.PageFactory().page(g, 2))
                # padding bytes at the end of each row stay zero
                pad = g.stride - pages.exact_row_bytes(g.width, mode)
                if pad:
                    self.assertTrue(all(first[y * g.stride - pad:y * g.stride] == bytes(pad)
                                        for y in range(1, g.height + 1)))

    def test_dither_bit_order(self):
        # black, white, then grey levels: MSB is the leftmost pixel, 1 is white
        row = bytes([0, 255, 0, 255, 0, 0, 0, 0, 255])
        self.assertEqual(pages.dither_row(row, 0), bytes([0b01010000, 0b10000000]))


if __name__ == "__main__":
    unittest.main()
