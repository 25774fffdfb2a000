"""Record of every request the simulated server received, for tests to assert on."""

import json
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler


class RequestLog:
    """Keeps request records in memory and, optionally, as JSON lines in a file.

    A record is written to the file as soon as the request has been read (one
    line, flushed), before it is answered, so that a test that has its answer
    also finds the line.  Reply details are added to the in-memory record only.
    Byte strings are stored as latin-1 text: every byte maps to one character
    (decode with .encode('latin-1')).
    """

    def __init__(self, path=None):
        self._lock = threading.Lock()
        self._records = []
        self._seq = 0
        self._start = time.time()
        self._file = open(path, "a", encoding="utf-8") if path else None

    def add(self, client, head, body, target, fields):
        lines = head.split(b"\r\n") if b"\r\n" in head else head.split(b"\n")
        request_line = lines[0]
        headers = []
        for line in lines[1:]:
            if not line:
                break
            name, _, value = line.partition(b":")
            headers.append([name.decode("latin-1"), value.lstrip(b" \t").decode("latin-1")])
        parts = request_line.split(b" ")
        now = time.time()
        with self._lock:
            self._seq += 1
            record = {
                "seq": self._seq, "time": now, "elapsed": now - self._start,
                "client": list(client),
                "method": parts[0].decode("latin-1") if parts else "",
                "path": parts[1].decode("latin-1") if len(parts) > 1 else "",
                "version": parts[2].decode("latin-1") if len(parts) > 2 else "",
                "request_line": request_line.decode("latin-1"),
                "headers": headers,
                "head_raw": head.decode("latin-1"),
                "body": body.decode("latin-1"),
                "target": target,
                "command": fields.get("X_COMMAND") if fields is not None else None,
                "session": fields.get("X_SESSION") if fields is not None else None,
            }
            self._records.append(record)
            if self._file:
                self._file.write(json.dumps(record, ensure_ascii=True) + "\n")
                self._file.flush()
        return record

    def snapshot(self, since=0):
        with self._lock:
            return [dict(r) for r in self._records if r["seq"] > since]

    def clear(self):
        with self._lock:
            self._records.clear()

    def close(self):
        with self._lock:
            if self._file:
                self._file.close()
                self._file = None


class HeadTee:
    """Wraps the request stream and keeps the exact bytes of the request head."""

    def __init__(self, raw):
        self.raw = raw
        self.captured = bytearray()

    def readline(self, size=-1):
        line = self.raw.readline(size)
        self.captured += line
        return line

    def read(self, size=-1):
        return self.raw.read(size)

    def take(self):
        head = bytes(self.captured)
        self.captured.clear()
        return head

    def close(self):
        self.raw.close()


class RecordingHandler(BaseHTTPRequestHandler):
    """HTTP/1.1 handler whose server keeps a RequestLog in `log`; the raw head
    of each request is kept for the record (`self.rfile.take()`)."""

    protocol_version = "HTTP/1.1"
    # Headers and body leave in separate writes; with Nagle's algorithm the
    # body would wait for the client's delayed acknowledgement (about 40 ms
    # on Linux), a stall per command that no real server shows.
    disable_nagle_algorithm = True
    sys_version = ""
    log_name = "server"

    def setup(self):
        super().setup()
        self.rfile = HeadTee(self.rfile)

    def log_message(self, fmt, *args):
        if self.server.verbose:
            sys.stderr.write("%s: %s %s\n" % (self.log_name, self.address_string(), fmt % args))

    def handle_one_request(self):
        self.rfile.take()
        super().handle_one_request()

    def send_error(self, code, message=None, explain=None):
        # Requests the base class refuses (bad request line, unknown method)
        # are recorded too: a malformed request is what a test wants to see.
        head = self.rfile.take()
        if head:
            self.server.log.add(self.client_address, head, b"", None, None)["status"] = code
        super().send_error(code, message, explain)
