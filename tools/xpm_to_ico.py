#!/usr/bin/env python3
"""xpm_to_ico.py XPM ICO: writes the XPM picture (one character per pixel, "c #RRGGBB" or "c None"
colours) as a Windows icon of one 32-bit image, for the executable's resources."""
import re
import struct
import sys


def read_xpm(path):
    strings = re.findall(r'"((?:[^"\\]|\\.)*)"', open(path, encoding="ascii").read())
    width, height, colours, per_pixel = (int(v) for v in strings[0].split()[:4])
    palette = {}
    for line in strings[1:1 + colours]:
        key, value = line[:per_pixel], line[per_pixel:].split()
        colour = value[value.index("c") + 1]
        palette[key] = None if colour.lower() == "none" else tuple(int(colour[i:i + 2], 16) for i in (1, 3, 5))
    rows = strings[1 + colours:1 + colours + height]
    pixels = [[palette[row[x * per_pixel:(x + 1) * per_pixel]] for x in range(width)] for row in rows]
    return width, height, pixels


def icon(width, height, pixels):
    colour = bytearray()
    mask = bytearray()
    mask_row = (width + 31) // 32 * 4
    for row in reversed(pixels):  # a DIB is stored bottom-up
        bits = bytearray(mask_row)
        for x, pixel in enumerate(row):
            if pixel is None:
                colour += b"\0\0\0\0"
                bits[x // 8] |= 0x80 >> (x % 8)
            else:
                colour += bytes((pixel[2], pixel[1], pixel[0], 255))
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 32, 0, len(colour) + len(mask), 0, 0, 0, 0)
    image = header + colour + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32, len(image), 6 + 16)
    return directory + entry + image


def main():
    width, height, pixels = read_xpm(sys.argv[1])
    with open(sys.argv[2], "wb") as f:
        f.write(icon(width, height, pixels))


main()
