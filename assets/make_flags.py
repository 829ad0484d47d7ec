#!/usr/bin/env python3
"""Draws the two 128 by 128 RGBA flag images the program carries.

Run from this folder: python3 make_flags.py. Only the standard library is
used. Each flag fills a 128 by 96 band centred vertically (a 4:3 field that
reads clearly when shrunk to 30 by 30); the rows above and below are fully
transparent, so the overlay's key colour shows through there. Edges are
anti-aliased by 4 by 4 supersampling.
"""
import math
import struct
import zlib

SIZE = 128
TOP, BOTTOM = 16, 112          # the flag's band
SS = 4                         # supersampling per axis

US_RED = (178, 34, 52)
US_WHITE = (255, 255, 255)
US_BLUE = (60, 59, 110)
FR_BLUE = (0, 35, 149)
FR_WHITE = (255, 255, 255)
FR_RED = (237, 41, 57)


def star_contains(cx, cy, r, x, y):
    """True when x, y lies inside a five-pointed star centred at cx, cy."""
    points = []
    for i in range(10):
        radius = r if i % 2 == 0 else r * 0.382
        angle = -math.pi / 2 + i * math.pi / 5
        points.append((cx + radius * math.cos(angle), cy + radius * math.sin(angle)))
    inside = False
    j = len(points) - 1
    for i in range(len(points)):
        xi, yi = points[i]
        xj, yj = points[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            inside = not inside
        j = i
    return inside


def us_colour(x, y):
    h = BOTTOM - TOP
    v = (y - TOP) / h
    canton_w, canton_h = SIZE * 0.45, h * 7 / 13
    if x < canton_w and (y - TOP) < canton_h:
        # A reduced star field (4 rows of 5) stays legible at 30 pixels.
        rows, cols = 4, 5
        for row in range(rows):
            for col in range(cols):
                cx = canton_w * (col + 0.5) / cols
                cy = TOP + canton_h * (row + 0.5) / rows
                if star_contains(cx, cy, canton_h / rows * 0.42, x, y):
                    return US_WHITE
        return US_BLUE
    stripe = int(v * 13)
    return US_RED if stripe % 2 == 0 else US_WHITE


def fr_colour(x, _y):
    third = int(x * 3 / SIZE)
    return (FR_BLUE, FR_WHITE, FR_RED)[min(third, 2)]


def render(colour_at):
    rows = []
    for py in range(SIZE):
        row = bytearray()
        for px in range(SIZE):
            acc = [0, 0, 0, 0]
            for sy in range(SS):
                for sx in range(SS):
                    x = px + (sx + 0.5) / SS
                    y = py + (sy + 0.5) / SS
                    if TOP <= y < BOTTOM:
                        r, g, b = colour_at(x, y)
                        acc[0] += r
                        acc[1] += g
                        acc[2] += b
                        acc[3] += 1
            n = acc[3]
            if n == 0:
                row += bytes((0, 0, 0, 0))
            else:
                row += bytes((round(acc[0] / n), round(acc[1] / n), round(acc[2] / n),
                              round(255 * n / (SS * SS))))
        rows.append(bytes(row))
    return rows


def write_png(path, rows):
    raw = b"".join(b"\x00" + row for row in rows)

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    header = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(chunk(b"IHDR", header))
        out.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        out.write(chunk(b"IEND", b""))


if __name__ == "__main__":
    write_png("us_flag.png", render(us_colour))
    write_png("fr_flag.png", render(fr_colour))
