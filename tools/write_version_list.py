#!/usr/bin/env python3
"""Writes the maker's version list, versions.dat, for the installers it is given.

The list holds one line per program, each ended by CR LF:

    product,installer,letter,kilobytes,sha256,Dutch text,English text,signed at,valid until,signature

- product: the program's name (Quodo);
- installer: the installer's file name, the product name followed by the version's digits
  (Quodo106.exe for version 1.06);
- letter: the version letter, empty for none;
- kilobytes: the installer's size in whole kilobytes, rounded up ((bytes + 1023) / 1024);
- sha256: the installer's SHA-256 as 64 lower-case hex digits;
- the two texts: a short description of the version (always there, empty or not);
- signed at, valid until: when the list was signed and until when the program takes it, as UTC
  moments (2026-12-08T07:49:40Z); by default from now for 30 days. A list past its time is
  refused, so the maker signs the list again before it runs out;
- signature: the maker's ECDSA signature (P-256, SHA-256) of the line's bytes before the comma
  that opens it, as 128 lower-case hex digits of r and s (32 bytes each, big-endian). The program
  believes its entry only with a signature by the key it carries, and only while its time holds.
  Older versions of the program read fields 0 to 6 and never look further.

Besides a line for each installer given, the list names a few other programs of the maker. The
first of them, QuodoPro, begins with our own product name, so a reader that takes the first line
that merely contains "Quodo" picks the wrong program.

Usage: write_version_list.py --key PRIVATE_PEM [--days N] [--signed-at TIME] OUT INSTALLER...
       (such as --key release-key.pem site/versions.dat site/Quodo106.exe)
"""
import argparse
import datetime
import hashlib
import os
import re
import sys

from cryptography.hazmat.primitives import hashes
from cryptography.hazmat.primitives.asymmetric import ec, utils

from update_signing_key import load_private_key

# The maker's other programs: invented, never downloaded by Quodo.
OTHER_PROGRAMS = (
    ("QuodoPro", "QuodoPro210.exe", "", 812, "3f1c6a0be2d94c7f85e0a61b7d2c94e83a5f06b1c4d7e29a8b0f3c6d1e4a7b92",
     "QuodoPro versie 2.10", "QuodoPro version 2.10"),
    ("zvTool", "zvtool12.exe", "a", 95, "b7e04d2a9c61f38e5d0a7b4c2e9f16d83c5a0e7b4f1d82c6a9e3b5d07f2c4a18",
     "zvTool versie 1.2a", "zvTool version 1.2a"),
)
# After our own line: an entry with only the five fields a reader needs.
LAST_PROGRAMS = (
    ("zvMail", "zvmail31.exe", "", 120, "5d2e8a1f0c7b94e36a1d5f8c2b0e7a4d9c6f3b1e8a5d2c7f0b4e9a6d3c1f8b25"),
)

INSTALLER_NAME = re.compile(r"^([A-Za-z_]+)([0-9]{3,})\.exe$")
TIME_FORMAT = "%Y-%m-%dT%H:%M:%SZ"
DEFAULT_DAYS = 30


def kilobytes(size):
    """Whole kilobytes, rounded up: what the program compares the downloaded installer's size with."""
    return (size + 1023) // 1024


def version_text(digits):
    """The version as the program shows it: the first digit, a point and the rest (106 gives 1.06)."""
    return digits[0] + "." + digits[1:]


def installer_line(path):
    name = os.path.basename(path)
    match = INSTALLER_NAME.match(name)
    if not match:
        raise ValueError("%s: an installer is named product, version digits, .exe (Quodo106.exe)" % name)
    product, digits = match.groups()
    with open(path, "rb") as f:
        data = f.read()
    if not data.startswith(b"MZ"):
        raise ValueError("%s is no Windows program" % name)
    version = version_text(digits)
    return (product, name, "", kilobytes(len(data)), hashlib.sha256(data).hexdigest(),
            "%s versie %s" % (product, version), "%s version %s" % (product, version))


def signature(key, signed):
    """r || s of the key's signature of the bytes, as 128 lower-case hex digits."""
    r, s = utils.decode_dss_signature(key.sign(signed, ec.ECDSA(hashes.SHA256())))
    return (r.to_bytes(32, "big") + s.to_bytes(32, "big")).hex()


def time_text(moment):
    return moment.astimezone(datetime.timezone.utc).strftime(TIME_FORMAT)


def parse_time(text):
    """A UTC moment written as the list writes it (2026-12-08T07:49:40Z)."""
    return datetime.datetime.strptime(text, TIME_FORMAT).replace(tzinfo=datetime.timezone.utc)


def signed_line(key, fields, signed_at, valid_until):
    """An entry's fields 0 to 6 and the two times joined by commas, with the key's signature of those
    bytes as field 9."""
    fields = list(fields) + [time_text(signed_at), time_text(valid_until)]
    text = ",".join(str(field) for field in fields)
    if len(fields) != 9 or any(c in text for c in "\r\n") or any("," in str(field) for field in fields):
        raise ValueError("a signed entry is nine fields without commas or line ends: %r" % text)
    return text + "," + signature(key, text.encode("ascii"))


def version_list(key, installers, signed_at, days=DEFAULT_DAYS):
    """The whole list as bytes: the other programs' lines as they are, ours signed to hold for days."""
    valid_until = signed_at + datetime.timedelta(days=days)
    lines = [",".join(str(field) for field in line) for line in OTHER_PROGRAMS]
    lines += [signed_line(key, installer_line(path), signed_at, valid_until) for path in installers]
    lines += [",".join(str(field) for field in line) for line in LAST_PROGRAMS]
    return "".join(line + "\r\n" for line in lines).encode("ascii")


def positive_days(text):
    days = int(text)
    if days < 1:
        raise argparse.ArgumentTypeError("a list holds for at least one day")
    return days


def arguments(argv):
    parser = argparse.ArgumentParser(prog="write_version_list.py", description="Writes and signs versions.dat.")
    parser.add_argument("--key", required=True, help="the maker's private key (PEM, P-256)")
    parser.add_argument("--days", type=positive_days, default=DEFAULT_DAYS,
                        help="how many days the list holds (default %d)" % DEFAULT_DAYS)
    parser.add_argument("--signed-at", type=parse_time, default=None,
                        help="the moment of signing, such as 2026-12-08T07:49:40Z (default: now)")
    parser.add_argument("out")
    parser.add_argument("installers", nargs="+")
    return parser.parse_args(argv[1:])


def main(argv):
    options = arguments(argv)
    signed_at = options.signed_at or datetime.datetime.now(datetime.timezone.utc).replace(microsecond=0)
    try:
        data = version_list(load_private_key(options.key), options.installers, signed_at, options.days)
    except (OSError, ValueError, TypeError) as error:
        print("write_version_list: %s" % error, file=sys.stderr)
        return 1
    with open(options.out, "wb") as f:
        f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
