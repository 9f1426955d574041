#!/usr/bin/env python3
"""The two keys that sign Quodo's version list, each an ECDSA key on the P-256 curve: the release key
(kept offline) signs what to install, the freshness key (which may sit on the maker's web server)
signs the list's times. The program carries both public halves.

    update_signing_key.py new PRIVATE_PEM
        makes a key pair and writes its private key (PKCS#8 PEM, unencrypted, readable by its owner
        only); a file that exists already is left as it is.
    update_signing_key.py derive RELEASE_PEM FRESHNESS_PEM
        writes a development freshness key that follows from a release private key alone, the same
        every time: for builds and tests that are given one key, never for a release.
    update_signing_key.py public KEY_PEM PUBLIC_PEM
        writes the public half of a private or public key as PEM.
    update_signing_key.py header RELEASE_PEM FRESHNESS_PEM HEADER
        writes the C++ header that builds both public halves into the program: each point's X and
        Y, 32 bytes each, big-endian.
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
// Made by the build from the keys that sign the version list (tools/update_signing_key.py): their
// public halves, X then Y. The program believes only entries signed by both.
#pragma once

#include "platform/Platform.h"

namespace app {

// Signs what to install (fields 0 to 6 of the program's entry).
constexpr platform::P256PublicKey kReleasePublicKey = {{
%s
}};

// Signs when the list was signed and until when it holds.
constexpr platform::P256PublicKey kFreshnessPublicKey = {{
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


def private_pem(key):
    return key.private_bytes(serialization.Encoding.PEM, serialization.PrivateFormat.PKCS8,
                             serialization.NoEncryption())


def write_private(path, pem):
    """Writes a private key readable by its owner only; an existing file keeps its content unless it
    differs."""
    folder = os.path.dirname(os.path.abspath(path))
    os.makedirs(folder, mode=0o700, exist_ok=True)
    if os.path.exists(path):
        with open(path, "rb") as f:
            if f.read() == pem:
                return
        os.remove(path)
    descriptor = os.open(path, os.O_WRONLY | os.O_CREAT | os.O_EXCL, 0o600)
    with os.fdopen(descriptor, "wb") as f:
        f.write(pem)


def new_key(path):
    if os.path.exists(path):
        return
    write_private(path, private_pem(ec.generate_private_key(ec.SECP256R1())))


# The order of the P-256 group: a private key is a number from 1 to ORDER - 1.
ORDER = 0xffffffff00000000ffffffffffffffffbce6faada7179e84f3b9cac2fc632551


def derived_freshness_key(release_path):
    """A freshness key that follows from the release key: anyone with the release key has it, so it
    separates nothing, but two builds given one development key carry the same program."""
    secret = load_private_key(release_path).private_numbers().private_value.to_bytes(32, "big")
    number = int.from_bytes(hashlib.sha256(b"Quodo development freshness key\0" + secret).digest(), "big")
    return ec.derive_private_key(number % (ORDER - 1) + 1, ec.SECP256R1())


def derive_key(release_path, freshness_path):
    write_private(freshness_path, private_pem(derived_freshness_key(release_path)))


def write_if_changed(path, data):
    """Leaves a file with the same content untouched, so that nothing built from it is rebuilt."""
    if os.path.exists(path):
        with open(path, "rb") as f:
            if f.read() == data:
                return
    os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def key_rows(raw):
    rows = []
    for at in range(0, len(raw), 8):
        rows.append("    " + ", ".join("0x%02x" % b for b in raw[at:at + 8]) + ",")
    return "\n".join(rows)


def header_text(release_raw, freshness_raw):
    return HEADER % (key_rows(release_raw), key_rows(freshness_raw))


def public_file(key_path, public_path):
    key = load_public_key(key_path)
    write_if_changed(public_path, key.public_bytes(serialization.Encoding.PEM,
                                                   serialization.PublicFormat.SubjectPublicKeyInfo))


def header_file(release_path, freshness_path, header_path):
    release, freshness = load_public_key(release_path), load_public_key(freshness_path)
    if public_der(release) == public_der(freshness):
        raise ValueError("the release key and the freshness key are one key: they must be two")
    write_if_changed(header_path, header_text(raw_public_key(release), raw_public_key(freshness)).encode("ascii"))


def main(argv):
    try:
        if len(argv) == 3 and argv[1] == "new":
            new_key(argv[2])
        elif len(argv) == 4 and argv[1] == "derive":
            derive_key(argv[2], argv[3])
        elif len(argv) == 4 and argv[1] == "public":
            public_file(argv[2], argv[3])
        elif len(argv) == 5 and argv[1] == "header":
            header_file(argv[2], argv[3], argv[4])
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
