#!/usr/bin/env python3
"""Writes the files of the test-only resource module into tests/resources_module/.

The outputs are committed, so the build itself does not need Python; run
`python3 tests/resources_module/make_resources.py` after changing them here. The
tests know the data contents (tests/support/resources_module.h) and the picture sizes.

Outputs:
  custom.bin     data under the type name CUSTOM: a NUL and bytes above 127 included
  numbered.bin   data under the numbered type 300, same id as custom.bin
  text.txt       text in code page 1252: a line break, an e acute and a euro sign
  empty.bin      no bytes at all
  picture.bmp    7 x 5, 24 bits per pixel (rows padded to 4 bytes)
  icon.ico       16, 32 and 48 pixels, 32 bits per pixel, one colour per size
  pointer.cur    32 x 32, 32 bits per pixel, hot spot (3, 5)
  tone.wav       a 50 ms 440 Hz tone, PCM 8000 Hz, 8-bit mono
"""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

CUSTOM = b"Orvh\x00\x01\x02\xfe\xff custom data"
NUMBERED = b"numbered type \x10\x20"
TEXT = "Versione 1.2\r\nPerch\u00e9 costa 5 \u20ac".encode("cp1252")


def write(name, data):
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data)


def bitmap_info(width, height, bits, image_size=0):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, image_size, 0, 0, 0, 0)


def bmp(width, height):
    stride = (width * 3 + 3) // 4 * 4
    rows = b""
    for y in range(height):
        row = b"".join(bytes((x * 30 % 256, y * 50 % 256, 200)) for x in range(width))
        rows += row + b"\x00" * (stride - len(row))
    header_size = 14 + 40
    return struct.pack("<2sIHHI", b"BM", header_size + len(rows), 0, 0, header_size) + \
        bitmap_info(width, height, 24) + rows


def icon_image(size, bgra):
    """A 32-bit icon image: header (double height), colour rows, then the AND mask."""
    colour = bytes(bgra) * (size * size)
    mask_stride = (size + 31) // 32 * 4
    mask = b"\x00" * (mask_stride * size)
    return bitmap_info(size, size * 2, 32, len(colour) + len(mask)) + colour + mask


def icon_file(kind, images):
    """kind 1 icon, 2 cursor; images: (size, image bytes, field 4, field 6) with the
    planes/bit count of an icon or the hot spot of a cursor."""
    header = struct.pack("<HHH", 0, kind, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    data = b""
    for size, image, field4, field6 in images:
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, field4, field6, len(image), offset + len(data))
        data += image
    return header + entries + data


def wav():
    rate = 8000
    samples = bytes(int(128 + 100 * math.sin(2 * math.pi * 440 * i / rate)) for i in range(rate // 20))
    fmt = struct.pack("<HHIIHH", 1, 1, rate, rate, 1, 8)
    return b"RIFF" + struct.pack("<I", 4 + 8 + len(fmt) + 8 + len(samples)) + b"WAVE" + \
        b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", len(samples)) + samples


def main():
    write("custom.bin", CUSTOM)
    write("numbered.bin", NUMBERED)
    write("text.txt", TEXT)
    write("empty.bin", b"")
    write("picture.bmp", bmp(7, 5))
    write("icon.ico", icon_file(1, [(16, icon_image(16, (0, 0, 255, 255)), 1, 32),
                                    (32, icon_image(32, (0, 255, 0, 255)), 1, 32),
                                    (48, icon_image(48, (255, 0, 0, 255)), 1, 32)]))
    write("pointer.cur", icon_file(2, [(32, icon_image(32, (40, 40, 40, 255)), 3, 5)]))
    write("tone.wav", wav())


if __name__ == "__main__":
    main()
