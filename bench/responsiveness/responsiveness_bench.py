#!/usr/bin/env python3
"""Responsiveness benchmark: how long the main window of Quodo.exe stops answering messages under
Wine while the program waits for the network, a sound, a child process or a download, and the
longest time between two requests for the quote page meanwhile (a refresh every 10 s).

Per situation one Quodo.exe run: the shipped program, started as the end-to-end tests start it (a
loopback-only Wine session, the fixture web server on the program's real host names, its clock on
a trading morning, the Dutch locale, an empty registry with only the values a situation needs, a
refresh every 10 s). Once its main window shows, NullProbe.exe (bench/responsiveness, inside the
session) sends it WM_NULL every 20 ms for the length of the run and reports the unanswered spans;
meanwhile the situation's own steps run (open the settings dialog, press "Check nu", ...). Windows
with a title bar are never closed during a run: without a window manager Wine waits up to 2 s
whenever one is hidden.

    QUODO_BIN=build/win/bin python3 bench/responsiveness/responsiveness_bench.py [--seconds 90]
        [--only 1,7] [--json out.json]

QUODO_BIN is the cross build's bin folder (Quodo.exe, QuodoAuto.exe, NullProbe.exe); the stand-in
for the system's ping comes from the build's tests (tests/win32/update/standins). With QUODO_SESSION
set the running session of that name is used; otherwise a private session is started and stopped
again.
"""

import argparse
import datetime
import hashlib
import runpy
import inspect
import json
import os
import random
import re
import shutil
import sys
import tempfile
import time
import types

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
sys.path.insert(0, os.path.join(ROOT, "bench", "soak"))

from quodo_app import CHART, DUTCH, FEED, INVESTING, LABEL2, Quodo, StandInPing, feed_answer, investing_page  # noqa: E402
from quodo_e2e import AutoError, shared_session, wait_until  # noqa: E402
from soak_bench import Fixture, Program, chart_png  # noqa: E402

OPEN_DAY = "2026-12-07 10:00:00"  # a Monday morning: the Investing page is read
MAKER = "www.quodosoft.nl"
VERSION_LIST = MAKER + "/versions.dat"
INSTALLER = MAKER + "/Quodo107.exe"
STALL_MS = 60000
NEVER_MS = 3600 * 1000
BASE_SETTINGS = {"Aantal seconden": 10, "DownloadTimer Aan": "1", "Updates Aan": "0"}
# Wine takes its regional settings from whichever process starts in the session: every helper runs
# in the Dutch locale Quodo is used in.
os.environ.update(DUTCH)


