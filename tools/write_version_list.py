#!/usr/bin/env python3
"""Writes the maker's version list, versions.dat, for the installers it is given.

The list holds one line per program, each ended by CR LF; ours reads

    product,installer,letter,kilobytes,sha256,Dutch text,English text,release signature,signed at,valid until,freshness signature

- product: the program's name (Quodo);
- installer: the installer's file name, the product name followed by the version's digits
  (Quodo106.exe for version 1.06); one installer per product, the newest;
- letter: the version letter, empty for none;
- kilobytes: the installer's size in whole kilobytes, rounded up ((bytes + 1023) / 1024);
- sha256: the installer's SHA-256 as 64 lower-case hex digits;
- the two texts: a short description of the version (always there, empty or not);
- release signature: the release key's ECDSA signature (P-256, SHA-256) of the line's bytes before
  the comma that opens it (fields 0 to 6);
- signed at, valid until: when the list was signed and until when the program takes it, as UTC
  moments (2026-12-08T07:49:40Z); by default from now for 30 days, at most 45. A list past its
  time is refused, so the maker signs the list again before it runs out;
- freshness signature: the freshness key's signature of "<SHA-256 of fields 0 to 7>,<signed at>,<valid
  until>" (the hash as 64 lower-case hex digits).
Each signature is written as 128 lower-case hex digits of r and s (32 bytes each, big-endian). Older
versions of the program read fields 0 to 6 and never look further.

Besides a line for each installer given, the list names a few other programs of the maker. The
first of them, QuodoPro, begins with our own product name, so a reader that takes the first line
that merely contains "Quodo" picks the wrong program.

The maker's steps (each exits with 2 and a message, never a traceback, on anything it refuses):

  write_version_list.py release --release-key RELEASE_PEM OUT INSTALLER...
      At a release, on the offline machine that holds the release key: the list with our lines
      signed for what they install (fields 0 to 7), without times. Kept, and given to the monthly step.
  write_version_list.py renew --freshness-key FRESHNESS_PEM [--days N] [--signed-at TIME]
                              [--release-public RELEASE_PUB_PEM] RELEASED OUT
      Every month (and right after a release), where the freshness key is: RELEASED (the release
      step's list, or last month's versions.dat) with new times and a new freshness signature on
      each of our lines; with --release-public, each line's release signature is checked first.

What a development build does (never a release, whose build holds no private key):

  write_version_list.py --key RELEASE_PEM [--days N] [--signed-at TIME] OUT INSTALLER...
      Both steps at once, the times signed by the development freshness key that follows from the
      release key (tools/update_signing_key.py derive).
"""
import argparse
import datetime
import hashlib
import os
import re
import sys

from cryptography.exceptions import InvalidSignature
from cryptography.hazmat.primitives import hashes
from cryptography.hazmat.primitives.asymmetric import ec, utils

from update_signing_key import derived_freshness_key, load_private_key, load_public_key

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
SIGNATURE = re.compile(r"^[0-9a-f]{128}$")
TIME_FORMAT = "%Y-%m-%dT%H:%M:%SZ"
DEFAULT_DAYS = 30
LONGEST_DAYS = 45  # the program refuses a list that holds longer
RELEASE_FIELDS = 8  # fields 0 to 7: what the release key vouches for


class Refused(Exception):
    """Something the writer will not write, with the reason for the maker."""


def kilobytes(size):
    """Whole kilobytes, rounded up: what the program compares the downloaded installer's size with."""
    return (size + 1023) // 1024


def version_text(digits):
    """The version as the program shows it: the first digit, a point and the rest (106 gives 1.06)."""
    return digits[0] + "." + digits[1:]


def installer_fields(path):
    """Our entry's fields 0 to 6 for an installer file."""
    name = os.path.basename(path)
    match = INSTALLER_NAME.match(name)
    if not match:
        raise Refused("%s: an installer is named product, version digits, .exe (Quodo106.exe)" % name)
    product, digits = match.groups()
    with open(path, "rb") as f:
        data = f.read()
    if not data.startswith(b"MZ"):
        raise Refused("%s is no Windows program" % name)
    version = version_text(digits)
    return (product, name, "", kilobytes(len(data)), hashlib.sha256(data).hexdigest(),
            "%s versie %s" % (product, version), "%s version %s" % (product, version))


