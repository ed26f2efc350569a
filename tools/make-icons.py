#!/usr/bin/env python3
"""Builds the game's icons from the ace of spades of assets/card-atlas.bmp.

- build/linux/icon-48.png, icon-128.png, icon-256.png: the desktop icons
  (hicolor theme sizes);
- assets/window-icon.bmp: 64 x 64, 32-bit with alpha, compiled into the
  program and given to its window.

The card stands upright in the middle of a square canvas, 7/8 of its
height, so every size keeps the same proportions: 30 x 42 in 48, 40 x 56 in
64, 80 x 112 in 128 and the atlas cell itself, 160 x 224, in 256. The table
green around the card's rounded corners is taken out exactly: there the
atlas holds the black outline blended over green (0,128,0), so a pixel
(0, g, 0) is black with coverage 1 - g/128. Reductions are area averages of
premultiplied colour, like the game's own atlas reduction.

Plain python3, no other tool; the same output byte for byte on every run.

Usage: tools/make-icons.py
"""

import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.join(HERE, "..")
ATLAS = os.path.join(ROOT, "assets", "card-atlas.bmp")

CELL_W, CELL_H = 160, 224
ACE_OF_SPADES = (0, 0)  # column, row of the atlas
GREEN = 128


def read_atlas_cell(path, col, row):
    """The cell as rows of (r, g, b, a) floats 0..1, top row first."""
    data = open(path, "rb").read()
    offset, = struct.unpack_from("<I", data, 10)
    width, height, _, bpp = struct.unpack_from("<iiHH", data, 18)
    assert bpp == 24 and height > 0, "expects a bottom-up 24-bit BMP"
    stride = (width * 3 + 3) & ~3
    cell = []
    for y in range(row * CELL_H, (row + 1) * CELL_H):
        base = offset + (height - 1 - y) * stride
        line = []
        for x in range(col * CELL_W, (col + 1) * CELL_W):
            b, g, r = data[base + 3 * x:base + 3 * x + 3]
            if r == 0 and b == 0 and g > 0:
                # Outline over the table: black at coverage 1 - g/128.
                line.append((0.0, 0.0, 0.0, max(0.0, 1.0 - g / GREEN)))
            else:
                line.append((r / 255.0, g / 255.0, b / 255.0, 1.0))
        cell.append(line)
    return cell


def premultiply(image):
    return [[(r * a, g * a, b * a, a) for r, g, b, a in line] for line in image]


def reduce_axis(lines, size):
    """Area average of each line (lists of 4-tuples) to `size` samples."""
    out = []
    for line in lines:
        n = len(line)
        scale = n / size
        reduced = []
        for i in range(size):
            lo, hi = i * scale, (i + 1) * scale
            acc = [0.0, 0.0, 0.0, 0.0]
            j = int(lo)
            while j < hi and j < n:
                w = min(hi, j + 1) - max(lo, j)
                for k in range(4):
                    acc[k] += line[j][k] * w
                j += 1
            reduced.append(tuple(v / scale for v in acc))
        out.append(reduced)
    return out


def transpose(image):
    return [list(column) for column in zip(*image)]


def resize(image, width, height):
    """Premultiplied image reduced to width x height by area average."""
    return transpose(reduce_axis(transpose(reduce_axis(image, width)), height))


def icon(cell, size):
    """RGBA bytes rows of a size x size icon, top row first."""
    card_h = size * 7 // 8
    card_w = card_h * CELL_W // CELL_H
    card = resize(premultiply(cell), card_w, card_h)
    left, top = (size - card_w) // 2, (size - card_h) // 2
    rows = []
    for y in range(size):
        row = bytearray(4 * size)
        if top <= y < top + card_h:
            for x in range(card_w):
                r, g, b, a = card[y - top][x]
                alpha = round(a * 255)
                if alpha:
                    rgb = [min(255, round(v / a * 255)) for v in (r, g, b)]
                    row[4 * (left + x):4 * (left + x) + 4] = bytes(rgb + [alpha])
        rows.append(bytes(row))
    return rows


def write_png(path, rows, size):
    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))
    raw = b"".join(b"\0" + row for row in rows)
    png = (b"\x89PNG\r\n\x1a\n" +
           chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)) +
           chunk(b"IDAT", zlib.compress(raw, 9)) +
           chunk(b"IEND", b""))
    with open(path, "wb") as f:
        f.write(png)


def write_bmp(path, rows, size):
    """Bottom-up 32-bit BMP with a BITMAPV4HEADER: SDL_LoadBMP_RW reads its
    alpha mask, which a plain BITMAPINFOHEADER cannot carry."""
    pixels = bytearray()
    for row in reversed(rows):
        for x in range(size):
            r, g, b, a = row[4 * x:4 * x + 4]
            pixels += bytes((b, g, r, a))
    header_size = 14 + 108
    info = struct.pack("<IiiHHIIiiII", 108, size, size, 1, 32, 3, len(pixels),
                       2835, 2835, 0, 0)
    masks = struct.pack("<IIII", 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000)
    colour_space = struct.pack("<I", 0x73524742) + bytes(48)  # "sRGB"
    header = struct.pack("<2sIHHI", b"BM", header_size + len(pixels), 0, 0, header_size)
    with open(path, "wb") as f:
        f.write(header + info + masks + colour_space + pixels)


def main():
    cell = read_atlas_cell(ATLAS, *ACE_OF_SPADES)
    for size in (48, 128, 256):
        write_png(os.path.join(ROOT, "build", "linux", "icon-%d.png" % size),
                  icon(cell, size), size)
    write_bmp(os.path.join(ROOT, "assets", "window-icon.bmp"), icon(cell, 64), 64)


if __name__ == "__main__":
    main()
