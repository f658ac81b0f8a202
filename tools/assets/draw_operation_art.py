#!/usr/bin/env python3
"""Draws the operation dialog's pictures and writes them into the resources
folder: recycle.ico (121), delete.ico (122), erase.ico (123) and
operation.avi (102). Each icon holds its picture at 32 pixels (the dialog's
at 96 DPI), 16, and 48 and 64 for the dialog on finer screens, those two
PNG-compressed.

Usage: tools/assets/draw_operation_art.py [resources folder]
(default: resources/ of this checkout; standard library only)
"""
import math
import struct
import sys
import zlib
from pathlib import Path

# ---- shapes on a square canvas of unit size, tested per sample point -------


def polygon(points):
    def inside(x, y):
        hit = False
        j = len(points) - 1
        for i, (xi, yi) in enumerate(points):
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                hit = not hit
            j = i
        return hit
    return inside


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def segment(ax, ay, bx, by, width):
    def inside(x, y):
        dx, dy = bx - ax, by - ay
        t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
        return math.hypot(x - ax - t * dx, y - ay - t * dy) <= width / 2
    return inside


def arc(cx, cy, radius, width, start, end):
    """Ring piece between two angles in degrees (counter-clockwise, y down)."""
    def inside(x, y):
        if abs(math.hypot(x - cx, y - cy) - radius) > width / 2:
            return False
        angle = math.degrees(math.atan2(cy - y, x - cx)) % 360
        return (angle - start) % 360 <= (end - start) % 360
    return inside


