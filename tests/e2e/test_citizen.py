"""Quodo.exe as today's Windows meets it, under Wine: drawn at the screen's scale (Wine takes the
system's dots per inch from HKCU\\Control Panel\\Desktop "LogPixels"), one copy a user, the common
controls of version 6, and a main menu and names that a keyboard and a screen reader reach."""

import math
import os
import unittest

from quodo_app import (BUTTON_CHECK, BUTTON_INFO, CHART, INVESTING, LABEL1, LABEL2, LABEL3, QuodoTestCase,
                       investing_page, png)
from quodo_e2e import PRODUCT_KEY, Rect, wait_until

OPEN_DAY = "2026-12-07 10:00:00"
DESKTOP_KEY = "HKCU\\Control Panel\\Desktop"
ROLE_PUSHBUTTON, ROLE_STATICTEXT = 43, 41
YELLOW = (0xFF, 0xFF, 0x00)  # the question-mark disc of the information button


def day_chart(x, y):
    """A pixel of a chart like the day's: a grid and a wavy line of the level."""
    if abs(y - (95 + 35 * math.sin(x / 23.0) + 12 * math.sin(x / 7.0))) < 1.0:
        return (0, 0, 160)
    return (210, 210, 210) if x % 38 == 0 or y % 31 == 0 else (255, 255, 255)


def ink_height(image, background):
    """The number of rows of a picture in which anything differs from the background."""
    return sum(1 for y in range(image.height)
               if any(image.pixel(x, y) != background for x in range(image.width)))


class ScaleTest(QuodoTestCase):

    def shot_at(self, dpi):
        """Quodo on a screen of this many dots per inch, showing a quote: its window's rectangle,
        the ink height of the level, the size of the information button's disc, and the picture."""
        if dpi != 96:
            self.session.reg_set("LogPixels", dpi, key=DESKTOP_KEY)
            self.addCleanup(self.session.reg_delete, "LogPixels", DESKTOP_KEY)
        chart = png(190, 187, day_chart)
        self.serve({INVESTING: [{"body": investing_page("905,10", "+1,25", "+0,14%", "10:00:00")}],
                    CHART: [{"body": chart.decode("latin-1")}]})
        quodo = self.start_quodo(OPEN_DAY)
        bar = quodo.wait_bar(lambda bar: bar.level == "905,10" and not bar.wait_visible, message="the quote")
        rect = quodo.rect()
        shot = self.session.screenshot(rect)
        level = self.session.screenshot(Rect(*bar.windows[LABEL2]["rect"]))
        info = self.session.screenshot(Rect(*bar.windows[BUTTON_INFO]["rect"]))
        folder = os.environ.get("QUODO_E2E_ARTIFACTS")
        if folder:
            os.makedirs(folder, exist_ok=True)
            shot.save_png(os.path.join(folder, "main-window-%ddpi.png" % dpi))
        disc = info.bounding_box(YELLOW)
        quodo.quit()
        return rect, ink_height(level, level.pixel(0, 0)), disc

    def test_at_144_dpi_the_window_its_text_and_its_pictures_are_half_as_large_again(self):
        rect96, text96, disc96 = self.shot_at(96)
        rect144, text144, disc144 = self.shot_at(144)
        self.assertEqual((rect144.left, rect144.top), (rect96.left, rect96.top), "the place is kept in pixels")
        self.assertEqual((rect144.width, rect144.height), (375, 320))  # 250 by 213
        self.assertAlmostEqual(text144, 1.5 * text96, delta=1.5, msg="the text drawn in a font half as large again")
        self.assertAlmostEqual(disc144.width, 1.5 * disc96.width, delta=1)
        self.assertAlmostEqual(disc144.height, 1.5 * disc96.height, delta=1)


class SingleCopyTest(QuodoTestCase):

    def test_a_second_start_brings_the_first_forward_and_ends_without_touching_the_store(self):
        first = self.start_quodo(OPEN_DAY)
        sample = self.launch("SampleWindow.exe")
        sample.wait_window("QuodoSampleWnd")
        wait_until(lambda: self.session.auto_one("active")["class"] == "QuodoSampleWnd", message="the other window in front")
        self.session.reset_registry()
        second = self.launch("Quodo.exe", cwd=self.session.bin_dir, env={"QUODO_CLOCK": OPEN_DAY})
        self.assertEqual(second.wait(20), 0)
        wait_until(lambda: self.session.auto_one("active")["hwnd"] == first.main.hwnd, timeout=5,
                   message="the first copy's main window in front")
        self.assertTrue(first.program.running)
        self.assertFalse(self.session.reg_key_exists(PRODUCT_KEY), "the second copy wrote settings")


class KeyboardAndScreenReaderTest(QuodoTestCase):

    def test_shift_f10_and_the_menu_key_open_the_main_menu_at_the_bar(self):
        quodo = self.start_quodo(OPEN_DAY)
        bar = Rect(*next(c for c in quodo.main.children() if c["class"] == "TPanel")["rect"])
        for keys in ("SHIFT+F10", "APPS"):
            self.session.keys(keys)
            menu = Rect(*self.session.menu(timeout=5).info["rect"])
            self.assertLessEqual(abs(menu.left - bar.left), 2, keys)
            self.assertLessEqual(abs(menu.top - bar.top), 2, keys)
            self.session.keys("ESCAPE")
            wait_until(lambda: not self.session.menu_open(), timeout=5, message="menu closed")

    def test_picture_buttons_carry_their_hints_as_names_and_the_bar_reads_as_text(self):
        quodo = self.start_quodo(OPEN_DAY)
        bar = quodo.bar()

        def accessible(window):
            found = self.session.auto_one("accessible", window["hwnd"])
            return found["name"], found["role"]
        self.assertEqual(accessible(bar.windows[BUTTON_INFO]), ("Help en informatie", ROLE_PUSHBUTTON))
        self.assertEqual(accessible(bar.windows[BUTTON_CHECK]), ("Koers binnen de grenzen", ROLE_PUSHBUTTON))
        for label in (LABEL1, LABEL2, LABEL3):
            self.assertEqual(accessible(bar.windows[label]), (bar.windows[label]["text"], ROLE_STATICTEXT))
        about = quodo.open_about()
        author = next(c for c in about.children() if c["class"] == "TSpeedButton")
        self.assertEqual(accessible(author), ("Toon informatie", ROLE_PUSHBUTTON))


class CommonControlsTest(QuodoTestCase):

    def test_the_number_fields_bind_the_common_controls_of_version_6(self):
        quodo = self.start_quodo(OPEN_DAY)
        quodo.open_settings()
        path = self.session.auto_one("module", quodo.main.hwnd, "comctl32.dll")["path"].lower()
        self.assertIn("\\winsxs\\x86_microsoft.windows.common-controls_6595b64144ccf1df_6.", path)


if __name__ == "__main__":
    unittest.main()
