#!/usr/bin/env python3
"""Compares every page of the demo's PDF with the page the simulator sent
for it, with decoders we did not write: qpdf for the structure, poppler's
pdfimages for the page's picture, ImageMagick for the PSNR. Pages are
matched in the order the simulator scanned them.

usage: check_demo_pages.py PORT PDF [MIN_PSNR_DB]
"""
import json
import os
import subprocess
import sys
import tempfile
import urllib.request

COLOUR = 0


def fetch(port, path):
    with urllib.request.urlopen(f"http://127.0.0.1:{port}/__control/{path}") as reply:
        return reply.read()


def sent_pages(port):
    state = json.loads(fetch(port, "state"))
    for job in sorted(state["jobs"], key=lambda j: j["session"]):
        for page in job["pages"]:
            if page.get("bytes_sent") == page["bytes"]:
                yield job["session"], page


def as_pnm(page, data):
    """The rows the server sent, without their padding, as PPM or PGM."""
    width, height, stride = page["width"], page["height"], page["stride"]
    channels = 3 if page["mode"] == COLOUR else 1
    if stride < width * channels or len(data) < stride * height:
        raise ValueError(f"page {page['number']}: {len(data)} bytes for {height} rows of {stride}")
    rows = b"".join(data[y * stride:y * stride + width * channels] for y in range(height))
    magic = b"P6" if channels == 3 else b"P5"
    return magic + f"\n{width} {height}\n255\n".encode() + rows


def psnr(a, b):
    # compare prints the metric on stderr and exits 1 when the images differ.
    done = subprocess.run(["compare", "-metric", "PSNR", a, b, "null:"], capture_output=True)
    text = done.stderr.decode().split()[0] if done.stderr else ""
    if done.returncode > 1 or not text:
        raise ValueError(f"compare failed: {done.stderr.decode().strip()}")
    return float("inf") if text == "inf" else float(text)


def main(port, pdf, floor):
    subprocess.run(["qpdf", "--check", pdf], check=True, capture_output=True)
    pages = list(sent_pages(port))
    failures = 0
    with tempfile.TemporaryDirectory() as work:
        for index, (session, page) in enumerate(pages, 1):
            sent = os.path.join(work, "sent.pnm")
            with open(sent, "wb") as f:
                f.write(as_pnm(page, fetch(port, f"page?session={session}&page={page['number']}")))
            prefix = os.path.join(work, "got")
            subprocess.run(["pdfimages", "-f", str(index), "-l", str(index), pdf, prefix],
                           check=True, capture_output=True)
            got = sorted(n for n in os.listdir(work) if n.startswith("got-"))
            if len(got) != 1:
                print(f"page {index}: {len(got)} pictures in the PDF page")
                failures += 1
            else:
                quality = psnr(sent, os.path.join(work, got[0]))
                ok = quality >= floor
                failures += not ok
                print(f"page {index}: {page['width']}x{page['height']} as sent, "
                      f"PSNR {quality:.1f} dB{'' if ok else ' (too low)'}")
            for name in got:
                os.remove(os.path.join(work, name))
    info = subprocess.run(["pdfinfo", pdf], check=True, capture_output=True).stdout.decode()
    in_pdf = int(next(l.split()[-1] for l in info.splitlines() if l.startswith("Pages:")))
    if in_pdf != len(pages):
        print(f"the simulator sent {len(pages)} pages, the PDF has {in_pdf}")
        failures += 1
    return 1 if failures or not pages else 0


if __name__ == "__main__":
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1], sys.argv[2], float(sys.argv[3]) if len(sys.argv) == 4 else 30.0))
