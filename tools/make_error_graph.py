#!/usr/bin/env python3
"""Draws the fallback chart picture, assets/ErrorGraph.png: a pale empty chart grid with the words
"Grafiek niet beschikbaar" in a small pixel font. Standard library only.

Usage: make_error_graph.py [OUT.png]   (default: assets/ErrorGraph.png beside this folder)
"""
import os
import struct
import sys
import zlib

WIDTH, HEIGHT = 190, 187
# The lowest rows of the chart area lie under the bottom bar; centre the text in what shows.
VISIBLE_HEIGHT = 180

BACKGROUND = (250, 250, 250)
FRAME = (208, 212, 218)
GRID = (232, 235, 239)
TEXT = (96, 108, 122)

# 5 by 7 pixel letters, only those the picture needs.
FONT = {
    "G": [".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".###."],
    "a": [".....", ".....", ".###.", "....#", ".####", "#...#", ".####"],
    "b": ["#....", "#....", "#.##.", "##..#", "#...#", "#...#", "####."],
    "c": [".....", ".....", ".###.", "#....", "#....", "#...#", ".###."],
    "e": [".....", ".....", ".###.", "#...#", "#####", "#....", ".###."],
    "f": ["..##.", ".#..#", ".#...", "###..", ".#...", ".#...", ".#..."],
    "h": ["#....", "#....", "#.##.", "##..#", "#...#", "#...#", "#...#"],
    "i": ["..#..", ".....", ".##..", "..#..", "..#..", "..#..", ".###."],
    "k": ["#....", "#....", "#..#.", "#.#..", "##...", "#.#..", "#..#."],
    "n": [".....", ".....", "#.##.", "##..#", "#...#", "#...#", "#...#"],
    "r": [".....", ".....", "#.##.", "##..#", "#....", "#....", "#...."],
    "s": [".....", ".....", ".####", "#....", ".###.", "....#", "####."],
    "t": [".#...", ".#...", "###..", ".#...", ".#...", ".#..#", "..##."],
    " ": ["....."] * 7,
}
SCALE = 2
ADVANCE = 6 * SCALE  # letter width plus one blank column
LINE_HEIGHT = 7 * SCALE
LINE_GAP = 6 * SCALE


def new_canvas():
    return [[BACKGROUND] * WIDTH for _ in range(HEIGHT)]


def fill(canvas, left, top, right, bottom, colour):
    for y in range(max(top, 0), min(bottom, HEIGHT)):
        for x in range(max(left, 0), min(right, WIDTH)):
            canvas[y][x] = colour


def evenly(first, last, cells):
    return [first + round(i * (last - first) / cells) for i in range(cells + 1)]


def draw_grid(canvas):
    left, right, top, bottom = 8, WIDTH - 9, 10, VISIBLE_HEIGHT - 11
    for y in evenly(top, bottom, 5):
        fill(canvas, left, y, right + 1, y + 1, GRID)
    for x in evenly(left, right, 5):
        fill(canvas, x, top, x + 1, bottom + 1, GRID)
    # A thin frame around the whole visible area.
    fill(canvas, 0, 0, WIDTH, 1, FRAME)
    fill(canvas, 0, VISIBLE_HEIGHT - 1, WIDTH, VISIBLE_HEIGHT, FRAME)
    fill(canvas, 0, 0, 1, VISIBLE_HEIGHT, FRAME)
    fill(canvas, WIDTH - 1, 0, WIDTH, VISIBLE_HEIGHT, FRAME)


def text_width(text):
    return len(text) * ADVANCE - SCALE


def draw_text(canvas, text, left, top):
    for i, letter in enumerate(text):
        for row, bits in enumerate(FONT[letter]):
            for col, bit in enumerate(bits):
                if bit == "#":
                    x = left + i * ADVANCE + col * SCALE
                    y = top + row * SCALE
                    fill(canvas, x, y, x + SCALE, y + SCALE, TEXT)


def draw_message(canvas, lines):
    block_height = len(lines) * LINE_HEIGHT + (len(lines) - 1) * LINE_GAP
    top = (VISIBLE_HEIGHT - block_height) // 2
    widest = max(text_width(line) for line in lines)
    # Clear the grid behind the words so they stand alone.
    pad = 8
    fill(canvas, (WIDTH - widest) // 2 - pad, top - pad, (WIDTH + widest) // 2 + pad,
         top + block_height + pad, BACKGROUND)
    for n, line in enumerate(lines):
        draw_text(canvas, line, (WIDTH - text_width(line)) // 2, top + n * (LINE_HEIGHT + LINE_GAP))


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def png_bytes(canvas):
    raw = b"".join(b"\x00" + bytes(v for pixel in row for v in pixel) for row in canvas)
    header = struct.pack(">IIBBBBB", WIDTH, HEIGHT, 8, 2, 0, 0, 0)  # 8-bit RGB, not interlaced
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) +
            chunk(b"IEND", b""))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "assets", "ErrorGraph.png")
    canvas = new_canvas()
    draw_grid(canvas)
    draw_message(canvas, ["Grafiek niet", "beschikbaar"])
    with open(out, "wb") as f:
        f.write(png_bytes(canvas))


if __name__ == "__main__":
    main()
