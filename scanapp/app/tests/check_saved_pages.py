#!/usr/bin/env python3
"""Checks the files the scan utility saved under Wine against the pages the
simulator sent, with decoders that share no code with ours: ImageMagick
(libtiff) for TIFF, poppler's pdfimages for PDF, djpeg for JPEG, qpdf for
every PDF's structure. usage: check_saved_pages.py FOLDER (with manifest.txt)
"""
import math
import os
import subprocess
import sys
import tempfile


def run(args):
    return subprocess.run(args, check=True, capture_output=True).stdout


def parse_pnm(data):
    fields, at = [], 2
    while len(fields) < (2 if data[1:2] == b"4" else 3):
        while data[at:at + 1].isspace():
            at += 1
        start = at
        while not data[at:at + 1].isspace():
            at += 1
        fields.append(int(data[start:at]))
    return data[1:2], fields[0], fields[1], data[at + 1:]


def decoded(path, index, kind, work):
    """The page's samples, one byte each, grey or RGB as `kind` says."""
    ext = os.path.splitext(path)[1].lower()
    if ext == ".tif":
        run(["tiffinfo", path])
        return run(["convert", f"{path}[{index}]", "-depth", "8", f"{kind}:-"])
    if ext == ".pdf":
        run(["qpdf", "--check", path])
        prefix = os.path.join(work, "img")
        page = str(index + 1)
        run(["pdfimages", "-f", page, "-l", page, path, prefix])
        (name,) = [n for n in os.listdir(work) if n.startswith("img-")]
        with open(os.path.join(work, name), "rb") as f:
            data = f.read()
        os.remove(os.path.join(work, name))
    else:
        data = run(["djpeg", "-pnm", path])
    magic, _, _, pixels = parse_pnm(data)
    if magic == b"6" and kind == "gray":
        pixels = pixels[::3]
    return pixels


def psnr(a, b):
    if len(a) != len(b) or not a:
        return 0.0
    mse = sum((x - y) * (x - y) for x, y in zip(a, b)) / len(a)
    return 99.0 if mse == 0 else 10 * math.log10(255 * 255 / mse)


def main(folder):
    failures = checked = 0
    with open(os.path.join(folder, "manifest.txt")) as manifest:
        entries = [line.rstrip("\n").split("\t") for line in manifest if line.strip()]
    for rel, index, raw, width, height, kind, mode in entries:
        path = os.path.join(folder, rel)
        where = f"{rel} page {int(index) + 1}"
        try:
            if kind == "mrc":
                run(["qpdf", "--check", path])
                info = run(["pdfinfo", path]).decode()
                pages = [l.split()[-1] for l in info.splitlines() if l.startswith("Pages:")]
                assert pages == [index], f"{where}: {pages} pages"
                run(["pdftoppm", "-r", "30", path, os.path.join(tempfile.gettempdir(), "mrc")])
            else:
                with open(os.path.join(os.path.dirname(path), raw), "rb") as f:
                    sent = f.read()
                with tempfile.TemporaryDirectory() as work:
                    got = decoded(path, int(index), kind, work)
                if mode == "exact":
                    assert got == sent, f"{where}: pixels differ ({len(got)} vs {len(sent)} bytes)"
                else:
                    quality = psnr(got, sent)
                    assert quality >= 30, f"{where}: PSNR {quality:.1f} dB"
            checked += 1
        except (AssertionError, subprocess.CalledProcessError, ValueError) as e:
            failures += 1
            print(f"FAIL {where}: {e}")
    print(f"{checked} pages checked, {failures} failed")
    return 1 if failures or not entries else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
