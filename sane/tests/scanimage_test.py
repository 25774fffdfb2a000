#!/usr/bin/env python3
"""scanimage, through SANE's dll backend, scanning from the simulator with
libsane-corvnet: device listing, one page per mode compared with the bytes the
server sent, scan areas cut client-side, a feeder batch, server failures and an
unreachable server.

usage: scanimage_test.py --backend-dir DIR --source-dir DIR [--preload SANITIZER_RUNTIME]
"""

import argparse
import json
import math
import os
import signal
import socket
import subprocess
import sys
import tempfile
import time
import urllib.request

failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAIL:", what, flush=True)


class Simulator:
    def __init__(self, source_dir, state_dir):
        self.ctl = os.path.join(source_dir, "tests", "sim", "simulator-ctl")
        self.state = state_dir
        subprocess.run([self.ctl, "start", state_dir], check=True)
        with open(os.path.join(state_dir, "port")) as f:
            self.port = int(f.read())
        self.url = "http://127.0.0.1:%d" % self.port

    def stop(self):
        subprocess.run([self.ctl, "stop", self.state])

    def get(self, path):
        with urllib.request.urlopen(self.url + path) as r:
            return r.read()

    def state_json(self):
        return json.loads(self.get("/__control/state"))

    def scenario(self, *args):
        req = urllib.request.Request(self.url + "/__control/scenario",
                                     data=json.dumps({"args": list(args)}).encode(),
                                     headers={"Content-Type": "application/json"})
        urllib.request.urlopen(req).read()


def read_pnm(path):
    """Header fields and pixel bytes of a binary PNM (P4, P5, P6)."""
    data = open(path, "rb").read()
    fields, pos = [], 0
    want = 3 if data[:2] == b"P4" else 4
    while len(fields) < want:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos) + 1
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end].decode())
        pos = end
    return fields[0], int(fields[1]), int(fields[2]), data[pos + 1:]


def px(mm, dpi):
    return int(math.floor(mm / 25.4 * dpi + 0.5))


