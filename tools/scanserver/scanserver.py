#!/usr/bin/env python3
"""Scan server simulator: answers the scan command protocol on 127.0.0.1.

Start it with --port 0 and read the line "PORT <n>" from its standard output.
See --help for every option, and README.md beside this file.
"""

import argparse
import json
import os
import re
import socket
import sys
import threading
import time
import urllib.parse
from http.server import ThreadingHTTPServer

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import pages  # noqa: E402
import scenario as scen  # noqa: E402
from jobtable import JobTable, Reply, geometry_of  # noqa: E402
from proxy import ScanProxy  # noqa: E402
from requestlog import RecordingHandler, RequestLog  # noqa: E402

MAX_BODY = 1 << 20
WRITE_CHUNK = 8 << 20
THROTTLE_CHUNK = 64 << 10
# With --image-chunk: a short pause after this many writes lets the client
# catch up, so its reads see the pieces rather than one full buffer.
SPLIT_PAUSE_EVERY = 16
CONTROL_PREFIX = "/__control/"
_ESCAPE = re.compile(rb"%([0-9A-Fa-f]{2})")


def parse_body(body):
    """Form body to fields.  Only %XX escapes exist in this protocol: '+' stays '+'.
    Values are latin-1 text so that every byte survives.  The first of a
    repeated name wins; a trailing '&' (BEGIN_JOB ends with one) adds nothing."""
    fields = {}
    for pair in body.split(b"&"):
        if not pair:
            continue
        name, _, value = pair.partition(b"=")
        value = _ESCAPE.sub(lambda m: bytes([int(m.group(1), 16)]), value)
        fields.setdefault(name.decode("latin-1"), value.decode("latin-1"))
    return fields


def format_lines(lines):
    """Y_KEY=value lines; Y_IMAGE_DATA ends the text: raw bytes follow its '='."""
    out = []
    for key, value in lines:
        if key == "Y_IMAGE_DATA":
            out.append(b"Y_IMAGE_DATA=")
        elif value is None:
            out.append(key.encode("latin-1") + b"\r\n")
        else:
            out.append(("%s=%s\r\n" % (key, value)).encode("latin-1"))
    return b"".join(out)


class _Dropped(Exception):
    pass


