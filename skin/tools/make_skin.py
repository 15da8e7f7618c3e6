#!/usr/bin/env python3
"""Builds a .SHE skin blob for our skin engine from its readable source.

Usage: make_skin.py SOURCE.skin OUTPUT.she

The source is INI-like (see skin/skins/quorlin.skin); the blob's layout is
described in skin/engine/skin_format.md. Any mistake in the source stops the
build with the file and line, so that a skin never ships half-read.
"""

import struct
import sys

MAGIC = b".SHE"
VERSION = 1
HEADER_SIZE = 40
NAME_SIZE = 16
IMAGE_RECORD_SIZE = 12

# Same order as ColourId in skin_format.h.
COLOURS = [
    "caption_top", "caption_bottom", "caption_text",
    "caption_inactive_top", "caption_inactive_bottom", "caption_inactive_text",
    "caption_accent", "caption_button_hot", "caption_button_pressed",
    "close_button_hot", "close_button_pressed", "caption_glyph_hot",
    "frame_outer", "frame_outer_inactive", "frame_inner",
    "face", "face_text",
    "button", "button_hot", "button_pressed", "button_disabled", "button_border",
    "button_text", "button_text_disabled", "button_focus",
    "edit", "edit_text", "edit_border", "edit_border_hot", "edit_border_focus",
    "edit_focus_glow",
]

# Same order and ranges as MetricId / kMetricRanges in skin_format.h.
METRICS = [
    ("button_radius", 0, 12),
    ("button_focus_inset", 1, 8),
    ("caption_title_indent", 0, 32),
    ("caption_font_weight", 0, 1000),
    ("caption_accent_height", 0, 4),
    ("caption_glyph_size", 4, 16),
    ("caption_button_inset", 0, 6),
]

# Same order as GlyphId in skin_format.h.
GLYPHS = ["close", "minimise", "maximise", "restore"]
MAX_GLYPH_SIDE = 32

# Pixel-art alphabet: how opaque each character paints.
PIXELS = {".": 0, "-": 85, "+": 170, "#": 255}


class SkinError(Exception):
    pass


def fnv1a(data):
    value = 2166136261
    for byte in data:
        value = ((value ^ byte) * 16777619) & 0xFFFFFFFF
    return value


def parse_colour(text, where):
    if len(text) != 7 or text[0] != "#":
        raise SkinError(f"{where}: colour must be #RRGGBB, got {text!r}")
    try:
        return int(text[1:], 16)
    except ValueError:
        raise SkinError(f"{where}: colour must be #RRGGBB, got {text!r}") from None


def read_source(path):
    """Returns (palettes, metrics, glyphs): palettes as [(name, {key: rgb})]."""
    palettes, metrics, glyphs = [], {}, {}
    section, current = None, None
    with open(path, encoding="utf-8") as source:
        lines = source.read().splitlines()
    for number, raw in enumerate(lines, 1):
        where = f"{path}:{number}"
        line = raw.strip()
        if not line or line.startswith(";"):
            continue
        if line.startswith("[") and line.endswith("]"):
            words = line[1:-1].split()
            if not words:
                raise SkinError(f"{where}: empty section name")
            section = words[0]
            name = words[1] if len(words) > 1 else ""
            if section == "palette":
                if any(n == name for n, _ in palettes):
                    raise SkinError(f"{where}: palette {name!r} given twice")
                if not palettes and name:
                    raise SkinError(f"{where}: the first palette must have no name")
                if palettes and not name:
                    raise SkinError(f"{where}: only the first palette may have no name")
                if len(name.encode("ascii", "replace")) >= NAME_SIZE:
                    raise SkinError(f"{where}: palette name longer than {NAME_SIZE - 1}")
                current = {}
                palettes.append((name, current))
            elif section == "glyph":
                if name not in GLYPHS:
                    raise SkinError(f"{where}: unknown glyph {name!r}")
                current = []
                glyphs[name] = current
            elif section == "metrics":
                current = metrics
            else:
                raise SkinError(f"{where}: unknown section {section!r}")
            continue
        if section == "glyph":
            if any(ch not in PIXELS for ch in line):
                raise SkinError(f"{where}: glyph rows use only {''.join(PIXELS)}")
            current.append(line)
            continue
        key, sep, value = (part.strip() for part in line.partition("="))
        if not sep:
            raise SkinError(f"{where}: expected key = value")
        if section == "palette":
            if key not in COLOURS:
                raise SkinError(f"{where}: unknown colour {key!r}")
            current[key] = parse_colour(value, where)
        elif section == "metrics":
            ranges = {name: (lo, hi) for name, lo, hi in METRICS}
            if key not in ranges:
                raise SkinError(f"{where}: unknown metric {key!r}")
            try:
                number_value = int(value)
            except ValueError:
                raise SkinError(f"{where}: metric must be an integer") from None
            lo, hi = ranges[key]
            if not lo <= number_value <= hi:
                raise SkinError(f"{where}: {key} must be within {lo}..{hi}")
            metrics[key] = number_value
        else:
            raise SkinError(f"{where}: key outside a section")
    return palettes, metrics, glyphs


