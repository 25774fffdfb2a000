"""Scenario of the simulated scan server: which faults and waits it injects.

The same option syntax serves the command line and the control endpoint
(POST /__control/scenario), so a test can switch scenarios without restarting.
"""

import argparse
import textwrap
import threading

PATH_FILE = "CV_WebPath.txt"
COMMANDS = (
    "BEGIN_JOB", "READY_BEGIN_JOB", "CANCEL_BEGIN_JOB", "BEGIN_SCANPAGE",
    "READY_SCANPAGE", "CANCEL_SCANPAGE", "BEGIN_GET_IMAGE", "GET_IMAGE",
    "CANCEL_GET_IMAGE", "END_JOB", "HEART_BEAT_JOB",
)
# Names an injection may target: every command, plus the path file request.
TARGETS = COMMANDS + (PATH_FILE,)

SCENARIO_HELP = textwrap.fill(
    "Injection options take the form TARGET=VALUE[:key=N]... where TARGET is a "
    "command name (%s) or %s for the path file request." % (", ".join(COMMANDS), PATH_FILE),
    78) + """
Every injection accepts
  :after=M   let the first M requests for TARGET pass untouched (default 0)
  :times=K   then act on K requests (default 1; 0 = on every later request)
Counting is per injection over the server's life (or since the scenario was
last replaced through the control endpoint).  On one request they act in this
order: --delay, --drop-at, --http-status, --result; a request dropped without
a reply, an injected HTTP status and an injected result leave the job
untouched (a drop at byte=N happens after the command was carried out).  An
injected GET_IMAGE result also carries Y_DATA_BYTE=0 and an empty
Y_IMAGE_DATA=.
"""


class Injection:
    """One injected behaviour on one target, with its own request counter."""

    def __init__(self, target, value, params, times=1, after=0):
        self.target = target
        self.value = value
        self.params = params
        self.times = times
        self.after = after
        self.seen = 0
        self.fired = 0

    def describe(self):
        return {"target": self.target, "value": self.value, "params": self.params,
                "times": self.times, "after": self.after, "seen": self.seen,
                "fired": self.fired}


def _int(text, what):
    try:
        return int(text, 10)
    except ValueError:
        raise argparse.ArgumentTypeError("%s: %r is not a whole number" % (what, text))


def _reply_key(text, what):
    if not text.startswith("Y_"):
        raise argparse.ArgumentTypeError("%s: %r is not a reply key (Y_...)" % (what, text))
    return text


def _ranged(low, high):
    def check(text, what):
        value = _int(text, what)
        if not low <= value <= high:
            raise argparse.ArgumentTypeError("%s: %d is outside %d..%d" % (what, value, low, high))
        return value
    return check


def _injection_parser(allowed_params, has_value=True, target=None, value_type=_int,
                      targets=TARGETS):
    """argparse type for TARGET=VALUE[:k=v]... (or VALUE[:k=v]... with a fixed target)."""
    allowed = set(allowed_params) | {"times", "after"}

    def parse(text):
        head, *opts = text.split(":")
        if target is not None:
            tgt, value = target, head
        elif has_value:
            tgt, sep, value = head.partition("=")
            if not sep:
                raise argparse.ArgumentTypeError("%r: expected TARGET=VALUE" % text)
        else:
            tgt, value = head, None
        if tgt not in targets:
            raise argparse.ArgumentTypeError("%r: unknown target %r" % (text, tgt))
        if value is not None:
            value = value_type(value, text)
        params = {}
        for opt in opts:
            key, sep, val = opt.partition("=")
            if not sep or key not in allowed:
                raise argparse.ArgumentTypeError(
                    "%r: unknown part %r (allowed: %s)" % (text, opt, ", ".join(sorted(allowed))))
            params[key] = _int(val, text)
        if params.get("byte", 0) < 0:
            raise argparse.ArgumentTypeError("%r: byte must not be negative" % text)
        times = params.pop("times", 1)
        after = params.pop("after", 0)
        if times < 0 or after < 0:
            raise argparse.ArgumentTypeError("%r: times and after must not be negative" % text)
        return Injection(tgt, value, params, times, after)
    return parse


def _command_count(text):
    """CMD=N for the ready waits."""
    cmd, sep, n = text.partition("=")
    if cmd not in ("READY_BEGIN_JOB", "READY_SCANPAGE") or not sep:
        raise argparse.ArgumentTypeError("%r: expected READY_BEGIN_JOB=N or READY_SCANPAGE=N" % text)
    value = _int(n, text)
    if value < 0:
        raise argparse.ArgumentTypeError("%r: negative count" % text)
    return cmd, value


