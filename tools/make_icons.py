#!/usr/bin/env python3
"""Draws the program's icons: a cross-stitched heart on aida cloth for the main window and the
desktop, and a magnifier over stitches for the zoom window.

Run by hand when the design changes; the results live in ui/icons/ and are committed:
    python3 tools/make_icons.py ui/icons
Writes brodix-32.xpm and brodix-zoom-32.xpm (16 colours, for the windows) and brodix-48/64/128/
256.png (for desktops). Only the standard library is used.
"""
import struct
import sys
import zlib
from pathlib import Path

CLOTH = (244, 238, 220)
HOLE = (196, 186, 160)
EDGE = (128, 96, 64)
UNDER = (176, 24, 40)   # the first leg of each stitch, lying underneath
OVER = (228, 52, 64)    # the second leg, on top
LEAF_UNDER = (24, 96, 48)
LEAF_OVER = (52, 150, 76)
LENS_RIM = (40, 40, 48)
LENS_GLASS = (200, 228, 244)
HANDLE = (96, 64, 32)

HEART = [
    "........",
    ".HH..HH.",
    "HHHHHHHH",
    "HHHHHHHH",
    ".HHHHHH.",
    "..HHHH..",
    "...HH...",
    "........",
]

SPRIG = [
    "........",
    "...L....",
    "..LLL...",
    ".LLHLL..",
    "..LLL...",
    "...L....",
    "........",
    "........",
]


def cloth(size, cells):
    cell = size // cells
    img = [[CLOTH] * size for _ in range(size)]
    for y in range(0, size, cell):
        for x in range(0, size, cell):
            img[y][x] = HOLE
    return img, cell


def stitch(img, cx, cy, cell, under, over):
    """One cross stitch in cell (cx, cy): '\\' underneath, '/' on top."""
    width = max(1, cell // 4)
    for i in range(cell):
        for t in range(width):
            for (x, y, colour) in ((i, i, under), (cell - 1 - i, i, over)):
                xx = cx * cell + min(cell - 1, x + t)
                img[cy * cell + y][xx] = colour


def frame(img):
    size = len(img)
    for i in range(size):
        img[0][i] = img[size - 1][i] = img[i][0] = img[i][size - 1] = EDGE


def heart_icon(size):
    img, cell = cloth(size, 8)
    for cy, row in enumerate(HEART):
        for cx, c in enumerate(row):
            if c == "H":
                stitch(img, cx, cy, cell, UNDER, OVER)
    frame(img)
    return img


def zoom_icon(size):
    img, cell = cloth(size, 8)
    for cy, row in enumerate(SPRIG):
        for cx, c in enumerate(row):
            if c == "L":
                stitch(img, cx, cy, cell, LEAF_UNDER, LEAF_OVER)
            elif c == "H":
                stitch(img, cx, cy, cell, UNDER, OVER)
    # The lens lies over the sprig; its handle runs to the bottom-right corner.
    centre = size * 0.42
    outer = size * 0.36
    rim = max(1.5, size / 16)
    for y in range(size):
        for x in range(size):
            d = ((x + 0.5 - centre) ** 2 + (y + 0.5 - centre) ** 2) ** 0.5
            if outer - rim <= d <= outer:
                img[y][x] = LENS_RIM
            elif d < outer - rim and (x + y) % 7 == 0 and x < centre and y < centre:
                img[y][x] = LENS_GLASS
    start = int(centre + outer * 0.7)
    thick = max(2, size // 10)
    for i in range(start, size - 1):
        for t in range(-thick // 2, thick - thick // 2):
            x, y = i + t, i
            if 0 < x < size - 1:
                img[y][x] = HANDLE
    frame(img)
    return img


def write_xpm(path, name, img):
    colours = sorted({c for row in img for c in row})
    assert len(colours) <= 16, "a window icon has at most 16 colours"
    keys = "abcdefghijklmnop"
    lookup = {c: keys[i] for i, c in enumerate(colours)}
    lines = [f'"{len(img[0])} {len(img)} {len(colours)} 1",']
    lines += [f'"{lookup[c]} c #{c[0]:02X}{c[1]:02X}{c[2]:02X}",' for c in colours]
    lines += ['"' + "".join(lookup[c] for c in row) + '",' for row in img]
    lines[-1] = lines[-1].rstrip(",")
    text = "/* XPM */\nstatic const char* " + name + "[] = {\n" + "\n".join(lines) + "\n};\n"
    path.write_text(text)


def write_png(path, img):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    height, width = len(img), len(img[0])
    raw = b"".join(b"\x00" + bytes(v for c in row for v in c) for row in img)
    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9))
    png += chunk(b"IEND", b"")
    path.write_bytes(png)


def main():
    out = Path(sys.argv[1] if len(sys.argv) > 1 else "ui/icons")
    out.mkdir(parents=True, exist_ok=True)
    write_xpm(out / "brodix-32.xpm", "brodix_32", heart_icon(32))
    write_xpm(out / "brodix-zoom-32.xpm", "brodix_zoom_32", zoom_icon(32))
    for size in (48, 64, 128, 256):
        write_png(out / f"brodix-{size}.png", heart_icon(size))


if __name__ == "__main__":
    main()
