#!/usr/bin/env python3
"""Writes resources/disc.png: the scanner's glow, 128 x 64 RGBA.

A white elliptical glow centred in the image whose alpha falls smoothly from 1 at the centre to 0
at the left, top and bottom edges. The scanner samples only the left half, mirrored about the
glow's centre line. Standard library only, so the image can be remade anywhere:

    python3 scripts/make-disc-png.py [output.png]
"""
import os
import struct
import sys
import zlib

WIDTH, HEIGHT = 128, 64


def alpha(x, y):
    # Pixel centres, distance from the image centre in half-sizes (1 at the edges).
    dx = (x + 0.5 - WIDTH / 2) / (WIDTH / 2)
    dy = (y + 0.5 - HEIGHT / 2) / (HEIGHT / 2)
    falloff = max(0.0, 1.0 - (dx * dx + dy * dy))
    return round(255 * falloff * falloff)


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def png():
    rows = bytearray()
    for y in range(HEIGHT):
        rows.append(0)  # no filter
        for x in range(WIDTH):
            rows += bytes((255, 255, 255, alpha(x, y)))
    header = struct.pack(">IIBBBBB", WIDTH, HEIGHT, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(rows), 9)) +
            chunk(b"IEND", b""))


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "resources", "disc.png")
    with open(out, "wb") as f:
        f.write(png())


if __name__ == "__main__":
    main()
