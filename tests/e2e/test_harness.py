"""Tests of the end-to-end harness itself, against SampleWindow.exe (tests/e2e/auto/SampleWindow.cpp):
every way the Quodo tests find, read and drive a window is proven here on a program whose behaviour
is known exactly."""

import os
import subprocess
import time
import unittest

from quodo_e2e import WINE_X11_KEY, AutoError, E2ETestCase, Image, Rect, parse_reg_export, wait_until

SAMPLE_CLASS = "QuodoSampleWnd"
SAMPLE_RECT = Rect(100, 100, 400, 140)  # default position, 300 x 40
BLUE = (0x20, 0x60, 0xA0)
PALE_YELLOW = (0xFF, 0xFF, 0xE3)
# Menu items, in order: "Always on top", "Swap colour", "Ask", separator, "Close".
TOPMOST_KEYS = ("DOWN", "RETURN")
COLOUR_KEYS = ("DOWN", "DOWN", "RETURN")
ASK_KEYS = ("DOWN", "DOWN", "DOWN", "RETURN")


class SampleTestCase(E2ETestCase):
    def start_sample(self, env=None):
        """Starts SampleWindow.exe in a fresh working folder and waits for its window."""
        self.folder = self.make_folder()
        self.program = self.launch("SampleWindow.exe", env=env, cwd=self.folder)
        self.window = self.program.wait_window(SAMPLE_CLASS, timeout=20)
        return self.window

    def choose_from_menu(self, *keys):
        """Opens the sample's popup menu with a right click and chooses an item with the keyboard."""
        self.window.right_click(150, 20)
        menu = self.session.menu(timeout=5)
        self.session.keys(*keys)
        self.session.wait_gone(menu, timeout=5)

    def second_label(self):
        return self.window.child_texts()[1]


class FindAndReadTest(SampleTestCase):
    def test_find_waits_for_a_window_and_reports_its_caption_rect_and_state(self):
        folder = self.make_folder()
        program = self.launch("SampleWindow.exe", cwd=folder)
        # QuodoAuto's own waiting: the program is still starting when the search begins.
        window = self.session.find_window(SAMPLE_CLASS, timeout=20)
        self.assertEqual(window.class_name, SAMPLE_CLASS)
        self.assertEqual(window.text, "Z:" + folder.replace("/", "\\"))  # the working folder arrived
        self.assertEqual(window.rect, SAMPLE_RECT)
        self.assertEqual(window.client_rect, SAMPLE_RECT)  # border-less
        self.assertTrue(window.visible)
        self.assertFalse(window.topmost)
        self.assertEqual(program.wait_window(SAMPLE_CLASS).hwnd, window.hwnd)

    def test_find_fails_for_a_class_that_does_not_exist(self):
        with self.assertRaises(AutoError) as caught:
            self.session.find_window("NoSuchWindowClass", timeout=0.2)
        self.assertIn("NoSuchWindowClass", str(caught.exception))

    def test_children_give_class_text_and_screen_position_of_each_label(self):
        self.start_sample(env={"SAMPLE_TEXT": "+0,52% héé", "LC_ALL": "nl_NL.UTF-8"})
        children = self.window.children()
        self.assertEqual([c["class"] for c in children], ["Static", "Static"])
        self.assertEqual([c["text"] for c in children], ["Sample", "+0,52% héé"])
        self.assertEqual([Rect(*c["rect"]) for c in children],
                         [Rect(108, 110, 228, 130), Rect(270, 110, 390, 130)])
        self.assertTrue(all(c["visible"] and c["depth"] == 1 and c["parent"] == self.window.hwnd for c in children))
        self.assertEqual(self.window.child(text="Sample").class_name, "Static")
        self.assertIsNone(self.window.child(text="missing"))

    def test_a_registry_value_written_by_the_harness_reaches_the_program(self):
        self.session.reg_set("SampleLabel", "Koers café €")
        self.session.reg_set("SampleLeft", 321)
        self.session.reg_set("SampleTop", 222)
        self.start_sample(env={"LC_ALL": "nl_NL.UTF-8"})
        self.assertEqual(self.window.child_texts()[0], "Koers café €")
        self.assertEqual(self.window.rect, Rect(321, 222, 621, 262))


