#!/usr/bin/env python3
"""Builds assets/card-atlas.bmp, the card picture atlas compiled into the game.

The faces come from the "svg-standard" deck of Debian's kdegames-card-data-kf5
(GPL-2+, see assets/README); the back is drawn here. Each card is rasterised
four times too large with rsvg-convert over table green and reduced with a
box filter by ImageMagick, so the small court figures keep even pixels and
every edge is smooth. The output is the same byte for byte on every run with
the same librsvg and ImageMagick.

Needs: python3, rsvg-convert, convert, the deck
    apt-get install librsvg2-bin imagemagick kdegames-card-data-kf5

Usage: tools/make-card-atlas.py [--deck standard.svgz] [--out card-atlas.bmp]
"""

import argparse
import base64
import gzip
import math
import os
import re
import struct
import subprocess
import sys
import tempfile
import zlib

DECK = "/usr/share/carddecks/svg-standard/standard.svgz"
HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "assets", "card-atlas.bmp")

CELL_W, CELL_H = 160, 224
COLS, ROWS = 13, 5
ATLAS_W, ATLAS_H = CELL_W * COLS, CELL_H * ROWS
OVERSAMPLE = 4
GREEN = (0, 128, 0)
GREEN_HEX = "#008000"

# Atlas rows 0-3 in the game's suit order; columns ace..king.
SUITS = ["spade", "heart", "diamond", "club"]
RANKS = ["1", "2", "3", "4", "5", "6", "7", "8", "9", "10",
         "jack", "queen", "king"]

# The deck's pure red, and the red the rest of the table uses.
DECK_RED = (255, 0, 0)
RED = (230, 24, 10)

# The blank face every card of the deck starts from: 70 x 95 units with a
# 1-unit black stroke and 3-unit corners. A slightly thinner stroke and
# tighter corners give a 2 px outline and a 5 px rounding at our cell size.
FACE_STROKE = 0.88
FACE_RADIUS = 1.75


def recolour_png(data):
    """The court figures are small palette PNGs: swap their red in PLTE."""
    out = bytearray(data[:8])
    pos = 8
    while pos < len(data):
        length, = struct.unpack(">I", data[pos:pos + 4])
        kind = data[pos + 4:pos + 8]
        body = bytearray(data[pos + 8:pos + 8 + length])
        if kind == b"PLTE":
            for i in range(0, length, 3):
                if tuple(body[i:i + 3]) == DECK_RED:
                    body[i:i + 3] = bytes(RED)
        out += struct.pack(">I", length) + kind + body
        out += struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)
        pos += 12 + length
    return bytes(out)


def prepare_deck(svg):
    red_hex = "#%02x%02x%02x" % RED
    svg = svg.replace("#ff0000", red_hex).replace("#FF0000", red_hex)

    def png(match):
        raw = base64.b64decode(re.sub(r"\s", "", match.group(1)))
        return ('xlink:href="data:image/png;base64,%s"'
                % base64.b64encode(recolour_png(raw)).decode("ascii"))
    svg = re.sub(r'xlink:href="data:image/png;base64,([^"]*)"', png, svg)

    # Reshape the blank face every card <use>s.
    blank = re.search(r'<rect[^>]*id="card_back"[^>]*/>', svg, re.S)
    if not blank:
        sys.exit("deck has no card_back blank")
    rect = blank.group(0)
    rect = re.sub(r'ry="[^"]*"', 'ry="%g"' % FACE_RADIUS, rect)
    rect = rect.replace("stroke:#000000;",
                        "stroke:#000000;stroke-width:%g;" % FACE_STROKE)
    return svg[:blank.start()] + rect + svg[blank.end():]


def card_origins(svg):
    """Each card group <use>s the blank face once; its translation places it."""
    origins = {}
    for rank in RANKS:
        for suit in SUITS:
            name = "%s_%s" % (rank, suit)
            group = re.search(r'<g\b[^>]*\bid="%s".*?</g>' % re.escape(name),
                              svg, re.S)
            if not group:
                sys.exit("deck has no card %s" % name)
            use = re.search(r'<use\b[^>]*translate\(([-\d.]+),([-\d.]+)\)'
                            r'[^>]*xlink:href="#card_back"', group.group(0),
                            re.S)
            if not use:
                sys.exit("card %s does not use the blank face" % name)
            # The blank lies at (0.5, 396.5) before the translation.
            x = float(use.group(1)) + 0.5
            y = float(use.group(2)) + 396.5
            origins[name] = (x, y)
    return origins


