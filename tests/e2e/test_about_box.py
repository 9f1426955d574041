"""The information box under Wine: a real modal dialog without a close box, its two pages, its help
context, the addresses that Home and Mail hand to the programs registered for them, the message
popup when those programs are missing, and its English texts."""

import os
import shutil
import time
import unittest

from quodo_app import ProtocolHandlers, QuodoTestCase, shell_recorder
from quodo_e2e import Rect, wait_until

OPEN_DAY = "2026-12-07 10:00:00"
ENGLISH = {"LC_ALL": "en_US.UTF-8"}
WS_CAPTION, WS_SYSMENU = 0x00C00000, 0x00080000
YELLOW = (255, 255, 0)
MAIL_LINES = ["Hallo Wouter", "", "Ik vond op je Home Page het programma Quodo.",
              "Hierover wil ik het volgende opmerken:", "", "", "", "", "", "Met vriendelijke groet,", ""]


def wine_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class AboutBoxTest(QuodoTestCase):

    def setUp(self):
        super().setUp()
        self.folder = self.make_folder()
        self.handlers = ProtocolHandlers(self.session, ["http", "mailto"], self.folder)
        self.addCleanup(self.handlers.restore)

    # -- helpers

    def record_handler(self, scheme):
        """Registers a copy of the recorder for the scheme; returns the file it records into."""
        recorder = os.path.join(self.folder, "recorder.exe")
        if not os.path.exists(recorder):
            shutil.copy(shell_recorder(self.session), recorder)
        record = os.path.join(self.folder, scheme + ".txt")
        self.handlers.register(scheme, '"%s" "%s" "%%1"' % (wine_path(recorder), wine_path(record)))
        return record

    def missing_handler(self, scheme):
        self.handlers.register(scheme, '"%s" "%%1"' % wine_path(os.path.join(self.folder, "none.exe")))

    def recorded(self, record):
        wait_until(lambda: os.path.exists(record), timeout=10, message="the handler started")
        with open(record, "rb") as f:
            return f.read().decode("latin-1")

    def texts(self, window, class_name):
        return [c["text"] for c in window.children() if c["class"] == class_name and c["visible"]]

    def click_centre(self, rect):
        self.session.click((rect[0] + rect[2]) // 2, (rect[1] + rect[3]) // 2)

    def popup(self):
        return self.session.find_window("TMessageForm", timeout=10)

    # -- tests

    def test_a_modal_dialog_without_close_box_with_its_help_and_two_pages(self):
        self.session.reg_update({"MainTop": 300, "MainLeft": 400})
        quodo = self.start_quodo(OPEN_DAY, env={"QUODO_WINEDEBUG": "+htmlhelp"}, first_refresh=False)
        box = quodo.open_about()
        self.assertEqual(box.text, "Quodo - Informatie")
        rect, client = box.rect, box.client_rect
        self.assertEqual((client.width, client.height), (437, 285))
        style = box.info["style"] & 0xFFFFFFFF
        self.assertEqual(style & WS_CAPTION, WS_CAPTION)
        self.assertEqual(style & WS_SYSMENU, 0)  # no system menu, so no close box either
        # Half above the main window, centred on it.
        main = quodo.rect()
        self.assertEqual(rect.top, main.top - rect.height // 2)
        self.assertEqual(rect.left, main.left + main.width // 2 - rect.width // 2)
        self.assertFalse(quodo.main.refresh()["enabled"])
        self.assertIn("Koersen zonder garantie; alleen ter informatie.", self.texts(box, "TLabel"))
        self.assertEqual(self.texts(box, "Button"), ["Home", "Mail", "OK"])
        # The author button shows inside its frame, not hidden by it.
        author = next(c for c in box.children() if c["class"] == "TSpeedButton")
        self.assertGreater(self.session.screenshot().crop(Rect(*author["rect"])).count(YELLOW), 10)

        # The author page, and Enter back: the box closes and opens on the main page again.
        self.click_centre(author["rect"])
        wait_until(lambda: self.texts(box, "Button") == ["OK"], timeout=5, message="author page")
        self.assertEqual(box.text, "Quodo - Informatie")
        self.assertTrue(any("Wouter Brandsma" in t for t in self.texts(box, "Edit")))
        self.session.keys("RETURN")
        box.wait_gone()
        self.assertTrue(quodo.main.refresh()["enabled"])
        box = quodo.open_about()
        self.assertEqual(box.text, "Quodo, versie 1.06 - Informatie")
        self.assertEqual(self.texts(box, "Button"), ["Home", "Mail", "OK"])

        self.session.keys("F1")
        wait_until(lambda: "command=HH_HELP_CONTEXT, data=c350" in quodo.program.output(), timeout=10,
                   message="help context 50000 asked for")

    def test_home_and_mail_hand_their_addresses_to_the_registered_programs(self):
        http, mailto = self.record_handler("http"), self.record_handler("mailto")
        quodo = self.start_quodo(OPEN_DAY, first_refresh=False)
        box = quodo.open_about()
        box.press("Home")
        self.assertTrue(self.recorded(http).endswith(' "http://www.quodosoft.nl/index_n.php"'), self.recorded(http))
        box.press("Mail")
        address = ("mailto:wouter@quodosoft.nl?Subject=Programma Quodo, versie 1.06&Body="
                   + "%0D%0A".join(MAIL_LINES))
        self.assertTrue(self.recorded(mailto).endswith(' "%s"' % address), self.recorded(mailto))
        # The box answers for its caption only once the click has been handled, popup and all.
        self.assertEqual(box.text, "Quodo - Informatie")
        self.assertFalse(self.session.windows("TMessageForm", visible=True))
        self.assertTrue(box.visible)

    def test_missing_programs_give_the_popup_over_the_box_without_taking_the_keyboard(self):
        self.missing_handler("http")
        self.missing_handler("mailto")
        self.session.reg_update({"MainTop": 500, "MainLeft": 400})
        quodo = self.start_quodo(OPEN_DAY, first_refresh=False)
        box = quodo.open_about()
        box_rect = box.rect

        pressed = time.monotonic()
        box.press("Home")
        popup = self.popup()
        seen = time.monotonic()
        memo = popup.child(class_name="Edit")
        self.assertEqual(memo.info["text"], "Browser niet geopend.")
        rect, memo_rect = popup.rect, Rect(*memo.info["rect"])
        self.assertEqual(memo_rect.height, 33)  # (1 + 2) lines of 11 points
        self.assertEqual(rect.height, 83)
        self.assertEqual(memo_rect.left - rect.left, 20)
        self.assertEqual(rect.width, memo_rect.width + 30)
        self.assertEqual(rect.top, box_rect.top + (box_rect.height - 83) // 2)
        self.assertEqual(rect.left, box_rect.left + (box_rect.width - rect.width) // 2)
        # The keyboard stays in the box.
        self.assertIn(box.focused()["hwnd"], [c["hwnd"] for c in box.children()])
        popup.wait_gone(timeout=10)
        gone = time.monotonic()
        self.assertGreaterEqual(gone - pressed, 2.9)
        self.assertLess(gone - seen, 4.0)

        box.press("Mail")
        popup = self.popup()
        self.assertEqual(popup.child(class_name="Edit").info["text"],
                         "Het verzenden van de mail is niet gelukt (Fout 1).\r\n"
                         "Verstuur de mail op een andere manier s.v.p.")
        # Its lines were counted at the width of the previous message, where the first one wraps.
        memo_height = popup.rect.height - 50
        self.assertEqual(memo_height % 11, 0)
        self.assertGreater(memo_height, 4 * 11)
        self.assertTrue(box.visible)

    def test_english_texts_in_an_english_locale(self):
        # Every helper runs in the program's locale, or the program could take the helpers' one.
        saved = os.environ.get("LC_ALL")
        os.environ.update(ENGLISH)
        self.addCleanup(lambda: os.environ.__setitem__("LC_ALL", saved) if saved else os.environ.pop("LC_ALL"))
        http = self.record_handler("http")
        quodo = self.start_quodo(OPEN_DAY, env=ENGLISH, first_refresh=False)
        box = quodo.open_about()
        self.assertEqual(box.text, "Quodo - About")
        labels = self.texts(box, "TLabel")
        self.assertIn("Quodo is a simple program to follow", labels)
        self.assertIn("the prices of the AEX index.", labels)
        author = next(t for t in self.texts(box, "Edit") if "Quodo has been written by:" in t)
        self.assertIn("NL 7415 PK Deventer\r\n0031 570 612345", author)
        box.press("Home")
        self.assertTrue(self.recorded(http).endswith(' "http://www.quodosoft.nl/index.php"'), self.recorded(http))


if __name__ == "__main__":
    unittest.main()
