#!/usr/bin/env python3
"""Draws the program's icon, assets/Quodo.ico: a small rising chart line in a rounded blue square,
at 16, 32 and 48 pixels (32-bit colour with an alpha channel). Standard library only; the output
is the same byte for byte on every run.

Usage: make_icon.py [OUT.ico]   (default: assets/Quodo.ico beside this folder)
"""
import os
import struct
import sys

SIZES = (16, 32, 48)
SUBSAMPLES = 4  # per pixel and direction: the edges are smoothed over 16 samples a pixel

# Everything is drawn in unit coordinates: (0, 0) is the icon's top-left corner, (1, 1) its bottom-right.
CORNER_RADIUS = 0.22
TOP_COLOUR = (44, 104, 178)
BOTTOM_COLOUR = (20, 56, 110)
BASELINE_COLOUR = (92, 140, 200)
LINE_COLOUR = (255, 214, 74)
# The chart: a dip and then a climb to the upper right.
LINE_POINTS = ((0.16, 0.70), (0.38, 0.48), (0.54, 0.60), (0.84, 0.24))
LINE_WIDTH = 0.12
DOT_RADIUS = 0.09
BASELINE = (0.16, 0.80, 0.84)  # left, height, right
BASELINE_WIDTH = 0.05


def inside_rounded_square(x, y):
    # Distance from the nearest point of the square shrunk by the radius.
    dx = max(CORNER_RADIUS - x, 0.0, x - (1.0 - CORNER_RADIUS))
    dy = max(CORNER_RADIUS - y, 0.0, y - (1.0 - CORNER_RADIUS))
    return dx * dx + dy * dy <= CORNER_RADIUS * CORNER_RADIUS


def distance_to_segment(x, y, a, b):
    (ax, ay), (bx, by) = a, b
    vx, vy = bx - ax, by - ay
    t = ((x - ax) * vx + (y - ay) * vy) / (vx * vx + vy * vy)
    t = min(1.0, max(0.0, t))
    px, py = ax + t * vx - x, ay + t * vy - y
    return (px * px + py * py) ** 0.5


def on_line(x, y):
    segments = zip(LINE_POINTS, LINE_POINTS[1:])
    if any(distance_to_segment(x, y, a, b) <= LINE_WIDTH / 2 for a, b in segments):
        return True
    ex, ey = LINE_POINTS[-1]
    return (x - ex) ** 2 + (y - ey) ** 2 <= DOT_RADIUS ** 2


def on_baseline(x, y):
    left, height, right = BASELINE
    return left <= x <= right and abs(y - height) <= BASELINE_WIDTH / 2


def background(y):
    return tuple(round(t + (b - t) * y) for t, b in zip(TOP_COLOUR, BOTTOM_COLOUR))


def sample(x, y):
    """The colour at one point, or None outside the icon's shape."""
    if not inside_rounded_square(x, y):
        return None
    if on_line(x, y):
        return LINE_COLOUR
    if on_baseline(x, y):
        return BASELINE_COLOUR
    return background(y)


def pixel(size, column, row):
    """One pixel as (r, g, b, a): the average of its samples inside the shape, with their share as alpha."""
    totals = [0, 0, 0]
    covered = 0
    for sy in range(SUBSAMPLES):
        for sx in range(SUBSAMPLES):
            colour = sample((column + (sx + 0.5) / SUBSAMPLES) / size, (row + (sy + 0.5) / SUBSAMPLES) / size)
            if colour is not None:
                covered += 1
                totals = [t + c for t, c in zip(totals, colour)]
    if covered == 0:
        return (0, 0, 0, 0)
    r, g, b = (round(t / covered) for t in totals)
    return (r, g, b, round(255 * covered / (SUBSAMPLES * SUBSAMPLES)))


def draw(size):
    """Rows of (r, g, b, a), top row first."""
    return [[pixel(size, column, row) for column in range(size)] for row in range(size)]


def icon_image(rows):
    """One icon image as Windows stores it: a 32-bit DIB (height doubled for the mask) whose colour
    rows run bottom-up in BGRA, then the 1-bit AND mask (set where the icon is fully transparent)."""
    size = len(rows)
    mask_stride = (size + 31) // 32 * 4
    colour = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for r, g, b, a in row)
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for column, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[column // 8] |= 0x80 >> (column % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(colour) + len(mask), 0, 0, 0, 0)
    return header + colour + bytes(mask)


def icon_file(images):
    """An .ico file of (size, image bytes) pairs."""
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries, data = b"", b""
    for size, image in images:
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), offset + len(data))
        data += image
    return directory + entries + data


def main(argv):
    out = argv[1] if len(argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "assets",
                                                      "Quodo.ico")
    data = icon_file([(size, icon_image(draw(size))) for size in SIZES])
    with open(out, "wb") as f:
        f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
