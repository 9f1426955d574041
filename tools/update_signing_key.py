#!/usr/bin/env python3
"""The key that signs Quodo's version list: an ECDSA key on the P-256 curve.

    update_signing_key.py new PRIVATE_PEM
        makes a key pair and writes its private key (PKCS#8 PEM, unencrypted, readable by its owner
        only); a file that exists already is left as it is.
    update_signing_key.py public KEY_PEM PUBLIC_PEM HEADER
        writes the public half of a private or public key as PEM, and as the C++ header that builds
        it into the program: the point's X and Y, 32 bytes each, big-endian.
    update_signing_key.py fingerprint KEY_PEM
        prints the SHA-256 of the public half as DER (SubjectPublicKeyInfo), in lower-case hex: the
        same as `openssl pkey -pubin -in KEY_PEM -outform DER | sha256sum`.
    update_signing_key.py pair PRIVATE_PEM PUBLIC_PEM
        fails unless the public key is the private key's own public half.
"""
import hashlib
import os
import sys

from cryptography.hazmat.primitives import serialization
from cryptography.hazmat.primitives.asymmetric import ec

HEADER = """\
// Made by the build from the key that signs the version list (tools/update_signing_key.py): its
// public half, X then Y. The program believes only entries signed by this key.
#pragma once

#include "platform/Platform.h"

namespace app {

constexpr platform::P256PublicKey kUpdatePublicKey = {{
%s
}};

}  // namespace app
"""


def load_private_key(path):
    """The private key of a PEM file; ValueError unless it is an unencrypted P-256 key."""
    with open(path, "rb") as f:
        key = serialization.load_pem_private_key(f.read(), password=None)
    if not isinstance(key, ec.EllipticCurvePrivateKey) or key.curve.name != "secp256r1":
        raise ValueError("%s: not a P-256 (secp256r1) key" % path)
    return key


def load_public_key(path):
    """The public P-256 key of a PEM file that holds a public or an unencrypted private key."""
    with open(path, "rb") as f:
        data = f.read()
    if b"PRIVATE KEY" in data:
        return load_private_key(path).public_key()
    key = serialization.load_pem_public_key(data)
    if not isinstance(key, ec.EllipticCurvePublicKey) or key.curve.name != "secp256r1":
        raise ValueError("%s: not a P-256 (secp256r1) key" % path)
    return key


def public_der(key):
    return key.public_bytes(serialization.Encoding.DER, serialization.PublicFormat.SubjectPublicKeyInfo)


def fingerprint(path):
    return hashlib.sha256(public_der(load_public_key(path))).hexdigest()


def check_pair(private_path, public_path):
    if public_der(load_private_key(private_path).public_key()) != public_der(load_public_key(public_path)):
        raise ValueError("%s is not the public half of %s" % (public_path, private_path))


def raw_public_key(key):
    """X || Y of a private or public key, 64 bytes."""
    public = key.public_key() if isinstance(key, ec.EllipticCurvePrivateKey) else key
    point = public.public_bytes(serialization.Encoding.X962, serialization.PublicFormat.UncompressedPoint)
    return point[1:]


def new_key(path):
    if os.path.exists(path):
        return
    folder = os.path.dirname(os.path.abspath(path))
    os.makedirs(folder, mode=0o700, exist_ok=True)
    pem = ec.generate_private_key(ec.SECP256R1()).private_bytes(
        serialization.Encoding.PEM, serialization.PrivateFormat.PKCS8, serialization.NoEncryption())
    descriptor = os.open(path, os.O_WRONLY | os.O_CREAT | os.O_EXCL, 0o600)
    with os.fdopen(descriptor, "wb") as f:
        f.write(pem)


def write_if_changed(path, data):
    """Leaves a file with the same content untouched, so that nothing built from it is rebuilt."""
    if os.path.exists(path):
        with open(path, "rb") as f:
            if f.read() == data:
                return
    os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def header_text(raw):
    rows = []
    for at in range(0, len(raw), 8):
        rows.append("    " + ", ".join("0x%02x" % b for b in raw[at:at + 8]) + ",")
    return HEADER % "\n".join(rows)


def public_files(key_path, public_path, header_path):
    key = load_public_key(key_path)
    pem = key.public_bytes(serialization.Encoding.PEM, serialization.PublicFormat.SubjectPublicKeyInfo)
    write_if_changed(public_path, pem)
    write_if_changed(header_path, header_text(raw_public_key(key)).encode("ascii"))


def main(argv):
    try:
        if len(argv) == 3 and argv[1] == "new":
            new_key(argv[2])
        elif len(argv) == 5 and argv[1] == "public":
            public_files(argv[2], argv[3], argv[4])
        elif len(argv) == 3 and argv[1] == "fingerprint":
            print(fingerprint(argv[2]))
        elif len(argv) == 4 and argv[1] == "pair":
            check_pair(argv[2], argv[3])
        else:
            print(__doc__, file=sys.stderr)
            return 2
    except (OSError, ValueError, TypeError) as error:
        print("update_signing_key: %s" % error, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
