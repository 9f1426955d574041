#!/usr/bin/env python3
"""Makes the seed corpus of fuzz_version_list: real version lists, written by the list writer
(tools/write_version_list.py) with two keys made here for the purpose, and FuzzKeys.h, the public
halves of those keys that the fuzz target believes. The private halves are thrown away: new seeds
need new keys, and this script makes both.

Each list meets the fixed moment and mark of the fuzz target (fuzz_version_list.cpp: now
2026-12-08T12:00:00Z, the mark 2026-12-01T00:00:00Z and version 1.06) in another way, so that the
fuzzer starts from every verdict: an update advised, up to date, run out, signed before the mark,
naming a version older than the mark, a validity the writer refuses (longer than 45 days, ending
before its start; signed by hand here), a size that is no number, an installer name that is no
plain file name, two keys' signatures swapped, no entry at all.

Usage: make_seeds.py   (from anywhere; writes beside itself)
"""
import datetime
import hashlib
import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
TOOLS = os.path.join(ROOT, "tools")
sys.path.insert(0, TOOLS)
from update_signing_key import derived_freshness_key, key_rows, load_private_key, raw_public_key  # noqa: E402
from write_version_list import (OTHER_PROGRAMS, fresh_line, list_bytes, plain_line, release_line,  # noqa: E402
                                signature, time_text)

SEEDS = os.path.join(HERE, "seeds", "fuzz_version_list")
UTC = datetime.timezone.utc

HEADER = """\
// The public halves of the two keys that signed the seed lists of fuzz_version_list (made by
// fuzz/update/make_seeds.py, which threw the private halves away).
#pragma once

#include "update/EntrySignature.h"

namespace fuzz_keys {

inline const update::UpdateKeys kKeys = {{{
%s
}}, {{
%s
}}};

}  // namespace fuzz_keys
"""


def moment(text):
    return datetime.datetime.strptime(text, "%Y-%m-%dT%H:%M:%SZ").replace(tzinfo=UTC)


def write_seed(name, data):
    with open(os.path.join(SEEDS, name), "wb") as f:
        f.write(data)


def main():
    work = tempfile.mkdtemp(prefix="quodo-fuzz-seeds-")
    try:
        key_path = os.path.join(work, "release.pem")
        subprocess.run([sys.executable, os.path.join(TOOLS, "update_signing_key.py"), "new", key_path], check=True)
        release, freshness = load_private_key(key_path), derived_freshness_key(key_path)
        with open(os.path.join(HERE, "FuzzKeys.h"), "w") as f:
            f.write(HEADER % (key_rows(raw_public_key(release)), key_rows(raw_public_key(freshness))))
        shutil.rmtree(SEEDS, ignore_errors=True)
        os.makedirs(SEEDS)

        # Lists the writer writes, as a build does: an installer, a signing time and a validity.
        for name, installer, signed_at, days in (
                ("advised", "Quodo107.exe", "2026-12-05T09:30:00Z", 30),
                ("up-to-date", "Quodo106.exe", "2026-12-05T09:30:00Z", 30),
                ("run-out", "Quodo107.exe", "2026-12-02T00:00:00Z", 5),
                ("before-the-mark", "Quodo107.exe", "2026-11-20T00:00:00Z", 30),
                ("older-version", "Quodo105.exe", "2026-12-06T00:00:00Z", 45)):
            path = os.path.join(work, installer)
            with open(path, "wb") as f:
                f.write(b"MZ" + bytes(range(256)) * 9)
            out = os.path.join(work, name + ".dat")
            subprocess.run([sys.executable, os.path.join(TOOLS, "write_version_list.py"), "--key", key_path,
                            "--signed-at", signed_at, "--days", str(days), out, path], check=True)
            with open(out, "rb") as f:
                write_seed(name + ".dat", f.read())

        # What the writer refuses to write, signed by hand with the same keys.
        fields = ["Quodo", "Quodo107.exe", "", 3, "ab" * 32, "Nieuw", "New"]

        def by_hand(released, signed_at, valid_until, key=freshness):
            times = signed_at + "," + valid_until
            text = hashlib.sha256(released.encode("ascii")).hexdigest() + "," + times
            return released + "," + times + "," + signature(key, text.encode("ascii"))

        others = [plain_line(line) for line in OTHER_PROGRAMS]
        released = release_line(release, fields)
        for name, line in (
                ("too-long", by_hand(released, "2026-12-01T00:00:00Z", "2027-01-15T00:00:01Z")),
                ("ends-before-it-starts", by_hand(released, "2026-12-08T00:00:00Z", "2026-12-07T23:59:59Z")),
                ("size-no-number", fresh_line(freshness, release_line(release, fields[:3] + ["drie"] + fields[4:]),
                                              moment("2026-12-05T00:00:00Z"), moment("2026-12-30T00:00:00Z"))),
                ("name-no-plain-file", fresh_line(freshness, release_line(release, fields[:1] + ["..\\Quodo107.exe"]
                                                                          + fields[2:]),
                                                  moment("2026-12-05T00:00:00Z"), moment("2026-12-30T00:00:00Z"))),
                ("keys-swapped", fresh_line(release, release_line(freshness, fields),
                                            moment("2026-12-05T00:00:00Z"), moment("2026-12-30T00:00:00Z")))):
            write_seed(name + ".dat", list_bytes(others + [line]))
        write_seed("no-entry.dat", list_bytes(others))
        print("seeds for 2026-12-08, signed %s" % time_text(datetime.datetime.now(UTC)))
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