def pages(base=450, count=400):
    """Investing pages, each with a new level (from `base` on) and quote time, so that every refresh
    shows a new level and fetches the chart; by default the levels lie within the alarm's band."""
    return [{"body": investing_page("%d,%02d" % (base + n // 100, n % 100), "+1,00", "+0,10%",
                                    "%02d:%02d:%02d" % (10 + n // 3600, (n // 60) % 60, n % 60))}
            for n in range(count)]


def build_module(root, name):
    """A tool of the build under test's own source tree (QUODO_BIN's), its names as attributes."""
    return types.SimpleNamespace(**runpy.run_path(os.path.join(root, "tools", name + ".py")))


def signed_entry(fields):
    """Our entry signed as the build under test signs its own list: with its keys, by its own list
    writer (one from before the list carried two keys signs it with one key, one from before the
    list carried its times without them). A build whose program reads the system's UTC takes a list
    signed around the real moment; the older ones, a list for the month of their test clock."""
    build = os.path.dirname(os.environ["QUODO_BIN"])
    root = os.path.dirname(os.path.dirname(build))
    with open(os.path.join(build, "CMakeCache.txt")) as f:
        key_path = re.search(r"^QUODO_UPDATE_KEY_IN_USE:INTERNAL=(.*)$", f.read(), re.M).group(1)
    sys.path.insert(0, os.path.join(root, "tools"))
    keys = build_module(root, "update_signing_key")
    key = keys.load_private_key(key_path)
    writer = build_module(root, "write_version_list")
    utc = datetime.timezone.utc
    if hasattr(writer, "signed_entry"):
        now = datetime.datetime.now(utc).replace(microsecond=0)
        return writer.signed_entry(key, keys.derived_freshness_key(key_path), fields, now - datetime.timedelta(days=1),
                                   now + datetime.timedelta(days=29))
    if len(inspect.signature(writer.signed_line).parameters) == 2:
        return writer.signed_line(key, fields)
    return writer.signed_line(key, fields, datetime.datetime(2026, 12, 1, tzinfo=utc),
                              datetime.datetime(2026, 12, 31, tzinfo=utc))


class Bench:
    """The session, the fixture server and what the situations share."""

    def __init__(self, session, work, installer_rate):
        self.session = session
        self.work = work
        self.tls_dir = os.path.join(work, "tls")
        self.chart = chart_png().decode("latin-1")
        self.installer = self.make_installer(os.path.join(work, "Quodo107.exe"))
        self.installer_rate = installer_rate
        self.fixture = None

    @staticmethod
    def make_installer(path, size=5 * 1024 * 1024):
        """A 5 MB file that passes the download's checks: it starts with "MZ"."""
        data = b"MZ" + random.Random(107).randbytes(size - 2)
        with open(path, "wb") as f:
            f.write(data)
        return {"path": path, "kilobytes": (size + 1023) // 1024, "sha256": hashlib.sha256(data).hexdigest()}

    def version_list(self):
        fields = ["Quodo", "Quodo107.exe", "", self.installer["kilobytes"], self.installer["sha256"], "Nieuw", "New"]
        return "QuodoPro,QuodoPro210.exe,,812,x\r\n" + signed_entry(fields) + "\r\n"

    def start_fixture(self):
        if self.fixture is None:
            self.fixture = Fixture(self.session, tls_dir=self.tls_dir)
            self.session.auto_one("trustroot", "Z:" + os.path.join(self.tls_dir, "ca.crt").replace("/", "\\"))

    def stop_fixture(self):
        if self.fixture is not None:
            self.fixture.stop()
            self.fixture = None

    def data_folder(self):
        return os.path.join(self.session.prefix, "drive_c", "users", "root", "UserData", "Quodo")


class Run:
    """One Quodo.exe run with the probe: the steps of a situation note the moments they reach."""

    def __init__(self, bench, quodo, seconds):
        self.bench = bench
        self.session = bench.session
        self.quodo = quodo
        self.seconds = seconds
        self.started = time.monotonic()
        self.events = []
        self.quotes = []  # when the bar showed a new level, where a situation watches it

    def mark(self, what):
        self.events.append([round((time.monotonic() - self.started) * 1000), what])

    def stored(self, *args):
        """A QuodoAuto command that reads windows as the system keeps them, without a message to
        the program (it must not add to what is measured)."""
        return self.session.auto(*args, "--stored")

    def update_buttons(self):
        windows = self.stored("list", "--class=TVersionsForm", "--visible")
        if not windows:
            return {}
        return {c["text"]: c for c in self.stored("children", windows[0]["hwnd"])
                if c["class"] == "Button" and c["visible"]}

    def wait_button(self, text, timeout):
        wait_until(lambda: text in self.update_buttons(), timeout=timeout, interval=0.25, message=text)
        self.mark('"%s" shows' % text)

    def check_now(self):
        """"Check nu" in the settings dialog, which stays open."""
        dialog = self.quodo.open_settings()
        self.mark("settings dialog open")
        dialog.press("Check nu")
        self.mark('"Check nu" pressed')


def watch_the_level(run):
    """Reads the bar's level as the system keeps it, four times a second for the whole run, and
    notes each new one: the moments the bar showed a new quote."""
    main = run.quodo.main.hwnd
    shown = None
    end = run.started + run.seconds
    while time.monotonic() < end:
        children = run.stored("children", main)
        panel = next((c["hwnd"] for c in children if c["class"] == "TPanel"), None)
        level = next((c["text"] for c in children if c["parent"] == panel and c["id"] == LABEL2), None)
        if level != shown and level != "*******":
            run.quotes.append(time.monotonic())
            run.mark("shows %s" % level)
        shown = level
        time.sleep(0.25)


def feed_answers(count=400):
    """The feed's answers, a new level each time."""
    return [{"body": feed_answer(905.0 + n / 100, n)} for n in range(count)]


def check_with_stalled_list(run):
    run.check_now()
    try:
        wait_until(lambda: run.stored("list", "--class=TVersionsForm", "--visible"), timeout=STALL_MS / 1000 + 15,
                   interval=0.25, message="the update window")
        run.mark("update window shows")
    except TimeoutError:
        run.mark("no update window yet")


def download_installer(run):
    run.check_now()
    run.wait_button("Start Downloaden", timeout=30)
    windows = run.stored("list", "--class=TVersionsForm", "--visible")
    run.session.auto_one("press", windows[0]["hwnd"], "Start Downloaden")
    run.mark('"Start Downloaden" pressed')
    run.wait_button("Installeer", timeout=120)


def slow_download(bench):
    """The 5 MB installer sent so that its download takes a minute."""
    return {"body_file": bench.installer["path"], "pieces": [16384], "rate": bench.installer["kilobytes"] * 1024 // 60}


class Situation:
    def __init__(self, key, title, routes, settings=None, steps=None, silent_tls=False):
        self.key = key
        self.title = title
        self.routes = routes  # bench -> the fixture's script; None: nothing listens at all
        self.settings = settings or {}
        self.steps = steps
        self.silent_tls = silent_tls  # the HTTPS port takes connections and never answers a handshake


def answering(bench, quotes=None, chart=None, extra=None):
    """The fixture's script: the quote page (a new level each time) and the chart answer at once,
    unless given otherwise; `extra` adds routes."""
    script = {INVESTING: quotes or pages(), CHART: chart or [{"body": bench.chart}]}
    script.update(extra or {})
    return script


def stalled(behaviour, ms=STALL_MS):
    """A behaviour that answers only after `ms` (the connection is taken, the request read)."""
    return dict(behaviour, stall_ms=ms, stall_after=-1)


SITUATIONS = [
    Situation("1", "servers answering at once", answering),
    Situation("2", "quote server never answers", lambda b: answering(b, quotes=[stalled({}, NEVER_MS)])),
    Situation("3", "quote page answers after 60 s", lambda b: answering(b, quotes=[stalled(p) for p in pages()])),
    Situation("4", "chart stalls 60 s", lambda b: answering(b, chart=[stalled({"body": b.chart})])),
    Situation("5a", "quote host refuses (nothing listening)", None),
    Situation("5b", "quote host closes at once", lambda b: {INVESTING: [{"drop": True}], CHART: [{"drop": True}]}),
    Situation("6", "alarm sounding (Bovengrens 500, levels from 905,00)",
              lambda b: answering(b, quotes=pages(base=905)), {"Bovengrens": 500}),
    Situation("7", '"Check nu" with a stalled version list',
              lambda b: answering(b, extra={VERSION_LIST: [stalled({"body": b.version_list()})]}),
              steps=check_with_stalled_list),
    Situation("8", "5 MB installer download",
              lambda b: answering(b, extra={VERSION_LIST: [{"body": b.version_list()}],
                                            INSTALLER: [{"body_file": b.installer["path"], "pieces": [16384],
                                                         "rate": b.installer_rate}]}),
              steps=download_installer),
    Situation("9", '"Check nu" against a host that never answers its TLS handshake', answering,
              steps=check_with_stalled_list, silent_tls=True),
    Situation("10", "an installer download of a minute",
              lambda b: answering(b, extra={VERSION_LIST: [{"body": b.version_list()}], INSTALLER: [slow_download(b)]}),
              steps=download_installer),
    Situation("11", "quote page silent, the quote feed answering",
              lambda b: answering(b, quotes=[stalled({}, NEVER_MS)], extra={FEED: feed_answers()}),
              steps=watch_the_level),
]


def probe_output(program):
    lines = [json.loads(line) for line in program.output().splitlines() if line.strip().startswith("{")]
    if not lines or "error" in lines[-1]:
        raise RuntimeError("NullProbe failed: %s" % program.output())
    return lines


def self_check(session):
    """NullProbe against a window of its own that stops answering for known times."""
    result = session.in_wine([os.path.join(session.bin_dir, "NullProbe.exe"), "selfcheck"], timeout=60)
    lines = [json.loads(line) for line in result.stdout.splitlines() if line.strip().startswith("{")]
    if result.returncode != 0 or not lines or lines[-1].get("selfcheck") != "ok":
        raise RuntimeError("NullProbe's self-check failed: %s %s" % (result.stdout, result.stderr))
    return lines[0]


def measure(bench, situation, seconds):
    """One Quodo.exe run in a situation: the probe's report, the moments the steps reached and the
    requests the servers saw."""
    session = bench.session
    session.reset_registry()
    session.reg_update(dict(BASE_SETTINGS, **situation.settings))
    shutil.rmtree(bench.data_folder(), ignore_errors=True)
    if situation.routes is None:
        bench.stop_fixture()
    else:
        bench.start_fixture()
        script = {"routes": situation.routes(bench)}
        if situation.silent_tls:
            script["tls_handshake"] = "never"
        bench.fixture.control("POST", "script", json.dumps(script))

    env = dict(DUTCH, QUODO_CLOCK=OPEN_DAY, QUODO_PING_LAYOUT="nl-reply")
    program = session.launch("Quodo.exe", cwd=session.bin_dir, env=env)
    probe = None
    try:
        quodo = Quodo(Program(session), program)
        probe = session.launch("NullProbe.exe", [quodo.main.hwnd, seconds])
        wait_until(lambda: '"started"' in probe.output(), timeout=30, interval=0.01, message="the probe's start")
        run = Run(bench, quodo, seconds)
        if situation.steps:
            try:
                situation.steps(run)
            except (AutoError, TimeoutError) as error:
                run.mark("step failed: %s" % error)
        probe.wait(seconds + 60)
        report = probe_output(probe)[-1]
        ended = time.time()
    finally:
        if probe is not None and probe.running:
            probe.kill()
        program.stop(timeout=5)
    report["events"] = run.events
    if bench.fixture is not None:
        counts = {}
        requests = bench.fixture.requests()
        for request in requests:
            route = request["host"] + request["path"]
            counts[route] = counts.get(route, 0) + 1
        report["requests"] = counts
        report["longest_quote_gap_s"] = longest_gap([r["time"] for r in requests if r["host"] + r["path"] == INVESTING],
                                                    ended)
    if run.quotes:
        report["quotes_shown"] = len(run.quotes)
        report["longest_shown_gap_s"] = round(max(b - a for a, b in zip(run.quotes, run.quotes[1:] + [time.monotonic()])), 1)
    return report


def longest_gap(times, ended):
    """The longest time between two requests for the quote page, or from the last one to the end of
    the run (a program that stopped asking counts until then); None when there was none."""
    if not times:
        return None
    times = sorted(times) + [ended]
    return round(max(b - a for a, b in zip(times, times[1:])), 1)


def table(results):
    """The Markdown table of the runs. A span still open when a run ends was cut short by the end:
    "stuck at the end" says the window did not answer then."""
    lines = ["| situation | longest span (ms) | spans over 100 ms | their total (ms) | stuck at the end | sends "
             "| longest gap between quote requests (s) | longest gap between shown quotes (s) |",
             "|---|---|---|---|---|---|---|---|"]
    for situation, report in results:
        gap = report.get("longest_quote_gap_s")
        shown = report.get("longest_shown_gap_s")
        lines.append("| %s. %s | %.0f | %d | %.0f | %s | %d | %s | %s |"
                     % (situation.key, situation.title, report["longest_ms"], report["spans_over"],
                        report["spans_over_total_ms"], "yes" if report["open_at_end"] else "no", report["sends"],
                        "-" if gap is None else "%.1f" % gap, "-" if shown is None else "%.1f" % shown))
    return "\n".join(lines)


def timeline(situation, report):
    """One line: when the long spans began and how long they lasted, and when the steps happened
    (both in seconds from the start of the probe)."""
    spans = ", ".join("%.1f s +%.0f ms" % (start / 1000, length) for start, length in report["long_spans"])
    steps = ", ".join("%.1f s %s" % (at / 1000, what) for at, what in report["events"])
    return "%s. spans over 100 ms: %s%s" % (situation.key, spans or "none", "; steps: " + steps if steps else "")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--seconds", type=float, default=90, help="length of each run (probe time)")
    parser.add_argument("--only", help="the situations to run, e.g. 1,5a,7 (all by default)")
    parser.add_argument("--installer-rate", type=int, default=512 * 1024,
                        help="bytes a second at which the 5 MB installer is served")
    parser.add_argument("--json", help="also write the full reports (spans, steps, requests) to this file")
    args = parser.parse_args()
    if not os.environ.get("QUODO_BIN"):
        parser.error("QUODO_BIN must name the cross build's bin folder")
    os.environ["QUODO_BIN"] = os.path.abspath(os.environ["QUODO_BIN"])  # programs start in other folders
    chosen = [s for s in SITUATIONS if not args.only or s.key in args.only.split(",")]

    session = shared_session()
    session.prepare()
    print("self-check: %s" % json.dumps(self_check(session)), flush=True)
    work = tempfile.mkdtemp(prefix="quodo-responsiveness-")
    bench = Bench(session, work, args.installer_rate)
    ping = StandInPing(session, os.path.join(os.path.dirname(os.path.abspath(session.bin_dir)), "tests", "win32",
                                             "update", "standins"))
    results = []
    try:
        for situation in chosen:
            report = measure(bench, situation, args.seconds)
            results.append((situation, report))
            print("%s. %s: %s" % (situation.key, situation.title, json.dumps(report)), flush=True)
    finally:
        ping.restore()
        bench.stop_fixture()
        shutil.rmtree(work, ignore_errors=True)
    print()
    for situation, report in results:
        print(timeline(situation, report))
    print()
    print(table(results))
    if args.json:
        with open(args.json, "w") as f:
            json.dump([dict(report, situation=s.key, title=s.title) for s, report in results], f, indent=1)
    return 0


if __name__ == "__main__":
    sys.exit(main())
