#!/usr/bin/env python3
"""Sets the two time fields that chmcmd writes into a compiled help file (.chm) to a given moment,
so that two builds of one source give the same file.

    chm_set_time.py FILE.chm SECONDS

chmcmd stores the millisecond of the day at which it ran twice: big-endian in the file header
(ITSF, offset 0x10) and little-endian as entry 10 of the internal file #SYSTEM. Both become the
millisecond of the day (UTC) of SECONDS, a Unix time such as SOURCE_DATE_EPOCH. Nothing else changes.
"""

import struct
import sys

HEADER_TIME = 0x10
SYSTEM_TIME_CODE = 10


def read_encint(data, pos):
    """A CHM variable-length number: 7 bits a byte, most significant first; returns (value, next)."""
    value = 0
    while True:
        byte = data[pos]
        pos += 1
        value = (value << 7) | (byte & 0x7F)
        if byte < 0x80:
            return value, pos


def find_in_directory(data, wanted):
    """(section, offset, length) of the internal file named `wanted`, from the listing chunks."""
    directory, = struct.unpack_from("<Q", data, 0x48)
    chunk_size, = struct.unpack_from("<I", data, directory + 0x10)
    header_length, = struct.unpack_from("<I", data, directory + 0x08)
    chunk = directory + header_length
    end = directory + struct.unpack_from("<Q", data, 0x50)[0]
    while chunk < end:
        if data[chunk:chunk + 4] == b"PMGL":
            free, = struct.unpack_from("<I", data, chunk + 4)
            pos = chunk + 20
            while pos < chunk + chunk_size - free:
                name_length, pos = read_encint(data, pos)
                name = data[pos:pos + name_length].decode("utf-8")
                section, pos = read_encint(data, pos + name_length)
                offset, pos = read_encint(data, pos)
                length, pos = read_encint(data, pos)
                if name == wanted:
                    return section, offset, length
        chunk += chunk_size
    raise ValueError("%s is not in the help file" % wanted)


def set_time(data, seconds):
    if data[:4] != b"ITSF" or struct.unpack_from("<I", data, 4)[0] != 3:
        raise ValueError("not a version 3 compiled help file")
    milliseconds = (seconds % 86400) * 1000
    struct.pack_into(">I", data, HEADER_TIME, milliseconds)
    section, offset, length = find_in_directory(data, "/#SYSTEM")
    if section != 0:
        raise ValueError("#SYSTEM is compressed")
    content, = struct.unpack_from("<Q", data, 0x58)
    pos, end = content + offset + 4, content + offset + length  # after the version number
    while pos + 4 <= end:
        code, size = struct.unpack_from("<HH", data, pos)
        if code == SYSTEM_TIME_CODE and size == 4:
            struct.pack_into("<I", data, pos + 4, milliseconds)
            return
        pos += 4 + size
    raise ValueError("#SYSTEM has no time entry")


def main(argv):
    if len(argv) != 3:
        sys.exit(__doc__)
    with open(argv[1], "rb") as f:
        data = bytearray(f.read())
    set_time(data, int(argv[2]))
    with open(argv[1], "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main(sys.argv)
