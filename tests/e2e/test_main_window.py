"""Quodo's main window under Wine: start-up, its place on the screen, the two modes, the menus,
dragging, help, and what it stores."""

import os
import shutil
import tempfile
import time
import unittest

from quodo_app import INVESTING, Bar, QuodoTestCase
from quodo_e2e import Rect, wait_until

OPEN_DAY = "2026-12-07 10:00:00"  # a Monday morning: the exchange trades
HELD_PAGE_MS = 15000
CHART_BACKGROUND = (250, 250, 250)  # of the fallback picture, assets/ErrorGraph.png


class Busy:
    """A window read as the system keeps it, without a message to its program: at once, and with
    its texts, also while the program is busy waiting for a web page."""

    def __init__(self, window):
        self.window = window

    def children(self):
        return self.window.session.auto("children", self.window.hwnd, "--stored")


class MainWindowTest(QuodoTestCase):

    def test_first_start_shows_the_waiting_bar_at_the_default_place(self):
        # The first refresh, about a second after start, hides the waiting text whatever it fetches.
        # The quote page is held back here, so that refresh cannot end before the window is read and
        # shot. Meanwhile the program waits for the page and answers no window messages, so its
        # windows are read as the system keeps them.
        self.serve({INVESTING: [{"stall_after": -1, "stall_ms": HELD_PAGE_MS}]})
        quodo = self.start_quodo(OPEN_DAY, first_refresh=False)
        self.addCleanup(quodo.program.kill)  # it would see a request to close only after the held page
        bar = Bar(Busy(quodo.main))
        self.assertEqual((bar.name, bar.level, bar.time), ("AEX: ", "*******", " @ *****"))
        self.assertTrue(bar.wait_visible)
        self.assertEqual(bar.wait_text, "\r\nWacht op nl.investing.com")
        main = self.session.auto_one("info", quodo.main.hwnd, "--stored")
        r = Rect(*main["rect"])
        self.assertEqual((r.left, r.top, r.width, r.height), (10, 10, 250, 213))
        self.assertFalse(main["topmost"])
        self.assertEqual(main["text"], "Quodo, versie 1.06")

        shot = self.session.screenshot(r)
        self.save_screenshot("first-start")
        after = Busy(quodo.main).children()
        wait_label = next(c for c in after if c["class"] == "TLabel" and c["parent"] == quodo.main.hwnd)
        self.assertTrue(wait_label["visible"], "the held page was answered before the window was shot")

        self.assertEqual(shot.pixel(2, 2), (0xF5, 0xF5, 0xF5))          # the window's background
        self.assertEqual(shot.pixel(30, 20), CHART_BACKGROUND)           # the fallback picture in the chart area
        # The waiting text lies above the picture: none of the picture shows through its label.
        label = shot.crop(Rect(*wait_label["rect"]))
        self.assertEqual((label.width, label.height), (201, 41))
        self.assertEqual(label.colours().most_common(1)[0][0], (0xFF, 0xFF, 0xE3))
        self.assertEqual(label.count(CHART_BACKGROUND), 0)
        self.assertEqual(shot.pixel(110, 60), (0xFF, 0xFF, 0xE3))       # the waiting text's background
        # The task bar lists the application window, titled with the program's name.
        self.assertTrue(self.session.auto("list", "--class=TApplication", "--title=Quodo", "--stored"))

    def test_the_window_has_the_keyboard_from_its_start(self):
        quodo = self.start_quodo(OPEN_DAY)

        def refreshes():
            return len([r for r in self.requests() if r["host"] == "nl.investing.com"])
        before = refreshes()
        self.session.keys("F5")  # "Download AEX", without a click on the window first
        wait_until(lambda: refreshes() > before, timeout=10, message="a refresh by F5")

    def test_closed_exchange_makes_the_window_wider(self):
        quodo = self.start_quodo("2026-12-05 12:00:00")  # a Saturday
        r = quodo.rect()
        self.assertEqual((r.width, r.height), (262, 213))
        self.assertEqual(quodo.bar().wait_text, "\r\nWacht op m.iex.nl")
        self.assertEqual(quodo.bar().name, "IEX25: ")

    def test_saved_places_off_screen_are_brought_back(self):
        self.session.reg_update({"MainLeft": -500, "MainTop": -20})
        quodo = self.start_quodo(OPEN_DAY)
        r = quodo.rect()
        self.assertEqual((r.left, r.top), (10, 10))
        quodo.program.stop()

        width, height = self.session.screen_size()
        self.session.reg_update({"MainLeft": 5000, "MainTop": height})
        quodo = self.start_quodo(OPEN_DAY)
        r = quodo.rect()
        self.assertEqual((r.left, r.bottom), (width - 250, height - 40))

    def test_mode_switch_there_and_back_and_what_is_stored(self):
        self.session.reg_update({"MainLeft": 300, "MainTop": 300, "Aantal seconden": 10})
        started = time.monotonic()
        quodo = self.start_quodo(OPEN_DAY)
        quodo.switch_mode()
        # The window takes its new size, then its new place; the mode is stored after the refresh
        # that the switch makes.
        def place():
            r = quodo.rect()
            return r.left, r.top, r.width, r.height
        wait_until(lambda: place() == (300, 487, 385, 23), timeout=10, message="bar only")
        # The bar becomes topmost at the next refresh tick (10 s after start), not at the switch.
        topmost = quodo.main.topmost
        if time.monotonic() - started < 10:
            self.assertFalse(topmost)
        wait_until(lambda: self.session.reg_get("Normale Modus") == "0", timeout=10, message="bar mode stored")
        wait_until(lambda: quodo.main.topmost, timeout=20, message="topmost")

        quodo.switch_mode()
        wait_until(lambda: place() == (300, 300, 250, 213), timeout=10, message="normal mode")
        wait_until(lambda: self.session.reg_get("Normale Modus") == "1", timeout=10, message="normal mode stored")
        wait_until(lambda: not quodo.main.topmost, timeout=20, message="ordinary")

        quodo.main.drag_by(40, 20, grab=(5, 100))
        quodo.quit()
        self.assertEqual(self.session.reg_get("MainLeft"), 340)
        self.assertEqual(self.session.reg_get("MainTop"), 320)
        self.assertEqual(self.session.reg_get("Normale Modus"), "1")

    def test_after_a_dialog_was_shown_the_bar_still_goes_topmost_and_no_hidden_dialog_does(self):
        self.session.reg_update({"Aantal seconden": 10})
        quodo = self.start_quodo(OPEN_DAY)
        dialog = quodo.open_settings()
        dialog.press("Cancel")
        dialog.wait_gone()
        about = quodo.open_about()
        about.press("OK")
        about.wait_gone()

        quodo.switch_mode()
        wait_until(lambda: quodo.main.topmost, timeout=20, message="topmost at the next tick")
        hidden = self.session.windows("TOptionsForm") + self.session.windows("TAboutBox")
        self.assertEqual(len(hidden), 2)
        self.assertEqual([w for w in hidden if w.topmost], [])

    def test_menus_open_beside_the_pointer(self):
        self.session.reg_update({"MainLeft": 300, "MainTop": 400})
        quodo = self.start_quodo(OPEN_DAY)

        def menu_at(dx, dy):
            quodo.main.right_click(dx, dy)
            menu = self.session.menu(timeout=5)
            left, top = menu.info["rect"][:2]
            self.session.keys("ESCAPE")
            wait_until(lambda: not self.session.menu_open(), timeout=5)
            return left, top

        self.assertEqual(menu_at(5, 100), (300 + 5 + 20, 400 + 100 - 55))          # background
        self.assertEqual(menu_at(100, 100), (25 + 300 + 75 - 300, 400 + 90 - 55))   # chart area
        label = quodo.bar().labels[1]
        lx, ly = label["rect"][0] - 300, label["rect"][1] - 400
        left_in_bar = label["rect"][0] - 300
        self.assertEqual(menu_at(lx + 3, ly + 4), (left_in_bar + 300 + 3 + 20, 400 + 4 - 55))

    def test_dragging_from_a_label_moves_the_window(self):
        self.session.reg_update({"MainLeft": 200, "MainTop": 200})
        quodo = self.start_quodo(OPEN_DAY)
        label = quodo.bar().labels[0]
        grab = (label["rect"][0] - 200 + 5, label["rect"][1] - 200 + 5)
        quodo.main.drag_by(60, -40, grab=grab)
        wait_until(lambda: quodo.rect().left == 260, timeout=5, message="moved")
        r = quodo.rect()
        self.assertEqual((r.left, r.top), (260, 160))

    def test_help_opens_from_the_menu_and_the_key(self):
        quodo = self.start_quodo(OPEN_DAY)
        quodo.menu_choose(4)  # Help
        help_window = self.session.find_window("HH Parent", timeout=10)
        self.assertTrue(help_window.visible)
        help_window.close()
        help_window.wait_gone(10)

        quodo.main.click(5, 100)
        self.session.keys("F1")  # the main window's own help topic
        self.assertTrue(self.session.find_window("HH Parent", timeout=10).visible)

    def test_without_html_help_the_program_tells_and_ends(self):
        # The program only looks for the library at start: take its file away for this test.
        library = os.path.join(self.session.prefix, "drive_c", "windows", "syswow64", "hhctrl.ocx")
        os.rename(library, library + ".away")
        self.addCleanup(os.rename, library + ".away", library)
        program = self.launch("Quodo.exe", cwd=self.session.bin_dir, env={"QUODO_CLOCK": OPEN_DAY})
        box = self.session.message_box(timeout=20, title="Quodo")
        self.assertIn("HTML Help is not installed on this PC.", box.texts)
        self.assertFalse(self.session.windows("TMainForm", visible=True))
        box.press("OK")
        self.assertEqual(program.wait(15), 0)

    def test_a_help_library_that_cannot_load_is_reported_at_the_first_help_request(self):
        env = {"WINEDLLOVERRIDES": "mscoree,mshtml=;winealsa.drv=;hhctrl.ocx=d"}
        quodo = self.start_quodo(OPEN_DAY, env=env)
        self.session.keys("F1")
        box = self.session.message_box(timeout=20, title="Quodo")
        self.assertIn("HTML Help is not installed on this PC.", box.texts)
        box.press("OK")
        self.assertTrue(quodo.main.visible)

    def test_missing_help_file_is_reported_and_the_program_runs_on(self):
        folder = tempfile.mkdtemp(prefix="quodo-nohelp-")
        self.addCleanup(shutil.rmtree, folder, True)
        for name in ("Quodo.exe", "ErrorGraph.png"):
            shutil.copy(os.path.join(self.session.bin_dir, name), folder)
        program = self.launch(os.path.join(folder, "Quodo.exe"), cwd=folder, env={"QUODO_CLOCK": OPEN_DAY})
        box = self.session.message_box(timeout=20, title="Quodo")
        text = " ".join(box.texts)
        self.assertIn("Help file not found", text)
        self.assertIn("Quodo.chm", text)
        box.press("OK")
        self.assertTrue(program.wait_window("TMainForm", timeout=20).visible)


if __name__ == "__main__":
    unittest.main()
