#!/usr/bin/env python3
"""Draws the logos that the sparse package's manifest names (Windows shows
them for the package in its settings pages, never in the context menu):
the Varnoke mark of the menu bitmaps, enlarged by whole pixels and centred
on a transparent square, as RGBA PNG files under package/ in the resources
folder.

Usage: tools/assets/draw_package_logos.py [resources folder]
(default: resources/ of this checkout; standard library only)
"""
import os
import struct
import sys
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from draw_menu_bitmaps import KEY, MARK, MARK_PARTS, render  # noqa: E402

# The names the manifest uses, and their sizes in pixels.
LOGOS = {"StoreLogo.png": 50, "Square150x150Logo.png": 150, "Square44x44Logo.png": 44}


def png_bytes(rows):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    size = len(rows)
    raw = b"".join(b"\0" + bytes(channel for pixel in row for channel in pixel) for row in rows)
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)  # 8 bits, RGBA
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def logo(mark, size):
    scale = size // len(mark)
    margin = (size - scale * len(mark)) // 2
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            my, mx = (y - margin) // scale, (x - margin) // scale
            inside = 0 <= y - margin < scale * len(mark) and 0 <= x - margin < scale * len(mark)
            colour = mark[my][mx] if inside else None
            row.append((0, 0, 0, 0) if colour in (None, KEY) else tuple(colour) + (255,))
        rows.append(row)
    return rows


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    resources = sys.argv[1] if len(sys.argv) > 1 else os.path.normpath(os.path.join(here, "..", "..", "resources"))
    folder = os.path.join(resources, "package")
    os.makedirs(folder, exist_ok=True)
    mark = render(MARK, MARK_PARTS, 0)
    for name, size in LOGOS.items():
        with open(os.path.join(folder, name), "wb") as out:
            out.write(png_bytes(logo(mark, size)))
        print(os.path.join(folder, name))


if __name__ == "__main__":
    main()