class Handler(RecordingHandler):
    server_version = "CorvScanServer/1.0"
    log_name = "scanserver"

    # --- reading ---------------------------------------------------------

    def _read_body(self):
        length = self.headers.get("Content-Length")
        if length is not None:
            try:
                n = int(length)
            except ValueError:
                n = -1
            if n < 0 or n > MAX_BODY:
                self.close_connection = True
                return None
            return self.rfile.read(n)
        if self.headers.get("Transfer-Encoding"):
            # no client of this protocol sends chunked bodies: refuse rather than guess
            self.close_connection = True
            return None
        return b""

    def do_GET(self):
        self._serve()

    def do_POST(self):
        self._serve()

    def do_DELETE(self):
        self._serve()

    def _serve(self):
        head = self.rfile.take()
        body = self._read_body()
        if body is None:
            self.close_connection = True
            self.server.log.add(self.client_address, head, b"", None, None)["status"] = 413
            self._send_text(413, b"request body too large, malformed or chunked\r\n")
            return
        path = urllib.parse.urlsplit(self.path).path
        if not path.startswith("/"):
            # a request line may name the object without its leading slash
            path = "/" + path
        if path.startswith(CONTROL_PREFIX):
            self._control(path[len(CONTROL_PREFIX):], body)
            return
        srv = self.server
        scenario = srv.scenario
        command_path = scenario.options.cgi_path + "scanner.dll"
        fields = None
        target = None
        if path == "/" + scen.PATH_FILE:
            target = scen.PATH_FILE
        elif path == command_path and self.command == "POST":
            fields = parse_body(body)
            command = fields.get("X_COMMAND", "")
            target = command if command in scen.COMMANDS else None
        record = srv.log.add(self.client_address, head, body, target, fields)
        try:
            self._answer(record, scenario, path, command_path, target, fields)
        except _Dropped:
            self.close_connection = True
        except OSError:
            # the client closed or reset the connection (e.g. cancelled a read)
            record["outcome"] = "client_gone"
            self.close_connection = True

    # --- answering ---------------------------------------------------------

    def _answer(self, record, scenario, path, command_path, target, fields):
        if target is not None:
            for inj in scenario.take("delay", target):
                time.sleep(inj.value / 1000.0)
            drop = scenario.take_one("drop", target)
            if drop is not None and "byte" not in drop.params:
                record["outcome"] = "dropped"
                self._drop_now()
            status = scenario.take_one("http_status", target)
            if status is not None:
                record["status"] = status.value
                self._send_text(status.value, b"simulated HTTP status\r\n")
                return
        else:
            drop = None
        if path == "/" + scen.PATH_FILE:
            if self.command != "GET":
                self._send_text(405, b"method not allowed\r\n")
                return
            opts = scenario.options
            line = "SERVER=scan server simulator\r\n" if opts.no_cgi_path \
                else "CGI_PATH=%s\r\n" % opts.cgi_path
            self._reply(record, 200, line.encode("latin-1"), None, drop, None)
            return
        if path != command_path:
            self._send_text(404, b"not found\r\n")
            return
        if self.command != "POST":
            self._send_text(405, b"method not allowed\r\n")
            return
        reply = self._carry_out(scenario, target, fields)
        text = self._text_of(reply, scenario, target)
        if reply.image and b"Y_IMAGE_DATA=" not in text:
            # Y_IMAGE_DATA left out: the answer announces data it does not carry.
            self.server.jobs.image_incomplete(*reply.image_token)
            reply.image = None
        short = scenario.take_one("short_data", target) if reply.image else None
        self._reply(record, 200, text, reply, drop, short)

    def _carry_out(self, scenario, target, fields):
        injected = scenario.take_one("result", target) if target else None
        if injected is not None:
            reply = Reply(injected.value, injected.params.get("status", 0),
                          injected.params.get("recover", 0))
            if target == "GET_IMAGE":
                reply.add("Y_DATA_BYTE", 0).add("Y_IMAGE_DATA", "")
            return reply
        reply = self.server.jobs.handle(fields.get("X_COMMAND", ""), fields, scenario,
                                        self.server.factory)
        if reply.opened_page is not None and self.server.dump_dir:
            self._dump_page(*reply.opened_page)
        return reply

    def _text_of(self, reply, scenario, target):
        omitted = {inj.value for inj in scenario.take("omit_key", target)} if target else set()
        lines = [(k, v) for k, v in reply.lines if k not in omitted]
        extra = [(line, None) for line in scenario.extra_lines.get(target, [])]
        # extra lines go before the image data, which must stay last
        cut = len(lines) - 1 if lines and lines[-1][0] == "Y_IMAGE_DATA" else len(lines)
        return format_lines(lines[:cut] + extra + lines[cut:])

    def _reply(self, record, status, text, reply, drop, short):
        image = reply.image if reply is not None else None
        count = image[2] if image else 0
        record["status"] = status
        record["reply"] = text.decode("latin-1")
        record["image_bytes"] = count
        self._start_reply(status, "application/octet-stream" if image else "text/plain",
                          len(text) + count)
        limit = None
        if drop is not None:
            limit = drop.params["byte"]
        sent_text = text if limit is None or image else text[:limit]
        self.wfile.write(sent_text)
        if limit is not None and not image:
            record["outcome"] = "dropped"
            self._drop_now()
        if not image:
            record["outcome"] = "ok"
            return
        data, start, count = image
        to_send = count
        if limit is not None:
            to_send = min(to_send, limit)
        if short is not None:
            to_send = min(to_send, max(count - short.value, 0))
        try:
            sent = self._write_image(memoryview(data)[start:start + to_send])
        except OSError:
            self.server.jobs.image_incomplete(*reply.image_token)
            raise
        record["image_bytes_sent"] = sent
        if sent < count:
            self.server.jobs.image_incomplete(*reply.image_token)
        if sent < count or limit is not None:
            record["outcome"] = "short" if short is not None else "dropped"
            self._drop_now()
        record["outcome"] = "ok"

    def _write_image(self, view):
        rate = self.server.scenario.options.image_rate
        split = self.server.scenario.options.image_chunk
        chunk = split or (THROTTLE_CHUNK if rate else WRITE_CHUNK)
        started = time.monotonic()
        sent = 0
        pieces = 0
        while sent < len(view):
            piece = view[sent:sent + chunk]
            self.wfile.write(piece)
            sent += len(piece)
            pieces += 1
            if split and pieces % SPLIT_PAUSE_EVERY == 0:
                time.sleep(0.001)
            if rate:
                ahead = sent / float(rate) - (time.monotonic() - started)
                if ahead > 0:
                    time.sleep(ahead)
        return sent

    def _drop_now(self):
        try:
            self.wfile.flush()
            self.connection.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass
        raise _Dropped()

    def _start_reply(self, status, content_type, length):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(length))
        if self.close_connection:
            self.send_header("Connection", "close")
        elif self.request_version == "HTTP/1.0":
            self.send_header("Connection", "keep-alive")
        self.end_headers()

    def _send_text(self, status, body, content_type="text/plain"):
        self._start_reply(status, content_type, len(body))
        self.wfile.write(body)

    def _send_json(self, status, value):
        self._send_text(status, json.dumps(value, indent=1).encode("utf-8") + b"\n",
                        "application/json")

    def _dump_page(self, session, number, geometry, data):
        base = os.path.join(self.server.dump_dir, "s%d-p%d" % (session, number))
        for suffix, content in ((".raw", data), (".pnm", pages.to_pnm(geometry, data))):
            tmp = base + suffix + ".part"
            with open(tmp, "wb") as f:
                f.write(content)
            os.replace(tmp, base + suffix)

    # --- control endpoint ----------------------------------------------

    def _control(self, name, body):
        srv = self.server
        query = urllib.parse.parse_qs(urllib.parse.urlsplit(self.path).query)
        if name == "requests" and self.command == "GET":
            since = int(query.get("since", ["0"])[0])
            self._send_json(200, srv.log.snapshot(since))
        elif name == "requests" and self.command == "DELETE":
            srv.log.clear()
            self._send_json(200, {"ok": True})
        elif name == "state" and self.command == "GET":
            state = srv.jobs.describe()
            state["scenario"] = srv.scenario.describe()
            state["uptime"] = time.time() - srv.started
            self._send_json(200, state)
        elif name == "scenario" and self.command == "POST":
            self._control_scenario(body)
        elif name == "page" and self.command == "GET":
            self._control_page(query)
        elif name.startswith("proxy"):
            self._control_proxy(name, body)
        elif name == "shutdown" and self.command == "POST":
            self._send_json(200, {"ok": True})
            threading.Thread(target=srv.shutdown, daemon=True).start()
        else:
            self._send_json(404, {"error": "unknown control request"})

    def _control_scenario(self, body):
        try:
            args = json.loads(body.decode("utf-8") or "{}").get("args", [])
            if not isinstance(args, list) or not all(isinstance(a, str) for a in args):
                raise ValueError("'args' must be a list of strings")
            new = scen.parse_scenario_args(args)
            factory = self.server.factory
            if new.page_source != self.server.scenario.page_source:
                factory = pages.PageFactory(new.page_source)
        except (ValueError, scen.ParseError, OSError) as e:
            self._send_json(400, {"error": str(e)})
            return
        self.server.factory = factory
        self.server.scenario = new
        self.server.jobs.reload_feeders(new)
        self._send_json(200, {"ok": True})

    def _control_proxy(self, name, body):
        proxy = self.server.proxy
        if proxy is None:
            self._send_json(404, {"error": "no proxy: start with --proxy-port"})
        elif name == "proxy/requests" and self.command == "GET":
            self._send_json(200, proxy.log.snapshot())
        elif name == "proxy/requests" and self.command == "DELETE":
            proxy.log.clear()
            self._send_json(200, {"ok": True})
        elif name == "proxy" and self.command == "GET":
            self._send_json(200, proxy.describe())
        elif name == "proxy" and self.command == "POST":
            try:
                auth = json.loads(body.decode("utf-8") or "{}").get("auth")
                if auth is not None and not isinstance(auth, str):
                    raise ValueError("'auth' must be \"USER:PASSWORD\" or null")
                proxy.set_auth(auth)
            except ValueError as e:
                self._send_json(400, {"error": str(e)})
                return
            self._send_json(200, proxy.describe())
        else:
            self._send_json(404, {"error": "unknown control request"})

    def _control_page(self, query):
        try:
            session = int(query["session"][0])
            number = int(query["page"][0])
        except (KeyError, ValueError):
            self._send_json(400, {"error": "session and page are required numbers"})
            return
        page = self.server.jobs.page_record(session, number)
        if page is None:
            self._send_json(404, {"error": "no such page"})
            return
        if page["source"] != self.server.scenario.page_source:
            self._send_json(409, {"error": "the page source has changed since"})
            return
        data = self.server.factory.page(geometry_of(page), number)
        self._start_reply(200, "application/octet-stream", len(data))
        self._write_image(memoryview(data))


