"""Authenticode signatures as Windows judges them (WinVerifyTrust, through FileFacts.exe) and as
osslsigncode verifies them against this build's test certificate authority: the newer version's
build (scripts/build-update-fixture.sh) is signed as a maker signs a release, this build is not.
Wine checks the signatures and the digests, but not whether it trusts the authority."""

import hashlib
import os
import shutil
import subprocess
import unittest

from quodo_e2e import E2ETestCase
from quodo_install import Installation, build_folder, installer, payload

RELEASE = "1.07"


class SignatureTest(E2ETestCase):

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.release_installer = installer(RELEASE)  # built when needed, never inside a timed step

    def signature(self, path):
        """What WinVerifyTrust says of a file: "ok", "none", "bad digest", or the result in hex."""
        result = self.session.in_wine([self.session.exe_path("FileFacts.exe"), self.session._wine_path(path)])
        return dict(line.split("=", 1) for line in result.stdout.splitlines() if "=" in line)["Signature"]

    def verify(self, path):
        ca = os.path.join(build_folder(), "keys", "codesign-test", "ca.pem")
        return subprocess.run(["osslsigncode", "verify", "-CAfile", ca, "-in", path], stdout=subprocess.PIPE,
                              stderr=subprocess.STDOUT, text=True)

    def test_the_release_installer_the_program_and_the_uninstaller_it_writes_are_signed(self):
        install = Installation(self.session)
        install.remove()
        self.addCleanup(install.remove)
        self.assertEqual(install.run(self.release_installer, "/SP- /silent /noicons"), 0)

        for path in (self.release_installer, install.path("Quodo.exe"), install.path("Uninstall.exe")):
            with self.subTest(file=os.path.basename(path)):
                self.assertEqual(self.signature(path), "ok")
                verified = self.verify(path)
                self.assertEqual(verified.returncode, 0, verified.stdout)
                self.assertIn("Message digest algorithm  : SHA256", verified.stdout)
                self.assertIn("Subject: /O=QuodoSoft/CN=QuodoSoft\n", verified.stdout)
        # The version list announces the installer as signed: its hash was taken after the signing.
        with open(self.release_installer, "rb") as f:
            digest = hashlib.sha256(f.read()).hexdigest()
        with open(os.path.join(os.path.dirname(self.release_installer), "versions.dat")) as f:
            self.assertIn(",%s," % digest, f.read())

    def test_a_changed_byte_breaks_the_digest(self):
        changed = os.path.join(self.make_folder(), "Quodo.exe")
        shutil.copy(os.path.join(payload(RELEASE), "Quodo.exe"), changed)
        with open(changed, "r+b") as f:
            f.seek(0x1000)
            byte = f.read(1)[0]
            f.seek(0x1000)
            f.write(bytes([byte ^ 1]))
        self.assertEqual(self.signature(changed), "bad digest")
        self.assertNotEqual(self.verify(changed).returncode, 0)

    def test_a_build_without_a_certificate_signs_nothing(self):
        for path in (installer("1.06"), os.path.join(payload("1.06"), "Quodo.exe")):
            with self.subTest(file=os.path.basename(path)):
                self.assertEqual(self.signature(path), "none")


if __name__ == "__main__":
    unittest.main()
