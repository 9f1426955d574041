"""Quodo under Wine while it waits: with a quote page that never comes the window keeps answering,
the bar shows the failed fetch after the bounded tries, and "Afsluiten" ends the program at once;
what happens meanwhile acts when it comes (a blink timer stopped stays stopped, typed keys reach
their field before OK stores it); refreshes go on during a slow download."""

import datetime
import hashlib
import json
import os
import random
import shutil
import tempfile
import time
import unittest

from quodo_app import INVESTING, QuodoTestCase, StandInPing, investing_page
from quodo_e2e import wait_until
from quodo_install import signed_line

TRADING = "2026-12-07 10:00:00"
SILENT = {"stall_after": -1, "stall_ms": 120000}  # the connection is taken, nothing is said
MAKER = "www.quodosoft.nl"
# The signed list holds around the real moment: the program judges its times by the system's UTC.
NOW = datetime.datetime.now(datetime.timezone.utc).replace(microsecond=0)
THIS_MONTH = (NOW - datetime.timedelta(days=1), NOW + datetime.timedelta(days=29))


def page(level, second=5):
    return investing_page(level, "+1,00", "+0,10%", "10:00:%02d" % second)


class WaitTest(QuodoTestCase):

    def probe(self, quodo, seconds):
        """Sends the main window a message every 20 ms for some seconds (NullProbe.exe): the
        longest time it took to answer, in ms."""
        program = self.session.launch("NullProbe.exe", [quodo.main.hwnd, seconds])
        self.assertEqual(program.wait(seconds + 30), 0, program.output())
        report = [json.loads(line) for line in program.output().splitlines() if line.strip().startswith("{")][-1]
        return report["longest_ms"]

    def test_a_silent_quote_server_leaves_the_window_answering_and_ends_as_a_failed_fetch(self):
        self.serve({INVESTING: [SILENT] * 10})
        quodo = self.start_quodo(TRADING, first_refresh=False)
        # The first refresh (a second after start) waits for the page: two tries, each ended by its
        # own receive time-out. The window answers throughout.
        self.assertLess(self.probe(quodo, 12), 500)
        quodo.wait_bar(lambda b: b.level == " -1,00", timeout=30, message="the failed fetch shown")

        # "Afsluiten" while the next refresh waits for its page ends the program at once.
        quodo.download()
        quodo.main.right_click(5, 10)
        self.session.menu(timeout=5)
        self.session.keys("UP")
        started = time.monotonic()
        self.session.keys("RETURN")
        self.assertEqual(quodo.program.wait(10), 0)
        # The program needs about 0.7 s at most; the page's two tries would take up to 10 s.
        self.assertLess(time.monotonic() - started, 4.0)

    def test_after_a_page_that_takes_a_second_the_level_inside_the_band_shows_the_steady_tick(self):
        # The markers blink while the first page is awaited; their timers stop as the level comes.
        self.serve({INVESTING: [dict(SILENT, body=page("450,00"), stall_ms=1000)]})
        quodo = self.start_quodo(TRADING)
        quodo.wait_bar(lambda b: b.level == "450,00", message="the level")
        seen = set()
        end = time.monotonic() + 1.5  # five blink periods
        while time.monotonic() < end:
            seen.add(frozenset(quodo.bar().shown))
            time.sleep(0.05)
        self.assertEqual(seen, {frozenset({"info", "check"})})

    def test_a_bound_typed_while_a_refresh_waits_is_the_one_ok_stores(self):
        self.serve({INVESTING: [{"body": page("450,00")}] + [SILENT] * 10})
        quodo = self.start_quodo(TRADING)
        quodo.download()  # this refresh waits for its page (almost half a minute)
        dialog = quodo.open_settings()
        # By the keyboard alone, in one go: to "Bovengrens", the new bound, on to OK and Enter.
        self.session.keys("TAB", "TAB", "TAB", "END", "BACK", "BACK", "BACK")
        self.session.type_text("612")
        self.session.keys(*["TAB"] * 5, "RETURN")
        dialog.wait_gone(timeout=10)
        self.assertEqual(self.session.reg_get("Bovengrens"), 612)


class SlowDownloadTest(QuodoTestCase):
    tls = True

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.ping = StandInPing(cls.session)  # the probe's ping answers at once
        cls.work = tempfile.mkdtemp(prefix="quodo-slow-download-")

    @classmethod
    def tearDownClass(cls):
        cls.ping.restore()
        shutil.rmtree(cls.work, ignore_errors=True)
        super().tearDownClass()

    def test_refreshes_go_on_while_an_installer_comes_slowly(self):
        data = b"MZ" + random.Random(107).randbytes(300 * 1024 - 2)
        installer = os.path.join(self.work, "Quodo107.exe")
        with open(installer, "wb") as f:
            f.write(data)
        fields = ["Quodo", "Quodo107.exe", "", len(data) // 1024, hashlib.sha256(data).hexdigest(), "Nieuw", "New"]
        listing = "QuodoPro,QuodoPro210.exe,,812,x\r\n" + signed_line(fields, *THIS_MONTH) + "\r\n"
        self.serve({INVESTING: [{"body": page("450,%02d" % (n % 100), n % 60)} for n in range(100)],
                    MAKER + "/versions.dat": [{"body": listing}],
                    MAKER + "/Quodo107.exe": [{"body_file": installer, "pieces": [2048], "rate": 15 * 1024}]})
        self.session.reg_update({"Updates Aan": "0", "Aantal seconden": 10})
        quodo = self.start_quodo(TRADING, env={"QUODO_PING_LAYOUT": "nl-reply"})
        dialog = quodo.open_settings()
        dialog.press("Check nu")
        window = quodo.program.wait_window("TVersionsForm", timeout=30)

        def buttons():
            return {c["text"] for c in window.children() if c["class"] == "Button" and c["visible"]}
        wait_until(lambda: "Start Downloaden" in buttons(), timeout=30, message="an update advised")
        window.press("Start Downloaden")
        started = time.time()
        wait_until(lambda: "Installeer" in buttons(), timeout=60, message="the download's end")
        ended = time.time()
        self.assertGreater(ended - started, 15)  # 300 KB at 15 KB a second
        during = [r for r in self.requests() if r["host"] + r["path"] == INVESTING and started < r["time"] < ended]
        self.assertGreaterEqual(len(during), int((ended - started) // 10) - 1)


if __name__ == "__main__":
    unittest.main()
