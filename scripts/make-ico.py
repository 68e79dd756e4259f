#!/usr/bin/env python3
"""Writes the program's XPM icon as the Windows .ico: 32 x 32, 16 colours
(4 bits a pixel, the XPM's own palette), fully opaque.
   scripts/make-ico.py resources/lumivar.xpm resources/lumivar.ico"""
import re
import struct
import sys


def read_xpm(path):
    strings = re.findall(r'"([^"]*)"', open(path, encoding="ascii").read())
    width, height, colours, chars = map(int, strings[0].split()[:4])
    palette = {}
    for line in strings[1 : 1 + colours]:
        key, rgb = line[:chars], line.split("c #")[1]
        palette[key] = tuple(int(rgb[i : i + 2], 16) for i in (0, 2, 4))
    pixels = [[row[x * chars : (x + 1) * chars] for x in range(width)] for row in strings[1 + colours :][:height]]
    return width, height, palette, pixels


def main(source, target):
    width, height, palette, pixels = read_xpm(source)
    keys = list(palette)
    assert len(keys) <= 16 and width % 8 == 0
    colour_table = b"".join(struct.pack("BBBB", b, g, r, 0) for r, g, b in (palette[k] for k in keys))
    colour_table += b"\0" * (64 - len(colour_table))
    xor = bytearray()
    for row in reversed(pixels):  # bottom-up
        indices = [keys.index(p) for p in row]
        xor += bytes(indices[i] << 4 | indices[i + 1] for i in range(0, width, 2))
    and_mask = bytes(width // 8 * height)  # every pixel opaque; rows already 32-bit aligned
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 4, 0, len(xor) + len(and_mask), 0, 0, 16, 0)
    image = header + colour_table + bytes(xor) + and_mask
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", width, height, 16, 0, 1, 4, len(image), 22)
    open(target, "wb").write(directory + image)


if __name__ == "__main__":
    main(*sys.argv[1:3])
