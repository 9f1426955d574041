"""Quodo following the index under Wine: which quote site is read when, the bar's texts and
colours, the failure codes, the day chart and the alarm, against the fixture web server that
answers on the program's real host names."""

import os
import re
import unittest

from quodo_app import (CHART, IEX, INVESTING, LABEL1, LABEL2, QuodoTestCase, iex_page, investing_page, png)
from quodo_e2e import Rect, wait_until

BLACK, GREEN, RED, BLUE = (0, 0, 0), (0, 0x80, 0), (0xFF, 0, 0), (0, 0, 0xFF)
TRADING = "2026-12-07 10:00:00"


def page(level, change="+1,00", percent="+0,10%", time="10:00:05"):
    return {"body": investing_page(level, change, percent, time)}


class TickerTest(QuodoTestCase):

    def label_picture(self, quodo, label_id):
        return quodo.main.screenshot().crop(Rect(*quodo.bar().windows[label_id]["rect"]))

    def text_colours(self, quodo, label_id):
        """The colours of the text pixels in a label (its background left out)."""
        crop = self.label_picture(quodo, label_id)
        background = crop.pixel(0, 0)
        return {c for c in crop.colours() if c != background}

    def assert_text_colour(self, quodo, label_id, colour):
        self.assertIn(colour, self.text_colours(quodo, label_id), "label %d drawn in %r" % (label_id, colour))

    def refresh_to(self, quodo, level_page, level):
        """Serves a page and refreshes; returns once the new level is painted. The labels are
        painted in their order, so the index name's colour is on the screen by then too."""
        before = self.label_picture(quodo, LABEL2).rgb
        self.serve({INVESTING: [level_page]})
        quodo.download()
        quodo.wait_bar(lambda b: b.level == level)
        wait_until(lambda: self.label_picture(quodo, LABEL2).rgb != before, timeout=5, message=level + " painted")

    def test_site_follows_the_trading_hours_and_days(self):
        self.serve({INVESTING: [page("905,10")], IEX: [{"body": iex_page("899.5", "-2", "-0.2", "17:35:02")}]})
        cases = [
            (TRADING, "AEX: ", "905,10", 250),
            ("2026-12-07 17:31:00", "IEX25: ", "899,50", 262),
            ("2026-12-05 12:00:00", "IEX25: ", "899,50", 262),   # a Saturday
            ("2026-12-07 08:59:00", "IEX25: ", "899,50", 262),
            ("2026-12-07 09:00:00", "AEX: ", "905,10", 250),
            ("2026-04-03 12:00:00", "IEX25: ", "899,50", 262),   # Good Friday
        ]
        for clock, name, level, width in cases:
            quodo = self.start_quodo(clock)
            bar = quodo.wait_bar(lambda b: b.level == level, message=clock)
            self.assertEqual(bar.name, name, clock)
            self.assertEqual(quodo.rect().width, width, clock)
            quodo.program.stop()
        hosts = {r["host"] for r in self.requests()}
        self.assertEqual(hosts & {"m.iex.nl", "nl.investing.com"}, {"m.iex.nl", "nl.investing.com"})
        for request in self.requests():
            headers = dict(request["headers"])
            self.assertEqual(headers.get("User-Agent"), "Delphi Function: Download")

    def test_colours_follow_the_day_and_the_last_move(self):
        self.serve({INVESTING: [page("900,00", "+1,00", time="10:00:05")]})
        quodo = self.start_quodo(TRADING)
        quodo.wait_bar(lambda b: b.level == "900,00")
        # Black from the start, and the first level is not coloured.
        wait_until(lambda: BLACK in self.text_colours(quodo, LABEL2), timeout=5, message="900,00 painted")
        self.assert_text_colour(quodo, LABEL1, BLACK)

        self.refresh_to(quodo, page("901,00", "+2,00", time="10:00:35"), "901,00")
        self.assert_text_colour(quodo, LABEL1, GREEN)
        self.assert_text_colour(quodo, LABEL2, GREEN)

        self.refresh_to(quodo, page("899,00", "-1,00", time="10:01:05"), "899,00")
        self.assert_text_colour(quodo, LABEL1, RED)
        self.assert_text_colour(quodo, LABEL2, RED)

        self.refresh_to(quodo, page("899,50", "", "", time="10:01:35"), "899,50")
        self.assert_text_colour(quodo, LABEL1, BLUE)
        self.assert_text_colour(quodo, LABEL2, GREEN)

        # A new level with the same quote time: the text changes, the colours do not.
        self.refresh_to(quodo, page("898,00", "-2,00", time="10:01:35"), "898,00")
        self.assert_text_colour(quodo, LABEL1, BLUE)
        self.assert_text_colour(quodo, LABEL2, GREEN)

    def test_failures_show_their_codes_and_change_nothing_else(self):
        self.serve({INVESTING: [page("900,00", time="10:00:05")]})
        quodo = self.start_quodo(TRADING)
        quodo.wait_bar(lambda b: b.level == "900,00")

        self.serve({INVESTING: [{"body": ""}]})
        quodo.download()
        bar = quodo.wait_bar(lambda b: b.level == " -1,00")
        self.assertEqual(bar.time, " @ 10:00:05")

        self.serve({INVESTING: [{"body": "Default.htm"}]})
        quodo.download()
        bar = quodo.wait_bar(lambda b: b.level == " -2,00")
        self.assertEqual(bar.time, " @ 10:00:05")
        self.assertEqual(bar.name, "AEX: ")

        # A page in another layout, without the level, is a rejected page too, not a level of 0,00.
        self.serve({INVESTING: [page("901,00", time="10:01:05")]})
        quodo.download()
        quodo.wait_bar(lambda b: b.level == "901,00")
        other_layout = ('<html><body><div data-test="instrument-price-last">902,00</div>'
                        '<time>10:01:35</time></body></html>')
        self.serve({INVESTING: [{"body": other_layout}]})
        quodo.download()
        bar = quodo.wait_bar(lambda b: b.level == " -2,00")
        self.assertEqual(bar.time, " @ 10:01:05")

    def test_iex_page_without_quote_time_shows_stars(self):
        self.serve({IEX: [{"body": "<html><script>var IEX25LastPrice = 900.1;</script>" + " " * 60 + "</html>"}]})
        quodo = self.start_quodo("2026-12-05 12:00:00")
        bar = quodo.wait_bar(lambda b: b.time == " @ ")
        self.assertEqual(bar.level, "*******")
        self.assertEqual(bar.name, "IEX25: ")

    def test_always_on_top_bar_shows_level_change_and_percent(self):
        self.session.reg_set("Normale Modus", "0")
        self.serve({INVESTING: [page("905,1", "+3,20", "0,35%")]})
        quodo = self.start_quodo(TRADING)
        bar = quodo.wait_bar(lambda b: b.level.startswith("905"))
        self.assertEqual(bar.level, "905,10 +3,20 (0,35%)")
        self.assertEqual((quodo.rect().width, quodo.rect().height), (385, 23))
        wait_until(lambda: quodo.main.topmost, timeout=5, message="topmost")

    def test_chart_is_drawn_pixel_exact_and_kept_when_the_server_is_gone(self):
        def colour(x, y):
            return (x, y, (x * 7 + y * 3) & 0xFF)
        chart = png(190, 187, colour)
        self.serve({INVESTING: [page("900,00")], CHART: [{"body": chart.decode("latin-1")}]})
        quodo = self.start_quodo(TRADING)
        quodo.wait_bar(lambda b: b.level == "900,00")

        def drawn():
            shot = quodo.main.screenshot()
            return all(shot.pixel(25 + x, 10 + y) == colour(x, y) for x in range(0, 190, 7) for y in range(0, 180, 7))
        wait_until(drawn, timeout=10, message="chart drawn")
        shot = quodo.main.screenshot()
        mismatches = [(x, y) for x in range(190) for y in range(180) if shot.pixel(25 + x, 10 + y) != colour(x, y)]
        self.assertEqual(mismatches, [])
        stored = os.path.join(self.data_folder, "DayGraph.png")
        with open(stored, "rb") as f:
            self.assertEqual(f.read(), chart)
        chart_requests = [r for r in self.requests() if r["host"] == "charts.iex.nl"]
        self.assertEqual(chart_requests[-1]["query"], "ctype=4&id=12272&daterange=today&name=AEX")

        # The chart server is gone: the stored chart stays and is drawn again. (Serving anew also
        # empties the server's list of requests.)
        self.serve({INVESTING: [page("901,00")], CHART: [{"drop": True}]})
        quodo.download()
        quodo.wait_bar(lambda b: b.level == "901,00")
        # A refresh starts only once the one before has ended, chart and all.
        quodo.download()
        with open(stored, "rb") as f:
            self.assertEqual(f.read(), chart)
        self.assertTrue(drawn())
        # That refresh brought the same level, which fetches no chart: once the one after it has
        # started, the chart of 901,00 is still the only one asked for.
        quodo.download()
        self.assertEqual(len([r for r in self.requests() if r["host"] == "charts.iex.nl"]), 1)

    def test_broken_chart_shows_the_fallback_picture(self):
        crasher = os.path.join(self.session.root, ".deps", "src", "libpng", "contrib", "testpngs", "crashers",
                               "badcrc.png")
        with open(crasher, "rb") as f:
            broken = f.read()
        self.serve({INVESTING: [page("900,00")], CHART: [{"body": broken.decode("latin-1")}]})
        quodo = self.start_quodo(TRADING)
        quodo.wait_bar(lambda b: b.level == "900,00")
        fallback = os.path.join(self.session.bin_dir, "ErrorGraph.png")
        self.assertTrue(os.path.exists(fallback))
        # The fallback picture's pale grid shows where the chart would be; the program runs on.
        shot = quodo.main.screenshot()
        self.assertNotEqual(shot.pixel(25 + 95, 10 + 90), (0xF5, 0xF5, 0xF5))
        self.assertTrue(quodo.program.running)

    def test_alarm_markers_and_tone_sweeps(self):
        self.session.reg_set("RelayInclude", "kernel32.Beep;kernel32.WaitForSingleObject",
                             key="HKCU\\Software\\Wine\\Debug")
        self.addCleanup(self.session.reg_delete, "RelayInclude", "HKCU\\Software\\Wine\\Debug")
        self.session.reg_update({"Bovengrens": 550, "Ondergrens": 400})
        self.serve({INVESTING: [page("500,00", time="10:00:05")]})
        quodo = self.start_quodo(TRADING, env={"QUODO_WINEDEBUG": "+relay"})
        bar = quodo.wait_bar(lambda b: b.level == "500,00")
        self.assertEqual(bar.shown, {"info", "check"})

        def sweeps():
            beeps = re.findall(r"Call KERNEL32\.Beep\(([0-9a-f]+),([0-9a-f]+)\)", quodo.program.output())
            return [(int(f, 16), int(d, 16)) for f, d in beeps]
        self.assertEqual(sweeps(), [])

        self.serve({INVESTING: [page("550,01", time="10:00:35")]})
        quodo.download()
        quodo.wait_bar(lambda b: b.level == "550,01", timeout=20)
        rising = [(1000 + 5 * j, 5) for j in range(1, 51)] * 5
        wait_until(lambda: len(sweeps()) >= 250, timeout=20, message="rising sweeps")
        self.assertEqual(sweeps(), rising)
        # The marker above blinks: it is seen both shown and hidden.
        seen = set()
        wait_until(lambda: seen.add("max" in quodo.bar().shown) or len(seen) == 2, timeout=5, message="blinking")
        self.assertNotIn("check", quodo.bar().shown)

        self.serve({INVESTING: [page("550,00", time="10:01:05")]})
        quodo.download()
        bar = quodo.wait_bar(lambda b: b.level == "550,00", timeout=20)
        self.assertEqual(bar.shown, {"info", "check"})
        self.assertEqual(len(sweeps()), 250)

        self.serve({INVESTING: [page("399,99", time="10:01:35")]})
        quodo.download()
        quodo.wait_bar(lambda b: b.level == "399,99", timeout=20)
        # Each sweep ends with its silence, a wait of 300 ms that a stop would cut short: the tenth
        # is the last thing the two alarms do.
        def pauses():
            waits = r"Call KERNEL32\.WaitForSingleObject\([0-9a-f]+,0000012c\)"
            return len(re.findall(waits, quodo.program.output()))
        wait_until(lambda: pauses() >= 10, timeout=20, message="falling sweeps and their pauses")
        self.assertEqual(sweeps()[250:], [(1000 - 5 * j, 5) for j in range(1, 51)] * 5)
        self.assertEqual(pauses(), 10)


if __name__ == "__main__":
    unittest.main()
