#!/usr/bin/env python3
"""Draws the program's pictures and writes them into res/.

The pictures are drawn from simple shapes so that they can be changed here and
rebuilt with `python3 res/make_pictures.py`; the outputs are committed, so the
build itself does not need Python.

Outputs (sizes as the progress window shows them):
  OrvhUpdate.ico     program and window icon: 16, 32, 48 in 32-bit, 16 and 32 in 256 colours
  banner.bmp         187 x 302, 256 colours: the band down the window's left side
  step_search.ico    16 x 16: step 0, looking for versions
  step_package.ico   16 x 16: step 1, installing the update package
  step_patch.ico     16 x 16: step 2, installing the patch
  step_start.ico     16 x 16: step 3, starting the product
  arrow.ico          24 x 24: the arrow at the step in progress
  success.ico        16 x 16: a step that succeeded
  failure.ico        16 x 16: a step that failed
  line.bmp           200 x 2, 256 colours: the separator line
Every icon holds a 32-bit image and a 256-colour image of each size.
"""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
SUPERSAMPLE = 4


# ---------------------------------------------------------------- drawing

def blend(a, b, t):
    t = max(0.0, min(1.0, t))
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


def render(width, height, paint):
    """Rows of (r, g, b, a) bytes. `paint(x, y)` gives the (r, g, b, a) of a point in
    pixel units (a in 0..1, None for nothing); each pixel averages a grid of samples."""
    rows = []
    n = SUPERSAMPLE
    for py in range(height):
        row = []
        for px in range(width):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(n):
                for sx in range(n):
                    colour = paint(px + (sx + 0.5) / n, py + (sy + 0.5) / n)
                    if colour is None:
                        continue
                    r, g, b, a = colour
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            alpha = acc[3] / (n * n)
            if acc[3] == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(int(round(c / acc[3])) for c in acc[:3]) + (int(round(alpha * 255)),))
        rows.append(row)
    return rows


def layers(*painters):
    """Paints the painters one over the other (the last on top)."""
    def paint(x, y):
        out = None
        for painter in painters:
            colour = painter(x, y)
            if colour is None:
                continue
            if out is None or colour[3] >= 1:
                out = colour
            else:
                a = colour[3]
                oa = out[3]
                na = a + oa * (1 - a)
                mixed = tuple((c * a + o * oa * (1 - a)) / na for c, o in zip(colour[:3], out[:3]))
                out = mixed + (na,)
        return out
    return paint


