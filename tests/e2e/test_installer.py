"""Quodo's installer under Wine: the silent install the update check starts ("/SP- /silent
/noicons"), its wait for a running Quodo.exe, a second installer meanwhile, an install of the newer
version over the older one, a swap that fails, and the uninstaller."""

import filecmp
import hashlib
import os
import time
import unittest

from quodo_e2e import E2ETestCase, wait_until
from quodo_install import PROGRAM_FILES, Installation, installer, payload, update_site

UPDATE_ARGUMENTS = "/SP- /silent /noicons"  # as the program's update check starts the installer
NOT_REPLACED, ALREADY_RUNNING = 2, 3  # the installer's exit codes
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

    def assert_installed(self, version, staged_left=False):
        """The three program files are those of that version's build, and no copy of a swap is left
        (but for a staged copy that could not be removed)."""
        for name in PROGRAM_FILES:
            self.assert_file_of(version, name)
            self.assertFalse(os.path.exists(self.install.path(name + ".old")))
            if not staged_left:
                self.assertFalse(os.path.exists(self.install.path(name + ".new")))
        self.assertEqual(self.install.file_facts()["FileVersion"], version)
        self.assertEqual(self.install.entry().get("DisplayVersion"), version)

    def assert_file_of(self, version, name, installed_as=None):
        self.assertTrue(filecmp.cmp(self.install.path(installed_as or name), os.path.join(payload(version), name),
                                    shallow=False), "%s is not the file of version %s" % (installed_as or name, version))

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
        self.assert_file_of("1.06", "Quodo.exe")

        # A second installer meanwhile ends at once and changes nothing: the first one holds the
        # installation.
        wait_until(lambda: self.session.auto_one("mutex", "QuodoSetup")["exists"], timeout=10,
                   message="the first installer running")
        self.assertEqual(self.install.run(installer("1.07"), UPDATE_ARGUMENTS, timeout=20), ALREADY_RUNNING)
        self.assertTrue(update.running)
        self.assert_file_of("1.06", "Quodo.exe")

        quodo.stop()
        self.assertEqual(update.wait(15), 0)
        self.assert_installed("1.07")

    def test_the_installer_gives_up_after_its_wait_and_leaves_the_installed_program_whole(self):
        self.assertEqual(self.install.run(installer("1.06"), UPDATE_ARGUMENTS), 0)
        self.start_installed_quodo()

        started = time.monotonic()
        self.assertEqual(self.install.run(installer("1.07"), UPDATE_ARGUMENTS + " /wait=2", timeout=60), NOT_REPLACED)
        waited = time.monotonic() - started
        self.assertGreaterEqual(waited, 2)
        self.assertLess(waited, 15)  # the bound asked for, not the default of 30 seconds
        self.assert_installed("1.06")

    def test_a_program_that_cannot_take_the_old_ones_place_leaves_the_old_one_whole(self):
        self.assertEqual(self.install.run(installer("1.06"), UPDATE_ARGUMENTS), 0)
        # The new program's staged copy can be written, but not renamed into the old one's place.
        staged = self.install.path("Quodo.exe.new")
        holder = self.launch("QuodoAuto.exe", ["holdfile", self.session._wine_path(staged)])
        wait_until(lambda: '"held"' in holder.output(), timeout=10, message="the staged copy held")

        self.assertEqual(self.install.run(installer("1.07"), UPDATE_ARGUMENTS), NOT_REPLACED)
        self.assert_file_of("1.07", "Quodo.exe", installed_as="Quodo.exe.new")  # staged, then refused
        self.assert_installed("1.06", staged_left=True)

    def test_the_uninstaller_removes_the_files_the_shortcut_and_the_entry(self):
        self.assertEqual(self.install.run(installer("1.06"), "/silent"), 0)  # with a Start menu shortcut
        self.assertTrue(os.path.isfile(self.install.shortcut))
        uninstaller = self.install.entry()["UninstallString"].strip('"')

        # The uninstaller goes on from a copy of itself, so that it can delete its own file; run
        # waits for that copy too.
        self.assertEqual(self.install.run(uninstaller, "/silent"), 0)
        self.assertFalse(os.path.exists(self.install.folder))
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
