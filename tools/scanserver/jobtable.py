"""Scan jobs of the simulated server and the command state machine.

           BEGIN_JOB
               |
               v                                      CANCEL_BEGIN_JOB (from BEGUN or READY),
            BEGUN --READY_BEGIN_JOB (Y_READY=0)--> READY      END_JOB (from any open state)
                                                    |  ^      ------------------> CLOSED
                                     BEGIN_SCANPAGE |  | CANCEL_SCANPAGE,
                                                    v  | READY_SCANPAGE 16409 (feeder empty)
                       PAGE_BEGUN --READY_SCANPAGE (Y_READY=0)--> PAGE_READY
                                                                   |    ^
                                                   BEGIN_GET_IMAGE |    | last byte sent,
                                                                   v    | CANCEL_GET_IMAGE
                                                                IMAGE_OPEN
    Feeder jobs: READY_SCANPAGE in PAGE_READY means the next page (sheet or back side).
    Platen jobs: BEGIN_SCANPAGE in PAGE_READY scans the platen again.
"""

import copy
import threading
import time

import pages

# Result codes (they are the client's message ids).
RESULT_OK = 0
RESULT_PARAMETER_ERROR = 1          # shown by the client as "parameter error"
RESULT_FEEDER_EMPTY = 16409
RESULT_NO_MEMORY = 16413
RESULT_NO_FEEDER = 16414
RESULT_BAD_SCAN_PARAMETER = 16430

# Y_STATUS details of RESULT_PARAMETER_ERROR and RESULT_BAD_SCAN_PARAMETER.
STATUS_BAD_PROTOCOL = 1
STATUS_UNKNOWN_COMMAND = 2
STATUS_BAD_PARAMETER = 3
STATUS_UNKNOWN_SESSION = 4
STATUS_OUT_OF_ORDER = 5
STATUS_TOO_LARGE = 6

MAX_PAGE_BYTES = 0x7FFFFFFF        # Y_DATA_BYTE and X_START_BYTE are signed 32-bit

BEGIN_JOB_TEXT_FIELDS = ("X_CLIENT", "X_USERNAME", "X_PASSWORD")
BEGIN_JOB_NUMBER_FIELDS = (
    "X_PAPER_PLACE", "X_SCAN_FACE", "X_COLOR_MODE", "X_RESOLUTION", "X_INPUTMEDIUMSIZE",
    "X_IMAGE_WIDTH", "X_IMAGE_HEIGHT", "X_INPUTMEDIUMMIX", "X_BRIGHTNESS", "X_CONTRAST",
    "X_SATURATION", "X_SHARPNESS", "X_ENABLEBACKGROUNDELIMINATION", "X_BLEEDTHROUGHREMOVAL",
    "X_PHOTOGRAPHS", "X_IMAGE_MODE", "X_ISOTROPIC", "X_EDGEERASE", "X_OUTPUTMEDIUMSIZE",
)
# Custom document size limits in tenths of a millimetre (width, height).
CUSTOM_MIN = (150, 150)
CUSTOM_MAX = (4320, 2970)

BEGUN, READY, PAGE_BEGUN, PAGE_READY, IMAGE_OPEN, CLOSED = (
    "BEGUN", "READY", "PAGE_BEGUN", "PAGE_READY", "IMAGE_OPEN", "CLOSED")


class Reply:
    """What a command answers: Y_ lines, and for GET_IMAGE the image bytes to follow."""

    def __init__(self, result=RESULT_OK, status=0, recover=0):
        self.lines = [("Y_RESULT", result), ("Y_STATUS", status), ("Y_RECOVER", recover)]
        self.image = None          # (page data, start, count) for GET_IMAGE
        self.image_token = None    # (job, token) to report an incomplete send
        self.opened_page = None    # (session, number, geometry, bytes) of BEGIN_GET_IMAGE

    def add(self, key, value):
        self.lines.append((key, value))
        return self

    @property
    def result(self):
        return self.lines[0][1]


class ProtocolError(Exception):
    def __init__(self, result, status):
        super().__init__(result, status)
        self.result = result
        self.status = status


def parse_number(fields, name):
    text = fields.get(name)
    if text is None:
        raise ProtocolError(RESULT_PARAMETER_ERROR, STATUS_BAD_PARAMETER)
    try:
        if not text.lstrip("-").isdigit() or text.count("-") > 1:
            raise ValueError
        return int(text, 10)
    except ValueError:
        raise ProtocolError(RESULT_PARAMETER_ERROR, STATUS_BAD_PARAMETER)