def in_polygon(x, y, points):
    inside = False
    j = len(points) - 1
    for i in range(len(points)):
        xi, yi = points[i]
        xj, yj = points[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            inside = not inside
        j = i
    return inside


def segment_distance(x, y, a, b):
    (ax, ay), (bx, by) = a, b
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(x - ax - t * dx, y - ay - t * dy)


def disc(cx, cy, r, colour):
    return lambda x, y: colour if math.hypot(x - cx, y - cy) <= r else None


def shaded_disc(cx, cy, r, light, dark):
    """A disc lit from the top left."""
    def paint(x, y):
        d = math.hypot(x - cx, y - cy)
        if d > r:
            return None
        t = (math.hypot(x - (cx - r * 0.4), y - (cy - r * 0.4))) / (r * 1.6)
        return blend(light, dark, t) + (1.0,)
    return paint


def ring(cx, cy, r_in, r_out, colour):
    return lambda x, y: colour if r_in <= math.hypot(x - cx, y - cy) <= r_out else None


def polygon(points, colour):
    return lambda x, y: colour if in_polygon(x, y, points) else None


def stroke(points, width, colour):
    """A polyline of the given width with round ends."""
    def paint(x, y):
        for a, b in zip(points, points[1:]):
            if segment_distance(x, y, a, b) <= width / 2:
                return colour
        return None
    return paint


def rounded_rect(left, top, right, bottom, radius, colour):
    def paint(x, y):
        if not (left <= x <= right and top <= y <= bottom):
            return None
        cx = min(max(x, left + radius), right - radius)
        cy = min(max(y, top + radius), bottom - radius)
        return colour if math.hypot(x - cx, y - cy) <= radius else None
    return paint


def opaque(rgb, alpha=1.0):
    return tuple(rgb) + (alpha,)


# ---------------------------------------------------------------- pictures

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


def step_search():
    """A magnifying glass."""
    return render(16, 16, layers(
        stroke([(9.6, 9.6), (14.2, 14.2)], 3.0, opaque((90, 60, 30))),
        disc(6.5, 6.5, 5.6, opaque((40, 70, 120))),
        shaded_disc(6.5, 6.5, 4.0, (235, 245, 255), (130, 180, 230)),
        disc(5.0, 5.0, 1.2, opaque((255, 255, 255), 0.9)),
    ))


def step_package():
    """A package box with a download arrow: the full update package."""
    return render(16, 16, layers(
        polygon([(1.5, 6), (8, 3), (14.5, 6), (8, 9)], opaque((235, 190, 120))),
        polygon([(1.5, 6), (8, 9), (8, 15.5), (1.5, 12.5)], opaque((205, 150, 80))),
        polygon([(8, 9), (14.5, 6), (14.5, 12.5), (8, 15.5)], opaque((170, 115, 55))),
        stroke([(1.5, 6), (8, 9), (14.5, 6)], 0.7, opaque((120, 80, 35))),
        stroke([(8, 9), (8, 15.5)], 0.7, opaque((120, 80, 35))),
        polygon([(6.2, 0.5), (9.8, 0.5), (9.8, 3.5), (12, 3.5), (8, 7.5), (4, 3.5), (6.2, 3.5)],
                opaque((30, 140, 60))),
    ))


def step_patch():
    """A sticking plaster laid across: the patch."""
    angle = math.radians(-45)
    ca, sa = math.cos(angle), math.sin(angle)

    def plaster(x, y):
        u = (x - 8) * ca - (y - 8) * sa
        v = (x - 8) * sa + (y - 8) * ca
        if abs(v) > 3.2 or abs(u) > 7.6:
            return None
        ex = max(abs(u) - 4.6, 0)
        if math.hypot(ex, max(abs(v) - 0.2, 0)) > 3.0:
            return None
        if abs(u) <= 2.4 and abs(v) <= 2.2:
            dots = (round(u) + round(v)) % 2 == 0 and abs(u - round(u)) < 0.3 and abs(v - round(v)) < 0.3
            return opaque((200, 150, 110)) if dots else opaque((245, 220, 190))
        return opaque((225, 170, 120))
    return render(16, 16, plaster)


def step_start():
    """A play button: the product starts again."""
    return render(16, 16, layers(
        rounded_rect(0.5, 0.5, 15.5, 15.5, 3.0, opaque((40, 90, 170))),
        rounded_rect(1.5, 1.5, 14.5, 8.0, 2.5, opaque((255, 255, 255), 0.18)),
        polygon([(5.5, 3.5), (12.5, 8), (5.5, 12.5)], opaque((255, 255, 255))),
    ))


def arrow():
    """A right-pointing arrow."""
    body = [(1.5, 8.5), (12.5, 8.5), (12.5, 3), (22.5, 12), (12.5, 21), (12.5, 15.5), (1.5, 15.5)]
    inner = [(3, 10), (14, 10), (14, 6.4), (20.3, 12), (14, 17.6), (14, 14), (3, 14)]

    def fill(x, y):
        if not in_polygon(x, y, inner):
            return None
        return blend((255, 200, 60), (235, 120, 20), (y - 6) / 12) + (1.0,)
    return render(24, 24, layers(polygon(body, opaque((170, 80, 10))), fill))


def success():
    """A green disc with a white tick."""
    return render(16, 16, layers(
        shaded_disc(8, 8, 7.5, (110, 210, 110), (20, 120, 40)),
        stroke([(4.3, 8.3), (7.0, 11.0), (11.8, 5.2)], 2.1, opaque((255, 255, 255))),
    ))


def failure():
    """A red disc with a white cross."""
    return render(16, 16, layers(
        shaded_disc(8, 8, 7.5, (245, 110, 100), (170, 20, 20)),
        stroke([(5.2, 5.2), (10.8, 10.8)], 2.1, opaque((255, 255, 255))),
        stroke([(10.8, 5.2), (5.2, 10.8)], 2.1, opaque((255, 255, 255))),
    ))


def banner():
    """A blue band, lighter towards the bottom, with soft circles and the update emblem."""
    width, height = 187, 302
    top, bottom = (14, 38, 88), (46, 120, 190)
    bubbles = [(30, 250, 60, 0.08), (150, 200, 80, 0.07), (120, 40, 50, 0.06), (20, 110, 35, 0.06),
               (170, 290, 40, 0.09)]
    cx, cy = width / 2, 92
    ring_out, ring_in = 46, 34

    def paint(x, y):
        colour = blend(top, bottom, y / height)
        # A light sweep from the bottom left.
        sweep = max(0.0, 1 - abs((x * 0.8 - y + 210) / 60))
        colour = blend(colour, (90, 170, 230), sweep * 0.35)
        for bx, by, r, strength in bubbles:
            if math.hypot(x - bx, y - by) <= r:
                colour = blend(colour, (255, 255, 255), strength)
        d = math.hypot(x - cx, y - cy)
        angle = math.degrees(math.atan2(-(y - cy), x - cx)) % 360
        if ring_in <= d <= ring_out and not (15 <= angle <= 75):
            colour = blend(colour, (255, 255, 255), 0.85)
        tip = math.radians(15)
        mid = (ring_out + ring_in) / 2
        hx, hy = cx + mid * math.cos(tip), cy - mid * math.sin(tip)
        if in_polygon(x, y, [(hx - 17, hy + 2), (hx + 17, hy + 2), (hx, hy - 19)]):
            colour = blend(colour, (255, 255, 255), 0.85)
        if d <= ring_in - 6:
            colour = blend(colour, (255, 255, 255), 0.10)
        return colour + (1.0,)
    return render(width, height, paint)


def line():
    """A two-pixel rule fading to the right: blue on top, light below."""
    width = 200

    def paint(x, y):
        t = x / width
        if y < 1:
            return blend((60, 110, 180), (205, 220, 240), t) + (1.0,)
        return blend((170, 195, 230), (240, 245, 252), t) + (1.0,)
    return render(width, 2, paint)


# ---------------------------------------------------------------- 256 colours

def median_cut(colours, count):
    """A palette of up to `count` colours for the given (r, g, b) list."""
    unique = sorted(set(colours))
    if len(unique) <= count:
        return unique
    boxes = [colours]
    while len(boxes) < count:
        boxes.sort(key=lambda box: max(max(c[i] for c in box) - min(c[i] for c in box) for i in range(3)),
                   reverse=True)
        box = boxes.pop(0)
        if len(set(box)) < 2:
            boxes.append(box)
            break
        channel = max(range(3), key=lambda i: max(c[i] for c in box) - min(c[i] for c in box))
        box = sorted(box, key=lambda c: c[channel])
        half = len(box) // 2
        boxes += [box[:half], box[half:]]
    return [tuple(round(sum(c[i] for c in box) / len(box)) for i in range(3)) for box in boxes]


def quantise(pixels):
    """Palette (256 entries) and rows of indices; transparent pixels (alpha < 128) take index 0."""
    opaque_colours = [p[:3] for row in pixels for p in row if p[3] >= 128]
    palette = median_cut(opaque_colours, 255) if opaque_colours else []
    palette = [(0, 0, 0)] + palette
    cache = {}

    def nearest(colour):
        if colour not in cache:
            cache[colour] = min(range(1, len(palette)),
                                key=lambda i: sum((a - b) ** 2 for a, b in zip(palette[i], colour)))
        return cache[colour]
    indices = [[nearest(p[:3]) if p[3] >= 128 else 0 for p in row] for row in pixels]
    palette += [(0, 0, 0)] * (256 - len(palette))
    return palette, indices


# ---------------------------------------------------------------- files

def stride(width, bits):
    return ((width * bits + 31) // 32) * 4


def mask_rows(pixels):
    """The AND mask, bottom row first: 1 where the image is transparent."""
    size = len(pixels[0])
    out = bytearray()
    for row in reversed(pixels):
        bits = bytearray(stride(size, 1))
        for x, p in enumerate(row):
            if p[3] < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        out += bits
    return bytes(out)


def ico_image_32(pixels):
    width, height = len(pixels[0]), len(pixels)
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = bytearray()
    for row in reversed(pixels):
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
    return header + bytes(xor) + mask_rows(pixels)


def palette_bytes(palette):
    return b"".join(bytes((b, g, r, 0)) for r, g, b in palette)


def indexed_rows(indices, width):
    out = bytearray()
    for row in reversed(indices):
        out += bytes(row) + bytes(stride(width, 8) - width)
    return bytes(out)


def ico_image_8(pixels):
    width, height = len(pixels[0]), len(pixels)
    palette, indices = quantise(pixels)
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 8, 0, 0, 0, 0, 256, 0)
    return header + palette_bytes(palette) + indexed_rows(indices, width) + mask_rows(pixels)


def write_ico(name, images):
    """`images`: (pixels, bits) pairs."""
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    blobs = []
    for pixels, bits in images:
        blob = ico_image_32(pixels) if bits == 32 else ico_image_8(pixels)
        width, height = len(pixels[0]), len(pixels)
        out += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, bits, len(blob), offset)
        offset += len(blob)
        blobs.append(blob)
    for blob in blobs:
        out += blob
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(out)


def write_icon_pair(name, pixels):
    write_ico(name, [(pixels, 32), (pixels, 8)])


def write_bmp_8(name, pixels):
    width, height = len(pixels[0]), len(pixels)
    palette, indices = quantise(pixels)
    data = indexed_rows(indices, width)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, len(data), 3780, 3780, 256, 0)
    offset = 14 + len(info) + 256 * 4
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(header + info + palette_bytes(palette) + data)


def main():
    icons = {s: program_icon(s) for s in (16, 32, 48)}
    write_ico("OrvhUpdate.ico", [(icons[16], 32), (icons[32], 32), (icons[48], 32), (icons[16], 8), (icons[32], 8)])
    write_bmp_8("banner.bmp", banner())
    write_icon_pair("step_search.ico", step_search())
    write_icon_pair("step_package.ico", step_package())
    write_icon_pair("step_patch.ico", step_patch())
    write_icon_pair("step_start.ico", step_start())
    write_icon_pair("arrow.ico", arrow())
    write_icon_pair("success.ico", success())
    write_icon_pair("failure.ico", failure())
    write_bmp_8("line.bmp", line())


if __name__ == "__main__":
    main()
