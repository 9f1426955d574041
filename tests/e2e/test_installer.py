"""Quodo's installer under Wine: the silent install the update check starts ("/SP- /silent
/noicons"), its wait for a running Quodo.exe, an install of the newer version over the older one,
and the uninstaller."""

import filecmp
import hashlib
import os
import time
import unittest

from quodo_e2e import E2ETestCase, wait_until
from quodo_install import PROGRAM_FILES, Installation, installer, payload, update_site

UPDATE_ARGUMENTS = "/SP- /silent /noicons"  # as the program's update check starts the installer
DUTCH = {"LC_ALL": "nl_NL.UTF-8", "TZ": "Europe/Amsterdam"}


class InstallerTest(E2ETestCase):

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        # The newer version's build takes a while the first time: never inside a timed step.
        update_site()

    def setUp(self):
        super().setUp()
        self.install = Installation(self.session)
        self.install.remove()
        self.addCleanup(self.install.remove)

    def assert_installed(self, version):
        """The three program files are those of that version's build, and no half-written copy is left."""
        for name in PROGRAM_FILES:
            self.assertTrue(filecmp.cmp(self.install.path(name), os.path.join(payload(version), name), shallow=False),
                            "%s is not the file of version %s" % (name, version))
        self.assertFalse(os.path.exists(self.install.path("Quodo.exe.new")))
        self.assertEqual(self.install.file_facts()["FileVersion"], version)
        self.assertEqual(self.install.entry().get("DisplayVersion"), version)

    def start_installed_quodo(self):
        program = self.launch(self.install.path("Quodo.exe"), env=DUTCH, cwd=self.make_folder())
        program.wait_window("TMainForm", timeout=20)
        return program

    def test_silent_install_puts_the_program_into_program_files_with_its_uninstall_entry(self):
        self.assertEqual(self.install.run(installer("1.06"), UPDATE_ARGUMENTS), 0)

        self.assert_installed("1.06")
        self.assertTrue(os.path.isfile(self.install.path("Uninstall.exe")))
        self.assertFalse(os.path.exists(self.install.shortcut))  # /noicons
        entry = self.install.entry()
        folder = "C:\\Program Files (x86)\\Quodo"
        self.assertEqual(entry["DisplayName"], "Quodo")
        self.assertEqual(entry["Publisher"], "QuodoSoft")
        self.assertEqual(entry["UninstallString"], '"%s\\Uninstall.exe"' % folder)
        self.assertEqual(entry["DisplayIcon"], folder + "\\Quodo.exe,0")
        # What the file's properties show: the version resource and the icon.
        facts = self.install.file_facts()
        self.assertEqual(facts["FixedFileVersion"], "1.6.0.0")
        self.assertEqual((facts["ProductName"], facts["ProductVersion"], facts["CompanyName"]),
                         ("Quodo", "1.06", "QuodoSoft"))
        self.assertEqual(facts["Icons"], "1")

    def test_the_installer_waits_for_the_running_program_then_replaces_it_without_a_window(self):
        self.assertEqual(self.install.run(installer("1.06"), UPDATE_ARGUMENTS), 0)
        quodo = self.start_installed_quodo()

        update = self.start_installer_and_watch(installer("1.07"), UPDATE_ARGUMENTS, seconds=2)
        self.assertTrue(update.running, "the installer did not wait for Quodo.exe")
        self.assertTrue(filecmp.cmp(self.install.path("Quodo.exe"), os.path.join(payload("1.06"), "Quodo.exe"),
                                    shallow=False))

        quodo.stop()
        self.assertEqual(update.wait(15), 0)
        self.assert_installed("1.07")

    def test_the_installer_gives_up_after_its_wait_and_leaves_the_installed_program_whole(self):
        self.assertEqual(self.install.run(installer("1.06"), UPDATE_ARGUMENTS), 0)
        self.start_installed_quodo()

        started = time.monotonic()
        self.assertEqual(self.install.run(installer("1.07"), UPDATE_ARGUMENTS + " /wait=2", timeout=60), 2)
        waited = time.monotonic() - started
        self.assertGreaterEqual(waited, 2)
        self.assertLess(waited, 15)  # the bound asked for, not the default of 30 seconds
        self.assert_installed("1.06")

    def test_the_uninstaller_removes_the_files_the_shortcut_and_the_entry(self):
        self.assertEqual(self.install.run(installer("1.06"), "/silent"), 0)  # with a Start menu shortcut
        self.assertTrue(os.path.isfile(self.install.shortcut))
        uninstaller = self.install.entry()["UninstallString"].strip('"')

        self.assertEqual(self.install.run(uninstaller, "/silent"), 0)
        # The uninstaller works from a copy of itself, so that it can delete its own file: poll.
        wait_until(lambda: not os.path.exists(self.install.folder), timeout=15, message="the program folder gone")
        self.assertFalse(os.path.exists(self.install.shortcut))
        self.assertEqual(self.install.entry(), {})

    def test_the_version_list_announces_this_installer_by_size_and_hash(self):
        path = installer("1.06")
        with open(path, "rb") as f:
            data = f.read()
        with open(os.path.join(os.path.dirname(path), "versions.dat"), "rb") as f:
            lines = f.read().decode("ascii").split("\r\n")
        entry = next(line for line in lines if line.startswith("Quodo,")).split(",")
        self.assertEqual(entry[1:5], ["Quodo106.exe", "", str(-(-len(data) // 1024)), hashlib.sha256(data).hexdigest()])

    def start_installer_and_watch(self, exe, arguments, seconds):
        """Starts an installer and watches it for some seconds: no window of it may show meanwhile."""
        program = self.install.start(exe, arguments)
        self.addCleanup(program.stop)
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline and program.running:
            self.assertEqual(program.windows(visible=True), [], "the silent installer showed a window")
            time.sleep(0.1)
        return program


if __name__ == "__main__":
    unittest.main()