class ScanServer(ThreadingHTTPServer):
    daemon_threads = True

    def __init__(self, port, scenario, log, dump_dir=None, first_session=1, verbose=False):
        super().__init__(("127.0.0.1", port), Handler)
        self.scenario = scenario
        self.factory = pages.PageFactory(scenario.page_source)
        self.jobs = JobTable(first_session)
        self.log = log
        self.dump_dir = dump_dir
        self.verbose = verbose
        self.started = time.time()
        self.proxy = None


def build_parser():
    parser = argparse.ArgumentParser(
        prog="scanserver.py",
        formatter_class=argparse.RawDescriptionHelpFormatter,
        description=__doc__ + """
Protocol: GET /CV_WebPath.txt gives "CGI_PATH=<path>"; commands are POSTed to
<path>scanner.dll as "X_PROTOCOL=120&X_COMMAND=...&..." (only %XX escapes; '+'
is a plain '+'); answers are "Y_KEY=value" lines (CRLF), every answer starting
with Y_RESULT, Y_STATUS and Y_RECOVER.  A GET_IMAGE answer ends with
"Y_DATA_BYTE=<n>" and "Y_IMAGE_DATA=" directly followed by n raw bytes.

Pages: rows top first, colour as R G B, grey 8 bits, black and white 1 bit
with the leftmost pixel in the most significant bit and 1 = white; each row
padded with zero bytes to --row-align.  Pixel size from the size code and
resolution of BEGIN_JOB (custom size in tenths of a millimetre), mm / 25.4 x
dpi rounded.

Errors the server answers by itself: Y_RESULT=1 (parameter error) with
Y_STATUS 1 bad or missing X_PROTOCOL, 2 unknown command, 3 missing or bad
parameter, 4 unknown or closed session, 5 command out of order; 16430 for scan
parameters out of range; 16414 feeder job without a feeder; 16413 page too
large; 16409 with Y_RECOVER=1 when the feeder stack is used up.

Control endpoint (not recorded): GET /__control/requests[?since=SEQ],
DELETE /__control/requests, GET /__control/state (open jobs, every job with
its pages and heartbeats, injection counters), POST /__control/scenario with
{"args": [scenario options...]} (replaces the whole scenario, and puts its
stack into the feeder of every open feeder job),
GET /__control/page?session=S&page=N (the page's bytes as sent),
POST /__control/shutdown.

Proxy (with --proxy-port): a forward HTTP proxy on a second port of
127.0.0.1 that serves loopback targets, such as this server, as squid does;
with --proxy-auth it answers 407 with "Proxy-Authenticate: Basic" until a
request carries the right "Proxy-Authorization".  "PROXY_PORT <n>" is
printed before "PORT <n>".  GET /__control/proxy/requests (every request the
proxy received: request line, headers, body, status, upstream),
DELETE /__control/proxy/requests, GET /__control/proxy, and
POST /__control/proxy with {"auth": "USER:PASSWORD"} or {"auth": null}.
""")
    parser.add_argument("--port", type=int, default=0,
                        help="TCP port on 127.0.0.1 (0 = any free port; default 0)")
    parser.add_argument("--record", metavar="FILE",
                        help="append every request as a JSON line to FILE (flushed per request)")
    parser.add_argument("--dump-dir", metavar="DIR",
                        help="write every opened page as DIR/s<session>-p<page>.raw (the bytes "
                             "sent) and .pnm")
    parser.add_argument("--port-file", metavar="FILE",
                        help="also write the port number to FILE once ready (written whole, "
                             "for scripts that start the server in the background)")
    parser.add_argument("--stop-after", type=float, default=1800.0, metavar="SECONDS",
                        help="stop by itself after this many seconds (default 1800)")
    parser.add_argument("--first-session", type=int, default=1, metavar="N",
                        help="session id of the first job (default 1)")
    parser.add_argument("--verbose", action="store_true", help="log every request to stderr")
    parser.add_argument("--proxy-port", type=int, metavar="PORT",
                        help="also act as an HTTP proxy on this port of 127.0.0.1 (0 = any free "
                             "port)")
    parser.add_argument("--proxy-auth", metavar="USER:PASSWORD",
                        help="the proxy requires these Basic credentials")
    parser.add_argument("--proxy-realm", default="scan proxy", metavar="TEXT",
                        help="realm the proxy names in its 407 answers (default: scan proxy)")
    parser.add_argument("--proxy-record", metavar="FILE",
                        help="append every request the proxy received as a JSON line to FILE")
    scen.add_scenario_arguments(parser)
    return parser