def render(shapes, size, samples=4):
    """shapes: list of (test, (r, g, b)); later shapes cover earlier ones.
       Returns rows of (r, g, b, a) with antialiased edges."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(samples):
                for sx in range(samples):
                    x = (px + (sx + 0.5) / samples) / size
                    y = (py + (sy + 0.5) / samples) / size
                    for test, colour in reversed(shapes):
                        if test(x, y):
                            acc[0] += colour[0]
                            acc[1] += colour[1]
                            acc[2] += colour[2]
                            acc[3] += 255
                            break
            n = samples * samples
            alpha = acc[3] / n
            if alpha == 0:
                row.append((0, 0, 0, 0))
            else:
                cover = acc[3] / 255
                row.append(tuple(round(c / cover) for c in acc[:3]) + (round(alpha),))
        rows.append(row)
    return rows


# ---- the three mode pictures -----------------------------------------------

OUTLINE = (40, 40, 40)


def bin_shapes(body, rib, lid):
    return [
        (polygon([(0.18, 0.26), (0.82, 0.26), (0.74, 0.95), (0.26, 0.95)]), OUTLINE),
        (polygon([(0.22, 0.29), (0.78, 0.29), (0.71, 0.92), (0.29, 0.92)]), body),
        (segment(0.38, 0.36, 0.40, 0.86, 0.05), rib),
        (segment(0.50, 0.36, 0.50, 0.86, 0.05), rib),
        (segment(0.62, 0.36, 0.60, 0.86, 0.05), rib),
        (rect(0.10, 0.15, 0.90, 0.25), OUTLINE),
        (rect(0.13, 0.17, 0.87, 0.23), lid),
        (rect(0.38, 0.06, 0.62, 0.15), OUTLINE),
        (rect(0.42, 0.09, 0.58, 0.15), lid),
    ]


def recycle_icon():
    green, dark, light = (40, 160, 60), (20, 100, 35), (120, 210, 130)
    shapes = bin_shapes(green, dark, light)
    # A white circling arrow on the bin: recycled, not gone.
    shapes += [
        (arc(0.50, 0.61, 0.17, 0.09, 110, 20), (255, 255, 255)),
        (polygon([(0.62, 0.43), (0.76, 0.58), (0.56, 0.60)]), (255, 255, 255)),
    ]
    return shapes


def delete_icon():
    grey, dark, light = (150, 150, 160), (95, 95, 105), (200, 200, 210)
    shapes = bin_shapes(grey, dark, light)
    red = (215, 30, 30)
    shapes += [
        (segment(0.12, 0.30, 0.88, 0.94, 0.20), (120, 0, 0)),
        (segment(0.88, 0.30, 0.12, 0.94, 0.20), (120, 0, 0)),
        (segment(0.12, 0.30, 0.88, 0.94, 0.13), red),
        (segment(0.88, 0.30, 0.12, 0.94, 0.13), red),
    ]
    return shapes


def erase_icon():
    page = [(0.12, 0.04), (0.62, 0.04), (0.82, 0.24), (0.82, 0.96), (0.12, 0.96)]
    shapes = [
        (polygon(page), OUTLINE),
        (polygon([(0.15, 0.07), (0.60, 0.07), (0.79, 0.26), (0.79, 0.93), (0.15, 0.93)]), (255, 255, 255)),
        (polygon([(0.60, 0.07), (0.79, 0.26), (0.60, 0.26)]), (190, 190, 190)),
    ]
    # Lines of text, the lower ones already rubbed out to a row of dots.
    for i, y in enumerate((0.34, 0.46, 0.58)):
        shapes.append((rect(0.22, y, 0.70 - 0.08 * (i % 2), y + 0.05), (40, 70, 160)))
    for x in (0.24, 0.34, 0.44):
        shapes.append((rect(x, 0.72, x + 0.04, 0.76), (150, 170, 220)))
    # The eraser lies across the lower right corner.
    block = [(0.46, 0.74), (0.80, 0.44), (0.99, 0.64), (0.65, 0.94)]
    band = [(0.46, 0.74), (0.60, 0.62), (0.79, 0.82), (0.65, 0.94)]
    shapes += [
        (polygon(block), OUTLINE),
        (polygon([(0.50, 0.74), (0.80, 0.48), (0.95, 0.64), (0.65, 0.90)]), (235, 90, 120)),
        (polygon(band), (60, 90, 200)),
    ]
    return shapes


def png_image(size, rows):
    """One picture as a PNG of 8-bit RGBA, as an icon may hold it in place of
    a bitmap (read by the system since Windows Vista)."""
    def block(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))
    raw = b''.join(b'\0' + bytes(c for pixel in row for c in pixel) for row in rows)
    header = struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0)
    return b'\x89PNG\r\n\x1a\n' + block(b'IHDR', header) + block(b'IDAT', zlib.compress(raw, 9)) + block(b'IEND', b'')


# Pictures from this size up are stored compressed: they are what keeps the
# module small, and systems that draw at such sizes read PNG entries.
PNG_FROM = 48


def ico_file(images):
    """images: list of (size, rows) -> bytes of a .ico with 32-bit images,
    PNG-compressed from PNG_FROM pixels up."""
    header = struct.pack('<HHH', 0, 1, len(images))
    entries, blobs = b'', b''
    offset = 6 + 16 * len(images)
    for size, rows in images:
        if size >= PNG_FROM:
            blob = png_image(size, rows)
            entries += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32, len(blob), offset)
            blobs += blob
            offset += len(blob)
            continue
        xor = b''.join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
        mask_stride = ((size + 31) // 32) * 4
        mask = b''
        for row in reversed(rows):
            bits = bytearray(mask_stride)
            for x, pixel in enumerate(row):
                if pixel[3] < 128:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bytes(bits)
        info = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
        blob = info + xor + mask
        entries += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32, len(blob), offset)
        blobs += blob
        offset += len(blob)
    return header + entries + blobs


# ---- the clip: a sheet flies from the folder into the bin ------------------

WIDTH, HEIGHT, FRAMES = 304, 60, 24
PALETTE = [
    (192, 192, 192),  # 0 background, shown as the dialog's own colour
    (40, 40, 40),     # 1 outline
    (240, 200, 60),   # 2 folder
    (200, 150, 30),   # 3 folder back
    (255, 255, 255),  # 4 sheet
    (40, 70, 160),    # 5 text on the sheet
    (150, 150, 160),  # 6 bin
    (95, 95, 105),    # 7 bin ribs
    (120, 120, 120),  # 8 trail
]


def clip_frame(frame):
    pixels = [[0] * WIDTH for _ in range(HEIGHT)]

    def fill(x0, y0, x1, y1, index):
        for y in range(max(0, y0), min(HEIGHT, y1)):
            row = pixels[y]
            for x in range(max(0, x0), min(WIDTH, x1)):
                row[x] = index

    # Open folder on the left.
    fill(14, 18, 36, 24, 1)
    fill(15, 19, 35, 24, 3)
    fill(14, 22, 74, 54, 1)
    fill(15, 23, 73, 53, 3)
    fill(18, 30, 78, 54, 1)
    fill(19, 31, 77, 53, 2)
    # Bin on the right, wider at the top.
    for y in range(20, 56):
        inset = (y - 20) // 6
        fill(236 + inset, y, 284 - inset, y + 1, 1)
        fill(238 + inset, y, 282 - inset, y + 1, 6 if y > 21 else 1)
    for x in (250, 260, 270):
        fill(x, 25, x + 2, 52, 7)
    fill(230, 14, 290, 19, 1)
    fill(250, 10, 270, 14, 1)
    # The sheet travels on an arc; a dotted trail shows where it came from.
    t = frame / (FRAMES - 1)
    for k in range(1, 6):
        tt = t - k * 0.04
        if tt > 0:
            tx = int(60 + tt * 180)
            ty = int(34 - math.sin(math.pi * tt) * 28)
            fill(tx + 8, ty + 8, tx + 10, ty + 10, 8)
    sx = int(60 + t * 180)
    sy = int(34 - math.sin(math.pi * t) * 28)
    fill(sx, sy, sx + 18, sy + 22, 1)
    fill(sx + 1, sy + 1, sx + 17, sy + 21, 4)
    for line in range(4):
        fill(sx + 3, sy + 4 + line * 4, sx + 15 - (line % 2) * 4, sy + 6 + line * 4, 5)
    return pixels


def rle8(pixels):
    """BI_RLE8 bottom-up: encoded runs only, end of line after every row."""
    out = bytearray()
    for row in reversed(pixels):
        x = 0
        while x < len(row):
            run = 1
            while x + run < len(row) and row[x + run] == row[x] and run < 255:
                run += 1
            out += bytes((run, row[x]))
            x += run
        out += b'\x00\x00'
    out[-2:] = b'\x00\x01'  # the last end of line becomes end of bitmap
    return bytes(out)


def chunk(fourcc, data):
    return fourcc + struct.pack('<I', len(data)) + data + (b'\x00' if len(data) % 2 else b'')


def avi_file():
    frames = [rle8(clip_frame(f)) for f in range(FRAMES)]
    largest = max(len(f) for f in frames)
    micro = 100000  # 100 ms a frame
    avih = struct.pack('<IIIIIIIIII4I', micro, largest * 10, 0, 0x10, FRAMES, 0, 1, largest, WIDTH, HEIGHT,
                       0, 0, 0, 0)
    strh = b'vids' + b'RLE ' + struct.pack('<IHHIIIIIIIIhhhh', 0, 0, 0, 0, 1, 10, 0, FRAMES, largest,
                                           0xFFFFFFFF, 0, 0, 0, WIDTH, HEIGHT)
    palette = b''.join(bytes((b, g, r, 0)) for (r, g, b) in PALETTE) + bytes(4 * (256 - len(PALETTE)))
    strf = struct.pack('<IiiHHIIiiII', 40, WIDTH, HEIGHT, 1, 8, 1, largest, 0, 0, 256, 0) + palette
    strl = chunk(b'LIST', b'strl' + chunk(b'strh', strh) + chunk(b'strf', strf))
    hdrl = chunk(b'LIST', b'hdrl' + chunk(b'avih', avih) + strl)
    movi_body = b'movi'
    index = b''
    for f in frames:
        index += b'00dc' + struct.pack('<III', 0x10, len(movi_body), len(f))
        movi_body += chunk(b'00dc', f)
    movi = chunk(b'LIST', movi_body)
    body = b'AVI ' + hdrl + movi + chunk(b'idx1', index)
    return b'RIFF' + struct.pack('<I', len(body)) + body


def main():
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent.parent / 'resources'
    for name, shapes in (('recycle', recycle_icon()), ('delete', delete_icon()), ('erase', erase_icon())):
        images = [(size, render(shapes, size)) for size in (32, 16, 48, 64)]
        (out / f'{name}.ico').write_bytes(ico_file(images))
        print(out / f'{name}.ico')
    (out / 'operation.avi').write_bytes(avi_file())
    print(out / 'operation.avi')


if __name__ == '__main__':
    main()
