"""Authenticode signatures as WinVerifyTrust (through FileFacts.exe) and osslsigncode, against this
build's test authority, judge them: the 1.07 build is signed as a release is, this build is not.
Wine checks signatures and digests, not whether it trusts the authority."""

import hashlib
import http.server
import os
import shutil
import subprocess
import threading

from quodo_e2e import E2ETestCase
from quodo_install import Installation, build_folder, installer, payload

RELEASE = "1.07"
CA = os.path.join(build_folder(), "keys", "codesign-test")


class TimeStampHandler(http.server.BaseHTTPRequestHandler):
    """An RFC 3161 time-stamp server: openssl ts with the test authority's time-stamping certificate."""

    def do_POST(self):
        query = self.rfile.read(int(self.headers["Content-Length"]))
        reply = subprocess.run(["openssl", "ts", "-reply", "-config", self.server.config, "-queryfile", "/dev/stdin",
                                "-out", "/dev/stdout"], input=query, capture_output=True, check=True).stdout
        self.send_response(200)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.end_headers()
        self.wfile.write(reply)


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
        """osslsigncode's verdict; in UTC, as osslsigncode 2.5 reads a signature's times as local times."""
        ca = os.path.join(CA, "ca.pem")
        return subprocess.run(["osslsigncode", "verify", "-CAfile", ca, "-TSA-CAfile", ca, "-in", path],
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, env=dict(os.environ, TZ="UTC"))

    def write(self, folder, name, text):
        with open(os.path.join(folder, name), "w") as f:
            f.write(text)
        return f.name

    def test_the_release_installer_the_program_and_the_uninstaller_it_writes_are_signed(self):
        install = Installation(self.session)
        install.remove()
        self.addCleanup(install.remove)
        self.assertEqual(install.run(self.release_installer, "/silent /noicons"), 0)

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

    def test_a_changed_byte_breaks_the_digest_and_an_unsigned_build_has_no_signature(self):
        with open(os.path.join(payload(RELEASE), "Quodo.exe"), "rb") as f:
            program = bytearray(f.read())
        program[0x1000] ^= 1
        changed = os.path.join(self.make_folder(), "Quodo.exe")
        with open(changed, "wb") as f:
            f.write(program)
        self.assertEqual(self.signature(changed), "bad digest")
        self.assertIn("MISMATCH", self.verify(changed).stdout)
        for path in (installer("1.06"), os.path.join(payload("1.06"), "Quodo.exe")):
            self.assertEqual(self.signature(path), "none")

    def test_a_time_stamp_server_counter_signs(self):
        folder = self.make_folder()
        server = http.server.HTTPServer(("127.0.0.1", 0), TimeStampHandler)
        server.config = self.write(folder, "tsa.cnf", "[tsa]\ndefault_tsa = t\n[t]\nserial = %s/serial\ncert = yes\n"
                                   "signer_cert = %s/tsa.pem\nsigner_key = %s/tsa.key\nsigner_digest = sha256\n"
                                   "default_policy = 1.3.6.1.4.1.1.1\ndigests = sha256\n" % (folder, CA, CA))
        threading.Thread(target=server.serve_forever, daemon=True).start()
        self.addCleanup(server.server_close)
        self.addCleanup(server.shutdown)
        config = self.write(folder, "codesign.conf", "cert='%s/signer.pem'\nkey='%s/signer.key'\n"
                            "timestamp_url='http://127.0.0.1:%d/'\n" % (CA, CA, server.server_port))
        program = shutil.copy(os.path.join(payload("1.06"), "Quodo.exe"), folder)
        subprocess.run(["bash", os.path.join(self.session.root, "scripts", "sign-code.sh"), config, program], check=True)

        verified = self.verify(program)
        self.assertEqual(verified.returncode, 0, verified.stdout)
        self.assertIn("Timestamp Server Signature verification: ok", verified.stdout)
        self.assertEqual(self.signature(program), "ok")
