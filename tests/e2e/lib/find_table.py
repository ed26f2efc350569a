#!/usr/bin/env python3
"""Finds the game's table in a picture (PPM, P6, on stdin) by its top bar: the
first row with a run of at least 200 pixels of the bar's grey. Prints the
table's left, top and width in pixels; exit status 1 when none shows."""
import sys

data = sys.stdin.buffer.read()
fields = []
pos = 0
while len(fields) < 4:
    while data[pos:pos + 1].isspace():
        pos += 1
    # An empty or cut picture (a screenshot that failed) must not loop for ever.
    if pos >= len(data):
        sys.exit("not a P6 picture of 8-bit colours")
    if data[pos:pos + 1] == b"#":
        pos = data.index(b"\n", pos)
        continue
    end = pos
    while end < len(data) and not data[end:end + 1].isspace():
        end += 1
    fields.append(data[pos:end])
    pos = end
if fields[0] != b"P6" or fields[3] != b"255":
    sys.exit("not a P6 picture of 8-bit colours")
width, height = int(fields[1]), int(fields[2])
pixels = data[pos + 1:]
grey = b"\xc0\xc0\xc0"
run = grey * 200
for y in range(height):
    row = pixels[3 * width * y:3 * width * (y + 1)]
    at = row.find(run)
    while at >= 0 and at % 3:
        at = row.find(run, at + 1)
    if at < 0:
        continue
    end = at
    while row[end:end + 3] == grey:
        end += 3
    # The bar's light edge is a pixel left of and above the grey, its dark edge one right.
    print(at // 3 - 1, y - 1, (end - at) // 3 + 2)
    sys.exit(0)
sys.exit(1)
