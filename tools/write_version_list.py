#!/usr/bin/env python3
"""Writes the maker's version list, versions.dat, for the installers it is given.

The list holds one line per program, each ended by CR LF:

    product,installer,letter,kilobytes,sha256,Dutch text,English text

- product: the program's name (Quodo);
- installer: the installer's file name, the product name followed by the version's digits
  (Quodo106.exe for version 1.06);
- letter: the version letter, empty for none;
- kilobytes: the installer's size in whole kilobytes, rounded up ((bytes + 1023) / 1024);
- sha256: the installer's SHA-256 as 64 lower-case hex digits;
- the two texts: a short description of the version.

Besides a line for each installer given, the list names a few other programs of the maker. The
first of them, QuodoPro, begins with our own product name, so a reader that takes the first line
that merely contains "Quodo" picks the wrong program.

Usage: write_version_list.py OUT INSTALLER...   (such as site/versions.dat site/Quodo106.exe)
"""
import hashlib
import os
import re
import sys

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


def version_list(installers):
    """The whole list as bytes."""
    lines = list(OTHER_PROGRAMS) + [installer_line(path) for path in installers] + list(LAST_PROGRAMS)
    text = "".join(",".join(str(field) for field in line) + "\r\n" for line in lines)
    return text.encode("ascii")


def main(argv):
    if len(argv) < 3:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    try:
        data = version_list(argv[2:])
    except (OSError, ValueError) as error:
        print("write_version_list: %s" % error, file=sys.stderr)
        return 1
    with open(argv[1], "wb") as f:
        f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
