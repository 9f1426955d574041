"""The version list writer (tools/write_version_list.py): the lines it writes for an installer,
with its size in kilobytes rounded up, its SHA-256, its times and the signatures of the two keys the
key tool made (tools/update_signing_key.py), among the maker's other programs; the maker's release
and monthly steps; what it refuses; and the key tool's header."""

import datetime
import hashlib
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

ROOT = os.environ.get("QUODO_ROOT") or os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..", ".."))
WRITER = os.path.join(ROOT, "tools", "write_version_list.py")
KEY_TOOL = os.path.join(ROOT, "tools", "update_signing_key.py")
sys.path.insert(0, os.path.join(ROOT, "tools"))
from update_signing_key import load_private_key  # noqa: E402
from write_version_list import is_signed_by  # noqa: E402


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

    def run_writer(self, arguments, out):
        """Runs the writer: (exit code, the list's bytes or None, error output)."""
        if os.path.exists(out):
            os.remove(out)
        result = subprocess.run([sys.executable, WRITER] + arguments, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                text=True)
        self.assertNotIn("Traceback", result.stderr)
        data = None
        if os.path.exists(out):
            with open(out, "rb") as f:
                data = f.read()
        return result.returncode, data, result.stderr

    def write(self, *installers, options=()):
        """Both steps at once, as a development build writes its list."""
        out = os.path.join(self.folder, "versions.dat")
        return self.run_writer(["--key", self.key] + list(options) + [out] + list(installers), out)

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
                self.assertEqual(len(entry), 11)

    def test_the_list_holds_for_thirty_days_from_its_signing_or_as_asked(self):
        path = self.installer("Quodo107.exe", b"MZ" + bytes(3000))
        before = datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%dT%H:%M:%SZ")
        self.assertGreaterEqual(self.entry(self.write(path)[1], "Quodo")[8], before)  # signed now
        versions = self.write(path, options=("--signed-at", "2026-02-27T23:30:00Z", "--days", "2"))[1]
        self.assertEqual(self.entry(versions, "Quodo")[8:10], ["2026-02-27T23:30:00Z", "2026-03-01T23:30:00Z"])
        self.assertEqual(self.entry(self.write(path, options=("--signed-at", "2026-02-27T23:30:00Z"))[1], "Quodo")[9],
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
                self.assertEqual(code, 2)
                self.assertIsNone(versions)
                self.assertIn("write_version_list:", error)

    # What the program would refuse, the writer refuses to write: with a message, exit code 2, no list.
    def test_a_validity_beyond_45_days_a_signing_in_the_future_and_two_lines_for_one_product_are_refused(self):
        old, new = (self.installer(name, b"MZ" + bytes(3000)) for name in ("Quodo106.exe", "Quodo107.exe"))
        future = (datetime.datetime.now(datetime.timezone.utc) + datetime.timedelta(hours=1)).strftime("%Y-%m-%dT%H:%M:%SZ")
        for installers, options, message in (
                ((new,), ("--days", "46"), "1 to 45 days"),
                ((new,), ("--days", "3000000"), "1 to 45 days"),
                ((new,), ("--signed-at", future), "lies in the future"),
                ((new,), ("--signed-at", "2026-02-30T00:00:00Z"), "not a time"),
                ((old, new), (), "two lines for Quodo")):
            with self.subTest(options=options, installers=len(installers)):
                code, versions, error = self.write(*installers, options=options)
                self.assertEqual((code, versions), (2, None))
                self.assertIn(message, error)
        self.assertEqual(self.write(new, options=("--days", "45"))[0], 0)

    # The release step on the offline machine, then the monthly step with the freshness key alone:
    # the release signature stays as it was, the times and their signature are new.
    def test_the_release_step_and_the_monthly_step(self):
        freshness = os.path.join(self.folder, "keys", "freshness.pem")
        public = os.path.join(self.folder, "release.pub.pem")
        subprocess.run([sys.executable, KEY_TOOL, "new", freshness], check=True)
        subprocess.run([sys.executable, KEY_TOOL, "public", self.key, public], check=True)
        released, out = (os.path.join(self.folder, name) for name in ("released.dat", "versions.dat"))
        code, data, _ = self.run_writer(["release", "--release-key", self.key, released,
                                         self.installer("Quodo107.exe", b"MZ" + bytes(5000))], released)
        self.assertEqual(code, 0)
        ours = self.entry(data, "Quodo")
        self.assertEqual(len(ours), 8)
        renew = ["renew", "--freshness-key", freshness, "--signed-at", "2026-01-29T00:00:00Z", released, out]
        code, data, _ = self.run_writer(renew + ["--release-public", public], out)
        self.assertEqual(code, 0)
        entry = self.entry(data, "Quodo")
        self.assertEqual(entry[:8], ours)
        self.assertEqual(entry[8:10], ["2026-01-29T00:00:00Z", "2026-02-28T00:00:00Z"])
        # Both signatures hold as the program checks them.
        release_public, freshness_public = (load_private_key(key).public_key() for key in (self.key, freshness))
        self.assertTrue(is_signed_by(release_public, ",".join(entry[:7]).encode("ascii"), entry[7]))
        times = hashlib.sha256(",".join(entry[:8]).encode("ascii")).hexdigest() + "," + ",".join(entry[8:10])
        self.assertTrue(is_signed_by(freshness_public, times.encode("ascii"), entry[10]))

        # A release line that another key signed is not renewed.
        code, data, error = self.run_writer(renew + ["--release-public", freshness], out)
        self.assertEqual((code, data), (2, None))
        self.assertIn("not the release key's", error)

    def test_the_key_tool_gives_the_program_the_same_keys_from_the_public_pems_alone(self):
        freshness = os.path.join(self.folder, "keys", "freshness.pem")
        public = [os.path.join(self.folder, name) for name in ("release.pub.pem", "freshness.pub.pem")]
        headers = [os.path.join(self.folder, name) for name in ("a.h", "b.h")]
        for arguments in (["derive", self.key, freshness], ["public", self.key, public[0]], ["public", freshness, public[1]],
                          ["header", self.key, freshness, headers[0]], ["header"] + public + [headers[1]]):
            subprocess.run([sys.executable, KEY_TOOL] + arguments, check=True)
        with open(headers[0]) as a, open(headers[1]) as b:
            self.assertEqual(a.read(), b.read())


if __name__ == "__main__":
    unittest.main()