def complete(palettes, metrics, glyphs, path):
    if not palettes:
        raise SkinError(f"{path}: no [palette]")
    base = palettes[0][1]
    missing = [c for c in COLOURS if c not in base]
    if missing:
        raise SkinError(f"{path}: the first palette lacks {', '.join(missing)}")
    missing = [m for m, _, _ in METRICS if m not in metrics]
    if missing:
        raise SkinError(f"{path}: [metrics] lacks {', '.join(missing)}")
    for name, rows in glyphs.items():
        if not rows or len({len(r) for r in rows}) != 1:
            raise SkinError(f"{path}: glyph {name} needs rows of one length")
        if len(rows) > MAX_GLYPH_SIDE or len(rows[0]) > MAX_GLYPH_SIDE:
            raise SkinError(f"{path}: glyph {name} is larger than {MAX_GLYPH_SIDE}")
    # A variant lists only what differs from the skin as it is.
    return [(name, {**base, **colours}) for name, colours in palettes]


def build_blob(palettes, metrics, glyphs):
    record_size = NAME_SIZE + 4 * len(COLOURS)
    body = bytearray()

    palette_offset = HEADER_SIZE + len(body)
    for name, colours in palettes:
        body += name.encode("ascii").ljust(NAME_SIZE, b"\0")
        body += b"".join(struct.pack("<I", colours[c]) for c in COLOURS)

    metric_offset = HEADER_SIZE + len(body)
    body += b"".join(struct.pack("<i", metrics[m]) for m, _, _ in METRICS)

    image_names = [g for g in GLYPHS if g in glyphs]
    image_offset = HEADER_SIZE + len(body)
    data_offset = image_offset + IMAGE_RECORD_SIZE * len(image_names)
    records, pixels = bytearray(), bytearray()
    for name in image_names:
        rows = glyphs[name]
        data = bytes(PIXELS[ch] for row in rows for ch in row)
        records += struct.pack("<HBBII", GLYPHS.index(name), len(rows[0]), len(rows),
                               data_offset + len(pixels), len(data))
        pixels += data
    body += records + pixels

    total = HEADER_SIZE + len(body)
    header = MAGIC + struct.pack(
        "<HHIHHIIHHII", VERSION, HEADER_SIZE, total, len(COLOURS), len(palettes),
        palette_offset, record_size, len(METRICS), len(image_names), metric_offset,
        image_offset)
    # The checksum covers the whole blob, its own field counted as zeros.
    unsealed = header + b"\0\0\0\0" + bytes(body)
    assert len(header) + 4 == HEADER_SIZE
    return header + struct.pack("<I", fnv1a(unsealed)) + bytes(body)


def main(argv):
    if len(argv) != 3:
        print(__doc__.strip().splitlines()[2], file=sys.stderr)
        return 2
    try:
        palettes, metrics, glyphs = read_source(argv[1])
        blob = build_blob(complete(palettes, metrics, glyphs, argv[1]), metrics, glyphs)
    except (OSError, SkinError) as error:
        print(f"make_skin: {error}", file=sys.stderr)
        return 1
    with open(argv[2], "wb") as out:
        out.write(blob)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
