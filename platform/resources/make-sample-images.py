#!/usr/bin/env python3
"""Writes the small images compiled into the engine library as resources.

quarn_checker.bmp: 3 x 2, 24-bit, bottom-up, rows padded to 4 bytes.
quarn_checker.tga: 3 x 2, 32-bit, run-length coded, bottom-left origin.
Pixels, top row first: red, green, blue / white, black, (50, 100, 150) with alpha 128 in TGA.
"""
import os
import struct

TOP = [(255, 0, 0), (0, 255, 0), (0, 0, 255)]
BOTTOM = [(255, 255, 255), (0, 0, 0), (50, 100, 150)]
HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "images")


def bmp():
    rows = b""
    for row in (BOTTOM, TOP):  # bottom-up
        line = b"".join(bytes((b, g, r)) for r, g, b in row)
        rows += line + b"\0" * (-len(line) % 4)
    info = struct.pack("<IiiHHIIiiII", 40, 3, 2, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    header = b"BM" + struct.pack("<IHHI", 14 + len(info) + len(rows), 0, 0, 54)
    return header + info + rows


def tga():
    header = struct.pack("<BBBHHBHHHHBB", 0, 0, 10, 0, 0, 0, 0, 0, 3, 2, 32, 8)
    data = b""
    for row in (BOTTOM, TOP):
        pixels = [bytes((b, g, r, 128 if (r, g, b) == (50, 100, 150) else 255))
                  for r, g, b in row]
        data += bytes((len(pixels) - 1,)) + b"".join(pixels)  # one raw packet per row
    return header + data


for name, content in (("quarn_checker.bmp", bmp()), ("quarn_checker.tga", tga())):
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(content)