def expected_rows(page_bytes, page, area):
    """The server page cut to area (left, top, width, height) as SANE rows."""
    left, top, width, height = area
    stride, mode = page["stride"], page["mode"]
    out = bytearray()
    for y in range(top, top + height):
        row = page_bytes[y * stride:(y + 1) * stride]
        if mode == 2:
            bits = "".join(format(b, "08b") for b in row)[left:left + width]
            # The server's 1 is white; SANE's is black. Bits past the width are 0.
            black = "".join("1" if c == "0" else "0" for c in bits)
            black += "0" * (-len(black) % 8)
            out += int(black, 2).to_bytes(len(black) // 8, "big")
        else:
            bpp = 3 if mode == 0 else 1
            out += row[left * bpp:(left + width) * bpp]
    return bytes(out)


def identify(path):
    r = subprocess.run(["identify", "-format", "%w %h", path], capture_output=True, text=True)
    return r.stdout.strip() if r.returncode == 0 else "identify failed: " + r.stderr


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--backend-dir", required=True)
    ap.add_argument("--source-dir", required=True)
    ap.add_argument("--preload", help="sanitizer runtime for a sanitizer build of the backend")
    args = ap.parse_args()

    work = tempfile.mkdtemp(prefix="corvnet-sane-")
    sim = Simulator(args.source_dir, os.path.join(work, "sim"))
    try:
        run_checks(args, work, sim)
    finally:
        sim.stop()
    if failures:
        print("%d check(s) failed" % len(failures))
        return 1
    print("all checks passed")
    return 0


def run_checks(args, work, sim):
    conf = os.path.join(work, "conf")
    os.makedirs(conf)
    # A closed port for the unreachable server.
    s = socket.socket()
    s.bind(("127.0.0.1", 0))
    dead = "http://127.0.0.1:%d" % s.getsockname()[1]
    s.close()
    with open(os.path.join(conf, "corvnet.conf"), "w") as f:
        f.write("# scan servers\n%s\n\n%s   # nobody listens here\n" % (sim.url, dead))
    with open(os.path.join(conf, "dll.conf"), "w") as f:
        f.write("corvnet\n")
    env = dict(os.environ, SANE_CONFIG_DIR=conf, LD_LIBRARY_PATH=args.backend_dir)
    env.pop("SANE_DEBUG_CORVNET", None)
    if args.preload:
        env["LD_PRELOAD"] = args.preload
    device = "corvnet:" + sim.url

    def scanimage(*opts, timeout=120):
        return subprocess.run(["scanimage", "-d", device] + list(opts), env=env,
                              capture_output=True, timeout=timeout)

    r = subprocess.run(["scanimage", "-L"], env=env, capture_output=True, text=True, timeout=60)
    check(r.returncode == 0 and ("`%s'" % device) in r.stdout and ("corvnet:" + dead) in r.stdout,
          "scanimage -L lists both configured servers: %r %r" % (r.stdout, r.stderr))

    def last_job():
        jobs = sim.state_json()["jobs"]
        jobs = jobs if isinstance(jobs, list) else list(jobs.values())
        return max(jobs, key=lambda j: j["session"])

    def compare_pages(job, files, area_mm, what):
        check(len(job["pages"]) == len(files), "%s: %d pages scanned, %d files"
              % (what, len(job["pages"]), len(files)))
        for page, path in zip(job["pages"], files):
            raw = sim.get("/__control/page?session=%d&page=%d" % (job["session"], page["number"]))
            dpi = page["dpi"]
            if area_mm is None:
                area = (0, 0, page["width"], page["height"])
            else:
                l, t, r_, b = area_mm
                area = (px(l, dpi), px(t, dpi), px(r_, dpi) - px(l, dpi), px(b, dpi) - px(t, dpi))
            magic, w, h, pixels = read_pnm(path)
            want_magic = {0: "P6", 1: "P5", 2: "P4"}[page["mode"]]
            check((magic, w, h) == (want_magic, area[2], area[3]),
                  "%s page %d: header %s %dx%d, want %s %dx%d"
                  % (what, page["number"], magic, w, h, want_magic, area[2], area[3]))
            check(pixels == expected_rows(raw, page, area),
                  "%s page %d: pixels equal the server's page" % (what, page["number"]))
            check(identify(path) == "%d %d" % (area[2], area[3]),
                  "%s page %d: ImageMagick reads %s" % (what, page["number"], identify(path)))
        check(job["closed_by"] == "END_JOB" and not job["open"], "%s: job ended with END_JOB (%s)"
              % (what, job.get("closed_by")))
        check(len(job["heartbeats"]) > 0, "%s: the job was kept alive with heartbeats" % what)

    # One page per mode, whole area and cut areas; the left edge of the
    # lineart cut is not on a byte boundary.
    cases = [
        ("Color", 300, None),
        ("Gray", 300, None),
        ("Lineart", 300, None),
        ("Gray", 200, (10.0, 20.0, 60.0, 50.0)),
        ("Lineart", 300, (10.0, 20.0, 60.5, 50.0)),
        ("Color", 400, (0.0, 0.0, 30.0, 40.0)),
    ]
    mode_codes = {"Color": 0, "Gray": 1, "Lineart": 2}
    for mode, dpi, area in cases:
        what = "%s %d dpi %s" % (mode, dpi, area or "whole page")
        out = os.path.join(work, "page.pnm")
        opts = ["--mode", mode, "--resolution", str(dpi), "--format=pnm", "-o", out]
        if area:
            l, t, r_, b = area
            opts += ["-l", str(l), "-t", str(t), "-x", str(r_ - l), "-y", str(b - t)]
        r = scanimage(*opts)
        check(r.returncode == 0, "%s: scanimage exit %d: %s" % (what, r.returncode, r.stderr[-400:]))
        job = last_job()
        p = job["params"]
        check((p["X_COLOR_MODE"], p["X_RESOLUTION"], p["X_PAPER_PLACE"])
              == (mode_codes[mode], [200, 300, 400, 600].index(dpi), 0),
              "%s: BEGIN_JOB parameters %r" % (what, p))
        compare_pages(job, [out], area, what)

    # A feeder stack of five sheets: five files, then the empty feeder.
    sim.scenario("--feeder-sheets", "5")
    pattern = os.path.join(work, "sheet%d.pnm")
    r = scanimage("--source", "ADF", "--mode", "Gray", "--resolution", "200", "--format=pnm",
                  "--batch=" + pattern)
    files = [pattern % i for i in range(1, 6)]
    check(r.returncode == 0, "feeder batch: exit %d: %s" % (r.returncode, r.stderr[-400:]))
    check(all(os.path.exists(f) for f in files) and not os.path.exists(pattern % 6),
          "feeder batch wrote sheet1..5 and no more: %s" % sorted(os.listdir(work)))
    job = last_job()
    check(job["params"]["X_PAPER_PLACE"] == 1, "feeder batch asks for the feeder")
    check(job["commands"].count("BEGIN_JOB") == 1 and job["commands"].count("BEGIN_SCANPAGE") == 1,
          "feeder batch is one job with one BEGIN_SCANPAGE: %s" % job["commands"])
    if all(os.path.exists(f) for f in files):
        compare_pages(job, files, None, "feeder batch")

    # Server failures: a temporary condition is waited out, a hard one ends
    # the job with the nearest SANE status and the server's message.
    sim.scenario("--result", "READY_BEGIN_JOB=16401:recover=1:times=2")
    r = scanimage("--mode", "Gray", "--resolution", "200", "--format=pnm", "-o", os.path.join(work, "w.pnm"))
    job = last_job()
    asks = [q["time"] for q in json.loads(sim.get("/__control/requests"))
            if q.get("command") == "READY_BEGIN_JOB" and str(q.get("session")) == str(job["session"])]
    check(r.returncode == 0 and len(asks) == 3 and min(b - a for a, b in zip(asks, asks[1:])) >= 0.45,
          "a recoverable result is asked again after the pause: exit %d, times %s" % (r.returncode, asks))
    sim.scenario("--data-byte-zero", "2")
    out = os.path.join(work, "z.pnm")
    r = scanimage("--mode", "Gray", "--resolution", "200", "--format=pnm", "-o", out)
    job = last_job()
    asks = [q for q in json.loads(sim.get("/__control/requests"))
            if q.get("command") == "GET_IMAGE" and str(q.get("session")) == str(job["session"])]
    check(r.returncode == 0 and len(asks) == 3, "image not ready twice: exit %d, %d GET_IMAGE"
          % (r.returncode, len(asks)))
    if r.returncode == 0:
        compare_pages(job, [out], None, "image not ready twice")
    failure_cases = [
        ("BEGIN_SCANPAGE=16403", "Device busy", "16403"),
        ("READY_SCANPAGE=45662", "Document feeder jammed", "45662"),
        ("BEGIN_JOB=16430", "Invalid argument", "16430"),
    ]
    for injection, sane_text, code in failure_cases:
        sim.scenario("--result", injection)
        r = scanimage("--format=pnm", "-o", os.path.join(work, "x.pnm"))
        err = r.stderr.decode(errors="replace")
        check(r.returncode != 0 and sane_text in err and ("server result " + code) in err,
              "%s: exit %d, stderr %r" % (injection, r.returncode, err[-400:]))
        check(not sim.state_json()["open_jobs"], "%s leaves no job open" % injection)
    # Image streams that end early.
    for injection, text in [(["--short-data", "1000"], "broke off"),
                            (["--drop-at", "GET_IMAGE:byte=5000"], "broke off")]:
        sim.scenario(*injection)
        r = scanimage("--mode", "Gray", "--resolution", "200", "--format=pnm", "-o", os.path.join(work, "s.pnm"))
        err = r.stderr.decode(errors="replace")
        check(r.returncode != 0 and text in err and "Error during device I/O" in err,
              "%s: exit %d, stderr %r" % (injection, r.returncode, err[-400:]))
        check(not sim.state_json()["open_jobs"], "%s leaves no job open" % injection)

    # Ctrl-C in the middle of a slow image: the server is told, and quickly.
    sim.scenario("--image-rate", "200000")
    p = subprocess.Popen(["scanimage", "-d", device, "--mode", "Gray", "--resolution", "200",
                          "--format=pnm", "-o", os.path.join(work, "c.pnm")], env=env,
                         stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    for _ in range(200):
        job = last_job() if sim.state_json()["jobs"] else None
        if job and job["pages"] and job["pages"][0].get("bytes_sent", 0) > 0:
            break
        time.sleep(0.05)
    started = time.time()
    p.send_signal(signal.SIGINT)
    try:
        p.wait(timeout=30)
    except subprocess.TimeoutExpired:
        p.kill()
        p.wait()
    job = last_job()
    check(time.time() - started < 5 and job["commands"][-2:] == ["CANCEL_GET_IMAGE", "END_JOB"],
          "cancel inside the image: %.1f s, commands %s" % (time.time() - started, job["commands"]))
    sim.scenario()

    # Nobody at the address: a clear message and a failing exit.
    r = subprocess.run(["scanimage", "-d", "corvnet:" + dead, "--format=pnm", "-o",
                        os.path.join(work, "dead.pnm")], env=env, capture_output=True, timeout=60)
    err = r.stderr.decode(errors="replace")
    check(r.returncode != 0 and "cannot reach the scan server" in err,
          "unreachable server: exit %d, stderr %r" % (r.returncode, err))

    r = scanimage("-T", timeout=300)
    out = (r.stdout + r.stderr).decode(errors="replace")
    check(r.returncode == 0 and "FAILED" not in out.upper(), "scanimage -T: exit %d: %s"
          % (r.returncode, out[-600:]))
    check(not sim.state_json()["open_jobs"], "no job left open at the end")


if __name__ == "__main__":
    sys.exit(main())
