#!/usr/bin/env python3
"""The program's icon, drawn from the shapes below and written as a Windows .ico file.

The glyph: a green rounded tile holding three rows of a list, the middle row (the match) in amber
and longer than the others. The shapes are given in units of the icon's side (0..1); small sizes
put the row edges on whole pixels so that they stay sharp, large sizes add a file mark before each
row. Everything is rendered here with the standard library only, so the same script always gives
the same pixels (the 256 px image is stored as PNG, the others as 32-bit bitmaps with an AND mask).

    app_icon.py OUTPUT.ico              writes the icon (sizes 16, 20, 24, 32, 48, 256)
    app_icon.py --rgba SIZE             prints the SIZE px image, one "RRGGBBAA" line per row
    app_icon.py --preview FOLDER        writes one PNG per size into FOLDER (for looking at it)
"""
import math
import struct
import sys
import zlib

SIZES = (16, 20, 24, 32, 48, 256)

TILE_TOP = (0x36, 0xA8, 0x7E)      # the tile's colour at its top edge
TILE_BOTTOM = (0x1B, 0x6E, 0x52)   # ... and at its bottom edge
TILE_EDGE = (0x12, 0x4F, 0x3B)     # a darker rim: the tile keeps its outline on light and dark bars
ROW = (0xF4, 0xFB, 0xF8)           # the rows of the list
MATCH = (0xFF, 0xC6, 0x4B)         # the matching row


def rounded_box_distance(px, py, box, radius):
    """Signed distance (pixels) from a point to a rounded rectangle (x0, y0, x1, y1)."""
    x0, y0, x1, y1 = box
    radius = min(radius, (x1 - x0) / 2, (y1 - y0) / 2)
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    qx = abs(px - cx) - ((x1 - x0) / 2 - radius)
    qy = abs(py - cy) - ((y1 - y0) / 2 - radius)
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    return outside + min(max(qx, qy), 0.0) - radius


def coverage(distance):
    return min(max(0.5 - distance, 0.0), 1.0)


def snap(value, size):
    """An edge on a whole pixel below 64 px, where a half-covered pixel reads as a blur."""
    return float(round(value)) if size < 64 else value


def shapes(size):
    """The layers of the icon at SIZE px, bottom first: (kind, box in pixels, radius, colour)."""
    s = float(size)
    margin = max(1.0, round(s / 16)) if size < 64 else s / 16
    tile = (margin, margin, s - margin, s - margin)
    layers = [("tile", tile, s * 0.2, None)]
    bar_height = max(2.0, round(s * 0.11)) if size < 64 else s * 0.11
    marks = size >= 32
    left = snap(s * (0.40 if marks else 0.25), size)
    for centre, right, colour in ((0.31, 0.75, ROW), (0.50, 0.82, MATCH), (0.69, 0.66, ROW)):
        top = snap(s * centre - bar_height / 2, size)
        box = (left, top, snap(s * right, size), top + bar_height)
        layers.append(("fill", box, bar_height / 2, colour))
        if marks:
            mark = (snap(s * 0.22, size), top, snap(s * 0.22, size) + bar_height * 1.25, top + bar_height)
            layers.append(("fill", mark, bar_height * 0.3, colour))
    return layers


def render(size):
    """The icon at SIZE px as rows of straight (not premultiplied) RGBA tuples."""
    layers = shapes(size)
    rim = max(1.0, size / 40)
    pixels = []
    for y in range(size):
        row = []
        for x in range(size):
            px, py = x + 0.5, y + 0.5
            r = g = b = a = 0.0  # premultiplied
            for kind, box, radius, colour in layers:
                d = rounded_box_distance(px, py, box, radius)
                cover = coverage(d)
                if cover <= 0.0:
                    continue
                if kind == "tile":
                    t = (py - box[1]) / max(box[3] - box[1], 1.0)
                    colour = tuple(top + (bottom - top) * min(max(t, 0.0), 1.0)
                                   for top, bottom in zip(TILE_TOP, TILE_BOTTOM))
                    # The rim: the band within `rim` pixels of the tile's edge.
                    edge = coverage(d + rim)
                    colour = tuple(c * edge + e * (1.0 - edge) for c, e in zip(colour, TILE_EDGE))
                r = colour[0] * cover + r * (1.0 - cover)
                g = colour[1] * cover + g * (1.0 - cover)
                b = colour[2] * cover + b * (1.0 - cover)
                a = 255.0 * cover + a * (1.0 - cover)
            if a <= 0.0:
                row.append((0, 0, 0, 0))
            else:
                scale = 255.0 / a
                row.append(tuple(min(255, int(round(v))) for v in (r * scale, g * scale, b * scale, a)))
        pixels.append(row)
    return pixels


def png_bytes(pixels):
    size = len(pixels)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = b"".join(b"\0" + bytes(v for p in row for v in p) for row in pixels)
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) +
            chunk(b"IEND", b""))


def dib_bytes(pixels):
    """A 32-bit icon bitmap: header (height doubled), BGRA rows bottom-up, then the AND mask."""
    size = len(pixels)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b"".join(bytes((p[2], p[1], p[0], p[3])) for row in reversed(pixels) for p in row)
    stride = (size + 31) // 32 * 4
    mask = bytearray()
    for row in reversed(pixels):
        line = bytearray(stride)
        for x, p in enumerate(row):
            if p[3] == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    return header + colour + bytes(mask)


def ico_bytes():
    images = [(size, png_bytes(render(size)) if size >= 256 else dib_bytes(render(size))) for size in SIZES]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        side = 0 if size >= 256 else size
        out += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(data for _, data in images)


def main(args):
    if len(args) == 2 and args[0] == "--rgba":
        for row in render(int(args[1])):
            print(" ".join("%02X%02X%02X%02X" % p for p in row))
        return 0
    if len(args) == 2 and args[0] == "--preview":
        import os
        os.makedirs(args[1], exist_ok=True)
        for size in SIZES:
            with open(os.path.join(args[1], "icon-%d.png" % size), "wb") as f:
                f.write(png_bytes(render(size)))
        return 0
    if len(args) != 1 or args[0].startswith("-"):
        sys.stderr.write(__doc__)
        return 2
    data = ico_bytes()
    temporary = args[0] + ".tmp"
    with open(temporary, "wb") as f:
        f.write(data)
    import os
    os.replace(temporary, args[0])
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
