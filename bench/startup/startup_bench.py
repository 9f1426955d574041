#!/usr/bin/env python3
"""Start-up benchmark: the time from a program's start to its first painted window under Wine,
Quodo.exe against EmptyWindow.exe (a border-less window of the same size, place and colour with
nothing behind it). Report: median Quodo / median empty window.

Both programs are started the same way, one after the other in one Wine session (wineserver and
Wine's desktop kept alive): FirstPaint.exe, inside the session, starts the program with
CreateProcess and polls every millisecond until a visible top-level window of the program's class
belongs to the new process and the screen shows the window's background colour (#F5F5F5) two
pixels inside its top-left corner. Then it closes the window and waits for the program to end.
The two programs take turns, a few unmeasured starts of each come first.

    QUODO_BIN=build-win/bin python3 bench/startup/startup_bench.py [--runs 40]

QUODO_BIN is the cross build's bin folder (Quodo.exe, Quodo.chm, ErrorGraph.png, QuodoAuto.exe,
EmptyWindow.exe, FirstPaint.exe). With QUODO_SESSION set the running session of that name is used;
otherwise a private session is started and stopped again.
"""

import argparse
import json
import os
import statistics
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))

from quodo_e2e import PRODUCT_KEY, Session, shared_session  # noqa: E402

BACKGROUND = "f5f5f5"
PROGRAMS = (("empty", ["EmptyWindow.exe"], "EmptyWindow"), ("quodo", ["Quodo.exe"], "TMainForm"))
# With --libraries: the empty window that first loads the HTML Help control (what that load would
# add to a start; Quodo loads it only at the first help request).
WITH_HELP = ("empty+hhctrl", ["EmptyWindow.exe", "hhctrl.ocx"], "EmptyWindow")
# Both run in the locale and time zone Quodo is used in.
ENV = {"LC_ALL": "nl_NL.UTF-8", "TZ": "Europe/Amsterdam", "QUODO_FIRSTPAINT_SPOT": "12,12"}
# Wine takes its regional settings from whichever process starts in the session: every helper runs
# in the Dutch locale Quodo is used in.
os.environ.update({"LC_ALL": "nl_NL.UTF-8", "TZ": "Europe/Amsterdam"})


def first_paint(session, command, window_class):
    """One start of a program: its times in milliseconds (visible, painted, ended)."""
    bin_dir = session.bin_dir
    result = session.in_wine([os.path.join(bin_dir, "FirstPaint.exe"), window_class, BACKGROUND, 2, 2] + command,
                             env=ENV, cwd=bin_dir, timeout=90)
    lines = [json.loads(line) for line in result.stdout.splitlines() if line.strip().startswith("{")]
    if result.returncode != 0 or not lines or "error" in lines[-1]:
        raise RuntimeError("FirstPaint %s failed: %s %s" % (command, result.stdout, result.stderr))
    return lines[-1]


def summary(values):
    ordered = sorted(values)
    quartiles = statistics.quantiles(ordered, n=4)
    return {"median": statistics.median(ordered), "q1": quartiles[0], "q3": quartiles[2],
            "min": ordered[0], "max": ordered[-1], "runs": len(ordered)}


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--runs", type=int, default=40, help="measured starts of each program")
    parser.add_argument("--warmup", type=int, default=3, help="unmeasured starts of each program first")
    parser.add_argument("--json", help="also write the raw times to this file")
    parser.add_argument("--libraries", action="store_true",
                        help="also time the empty window that loads hhctrl.ocx before it shows")
    parser.add_argument("--against", metavar="EXE",
                        help="also time another build of Quodo, copied into QUODO_BIN under this name, "
                             "taking turns with the others (a change's before and after in one run)")
    args = parser.parse_args()
    if not os.environ.get("QUODO_BIN"):
        parser.error("QUODO_BIN must name the cross build's bin folder")

    session = shared_session()
    session.prepare()
    session.reset_registry()  # Quodo at its default place, (10, 10), as the empty window
    programs = PROGRAMS + ((WITH_HELP,) if args.libraries else ()) + \
        ((("against", [args.against], "TMainForm"),) if args.against else ())
    times = {name: [] for name, _, _ in programs}
    for _ in range(args.warmup):
        for _, command, window_class in programs:
            first_paint(session, command, window_class)
    for run in range(args.runs):
        order = programs if run % 2 == 0 else programs[::-1]
        for name, command, window_class in order:
            times[name].append(first_paint(session, command, window_class))

    report = {}
    for name in times:
        report[name] = {key: summary([t[key + "_ms"] for t in times[name]]) for key in ("visible", "painted")}
        report[name]["peak_kib"] = summary([t["peak_kib"] for t in times[name]])
    ratio = report["quodo"]["painted"]["median"] / report["empty"]["painted"]["median"]

    print("first painted window, milliseconds over %d starts each (median [q1-q3] min..max):" % args.runs)
    for name in times:
        for key in ("visible", "painted"):
            s = report[name][key]
            print("  %-12s %-8s %7.1f [%6.1f-%6.1f] %6.1f..%6.1f"
                  % (name, key, s["median"], s["q1"], s["q3"], s["min"], s["max"]))
        s = report[name]["peak_kib"]
        print("  %-12s %-8s %7.0f KiB peak working set at the first paint [%0.f-%0.f]"
              % (name, "memory", s["median"], s["q1"], s["q3"]))
    print("ratio quodo / empty (painted, medians): %.2f (goal at most 1.2)" % ratio)
    if args.against:
        against = report["against"]["painted"]["median"]
        print("ratio %s / empty: %.2f; quodo / %s: %.2f"
              % (args.against, against / report["empty"]["painted"]["median"], args.against,
                 report["quodo"]["painted"]["median"] / against))
    if args.json:
        with open(args.json, "w") as f:
            json.dump({"times": times, "report": report, "ratio": ratio}, f, indent=1)
    return 0


if __name__ == "__main__":
    sys.exit(main())
