#!/usr/bin/env python3
"""Soak benchmark: Quodo.exe under Wine refreshed 1,000 times by hand (the "Download AEX" key F5),
its resource use read after 10 refreshes and after 1,000 (and at points in between), to see
whether anything grows.

The fixture web server (tests/fixtures/fixture_server.py, inside the session's loopback-only
network namespace) serves a different Investing page on every request, so every refresh shows a
new level, fetches the day chart (a 190 by 187 PNG) and draws it. The periodic refresh, the update
check and the sound are switched off in the registry, so that only the key presses refresh. The
window is clicked once to get the keyboard; then, per refresh, F5 is pressed and the bar is read
until it shows the new level (F5 is pressed again if a press was dropped because it came while the
previous refresh was still running).

At each checkpoint ProcStats.exe (bench/soak, inside the session) reads Quodo's handle count, GDI
and USER objects and private bytes, through the usual calls and, where Wine only has stubs for
them, from the tables behind them (see ProcStats.cpp); from Linux the Wine process's resident and
anonymous memory and open file descriptors are read too.

    QUODO_BIN=build-win/bin python3 bench/soak/soak_bench.py [--refreshes 1000]

QUODO_BIN is the cross build's bin folder (Quodo.exe, Quodo.chm, ErrorGraph.png, QuodoAuto.exe,
ProcStats.exe). With QUODO_SESSION set the running session of that name is used; otherwise a
private session is started and stopped again.
"""

import argparse
import json
import os
import shutil
import struct
import sys
import tempfile
import time
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))

from quodo_app import CHART, DUTCH, INVESTING, Quodo, fixture_request, investing_page  # noqa: E402
from quodo_e2e import wait_until, shared_session  # noqa: E402

OPEN_DAY = "2026-12-07 10:00:00"  # a Monday morning: the Investing page is read
FIXTURE = os.path.join(ROOT, "tests", "fixtures", "fixture_server.py")
# Wine takes its regional settings from whichever process starts in the session: every helper runs
# in the Dutch locale Quodo is used in.
os.environ.update({"LC_ALL": "nl_NL.UTF-8", "TZ": "Europe/Amsterdam"})


def chart_png(width=190, height=187):
    """A day chart as the chart server draws one: white, a light grid, axes, a wandering line."""
    rows = []
    level = 90
    line = {}
    for x in range(31, width):
        level = min(max(level + (x * 7919) % 7 - 3, 10), height - 25)
        line[x] = level
    for y in range(height):
        row = bytearray(b"\0")
        for x in range(width):
            colour = (255, 255, 255)
            if x % 19 == 0 or y % 17 == 0:
                colour = (224, 224, 224)
            if x == 30 or y == height - 20:
                colour = (64, 64, 64)
            if x in line and line[x] <= y < line[x] + 2:
                colour = (31, 78, 154)
            row += bytes(colour)
        rows.append(bytes(row))

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(b"".join(rows), 6)) + chunk(b"IEND", b""))


