"""Helpers for end-to-end tests of Quodo.exe itself: starting it at a chosen moment and locale,
reading its bar, and the fixture web server that stands in for the quote sites and chart server.

    class T(QuodoTestCase):
        def test_x(self):
            self.serve({"nl.investing.com/indices/netherlands-25-historical-data": [{"body": page}]})
            quodo = self.start_quodo(clock="2026-12-07 10:00:00")
            quodo.wait_bar(lambda bar: bar.level == "905,10")
"""

import json
import os
import shutil
import struct
import tempfile
import zlib

from quodo_e2e import E2ETestCase, Rect, _reg_string, wait_until

INVESTING = "nl.investing.com/indices/netherlands-25-historical-data"
IEX = "m.iex.nl/"
CHART = "charts.iex.nl/ChartServer/chart.ashx"
FEED_HOST = "query1.finance.yahoo.com"
FEED = FEED_HOST + "/v8/finance/chart/%5EAEX"
QUOTE_HOSTS = ("nl.investing.com", "m.iex.nl")
DUTCH = {"LC_ALL": "nl_NL.UTF-8", "TZ": "Europe/Amsterdam"}


def investing_page(level, change, percent, time):
    return ("<!DOCTYPE html><html><head><title>AEX historische koersen</title></head><body>"
            '<span class="arial_26 inlineblock pid-13-last" id="last_last" dir="ltr">%s</span>'
            '<span class="arial_20 greenFont pid-13-pc" dir="ltr">%s</span>'
            '<span class="arial_20 greenFont pid-13-pcp parentheses" dir="ltr">%s</span>'
            '<div class="bottom"><span class="bold pid-13-time">%s</span></div></body></html>'
            % (level, change, percent, time))


def iex_page(level, change, percent, time):
    return ('<html><head><script type="text/javascript">var IEX25LastPrice = %s;\n'
            "var IEX25AbsoluteDifference = %s;\nvar IEX25RelativeDifference = %s;\n</script></head>"
            '<body><span id="LastTime">%s</span></body></html>' % (level, change, percent, time))


MONDAY_TEN = 1796634000  # 2026-12-07 10:00:00 in Amsterdam, Unix seconds


def feed_answer(level, seconds_after_ten):
    """An answer of the quote feed, written from its field names: the level, the time of its last
    trade (seconds after ten on Monday 7 December 2026) and five-minute points since nine, one missing."""
    meta = {"symbol": "^AEX", "regularMarketPrice": level, "regularMarketTime": MONDAY_TEN + seconds_after_ten,
            "chartPreviousClose": 900.0}
    points = {"timestamp": [MONDAY_TEN - 3600 + 300 * n for n in range(12)],
              "indicators": {"quote": [{"close": [900.0 + n * 0.5 if n != 3 else None for n in range(12)]}]}}
    return json.dumps({"chart": {"result": [dict(meta=meta, **points)], "error": None}})


def png(width, height, pixel):
    """A plain 8-bit RGB PNG file: pixel(x, y) gives (r, g, b)."""
    rows = b"".join(b"\0" + bytes(v for x in range(width) for v in pixel(x, y)) for y in range(height))

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows))
            + chunk(b"IEND", b""))


# The ids of the bar's windows: their places among the bar's controls.
BUTTON_INFO, BUTTON_MIN, BUTTON_CHECK, BUTTON_MAX, LABEL1, LABEL2, LABEL3 = range(1, 8)


class Bar:
    """The bar as the user reads it: index name, level and quote time, and which buttons show."""

    def __init__(self, main):
        children = main.children()
        panel = next(c for c in children if c["class"] == "TPanel")
        in_bar = {c["id"]: c for c in children if c["parent"] == panel["hwnd"]}
        self.windows = in_bar
        self.labels = [in_bar[LABEL1], in_bar[LABEL2], in_bar[LABEL3]]
        self.name, self.level, self.time = (c["text"] for c in self.labels)
        self.shown = {name for name, id in (("info", BUTTON_INFO), ("min", BUTTON_MIN), ("check", BUTTON_CHECK),
                                            ("max", BUTTON_MAX)) if in_bar[id]["visible"]}
        wait = [c for c in children if c["class"] == "TLabel" and c["parent"] != panel["hwnd"]]
        self.wait_text = wait[0]["text"] if wait else None
        self.wait_visible = bool(wait and wait[0]["visible"])