class InputTest(SampleTestCase):
    def setUp(self):
        super().setUp()
        self.start_sample()

    def test_mouse_moves_to_exact_screen_positions(self):
        width, height = self.session.screen_size()
        for x, y in [(0, 0), (123, 117), (width - 1, height - 1), (641, 333)]:
            self.session.move_mouse(x, y)
            # The move reaches the system in its own time.
            wait_until(lambda: self.session.cursor() == (x, y), timeout=5, message="the cursor at %d, %d" % (x, y))

    def test_right_click_opens_the_popup_menu_at_the_cursor(self):
        self.window.right_click(40, 20)
        menu = self.session.menu(timeout=5)
        self.assertEqual(menu.class_name, "#32768")
        self.assertEqual(menu.rect[:2], (SAMPLE_RECT.left + 40, SAMPLE_RECT.top + 20))
        self.assertGreater(menu.rect.height, 40)
        self.assertTrue(self.session.menu_open())
        self.session.keys("ESCAPE")
        menu.wait_gone(timeout=5)
        self.assertFalse(self.session.menu_open())
        # Escape chose nothing: a command it had chosen would have come before the next one.
        self.choose_from_menu(*COLOUR_KEYS)
        wait_until(lambda: self.window.screenshot().pixel(2, 2) == PALE_YELLOW, timeout=5, message="pale yellow")
        self.assertFalse(self.window.topmost)

    def test_keyboard_chooses_the_first_menu_item_and_toggles_topmost(self):
        self.choose_from_menu(*TOPMOST_KEYS)
        wait_until(lambda: self.window.topmost, timeout=5, message="topmost on")
        self.choose_from_menu(*TOPMOST_KEYS)
        wait_until(lambda: not self.window.topmost, timeout=5, message="topmost off")

    def test_left_drag_moves_the_window_by_the_exact_offset(self):
        self.window.drag_by(150, 80, grab=(150, 5))
        wait_until(lambda: self.window.rect == SAMPLE_RECT.offset(150, 80), timeout=5, message="moved window")
        self.window.drag_by(-60, -30, grab=(20, 30), steps=4)
        wait_until(lambda: self.window.rect == SAMPLE_RECT.offset(90, 50), timeout=5, message="moved back")

    def test_message_box_texts_are_read_and_its_buttons_pressed(self):
        # The buttons speak the session's language (the tests run in Dutch).
        dutch = os.environ.get("LC_ALL", "").startswith("nl")
        yes, no = ("Ja", "Nee") if dutch else ("Yes", "No")
        for answer, button in (("No", no), ("Yes", yes)):
            self.choose_from_menu(*ASK_KEYS)
            box = self.session.message_box(timeout=5, title="Sample question")
            self.assertEqual(box.title, "Sample question")
            self.assertEqual(box.texts, ["Keep going?"])
            self.assertEqual(box.buttons, [yes, no])
            box.press(button)
            wait_until(lambda: self.second_label() == answer, timeout=5, message="answer " + answer)

    def test_message_box_is_not_found_when_none_is_shown(self):
        with self.assertRaises(AutoError):
            self.session.message_box(timeout=0.1)