def level_text(n):
    """The n-th level: always new, always between the default alarm bounds (400 and 550)."""
    return "%d,%02d" % (450 + (n // 100) % 100, n % 100)


def quote_time(n):
    return "%02d:%02d:%02d" % (10 + n // 3600, (n // 60) % 60, n % 60)


class Fixture:
    """The fixture web server, running in the session's network namespace. With `tls_dir` it also
    answers HTTPS for the maker's web host, with the test CA kept in that folder."""

    def __init__(self, session, tls_dir=None):
        self.session = session
        self.state = tempfile.mkdtemp(prefix="quodo-soak-fixture-")
        command = ["/usr/bin/python3", FIXTURE, "start", "--state", self.state]
        if tls_dir:
            command += ["--tls-port", "443", "--tls-dir", tls_dir]
        result = session.in_wine(command)
        if result.returncode != 0:
            raise RuntimeError("fixture server did not start: " + result.stdout + result.stderr)

    def stop(self):
        self.session.in_wine(["/usr/bin/python3", FIXTURE, "stop", "--state", self.state])
        shutil.rmtree(self.state, ignore_errors=True)

    def control(self, method, path, body=None):
        return fixture_request(self.session, method, path, body, timeout=120)

    def serve(self, routes):
        self.control("POST", "script", json.dumps({"routes": routes}))

    def requests(self):
        return json.loads(self.control("GET", "requests"))


class Program:
    """What a test case gives quodo_app.Quodo: the session."""

    def __init__(self, session):
        self.session = session


def linux_stats(pid):
    """The Wine process's memory as Linux sees it (kB) and its open file descriptors."""
    stats = {}
    try:
        with open("/proc/%d/status" % pid) as f:
            for line in f:
                key, _, value = line.partition(":")
                if key in ("VmRSS", "RssAnon", "VmSize"):
                    stats[key] = int(value.split()[0])
        stats["fds"] = len(os.listdir("/proc/%d/fd" % pid))
    except OSError as error:
        stats["error"] = str(error)
    return stats


def proc_stats(session, windows_pid):
    result = session.in_wine([os.path.join(session.bin_dir, "ProcStats.exe"), windows_pid])
    lines = [json.loads(line) for line in result.stdout.splitlines() if line.strip().startswith("{")]
    if result.returncode != 0 or not lines or "error" in lines[-1]:
        raise RuntimeError("ProcStats failed: %s %s" % (result.stdout, result.stderr))
    return lines[-1]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--refreshes", type=int, default=1000)
    parser.add_argument("--checkpoints", default="10,100,250,500,750",
                        help="refresh counts (besides 0 and the last) at which to read the stats")
    parser.add_argument("--json", help="also write the checkpoints to this file")
    args = parser.parse_args()
    if not os.environ.get("QUODO_BIN"):
        parser.error("QUODO_BIN must name the cross build's bin folder")
    checkpoints = sorted({0, args.refreshes} | {int(c) for c in args.checkpoints.split(",") if c.strip()})

    session = shared_session()
    session.prepare()
    session.reset_registry()
    # Only F5 refreshes: no periodic refresh, no update check, no sound.
    session.reg_update({"DownloadTimer Aan": "0", "Updates Aan": "0", "Geluid Aan": "0"})
    fixture = Fixture(session)
    program = None
    try:
        png = chart_png().decode("latin-1")
        pages = [{"body": investing_page(level_text(n), "+1,00", "+0,10%", quote_time(n))}
                 for n in range(args.refreshes * 2 + 50)]
        fixture.serve({INVESTING: pages, CHART: [{"body": png}]})

        env = dict(DUTCH, QUODO_CLOCK=OPEN_DAY)
        program = session.launch("Quodo.exe", cwd=session.bin_dir, env=env)
        quodo = Quodo(Program(session), program)
        shown = quodo.wait_bar(lambda bar: bar.level == level_text(0), timeout=30, message="first refresh")
        quodo.main.click(5, 100)  # the window takes the keyboard
        windows_pid = quodo.main.pid

        results = []
        refreshes = presses = 0
        started = time.monotonic()

        def checkpoint():
            entry = {"refreshes": refreshes, "presses": presses, "seconds": round(time.monotonic() - started, 1),
                     "level": shown.level}
            entry.update(proc_stats(session, windows_pid))
            entry["linux"] = linux_stats(program.pid)
            results.append(entry)
            print(json.dumps(entry), flush=True)

        checkpoint()
        while refreshes < args.refreshes:
            before = shown.level
            for attempt in range(5):
                session.keys("F5")
                presses += 1
                try:
                    shown = quodo.wait_bar(lambda bar: bar.level != before, timeout=3 + 3 * attempt,
                                           message="refresh %d" % (refreshes + 1))
                    break
                except AssertionError:
                    continue  # the press came while a refresh ran and was dropped: press again
            else:
                raise RuntimeError("refresh %d did not come after 5 presses" % (refreshes + 1))
            refreshes += 1
            if refreshes in checkpoints:
                checkpoint()

        charts = sum(1 for r in fixture.requests() if r["path"].startswith("/ChartServer/"))
        print("chart fetches: %d" % charts)
        first = next(r for r in results if r["refreshes"] == min(10, args.refreshes))
        last = results[-1]
        print("after %d and %d refreshes:" % (first["refreshes"], last["refreshes"]))
        for key in ("handles", "handles_table", "gdi", "gdi_table", "user", "windows", "private_bytes", "pagefile",
                    "working_set"):
            print("  %-14s %12s %12s   %+d" % (key, first[key], last[key], last[key] - first[key]))
        for key in ("VmRSS", "RssAnon", "fds"):
            a, b = first["linux"].get(key), last["linux"].get(key)
            if a is not None and b is not None:
                print("  linux %-8s %12s %12s   %+d" % (key, a, b, b - a))
        if args.json:
            with open(args.json, "w") as f:
                json.dump({"checkpoints": results, "chart_fetches": charts}, f, indent=1)
    finally:
        if program is not None:
            program.stop()
        fixture.stop()
    return 0


if __name__ == "__main__":
    sys.exit(main())
