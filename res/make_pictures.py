#!/usr/bin/env python3
"""Draws the program's pictures and writes them into res/.

The pictures are drawn from simple shapes so that they can be changed here and
rebuilt with `python3 res/make_pictures.py`; the outputs are committed, so the
build itself does not need Python.
"""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def blend(a, b, t):
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


def program_icon(size):
    """A blue disc with a white circular arrow: the update launcher's icon."""
    pixels = []
    c = (size - 1) / 2.0
    r_out = size * 0.47
    ring_out, ring_in = size * 0.34, size * 0.22
    for y in range(size):
        row = []
        for x in range(size):
            dx, dy = x - c, y - c
            d = math.hypot(dx, dy)
            if d > r_out + 0.5:
                row.append((0, 0, 0, 0))
                continue
            alpha = 255 if d <= r_out - 0.5 else int(255 * (r_out + 0.5 - d))
            base = blend((40, 110, 200), (15, 60, 140), d / r_out)
            angle = math.degrees(math.atan2(-dy, dx)) % 360
            on_ring = ring_in <= d <= ring_out and not (20 <= angle <= 75)
            # Arrow head at the gap's lower end.
            ax, ay = c + ring_out * 0.78 * math.cos(math.radians(20)), c - ring_out * 0.78 * math.sin(math.radians(20))
            head = (abs(x - ax) + abs(y - ay)) <= size * 0.14 and y >= ay - size * 0.02
            colour = (255, 255, 255) if on_ring or head else base
            row.append(colour + (alpha,))
        pixels.append(row)
    return pixels


def ico_image(pixels):
    """One ICO directory image: a 32-bit BITMAPINFOHEADER DIB plus AND mask."""
    size = len(pixels)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = bytearray()
    for row in reversed(pixels):
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(pixels):
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(xor) + bytes(mask)


def write_ico(path, images):
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    blobs = []
    for pixels in images:
        blob = ico_image(pixels)
        size = len(pixels)
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
        blobs.append(blob)
    for blob in blobs:
        out += blob
    with open(path, "wb") as f:
        f.write(out)


def main():
    write_ico(os.path.join(HERE, "OrvhUpdate.ico"), [program_icon(s) for s in (16, 32, 48)])


if __name__ == "__main__":
    main()
