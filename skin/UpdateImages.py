#!/usr/bin/env python3
"""Draws the updater window's pictures into a folder, from the skin's
palette (blue band, light content, accent progress):

    UpdateImages.py OUTPUT_FOLDER

update_banner.png    the title band, a vertical gradient (4 x 101)
update_close.png     the close button, four states side by side (4 x 34 x 24)
update_button.png    the exit button, four states (4 x 60 x 21), radius 4
update_progress_bk.png / update_progress_fg.png   the progress track and fill
"""
import os
import struct
import sys
import zlib

BAND_TOP = (0x1E, 0x5A, 0xA8)
BAND_BOTTOM = (0x17, 0x4A, 0x8C)
ACCENT = (0xFF, 0x8A, 0x00)
BORDER = (0xDD, 0xE3, 0xEA)
DISABLED = (0xB8, 0xBE, 0xC7)
WHITE = (0xFF, 0xFF, 0xFF)
ERROR = (0xE5, 0x48, 0x4D)


def write_png(path, width, height, pixel):
    rows = bytearray()
    for y in range(height):
        rows.append(0)
        for x in range(width):
            rows.extend(pixel(x, y))
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)
    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(rows), 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as out:
        out.write(png)


def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def rounded(x, y, width, height, radius):
    """True when (x, y) lies inside a rectangle with rounded corners."""
    cx = min(max(x, radius), width - 1 - radius)
    cy = min(max(y, radius), height - 1 - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius


def banner(x, y):
    return mix(BAND_TOP, BAND_BOTTOM, y / 100.0) + (0xFF,)


def close_button(x, y):
    state, x = divmod(x, 34)
    # normal, hot, pushed, disabled
    back = [None, (0xFF, 0xFF, 0xFF, 0x30), (0x00, 0x00, 0x00, 0x30), None][state]
    colour = DISABLED if state == 3 else WHITE
    dx, dy = x - 17, y - 12
    if abs(dx) <= 4 and abs(dy) <= 4 and (abs(dx - dy) <= 0.7 or abs(dx + dy) <= 0.7):
        return colour + (0xFF,)
    return back if back else (0, 0, 0, 0)


def exit_button(x, y):
    state, x = divmod(x, 60)
    if not rounded(x, y, 60, 21, 4):
        return (0, 0, 0, 0)
    fill = [ACCENT, mix(ACCENT, WHITE, 0.2), mix(ACCENT, (0, 0, 0), 0.15), DISABLED][state]
    return fill + (0xFF,)


def progress_track(x, y):
    return (BORDER + (0xFF,)) if rounded(x, y, 12, 13, 3) else (0, 0, 0, 0)


def progress_fill(x, y):
    return (ACCENT + (0xFF,)) if rounded(x, y, 12, 13, 3) else (0, 0, 0, 0)


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    write_png(os.path.join(folder, "update_banner.png"), 4, 101, banner)
    write_png(os.path.join(folder, "update_close.png"), 4 * 34, 24, close_button)
    write_png(os.path.join(folder, "update_button.png"), 4 * 60, 21, exit_button)
    write_png(os.path.join(folder, "update_progress_bk.png"), 12, 13, progress_track)
    write_png(os.path.join(folder, "update_progress_fg.png"), 12, 13, progress_fill)


if __name__ == "__main__":
    main()
