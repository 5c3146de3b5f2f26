#!/usr/bin/env python3
"""Writes one skin folder's MarloxWnd.xml from the style files of every program.

A skin restyles the windows of all four programs (the manager's, the
updater's, the Flash player's and the web game window's), and each of them
reads its part from the selected skin's MarloxWnd.xml by window name. The
parts are kept beside the program they belong to; this joins their Window
elements under one Root that names the skin.

    compose-skin.py OUT NAME PREVIEW INDEX STYLE.xml...
"""
import re
import sys

WINDOW = re.compile(r"<Window\b[^>]*?/>|<Window\b[^>]*>.*?</Window>", re.S)


def windows_of(path):
    with open(path, encoding="utf-8") as source:
        text = re.sub(r"<!--.*?-->", "", source.read(), flags=re.S)
    found = WINDOW.findall(text)
    if not found:
        sys.exit(f"compose-skin: no Window element in {path}")
    return found


def main(argv):
    if len(argv) < 6:
        sys.exit(__doc__)
    out, name, preview, index, styles = argv[1], argv[2], argv[3], argv[4], argv[5:]
    seen = set()
    parts = []
    for path in styles:
        for window in windows_of(path):
            window_name = re.match(r'<Window\b[^>]*\bname="([^"]*)"', window)
            key = window_name.group(1) if window_name else ""
            # One element per window: the first file that styles it wins.
            if key in seen:
                continue
            seen.add(key)
            parts.append("  " + window)
    text = (f'<?xml version="1.0" encoding="GBK"?>\n'
            f'<Root name="{name}" preview="{preview}" index="{index}">\n'
            + "\n".join(parts) + "\n</Root>\n")
    with open(out, "w", encoding="utf-8", newline="\n") as target:
        target.write(text)


if __name__ == "__main__":
    main(sys.argv)
