#!/usr/bin/env python3
"""Draws the two sample pictures that ship with Brodix, so that a new user has something to
chart on the first start:

  flower.bmp   120 x 80, eight flat colours: charts as it is.
  sunset.bmp   200 x 150, soft shading with thousands of colours: too many for a chart as it
               is, so it shows what the level choices are for (4 levels each give at most 64).

Run by hand when the designs change; the results live in examples/ and are committed:
    python3 tools/make_examples.py examples
Only the standard library is used; the output is the same byte for byte on every run.
"""
import math
import struct
import sys
from pathlib import Path


def write_bmp(path, pixels):
    """A 24-bit BMP, rows bottom-up, each padded to four bytes; pixels[y][x] = (r, g, b)."""
    height, width = len(pixels), len(pixels[0])
    stride = (width * 3 + 3) // 4 * 4
    data = bytearray()
    for row in reversed(pixels):
        for (r, g, b) in row:
            data += bytes((b, g, r))
        data += bytes(stride - width * 3)
    header_size = 14 + 40
    file_header = struct.pack("<2sIHHI", b"BM", header_size + len(data), 0, 0, header_size)
    # 2835 pixels per metre is 72 dots per inch.
    info_header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835,
                              2835, 0, 0)
    path.write_bytes(file_header + info_header + data)


# --- flower: flat colours only, every pixel decided by plain geometry -----------------------

SKY = (214, 236, 248)
GRASS = (104, 168, 72)
STEM = (40, 120, 56)
LEAF = (64, 150, 64)
PETAL = (224, 72, 120)
PETAL_EDGE = (160, 32, 80)
HEART = (248, 200, 48)
POT = (184, 96, 56)


def inside_ellipse(x, y, cx, cy, rx, ry, angle=0.0):
    c, s = math.cos(angle), math.sin(angle)
    dx, dy = x - cx, y - cy
    u, v = dx * c + dy * s, -dx * s + dy * c
    return (u / rx) ** 2 + (v / ry) ** 2 <= 1.0


def flower_pixel(x, y):
    cx, cy = 60, 28  # the flower's heart
    if (x - cx) ** 2 + (y - cy) ** 2 <= 36:
        return HEART
    for k in range(6):
        angle = k * math.pi / 3
        px, py = cx + 13 * math.cos(angle), cy + 13 * math.sin(angle)
        if inside_ellipse(x, y, px, py, 10, 6, angle):
            inner = inside_ellipse(x, y, px, py, 8.5, 4.5, angle)
            return PETAL if inner else PETAL_EDGE
    if 58 <= x <= 61 and 40 <= y <= 66:
        return STEM
    if inside_ellipse(x, y, 47, 54, 11, 4, -0.5) or inside_ellipse(x, y, 73, 50, 11, 4, 0.5):
        return LEAF
    # A pot whose sides lean inwards towards its foot.
    if 64 <= y <= 79:
        half = 18 - (y - 64) // 3
        if abs(x - 60 + 0.5) <= half:
            return POT
    if y >= 72:
        return GRASS
    return SKY


def flower():
    return [[flower_pixel(x, y) for x in range(120)] for y in range(80)]


# --- sunset: smooth gradients, a glowing sun, shaded hills and a lake ------------------------

def mix(a, b, t):
    t = min(1.0, max(0.0, t))
    return tuple(p + (q - p) * t for p, q in zip(a, b))


def clamp(colour):
    return tuple(min(255, max(0, int(round(c)))) for c in colour)


HORIZON = 96
SUN = (150.0, 78.0, 14.0)  # centre x, centre y, radius


def sky(x, y):
    top, middle, low = (40, 48, 120), (200, 96, 120), (252, 180, 96)
    t = y / HORIZON
    colour = mix(top, middle, t / 0.6) if t < 0.6 else mix(middle, low, (t - 0.6) / 0.4)
    sx, sy, radius = SUN
    d = math.hypot(x - sx, y - sy)
    if d <= radius:
        return mix((255, 244, 200), (255, 216, 120), d / radius)
    glow = math.exp(-(d - radius) / 22.0)
    return mix(colour, (255, 220, 150), 0.7 * glow)


def hill_top(x, phase, height, base):
    return base - height * (0.5 + 0.5 * math.sin(x / 23.0 + phase)) * (0.8 + 0.2 * math.sin(x / 7.3))


def land(x, y):
    """The colour of the hills at (x, y), or None where the sky shows."""
    far, near = hill_top(x, 1.0, 18, HORIZON), hill_top(x, 3.2, 26, HORIZON + 4)
    if y >= near:
        # Lit from the sun on the right: slopes that face it are lighter.
        slope = hill_top(x + 1, 3.2, 26, HORIZON + 4) - near
        light = 0.55 + 0.35 * math.tanh(-slope * 2) + 0.1 * (y - near) / 30
        return mix((24, 60, 32), (96, 140, 64), light)
    if y >= far:
        depth = (y - far) / max(1.0, HORIZON - far)
        return mix((120, 96, 140), (72, 64, 110), depth)
    return None


def sunset_pixel(x, y):
    if y < HORIZON:
        colour = land(x, y)
        return clamp(colour if colour is not None else sky(x, y))
    # The lake mirrors the sky, darker and rippled, fading towards the shore.
    ripple = 2.0 * math.sin(y * 1.7 + x / 9.0)
    mirror_y = max(0, min(HORIZON - 1, 2 * HORIZON - y + ripple))
    reflected = land(x, mirror_y) or sky(x, mirror_y)
    depth = (y - HORIZON) / (150 - HORIZON)
    return clamp(mix(reflected, (16, 24, 56), 0.25 + 0.5 * depth))


def sunset():
    return [[sunset_pixel(x, y) for x in range(200)] for y in range(150)]


def main():
    folder = Path(sys.argv[1] if len(sys.argv) > 1 else "examples")
    folder.mkdir(parents=True, exist_ok=True)
    write_bmp(folder / "flower.bmp", flower())
    write_bmp(folder / "sunset.bmp", sunset())


if __name__ == "__main__":
    main()