def _non_negative(text):
    value = _int(text, "count")
    if value < 0:
        raise argparse.ArgumentTypeError("%r: negative count" % text)
    return value


def _extra_line(text):
    cmd, sep, line = text.partition("=")
    if cmd not in COMMANDS or not sep:
        raise argparse.ArgumentTypeError("%r: expected CMD=TEXT" % text)
    return cmd, line


def add_scenario_arguments(parser):
    g = parser.add_argument_group("scenario (also settable at run time)", SCENARIO_HELP)
    g.add_argument("--cgi-path", default="/cgi-bin/", metavar="PATH",
                   help="value of the CGI_PATH line of CV_WebPath.txt; commands are served "
                        "at PATH + 'scanner.dll' (default /cgi-bin/)")
    g.add_argument("--no-cgi-path", action="store_true",
                   help="CV_WebPath.txt has no CGI_PATH line (its first line has another key)")
    g.add_argument("--result", action="append", default=[], metavar="CMD=CODE[:recover=N][:status=S]",
                   type=_injection_parser(("recover", "status"), targets=COMMANDS),
                   help="answer CMD with Y_RESULT=CODE, Y_STATUS=S (default 0) and "
                        "Y_RECOVER=N (default 0) instead of carrying it out")
    g.add_argument("--http-status", action="append", default=[], metavar="CMD=CODE",
                   type=_injection_parser((), value_type=_ranged(100, 599)),
                   help="answer CMD with this HTTP status (and a short text body) instead "
                        "of carrying it out")
    g.add_argument("--delay", action="append", default=[], metavar="CMD=MS",
                   type=_injection_parser((), value_type=_ranged(0, 3600000)),
                   help="wait MS milliseconds before handling CMD")
    g.add_argument("--drop-at", action="append", default=[], metavar="CMD[:byte=N]",
                   type=_injection_parser(("byte",), has_value=False),
                   help="close the connection at CMD: without any reply (the command is not "
                        "carried out), or with byte=N after the status line, the HTTP headers "
                        "and N bytes of the body; for GET_IMAGE N counts image bytes after "
                        "'Y_IMAGE_DATA='")
    g.add_argument("--short-data", action="append", default=[], metavar="BYTES",
                   type=_injection_parser((), target="GET_IMAGE", value_type=_ranged(0, 1 << 31)),
                   help="a GET_IMAGE answer announces its full Y_DATA_BYTE (and Content-Length) "
                        "but sends BYTES fewer image bytes, then closes the connection")
    g.add_argument("--omit-key", action="append", default=[], metavar="CMD=Y_KEY",
                   type=_injection_parser((), value_type=_reply_key, targets=COMMANDS),
                   help="leave the reply line Y_KEY out of CMD's answer (e.g. BEGIN_JOB=Y_SESSION, "
                        "or Y_RECOVER to test a client that keeps an earlier value; GET_IMAGE=Y_IMAGE_DATA "
                        "announces Y_DATA_BYTE without sending the data)")
    g.add_argument("--extra-line", action="append", default=[], metavar="CMD=TEXT", type=_extra_line,
                   help="add the raw line TEXT to every text answer of CMD, before the "
                        "image data of GET_IMAGE (e.g. 'Y_UNKNOWN=5' or a line without '=')")
    g.add_argument("--ready-wait", action="append", default=[], metavar="CMD=N", type=_command_count,
                   help="READY_BEGIN_JOB (per job) or READY_SCANPAGE (per page) answers "
                        "Y_READY=1 N times before Y_READY=0")
    g.add_argument("--operator-wait", type=_non_negative, default=0, metavar="N",
                   help="READY_SCANPAGE answers Y_READY=2 (waiting for the operator at the "
                        "device) N times per page, before the --ready-wait answers")
    g.add_argument("--data-byte-zero", type=_non_negative, default=0, metavar="N",
                   help="the first N GET_IMAGE requests of each page answer Y_DATA_BYTE=0 "
                        "(data not yet available)")
    g.add_argument("--scan-authentic", action="store_true",
                   help="BEGIN_JOB answers Y_SCAN_AUTHENTIC=1 without a session: the device "
                        "requires authentication, no job is opened")
    g.add_argument("--feeder-sheets", type=_non_negative, default=1, metavar="N",
                   help="sheets in the document feeder at each BEGIN_JOB (default 1); a sheet "
                        "gives two pages when X_SCAN_FACE is 1 or 2 (duplex); READY_SCANPAGE "
                        "answers 16409 with Y_RECOVER=1 once the stack is used up")
    g.add_argument("--no-feeder", action="store_true",
                   help="the device has no document feeder: Y_DADF=0, and a feeder job "
                        "(X_PAPER_PLACE=1) is refused with 16414")
    g.add_argument("--detected-size", type=int, default=5, metavar="CODE",
                   help="document size code (3..28) the scanner 'detects' when the job asks "
                        "for automatic detection (0 or 1); default 5 (A4 portrait)")
    g.add_argument("--rowbytes", choices=("page", "row", "zero"), default="page",
                   help="Y_ROWBYTES of BEGIN_GET_IMAGE: 'page' = row stride x pixel height "
                        "(what the client divides by the pixel height; default), 'row' = the "
                        "row stride itself, 'zero' = 0 (client falls back to 4-byte aligned rows)")
    g.add_argument("--row-align", type=int, choices=(1, 2, 4, 8), default=4,
                   help="rows are padded with zero bytes to a multiple of this many bytes "
                        "(default 4, which matches the client's fallback for Y_ROWBYTES=0)")
    g.add_argument("--page-source", default="generated", metavar="generated|pnm:FILE[,FILE...]",
                   help="page images: generated test documents (default) or binary PNM files "
                        "(P4/P5/P6, maxval 255); page n of a job uses file (n-1) mod count, "
                        "at the file's own pixel size, converted to the job's colour mode")
    g.add_argument("--image-rate", type=_non_negative, default=0, metavar="BYTES_PER_S",
                   help="send image data at most this fast (0 = unlimited), e.g. to cancel "
                        "in the middle of an image read")
    g.add_argument("--image-chunk", type=_non_negative, default=0, metavar="BYTES",
                   help="send image data in separate writes of this many bytes, pausing now "
                        "and then, so that reads end inside rows as a slow network makes them "
                        "(0 = as few writes as possible)")
    return g


