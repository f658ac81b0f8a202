#!/usr/bin/env python3
"""Draws the configuration sheet's pictures and writes them into the
resources folder: the tab icons 124 (Delete) and 125 (DOS Box) in 16
colours, at 16 pixels and at 20, 24 and 32 for finer screens (each pixel
takes the grid cell under its centre, so edges stay hard), and the link label's hand cursor as the two 32x32 planes that
CreateCursor takes.

Usage: tools/assets/draw_config_art.py [resources folder]
(default: resources/ of this checkout; standard library only)
"""
import os
import struct
import sys

# The 16-colour VGA palette, by letter.
PALETTE = [
    ("K", (0, 0, 0)), ("M", (128, 0, 0)), ("D", (0, 128, 0)), ("O", (128, 128, 0)),
    ("N", (0, 0, 128)), ("P", (128, 0, 128)), ("T", (0, 128, 128)), ("S", (192, 192, 192)),
    ("G", (128, 128, 128)), ("R", (255, 0, 0)), ("L", (0, 255, 0)), ("Y", (255, 255, 0)),
    ("B", (0, 0, 255)), ("F", (255, 0, 255)), ("A", (0, 255, 255)), ("W", (255, 255, 255)),
]
INDEX = {letter: i for i, (letter, _) in enumerate(PALETTE)}

# A command window: title bar, black screen with a prompt.
DOSBOX_ICON = [
    "................",
    "KKKKKKKKKKKKKKKK",
    "KNNNNNNNNNNNNNNK",
    "KNNNNNNNNNSKSKSK",
    "KKKKKKKKKKKKKKKK",
    "KKKKKKKKKKKKKKKK",
    "KKSSKKKKKKKKKKKK",
    "KKKSSKKKKKKKKKKK",
    "KKKKSSKKKKKKKKKK",
    "KKKSSKKKKKKKKKKK",
    "KKSSKKKWWWWWKKKK",
    "KKKKKKKKKKKKKKKK",
    "KKKKKKKKKKKKKKKK",
    "KKKKKKKKKKKKKKKK",
    "KKKKKKKKKKKKKKKK",
    "................",
]

# A waste bin with a lid and a ribbed body.
DELETE_ICON = [
    "......KKKK......",
    ".....KG..GK.....",
    ".KKKKKKKKKKKKKK.",
    ".KWSSSSSSSSSSGK.",
    ".KKKKKKKKKKKKKK.",
    "..KWSGSWSGSWGK..",
    "..KWSGSWSGSWGK..",
    "..KWSGSWSGSWGK..",
    "..KWSGSWSGSWGK..",
    "..KWSGSWSGSWGK..",
    "..KWSGSWSGSWGK..",
    "..KWSGSWSGSWGK..",
    "..KWSGSWSGSWGK..",
    "...KSGSWSGSGK...",
    "...KKKKKKKKKK...",
    "................",
]

# Pointing hand; the tip of the index finger is the hot spot (5, 0).
HAND_CURSOR = [
    ".....BB..........",
    "....BWWB.........",
    "....BWWB.........",
    "....BWWB.........",
    "....BWWB.........",
    "....BWWBBB.......",
    "....BWWBWWBBB....",
    "....BWWBWWBWWBB..",
    "....BWWBWWBWWBWB.",
    "BBB.BWWWWWWWWBWWB",
    "BWWBBWWWWWWWWWWWB",
    "BWWWBWWWWWWWWWWWB",
    ".BWWBWWWWWWWWWWWB",
    "..BWWWWWWWWWWWWWB",
    "..BWWWWWWWWWWWWWB",
    "...BWWWWWWWWWWWWB",
    "...BWWWWWWWWWWWB.",
    "....BWWWWWWWWWWB.",
    "....BWWWWWWWWWB..",
    ".....BWWWWWWWWB..",
    ".....BWWWWWWWWB..",
    ".....BBBBBBBBBB..",
]


GRID = 16
ICON_SIZES = (16, 20, 24, 32)


def cell(pixel, size):
    """The grid cell under the centre of a pixel of a size-pixel picture."""
    return ((2 * pixel + 1) * GRID) // (2 * size)


def resample(rows, size):
    assert len(rows) == GRID and all(len(r) == GRID for r in rows)
    return ["".join(rows[cell(y, size)][cell(x, size)] for x in range(size)) for y in range(size)]


def image_4bpp(rows):
    size = len(rows)
    colour_stride = ((size * 4 + 31) // 32) * 4
    mask_stride = ((size + 31) // 32) * 4
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for _, (r, g, b) in PALETTE)
    colour = b""
    mask = b""
    for row in reversed(rows):  # bottom-up
        indices = [0 if c == "." else INDEX[c] for c in row]
        data = bytes((indices[i] << 4) | indices[i + 1] for i in range(0, size, 2))
        colour += data + b"\0" * (colour_stride - len(data))
        bits = bytearray(mask_stride)
        for x, c in enumerate(row):
            if c == ".":
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(bits)
    return header + palette + colour + mask


def icon_4bpp(grid):
    """An icon with the grid at every size of ICON_SIZES, 16 pixels first."""
    images = [image_4bpp(resample(grid, size)) for size in ICON_SIZES]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    for size, image in zip(ICON_SIZES, images):
        entries += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(image), offset)
        offset += len(image)
    return directory + entries + b"".join(images)


def cursor_planes(rows):
    """AND and XOR planes, 32 rows of 4 bytes, top-down as CreateCursor wants:
    transparent AND 1 XOR 0, black AND 0 XOR 0, white AND 0 XOR 1."""
    and_plane = bytearray()
    xor_plane = bytearray()
    for y in range(32):
        row = rows[y] if y < len(rows) else ""
        row = row.ljust(32, ".")
        and_bits = xor_bits = 0
        for c in row:
            and_bits = (and_bits << 1) | (1 if c == "." else 0)
            xor_bits = (xor_bits << 1) | (1 if c == "W" else 0)
        and_plane += struct.pack(">I", and_bits)
        xor_plane += struct.pack(">I", xor_bits)
    return bytes(and_plane), bytes(xor_plane)


def c_array(name, data):
    lines = []
    for i in range(0, len(data), 16):
        lines.append("    " + ", ".join("0x%02X" % b for b in data[i:i + 16]) + ",")
    return "constexpr unsigned char %s[%d] = {\n%s\n};\n" % (name, len(data), "\n".join(lines))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    resources = sys.argv[1] if len(sys.argv) > 1 else os.path.normpath(os.path.join(here, "..", "..", "resources"))
    for name, grid in (("DosBoxTab.ico", DOSBOX_ICON), ("DeleteTab.ico", DELETE_ICON)):
        with open(os.path.join(resources, name), "wb") as f:
            f.write(icon_4bpp(grid))
        print(os.path.join(resources, name))
    and_plane, xor_plane = cursor_planes(HAND_CURSOR)
    path = os.path.join(resources, "HandCursor.inc")
    with open(path, "w") as f:
        f.write("// The link label's hand cursor, 32x32 monochrome, hot spot (5, 0).\n")
        f.write("// Generated by tools/assets/draw_config_art.py; edit the drawing there.\n")
        f.write("constexpr int kHandCursorHotX = 5;\nconstexpr int kHandCursorHotY = 0;\n")
        f.write(c_array("kHandCursorAnd", and_plane))
        f.write(c_array("kHandCursorXor", xor_plane))
    print(path)


if __name__ == "__main__":
    main()