def face_svg(deck, origin):
    """The whole deck with its page cut down to one card's outer edge."""
    x, y = origin
    half = FACE_STROKE / 2
    box = (x - half, y - half, 70 + FACE_STROKE, 95 + FACE_STROKE)
    root = re.search(r"<svg\b[^>]*>", deck, re.S)
    tag = ('<svg xmlns="http://www.w3.org/2000/svg" '
           'xmlns:xlink="http://www.w3.org/1999/xlink" version="1.1" '
           'width="%d" height="%d" viewBox="%s" preserveAspectRatio="none">'
           % (CELL_W * OVERSAMPLE, CELL_H * OVERSAMPLE,
              " ".join("%.4f" % v for v in box)))
    return deck[:root.start()] + tag + deck[root.end():]


# --- The back -------------------------------------------------------------

CREAM = "#faf5e7"      # {250,245,231}
OLIVE = "#617355"      # {97,115,85}
LEAF = "#5e8c46"
LEAF_DARK = "#3f6532"
VINE = "#4d6b3a"
EMBLEM = "#a9473b"
EMBLEM_DARK = "#7e3a33"
EMBLEM_LIGHT = "#c8806d"


def fmt(v):
    return ("%.3f" % v).rstrip("0").rstrip(".")


def bow(x, y, flip):
    """Two small triangles and a knot where a garland is tied up."""
    s = -1 if flip else 1
    return ('<path d="M%s,%s L%s,%s L%s,%s Z M%s,%s L%s,%s L%s,%s Z" '
            'fill="%s"/><circle cx="%s" cy="%s" r="1.6" fill="%s"/>'
            % (fmt(x), fmt(y), fmt(x - 6), fmt(y - 3.5 * s), fmt(x - 6),
               fmt(y + 3.5 * s), fmt(x), fmt(y), fmt(x + 6),
               fmt(y - 3.5 * s), fmt(x + 6), fmt(y + 3.5 * s),
               EMBLEM, fmt(x), fmt(y), EMBLEM_DARK))


def garland():
    """A swag of leaves hanging between two bows, in cell units, top edge."""
    p0, p1, p2 = (26.0, 22.0), (80.0, 48.0), (134.0, 22.0)

    def at(t):
        u = 1 - t
        return (u * u * p0[0] + 2 * u * t * p1[0] + t * t * p2[0],
                u * u * p0[1] + 2 * u * t * p1[1] + t * t * p2[1])

    def tangent(t):
        return (2 * (1 - t) * (p1[0] - p0[0]) + 2 * t * (p2[0] - p1[0]),
                2 * (1 - t) * (p1[1] - p0[1]) + 2 * t * (p2[1] - p1[1]))

    parts = ['<path d="M%s,%s Q%s,%s %s,%s" fill="none" stroke="%s" '
             'stroke-width="1.4" stroke-linecap="round"/>'
             % (fmt(p0[0]), fmt(p0[1]), fmt(p1[0]), fmt(p1[1]),
                fmt(p2[0]), fmt(p2[1]), VINE)]
    leaf = "M0,0 Q5,-4 11,0 Q5,4 0,0 Z"
    vein = "M1,0 L9,0"
    count = 14
    for i in range(1, count):
        t = i / count
        x, y = at(t)
        dx, dy = tangent(t)
        heading = math.degrees(math.atan2(dy, dx))
        # Leaves point away from the middle so the swag reads from its bows.
        along = heading + 180 if t < 0.5 else heading
        for side, colour in ((-40, LEAF), (40, LEAF_DARK)):
            parts.append('<g transform="translate(%s,%s) rotate(%s)">'
                         '<path d="%s" fill="%s"/><path d="%s" fill="none" '
                         'stroke="%s" stroke-width="0.4"/></g>'
                         % (fmt(x), fmt(y), fmt(along + side), leaf, colour,
                            vein, VINE))
    for t in (0.2, 0.5, 0.8):
        x, y = at(t)
        parts.append('<circle cx="%s" cy="%s" r="2.1" fill="%s"/>'
                     % (fmt(x), fmt(y + 3), EMBLEM))
    parts.append(bow(p0[0], p0[1], False))
    parts.append(bow(p2[0], p2[1], True))
    return "\n".join(parts)


