"""Quodo's installer under Wine, as the session's user: the silent install into the user's folder,
its wait for a running Quodo.exe, a second installer meanwhile, 1.07 over 1.06, swaps that fail at
each point, what a cut run left, and the uninstaller."""

import filecmp
import hashlib
import os
import time
import unittest

from quodo_e2e import E2ETestCase, wait_until
from quodo_install import (MACHINE_FOLDER, MACHINE_UNINSTALL_KEY, PROGRAM_FILES, Installation, installer, payload,
                           update_site)

SILENT = "/silent /noicons"  # a silent install by hand: the update check adds "/SP-"
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
            self.assertFalse(os.path.exists(self.install.path(name + ".part")))
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

    def test_silent_install_puts_the_program_into_the_users_own_folder_without_elevation(self):
        self.assertEqual(self.install.run(installer("1.06"), SILENT), 0)
        # The installer and its uninstaller ask for no more than the user's rights.
        for program in (installer("1.06"), self.install.path("Uninstall.exe")):
            with open(program, "rb") as f:
                self.assertIn(b'<requestedExecutionLevel level="asInvoker"', f.read(), program)

        self.assert_installed("1.06")
        self.assertTrue(os.path.isfile(self.install.path("Uninstall.exe")))
        self.assertFalse(os.path.exists(self.install.shortcut))  # /noicons
        entry = self.install.entry()
        folder = "C:\\users\\root\\AppData\\Local\\Programs\\Quodo"
        self.assertEqual(entry["DisplayName"], "Quodo")
        self.assertEqual(entry["Publisher"], "QuodoSoft")
        self.assertEqual(entry["InstallLocation"], folder)
        self.assertEqual(entry["UninstallString"], '"%s\\Uninstall.exe"' % folder)
        self.assertEqual(entry["DisplayIcon"], folder + "\\Quodo.exe,0")
        self.assertFalse(os.path.exists(os.path.join(self.install.drive_c, *MACHINE_FOLDER.split("\\"))))
        self.assertFalse(self.session.reg_key_exists(MACHINE_UNINSTALL_KEY))
        # What the file's properties show: the version resource and the icon.
        facts = self.install.file_facts()
        self.assertEqual(facts["FixedFileVersion"], "1.6.0.0")
        self.assertEqual((facts["ProductName"], facts["ProductVersion"], facts["CompanyName"]),
                         ("Quodo", "1.06", "QuodoSoft"))
        self.assertEqual(facts["Icons"], "1")

    def test_the_installer_waits_for_the_running_program_then_replaces_it_without_a_window(self):
        self.assertEqual(self.install.run(installer("1.06"), SILENT), 0)
        quodo = self.start_installed_quodo()

        update = self.start_installer_and_watch(installer("1.07"), SILENT, seconds=2)
        self.assertTrue(update.running, "the installer did not wait for Quodo.exe")
        self.assert_file_of("1.06", "Quodo.exe")

        # A second installer meanwhile ends at once and changes nothing: the first one holds the
        # installation.
        wait_until(lambda: os.path.exists(self.install.setup_lock), timeout=10, message="the first installer running")
        self.assertEqual(self.install.run(installer("1.07"), SILENT, timeout=20), ALREADY_RUNNING)
        self.assertTrue(update.running)
        self.assert_file_of("1.06", "Quodo.exe")

        quodo.stop()
        self.assertEqual(update.wait(15), 0)
        self.assert_installed("1.07")

    def test_the_installer_gives_up_after_its_wait_and_leaves_the_installed_program_whole(self):
        self.assertEqual(self.install.run(installer("1.06"), SILENT), 0)
        self.start_installed_quodo()

        started = time.monotonic()
        self.assertEqual(self.install.run(installer("1.07"), SILENT + " /wait=2", timeout=60), NOT_REPLACED)
        waited = time.monotonic() - started
        self.assertGreaterEqual(waited, 2)
        self.assertLess(waited, 15)  # the bound asked for, not the default of 30 seconds
        self.assert_installed("1.06")

    def test_an_update_into_a_folder_the_user_cannot_write_goes_to_the_users_own(self):
        # The program passes its own folder; one the user cannot write (an old install in Program
        # Files, say; here one that cannot even be made) is no place to install into.
        setup = self.install.start(installer("1.06"), "/SP- /silent /noicons /D=Z:\\proc\\Quodo")
        self.addCleanup(setup.stop)
        self.addCleanup(self.install.close_programs)
        wait_until(self.install.program_windows, timeout=60, message="the program started in the user's folder")
        self.assertEqual(setup.wait(30), 0)
        self.assert_installed("1.06")

    def hold(self, name):
        """Holds a file of the installation open (made when missing): not to be renamed or deleted."""
        holder = self.launch("QuodoAuto.exe", ["holdfile", self.session._wine_path(self.install.path(name))])
        wait_until(lambda: '"held"' in holder.output(), timeout=10, message=name + " held")
        return holder

    def test_a_file_that_cannot_be_swapped_in_leaves_the_old_program_whole(self):
        # The program's staged copy cannot take its place, or the help file's cannot after the new
        # program took its place (which is then swapped back).
        for staged in ("Quodo.exe.new", "Quodo.chm.new"):
            with self.subTest(staged):
                self.install.remove()
                self.assertEqual(self.install.run(installer("1.06"), SILENT), 0)
                holder = self.hold(staged)
                self.assertEqual(self.install.run(installer("1.07"), SILENT), NOT_REPLACED)
                self.assert_file_of("1.07", staged[:-4], installed_as=staged)  # staged, then refused
                self.assert_installed("1.06", staged_left=True)
                holder.stop()

    def test_what_a_cut_run_left_is_put_right_first(self):
        # An older installer cut between its renames left only Quodo.exe.old, and a cut copy lies
        # about: a run whose own swap fails still leaves the old program whole, in its place.
        self.assertEqual(self.install.run(installer("1.06"), SILENT), 0)
        os.rename(self.install.path("Quodo.exe"), self.install.path("Quodo.exe.old"))
        with open(self.install.path("Quodo.chm.part"), "wb") as f:
            f.write(b"cut short")
        self.hold("Quodo.exe.new")
        self.assertEqual(self.install.run(installer("1.07"), SILENT), NOT_REPLACED)
        self.assert_installed("1.06", staged_left=True)

    def test_the_uninstaller_removes_the_files_before_the_entry(self):
        self.assertEqual(self.install.run(installer("1.06"), "/silent"), 0)  # with a Start menu shortcut
        self.assertTrue(os.path.isfile(self.install.shortcut))
        uninstaller = self.install.entry()["UninstallString"].strip('"')

        # A file in use keeps what names the files: the entry, the shortcut and the uninstaller. (It
        # goes on from a copy of itself, which run waits for, but the exit code is the first one's.)
        holder = self.hold("Quodo.chm")
        self.install.run(uninstaller, "/silent")
        self.assertFalse(os.path.exists(self.install.path("Quodo.exe")))
        self.assertTrue(os.path.isfile(self.install.path("Uninstall.exe")))
        self.assertTrue(os.path.isfile(self.install.shortcut))
        self.assertEqual(self.install.entry().get("DisplayVersion"), "1.06")

        holder.stop()
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