def scenario_parser():
    parser = argparse.ArgumentParser(prog="scenario", add_help=False,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    add_scenario_arguments(parser)
    return parser


class ParseError(Exception):
    pass


class _RaisingParser(argparse.ArgumentParser):
    def error(self, message):
        raise ParseError(message)


def parse_scenario_args(args):
    """Scenario from option strings (control endpoint); raises ParseError."""
    parser = _RaisingParser(prog="scenario", add_help=False)
    add_scenario_arguments(parser)
    return Scenario(parser.parse_args(args))


class Scenario:
    """The parsed scenario options and the counters of their injections."""

    def __init__(self, ns):
        self.options = ns
        if ns.page_source != "generated" and not ns.page_source.startswith("pnm:"):
            raise ParseError("--page-source must be 'generated' or 'pnm:FILE[,FILE...]'")
        if ns.detected_size not in range(3, 29):
            raise ParseError("--detected-size must be a size code from 3 to 28")
        if not ns.cgi_path.startswith("/"):
            raise ParseError("--cgi-path must start with '/'")
        self.ready_wait = dict(ns.ready_wait)
        self.extra_lines = {}
        for cmd, line in ns.extra_line:
            self.extra_lines.setdefault(cmd, []).append(line)
        self._injections = {
            "result": ns.result, "http_status": ns.http_status, "delay": ns.delay,
            "drop": ns.drop_at, "short_data": ns.short_data, "omit_key": ns.omit_key,
        }
        self._lock = threading.Lock()

    @property
    def page_source(self):
        src = self.options.page_source
        return "generated" if src == "generated" else src[4:].split(",")

    def take(self, kind, target):
        """Counts one request for target and returns the injections of kind that act on it."""
        fired = []
        with self._lock:
            for inj in self._injections[kind]:
                if inj.target != target:
                    continue
                inj.seen += 1
                if inj.seen > inj.after and (inj.times == 0 or inj.fired < inj.times):
                    inj.fired += 1
                    fired.append(inj)
        return fired

    def take_one(self, kind, target):
        fired = self.take(kind, target)
        return fired[0] if fired else None

    def describe(self):
        with self._lock:
            return {kind: [i.describe() for i in injs] for kind, injs in self._injections.items()}
