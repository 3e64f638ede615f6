#!/usr/bin/env python3
"""Converts a 24-bit BMP (as the engine's screenshots are) to PNG with the standard library.

usage: bmp-to-png.py INPUT.bmp OUTPUT.png"""
import struct
import sys
import zlib


def read_bmp(path):
    with open(path, "rb") as f:
        data = f.read()
    if data[:2] != b"BM":
        raise SystemExit(f"{path}: not a BMP file")
    offset, = struct.unpack_from("<I", data, 10)
    width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
    if bits != 24 or width <= 0 or height == 0:
        raise SystemExit(f"{path}: only 24-bit images are converted")
    row = (width * 3 + 3) & ~3
    if len(data) < offset + row * abs(height):
        raise SystemExit(f"{path}: truncated pixel data")
    rows = []
    for y in range(abs(height)):
        line = data[offset + y * row: offset + y * row + width * 3]
        rows.append(bytes(b for x in range(0, len(line), 3) for b in (line[x + 2], line[x + 1], line[x])))
    if height > 0:
        rows.reverse()  # bottom row first in the file
    return width, abs(height), rows


def write_png(path, width, height, rows):
    def chunk(kind, payload):
        body = kind + payload
        return struct.pack(">I", len(payload)) + body + struct.pack(">I", zlib.crc32(body))
    raw = b"".join(b"\0" + r for r in rows)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        f.write(chunk(b"IEND", b""))


if __name__ == "__main__":
    write_png(sys.argv[2], *read_bmp(sys.argv[1]))
