#!/usr/bin/env python3
"""Joins the program icon's BMP files (4- or 8-bit, with a palette, as mkicon.sh makes them)
into one Windows icon file, for the executable's resources. Fuchsia (FF00FF) pixels become
see-through: the icon's mask shows the screen there, and the colour image holds black.

  tools/mkresources/mkico.py out.ico in.bmp [in.bmp ...]
"""
import struct
import sys

FUCHSIA = (255, 0, 255)


def read_bmp(path):
    """(width, height, bits, palette as [(r, g, b)], rows of palette indexes, top row first)"""
    data = open(path, "rb").read()
    if data[:2] != b"BM":
        sys.exit(f"{path}: not a BMP file")
    offset, = struct.unpack_from("<I", data, 10)
    size, w, h, _, bits, compression, _, _, _, used = struct.unpack_from("<IiiHHIIiiI", data, 14)
    if bits not in (4, 8) or compression != 0:
        sys.exit(f"{path}: {bits}-bit, compression {compression}; only 4- or 8-bit uncompressed BMP files are read")
    count = used or (1 << bits)
    palette = [tuple(data[14 + size + 4 * i + k] for k in (2, 1, 0)) for i in range(count)]
    stride = (w * bits + 31) // 32 * 4
    rows = []
    for y in range(abs(h)):
        start = offset + (abs(h) - 1 - y if h > 0 else y) * stride  # bottom-up unless h < 0
        row = []
        for x in range(w):
            if bits == 8:
                row.append(data[start + x])
            else:
                b = data[start + x // 2]
                row.append(b & 0x0F if x % 2 else b >> 4)
        rows.append(row)
    return w, abs(h), bits, palette, rows


def icon_image(w, h, bits, palette, rows):
    """One icon image: its header (height doubled for the mask), palette, colours, mask."""
    palette = palette + [(0, 0, 0)] * ((1 << bits) - len(palette))
    black = palette.index((0, 0, 0)) if (0, 0, 0) in palette else 0
    see_through = [[palette[i] == FUCHSIA for i in row] for row in rows]
    stride = (w * bits + 31) // 32 * 4
    mask_stride = (w + 31) // 32 * 4
    colours, mask = b"", b""
    for y in reversed(range(h)):  # rows run bottom-up
        packed = bytearray(stride)
        bitmask = bytearray(mask_stride)
        for x, i in enumerate(rows[y]):
            if see_through[y][x]:
                i = black
                bitmask[x // 8] |= 0x80 >> (x % 8)
            if bits == 8:
                packed[x] = i
            else:
                packed[x // 2] |= i << (0 if x % 2 else 4)
        colours += bytes(packed)
        mask += bytes(bitmask)
    header = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, bits, 0, len(colours) + len(mask), 0, 0, 0, 0)
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    return header + table + colours + mask


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    images = []
    for path in sys.argv[2:]:
        w, h, bits, palette, rows = read_bmp(path)
        images.append((w, h, bits, icon_image(w, h, bits, palette, rows)))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for w, h, bits, image in images:
        colours = 0 if bits >= 8 else 1 << bits
        out += struct.pack("<BBBBHHII", w % 256, h % 256, colours, 0, 1, bits, len(image), offset)
        offset += len(image)
    out += b"".join(image for *_, image in images)
    with open(sys.argv[1], "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
