"""The settings dialog under Wine: a real modal dialog with a title bar, its keyboard, its number
fields, the colours of its buttons, and what OK, Cancel and the close box do to the running
program and the registry."""

import unittest

from quodo_app import INVESTING, QuodoTestCase, investing_page
from quodo_e2e import Rect, hex_colour, wait_until

OPEN_DAY = "2026-12-07 10:00:00"
TAB_ORDER = [("Edit", "30"), ("Button", "DownloadTimer Aan"), ("Button", "Alarm Aan"), ("Edit", "550"),
             ("Edit", "400"), ("Button", "Check voor Updates Aan"), ("Button", "Check nu"),
             ("Button", "Normale Modus"), ("Button", "OK"), ("Button", "Cancel")]


class SettingsDialogTest(QuodoTestCase):

    def focused(self, dialog):
        window = dialog.focused()
        return window["class"], window["text"]

    def wait_focused(self, dialog, expected):
        """Keys reach the program in their own time: waits until the keyboard is where expected."""
        return wait_until(lambda: self.focused(dialog) == expected, timeout=5, message="the keyboard at %r" % (expected,))

    def tab(self, dialog, keys="TAB"):
        """Moves the keyboard on by a key and returns where it went."""
        before = self.focused(dialog)
        self.session.keys(keys)

        def moved():
            now = self.focused(dialog)
            return now if now != before else None
        return wait_until(moved, timeout=5, message="the keyboard moved on from %r" % (before,))

    def control(self, dialog, text, class_name="Button"):
        return next(c for c in dialog.children() if c["text"] == text and c["class"] == class_name)

    def test_the_dialog_is_modal_at_its_place_and_the_tab_key_follows_its_order(self):
        self.session.reg_update({"ConfigTop": 100, "ConfigLeft": 200})
        quodo = self.start_quodo(OPEN_DAY)
        dialog = quodo.open_settings()
        self.assertEqual(dialog.text, "Quodo - Instellingen")
        rect, client = dialog.rect, dialog.client_rect
        self.assertEqual((rect.left, rect.top), (200, 100))
        self.assertEqual((client.width, client.height), (517, 273))
        self.assertGreater(client.top - rect.top, 15)  # a title bar above the client area
        self.assertFalse(quodo.main.refresh()["enabled"])

        seen = [self.focused(dialog)]
        for _ in TAB_ORDER:
            seen.append(self.tab(dialog))
        self.assertEqual(seen, TAB_ORDER + TAB_ORDER[:1])
        self.assertEqual(self.tab(dialog, "SHIFT+TAB"), TAB_ORDER[-1])

        # Enter and Escape do nothing from a field (the key after them shows they were handled:
        # keys are handled in their order); Enter presses the push button that has the keyboard:
        # Cancel closes and gives the main window back.
        self.assertEqual(self.tab(dialog), TAB_ORDER[0])
        self.session.keys("RETURN", "ESCAPE")
        self.assertEqual(self.tab(dialog, "SHIFT+TAB"), TAB_ORDER[-1])
        self.assertTrue(dialog.visible)
        self.session.keys("RETURN")
        dialog.wait_gone()
        self.assertTrue(quodo.main.refresh()["enabled"])

    def test_flat_buttons_and_a_place_given_by_dragging_the_title_bar_is_the_place_stored(self):
        self.session.reg_update({"ConfigTop": 100, "ConfigLeft": 200})
        quodo = self.start_quodo(OPEN_DAY)
        dialog = quodo.open_settings()
        # A flat button: one line of the shadow colour all round, the face right inside it.
        ok = Rect(*self.control(dialog, "OK")["rect"])
        shot = self.session.screenshot(ok)
        edge = shot.pixel(0, 0)
        self.assertEqual([shot.pixel(ok.width - 1, ok.height - 1), shot.pixel(ok.width - 1, 0)], [edge, edge])
        self.assertEqual([shot.pixel(1, 1), shot.pixel(ok.width - 2, ok.height - 2)], [hex_colour("FFFFE3")] * 2)

        dialog.drag_by(150, 80, grab=(100, 8))  # on the title bar
        wait_until(lambda: dialog.rect[:2] == (350, 180), timeout=5, message="the dialog moved")
        dialog.press("OK")
        dialog.wait_gone()
        quodo.quit()
        self.assertEqual((self.session.reg_get("ConfigTop"), self.session.reg_get("ConfigLeft")), (180, 350))

    def test_number_fields_arrows_hover_colour_and_ok(self):
        self.session.reg_update({"Aantal seconden": 60})
        quodo = self.start_quodo(OPEN_DAY)
        dialog = quodo.open_settings()
        self.assertEqual(self.focused(dialog), ("Edit", "60"))
        self.session.keys("END", "BACK", "BACK")
        self.session.type_text("3")
        self.wait_focused(dialog, ("Edit", "3"))  # kept as typed while in the field
        self.tab(dialog)
        self.assertEqual(self.control(dialog, "10", "Edit")["text"], "10")  # pulled into range on leaving
        self.session.keys("SHIFT+TAB", "UP")
        self.wait_focused(dialog, ("Edit", "15"))
        field = dialog.focused()["parent"]
        arrows = next(c for c in dialog.children() if c["class"] == "msctls_updown32" and c["parent"] == field)
        left, top, right, bottom = arrows["rect"]
        self.session.click((left + right) // 2, bottom - 3)  # the down arrow
        wait_until(lambda: self.focused(dialog) == ("Edit", "10"), timeout=5, message="stepped down")

        # The coloured buttons take the hover colour while the pointer is over them.
        ok = self.control(dialog, "OK")["rect"]
        inside = (ok[0] + 8, ok[1] + 8)
        self.session.move_mouse(*inside)
        wait_until(lambda: self.session.pixel(*inside) == hex_colour("00FFFF"), timeout=5, message="hover colour")
        self.session.move_mouse(inside[0], inside[1] - 60)
        wait_until(lambda: self.session.pixel(*inside) == hex_colour("FFFFE3"), timeout=5, message="face colour")

        # The mode by the arrow keys, then OK: applied, stored, and the new interval in effect.
        self.session.keys(*["TAB"] * 7, "DOWN")
        self.wait_focused(dialog, ("Button", "Altijd op Vorgrond"))
        self.serve({INVESTING: [{"body": investing_page("905,10", "+3,20", "+0,35%", "10:00:0%d" % i)}
                                for i in range(9)]})
        dialog.press("OK")
        dialog.wait_gone()
        ok_time = __import__("time").time()
        values = self.session.reg_values()
        self.assertEqual((values["Aantal seconden"], values["Normale Modus"], values["DownloadTimer Aan"]),
                         (10, "0", "1"))
        for name in ("Alarm Aan", "Bovengrens", "Ondergrens", "Geluid Aan", "Updates Aan"):
            self.assertIn(name, values)
        wait_until(lambda: quodo.rect().height == 23, timeout=10, message="always-on-top mode")

        def refreshes():
            return [r["time"] for r in self.requests() if r["host"] == "nl.investing.com" and r["time"] > ok_time + 1]
        times = wait_until(lambda: len(refreshes()) >= 2 and refreshes(), timeout=30, message="two refreshes")
        # 10 s, not the 60 before; the upper bound leaves a busy machine room, short of a lost tick (20).
        self.assertGreater(times[1] - times[0], 8.5)
        self.assertLess(times[1] - times[0], 18.0)

    def test_cancel_restores_and_the_close_box_keeps_what_was_changed(self):
        quodo = self.start_quodo(OPEN_DAY)
        dialog = quodo.open_settings()
        dialog.press("DownloadTimer Aan")
        wait_until(lambda: not self.control(dialog, "DownloadTimer Aan")["checked"], timeout=5, message="cleared")
        self.assertFalse(self.control(dialog, "Download elke", "TLabel")["enabled"])
        dialog.press("Cancel")
        dialog.wait_gone()
        dialog = quodo.open_settings()
        self.assertTrue(self.control(dialog, "DownloadTimer Aan")["checked"])
        self.assertTrue(self.control(dialog, "Download elke", "TLabel")["enabled"])

        dialog.press("DownloadTimer Aan")
        wait_until(lambda: not self.control(dialog, "DownloadTimer Aan")["checked"], timeout=5, message="cleared")
        dialog.close()  # the close box: nothing stored, nothing restored
        dialog.wait_gone()
        dialog = quodo.open_settings()
        self.assertFalse(self.control(dialog, "DownloadTimer Aan")["checked"])
        self.assertNotIn("DownloadTimer Aan", self.session.reg_values())
        dialog.press("Cancel")

    def test_f1_on_the_update_group_opens_its_help_context(self):
        quodo = self.start_quodo(OPEN_DAY, env={"QUODO_WINEDEBUG": "+htmlhelp"})
        dialog = quodo.open_settings()
        self.session.keys(*["TAB"] * 6)
        self.wait_focused(dialog, ("Button", "Check nu"))
        self.session.keys("F1")
        self.assertTrue(self.session.find_window("HH Parent", timeout=10).visible)
        # The help library names the topic of the context only after it was asked for it.
        wait_until(lambda: "command=HH_HELP_CONTEXT, data=7d96" in quodo.program.output(), timeout=10,
                   message="help context 32150 asked for")
        wait_until(lambda: 'FindContextAlias returning "/update.htm"' in quodo.program.output(), timeout=10,
                   message="its topic found")


if __name__ == "__main__":
    unittest.main()