class ScreenTest(SampleTestCase):
    def setUp(self):
        super().setUp()
        self.start_sample()

    def test_screenshot_of_the_window_shows_its_background_and_labels(self):
        shot = self.window.screenshot()
        self.assertEqual((shot.width, shot.height), (SAMPLE_RECT.width, SAMPLE_RECT.height))
        self.assertEqual(shot.origin, (SAMPLE_RECT.left, SAMPLE_RECT.top))
        for x, y in [(0, 0), (299, 39), (150, 2), (2, 20)]:
            self.assertEqual(shot.pixel(x, y), BLUE, (x, y))
        colours = shot.colours()
        self.assertGreater(colours[BLUE], 300 * 40 // 2)
        # The labels' white text lies inside the two label rectangles.
        white = shot.bounding_box((255, 255, 255))
        self.assertIsNotNone(white)
        self.assertTrue(Rect(8, 10, 290, 30).contains(white.left, white.top))
        self.assertTrue(Rect(8, 10, 291, 31).contains(white.right, white.bottom))

    def test_full_screenshot_and_getpixel_agree_inside_and_outside_the_window(self):
        full = self.session.screenshot()
        self.assertEqual((full.width, full.height), self.session.screen_size())
        self.assertEqual(full.screen_pixel(105, 105), BLUE)
        self.assertEqual(self.session.pixel(105, 105), BLUE)
        self.assertNotEqual(full.screen_pixel(95, 95), BLUE)
        self.assertEqual(self.session.pixel(95, 95), full.screen_pixel(95, 95))

    def test_menu_item_changes_the_colour_seen_in_screenshots(self):
        self.choose_from_menu(*COLOUR_KEYS)
        wait_until(lambda: self.window.screenshot().pixel(2, 2) == PALE_YELLOW, timeout=5, message="pale yellow")
        self.assertEqual(self.session.pixel(SAMPLE_RECT.left + 297, SAMPLE_RECT.top + 37), PALE_YELLOW)

    def test_png_of_a_screenshot_is_written(self):
        path = os.path.join(self.make_folder(), "window.png")
        self.window.screenshot().save_png(path)
        # ImageMagick reads it back with the window's size and colour.
        described = subprocess.run(["identify", "-format", "%w %h", path], stdout=subprocess.PIPE,
                                   text=True, check=True).stdout
        self.assertEqual(described, "300 40")


class StopTest(SampleTestCase):
    def test_stop_closes_the_window_and_the_program_stores_its_position(self):
        self.start_sample()
        self.window.drag_by(40, 25)
        wait_until(lambda: self.window.rect == SAMPLE_RECT.offset(40, 25), timeout=5, message="moved window")
        self.assertEqual(self.program.stop(), 0)
        self.assertFalse(self.program.running)
        self.assertEqual(self.session.windows(SAMPLE_CLASS), [])
        values = self.session.reg_values()
        self.assertEqual((values["SampleLeft"], values["SampleTop"]), (140, 125))

    def test_stop_closes_a_program_whose_window_was_found_through_the_session(self):
        folder = self.make_folder()
        program = self.launch("SampleWindow.exe", cwd=folder)
        window = self.session.find_window(SAMPLE_CLASS, timeout=20)
        self.assertEqual([w.hwnd for w in program.windows()], [window.hwnd])
        self.assertEqual(program.stop(), 0)  # closed, not killed
        self.assertIn("SampleLeft", self.session.reg_values())

    def test_stop_kills_a_program_that_ignores_the_close_request(self):
        self.start_sample(env={"SAMPLE_IGNORE_CLOSE": "1"})
        code = self.program.stop(timeout=1)
        self.assertNotEqual(code, 0)
        self.assertFalse(self.program.running)
        wait_until(lambda: not self.session.windows(SAMPLE_CLASS), timeout=10, message="window removed")
        self.assertNotIn("SampleLeft", self.session.reg_values())  # it never got to store anything

    def test_a_program_ended_by_its_own_menu_reports_exit_code_zero(self):
        self.start_sample()
        self.choose_from_menu("UP", "RETURN")  # "Close", the last item
        self.assertEqual(self.program.wait(timeout=10), 0)


class RegistryTest(E2ETestCase):
    def test_values_of_each_type_round_trip(self):
        long_binary = bytes(range(200))
        self.session.reg_update({"Text": 'a "quoted" \\ path é', "Empty": "", "Number": 30,
                                 "Negative": -1, "Binary": long_binary})
        self.assertEqual(self.session.reg_values(), {"Text": 'a "quoted" \\ path é', "Empty": "", "Number": 30,
                                                     "Negative": 0xFFFFFFFF, "Binary": long_binary})
        self.assertEqual(self.session.reg_get("Number"), 30)
        self.assertEqual(self.session.reg_get("Missing", default="none"), "none")

    def test_a_number_can_be_stored_as_text(self):
        self.session.reg_set("Interval", 30, kind="REG_SZ")
        self.assertEqual(self.session.reg_get("Interval"), "30")

    def test_delete_removes_one_value_and_reset_removes_the_product_key(self):
        self.session.reg_update({"Keep": "yes", "Drop": 1})
        self.session.reg_set("Other", "x", key="HKCU\\Software\\Quodo\\Elsewhere")
        self.session.reg_delete("Drop")
        self.assertEqual(self.session.reg_values(), {"Keep": "yes"})
        self.session.reset_registry()
        self.assertFalse(self.session.reg_key_exists("HKCU\\Software\\Quodo"))
        self.assertEqual(self.session.reg_values(), {})
        self.session.reset_registry()  # resetting an absent key is fine

    def test_values_of_a_subkey_are_not_mixed_in(self):
        self.session.reg_set("Top", 1)
        self.session.reg_set("Deeper", 2, key="HKCU\\Software\\Quodo\\Defaults\\Sub")
        self.assertEqual(self.session.reg_values(), {"Top": 1})
        self.assertEqual(self.session.reg_values("HKCU\\Software\\Quodo\\Defaults\\Sub"), {"Deeper": 2})


class SessionTest(E2ETestCase):
    def test_windows_are_not_left_to_a_window_manager(self):
        self.assertEqual(self.session.reg_get("Managed", key=WINE_X11_KEY), "N")

    def test_a_linux_command_runs_in_the_sessions_network_namespace(self):
        folder = self.make_folder()
        with open(os.path.join(folder, "page.txt"), "w") as f:
            f.write("served inside")
        server = self.session.start_command(["python3", "-m", "http.server", "--bind", "127.0.0.1", "18765"],
                                            cwd=folder)
        self.addCleanup(server.stop)
        fetch = ["python3", "-c", "import urllib.request as u; print(u.urlopen('http://127.0.0.1:18765/page.txt',"
                 " timeout=2).read().decode())"]
        result = wait_until(lambda: (lambda r: r if r.returncode == 0 else None)(self.session.in_wine(fetch)),
                            timeout=10, message="the server answers")
        self.assertEqual(result.stdout.strip(), "served inside")
        server.stop()
        self.assertFalse(server.running)
        self.assertNotEqual(self.session.in_wine(fetch).returncode, 0)


class LibraryTest(unittest.TestCase):
    """The parts of the library that need no session."""

    def test_wait_until_returns_the_first_true_value(self):
        answers = iter([0, None, "", "done", "later"])
        self.assertEqual(wait_until(lambda: next(answers), timeout=5, interval=0), "done")

    def test_wait_until_names_the_condition_when_it_times_out(self):
        start = time.monotonic()
        with self.assertRaises(TimeoutError) as caught:
            wait_until(lambda: False, timeout=0.1, interval=0.01, message="the impossible")
        self.assertIn("the impossible", str(caught.exception))
        self.assertGreaterEqual(time.monotonic() - start, 0.1)

    def test_wait_until_treats_a_missing_window_as_not_yet(self):
        calls = []

        def condition():
            calls.append(1)
            if len(calls) < 3:
                raise AutoError("no window")
            return "found"

        self.assertEqual(wait_until(condition, timeout=5, interval=0), "found")

    def test_ppm_reading_and_cropping(self):
        rgb = bytes([1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12])
        image = Image.from_ppm(b"P6\n# comment\n2 2\n255\n" + rgb)
        self.assertEqual(image.pixel(1, 1), (10, 11, 12))
        part = image.crop(Rect(1, 0, 5, 5))
        self.assertEqual((part.width, part.height, part.origin), (1, 2, (1, 0)))
        self.assertEqual(part.pixel(0, 1), (10, 11, 12))
        with self.assertRaises(IndexError):
            image.pixel(2, 0)
        with self.assertRaises(ValueError):
            Image.from_ppm(b"P6 2 2 255\n" + rgb[:5])

    def test_reg_export_parsing_keeps_only_the_asked_key(self):
        text = ('Windows Registry Editor Version 5.00\r\n\r\n'
                '[HKEY_CURRENT_USER\\Software\\Quodo\\Defaults]\r\n'
                '@="default"\r\n"A"="x=\\"y\\""\r\n"B"=dword:0000001e\r\n'
                '"C"=hex:01,02,\\\r\n  03,ff\r\n\r\n'
                '[HKEY_CURRENT_USER\\Software\\Quodo\\Defaults\\Sub]\r\n"D"="no"\r\n')
        self.assertEqual(parse_reg_export(text, "HKCU\\Software\\Quodo\\Defaults"),
                         {"": "default", "A": 'x="y"', "B": 30, "C": b"\x01\x02\x03\xff"})


if __name__ == "__main__":
    unittest.main()
