"""scripts/sign-code.sh with the build's test certificate authority (keys/codesign-test/) and a
time-stamp server of our own on the loopback interface (openssl ts): what osslsigncode then
verifies against that authority."""

import http.server
import os
import shutil
import subprocess
import tempfile
import threading
import unittest

BUILD = os.environ["QUODO_BUILD"]
CA = os.path.join(BUILD, "keys", "codesign-test")
SIGN = os.path.join(os.environ["QUODO_ROOT"], "scripts", "sign-code.sh")


class TimeStampHandler(http.server.BaseHTTPRequestHandler):
    """Answers an RFC 3161 query with a time stamp signed by the test authority's time-stamp key."""

    def do_POST(self):
        folder = self.server.folder
        with open(os.path.join(folder, "query.tsq"), "wb") as f:
            f.write(self.rfile.read(int(self.headers["Content-Length"])))
        subprocess.run(["openssl", "ts", "-reply", "-config", os.path.join(folder, "tsa.cnf"), "-queryfile",
                        os.path.join(folder, "query.tsq"), "-out", os.path.join(folder, "reply.tsr")],
                       check=True, capture_output=True)
        with open(os.path.join(folder, "reply.tsr"), "rb") as f:
            reply = f.read()
        self.send_response(200)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.send_header("Content-Length", str(len(reply)))
        self.end_headers()
        self.wfile.write(reply)

    def log_message(self, *args):
        pass


class SignCodeTest(unittest.TestCase):

    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="quodo-sign-")
        self.addCleanup(shutil.rmtree, self.folder)
        with open(os.path.join(self.folder, "tsa.cnf"), "w") as f:
            f.write("[tsa]\ndefault_tsa = test\n[test]\nserial = %s/serial\nsigner_cert = %s/tsa.pem\n"
                    "signer_key = %s/tsa.key\nsigner_digest = sha256\ndefault_policy = 1.3.6.1.4.1.1.1\n"
                    "digests = sha256\ness_cert_id_alg = sha256\ncert = yes\n" % (self.folder, CA, CA))
        with open(os.path.join(self.folder, "serial"), "w") as f:
            f.write("01\n")
        server = http.server.HTTPServer(("127.0.0.1", 0), TimeStampHandler)
        server.folder = self.folder
        threading.Thread(target=server.serve_forever, daemon=True).start()
        self.addCleanup(server.server_close)
        self.addCleanup(server.shutdown)
        self.time_stamp_url = "http://127.0.0.1:%d/" % server.server_port

    def sign(self, time_stamp_url=""):
        """A copy of this build's Quodo.exe signed by the script; returns its path."""
        program = os.path.join(self.folder, "Quodo.exe")
        shutil.copy(os.path.join(BUILD, "bin", "Quodo.exe"), program)
        config = os.path.join(self.folder, "codesign.conf")
        with open(config, "w") as f:
            f.write("cert='%s/signer.pem'\nkey='%s/signer.key'\ntimestamp_url='%s'\ndescription='Quodo'\n"
                    "url='https://www.quodosoft.nl/'\n" % (CA, CA, time_stamp_url))
        subprocess.run(["bash", SIGN, config, program], check=True)
        return program

    def verify(self, program, ca=os.path.join(CA, "ca.pem")):
        return subprocess.run(["osslsigncode", "verify", "-CAfile", ca, "-TSA-CAfile", ca, "-in", program],
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)

    def test_signs_with_sha256_and_a_time_stamp_that_verify_against_the_authority(self):
        program = self.sign(self.time_stamp_url)
        result = self.verify(program)
        self.assertEqual(result.returncode, 0, result.stdout)
        self.assertIn("Message digest algorithm  : SHA256", result.stdout)
        self.assertIn("Subject: /O=QuodoSoft/CN=QuodoSoft Test Time Stamps", result.stdout)
        self.assertIn("Timestamp Server Signature verification: ok", result.stdout)
        self.assertIn("Text description: Quodo", result.stdout)

    def test_a_changed_byte_or_another_authority_fails_verification(self):
        program = self.sign()
        self.assertEqual(self.verify(program).returncode, 0)
        self.assertNotEqual(self.verify(program, ca=os.path.join(CA, "tsa.pem")).returncode, 0)  # no authority
        with open(program, "r+b") as f:
            f.seek(0x1000)
            byte = f.read(1)[0]
            f.seek(0x1000)
            f.write(bytes([byte ^ 1]))
        result = self.verify(program)
        self.assertNotEqual(result.returncode, 0)
        self.assertIn("MISMATCH", result.stdout)


if __name__ == "__main__":
    unittest.main()