class Quodo:
    """A running Quodo.exe and its main window."""

    def __init__(self, case, program):
        self.case = case
        self.program = program
        self.session = case.session
        self.main = program.wait_window("TMainForm", timeout=20)

    def bar(self):
        return Bar(self.main)

    def wait_bar(self, condition, timeout=15, message="the bar"):
        found = []

        def check():
            bar = self.bar()
            found[:] = [bar]
            return condition(bar)
        try:
            wait_until(check, timeout=timeout, message=message)
        except Exception:
            bar = found[0] if found else None
            raise AssertionError("%s: last seen %r" % (message, bar and (bar.name, bar.level, bar.time)))
        return found[0]

    def rect(self):
        self.main.refresh()
        return self.main.rect

    def menu_choose(self, downs, at=(5, 10)):
        """Opens the main menu with the right button and chooses the item `downs` steps down."""
        self.main.right_click(*at)
        self.session.menu(timeout=5)
        self.session.keys(*(["DOWN"] * downs + ["RETURN"]))
        wait_until(lambda: not self.session.menu_open(), timeout=5, message="menu closed")

    def download(self):
        """"Download AEX" by its key, F5, with the window holding the keyboard; returns once a refresh
        has started. A refresh asked for while another runs is dropped, so F5 is pressed again until
        a quote site sees a new request: the refresh before has then ended."""
        def quote_requests():
            return len([r for r in self.case.requests() if r["host"] in QUOTE_HOSTS])
        before = quote_requests()

        def pressed():
            label = self.bar().windows[LABEL3]["rect"]
            self.session.click((label[0] + label[2]) // 2, (label[1] + label[3]) // 2)
            self.session.keys("F5")
            try:
                return wait_until(lambda: quote_requests() > before, timeout=3)
            except TimeoutError:
                return False
        wait_until(pressed, timeout=30, interval=0, message="a refresh started by F5")

    def switch_mode(self):
        self.menu_choose(2)

    def open_settings(self):
        """"Instellingen..." from the main menu: the settings dialog, once it shows."""
        self.menu_choose(3)
        return self.program.wait_window("TOptionsForm", timeout=10)

    def open_about(self):
        """"Over Quodo" from the info menu of the bar's question-mark button: the information box,
        once it shows."""
        left, top, right, bottom = self.bar().windows[BUTTON_INFO]["rect"]
        self.session.click((left + right) // 2, (top + bottom) // 2)
        menu = Rect(*self.session.menu(timeout=5).info["rect"])
        # The second of its two items, clicked: the pointer reaches the menu whoever has the keyboard.
        self.session.click(menu.left + menu.width // 2, menu.top + menu.height * 3 // 4)
        wait_until(lambda: not self.session.menu_open(), timeout=5, message="menu closed")
        return self.program.wait_window("TAboutBox", timeout=10)

    def quit(self):
        self.main.right_click(5, 10)
        self.session.menu(timeout=5)
        self.session.keys("UP", "RETURN")  # "Afsluiten" is the last item
        self.program.wait(15)


class StandInPing:
    """The session's 32-bit system ping replaced by the stand-in of the update tests, which prints a
    Windows reply at once (in the layout QUODO_PING_LAYOUT names); restore() puts Wine's back."""

    def __init__(self, session, standins=None):
        standins = standins or os.environ["QUODO_STANDINS"]
        self.path = os.path.join(session.prefix, "drive_c", "windows", "syswow64", "ping.exe")
        shutil.move(self.path, self.path + ".wine")
        shutil.copy(os.path.join(standins, "ping.exe"), self.path)

    def restore(self):
        shutil.move(self.path + ".wine", self.path)


def shell_recorder(session):
    """The protocol-handler recorder that the Wine tests of the shell build (tests/win32/dialogs):
    registered as "recorder" "record file" "%1", it writes the command line it got to the record file."""
    path = os.path.join(os.path.dirname(session.bin_dir), "tests", "win32", "dialogs", "standins",
                        "shell_recorder.exe")
    if not os.path.isfile(path):
        raise RuntimeError("no shell recorder at %s: build the cross build's tests" % path)
    return path


class ProtocolHandlers:
    """The open commands of URL schemes below HKEY_CLASSES_ROOT, replaced for a test. Wine does not
    merge HKCU\\Software\\Classes into HKEY_CLASSES_ROOT, so the handlers go there; what was there is
    exported first and put back by restore()."""

    def __init__(self, session, schemes, folder):
        self.session = session
        self.folder = folder
        self.saved = {}
        for scheme in schemes:
            path = os.path.join(folder, "saved-%s.reg" % scheme)
            result = session.in_wine(["wine", "reg", "export", "HKEY_CLASSES_ROOT\\" + scheme,
                                      session._wine_path(path), "/y"])
            self.saved[scheme] = path if result.returncode == 0 and os.path.exists(path) else None

    def _import(self, lines):
        self.session._reg_import("\r\n".join(["Windows Registry Editor Version 5.00", ""] + lines + ["", ""]))

    def register(self, scheme, command):
        """Makes `command` (with "%1" for the address) the scheme's only open command."""
        key = "HKEY_CLASSES_ROOT\\" + scheme
        self._import(["[-%s]" % key, "", "[%s]" % key, "@=" + _reg_string("URL:" + scheme),
                      '"URL Protocol"=""', "", "[%s\\shell\\open\\command]" % key, "@=" + _reg_string(command)])

    def restore(self):
        for scheme, saved in self.saved.items():
            self._import(["[-HKEY_CLASSES_ROOT\\%s]" % scheme])
            if saved:
                result = self.session.in_wine(["wine", "reg", "import", self.session._wine_path(saved)])
                if result.returncode != 0:
                    raise RuntimeError("could not put back the %s handler: %s" % (scheme, result.stderr))


def fixture_request(session, method, path, body=None, timeout=60):
    """Sends one control request to the fixture server, from inside the session's network
    namespace (where its 127.0.0.1 is): the answer's text."""
    code = ("import sys, urllib.request\n"
            "data = sys.stdin.buffer.read() if %r else None\n"
            "req = urllib.request.Request('http://127.0.0.1/_fixture/%s', data=data, method=%r)\n"
            "sys.stdout.write(urllib.request.urlopen(req, timeout=30).read().decode('latin-1'))\n"
            % (body is not None, path, method))
    with tempfile.NamedTemporaryFile("wb", delete=False) as body_file:
        body_file.write((body or "").encode("latin-1"))
    try:
        result = session.in_wine(["/bin/sh", "-c", 'exec /usr/bin/python3 -c "$0" < "$1"', code, body_file.name],
                                 timeout=timeout)
    finally:
        os.unlink(body_file.name)
    if result.returncode != 0:
        raise RuntimeError("fixture control failed: " + result.stderr)
    return result.stdout


class QuodoTestCase(E2ETestCase):
    """A test of Quodo.exe with its fixture web server running in the session. With `tls` set the
    server also answers HTTPS for the maker's web host, with a certificate of a test CA that the
    session's Wine then trusts."""

    fixture = None
    tls = False

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        root = cls.session.root
        cls.fixture_dir = tempfile.mkdtemp(prefix="quodo-fixture-")
        cls.fixture_script = os.path.join(root, "tests", "fixtures", "fixture_server.py")
        command = ["/usr/bin/python3", cls.fixture_script, "start", "--state", cls.fixture_dir]
        tls_dir = os.path.join(cls.fixture_dir, "tls")
        if cls.tls:
            command += ["--tls-port", "443", "--tls-dir", tls_dir]
        result = cls.session.in_wine(command)
        if result.returncode != 0:
            raise RuntimeError("fixture server did not start: " + result.stdout + result.stderr)
        if cls.tls:
            cls.session.auto_one("trustroot", "Z:" + os.path.join(tls_dir, "ca.crt").replace("/", "\\"))

    @classmethod
    def tearDownClass(cls):
        cls.session.in_wine(["/usr/bin/python3", cls.fixture_script, "stop", "--state", cls.fixture_dir])
        shutil.rmtree(cls.fixture_dir, ignore_errors=True)
        super().tearDownClass()

    def setUp(self):
        super().setUp()
        self.serve({})
        data = os.path.join(self.session.prefix, "drive_c", "users", "root", "UserData", "Quodo")
        shutil.rmtree(data, ignore_errors=True)
        self.data_folder = data

    def _control(self, method, path, body=None):
        return fixture_request(self.session, method, path, body)

    def serve(self, routes):
        """Replaces what the servers answer: {"host/path": [behaviour, ...]} (the last repeats)."""
        self._control("POST", "script", json.dumps({"routes": routes}))

    def requests(self):
        return json.loads(self._control("GET", "requests"))

    def start_quodo(self, clock, env=None, cwd=None, first_refresh=True, exe="Quodo.exe"):
        """Starts Quodo (the build's, or `exe`) at a local moment (it runs on from there) in a Dutch
        locale; by default returns once the first refresh, a second after start, has filled the bar."""
        full = dict(DUTCH)
        full["QUODO_CLOCK"] = clock
        full.update(env or {})
        program = self.launch(exe, cwd=cwd or self.session.bin_dir, env=full)
        quodo = Quodo(self, program)
        if first_refresh:
            quodo.wait_bar(lambda bar: bar.level != "*******" or bar.time != " @ *****", message="first refresh")
        return quodo
