"""Quodo under Wine, the quote page silent and the quote feed answering over HTTPS: the bar shows
the feed's level within one refresh and the chart area the day drawn from the feed's points; the
feed is asked as a browser, without cookies."""

import unittest

from quodo_app import FEED, FEED_HOST, INVESTING, QuodoTestCase, feed_answer
from quodo_e2e import Rect, wait_until

GREEN = (0, 0x80, 0)
CHART_FALLBACK = (250, 250, 250)  # the background of the fallback picture, assets/ErrorGraph.png
SILENT = {"stall_after": -1, "stall_ms": 120000}  # the connection is taken, nothing is said


class FeedTest(QuodoTestCase):
    tls = True

    def test_with_the_page_silent_the_bar_shows_the_feeds_level_within_one_refresh(self):
        # The feed's first answer sets a cookie, which a browser would send back.
        cookie = {"Set-Cookie": "A1=d=AQABBK; Domain=.%s; Path=/; Secure; HttpOnly" % FEED_HOST}
        self.serve({INVESTING: [SILENT] * 10,
                    FEED: [{"body": feed_answer(905.25, 7), "headers": cookie}, {"body": feed_answer(906.5, 19)}]})
        self.session.reg_update({"Aantal seconden": 10})
        quodo = self.start_quodo("2026-12-07 10:00:00", first_refresh=False)
        # The first refresh, a second after start, waits for the page's two tries, then asks the feed.
        bar = quodo.wait_bar(lambda b: b.level == "905,25", timeout=20, message="the feed's level")
        self.assertEqual((bar.name, bar.time), ("AEX: ", " @ 10:00:07"))

        # The chart server gives no picture: the chart area shows the feed's day, not the fallback.
        def chart():
            shot = quodo.main.screenshot()
            return shot.crop(Rect(25, 10, 215, 190).offset(*shot.origin))
        wait_until(lambda: chart().count(GREEN) > 20, timeout=10, message="the feed's day drawn")
        self.save_screenshot("drawn-day")
        self.assertEqual(chart().count(CHART_FALLBACK), 0)

        # The next refresh asks the feed again: as a browser, and without the cookie.
        quodo.wait_bar(lambda b: b.level == "906,50", timeout=30, message="the feed's next level")
        for request in [r for r in self.requests() if r["host"] == FEED_HOST]:
            headers = {name.lower(): value for name, value in request["headers"]}
            self.assertEqual((request["scheme"], request["query"]), ("https", "range=1d&interval=5m"))
            self.assertTrue(headers["user-agent"].startswith("Mozilla/5.0 (Windows NT 10.0; Win64; x64)"))
            self.assertNotIn("cookie", headers)
        quodo.quit()


if __name__ == "__main__":
    unittest.main()