def triangle(a, b, c, colour):
    return ('<path d="M%s,%s L%s,%s L%s,%s Z" fill="%s"/>'
            % (fmt(a[0]), fmt(a[1]), fmt(b[0]), fmt(b[1]), fmt(c[0]),
               fmt(c[1]), colour))


def emblem(cx, cy):
    """A star of muted red triangles inside an olive diamond."""
    parts = []
    dx, dy = 46, 56
    parts.append('<path d="M%s,%s L%s,%s L%s,%s L%s,%s Z" fill="none" '
                 'stroke="%s" stroke-width="1"/>'
                 % (fmt(cx), fmt(cy - dy), fmt(cx + dx), fmt(cy), fmt(cx),
                    fmt(cy + dy), fmt(cx - dx), fmt(cy), OLIVE))
    # Triangles on the diamond's corners, pointing out.
    for ux, uy, r in ((0, -1, dy), (1, 0, dx), (0, 1, dy), (-1, 0, dx)):
        vx, vy = -uy, ux
        base = (cx + (r + 2) * ux, cy + (r + 2) * uy)
        tip = (cx + (r + 10) * ux, cy + (r + 10) * uy)
        parts.append(triangle((base[0] + 5 * vx, base[1] + 5 * vy), tip,
                              (base[0] - 5 * vx, base[1] - 5 * vy), EMBLEM))
    for i in range(8):
        a = math.radians(i * 45 - 90)
        long_arm = i % 2 == 0
        ux, uy = math.cos(a), math.sin(a)
        # The star follows the diamond: taller than wide.
        reach = (38 if long_arm else 24) * (1.25 if abs(uy) > 0.9 else 1.0)
        width = 9 if long_arm else 7
        tip = (cx + reach * ux, cy + reach * uy)
        base = (cx + 6 * ux, cy + 6 * uy)
        px, py = -uy * width, ux * width
        # Each arm is a lit and a shaded half.
        for sign, colour in ((1, EMBLEM), (-1, EMBLEM_DARK)):
            parts.append(triangle(base, tip, (base[0] + sign * px,
                                              base[1] + sign * py), colour))
    parts.append('<circle cx="%s" cy="%s" r="10" fill="%s" stroke="%s" '
                 'stroke-width="1"/>' % (fmt(cx), fmt(cy), CREAM, OLIVE))
    for i in range(4):
        a = math.radians(i * 90)
        ux, uy = math.cos(a), math.sin(a)
        parts.append(triangle((cx, cy), (cx + 7 * ux - 3 * uy,
                                         cy + 7 * uy + 3 * ux),
                              (cx + 7 * ux + 3 * uy, cy + 7 * uy - 3 * ux),
                              EMBLEM_LIGHT if i % 2 else EMBLEM))
    return "\n".join(parts)


def back_svg():
    w, h = CELL_W, CELL_H
    top = garland()
    return """<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" version="1.1" width="{pw}" height="{ph}"
     viewBox="0 0 {w} {h}">
<rect x="1" y="1" width="{iw}" height="{ih}" rx="4" ry="4" fill="{cream}"
      stroke="{olive}" stroke-width="2"/>
<rect x="7.5" y="7.5" width="{bw}" height="{bh}" rx="2" ry="2" fill="none"
      stroke="{olive}" stroke-width="1"/>
<rect x="10.5" y="10.5" width="{cw}" height="{ch}" rx="1" ry="1" fill="none"
      stroke="{olive}" stroke-width="0.5"/>
<g>{top}</g>
<g transform="rotate(180 {mx} {my})">{top}</g>
<g>{emblem}</g>
</svg>
""".format(pw=w * OVERSAMPLE, ph=h * OVERSAMPLE, w=w, h=h, iw=w - 2,
           ih=h - 2, bw=w - 15, bh=h - 15, cw=w - 21, ch=h - 21,
           cream=CREAM, olive=OLIVE, top=top, mx=w / 2, my=h / 2,
           emblem=emblem(w / 2, h / 2))


