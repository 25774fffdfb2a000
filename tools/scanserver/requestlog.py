"""Record of every request the simulated server received, for tests to assert on."""

import json
import threading
import time


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
