"""The update loop under Wine, on the maker's real host names over HTTPS against the fixture server:
the probe with a ping of ours that prints the Windows layouts, the version check on demand and one
minute after start, the update window, lists the maker did not sign, the download with its checks,
an installer swapped on the server, and the real installer that replaces the running program and
starts it again (or says why not). Lists are signed around now: their times go by UTC, not QUODO_CLOCK."""

import datetime
import hashlib
import os
import shutil
import time
import unittest

from cryptography.hazmat.primitives.asymmetric import ec

from quodo_app import DUTCH, Quodo, QuodoTestCase, StandInPing
from quodo_e2e import AutoError, wait_until
from quodo_install import PROGRAM_FILES, Installation, installer, signed_line, update_site

OPEN_DAY = "2026-12-07 10:00:00"  # in Amsterdam: 09:00 UTC
MAKER = "www.quodosoft.nl"
LIST = MAKER + "/versions.dat"
NEW_INSTALLER = MAKER + "/Quodo107.exe"
OTHER_PROGRAM = "QuodoPro,QuodoPro210.exe,,812,x\r\n"
BAD_SIGNATURE = "Handtekening van de versielijst klopt niet."
OUT_OF_DATE = "De datum van deze computer ("  # then the dates, named natively
OLDER_THAN_BELIEVED = "De versielijst is ouder dan een eerder ontvangen versielijst."
UP_TO_DATE = "Een Update is niet nodig,"
UTC = datetime.timezone.utc
NOW = datetime.datetime.now(UTC).replace(microsecond=0)
THIS_MONTH = (NOW - datetime.timedelta(days=1), NOW + datetime.timedelta(days=29))
LAST_MONTH = (NOW - datetime.timedelta(days=40), NOW - datetime.timedelta(days=10))


