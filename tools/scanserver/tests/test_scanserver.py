"""Tests of the scan server simulator, driven over HTTP as a client would."""

import base64
import http.client
import json
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
SERVER = os.path.join(os.path.dirname(HERE), "scanserver.py")
CMD_PATH = "/cgi-bin/scanner.dll"
HEADERS = {"Content-Type": "application/x-www-form-urlencoded", "Pragma": "no-chace",
           "X-VELT-Language": "Japanese"}
JOB_FIELDS = [
    ("X_CLIENT", "2-WinNTService Pack 2(5.1.2600)"), ("X_USERNAME", "a%26b c"), ("X_PASSWORD", "p+w"),
    ("X_PAPER_PLACE", "0"), ("X_SCAN_FACE", "0"), ("X_COLOR_MODE", "0"), ("X_RESOLUTION", "0"),
    ("X_INPUTMEDIUMSIZE", "5"), ("X_IMAGE_WIDTH", "1000"), ("X_IMAGE_HEIGHT", "1000"),
    ("X_INPUTMEDIUMMIX", "0"), ("X_BRIGHTNESS", "0"), ("X_CONTRAST", "0"), ("X_SATURATION", "0"),
    ("X_SHARPNESS", "0"), ("X_ENABLEBACKGROUNDELIMINATION", "0"), ("X_BLEEDTHROUGHREMOVAL", "0"),
    ("X_PHOTOGRAPHS", "-1"), ("X_IMAGE_MODE", "2"), ("X_ISOTROPIC", "100"), ("X_EDGEERASE", "2"),
    ("X_OUTPUTMEDIUMSIZE", "0"),
]


def begin_job_body(**overrides):
    fields = [(k, str(overrides.get(k, v))) for k, v in JOB_FIELDS]
    return "X_PROTOCOL=120&X_COMMAND=BEGIN_JOB&" + "".join("%s=%s&" % kv for kv in fields)


def parse_reply(text):
    out = {}
    for line in text.split(b"\r\n"):
        key, sep, value = line.partition(b"=")
        if sep:
            out[key.decode()] = value.decode()
    return out


