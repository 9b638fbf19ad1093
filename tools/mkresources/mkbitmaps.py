#!/usr/bin/env python3
"""Draws the small pictures the instrument controls load by name:

  BMCOUNTER.bmp          90 x 13, 16 colours: digits 0-9 as lime seven-segment figures
                         (7 x 11) on black, one 9 x 13 cell each
  TIWPIN.bmp             6 x 9, 16 colours: a blue pin on silver
  VRCURSORHANDPOINT.cur  32 x 32 black-and-white hand, index finger up, hot spot (10, 5)

  tools/mkresources/mkbitmaps.py [folder]   (default resources/)
"""
import os
import struct
import sys

# The classic 16-colour palette as (red, green, blue).
PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
           (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
           (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
BLACK, SILVER, LIME, BLUE = 0, 7, 10, 12


def bmp4(pixels):
    """A 4-bit BMP file of rows of palette indexes (top row first)."""
    h, w = len(pixels), len(pixels[0])
    stride = ((w * 4 + 31) // 32) * 4
    rows = b""
    for row in reversed(pixels):  # BMP rows run bottom-up
        packed = bytearray(stride)
        for x, v in enumerate(row):
            packed[x // 2] |= v << (0 if x % 2 else 4)
        rows += bytes(packed)
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
    offset = 14 + 40 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(rows), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 4, 0, len(rows), 2835, 2835, 16, 16)
    return header + info + palette + rows


# Segments a-g: top, upper right, lower right, bottom, lower left, upper left, middle.
DIGITS = ["abcdef", "bc", "abdeg", "abcdg", "bcfg", "acdfg", "acdefg", "abc", "abcdefg", "abcdfg"]


def counter_strip():
    w, h, cell = 90, 13, 9
    px = [[BLACK] * w for _ in range(h)]
    # The figure spans columns 1-7 and rows 1-11 of its cell.
    bars = {
        "a": [(x, 1) for x in range(2, 7)], "g": [(x, 6) for x in range(2, 7)],
        "d": [(x, 11) for x in range(2, 7)],
        "f": [(1, y) for y in range(2, 6)], "b": [(7, y) for y in range(2, 6)],
        "e": [(1, y) for y in range(7, 11)], "c": [(7, y) for y in range(7, 11)],
    }
    for d, segs in enumerate(DIGITS):
        for s in segs:
            for x, y in bars[s]:
                px[y][d * cell + x] = LIME
    return px


def pin():
    px = [[SILVER] * 6 for _ in range(9)]
    for y in range(2, 6):
        for x in (2, 3):
            px[y][x] = BLUE
    for y in range(6, 9):
        for x in range(1, 5):
            px[y][x] = BLUE
    return px


def hand():
    """The hand as a set of white pixels; its black outline is every pixel beside one."""
    white = set()

    def box(x0, y0, x1, y1):
        white.update((x, y) for x in range(x0, x1 + 1) for y in range(y0, y1 + 1))

    box(10, 6, 11, 17)    # index finger, its tip just below the hot spot
    box(13, 11, 14, 17)   # middle finger
    box(16, 12, 17, 17)   # ring finger
    box(19, 13, 20, 18)   # little finger
    box(10, 18, 20, 24)   # palm
    box(11, 25, 19, 27)   # wrist
    for y, x0 in ((17, 6), (18, 6), (19, 7), (20, 8), (21, 9)):  # thumb
        box(x0, y, 9, y)
    black = set()
    for x, y in white:
        for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
            if (x + dx, y + dy) not in white:
                black.add((x + dx, y + dy))
    return white, black


def cursor(white, black, hot):
    """A cursor file with one 32 x 32 two-colour image."""
    size = 32
    stride = 4
    xor_rows, and_rows = b"", b""
    for y in reversed(range(size)):
        xr, ar = bytearray(stride), bytearray(stride)
        for x in range(size):
            bit = 0x80 >> (x % 8)
            if (x, y) in white:
                xr[x // 8] |= bit
            elif (x, y) not in black:
                ar[x // 8] |= bit  # see-through
        xor_rows += bytes(xr)
        and_rows += bytes(ar)
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 1, 0, len(xor_rows) + len(and_rows), 0, 0, 2, 0)
    image = info + bytes((0, 0, 0, 0, 255, 255, 255, 0)) + xor_rows + and_rows
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", size, size, 2, 0, hot[0], hot[1], len(image), 6 + 16)
    return directory + entry + image


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "..", "resources")
    files = {
        "BMCOUNTER.bmp": bmp4(counter_strip()),
        "TIWPIN.bmp": bmp4(pin()),
        "VRCURSORHANDPOINT.cur": cursor(*hand(), hot=(10, 5)),
    }
    for name, data in files.items():
        path = os.path.join(out, name)
        with open(path, "wb") as f:
            f.write(data)
        print(f"{os.path.normpath(path)}: {len(data)} bytes")


if __name__ == "__main__":
    main()
