"""Quodo under Wine while it waits: with a quote page that never comes the window keeps answering,
the bar shows the failed fetch after the bounded tries, and "Afsluiten" ends the program at once."""

import json
import time
import unittest

from quodo_app import INVESTING, QuodoTestCase
from quodo_e2e import wait_until

TRADING = "2026-12-07 10:00:00"
SILENT = {"stall_after": -1, "stall_ms": 120000}  # the connection is taken, nothing is said


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
        self.assertLess(time.monotonic() - started, 2.0)  # the program needs about 0.7 s at most


if __name__ == "__main__":
    unittest.main()
