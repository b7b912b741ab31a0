#!/usr/bin/env python3
"""Tells whether an icon seen on the screen is the program's own (src/shell/app_icon.py).

    icon_check.py netwm FILE   FILE holds `xprop -notype -f _NET_WM_ICON 32c _NET_WM_ICON` of a
                               window: every image of it must be the program's image of that
                               size (a window shows the icon its class or WM_SETICON gave it)
    icon_check.py screen FILE  FILE holds the probe's `window-pixels` of a notification icon:
                               somewhere in it the program's 16 px image must show over the
                               background (the colour of the top-left pixel)

Prints what it compared; exit code 0 when the icon is ours, 1 when not, 2 on unreadable input.
"""
import os
import re
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "src", "shell"))
import app_icon  # noqa: E402

TOLERANCE = 8      # per colour channel: scaling and blending round differently
NEEDED = 0.97      # share of the pixels that must agree


def close(a, b):
    return all(abs(x - y) <= TOLERANCE for x, y in zip(a, b))


def netwm(text):
    values = [int(v) for v in re.findall(r"\d+", text.split("=", 1)[-1])]
    images, at = [], 0
    while at + 2 <= len(values):
        w, h = values[at], values[at + 1]
        pixels = values[at + 2:at + 2 + w * h]
        if w <= 0 or w != h or len(pixels) != w * h:
            break
        images.append((w, pixels))
        at += 2 + w * h
    if not images:
        print("no icon image in the property")
        return 2
    ours = True
    for size, pixels in images:
        if size not in app_icon.SIZES:
            print("size %d: not a size of the program's icon" % size)
            ours = False
            continue
        expected = [p for row in app_icon.render(size) for p in row]
        same = 0
        for argb, (r, g, b, a) in zip(pixels, expected):
            seen = ((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF, (argb >> 24) & 0xFF)
            # A fully transparent pixel has no colour to compare.
            if close(seen[3:], (a,)) and (a == 0 or close(seen[:3], (r, g, b))):
                same += 1
        share = same / len(expected)
        print("size %d: %.3f of the pixels are the program's" % (size, share))
        ours = ours and share >= NEEDED
    return 0 if ours else 1


def screen(text):
    lines = text.strip().splitlines()
    try:
        width, height = (int(v) for v in lines[0].split())
        rows = [[tuple(int(c[i:i + 2], 16) for i in (0, 2, 4)) for c in line.split()] for line in lines[1:1 + height]]
    except (ValueError, IndexError):
        print("unreadable pixels")
        return 2
    if len(rows) != height or any(len(r) != width for r in rows):
        print("unreadable pixels")
        return 2
    # Opaque pixels show the icon's colour and transparent ones the background; how the shell
    # blends the partly transparent rim is its own affair and is not compared.
    background = rows[0][0]
    wanted = [(x, y, p[:3] if p[3] == 255 else background)
              for y, row in enumerate(app_icon.render(16)) for x, p in enumerate(row) if p[3] in (0, 255)]
    best, where = 0.0, None
    for dy in range(0, height - 15):
        for dx in range(0, width - 15):
            same = sum(1 for x, y, colour in wanted if close(rows[dy + y][dx + x], colour)) / len(wanted)
            if same > best:
                best, where = same, (dx, dy)
    print("best match %.3f at %s" % (best, where))
    return 0 if best >= NEEDED else 1


def main(args):
    if len(args) != 2 or args[0] not in ("netwm", "screen"):
        sys.stderr.write(__doc__)
        return 2
    with open(args[1], encoding="utf-8", errors="replace") as f:
        text = f.read()
    return netwm(text) if args[0] == "netwm" else screen(text)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
