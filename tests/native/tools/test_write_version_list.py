"""The version list writer (tools/write_version_list.py): the lines it writes for an installer,
with its size in kilobytes rounded up, its SHA-256, its time and a signature by a key the key tool
made (tools/update_signing_key.py), among the maker's other programs; and the key tool's header."""

import datetime
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

ROOT = os.environ.get("QUODO_ROOT") or os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..", ".."))
WRITER = os.path.join(ROOT, "tools", "write_version_list.py")
KEY_TOOL = os.path.join(ROOT, "tools", "update_signing_key.py")


class VersionListTest(unittest.TestCase):

    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="quodo-versions-")
        self.addCleanup(shutil.rmtree, self.folder, True)
        self.key = os.path.join(self.folder, "keys", "signing.pem")
        subprocess.run([sys.executable, KEY_TOOL, "new", self.key], check=True)

    def installer(self, name, data):
        path = os.path.join(self.folder, name)
        with open(path, "wb") as f:
            f.write(data)
        return path

    def write(self, *installers, options=()):
        """Runs the writer: (exit code, the list's bytes or None, error output)."""
        out = os.path.join(self.folder, "versions.dat")
        if os.path.exists(out):
            os.remove(out)
        result = subprocess.run([sys.executable, WRITER, "--key", self.key] + list(options) + [out] + list(installers),
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        data = None
        if os.path.exists(out):
            with open(out, "rb") as f:
                data = f.read()
        return result.returncode, data, result.stderr

    def entry(self, data, product):
        lines = data.decode("ascii").split("\r\n")
        return next(line for line in lines if line.split(",")[0] == product).split(",")

    def test_every_line_ends_in_cr_lf_and_nothing_else_breaks_a_line(self):
        code, data, _ = self.write(self.installer("Quodo106.exe", b"MZ" + b"\n\r" * 600))
        self.assertEqual(code, 0)
        self.assertTrue(data.endswith(b"\r\n"))
        lines = data.split(b"\r\n")[:-1]
        self.assertGreaterEqual(len(lines), 3)
        for line in lines:
            self.assertNotIn(b"\r", line)
            self.assertNotIn(b"\n", line)

    def test_our_entry_names_the_installer_with_its_size_rounded_up_and_its_hash(self):
        for size, kilobytes in ((1024, 1), (1025, 2), (2047, 2), (2048, 2), (2049, 3), (450033, 440)):
            with self.subTest(size=size):
                data = b"MZ" + bytes(i % 251 for i in range(size - 2))
                code, versions, _ = self.write(self.installer("Quodo107.exe", data))
                self.assertEqual(code, 0)
                entry = self.entry(versions, "Quodo")
                self.assertEqual(entry[:4], ["Quodo", "Quodo107.exe", "", str(kilobytes)])
                self.assertRegex(entry[4], "^[0-9a-f]{64}$")
                self.assertEqual(entry[5:7], ["Quodo versie 1.07", "Quodo version 1.07"])
                self.assertRegex(entry[9], "^[0-9a-f]{128}$")

    def test_the_list_holds_for_thirty_days_from_its_signing_or_as_asked(self):
        path = self.installer("Quodo107.exe", b"MZ" + bytes(3000))
        before = datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%dT%H:%M:%SZ")
        self.assertGreaterEqual(self.entry(self.write(path)[1], "Quodo")[7], before)  # signed now
        versions = self.write(path, options=("--signed-at", "2026-02-27T23:30:00Z", "--days", "2"))[1]
        self.assertEqual(self.entry(versions, "Quodo")[7:9], ["2026-02-27T23:30:00Z", "2026-03-01T23:30:00Z"])
        self.assertEqual(self.entry(self.write(path, options=("--signed-at", "2026-02-27T23:30:00Z"))[1], "Quodo")[8],
                         "2026-03-29T23:30:00Z")

    def test_the_hash_is_the_sha256_of_the_whole_installer(self):
        data = b"MZ" + bytes(range(256)) * 40 + b"end"
        path = self.installer("Quodo106.exe", data)
        code, versions, _ = self.write(path)
        self.assertEqual(code, 0)
        # coreutils' own SHA-256, independent of the writer's.
        expected = subprocess.run(["sha256sum", path], stdout=subprocess.PIPE, text=True, check=True).stdout.split()[0]
        self.assertEqual(self.entry(versions, "Quodo")[4], expected)

    def test_other_programs_stand_around_ours_and_the_first_begins_with_our_name(self):
        code, versions, _ = self.write(self.installer("Quodo106.exe", b"MZ" + bytes(3000)))
        self.assertEqual(code, 0)
        products = [line.split(",")[0] for line in versions.decode("ascii").split("\r\n")[:-1]]
        self.assertIn("Quodo", products)
        self.assertGreaterEqual(len(products), 3)
        self.assertTrue(products[0].startswith("Quodo") and products[0] != "Quodo")
        for line in versions.decode("ascii").split("\r\n")[:-1]:
            self.assertGreaterEqual(len(line.split(",")), 5, line)

    def test_an_installer_that_is_no_windows_program_or_badly_named_writes_no_list(self):
        for name, data in (("Quodo106.exe", b"<html>Default.htm</html>"), ("Quodo.exe", b"MZ" + bytes(100)),
                           ("Quodo106.exe.bak", b"MZ"), ("Quodo 106.exe", b"MZ")):
            with self.subTest(name=name):
                code, versions, error = self.write(self.installer(name, data))
                self.assertEqual(code, 1)
                self.assertIsNone(versions)
                self.assertIn("write_version_list:", error)

    def test_the_key_tool_gives_the_program_the_same_key_from_the_public_pem_alone(self):
        paths = [os.path.join(self.folder, name) for name in ("key.pub.pem", "a.h", "copy.pub.pem", "b.h")]
        subprocess.run([sys.executable, KEY_TOOL, "public", self.key] + paths[0:2], check=True)
        subprocess.run([sys.executable, KEY_TOOL, "public"] + paths[0:1] + paths[2:4], check=True)
        with open(paths[1]) as a, open(paths[3]) as b:
            self.assertEqual(a.read(), b.read())


if __name__ == "__main__":
    unittest.main()
