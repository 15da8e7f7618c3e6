#!/usr/bin/env python3
"""Renders the icon source (app/resources/icon.shapes) into a 16-colour .ico
with 16x16, 32x32 and 48x48 images. Usage: make_icon.py SOURCE OUTPUT"""
import struct
import sys

PALETTE = [  # the standard 16-colour palette, as (name, r, g, b)
    ("black", 0, 0, 0), ("maroon", 128, 0, 0), ("green", 0, 128, 0), ("olive", 128, 128, 0),
    ("navy", 0, 0, 128), ("purple", 128, 0, 128), ("teal", 0, 128, 128), ("silver", 192, 192, 192),
    ("gray", 128, 128, 128), ("red", 255, 0, 0), ("lime", 0, 255, 0), ("yellow", 255, 255, 0),
    ("blue", 0, 0, 255), ("fuchsia", 255, 0, 255), ("aqua", 0, 255, 255), ("white", 255, 255, 255),
]
COLOUR = {name: index for index, (name, *_rgb) in enumerate(PALETTE)}
SIZES = (16, 32, 48)
SAMPLES = 4  # per pixel side: a pixel takes a shape's colour when most of it is covered


def inside_roundrect(x, y, x0, y0, x1, y1, r):
    if not (x0 <= x <= x1 and y0 <= y <= y1):
        return False
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def inside_polygon(x, y, points):
    inside = False
    for (ax, ay), (bx, by) in zip(points, points[1:] + points[:1]):
        if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
            inside = not inside
    return inside


def parse(path):
    shapes = []
    for number, line in enumerate(open(path, encoding="utf-8"), 1):
        words = line.split("#")[0].split()
        if not words:
            continue
        kind, *args, colour = words
        if colour not in COLOUR:
            sys.exit(f"{path}:{number}: unknown colour {colour}")
        if kind == "rect":
            x0, y0, x1, y1 = map(float, args)
            test = lambda x, y, a=(x0, y0, x1, y1): a[0] <= x <= a[2] and a[1] <= y <= a[3]
        elif kind == "roundrect":
            a = tuple(map(float, args))
            test = lambda x, y, a=a: inside_roundrect(x, y, *a)
        elif kind == "polygon":
            points = [tuple(map(float, p.split(","))) for p in args]
            test = lambda x, y, p=points: inside_polygon(x, y, p)
        else:
            sys.exit(f"{path}:{number}: unknown shape {kind}")
        shapes.append((test, COLOUR[colour]))
    return shapes


def render(shapes, size):
    """Rows of palette indexes (None: transparent), top row first."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            votes = {}
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (px + (sx + 0.5) / SAMPLES) / size
                    y = (py + (sy + 0.5) / SAMPLES) / size
                    colour = None
                    for test, index in shapes:
                        if test(x, y):
                            colour = index
                    votes[colour] = votes.get(colour, 0) + 1
            row.append(max(votes, key=votes.get))
        rows.append(row)
    return rows


def padded(data):
    return data + b"\0" * (-len(data) % 4)


def image(rows, size):
    colour_rows, mask_rows = [], []
    for row in reversed(rows):  # bitmaps run bottom-up
        nibbles = [0 if c is None else c for c in row]
        colour_rows.append(padded(bytes((a << 4) | b for a, b in zip(nibbles[::2], nibbles[1::2]))))
        bits = [1 if c is None else 0 for c in row]
        mask = bytes(int("".join(map(str, bits[i:i + 8])), 2) for i in range(0, size, 8))
        mask_rows.append(padded(mask))
    colour, mask = b"".join(colour_rows), b"".join(mask_rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, len(colour) + len(mask),
                         0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for _name, r, g, b in PALETTE)
    return header + palette + colour + mask


def main():
    source, output = sys.argv[1:3]
    shapes = parse(source)
    images = [image(render(shapes, size), size) for size in SIZES]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries = b""
    for size, data in zip(SIZES, images):
        entries += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    with open(output, "wb") as out:
        out.write(directory + entries + b"".join(images))


if __name__ == "__main__":
    main()