class UpdateTest(QuodoTestCase):
    tls = True

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        # The probe runs the system folder's ping: ours, for this test.
        cls.ping = StandInPing(cls.session)
        cls.site = update_site()

    @classmethod
    def tearDownClass(cls):
        cls.ping.restore()
        super().tearDownClass()

    def setUp(self):
        super().setUp()
        # Only the checks a test asks for: no automatic check a minute after start.
        self.session.reg_update({"Updates Aan": "0"})

    def start(self, ping="nl-reply", exe="Quodo.exe", cwd=None, language="nl"):
        env = {"QUODO_PING_LAYOUT": ping}
        if language == "en":
            env["LC_ALL"] = "en_US.UTF-8"
        return self.start_quodo(OPEN_DAY, env=env, cwd=cwd, exe=exe)

    def site_file(self, name):
        with open(os.path.join(self.site, name), "rb") as f:
            return f.read()

    @staticmethod
    def fields(data, name="Quodo107.exe", extra_kb=0):
        """Our entry's fields 0 to 6 for an installer of these bytes (or one listed larger)."""
        kilobytes = (len(data) + 1023) // 1024 + extra_kb
        return ["Quodo", name, "", kilobytes, hashlib.sha256(data).hexdigest(), "Nieuw", "New"]

    @staticmethod
    def signed(fields, keys=None, month=THIS_MONTH):
        """A list with our entry signed by the build's keys (or others), holding for that month."""
        return OTHER_PROGRAM + signed_line(fields, *month, keys=keys) + "\r\n"

    def temp_files(self):
        temp = os.path.join(self.data_folder, "Temp")
        return os.listdir(temp) if os.path.isdir(temp) else []

    def serve_list(self, text, installer_behaviours=None):
        routes = {LIST: [{"body": text}]}
        if installer_behaviours is not None:
            routes[NEW_INSTALLER] = installer_behaviours
        self.serve(routes)

    def check_now(self, quodo):
        """"Check nu" in the settings dialog: the update window and the lines of its text box."""
        dialog = quodo.open_settings()
        dialog.press("Check nu")
        window = quodo.program.wait_window("TVersionsForm", timeout=30)
        return dialog, window

    @staticmethod
    def memo(window):
        return next(c["text"] for c in window.children() if c["class"] == "Edit").split("\r\n")

    @staticmethod
    def buttons(window):
        return {c["text"]: c for c in window.children() if c["class"] == "Button"}

    def test_each_outcome_of_a_check_on_demand(self):
        # Answers the program cannot use, each with its own line and the single button to close.
        fields = self.fields(self.site_file("Quodo107.exe"))
        cases = [
            ("nl-reply", {"body": OTHER_PROGRAM + ",".join(map(str, fields)) + "\r\n"}, BAD_SIGNATURE),
            ("nl-reply", {"body": self.signed(fields, (ec.generate_private_key(ec.SECP256R1()),) * 2)}, BAD_SIGNATURE),
            # A replayed older entry put first, and the real one past its time: no answer either.
            ("nl-reply", {"body": self.signed(self.fields(b"MZ", name="Quodo105.exe"), month=LAST_MONTH)
                          + self.signed(fields)}, OUT_OF_DATE),
            ("nl-reply", {"body": self.signed(fields, month=LAST_MONTH)}, OUT_OF_DATE),
            ("nl-reply", {"drop": True}, "De server reageert niet"),
            # A redirect that leaves HTTPS is not followed: the list did not come.
            ("nl-reply", {"status": 302, "headers": {"Location": "http://%s" % LIST}}, "De server reageert niet"),
            ("nl-reply", {"body": "Default.htm"}, "Het bestand is te klein"),
            ("nl-reply", {"body": "x" * 49}, "Het bestand is te klein"),
            ("nl-reply", {"body": "Andere,Andere2.exe,,9,0\r\n" + "x" * 40}, "Programma-naam niet gevonden"),
            ("nl-timeout", {"body": "never asked for"}, "Ping naar quodosoft.nl geeft Time-out"),
        ]
        for ping, answer, line in cases:
            with self.subTest(line=line, answer=str(answer)[:30]):
                self.serve({LIST: [answer]})
                quodo = self.start(ping)
                dialog, window = self.check_now(quodo)
                wait_until(lambda: [m for m in self.memo(window) if m.startswith(line)], timeout=10, message=line)
                self.assertEqual(window.text, "Quodo - Update")
                shown = [t for t, b in self.buttons(window).items() if b["visible"]]
                self.assertEqual(shown, ["Sluit Venster"])
                # The window lies centred over the settings dialog.
                d, w = dialog.rect, window.rect
                self.assertLessEqual(abs((d.top + d.bottom) - (w.top + w.bottom)), 1)
                if ping == "nl-timeout":
                    self.assertFalse([r for r in self.requests() if r["path"] == "/versions.dat"])
                self.assertEqual(self.temp_files(), [])
                quodo.program.stop()

        # In English, for a program that is up to date.
        self.serve_list(self.signed(self.fields(b"MZ" * 1000, name="Quodo106.exe")))
        quodo = self.start(language="en")
        _, window = self.check_now(quodo)
        wait_until(lambda: "No Update is needed," in self.memo(window), timeout=10, message="up to date")
        self.assertIn("Your current version is versie 1.06.", self.memo(window))
        self.assertIn("Close Window", self.buttons(window))

    def test_a_list_older_than_one_believed_before_is_a_failure_not_up_to_date(self):
        # Two lists the maker signed, both still holding: the newer one, then the older one served
        # again (a mirror that lags, or someone on the way holding the program back). The mark they
        # leave in the registry is shown natively.
        fields = self.fields(b"MZ" * 1000, name="Quodo106.exe")
        older = (NOW - datetime.timedelta(days=2), THIS_MONTH[1])
        quodo = self.start()
        for month, line in ((THIS_MONTH, UP_TO_DATE), (older, OLDER_THAN_BELIEVED)):
            self.serve_list(self.signed(fields, month=month))
            dialog, window = self.check_now(quodo)
            wait_until(lambda: line in self.memo(window), timeout=10, message=line)
            window.press("Sluit Venster")
            window.wait_gone()
            dialog.press("Cancel")
            dialog.wait_gone()
        self.assertEqual(self.memo(window), ["", OLDER_THAN_BELIEVED])

    def test_a_failed_automatic_check_writes_error_log_and_shows_nothing(self):
        self.session.reg_update({"Updates Aan": "1"})
        quodo = self.start("nl-timeout")
        log = os.path.join(self.data_folder, "Error.log")

        def logged():
            if not os.path.exists(log):
                return None
            with open(log, "rb") as f:
                return f.read()
        # The file is made before its lines are written: wait for what it should hold.
        expected = b"7-12-2026.\r\nTime-out bij Ping.\r\n"
        wait_until(lambda: logged() == expected, timeout=90, message="Error.log a minute after start")
        self.assertFalse(self.session.windows("TVersionsForm", visible=True))
        self.assertTrue(quodo.main.visible)

    def test_unsound_downloads_run_nothing_and_leave_no_file(self):
        new = self.site_file("Quodo107.exe")
        # Swapped on the server: another program of the same size in the installer's place.
        swapped = os.path.join(self.make_folder(), "Quodo107.exe")
        with open(swapped, "wb") as f:
            f.write(new[:-1] + bytes([new[-1] ^ 1]))
        real = [{"body_file": os.path.join(self.site, "Quodo107.exe")}]
        cases = [
            ("not found", self.fields(new), [{"status": 404, "body": "no such file"}]),
            ("cut short", self.fields(new), [dict(real[0], cut_after=5000)]),
            ("swapped on the server", self.fields(new), [{"body_file": swapped}]),
            ("another size", self.fields(new, extra_kb=1), real),
            # A body that never ends is cut as soon as it passes the listed size.
            ("endless", self.fields(new), [{"body_size": 1 << 30, "length": "none", "fill": "M"}]),
            ("redirected to plain HTTP", self.fields(new),
             [{"status": 302, "headers": {"Location": "http://" + NEW_INSTALLER}}]),
        ]
        quodo = self.start()
        for name, fields, behaviours in cases:
            with self.subTest(name):
                self.serve_list(self.signed(fields), behaviours)
                dialog, window = self.check_now(quodo)
                wait_until(lambda: "Start Downloaden" in self.buttons(window), timeout=15, message="advised")
                window.press("Start Downloaden")
                wait_until(lambda: "Download mislukt." in self.memo(window), timeout=30, message="failed")
                self.assertEqual(self.temp_files(), [])
                self.assertNotIn("Installeer", self.buttons(window))
                self.assertIn("Download later", self.buttons(window))
                window.press("Download later")
                window.wait_gone()
                dialog.press("Cancel")
                dialog.wait_gone()
        self.assertTrue(quodo.program.running)

    def test_closing_the_program_during_a_download_cuts_it_and_leaves_no_file(self):
        new = self.site_file("Quodo107.exe")
        slow = {"body_file": os.path.join(self.site, "Quodo107.exe"), "pieces": [4096], "rate": 20000}
        self.serve_list(self.signed(self.fields(new)), [slow])
        quodo = self.start()
        dialog, window = self.check_now(quodo)
        wait_until(lambda: "Start Downloaden" in self.buttons(window), timeout=15, message="advised")
        dialog.press("Cancel")  # the main window takes the mouse again
        dialog.wait_gone()
        window.press("Start Downloaden")
        # The download writes a file of its own, which becomes the installer once it is whole.
        wait_until(lambda: [f for f in self.temp_files() if f.startswith("Quodo107.exe.")], timeout=15,
                   message="the download under way")
        quodo.main.right_click(5, 10)  # "Afsluiten" from the menu, the window answering meanwhile
        self.session.menu(timeout=5)
        self.session.keys("UP", "RETURN")
        started = time.monotonic()
        self.assertEqual(quodo.program.wait(10), 0)
        self.assertLess(time.monotonic() - started, 4.0)  # the download would take minutes
        self.assertEqual(self.temp_files(), [])

    def install_106(self):
        installation = Installation(self.session)
        self.addCleanup(installation.remove)
        self.addCleanup(installation.close_programs)
        self.assertEqual(installation.run(installer("1.06"), "/silent /noicons"), 0)
        return installation

    def test_the_whole_loop_with_the_real_installer(self):
        installation = self.install_106()
        folder = installation.folder
        # Two copies of the companion program beside Quodo, and one of the same name elsewhere.
        standin = os.path.join(os.environ["QUODO_STANDINS"], "Quodo_Sched.exe")
        shutil.copy(standin, folder)
        elsewhere = self.make_folder()
        shutil.copy(standin, elsewhere)
        companions = [self.launch(os.path.join(folder, "Quodo_Sched.exe")) for _ in range(2)]
        decoy = self.launch(os.path.join(elsewhere, "Quodo_Sched.exe"))

        self.serve_list(self.signed(self.fields(self.site_file("Quodo107.exe"))),
                        [{"body_file": os.path.join(self.site, "Quodo107.exe"), "pieces": [4096]}])
        quodo = self.start(exe=os.path.join(folder, "Quodo.exe"), cwd=folder)
        self.assertEqual(quodo.main.text, "Quodo, versie 1.06")
        _, window = self.check_now(quodo)
        wait_until(lambda: "Start Downloaden" in self.buttons(window), timeout=15, message="update advised")
        self.assertIn("De nieuwste versie is 1.07", self.memo(window))
        self.assertIn("De Downloadnaam is Quodo107.exe", self.memo(window))
        window.press("Start Downloaden")
        wait_until(lambda: "Installeer" in self.buttons(window), timeout=60, message="downloaded")
        self.assertIn("Quodo107.exe is met succes gedownload", self.memo(window))
        gauge = next(c for c in window.children() if c["class"] == "TGauge")
        self.assertTrue(gauge["visible"])

        window.press("Installeer")
        # One install: the button greys at the first click, so a second one starts nothing.
        wait_until(lambda: not self.buttons(window)["Installeer"]["enabled"], timeout=5, message="greyed")
        try:
            window.press("Installeer")
        except AutoError:
            pass  # the program has ended already
        self.assertEqual(quodo.program.wait(30), 0)
        for companion in companions:
            companion.wait(15)
        self.assertTrue(decoy.running)
        # The installer replaces the program once it has ended, and starts it again.
        installation.wait_installer_gone("Quodo107.exe", timeout=60)
        self.assertEqual(installation.file_facts().get("FileVersion"), "1.07")
        self.assertEqual(installation.entry().get("DisplayVersion"), "1.07")
        restarted = wait_until(installation.program_windows, timeout=60, message="the program started again")
        self.assertEqual(restarted[0].text, "Quodo, versie 1.07")
        self.assertFalse(self.session.windows("TMessageForm", visible=True))

    def test_an_install_that_waits_in_vain_brings_the_program_back_saying_so(self):
        installation = self.install_106()
        folder = installation.folder
        # Another copy holds the program (one of another session: in this one a second start only
        # brings the first copy forward), as a running program holds its file.
        other_copy = self.launch("QuodoAuto.exe", ["holdfile", self.session._wine_path(os.path.join(folder, "Quodo.exe")),
                                                   "--running"])
        wait_until(lambda: '"held"' in other_copy.output(), timeout=10, message="the program held")
        self.update_from(folder)
        self.assert_told("Het programma was nog actief.")
        self.assertEqual(installation.file_facts().get("FileVersion"), "1.06")
        self.assertTrue(other_copy.running)

    def update_from(self, folder):
        """Starts the Quodo.exe of a folder and has it download 1.07 and start its installer: returns
        once the program has ended for the installer."""
        self.serve_list(self.signed(self.fields(self.site_file("Quodo107.exe"))),
                        [{"body_file": os.path.join(self.site, "Quodo107.exe")}])
        program = self.launch(os.path.join(folder, "Quodo.exe"), cwd=folder,
                              env=dict(DUTCH, QUODO_CLOCK=OPEN_DAY, QUODO_PING_LAYOUT="nl-reply"))
        _, window = self.check_now(Quodo(self, program))
        wait_until(lambda: "Start Downloaden" in self.buttons(window), timeout=15, message="update advised")
        window.press("Start Downloaden")
        wait_until(lambda: "Installeer" in self.buttons(window), timeout=60, message="downloaded")
        window.press("Installeer")
        self.assertEqual(program.wait(30), 0)

    def assert_told(self, reason):
        """The program that the installer started again after waiting 30 seconds in vain says once that
        the install failed, and why, in the popup and in Error.log."""
        popups = wait_until(lambda: self.session.windows("TMessageForm", visible=True), timeout=90, interval=0.2,
                            message="the popup of the program started again")
        self.assertEqual(self.memo(popups[0]), ["Installatie van versie 1.07 is mislukt.", reason])
        with open(os.path.join(self.data_folder, "Error.log"), "rb") as f:
            self.assertEqual(f.read(), b"7-12-2026.\r\nInstallatie van versie 1.07 mislukt. %s\r\n" % reason.encode())

    def test_an_update_while_another_installation_runs_brings_the_program_back_saying_so(self):
        installation = self.install_106()
        # Another installer of this user holds the installers' lock all along.
        holder = self.launch("QuodoAuto.exe", ["holdfile", self.session._wine_path(installation.setup_lock)])
        wait_until(lambda: '"held"' in holder.output(), timeout=10, message="the lock held")
        self.update_from(installation.folder)
        self.assert_told("Er was nog een andere installatie bezig.")

    def test_an_update_replaces_the_copy_that_runs_and_leaves_the_recorded_installation_alone(self):
        installation = self.install_106()
        entry = installation.entry()
        # A copy in a folder of its own, with a blank in its name, beside the recorded installation.
        copy = os.path.join(installation.drive_c, "Mijn Quodo")
        self.addCleanup(shutil.rmtree, copy, True)
        shutil.copytree(installation.folder, copy, ignore=lambda _, names: set(names) - set(PROGRAM_FILES))
        self.update_from(copy)

        def copies_running():
            return [w for w in self.session.windows("TMainForm", visible=True)
                    if w.info.get("image", "").lower() == "c:\\mijn quodo\\quodo.exe"]
        restarted = wait_until(copies_running, timeout=60, message="the copy started again")
        self.assertEqual(restarted[0].text, "Quodo, versie 1.07")
        self.assertEqual(sorted(os.listdir(copy)), sorted(PROGRAM_FILES))  # no uninstaller of its own
        # The installation that the Add/Remove Programs entry names stays as it was, entry and all.
        self.assertEqual(installation.file_facts().get("FileVersion"), "1.06")
        self.assertEqual(installation.entry(), entry)
        restarted[0].close()
        wait_until(lambda: not copies_running(), timeout=15, message="the copy closed")


if __name__ == "__main__":
    unittest.main()
