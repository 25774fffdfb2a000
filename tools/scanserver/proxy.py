"""A forward HTTP proxy in front of the simulated scan server.

It behaves as a caching proxy such as squid does with basic authentication
switched on, so that a client's proxy settings can be tested end to end:

- A request names its target in absolute form ("POST http://host:port/path
  HTTP/1.1"); a request in origin form ("/path") is answered 400, as a proxy
  that is not an interception proxy answers it.
- With credentials configured, a request without a matching
  "Proxy-Authorization: Basic ..." header is answered 407 with
  "Proxy-Authenticate: Basic realm=..." (its body is read first, so the
  connection stays usable for the client's second attempt).
- An accepted request goes to its target over a new connection, without the
  hop-by-hop headers (Proxy-Authorization included: the credentials are for
  the proxy, never passed on), with "Via" and "X-Forwarded-For" added; the
  answer comes back with its status, its end-to-end headers and its body as it
  streams in.  Only loopback targets are served (the simulator listens there
  and nowhere else); any other answers 403, as a proxy's access rules do.
  A target that cannot be resolved or reached answers 503; one that breaks
  off before its answer, 502.  CONNECT is refused with 403: no tunnels.

Every request is recorded as the proxy received it (request line, headers,
raw head, body) with the status it was answered and the upstream it went to.
"""

import base64
import binascii
import http.client
import ipaddress
import socket
import threading
import urllib.parse
from http.server import ThreadingHTTPServer

from requestlog import RecordingHandler

MAX_BODY = 1 << 20
RELAY_CHUNK = 1 << 20
UPSTREAM_TIMEOUT = 120.0
VIA = "1.1 corv-scan-proxy"
# RFC 7230 section 6.1, and the proxy's own pair.
HOP_BY_HOP = frozenset(("connection", "proxy-connection", "keep-alive", "te", "trailer",
                        "transfer-encoding", "upgrade", "proxy-authorization",
                        "proxy-authenticate"))


def _connection_tokens(headers):
    tokens = set()
    for name in ("Connection", "Proxy-Connection"):
        for value in headers.get_all(name) or []:
            tokens.update(t.strip().lower() for t in value.split(",") if t.strip())
    return tokens


def _end_to_end(headers):
    named = _connection_tokens(headers)
    return [(k, v) for k, v in headers.items()
            if k.lower() not in HOP_BY_HOP and k.lower() not in named]


