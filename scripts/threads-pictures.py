#!/usr/bin/env python3
"""Draws the before/after picture of docs/: a 200 x 150 photo-like render with soft shading,
charted once with six levels a channel and once snapped to DMC threads, cleaned and merged to
at most 40 colours. The render enlarged and the enlarged pictures brodix-chart saves
(NAME_CSC.bmp) stand side by side in OUT_DIR/threads-before-after.png.

    scripts/threads-pictures.py BUILD_BIN_DIR OUT_DIR
"""
import math
import os
import struct
import subprocess
import sys


def scene(x, y):
    noise = ((x * 7919 + y * 104729) % 9) - 4.0
    # A sky fading to a warm horizon, green hills, a shaded ball with a highlight.
    r, g, b = 120 + y * 0.9, 170 + y * 0.4, 235 - y * 0.3
    hill = 95 + 12 * math.sin(x / 23.0) + 6 * math.sin(x / 9.0)
    if y > hill:
        d = y - hill
        r, g, b = 70 + d * 0.6 + noise, 120 + d * 0.5 + 1.5 * noise, 45 + d * 0.2 + noise
    dx, dy = (x - 120) / 38.0, (y - 80) / 38.0
    if dx * dx + dy * dy < 1.0:
        dz = math.sqrt(1.0 - dx * dx - dy * dy)
        light = max(0.0, -0.5 * dx - 0.6 * dy + 0.62 * dz)
        shine = light ** 30
        r, g, b = 40 + 190 * light + 60 * shine, 20 + 70 * light + 160 * shine, 30 + 50 * light + 160 * shine
    return tuple(int(min(255, max(0, v))) for v in (r, g, b))


def write_bmp(path, width, height):
    rows = b""
    for y in range(height - 1, -1, -1):
        row = b"".join(bytes((b, g, r)) for r, g, b in (scene(x, y) for x in range(width)))
        rows += row + b"\0" * ((4 - len(row) % 4) % 4)
    header = b"BM" + struct.pack("<IHHI", 54 + len(rows), 0, 0, 54)
    header += struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(rows), 0, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(header + rows)


def main():
    bin_dir, out = sys.argv[1], sys.argv[2]
    os.makedirs(out, exist_ok=True)
    picture = os.path.join(out, "scene.bmp")
    write_bmp(picture, 200, 150)
    chart = os.path.join(bin_dir, "brodix-chart")
    runs = {
        "before": ["--red", "6", "--green", "6", "--blue", "6"],
        "after": ["--snap", "--clean", "--max-colours", "40"],
    }
    for name, options in runs.items():
        subprocess.run([chart, *options, picture, os.path.join(out, name)], check=True,
                       stdout=subprocess.DEVNULL)
    subprocess.run(["convert", picture, "-filter", "point", "-resize", "300%",
                    os.path.join(out, "before_CSC.bmp"), os.path.join(out, "after_CSC.bmp"),
                    "+append", "+repage", os.path.join(out, "threads-before-after.png")], check=True)


if __name__ == "__main__":
    main()
