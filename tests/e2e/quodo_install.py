"""Helpers for tests of Quodo's installer under Wine: where the built installers are, where they
install to in the session's prefix, and what Windows reads from an installed Quodo.exe.

    site = update_site()                                    # build/win-1.07/site, built when needed
    key = signing_key()                                     # the private release key this build signs its list with
    line = signed_line(fields, signed_at, valid_until)      # our entry, signed as this build signs it
    install = Installation(session)
    install.run(installer("1.06"), "/silent /noicons")      # exit code, once it and all it started ended
    facts = install.file_facts()                            # {"FileVersion": "1.06", ...}
    install.remove()                                        # the prefix without Quodo again

The installers: the Windows build packs its own version into site/ beside its bin folder
(QUODO_BIN); scripts/build-update-fixture.sh builds a second version (1.07) into a build folder of
its own, which update_site() brings up to date, signed with this build's key.
"""

import os
import re
import shutil
import subprocess
import sys

from quodo_e2e import wait_until

sys.path.insert(0, os.path.join(os.environ.get("QUODO_ROOT") or os.path.join(os.path.dirname(__file__), "..", ".."),
                                "tools"))
from update_signing_key import derived_freshness_key, load_private_key  # noqa: E402
from write_version_list import signed_entry  # noqa: E402

# Per user; Wine's user is the Linux one, root.
PROGRAM_FOLDER = "users\\root\\AppData\\Local\\Programs\\Quodo"
UNINSTALL_KEY = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quodo"
SHORTCUT = "users\\root\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Quodo.lnk"
# The file whose holder is the one installer or uninstaller of the user that may run.
SETUP_LOCK = "users\\root\\AppData\\Local\\QuodoSetup.lock"
# Where a 32-bit program installed for the whole machine would lie in a 64-bit prefix.
MACHINE_FOLDER = "Program Files (x86)\\Quodo"
MACHINE_UNINSTALL_KEY = "HKLM\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quodo"
PROGRAM_FILES = ("Quodo.exe", "Quodo.chm", "ErrorGraph.png")
# Wine's menu builder would copy a new Start menu shortcut into the Linux desktop's menus.
NO_MENU_BUILDER = {"WINEDLLOVERRIDES": "mscoree,mshtml=;winealsa.drv=;winemenubuilder.exe=d"}
UPDATE_VERSION = "1.07"


def build_folder():
    """The Windows build folder (the parent of QUODO_BIN)."""
    return os.path.dirname(os.path.abspath(os.environ["QUODO_BIN"]))


def installer(version):
    """The installer that a site folder of the build holds for a version (Quodo106.exe for 1.06)."""
    site = os.path.join(build_folder(), "site") if version != UPDATE_VERSION else update_site()
    return os.path.join(site, "Quodo%s.exe" % version.replace(".", ""))


def payload(version):
    """The folder of the program files that the installer of a version packs."""
    if version == UPDATE_VERSION:
        return os.path.join(os.path.dirname(update_site()), "bin")
    return os.path.join(build_folder(), "bin")


_update_site = None


def update_site():
    """The site folder of the newer version's build, brought up to date once per process."""
    global _update_site
    if _update_site is None:
        root = os.environ.get("QUODO_ROOT") or os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(
            __file__))))
        folder = build_folder() + "-" + UPDATE_VERSION
        script = os.path.join(root, "scripts", "build-update-fixture.sh")
        result = subprocess.run(["bash", script, UPDATE_VERSION, folder, build_folder()], stdout=subprocess.PIPE,
                                stderr=subprocess.STDOUT, text=True, timeout=1200)
        if result.returncode != 0:
            raise RuntimeError("build-update-fixture.sh failed:\n" + result.stdout)
        _update_site = result.stdout.strip().splitlines()[-1]
    return _update_site


def signing_key():
    """The path of the private release key that signs this build's version list (from its CMake cache)."""
    with open(os.path.join(build_folder(), "CMakeCache.txt")) as f:
        return re.search(r"^QUODO_UPDATE_KEY_IN_USE:INTERNAL=(.*)$", f.read(), re.M).group(1)


def signed_line(fields, signed_at, valid_until, keys=None):
    """Our entry's fields 0 to 6 signed as this build signs its list (or by other keys: (release,
    freshness))."""
    release, freshness = keys or (load_private_key(signing_key()), derived_freshness_key(signing_key()))
    return signed_entry(release, freshness, fields, signed_at, valid_until)


class Installation:
    """Quodo as installed into the session's prefix."""

    def __init__(self, session):
        self.session = session
        self.drive_c = os.path.join(session.prefix, "drive_c")
        self.folder = os.path.join(self.drive_c, *PROGRAM_FOLDER.split("\\"))
        self.shortcut = os.path.join(self.drive_c, *SHORTCUT.split("\\"))
        self.setup_lock = os.path.join(self.drive_c, *SETUP_LOCK.split("\\"))

    def path(self, name):
        return os.path.join(self.folder, name)

    def run(self, exe, arguments, timeout=60):
        """Runs an installer (or the uninstaller) and waits until it and every process it started
        have ended (the uninstaller goes on from a copy of itself): its exit code."""
        windows_path = exe if exe[1:2] == ":" else self.session._wine_path(exe)
        result = self.session.auto_one("runall", windows_path, *arguments.split(), "--timeout=%d" % (timeout * 1000),
                                       env=NO_MENU_BUILDER)
        return result["exit"]

    def wait_installer_gone(self, name, timeout=60):
        """Waits until no process of the session runs an installer of that file name (one that a
        program started, so that it cannot be run here)."""
        wait_until(lambda: not [words for words in self.session.command_lines()
                                if words and words[0].lower().endswith("\\" + name.lower())],
                   timeout=timeout, message="the end of " + name)

    def program_windows(self):
        """The main windows of every Quodo.exe of this installation that runs."""
        image = ("c:\\" + PROGRAM_FOLDER + "\\Quodo.exe").lower()
        return [w for w in self.session.windows("TMainForm", visible=True) if w.info.get("image", "").lower() == image]

    def close_programs(self):
        for window in self.program_windows():
            window.close()
        wait_until(lambda: not self.program_windows(), timeout=15, message="the installed programs closed")

    def start(self, exe, arguments):
        """Starts an installer and returns at once: a Program."""
        return self.session.launch(exe, arguments.split(), env=NO_MENU_BUILDER)

    def entry(self):
        """The values of the Add/Remove Programs entry ({} when there is none)."""
        return self.session.reg_values(UNINSTALL_KEY)

    def file_facts(self, name="Quodo.exe"):
        """What Windows reads from an installed program file (FileFacts.exe): {name: text}."""
        result = self.session.in_wine([self.session.exe_path("FileFacts.exe"), "C:\\%s\\%s" % (PROGRAM_FOLDER, name)])
        if result.returncode != 0:
            raise RuntimeError("FileFacts.exe %s: exit code %d %s" % (name, result.returncode, result.stderr))
        return dict(line.split("=", 1) for line in result.stdout.splitlines() if "=" in line)

    def remove(self):
        """Takes away whatever an installation left in the prefix, without running the uninstaller."""
        shutil.rmtree(self.folder, ignore_errors=True)
        if os.path.exists(self.shortcut):
            os.remove(self.shortcut)
        if self.session.reg_key_exists(UNINSTALL_KEY):
            self.session.reg_delete(key=UNINSTALL_KEY)