class ProxyHandler(RecordingHandler):
    server_version = "CorvScanProxy/1.0"
    log_name = "scanproxy"

    def do_CONNECT(self):
        record = self.server.log.add(self.client_address, self.rfile.take(), b"", None, None)
        self._own_answer(record, 403, b"tunnels are not offered\r\n")

    def do_GET(self):
        self._proxy()

    do_POST = do_HEAD = do_PUT = do_DELETE = do_OPTIONS = do_GET

    # --- one request -------------------------------------------------------

    def _proxy(self):
        head = self.rfile.take()
        body = self._read_body()
        record = self.server.log.add(self.client_address, head, body or b"", None, None)
        if body is None:
            self.close_connection = True
            self._own_answer(record, 411 if self.headers.get("Transfer-Encoding") else 413,
                             b"request body missing its length or too large\r\n")
            return
        target = urllib.parse.urlsplit(self.path)
        if target.scheme.lower() != "http" or not target.hostname:
            self._own_answer(record, 400, b"invalid URL: a proxy needs the absolute form\r\n")
            return
        if not self._authorised():
            self._own_answer(record, 407, b"proxy authentication required\r\n",
                             [("Proxy-Authenticate",
                               'Basic realm="%s"' % self.server.realm)])
            return
        try:
            port = target.port or 80
        except ValueError:
            self._own_answer(record, 400, b"invalid port\r\n")
            return
        try:
            address = socket.gethostbyname(target.hostname)
        except OSError:
            self._own_answer(record, 503, b"the target's name does not resolve\r\n")
            return
        if not ipaddress.ip_address(address).is_loopback:
            self._own_answer(record, 403, b"access to this target is denied\r\n")
            return
        record["upstream"] = "%s:%d" % (target.hostname, port)
        self._forward(record, target, address, port, body)

    def _read_body(self):
        if self.headers.get("Transfer-Encoding"):
            return None
        length = self.headers.get("Content-Length")
        if length is None:
            return b""
        try:
            n = int(length)
        except ValueError:
            return None
        if n < 0 or n > MAX_BODY:
            return None
        return self.rfile.read(n)

    def _authorised(self):
        expected = self.server.credentials()
        if expected is None:
            return True
        scheme, _, token = (self.headers.get("Proxy-Authorization") or "").strip().partition(" ")
        if scheme.lower() != "basic":
            return False
        try:
            given = base64.b64decode(token.strip(), validate=True)
        except (binascii.Error, ValueError):
            return False
        return given == ("%s:%s" % expected).encode("utf-8")

    def _own_answer(self, record, status, text, extra=()):
        record["status"] = status
        self.send_response(status)
        for name, value in extra:
            self.send_header(name, value)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", str(len(text)))
        if self.close_connection:
            self.send_header("Connection", "close")
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(text)

    def _forward(self, record, target, address, port, body):
        path = target.path or "/"
        if target.query:
            path += "?" + target.query
        upstream = http.client.HTTPConnection(address, port, timeout=UPSTREAM_TIMEOUT)
        try:
            try:
                upstream.putrequest(self.command, path, skip_host=True,
                                    skip_accept_encoding=True)
                headers = _end_to_end(self.headers)
                if not any(k.lower() == "host" for k, _ in headers):
                    headers.append(("Host", target.netloc.rpartition("@")[2]))
                for name, value in headers + [("Via", VIA),
                                              ("X-Forwarded-For", self.client_address[0]),
                                              ("Connection", "close")]:
                    upstream.putheader(name, value)
                upstream.endheaders(body if body else None)
            except OSError:
                self._own_answer(record, 503, b"the target cannot be reached\r\n")
                return
            try:
                answer = upstream.getresponse()
            except (OSError, http.client.HTTPException):
                self._own_answer(record, 502, b"the target broke off before answering\r\n")
                return
            record["status"] = answer.status
            self._relay(record, answer)
        finally:
            upstream.close()

    def _relay(self, record, answer):
        length = answer.getheader("Content-Length")
        bodiless = self.command == "HEAD" or answer.status in (204, 304) or answer.status < 200
        if length is None and not bodiless:
            # Only the end of the connection can mark the end of this body.
            self.close_connection = True
        self.send_response_only(answer.status, answer.reason)
        for name, value in _end_to_end(answer.msg):
            self.send_header(name, value)
        self.send_header("Via", VIA)
        if self.close_connection:
            self.send_header("Connection", "close")
        self.end_headers()
        relayed = 0
        try:
            while not bodiless:
                piece = answer.read1(RELAY_CHUNK)
                if not piece:
                    break
                self.wfile.write(piece)
                relayed += len(piece)
            if length is not None and not bodiless and relayed < int(length):
                raise http.client.IncompleteRead(b"", int(length) - relayed)
        except (http.client.HTTPException, OSError):
            # The upstream broke off (or the client went): the client must
            # see a cut connection, not a shorter body.
            record["outcome"] = "broken"
            self.close_connection = True
            try:
                self.wfile.flush()
                self.connection.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass
        else:
            record["outcome"] = "ok"
        record["bytes_relayed"] = relayed


class ScanProxy(ThreadingHTTPServer):
    daemon_threads = True

    def __init__(self, port, log, auth=None, realm="scan proxy", verbose=False):
        super().__init__(("127.0.0.1", port), ProxyHandler)
        self.log = log
        self.realm = realm
        self.verbose = verbose
        self._lock = threading.Lock()
        self._credentials = None
        self.set_auth(auth)

    def set_auth(self, auth):
        """auth: "user:password" (split at the first colon), or None for none."""
        if auth is not None:
            user, sep, password = auth.partition(":")
            if not sep:
                raise ValueError("proxy credentials must be USER:PASSWORD")
            auth = (user, password)
        with self._lock:
            self._credentials = auth

    def credentials(self):
        with self._lock:
            return self._credentials

    def describe(self):
        creds = self.credentials()
        return {"port": self.server_address[1], "realm": self.realm,
                "user": creds[0] if creds else None}