def main(argv=None):
    parser = build_parser()
    ns = parser.parse_args(argv)
    try:
        scenario = scen.Scenario(ns)
        server = ScanServer(ns.port, scenario, RequestLog(ns.record), ns.dump_dir,
                            ns.first_session, ns.verbose)
        if ns.proxy_port is not None:
            server.proxy = ScanProxy(ns.proxy_port, RequestLog(ns.proxy_record), ns.proxy_auth,
                                     ns.proxy_realm, ns.verbose)
        elif ns.proxy_auth or ns.proxy_record:
            raise ValueError("--proxy-auth and --proxy-record need --proxy-port")
    except (scen.ParseError, ValueError, OSError) as e:
        parser.error(str(e))
    if ns.dump_dir:
        os.makedirs(ns.dump_dir, exist_ok=True)
    timer = threading.Timer(ns.stop_after, server.shutdown)
    timer.daemon = True
    timer.start()
    port = server.server_address[1]
    if server.proxy is not None:
        threading.Thread(target=server.proxy.serve_forever, kwargs={"poll_interval": 0.1},
                         daemon=True).start()
        print("PROXY_PORT %d" % server.proxy.server_address[1], flush=True)
    if ns.port_file:
        tmp = ns.port_file + ".part"
        with open(tmp, "w") as f:
            f.write("%d\n" % port)
        os.replace(tmp, ns.port_file)
    print("PORT %d" % port, flush=True)
    try:
        server.serve_forever(poll_interval=0.1)
    except KeyboardInterrupt:
        pass
    finally:
        timer.cancel()
        server.server_close()
        server.log.close()
        if server.proxy is not None:
            server.proxy.shutdown()
            server.proxy.server_close()
            server.proxy.log.close()
    sys.stderr.write("scanserver: stopped\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