# --- Rasterising and the BMP ----------------------------------------------

def rasterise(svg_text, work, name):
    """One cell as RGB bytes, top row first, over table green."""
    svg_path = os.path.join(work, name + ".svg")
    png_path = os.path.join(work, name + ".png")
    with open(svg_path, "w", encoding="utf-8") as f:
        f.write(svg_text)
    subprocess.run(["rsvg-convert", "-b", GREEN_HEX,
                    "-w", str(CELL_W * OVERSAMPLE),
                    "-h", str(CELL_H * OVERSAMPLE),
                    "-o", png_path, svg_path], check=True)
    rgb = subprocess.run(["convert", png_path, "-alpha", "off",
                          "-filter", "Box",
                          "-resize", "%dx%d!" % (CELL_W, CELL_H),
                          "-depth", "8", "rgb:-"],
                         check=True, stdout=subprocess.PIPE).stdout
    if len(rgb) != CELL_W * CELL_H * 3:
        sys.exit("%s: rasterised to %d bytes" % (name, len(rgb)))
    return rgb


def round_corners(rgb):
    """Anything outside a 5 px rounding is table green, exactly.

    The rasteriser blends the outline into the green there; pixels wholly
    outside the card must not carry even a trace of the face."""
    out = bytearray(rgb)
    r = 5.0
    for y in range(CELL_H):
        for x in range(CELL_W):
            # Distance from the nearest corner centre, pixel centres.
            cx = min(max(x + 0.5, r), CELL_W - r)
            cy = min(max(y + 0.5, r), CELL_H - r)
            if math.hypot(x + 0.5 - cx, y + 0.5 - cy) > r + 0.5:
                i = (y * CELL_W + x) * 3
                out[i:i + 3] = bytes(GREEN)
    return bytes(out)


def bmp(cells):
    """cells[(col,row)] = RGB bytes; anything missing is table green."""
    row_bytes = ATLAS_W * 3
    image = bytearray(bytes(GREEN) * (ATLAS_W * ATLAS_H))
    for (col, row), rgb in cells.items():
        for y in range(CELL_H):
            dst = ((row * CELL_H + y) * ATLAS_W + col * CELL_W) * 3
            image[dst:dst + CELL_W * 3] = rgb[y * CELL_W * 3:(y + 1) * CELL_W * 3]
    # RGB to BGR, and the rows bottom-up.
    bgr = bytearray(len(image))
    bgr[0::3] = image[2::3]
    bgr[1::3] = image[1::3]
    bgr[2::3] = image[0::3]
    pixels = b"".join(bytes(bgr[y * row_bytes:(y + 1) * row_bytes])
                      for y in reversed(range(ATLAS_H)))
    size = 54 + len(pixels)
    header = b"BM" + struct.pack("<IHHI", size, 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, ATLAS_W, ATLAS_H, 1, 24, 0,
                       len(pixels), 3780, 3780, 0, 0)
    return header + info + pixels


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--deck", default=DECK)
    parser.add_argument("--out", default=OUT)
    args = parser.parse_args()

    with gzip.open(args.deck, "rt", encoding="utf-8") as f:
        deck = prepare_deck(f.read())
    origins = card_origins(deck)

    cells = {}
    with tempfile.TemporaryDirectory(prefix="card-atlas-") as work:
        for row, suit in enumerate(SUITS):
            for col, rank in enumerate(RANKS):
                name = "%s_%s" % (rank, suit)
                svg = face_svg(deck, origins[name])
                cells[(col, row)] = round_corners(rasterise(svg, work, name))
        cells[(0, 4)] = round_corners(rasterise(back_svg(), work, "back"))

    data = bmp(cells)
    assert len(data) == 6988854
    with open(args.out, "wb") as f:
        f.write(data)
    print("%s: %d bytes" % (os.path.normpath(args.out), len(data)))


if __name__ == "__main__":
    main()
