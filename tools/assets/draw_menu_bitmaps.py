#!/usr/bin/env python3
"""Draws the twelve menu bitmaps at 16, 20, 24 and 32 pixels (resources
201-212 at 16, 213-248 at the larger sizes) and writes them as BMP files
under bitmaps/ in the resources folder.

Each picture is a character grid; every character names a part of the
picture, and each part has one colour per variant:
  normal, highlighted (a white silhouette for the highlight colour),
  grayed, grayed highlighted.
None stands for the see-through key colour, magenta.

The grids are drawn for 16 pixels; a larger picture takes for each pixel
the cell under its centre, so every edge stays one colour wide and hard (no
blur from the menu stretching a small picture), and the mark's gradient is
recomputed for its height.

The Varnoke mark is 24 bits per pixel at 16 pixels (its fill is a
gradient) and 8 bits with a palette of its own colours at the larger sizes,
which keeps the module small; "DOS Box" and "Delete" use the 16 standard
colours.

Usage: tools/assets/draw_menu_bitmaps.py [resources folder]
(default: resources/ of this checkout; standard library only)
"""
import os
import struct
import sys

KEY = (255, 0, 255)
BLACK = (0, 0, 0)
NAVY = (0, 0, 128)
GREY = (128, 128, 128)
SILVER = (192, 192, 192)
WHITE = (255, 255, 255)

# The 16 standard colours, in the order of the system palette.
PALETTE16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]

VARIANTS = ("normal", "highlighted", "grayed", "grayed highlighted")

# The Varnoke mark: a rounded tile with a "V" cut out of it and a spark.
MARK = [
    "................",
    "...##########...",
    "..#oooooooooo#..",
    ".#oooooooooo*o#.",
    ".#oVVooooooVVo#.",
    ".#oVVooooooVVo#.",
    ".#ooVVooooVVoo#.",
    ".#ooVVooooVVoo#.",
    ".#oooVVooVVooo#.",
    ".#oooVVooVVooo#.",
    ".#ooooVVVVoooo#.",
    ".#ooooVVVVoooo#.",
    ".#oooooVVooooo#.",
    "..#oooooooooo#..",
    "...##########...",
    "................",
]


def mark_fill(row, col):
    # Teal at the top running into deep blue at the bottom.
    t = row / 15.0
    return (int(0 + 10 * t), int(150 - 90 * t), int(170 + 40 * t))


MARK_PARTS = {
    ".": (None, None, None, None),
    "#": ((0, 40, 90), WHITE, GREY, SILVER),
    "o": (mark_fill, None, SILVER, None),
    "V": (WHITE, WHITE, WHITE, SILVER),
    "*": ((255, 220, 60), WHITE, WHITE, SILVER),
}

# A command-prompt window: frame, title bar with buttons, black body with a
# prompt and a cursor.
DOSBOX = [
    "................",
    "GGGGGGGGGGGGGGGG",
    "GNNNNNNNNNNNNNNG",
    "GNNNNNNNNNSNSNSG",
    "GNNNNNNNNNNNNNNG",
    "GKKKKKKKKKKKKKKG",
    "GKPKKKKKKKKKKKKG",
    "GKKPKKKKKKKKKKKG",
    "GKKKPKKKKKKKKKKG",
    "GKKPKKKKKKKKKKKG",
    "GKPKKKCCCCKKKKKG",
    "GKKKKKKKKKKKKKKG",
    "GKKKKKKKKKKKKKKG",
    "GKKKKKKKKKKKKKKG",
    "GGGGGGGGGGGGGGGG",
    "................",
]

DOSBOX_PARTS = {
    ".": (None, None, None, None),
    "G": (GREY, WHITE, GREY, SILVER),
    "N": (NAVY, WHITE, GREY, SILVER),
    "S": (SILVER, None, SILVER, None),
    "K": (BLACK, None, SILVER, None),
    "P": (SILVER, WHITE, GREY, SILVER),
    "C": (WHITE, WHITE, GREY, SILVER),
}

# A waste bin: lid with its handle, and a ribbed body lit from the left.
DELETE = [
    "................",
    "......DDDD......",
    "......D..D......",
    "..DDDDDDDDDDDD..",
    "..DWWWSSSSSSSD..",
    "..DDDDDDDDDDDD..",
    "...DWSGSSGSSGD..",
    "...DWSGSSGSSGD..",
    "...DWSGSSGSSGD..",
    "...DWSGSSGSSGD..",
    "...DWSGSSGSSGD..",
    "...DWSGSSGSSGD..",
    "...DWSGSSGSSGD..",
    "...DSSGSSGSSGD..",
    "....DDDDDDDDD...",
    "................",
]

