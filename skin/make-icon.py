#!/usr/bin/env python3
"""Writes the program icon (resource 128): an orange rounded square with a
white play mark, at 16, 32 and 48 pixels as 32-bit bitmaps and 256 pixels
as PNG, the sizes the shell asks for.

    make-icon.py OUT.ico [FRAME]

With FRAME (0-4) it writes one picture of the tray's busy animation
(resources 414-418): the same square with a white dot that goes round
the play mark, a fifth of a turn per frame.
"""
import math
import struct
import sys
import zlib

ORANGE = (0xFF, 0x8A, 0x00)
DEEP = (0xE0, 0x6A, 0x00)
WHITE = (0xFF, 0xFF, 0xFF)
FRAME = None  # the busy animation's frame, when one is written


def pixel(x, y, n):
    """RGBA of the picture at pixel (x, y) of an n x n icon."""
    u, v = (x + 0.5) / n, (y + 0.5) / n
    r = 0.18  # corner radius as a share of the side
    cx = min(max(u, r), 1 - r)
    cy = min(max(v, r), 1 - r)
    if (u - cx) ** 2 + (v - cy) ** 2 > r * r:
        return (0, 0, 0, 0)
    if FRAME is not None:
        angle = 2 * math.pi * FRAME / 5 - math.pi / 2
        dx, dy = u - (0.5 + 0.33 * math.cos(angle)), v - (0.5 + 0.33 * math.sin(angle))
        if dx * dx + dy * dy <= 0.09 * 0.09:
            return WHITE + (0xFF,)
    # The play mark: a triangle pointing right.
    left, top, bottom, tip = 0.36, 0.26, 0.74, 0.74
    if left <= u <= tip:
        half = (bottom - top) / 2 * (1 - (u - left) / (tip - left))
        if abs(v - 0.5) <= half:
            return WHITE + (0xFF,)
    t = v
    colour = tuple(int(a + (b - a) * t) for a, b in zip(ORANGE, DEEP))
    return colour + (0xFF,)


def bitmap_entry(n):
    rows = []
    for y in range(n - 1, -1, -1):  # bottom-up
        row = b""
        for x in range(n):
            r, g, b, a = pixel(x, y, n)
            row += bytes((b, g, r, a))
        rows.append(row)
    mask_stride = ((n + 31) // 32) * 4
    mask = b""
    for y in range(n - 1, -1, -1):
        bits = 0
        row = bytearray(mask_stride)
        for x in range(n):
            if pixel(x, y, n)[3] == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(row)
    header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 32, 0, 0, 0, 0, 0, 0)
    return header + b"".join(rows) + mask


def png_entry(n):
    raw = b""
    for y in range(n):
        raw += b"\x00" + b"".join(bytes(pixel(x, y, n)) for x in range(n))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", n, n, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    global FRAME
    if len(sys.argv) > 2:
        FRAME = int(sys.argv[2]) % 5
    images = [(16, bitmap_entry(16)), (32, bitmap_entry(32)), (48, bitmap_entry(48)), (256, png_entry(256))]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    body = b""
    for n, data in images:
        out += struct.pack("<BBBBHHII", n % 256, n % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
        body += data
    with open(sys.argv[1], "wb") as f:
        f.write(out + body)


if __name__ == "__main__":
    main()