class Sim:
    """The simulator as a subprocess on a free port."""

    def __init__(self, *args, stop_after=60):
        self.proc = subprocess.Popen(
            [sys.executable, SERVER, "--port", "0", "--stop-after", str(stop_after)] + list(args),
            stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        line = self.proc.stdout.readline().decode()
        self.proxy_port = None
        if line.startswith("PROXY_PORT "):
            self.proxy_port = int(line.split()[1])
            line = self.proc.stdout.readline().decode()
        if not line.startswith("PORT "):
            self.proc.kill()
            raise RuntimeError("simulator did not start: %r %r" % (line, self.proc.stderr.read()))
        self.port = int(line.split()[1])
        self.conns = []

    def stop(self):
        for c in self.conns:
            c.close()
        if self.proc.poll() is None:
            self.proc.terminate()
        self.proc.wait(10)
        self.proc.stdout.close()
        self.proc.stderr.close()

    def conn(self):
        c = http.client.HTTPConnection("127.0.0.1", self.port, timeout=20)
        self.conns.append(c)
        return c

    def post(self, body, conn=None):
        """(HTTP status, raw body) of one command."""
        c = conn or self.conn()
        c.request("POST", CMD_PATH, body=body.encode("latin-1"), headers=HEADERS)
        resp = c.getresponse()
        data = resp.read()
        if conn is None:
            c.close()
        return resp.status, data

    def cmd(self, command, session, **extra):
        body = "X_PROTOCOL=120&X_COMMAND=%s&X_SESSION=%d" % (command, session)
        body += "".join("&%s=%s" % kv for kv in extra.items())
        status, data = self.post(body)
        assert status == 200, (command, status, data)
        return parse_reply(data)

    def get_json(self, name):
        c = self.conn()
        c.request("GET", "/__control/" + name)
        value = json.loads(c.getresponse().read())
        c.close()
        return value

    def begin(self, **overrides):
        reply = parse_reply(self.post(begin_job_body(**overrides))[1])
        return int(reply["Y_SESSION"])

    def to_page(self, **overrides):
        """A job up to an open image: (session, READY_SCANPAGE reply, BEGIN_GET_IMAGE reply)."""
        s = self.begin(**overrides)
        self.cmd("READY_BEGIN_JOB", s)
        self.cmd("BEGIN_SCANPAGE", s)
        ready = self.cmd("READY_SCANPAGE", s)
        return s, ready, self.cmd("BEGIN_GET_IMAGE", s)

    def get_image(self, session, start, count):
        return self.post("X_PROTOCOL=120&X_COMMAND=GET_IMAGE&X_SESSION=%d&X_PLANE=0"
                         "&X_START_BYTE=%d&X_REQUIRE_BYTE=%d" % (session, start, count))


class SimTestCase(unittest.TestCase):
    def sim(self, *args, **kw):
        s = Sim(*args, **kw)
        self.addCleanup(s.stop)
        return s

    def tmp(self):
        d = tempfile.mkdtemp(prefix="scanserver-test-")
        self.addCleanup(shutil.rmtree, d, True)
        return d


class ProtocolTests(SimTestCase):
    def test_path_file_variants(self):
        for args, body in (((), b"CGI_PATH=/cgi-bin/\r\n"), (("--cgi-path", "/cgi/"), b"CGI_PATH=/cgi/\r\n"),
                           (("--no-cgi-path",), b"SERVER=scan server simulator\r\n")):
            with self.subTest(args=args):
                s = self.sim(*args)
                c = s.conn()
                c.request("GET", "/CV_WebPath.txt")
                r = c.getresponse()
                self.assertEqual((r.status, r.read()), (200, body))
                self.assertEqual(r.getheader("Content-Length"), str(len(body)))

    def test_platen_job_replies_byte_exact_and_image_framing(self):
        s = self.sim()
        status, data = s.post(begin_job_body())
        self.assertEqual(data, b"Y_RESULT=0\r\nY_STATUS=0\r\nY_RECOVER=0\r\nY_SESSION=1\r\n"
                               b"Y_SCAN_AUTHENTIC=0\r\nY_DADF=1\r\n")
        expected = [
            ("READY_BEGIN_JOB", b"Y_READY=0\r\n"), ("BEGIN_SCANPAGE", b""),
            ("READY_SCANPAGE", b"Y_READY=0\r\nY_COLOR_MODE=0\r\nY_PIXEL_WIDTH=1654\r\nY_PIXEL_HEIGHT=2339\r\n"),
            ("BEGIN_GET_IMAGE", b"Y_ROWBYTES=%d\r\n" % (4964 * 2339)),
        ]
        for command, tail in expected:
            status, data = s.post("X_PROTOCOL=120&X_COMMAND=%s&X_SESSION=1" % command)
            self.assertEqual(data, b"Y_RESULT=0\r\nY_STATUS=0\r\nY_RECOVER=0\r\n" + tail, command)
        total = 4964 * 2339
        c = s.conn()
        c.request("POST", CMD_PATH, body="X_PROTOCOL=120&X_COMMAND=GET_IMAGE&X_SESSION=1&X_PLANE=0"
                  "&X_START_BYTE=0&X_REQUIRE_BYTE=%d" % total, headers=HEADERS)
        r = c.getresponse()
        head = b"Y_RESULT=0\r\nY_STATUS=0\r\nY_RECOVER=0\r\nY_DATA_BYTE=%d\r\nY_IMAGE_DATA=" % total
        self.assertEqual(int(r.getheader("Content-Length")), len(head) + total)
        body = r.read()
        self.assertEqual(body[:len(head)], head)
        c.request("GET", "/__control/page?session=1&page=1")
        self.assertEqual(body[len(head):], c.getresponse().read())
        self.assertEqual(s.cmd("END_JOB", 1)["Y_RESULT"], "0")
        self.assertEqual(s.get_json("state")["open_jobs"], [])

    def test_page_geometry_table(self):
        # (colour mode, resolution code, size code, custom w, h) -> width, height, stride
        s = self.sim()
        cases = [
            ((0, 3, 5, 0, 0), (4961, 7016, 14884)),     # A4 portrait 600 dpi colour, ~104 MB
            ((1, 1, 3, 0, 0), (4961, 3508, 4964)),      # A3 300 dpi grey
            ((2, 2, 4, 0, 0), (4677, 3307, 588)),       # A4 landscape 400 dpi bilevel
            ((2, 0, 2, 1005, 1500), (791, 1181, 100)),  # custom 100.5 x 150 mm
            ((0, 0, 0, 0, 0), (1654, 2339, 4964)),      # auto-detect: A4 portrait
            ((1, 0, 25, 0, 0), (1700, 2200, 1700)),     # letter portrait
        ]
        for (mode, res, size, w, h), (width, height, stride) in cases:
            with self.subTest(mode=mode, res=res, size=size):
                sess, ready, opened = s.to_page(X_COLOR_MODE=mode, X_RESOLUTION=res,
                                                X_INPUTMEDIUMSIZE=size, X_IMAGE_WIDTH=w, X_IMAGE_HEIGHT=h)
                self.assertEqual((int(ready["Y_PIXEL_WIDTH"]), int(ready["Y_PIXEL_HEIGHT"])), (width, height))
                self.assertEqual(int(opened["Y_ROWBYTES"]), stride * height)
                s.cmd("END_JOB", sess)

    def test_protocol_errors(self):
        s = self.sim()
        sess = s.begin()
        cases = [
            ("X_PROTOCOL=121&X_COMMAND=END_JOB&X_SESSION=%d" % sess, "1", "1"),
            ("X_COMMAND=END_JOB&X_SESSION=%d" % sess, "1", "1"),
            ("X_PROTOCOL=120&X_COMMAND=FLY&X_SESSION=%d" % sess, "1", "2"),
            ("X_PROTOCOL=120&X_COMMAND=END_JOB", "1", "3"),
            ("X_PROTOCOL=120&X_COMMAND=END_JOB&X_SESSION=x1", "1", "3"),
            ("X_PROTOCOL=120&X_COMMAND=END_JOB&X_SESSION=99", "1", "4"),
            ("X_PROTOCOL=120&X_COMMAND=BEGIN_SCANPAGE&X_SESSION=%d" % sess, "1", "5"),
            ("X_PROTOCOL=120&X_COMMAND=GET_IMAGE&X_SESSION=%d&X_PLANE=0&X_START_BYTE=0"
             "&X_REQUIRE_BYTE=1" % sess, "1", "5"),
            (begin_job_body().replace("X_CONTRAST=0&", ""), "1", "3"),
            (begin_job_body(X_RESOLUTION=4), "16430", "3"),
            (begin_job_body(X_INPUTMEDIUMSIZE=2, X_IMAGE_WIDTH=149), "16430", "3"),
            (begin_job_body(X_COLOR_MODE=3), "16430", "3"),
        ]
        for body, result, status in cases:
            with self.subTest(body=body[:60]):
                reply = parse_reply(s.post(body)[1])
                self.assertEqual((reply["Y_RESULT"], reply["Y_STATUS"], reply["Y_RECOVER"]),
                                 (result, status, "0"))
        self.assertEqual(s.get_json("state")["open_jobs"], [sess])

    def test_state_machine_order_and_cancels(self):
        s = self.sim()
        # CANCEL_BEGIN_JOB ends the job; the session is then unknown
        a = s.begin()
        self.assertEqual(s.cmd("CANCEL_BEGIN_JOB", a)["Y_RESULT"], "0")
        self.assertEqual(s.cmd("END_JOB", a)["Y_STATUS"], "4")
        # CANCEL_SCANPAGE goes back to a ready job, a page can begin again
        b = s.begin()
        s.cmd("READY_BEGIN_JOB", b)
        s.cmd("BEGIN_SCANPAGE", b)
        self.assertEqual(s.cmd("CANCEL_SCANPAGE", b)["Y_RESULT"], "0")
        self.assertEqual(s.cmd("BEGIN_GET_IMAGE", b)["Y_STATUS"], "5")
        s.cmd("BEGIN_SCANPAGE", b)
        self.assertEqual(s.cmd("READY_SCANPAGE", b)["Y_READY"], "0")
        # CANCEL_GET_IMAGE closes the image; GET_IMAGE is then out of order
        s.cmd("BEGIN_GET_IMAGE", b)
        self.assertEqual(s.cmd("CANCEL_GET_IMAGE", b)["Y_RESULT"], "0")
        reply = parse_reply(s.get_image(b, 0, 10)[1])
        self.assertEqual((reply["Y_RESULT"], reply["Y_STATUS"]), ("1", "5"))
        # platen: a second READY_SCANPAGE without BEGIN_SCANPAGE is out of order
        self.assertEqual(s.cmd("READY_SCANPAGE", b)["Y_STATUS"], "5")
        self.assertEqual(s.cmd("HEART_BEAT_JOB", b)["Y_RESULT"], "0")
        s.cmd("END_JOB", b)
        state = s.get_json("state")
        self.assertEqual(state["open_jobs"], [])
        self.assertEqual([j["closed_by"] for j in state["jobs"]], ["CANCEL_BEGIN_JOB", "END_JOB"])
        self.assertEqual(len(state["jobs"][1]["heartbeats"]), 1)

    def test_image_read_in_pieces(self):
        s = self.sim("--row-align", "1")
        sess, ready, opened = s.to_page(X_COLOR_MODE=2, X_INPUTMEDIUMSIZE=9)   # A6 portrait bilevel
        total = int(opened["Y_ROWBYTES"])
        self.assertEqual(total, (827 + 7) // 8 * 1165)
        pieces = []
        for start in range(0, total, 4000):
            status, data = s.get_image(sess, start, 4000)
            head, _, payload = data.partition(b"Y_IMAGE_DATA=")
            self.assertEqual(int(parse_reply(head)["Y_DATA_BYTE"]), len(payload))
            pieces.append(payload)
        c = s.conn()
        c.request("GET", "/__control/page?session=%d&page=1" % sess)
        self.assertEqual(b"".join(pieces), c.getresponse().read())
        # image fully fetched: the page is ready again, the platen may scan again
        self.assertEqual(s.cmd("BEGIN_SCANPAGE", sess)["Y_RESULT"], "0")

    def test_body_escapes_and_recording(self):
        rec = os.path.join(self.tmp(), "rec.jsonl")
        s = self.sim("--record", rec)
        sess = s.begin()
        c = s.conn()
        c.putrequest("POST", CMD_PATH, skip_accept_encoding=True)
        raw_headers = [("Content-Type", "application/x-www-form-urlencoded"), ("Pragma", "no-chace"),
                       ("X-VELT-Language", "Japanese"), ("Content-Length", "51")]
        for k, v in raw_headers:
            c.putheader(k, v)
        c.endheaders(b"X_PROTOCOL=120&X_COMMAND=HEART_BEAT_JOB&X_SESSION=1")
        c.getresponse().read()
        job = s.get_json("state")["jobs"][0]
        self.assertEqual((job["params"]["X_USERNAME"], job["params"]["X_PASSWORD"]), ("a&b c", "p+w"))
        with open(rec, encoding="utf-8") as f:
            records = [json.loads(line) for line in f]
        self.assertEqual([r["command"] for r in records], ["BEGIN_JOB", "HEART_BEAT_JOB"])
        last = records[1]
        self.assertEqual(last["headers"][1:], [list(h) for h in raw_headers])
        self.assertEqual((last["method"], last["path"], last["version"]), ("POST", CMD_PATH, "HTTP/1.1"))
        self.assertEqual(last["body"].encode("latin-1"), b"X_PROTOCOL=120&X_COMMAND=HEART_BEAT_JOB&X_SESSION=1")
        self.assertTrue(last["head_raw"].startswith("POST %s HTTP/1.1\r\nHost: 127.0.0.1:%d\r\n"
                                                    % (CMD_PATH, s.port)))
        self.assertTrue(last["head_raw"].endswith("Content-Length: 51\r\n\r\n"))
        self.assertEqual(records[0]["body"], begin_job_body())
        self.assertLessEqual(records[0]["time"], last["time"])
        self.assertEqual([r["seq"] for r in s.get_json("requests")], [1, 2])
        self.assertEqual(sess, 1)

    def test_keep_alive_and_http10(self):
        s = self.sim()
        c = s.conn()
        for _ in range(3):
            status, _ = s.post(begin_job_body(), conn=c)
            self.assertEqual(status, 200)
        self.assertEqual(len({r["client"][1] for r in s.get_json("requests")}), 1)
        raw = socket.create_connection(("127.0.0.1", s.port), timeout=10)
        body = b"X_PROTOCOL=120&X_COMMAND=HEART_BEAT_JOB&X_SESSION=1"
        raw.sendall(b"POST %s HTTP/1.0\r\nContent-Length: %d\r\n\r\n%s" % (CMD_PATH.encode(), len(body), body))
        answer = b""
        while True:                      # HTTP/1.0 without keep-alive: closed after the answer
            piece = raw.recv(65536)
            if not piece:
                break
            answer += piece
        raw.close()
        self.assertTrue(answer.endswith(b"\r\n\r\nY_RESULT=0\r\nY_STATUS=0\r\nY_RECOVER=0\r\n"))
        self.assertEqual(s.get_json("requests")[-1]["version"], "HTTP/1.0")

    def test_server_options_and_control(self):
        s = self.sim("--first-session", "500", "--detected-size", "3")
        sess, ready, _ = s.to_page(X_INPUTMEDIUMSIZE=0)
        self.assertEqual((sess, ready["Y_PIXEL_WIDTH"], ready["Y_PIXEL_HEIGHT"]), (500, "3307", "2339"))
        raw = socket.create_connection(("127.0.0.1", s.port), timeout=10)
        raw.sendall(b"GET CV_WebPath.txt HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n")
        self.assertTrue(raw.makefile("rb").read().endswith(b"\r\n\r\nCGI_PATH=/cgi-bin/\r\n"))
        raw.close()
        c = s.conn()
        c.request("DELETE", "/__control/requests")
        c.getresponse().read()
        self.assertEqual(s.get_json("requests"), [])
        c.request("POST", "/__control/shutdown")
        c.getresponse().read()
        self.assertEqual(s.proc.wait(10), 0)

    def test_bad_options_refused(self):
        for args in (["--http-status", "END_JOB=99"], ["--result", "END_JOB=Y_X"],
                     ["--drop-at", "GET_IMAGE:byte=-1"], ["--ready-wait", "END_JOB=1"],
                     ["--detected-size", "2"], ["--page-source", "pnm:/nonexistent.pnm"]):
            with self.subTest(args=args):
                run = subprocess.run([sys.executable, SERVER, "--stop-after", "5"] + args,
                                     capture_output=True, timeout=30)
                self.assertEqual((run.returncode, run.stdout), (2, b""))
                self.assertIn(b"error:", run.stderr)

    def test_stops_by_itself_and_refuses_bad_bodies(self):
        port_file = os.path.join(self.tmp(), "port")
        s = Sim("--port-file", port_file, stop_after=1.5)
        try:
            with open(port_file) as f:
                self.assertEqual(int(f.read()), s.port)
            for method, extra, status in ((b"POST", b"Content-Length: 2000000\r\n", b"413"),
                                          (b"POST", b"Transfer-Encoding: chunked\r\n", b"413"),
                                          (b"PUT", b"", b"501")):
                raw = socket.create_connection(("127.0.0.1", s.port), timeout=10)
                raw.sendall(b"%s %s HTTP/1.1\r\nHost: x\r\n%s\r\n" % (method, CMD_PATH.encode(), extra))
                self.assertTrue(raw.makefile("rb").readline().startswith(b"HTTP/1.1 %s " % status))
                raw.close()
            self.assertEqual([(r["method"], r["status"]) for r in s.get_json("requests")],
                             [("POST", 413), ("POST", 413), ("PUT", 501)])
            self.assertEqual(s.proc.wait(10), 0)
        finally:
            s.stop()


class FeederTests(SimTestCase):
    def run_feeder(self, s, **overrides):
        """Pages of a feeder job until READY_SCANPAGE fails; returns the page numbers and the last reply."""
        sess = s.begin(X_PAPER_PLACE=1, **overrides)
        s.cmd("READY_BEGIN_JOB", sess)
        s.cmd("BEGIN_SCANPAGE", sess)
        seen = []
        while True:
            ready = s.cmd("READY_SCANPAGE", sess)
            if ready["Y_RESULT"] != "0":
                # still empty when asked again
                self.assertEqual(s.cmd("READY_SCANPAGE", sess)["Y_RESULT"], "16409")
                break
            opened = s.cmd("BEGIN_GET_IMAGE", sess)
            s.get_image(sess, 0, int(opened["Y_ROWBYTES"]))
            seen.append(len(s.get_json("state")["jobs"][-1]["pages"]))
        s.cmd("END_JOB", sess)
        return seen, ready

    def test_stacks(self):
        for args, overrides, pages in (
                (("--feeder-sheets", "3"), {}, [1, 2, 3]),
                (("--feeder-sheets", "2"), {"X_SCAN_FACE": 1}, [1, 2, 3, 4]),
                (("--feeder-sheets", "0"), {}, [])):
            with self.subTest(args=args, overrides=overrides):
                s = self.sim(*args, "--stop-after", "60")
                seen, last = self.run_feeder(s, **overrides)
                self.assertEqual(seen, pages)
                self.assertEqual((last["Y_RESULT"], last["Y_RECOVER"]), ("16409", "1"))
                self.assertEqual(s.get_json("state")["open_jobs"], [])

    def test_pages_differ(self):
        s = self.sim("--feeder-sheets", "2")
        self.run_feeder(s, X_RESOLUTION=0, X_COLOR_MODE=1)
        c = s.conn()
        data = []
        for n in (1, 2):
            c.request("GET", "/__control/page?session=1&page=%d" % n)
            data.append(c.getresponse().read())
        self.assertEqual(len(data[0]), len(data[1]))
        self.assertNotEqual(data[0], data[1])

    def test_no_feeder(self):
        s = self.sim("--no-feeder")
        reply = parse_reply(s.post(begin_job_body(X_PAPER_PLACE=1))[1])
        self.assertEqual((reply["Y_RESULT"], reply["Y_DADF"]), ("16414", "0"))
        self.assertNotIn("Y_SESSION", reply)


class ScenarioTests(SimTestCase):
    def test_injected_results(self):
        # (options, command, replies as (Y_RESULT, Y_STATUS, Y_RECOVER) until it clears)
        cases = [
            (("--result", "READY_BEGIN_JOB=16401:recover=1:times=2"), "READY_BEGIN_JOB",
             [("16401", "0", "1"), ("16401", "0", "1"), ("0", "0", "0")]),
            (("--result", "READY_BEGIN_JOB=-1:status=-195:after=1"), "READY_BEGIN_JOB",
             [("0", "0", "0"), ("-1", "-195", "0"), ("0", "0", "0")]),
            (("--result", "READY_BEGIN_JOB=45662:recover=1:times=0"), "READY_BEGIN_JOB",
             [("45662", "0", "1")] * 4),
        ]
        for args, command, replies in cases:
            with self.subTest(args=args):
                s = self.sim(*args)
                sess = s.begin()
                got = [s.cmd(command, sess) for _ in replies]
                self.assertEqual([(r["Y_RESULT"], r["Y_STATUS"], r["Y_RECOVER"]) for r in got], replies)
        s = self.sim("--result", "BEGIN_JOB=16403:recover=1")
        reply = parse_reply(s.post(begin_job_body())[1])
        self.assertEqual((reply["Y_RESULT"], reply["Y_RECOVER"]), ("16403", "1"))
        self.assertEqual(s.get_json("state")["jobs"], [])   # an injected answer does not act

    def test_ready_sequences(self):
        s = self.sim("--ready-wait", "READY_BEGIN_JOB=2", "--ready-wait", "READY_SCANPAGE=1",
                     "--operator-wait", "2")
        sess = s.begin()
        self.assertEqual([s.cmd("READY_BEGIN_JOB", sess)["Y_READY"] for _ in range(3)], ["1", "1", "0"])
        s.cmd("BEGIN_SCANPAGE", sess)
        replies = [s.cmd("READY_SCANPAGE", sess) for _ in range(4)]
        self.assertEqual([r["Y_READY"] for r in replies], ["2", "2", "1", "0"])
        self.assertNotIn("Y_PIXEL_WIDTH", replies[0])
        self.assertIn("Y_PIXEL_WIDTH", replies[3])

    def test_scan_authentic(self):
        s = self.sim("--scan-authentic")
        self.assertEqual(s.post(begin_job_body())[1],
                         b"Y_RESULT=0\r\nY_STATUS=0\r\nY_RECOVER=0\r\nY_SCAN_AUTHENTIC=1\r\nY_DADF=1\r\n")
        self.assertEqual(s.get_json("state")["open_jobs"], [])

    def test_data_byte_zero_then_data(self):
        s = self.sim("--data-byte-zero", "2")
        sess, _, opened = s.to_page(X_COLOR_MODE=2)
        total = int(opened["Y_ROWBYTES"])
        bodies = [s.get_image(sess, 0, total)[1] for _ in range(3)]
        zero = b"Y_RESULT=0\r\nY_STATUS=0\r\nY_RECOVER=0\r\nY_DATA_BYTE=0\r\nY_IMAGE_DATA="
        self.assertEqual(bodies[:2], [zero, zero])
        self.assertEqual(len(bodies[2].partition(b"Y_IMAGE_DATA=")[2]), total)

    def read_raw(self, s, body):
        """Bytes of the answer body until the server closes: (announced length, bytes, closed)."""
        c = s.conn()
        c.request("POST", CMD_PATH, body=body, headers=HEADERS)
        r = c.getresponse()
        try:
            data = r.read()
        except http.client.IncompleteRead as e:
            data = e.partial
        return int(r.getheader("Content-Length")), data

    def test_short_data_and_drops(self):
        for args, cut in ((("--short-data", "1000"), 1000), (("--drop-at", "GET_IMAGE:byte=300"), None)):
            with self.subTest(args=args):
                s = self.sim(*args)
                sess, _, opened = s.to_page(X_COLOR_MODE=1)
                total = int(opened["Y_ROWBYTES"])
                announced, data = self.read_raw(
                    s, "X_PROTOCOL=120&X_COMMAND=GET_IMAGE&X_SESSION=%d&X_PLANE=0&X_START_BYTE=0"
                       "&X_REQUIRE_BYTE=%d" % (sess, total))
                head, _, image = data.partition(b"Y_IMAGE_DATA=")
                self.assertEqual(int(parse_reply(head)["Y_DATA_BYTE"]), total)
                self.assertEqual(announced, len(head) + len(b"Y_IMAGE_DATA=") + total)
                self.assertEqual(len(image), total - cut if cut else 300)
                # the image stays open: the client's cancel is accepted and the job ends cleanly
                self.assertEqual(s.cmd("CANCEL_GET_IMAGE", sess)["Y_RESULT"], "0")
                s.cmd("END_JOB", sess)
                self.assertEqual(s.get_json("state")["open_jobs"], [])
        s = self.sim("--drop-at", "BEGIN_JOB", "--drop-at", "READY_BEGIN_JOB:byte=5")
        with self.assertRaises(http.client.RemoteDisconnected):
            s.post(begin_job_body())
        sess = s.begin()                  # the dropped BEGIN_JOB opened nothing
        self.assertEqual(s.get_json("state")["open_jobs"], [sess])
        self.assertEqual(self.read_raw(s, "X_PROTOCOL=120&X_COMMAND=READY_BEGIN_JOB&X_SESSION=%d" % sess),
                         (len(b"Y_RESULT=0\r\nY_STATUS=0\r\nY_RECOVER=0\r\nY_READY=0\r\n"), b"Y_RES"))

    def test_http_status_delay_omit_extra(self):
        s = self.sim("--http-status", "CV_WebPath.txt=503", "--http-status", "END_JOB=500:after=1",
                     "--delay", "BEGIN_JOB=300", "--omit-key", "BEGIN_JOB=Y_SESSION",
                     "--extra-line", "READY_BEGIN_JOB=NOEQUALS", "--extra-line", "GET_IMAGE=Y_X=1")
        c = s.conn()
        c.request("GET", "/CV_WebPath.txt")
        r = c.getresponse()
        self.assertEqual(r.status, 503)
        r.read()
        started = time.monotonic()
        self.assertNotIn(b"Y_SESSION", s.post(begin_job_body())[1])
        self.assertGreaterEqual(time.monotonic() - started, 0.3)
        self.assertTrue(s.post("X_PROTOCOL=120&X_COMMAND=READY_BEGIN_JOB&X_SESSION=1")[1]
                        .endswith(b"Y_READY=0\r\nNOEQUALS\r\n"))
        self.assertEqual(s.post("X_PROTOCOL=120&X_COMMAND=END_JOB&X_SESSION=7")[0], 200)
        self.assertEqual(s.post("X_PROTOCOL=120&X_COMMAND=END_JOB&X_SESSION=1")[0], 500)
        sess, _, opened = s.to_page(X_COLOR_MODE=2)
        self.assertIn(b"Y_X=1\r\nY_IMAGE_DATA=", s.get_image(2, 0, 8)[1])

    def test_rowbytes_modes(self):
        for mode, expect in (("row", 4964), ("zero", 0), ("page", 4964 * 2339)):
            with self.subTest(mode=mode):
                s = self.sim("--rowbytes", mode)
                self.assertEqual(int(s.to_page()[2]["Y_ROWBYTES"]), expect)

    def test_pnm_source_and_dump(self):
        d = self.tmp()
        ppm = os.path.join(d, "in.ppm")
        pixels = bytes([255, 0, 0, 0, 255, 0, 0, 0, 255, 10, 20, 30, 200, 100, 50, 0, 0, 0])
        with open(ppm, "wb") as f:
            f.write(b"P6\n# test\n3 2\n255\n" + pixels)
        dump = os.path.join(d, "dump")
        s = self.sim("--page-source", "pnm:" + ppm, "--dump-dir", dump, "--row-align", "1")
        # black and white: luminance threshold, bit 1 = white (only the green pixel)
        for mode, expected in ((0, pixels), (2, bytes([0b01000000, 0b00000000]))):
            with self.subTest(mode=mode):
                sess, ready, opened = s.to_page(X_COLOR_MODE=mode, X_INPUTMEDIUMSIZE=3)
                self.assertEqual((ready["Y_PIXEL_WIDTH"], ready["Y_PIXEL_HEIGHT"]), ("3", "2"))
                data = s.get_image(sess, 0, 100)[1].partition(b"Y_IMAGE_DATA=")[2]
                self.assertEqual(data, expected)
                with open(os.path.join(dump, "s%d-p1.raw" % sess), "rb") as f:
                    self.assertEqual(f.read(), data)
        self.check_with_imagemagick(os.path.join(dump, "s1-p1.pnm"), "3x2", b"255,0,0")
        self.check_with_imagemagick(os.path.join(dump, "s2-p1.pnm"), "3x2", b"0,0,0")

    def check_with_imagemagick(self, path, size, first_pixel):
        convert = shutil.which("convert")
        if convert is None:
            self.skipTest("ImageMagick is not installed")
        out = subprocess.run([convert, path, "-format", "%wx%h", "info:"], capture_output=True, check=True)
        self.assertEqual(out.stdout.decode(), size)
        out = subprocess.run([convert, path + "[1x1+0+0]", "-depth", "8", "txt:"], capture_output=True, check=True)
        self.assertIn(b"(" + first_pixel, out.stdout.replace(b" ", b""))

    def test_generated_dump_decodes(self):
        dump = os.path.join(self.tmp(), "dump")
        s = self.sim("--dump-dir", dump)
        for mode in (0, 1, 2):
            s.to_page(X_COLOR_MODE=mode, X_INPUTMEDIUMSIZE=9)
        for sess, magic in ((1, b"P6"), (2, b"P5"), (3, b"P4")):
            path = os.path.join(dump, "s%d-p1.pnm" % sess)
            with open(path, "rb") as f:
                self.assertEqual(f.read(2), magic)
            self.check_with_imagemagick(path, "827x1165", b"255,255,255")

    def test_scenario_changed_at_run_time(self):
        s = self.sim()
        c = s.conn()
        for body, status in (({"args": ["--result", "BEGIN_JOB=16417"]}, 200),
                             ({"args": ["--result", "NOPE=1"]}, 400)):
            c.request("POST", "/__control/scenario", body=json.dumps(body))
            r = c.getresponse()
            r.read()
            self.assertEqual(r.status, status)
        self.assertEqual(parse_reply(s.post(begin_job_body())[1])["Y_RESULT"], "16417")
        self.assertEqual(s.get_json("state")["scenario"]["result"][0]["fired"], 1)
        self.assertEqual([r["command"] for r in s.get_json("requests")], ["BEGIN_JOB"])

    def test_cancel_during_image_read(self):
        s = self.sim("--image-rate", "200000")
        sess, _, opened = s.to_page()
        total = int(opened["Y_ROWBYTES"])
        raw = socket.create_connection(("127.0.0.1", s.port), timeout=10)
        body = ("X_PROTOCOL=120&X_COMMAND=GET_IMAGE&X_SESSION=%d&X_PLANE=0&X_START_BYTE=0"
                "&X_REQUIRE_BYTE=%d" % (sess, total)).encode()
        raw.sendall(b"POST %s HTTP/1.1\r\nHost: x\r\nContent-Length: %d\r\n\r\n%s"
                    % (CMD_PATH.encode(), len(body), body))
        self.assertTrue(raw.recv(65536))
        raw.close()                       # the client gives up in the middle of the page
        self.assertEqual(s.cmd("CANCEL_GET_IMAGE", sess)["Y_RESULT"], "0")
        self.assertEqual(s.cmd("END_JOB", sess)["Y_RESULT"], "0")
        time.sleep(0.5)
        self.assertEqual(s.get_json("state")["open_jobs"], [])
        outcome = [r.get("outcome") for r in s.get_json("requests") if r["command"] == "GET_IMAGE"]
        self.assertEqual(outcome, ["client_gone"])




class ProxyTests(SimTestCase):
    """The proxy beside the server, driven as a client configured for it."""

    def send(self, conn, method, target, body=None, headers=None):
        h = {"Host": target.split("/")[2] if "://" in target else "127.0.0.1"}
        h.update(headers or {})
        conn.request(method, target, body=body, headers=h)
        r = conn.getresponse()
        return r, r.read()

    def test_authentication_forwarding_and_record(self):
        s = self.sim("--proxy-port", "0", "--proxy-auth", "op:pa:ss w", "--proxy-realm", "scans")
        proxy = http.client.HTTPConnection("127.0.0.1", s.proxy_port, timeout=20)
        self.addCleanup(proxy.close)
        origin = "http://127.0.0.1:%d" % s.port
        good = {"Proxy-Authorization": "Basic " + base64.b64encode(b"op:pa:ss w").decode()}
        wrong = {"Proxy-Authorization": "Basic " + base64.b64encode(b"op:pa").decode()}
        # All on one connection: a refused request leaves it usable.
        for headers, target, status in (
                ({}, origin + "/CV_WebPath.txt", 407),
                (wrong, origin + "/CV_WebPath.txt", 407),
                ({"Proxy-Authorization": "Digest username=op"}, origin + "/CV_WebPath.txt", 407),
                (good, "/CV_WebPath.txt", 400),
                (good, "ftp://127.0.0.1/x", 400),
                (good, "http://192.0.2.1:9/x", 403),
                (good, origin + "/CV_WebPath.txt", 200)):
            with self.subTest(headers=headers, target=target):
                r, data = self.send(proxy, "GET", target, headers=headers)
                self.assertEqual(r.status, status, data)
                challenge = r.getheader("Proxy-Authenticate")
                self.assertEqual(challenge, 'Basic realm="scans"' if status == 407 else None)
                if status == 200:
                    self.assertEqual(data, b"CGI_PATH=/cgi-bin/\r\n")
                    self.assertEqual(r.getheader("Via"), "1.1 corv-scan-proxy")
        # A whole job through the proxy, its image byte for byte.
        def post(body):
            return self.send(proxy, "POST", origin + CMD_PATH, body.encode("latin-1"),
                             dict(HEADERS, **good))
        r, data = post(begin_job_body())
        session = int(parse_reply(data)["Y_SESSION"])
        for command in ("READY_BEGIN_JOB", "BEGIN_SCANPAGE", "READY_SCANPAGE", "BEGIN_GET_IMAGE"):
            r, data = post("X_PROTOCOL=120&X_COMMAND=%s&X_SESSION=%d" % (command, session))
            self.assertEqual(parse_reply(data)["Y_RESULT"], "0", command)
        size = int(parse_reply(data)["Y_ROWBYTES"])
        r, data = post("X_PROTOCOL=120&X_COMMAND=GET_IMAGE&X_SESSION=%d&X_PLANE=0"
                       "&X_START_BYTE=0&X_REQUIRE_BYTE=%d" % (session, size))
        image = data[data.index(b"Y_IMAGE_DATA=") + 13:]
        c = s.conn()
        c.request("GET", "/__control/page?session=%d&page=1" % session)
        self.assertTrue(image == c.getresponse().read(), "image bytes differ")

        at_proxy = s.get_json("proxy/requests")
        self.assertEqual([r["status"] for r in at_proxy[:7]], [407, 407, 407, 400, 400, 403, 200])
        self.assertEqual(at_proxy[0]["request_line"],
                         "GET %s/CV_WebPath.txt HTTP/1.1" % origin)
        self.assertEqual(at_proxy[-1]["upstream"], "127.0.0.1:%d" % s.port)
        at_server = s.get_json("requests")
        self.assertEqual(len(at_server), 7)
        for record in at_server:
            names = [name.lower() for name, _ in record["headers"]]
            self.assertNotIn("proxy-authorization", names)
            self.assertIn("via", names)
            self.assertTrue(record["request_line"].split()[1].startswith("/"))

    def test_run_time_credentials_tunnels_and_broken_upstream(self):
        s = self.sim("--proxy-port", "0", "--proxy-auth", "op:pw",
                     "--drop-at", "GET_IMAGE:byte=5000")
        origin = "http://127.0.0.1:%d" % s.port
        proxy = http.client.HTTPConnection("127.0.0.1", s.proxy_port, timeout=20)
        self.addCleanup(proxy.close)
        self.assertEqual(self.send(proxy, "GET", origin + "/CV_WebPath.txt")[0].status, 407)
        c = s.conn()
        c.request("POST", "/__control/proxy", body=b'{"auth": null}')
        self.assertEqual(json.loads(c.getresponse().read())["user"], None)
        self.assertEqual(self.send(proxy, "GET", origin + "/CV_WebPath.txt")[0].status, 200)
        self.assertEqual(self.send(proxy, "CONNECT", "127.0.0.1:%d" % s.port)[0].status, 403)
        # The server breaks off inside the image: the client sees a cut
        # connection, never a complete-looking shorter answer.
        session = int(parse_reply(self.send(proxy, "POST", origin + CMD_PATH,
                                            begin_job_body().encode(), HEADERS)[1])["Y_SESSION"])
        for command in ("READY_BEGIN_JOB", "BEGIN_SCANPAGE", "READY_SCANPAGE", "BEGIN_GET_IMAGE"):
            self.send(proxy, "POST", origin + CMD_PATH,
                      ("X_PROTOCOL=120&X_COMMAND=%s&X_SESSION=%d" % (command, session)).encode(),
                      HEADERS)
        with self.assertRaises((http.client.IncompleteRead, ConnectionError)):
            self.send(proxy, "POST", origin + CMD_PATH,
                      ("X_PROTOCOL=120&X_COMMAND=GET_IMAGE&X_SESSION=%d&X_PLANE=0&X_START_BYTE=0"
                       "&X_REQUIRE_BYTE=100000" % session).encode(), HEADERS)

if __name__ == "__main__":
    unittest.main()