DELETE_PARTS = {
    ".": (None, None, None, None),
    "D": (BLACK, WHITE, GREY, SILVER),
    "W": (WHITE, None, WHITE, None),
    "S": (SILVER, None, SILVER, None),
    "G": (GREY, WHITE, GREY, SILVER),
}

GRID = 16

# Resource ids of the variants at each size, and the colour depth of each
# picture.
PICTURES = [
    ("varnoke", MARK, MARK_PARTS, 24,
     {16: (201, 202, 203, 204), 20: (213, 214, 215, 216), 24: (225, 226, 227, 228), 32: (237, 238, 239, 240)}),
    ("dosbox", DOSBOX, DOSBOX_PARTS, 4,
     {16: (205, 206, 207, 208), 20: (217, 218, 219, 220), 24: (229, 230, 231, 232), 32: (241, 242, 243, 244)}),
    ("delete", DELETE, DELETE_PARTS, 4,
     {16: (209, 210, 211, 212), 20: (221, 222, 223, 224), 24: (233, 234, 235, 236), 32: (245, 246, 247, 248)}),
]


def cell(pixel, size):
    """The grid cell under the centre of a pixel of a size-pixel picture."""
    return ((2 * pixel + 1) * GRID) // (2 * size)


def render(grid, parts, variant, size=GRID):
    assert len(grid) == GRID and all(len(row) == GRID for row in grid), "pictures are 16x16"
    pixels = []
    for y in range(size):
        line = []
        for x in range(size):
            colour = parts[grid[cell(y, size)][cell(x, size)]][variant]
            if callable(colour):
                # The row on the grid's scale, so that a gradient runs over
                # the whole height at every size.
                colour = colour(y * (GRID - 1) / (size - 1), x * (GRID - 1) / (size - 1))
            line.append(KEY if colour is None else colour)
        pixels.append(line)
    return pixels


def depth(bits, size):
    """The larger pictures of a true-colour one hold few enough colours for
    a palette."""
    return 8 if bits == 24 and size != GRID else bits


def file_name(resource_id, name, variant, size):
    suffix = "" if size == GRID else "_%d" % size
    return "%d_%s_%s%s.bmp" % (resource_id, name, VARIANTS[variant].replace(" ", "_"), suffix)


def bmp_bytes(pixels, bits):
    height = len(pixels)
    width = len(pixels[0])
    if bits == 24:
        stride = (width * 3 + 3) & ~3
        palette = b""
        rows = []
        for line in reversed(pixels):
            data = b"".join(struct.pack("<BBB", b, g, r) for (r, g, b) in line)
            rows.append(data + b"\0" * (stride - len(data)))
        colours = 0
    elif bits == 8:
        # Only the colours the picture uses, in order of first appearance.
        colours_used = []
        for line in pixels:
            for colour in line:
                if colour not in colours_used:
                    colours_used.append(colour)
        assert len(colours_used) <= 256
        stride = (width + 3) & ~3
        palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in colours_used)
        rows = []
        for line in reversed(pixels):
            data = bytes(colours_used.index(colour) for colour in line)
            rows.append(data + b"\0" * (stride - len(data)))
        colours = len(colours_used)
    else:
        stride = ((width * 4 + 31) // 32) * 4
        palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE16)
        rows = []
        for line in reversed(pixels):
            indices = [PALETTE16.index(colour) for colour in line]
            data = bytes((indices[i] << 4) | indices[i + 1] for i in range(0, width, 2))
            rows.append(data + b"\0" * (stride - len(data)))
        colours = 16
    image = b"".join(rows)
    offset = 14 + 40 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(image), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, len(image), 2835, 2835, colours, 0)
    return header + info + palette + image


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    resources = sys.argv[1] if len(sys.argv) > 1 else os.path.normpath(os.path.join(here, "..", "..", "resources"))
    out = os.path.join(resources, "bitmaps")
    os.makedirs(out, exist_ok=True)
    for name, grid, parts, bits, sizes in PICTURES:
        for size, ids in sizes.items():
            for variant, resource_id in enumerate(ids):
                path = os.path.join(out, file_name(resource_id, name, variant, size))
                with open(path, "wb") as f:
                    f.write(bmp_bytes(render(grid, parts, variant, size), depth(bits, size)))
                print(path)


if __name__ == "__main__":
    main()