def signature(key, signed):
    """r || s of the key's signature of the bytes, as 128 lower-case hex digits."""
    r, s = utils.decode_dss_signature(key.sign(signed, ec.ECDSA(hashes.SHA256())))
    return (r.to_bytes(32, "big") + s.to_bytes(32, "big")).hex()


def is_signed_by(public_key, signed, signature_hex):
    raw = bytes.fromhex(signature_hex)
    der = utils.encode_dss_signature(int.from_bytes(raw[:32], "big"), int.from_bytes(raw[32:], "big"))
    try:
        public_key.verify(der, signed, ec.ECDSA(hashes.SHA256()))
        return True
    except InvalidSignature:
        return False


def time_text(moment):
    return moment.astimezone(datetime.timezone.utc).strftime(TIME_FORMAT)


def parse_time(text):
    """A UTC moment written as the list writes it (2026-12-08T07:49:40Z)."""
    return datetime.datetime.strptime(text, TIME_FORMAT).replace(tzinfo=datetime.timezone.utc)


def release_line(release_key, fields):
    """Fields 0 to 6 joined by commas, with the release key's signature of those bytes as field 7."""
    text = ",".join(str(field) for field in fields)
    if len(fields) != 7 or any(c in text for c in "\r\n") or any("," in str(field) for field in fields):
        raise Refused("an entry is seven fields without commas or line ends: %r" % text)
    return text + "," + signature(release_key, text.encode("ascii"))


def fresh_line(freshness_key, released, signed_at, valid_until):
    """A release line (fields 0 to 7) with the times and the freshness key's signature of them and
    of the release line's hash (fields 8 to 10)."""
    if valid_until < signed_at or valid_until - signed_at > datetime.timedelta(days=LONGEST_DAYS):
        raise Refused("a list holds from its signing for at most %d days, not from %s to %s"
                      % (LONGEST_DAYS, time_text(signed_at), time_text(valid_until)))
    times = time_text(signed_at) + "," + time_text(valid_until)
    freshness = hashlib.sha256(released.encode("ascii")).hexdigest() + "," + times
    return released + "," + times + "," + signature(freshness_key, freshness.encode("ascii"))


def signed_entry(release_key, freshness_key, fields, signed_at, valid_until):
    """Our whole entry: fields 0 to 6 signed by the release key, the times by the freshness key."""
    return fresh_line(freshness_key, release_line(release_key, fields), signed_at, valid_until)


def plain_line(fields):
    return ",".join(str(field) for field in fields)


def one_per_product(products):
    seen = set()
    for product in products:
        if product in seen:
            raise Refused("two lines for %s: a list names one installer per product (give only the newest)" % product)
        seen.add(product)


def released_list(release_key, installers):
    """The release step's lines: the other programs' lines as they are, ours signed for what they install."""
    ours = [installer_fields(path) for path in installers]
    one_per_product([line[0] for line in OTHER_PROGRAMS + LAST_PROGRAMS] + [fields[0] for fields in ours])
    return ([plain_line(line) for line in OTHER_PROGRAMS] + [release_line(release_key, fields) for fields in ours]
            + [plain_line(line) for line in LAST_PROGRAMS])


def is_release_line(fields):
    return len(fields) >= RELEASE_FIELDS and SIGNATURE.match(fields[RELEASE_FIELDS - 1]) is not None


def renewed_list(freshness_key, lines, signed_at, valid_until, release_public=None):
    """Each of our lines (fields 0 to 7 signed by the release key) with new times; the rest as it is."""
    one_per_product([line.split(",")[0] for line in lines])
    out, renewed = [], 0
    for line in lines:
        fields = line.split(",")
        if not is_release_line(fields):
            out.append(line)
            continue
        released = ",".join(fields[:RELEASE_FIELDS])
        if release_public is not None and not is_signed_by(
                release_public, ",".join(fields[:RELEASE_FIELDS - 1]).encode("ascii"), fields[RELEASE_FIELDS - 1]):
            raise Refused("%s: its release signature is not the release key's" % fields[1])
        out.append(fresh_line(freshness_key, released, signed_at, valid_until))
        renewed += 1
    if not renewed:
        raise Refused("the list holds no line signed by a release key to renew")
    return out


