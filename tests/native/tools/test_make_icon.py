"""The program's icon (assets/Quodo.ico): drawn by tools/make_icon.py, and what Windows needs of an
icon file: 16, 32 and 48 pixel images in 32-bit colour, each with its transparency mask."""

import os
import struct
import subprocess
import sys
import tempfile
import unittest

ROOT = os.environ.get("QUODO_ROOT") or os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..", ".."))
ICON = os.path.join(ROOT, "assets", "Quodo.ico")


def read_icon(data):
    """The images of an .ico file: {size: (rows of (b, g, r, a) top first, mask rows of bits top first)}."""
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    assert (reserved, kind) == (0, 1), "not an icon file"
    images = {}
    for i in range(count):
        width, height, _, _, planes, bits, length, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        header = struct.unpack_from("<IiiHHIIiiII", data, offset)
        size = width or 256
        assert (width, height, planes, bits) == (size % 256, size % 256, 1, 32)
        assert header[:5] == (40, size, 2 * size, 1, 32), header
        pixels = offset + 40
        rows = [[tuple(data[pixels + 4 * (y * size + x):pixels + 4 * (y * size + x) + 4]) for x in range(size)]
                for y in range(size)]
        stride = (size + 31) // 32 * 4
        masks = offset + 40 + 4 * size * size
        mask = [[bool(data[masks + y * stride + x // 8] & (0x80 >> (x % 8))) for x in range(size)]
                for y in range(size)]
        assert masks + size * stride == offset + length
        images[size] = (rows[::-1], mask[::-1])  # stored bottom-up
    return images


class IconTest(unittest.TestCase):

    def test_the_committed_icon_is_what_the_script_draws(self):
        with tempfile.TemporaryDirectory() as folder:
            out = os.path.join(folder, "Quodo.ico")
            subprocess.run([sys.executable, os.path.join(ROOT, "tools", "make_icon.py"), out], check=True)
            with open(out, "rb") as f:
                drawn = f.read()
        with open(ICON, "rb") as f:
            self.assertEqual(f.read(), drawn, "assets/Quodo.ico is out of date: run tools/make_icon.py")

    def test_three_sizes_transparent_outside_the_rounded_square_and_masked_there(self):
        with open(ICON, "rb") as f:
            images = read_icon(f.read())
        self.assertEqual(sorted(images), [16, 32, 48])
        for size, (rows, mask) in images.items():
            with self.subTest(size=size):
                for x, y in ((0, 0), (size - 1, 0), (0, size - 1), (size - 1, size - 1)):
                    self.assertEqual(rows[y][x][3], 0)  # the rounded corners
                    self.assertTrue(mask[y][x])
                middle = size // 2
                self.assertEqual(rows[middle][1][3], 255)  # the square's edge, away from the corners
                self.assertFalse(mask[middle][1])
                for y in range(size):
                    for x in range(size):
                        self.assertEqual(mask[y][x], rows[y][x][3] == 0)
                # More than the background colour: the chart line is drawn.
                colours = {pixel[:3] for row in rows for pixel in row if pixel[3] == 255}
                self.assertGreater(len(colours), 4)


if __name__ == "__main__":
    unittest.main()