class Job:
    def __init__(self, session, params, scenario):
        self.session = session
        self.params = params
        self.feeder = params["X_PAPER_PLACE"] == 1
        self.sides_per_sheet = 2 if self.feeder and params["X_SCAN_FACE"] in (1, 2) else 1
        self.sheets_left = scenario.options.feeder_sheets if self.feeder else 0
        self.sides_left = 0
        self.state = BEGUN
        self.ready_waits_left = scenario.ready_wait.get("READY_BEGIN_JOB", 0)
        self.page_waits = None
        self.pages = []            # descriptions of scanned pages
        self.page = None           # current page description
        self.data = None           # current page bytes once the image is open
        self.heartbeats = []
        self.commands = []
        self.created = time.time()
        self.closed = None
        self.closed_by = None
        self.token = 0

    def describe(self):
        return {
            "session": self.session, "state": self.state, "open": self.state != CLOSED,
            "feeder": self.feeder, "sides_per_sheet": self.sides_per_sheet,
            "sheets_left": self.sheets_left, "pages": self.pages,
            "heartbeats": self.heartbeats, "commands": self.commands,
            "created": self.created, "closed": self.closed, "closed_by": self.closed_by,
            "params": self.params,
        }


class JobTable:
    """All jobs of the server; commands are carried out under one lock."""

    def __init__(self, first_session=1):
        self._lock = threading.Lock()
        self._jobs = {}
        self._next_session = first_session

    # --- queries for the control endpoint -------------------------------

    def describe(self):
        with self._lock:
            # copied under the lock: the caller encodes it while commands go on
            jobs = copy.deepcopy([job.describe() for job in self._jobs.values()])
        return {"open_jobs": [j["session"] for j in jobs if j["open"]], "jobs": jobs}

    def page_record(self, session, number):
        with self._lock:
            job = self._jobs.get(session)
            if job is None or not 1 <= number <= len(job.pages):
                return None
            return dict(job.pages[number - 1])

    def reload_feeders(self, scenario):
        """A new scenario puts a new stack into the feeder: a feeder job the
        client keeps open between scans takes it up at its next page."""
        with self._lock:
            for job in self._jobs.values():
                if job.feeder and job.state != CLOSED and job.sides_left == 0:
                    job.sheets_left = scenario.options.feeder_sheets

    # --- commands ------------------------------------------------------

    def handle(self, command, fields, scenario, factory):
        try:
            if fields.get("X_PROTOCOL") != "120":
                raise ProtocolError(RESULT_PARAMETER_ERROR, STATUS_BAD_PROTOCOL)
            handler = getattr(self, "_cmd_" + command.lower(), None) if command else None
            if handler is None or command.upper() != command:
                raise ProtocolError(RESULT_PARAMETER_ERROR, STATUS_UNKNOWN_COMMAND)
            if command == "BEGIN_GET_IMAGE":
                self._prepare_page(fields, factory)
            with self._lock:
                if command == "BEGIN_JOB":
                    return self._cmd_begin_job(fields, scenario)
                job = self._open_job(fields)
                if command != "HEART_BEAT_JOB":
                    job.token += 1
                    job.commands.append(command)
                return handler(job, fields, scenario, factory)
        except ProtocolError as e:
            return Reply(e.result, e.status)

    def _prepare_page(self, fields, factory):
        # Building a large page takes a while: not under the lock, so that
        # heartbeats and other sessions are answered meanwhile.
        with self._lock:
            job = self._open_job(fields)
            page = job.page if job.state == PAGE_READY else None
        if page is not None:
            factory.page(geometry_of(page), page["number"])

    def image_incomplete(self, job, token):
        """The last GET_IMAGE reply did not reach the client whole: the image stays open."""
        with self._lock:
            if job.token == token and job.state == PAGE_READY:
                job.state = IMAGE_OPEN

    def _open_job(self, fields):
        session = parse_number(fields, "X_SESSION")
        job = self._jobs.get(session)
        if job is None or job.state == CLOSED:
            raise ProtocolError(RESULT_PARAMETER_ERROR, STATUS_UNKNOWN_SESSION)
        return job

    @staticmethod
    def _expect(job, *states):
        if job.state not in states:
            raise ProtocolError(RESULT_PARAMETER_ERROR, STATUS_OUT_OF_ORDER)

    def _cmd_begin_job(self, fields, scenario):
        params = {name: fields.get(name) for name in BEGIN_JOB_TEXT_FIELDS}
        if None in params.values():
            raise ProtocolError(RESULT_PARAMETER_ERROR, STATUS_BAD_PARAMETER)
        for name in BEGIN_JOB_NUMBER_FIELDS:
            params[name] = parse_number(fields, name)
        self._check_scan_parameters(params)
        opts = scenario.options
        dadf = 0 if opts.no_feeder else 1
        if params["X_PAPER_PLACE"] == 1 and opts.no_feeder:
            return Reply(RESULT_NO_FEEDER).add("Y_SCAN_AUTHENTIC", 0).add("Y_DADF", dadf)
        if opts.scan_authentic:
            return Reply().add("Y_SCAN_AUTHENTIC", 1).add("Y_DADF", dadf)
        session = self._next_session
        self._next_session += 1
        job = Job(session, params, scenario)
        job.commands.append("BEGIN_JOB")
        self._jobs[session] = job
        return Reply().add("Y_SESSION", session).add("Y_SCAN_AUTHENTIC", 0).add("Y_DADF", dadf)

    @staticmethod
    def _check_scan_parameters(p):
        ok = (p["X_PAPER_PLACE"] in (0, 1) and p["X_SCAN_FACE"] in (0, 1, 2)
              and p["X_COLOR_MODE"] in pages.BITS_PER_PIXEL
              and p["X_RESOLUTION"] in pages.DPI_BY_RESOLUTION_CODE
              and (p["X_INPUTMEDIUMSIZE"] in pages.SIZE_AUTO_CODES
                   or p["X_INPUTMEDIUMSIZE"] == pages.SIZE_CUSTOM
                   or p["X_INPUTMEDIUMSIZE"] in pages.PAPER_MM))
        if ok and p["X_INPUTMEDIUMSIZE"] == pages.SIZE_CUSTOM:
            ok = (CUSTOM_MIN[0] <= p["X_IMAGE_WIDTH"] <= CUSTOM_MAX[0]
                  and CUSTOM_MIN[1] <= p["X_IMAGE_HEIGHT"] <= CUSTOM_MAX[1])
        if not ok:
            raise ProtocolError(RESULT_BAD_SCAN_PARAMETER, STATUS_BAD_PARAMETER)

    def _cmd_ready_begin_job(self, job, fields, scenario, factory):
        self._expect(job, BEGUN, READY)
        if job.state == BEGUN and job.ready_waits_left > 0:
            job.ready_waits_left -= 1
            return Reply().add("Y_READY", 1)
        job.state = READY
        return Reply().add("Y_READY", 0)

    def _cmd_cancel_begin_job(self, job, fields, scenario, factory):
        self._expect(job, BEGUN, READY)
        self._close(job, "CANCEL_BEGIN_JOB")
        return Reply()

    def _cmd_end_job(self, job, fields, scenario, factory):
        self._close(job, "END_JOB")
        return Reply()

    def _close(self, job, by):
        job.state = CLOSED
        job.closed = time.time()
        job.closed_by = by
        job.data = None

    def _cmd_heart_beat_job(self, job, fields, scenario, factory):
        job.heartbeats.append(time.time())
        return Reply()

    def _cmd_begin_scanpage(self, job, fields, scenario, factory):
        self._expect(job, READY, PAGE_READY)
        self._start_page(job, scenario)
        return Reply()

    def _start_page(self, job, scenario):
        job.state = PAGE_BEGUN
        job.page = None
        job.data = None
        job.page_waits = {"operator": scenario.options.operator_wait,
                          "ready": scenario.ready_wait.get("READY_SCANPAGE", 0)}

    def _cmd_cancel_scanpage(self, job, fields, scenario, factory):
        self._expect(job, PAGE_BEGUN, PAGE_READY)
        job.state = READY
        job.page = None
        job.data = None
        return Reply()

    def _cmd_ready_scanpage(self, job, fields, scenario, factory):
        if job.feeder and job.state == PAGE_READY:
            self._start_page(job, scenario)   # the next sheet or the back side
        if job.feeder and job.state in (PAGE_BEGUN, READY) \
                and job.sides_left == 0 and job.sheets_left == 0:
            # Y_RECOVER=1 marks the normal end of a feeder stack; asked again, the
            # feeder is still empty.
            job.state = READY
            return Reply(RESULT_FEEDER_EMPTY, 0, 1).add("Y_READY", 0)
        self._expect(job, PAGE_BEGUN)
        waits = job.page_waits
        for kind, y_ready in (("operator", 2), ("ready", 1)):
            if waits[kind] > 0:
                waits[kind] -= 1
                return Reply().add("Y_READY", y_ready)
        page = self._scan_page(job, scenario, factory)
        if page["bytes"] > MAX_PAGE_BYTES:
            job.state = READY
            return Reply(RESULT_NO_MEMORY, STATUS_TOO_LARGE).add("Y_READY", 0)
        if job.feeder:
            if job.sides_left == 0:
                job.sheets_left -= 1
                job.sides_left = job.sides_per_sheet
            job.sides_left -= 1
        job.pages.append(page)
        job.page = page
        job.state = PAGE_READY
        return (Reply().add("Y_READY", 0).add("Y_COLOR_MODE", job.params["X_COLOR_MODE"])
                .add("Y_PIXEL_WIDTH", page["width"]).add("Y_PIXEL_HEIGHT", page["height"]))

    def _scan_page(self, job, scenario, factory):
        p = job.params
        dpi = pages.DPI_BY_RESOLUTION_CODE[p["X_RESOLUTION"]]
        size = p["X_INPUTMEDIUMSIZE"]
        if size == pages.SIZE_CUSTOM:
            mm = (p["X_IMAGE_WIDTH"] / 10.0, p["X_IMAGE_HEIGHT"] / 10.0)
        else:
            mm = pages.PAPER_MM[scenario.options.detected_size if size in pages.SIZE_AUTO_CODES
                                else size]
        number = len(job.pages) + 1
        width, height = factory.pixel_size(
            number, (pages.mm_to_pixels(mm[0], dpi), pages.mm_to_pixels(mm[1], dpi)))
        geometry = pages.make_geometry(width, height, p["X_COLOR_MODE"], dpi,
                                       scenario.options.row_align)
        return {"number": number, "width": width, "height": height,
                "mode": geometry.mode, "dpi": dpi, "stride": geometry.stride,
                "bytes": pages.page_bytes(geometry), "source": scenario.options.page_source,
                "data_byte_zero_left": scenario.options.data_byte_zero,
                "image_opened": False, "bytes_sent": 0}

    def _cmd_begin_get_image(self, job, fields, scenario, factory):
        self._expect(job, PAGE_READY)
        page = job.page
        geometry = geometry_of(page)
        job.data = factory.page(geometry, page["number"])
        page["image_opened"] = True
        job.state = IMAGE_OPEN
        rowbytes = {"page": geometry.stride * geometry.height, "row": geometry.stride,
                    "zero": 0}[scenario.options.rowbytes]
        reply = Reply().add("Y_ROWBYTES", rowbytes)
        reply.opened_page = (job.session, page["number"], geometry, job.data)
        return reply

    def _cmd_get_image(self, job, fields, scenario, factory):
        self._expect(job, IMAGE_OPEN)
        page = job.page
        plane = parse_number(fields, "X_PLANE")
        start = parse_number(fields, "X_START_BYTE")
        require = parse_number(fields, "X_REQUIRE_BYTE")
        total = len(job.data)
        if plane != 0 or not 0 <= start < total or require <= 0:
            raise ProtocolError(RESULT_PARAMETER_ERROR, STATUS_BAD_PARAMETER)
        reply = Reply()
        if page["data_byte_zero_left"] > 0:
            page["data_byte_zero_left"] -= 1
            return reply.add("Y_DATA_BYTE", 0).add("Y_IMAGE_DATA", "")
        count = min(require, total - start)
        page["bytes_sent"] = max(page["bytes_sent"], start + count)
        if start + count == total:
            # Counted as fetched now: the client may send its next command before
            # this thread has finished writing; image_incomplete() undoes it.
            job.state = PAGE_READY
        reply.image = (job.data, start, count)
        reply.image_token = (job, job.token)
        return reply.add("Y_DATA_BYTE", count).add("Y_IMAGE_DATA", "")

    def _cmd_cancel_get_image(self, job, fields, scenario, factory):
        if not (job.state == IMAGE_OPEN or (job.state == PAGE_READY and job.page["image_opened"])):
            raise ProtocolError(RESULT_PARAMETER_ERROR, STATUS_OUT_OF_ORDER)
        job.state = PAGE_READY
        job.data = None
        return Reply()


def geometry_of(page):
    return pages.Geometry(page["width"], page["height"], page["mode"], page["dpi"], page["stride"])
