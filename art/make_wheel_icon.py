#!/usr/bin/env python3
"""Draws the kit's application icon, a steering wheel above its pedal unit, and writes it as a
Windows .ico file with one 48 x 48 image in 32-bit BGRA (with alpha).

Usage: make_wheel_icon.py <output.ico>

Standard library only. Every shape is a function that says which colour a point has (or none);
each pixel averages 4 x 4 samples so the edges come out smooth.
"""
import math
import struct
import sys

SIZE = 48
SAMPLES = 4

WHEEL_X, WHEEL_Y = 24.0, 18.5
RIM_OUTER, RIM_INNER = 16.5, 12.5
HUB_RADIUS = 5.0

RIM = (38, 40, 48)
RIM_LIGHT = (110, 114, 128)
SPOKE = (150, 154, 166)
HUB = (70, 72, 82)
BADGE = (200, 32, 36)
MARKER = (220, 40, 40)
BASE = (58, 60, 70)
PEDAL = (196, 198, 208)
PEDAL_GRIP = (120, 122, 134)


def mix(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def rounded_box(x, y, left, top, right, bottom, radius):
    """Whether (x, y) lies in the box with rounded corners."""
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def pedal_unit(x, y):
    for left in (12.5, 27.5):
        # Each pedal leans back: narrower at the top, like a pad seen from the driver's seat.
        inset = (45.0 - y) * 0.15
        if rounded_box(x, y, left + inset, 35.0, left + 8 - inset, 45.0, 1.2):
            groove = int((y - 35) / 2) % 2 == 1 and left + 2 < x < left + 6
            return PEDAL_GRIP if groove else PEDAL
    return BASE if rounded_box(x, y, 7, 39, 41, 47, 2.5) else None


def wheel(x, y):
    dx, dy = x - WHEEL_X, y - WHEEL_Y
    r = math.hypot(dx, dy)
    if RIM_INNER <= r <= RIM_OUTER:
        if abs(dx) < 1.8 and dy < 0:
            return MARKER
        # Light from the upper left.
        light = max(0.0, (-dx - dy) / (r * math.sqrt(2))) if r else 0.0
        return mix(RIM, RIM_LIGHT, light * 0.8)
    if r <= HUB_RADIUS:
        return BADGE if r <= 2.4 else HUB
    if r < RIM_INNER + 0.5:
        if abs(dy) <= 2.0 and dx != 0:
            return SPOKE
        if dy > 0 and abs(dx) <= 2.4:
            return SPOKE
    return None


def colour_at(x, y):
    """The colour of the point, (r, g, b) or None for nothing; the wheel lies above the pedals."""
    return wheel(x, y) or pedal_unit(x, y)


def render():
    """Rows top to bottom of (b, g, r, a) pixels, alpha not premultiplied."""
    rows = []
    for py in range(SIZE):
        row = []
        for px in range(SIZE):
            total = [0, 0, 0]
            covered = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    c = colour_at(px + (sx + 0.5) / SAMPLES, py + (sy + 0.5) / SAMPLES)
                    if c:
                        covered += 1
                        for i in range(3):
                            total[i] += c[i]
            if covered:
                r, g, b = (round(t / covered) for t in total)
                row.append((b, g, r, round(255 * covered / SAMPLES ** 2)))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def ico_bytes(rows):
    mask_stride = ((SIZE + 31) // 32) * 4
    pixels = b"".join(bytes(p) for row in reversed(rows) for p in row)
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, p in enumerate(row):
            if p[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    image_size = len(pixels) + len(mask)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, image_size, 0, 0, 0, 0)
    image = header + pixels + bytes(mask)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 6 + 16)
    return directory + entry + image


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    with open(sys.argv[1], "wb") as out:
        out.write(ico_bytes(render()))


if __name__ == "__main__":
    main()
