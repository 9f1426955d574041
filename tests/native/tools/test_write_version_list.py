"""The version list writer (tools/write_version_list.py): the lines it writes for an installer,
with its size in kilobytes rounded up, its SHA-256, the time it holds and a signature by a key the
key tool made (tools/update_signing_key.py; the running program checks it), among the maker's
other programs; and the key tool's public half, read from the private key or from a public PEM."""

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


def parse_utc(text):
    return datetime.datetime.strptime(text, "%Y-%m-%dT%H:%M:%SZ").replace(tzinfo=datetime.timezone.utc)


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

    def test_the_list_holds_from_its_signing_for_thirty_days_or_as_many_as_asked(self):
        path = self.installer("Quodo107.exe", b"MZ" + bytes(3000))
        before = datetime.datetime.now(datetime.timezone.utc).replace(microsecond=0)
        code, versions, _ = self.write(path)
        after = datetime.datetime.now(datetime.timezone.utc)
        self.assertEqual(code, 0)
        signed_at, valid_until = (parse_utc(text) for text in self.entry(versions, "Quodo")[7:9])
        self.assertTrue(before <= signed_at <= after)
        self.assertEqual(valid_until - signed_at, datetime.timedelta(days=30))

        code, versions, _ = self.write(path, options=("--signed-at", "2026-02-27T23:30:00Z", "--days", "2"))
        self.assertEqual(code, 0)
        self.assertEqual(self.entry(versions, "Quodo")[7:9], ["2026-02-27T23:30:00Z", "2026-03-01T23:30:00Z"])
        for wrong in (("--days", "0"), ("--signed-at", "2026-02-27 23:30"), ("--signed-at", "2026-02-30T00:00:00Z")):
            with self.subTest(options=wrong):
                code, versions, _ = self.write(path, options=wrong)
                self.assertEqual(code, 2)
                self.assertIsNone(versions)

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



class KeyToolTest(unittest.TestCase):
    """The program's key can come from the maker's public key alone: the same header as from the
    private key, and the fingerprint that openssl gives."""

    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="quodo-key-")
        self.addCleanup(shutil.rmtree, self.folder, True)

    def tool(self, *arguments):
        return subprocess.run([sys.executable, KEY_TOOL] + list(arguments), stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE, text=True)

    def path(self, name):
        return os.path.join(self.folder, name)

    def test_the_public_pem_alone_gives_the_private_keys_header_fingerprint_and_pair(self):
        self.tool("new", self.path("maker.pem"))
        self.assertEqual(self.tool("public", self.path("maker.pem"), self.path("maker.pub.pem"),
                                   self.path("from-private.h")).returncode, 0)
        self.assertEqual(self.tool("public", self.path("maker.pub.pem"), self.path("copy.pub.pem"),
                                   self.path("from-public.h")).returncode, 0)
        with open(self.path("from-private.h")) as a, open(self.path("from-public.h")) as b:
            self.assertEqual(a.read(), b.read())

        der = subprocess.run(["openssl", "pkey", "-pubin", "-in", self.path("maker.pub.pem"), "-outform", "DER"],
                             stdout=subprocess.PIPE, check=True).stdout
        self.assertEqual(self.tool("fingerprint", self.path("maker.pub.pem")).stdout.strip(),
                         hashlib.sha256(der).hexdigest())
        self.assertEqual(self.tool("pair", self.path("maker.pem"), self.path("maker.pub.pem")).returncode, 0)
        self.tool("new", self.path("other.pem"))
        refused = self.tool("pair", self.path("other.pem"), self.path("maker.pub.pem"))
        self.assertEqual(refused.returncode, 1)
        self.assertIn("is not the public half", refused.stderr)


if __name__ == "__main__":
    unittest.main()
