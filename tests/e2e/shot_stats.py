#!/usr/bin/env python3
"""Pixel facts about a region of a screenshot, for the end-to-end scripts.

usage: shot_stats.py SHOT.png X0 Y0 X1 Y1 [R,G,B]
Prints key=value lines: the number of near-white pixels and their bounding
box, the number of clearly red pixels (flag stripes), the number of pixels of exactly the key colour (0,255,0), the most
common colour in the region, and with R,G,B the number of pixels of exactly
that colour.
"""
import collections
import subprocess
import sys


def read_ppm(png):
    data = subprocess.run(["convert", png, "-depth", "8", "ppm:-"], check=True,
                          capture_output=True).stdout
    # P6 header: magic, width, height, maxval, each separated by white space.
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        start = pos
        while not data[pos:pos + 1].isspace():
            pos += 1
        fields.append(data[start:pos])
    pos += 1
    width, height = int(fields[1]), int(fields[2])
    return width, height, data[pos:]


def main():
    png = sys.argv[1]
    x0, y0, x1, y1 = (int(v) for v in sys.argv[2:6])
    wanted = tuple(int(v) for v in sys.argv[6].split(",")) if len(sys.argv) > 6 else None
    width, height, pixels = read_ppm(png)
    x0, y0 = max(0, x0), max(0, y0)
    x1, y1 = min(width, x1), min(height, y1)
    white = 0
    key = 0
    red = 0
    box = [None, None, None, None]
    colours = collections.Counter()
    for y in range(y0, y1):
        row = y * width * 3
        for x in range(x0, x1):
            r, g, b = pixels[row + 3 * x:row + 3 * x + 3]
            colours[(r, g, b)] += 1
            if r == 0 and g == 255 and b == 0:
                key += 1
            if r > 140 and g < 90 and b < 100:
                red += 1
            if r > 235 and g > 235 and b > 235:
                white += 1
                box[0] = x if box[0] is None else min(box[0], x)
                box[1] = y if box[1] is None else min(box[1], y)
                box[2] = x if box[2] is None else max(box[2], x)
                box[3] = y if box[3] is None else max(box[3], y)
    common = colours.most_common(1)[0][0] if colours else (0, 0, 0)
    print(f"white={white}")
    print(f"key={key}")
    print(f"red={red}")
    print("white_box=" + (" ".join(str(v) for v in box) if white else "none"))
    print("common=%d,%d,%d" % common)
    if wanted:
        print(f"match={colours[wanted]}")


if __name__ == "__main__":
    main()
