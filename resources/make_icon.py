#!/usr/bin/env python3
"""Draws the installer's icon, a speaker sending out sound waves, into an .ico.

    make_icon.py OUT.ico

The drawing is pure arithmetic, so the same bytes come out on every machine;
the result is committed as resources/nimbra.ico and only needs redrawing when
this script changes.
"""

import math
import struct
import sys

SIZES = (16, 32)  # Windows scales the 32-pixel image for larger views
SAMPLES = 8  # per pixel and axis, for smooth edges

SPEAKER = (0x34, 0x49, 0x5E)  # dark slate
WAVES = (0x1E, 0x88, 0xE5)  # blue

# The speaker in the unit square, y downwards: a magnet and its cone, both convex.
MAGNET = [(0.08, 0.37), (0.28, 0.37), (0.28, 0.63), (0.08, 0.63)]
CONE = [(0.28, 0.37), (0.52, 0.14), (0.52, 0.86), (0.28, 0.63)]
WAVE_CENTRE = (0.50, 0.50)
WAVE_RADII = (0.20, 0.35)
WAVE_WIDTH = 0.075
WAVE_HALF_ANGLE = math.radians(48)


def inside_convex(polygon, x, y):
    """Clockwise polygon (on screen): the point is right of every edge."""
    for (x0, y0), (x1, y1) in zip(polygon, polygon[1:] + polygon[:1]):
        if (x1 - x0) * (y - y0) - (y1 - y0) * (x - x0) < 0:
            return False
    return True


def on_wave(x, y):
    dx, dy = x - WAVE_CENTRE[0], y - WAVE_CENTRE[1]
    if dx <= 0 or abs(math.atan2(dy, dx)) > WAVE_HALF_ANGLE:
        return False
    distance = math.hypot(dx, dy)
    return any(abs(distance - radius) <= WAVE_WIDTH / 2 for radius in WAVE_RADII)


def shade(x, y):
    if inside_convex(MAGNET, x, y) or inside_convex(CONE, x, y):
        return SPEAKER
    if on_wave(x, y):
        return WAVES
    return None


def render(size):
    """Rows top-down of (b, g, r, a)."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            hits = {}
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    colour = shade((px + (sx + 0.5) / SAMPLES) / size, (py + (sy + 0.5) / SAMPLES) / size)
                    if colour:
                        hits[colour] = hits.get(colour, 0) + 1
            if not hits:
                row.append((0, 0, 0, 0))
                continue
            colour = max(sorted(hits), key=hits.get)
            alpha = round(255 * sum(hits.values()) / (SAMPLES * SAMPLES))
            row.append((colour[2], colour[1], colour[0], alpha))
        rows.append(row)
    return rows


def icon_image(size):
    """One icon image: BITMAPINFOHEADER, 32-bit colour bottom-up, then the AND mask."""
    rows = render(size)
    colour = b"".join(bytes(pixel) for row in reversed(rows) for pixel in row)
    mask_stride = (size + 31) // 32 * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for px, pixel in enumerate(row):
            if pixel[3] == 0:  # transparent where the drawing leaves nothing
                bits[px // 8] |= 0x80 >> (px % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(colour) + len(mask), 0, 0, 0, 0)
    return header + colour + bytes(mask)


def icon_file(sizes):
    images = [icon_image(size) for size in sizes]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries = b""
    for size, image in zip(sizes, images):
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return directory + entries + b"".join(images)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    with open(sys.argv[1], "wb") as out:
        out.write(icon_file(SIZES))


if __name__ == "__main__":
    main()