def list_bytes(lines):
    return "".join(line + "\r\n" for line in lines).encode("ascii")


def version_list(release_key, freshness_key, installers, signed_at, days=DEFAULT_DAYS):
    """The whole list as bytes, our lines signed by both keys to hold for days from signed_at."""
    return list_bytes(renewed_list(freshness_key, released_list(release_key, installers), signed_at,
                                   signed_at + datetime.timedelta(days=days)))


def read_lines(path):
    with open(path, "rb") as f:
        data = f.read()
    try:
        text = data.decode("ascii")
    except UnicodeDecodeError:
        raise Refused("%s is no version list (not plain ASCII)" % path)
    return [line for line in re.split(r"\r\n|\r|\n", text) if line]


def days_held(text):
    try:
        days = int(text)
    except ValueError:
        raise argparse.ArgumentTypeError("not a whole number of days: %r" % text)
    if not 1 <= days <= LONGEST_DAYS:
        raise argparse.ArgumentTypeError("a list holds for 1 to %d days, not %d" % (LONGEST_DAYS, days))
    return days


def signing_time(text):
    try:
        return parse_time(text)
    except ValueError:
        raise argparse.ArgumentTypeError("not a time such as 2026-12-08T07:49:40Z: %r" % text)


def add_times(parser):
    parser.add_argument("--days", type=days_held, default=DEFAULT_DAYS,
                        help="how many days the list holds (default %d, at most %d)" % (DEFAULT_DAYS, LONGEST_DAYS))
    parser.add_argument("--signed-at", type=signing_time, default=None,
                        help="the moment of signing, such as 2026-12-08T07:49:40Z (default: now; never later)")


def arguments(argv):
    if len(argv) < 2 or argv[1] not in ("release", "renew"):
        # Both steps at once, as a development build signs its own list.
        parser = argparse.ArgumentParser(prog="write_version_list.py", description="Writes and signs versions.dat.")
        parser.add_argument("--key", required=True, help="the release key (private PEM, P-256)")
        add_times(parser)
        parser.add_argument("out")
        parser.add_argument("installers", nargs="+")
        options = parser.parse_args(argv[1:])
        options.step = "development"
        return options
    parser = argparse.ArgumentParser(prog="write_version_list.py", description="Writes and signs versions.dat.")
    steps = parser.add_subparsers(dest="step", required=True)
    release = steps.add_parser("release", help="our lines signed by the release key, without times")
    release.add_argument("--release-key", required=True, help="the release key (private PEM, P-256)")
    release.add_argument("out")
    release.add_argument("installers", nargs="+")
    renew = steps.add_parser("renew", help="new times on a released list, signed by the freshness key")
    renew.add_argument("--freshness-key", required=True, help="the freshness key (private PEM, P-256)")
    add_times(renew)
    renew.add_argument("--release-public", help="the release key's public half: check each line against it")
    renew.add_argument("released", help="the release step's list, or the last versions.dat")
    renew.add_argument("out")
    return parser.parse_args(argv[1:])


def signing_moment(options):
    now = datetime.datetime.now(datetime.timezone.utc).replace(microsecond=0)
    if options.signed_at is None:
        return now
    if options.signed_at > now:
        raise Refused("the signing time %s lies in the future (now is %s)" % (time_text(options.signed_at), time_text(now)))
    return options.signed_at


def list_of(options):
    if options.step == "release":
        return list_bytes(released_list(load_private_key(options.release_key), options.installers))
    signed_at = signing_moment(options)
    if options.step == "development":
        return version_list(load_private_key(options.key), derived_freshness_key(options.key), options.installers,
                            signed_at, options.days)
    release_public = load_public_key(options.release_public) if options.release_public else None
    valid_until = signed_at + datetime.timedelta(days=options.days)
    return list_bytes(renewed_list(load_private_key(options.freshness_key), read_lines(options.released), signed_at,
                                   valid_until, release_public))


def main(argv):
    options = arguments(argv)
    try:
        data = list_of(options)
        with open(options.out, "wb") as f:
            f.write(data)
    except Exception as error:  # every refusal and failure is a message, never a traceback
        print("write_version_list: %s" % error, file=sys.stderr)
        return 2
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main(sys.argv))
    except KeyboardInterrupt:
        print("write_version_list: interrupted", file=sys.stderr)
        sys.exit(2)
