#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Draws the player's icon: resources/icons/liravo.svg and the PNG sizes the
window and the tray ask for. Plain Python (no imaging packages): the shapes
are tested per sample and 4 x 4 samples make one pixel, so the PNGs match the
SVG without an SVG renderer. Run from anywhere; rewrites the files."""
import math
import os
import struct
import zlib

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources", "icons")
SIZES = [16, 22, 24, 32, 48, 64, 128, 256]

RING = (0xC6, 0x28, 0x28)
FACE = (0x14, 0x14, 0x14)
NOTE = (0xFF, 0x52, 0x52)
TILT = -25.0  # degrees, as the SVG's rotate()

HEADS = [(96.0, 178.0), (172.0, 158.0)]
HEAD_RX, HEAD_RY = 26.0, 19.0
STEMS = [(117.0, 70.0, 12.0, 106.0), (193.0, 50.0, 12.0, 106.0)]  # x, y, w, h
BEAM = [(117.0, 70.0), (205.0, 50.0), (205.0, 78.0), (117.0, 98.0)]


def in_circle(x, y, r):
    return (x - 128.0) ** 2 + (y - 128.0) ** 2 <= r * r


def in_head(x, y, cx, cy):
    a = math.radians(-TILT)  # undo the tilt
    dx, dy = x - cx, y - cy
    u = dx * math.cos(a) - dy * math.sin(a)
    v = dx * math.sin(a) + dy * math.cos(a)
    return (u / HEAD_RX) ** 2 + (v / HEAD_RY) ** 2 <= 1.0


def in_polygon(x, y, pts):
    inside = False
    j = len(pts) - 1
    for i in range(len(pts)):
        xi, yi = pts[i]
        xj, yj = pts[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            inside = not inside
        j = i
    return inside


def sample(x, y):
    """Colour at a point of the 256 x 256 design, or None outside the icon."""
    if not in_circle(x, y, 120.0):
        return None
    colour = RING
    if in_circle(x, y, 104.0):
        colour = FACE
    note = any(in_head(x, y, cx, cy) for cx, cy in HEADS)
    note = note or any(sx <= x <= sx + w and sy <= y <= sy + h for sx, sy, w, h in STEMS)
    note = note or in_polygon(x, y, BEAM)
    return NOTE if note else colour


def render(size, grid=4):
    rows = []
    scale = 256.0 / size
    for py in range(size):
        row = bytearray([0])  # filter type: none
        for px in range(size):
            r = g = b = n = 0
            for sy in range(grid):
                for sx in range(grid):
                    c = sample((px + (sx + 0.5) / grid) * scale, (py + (sy + 0.5) / grid) * scale)
                    if c is not None:
                        r += c[0]
                        g += c[1]
                        b += c[2]
                        n += 1
            if n:
                row += bytes((r // n, g // n, b // n, 255 * n // (grid * grid)))
            else:
                row += bytes(4)
        rows.append(bytes(row))
    return rows


def png(size, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b""))


def hexcolour(c):
    return "#%02x%02x%02x" % c


def svg():
    heads = "".join(
        '  <ellipse cx="%g" cy="%g" rx="%g" ry="%g" transform="rotate(%g %g %g)"/>\n'
        % (cx, cy, HEAD_RX, HEAD_RY, TILT, cx, cy) for cx, cy in HEADS)
    stems = "".join('  <rect x="%g" y="%g" width="%g" height="%g"/>\n' % s for s in STEMS)
    beam = " ".join("%g,%g" % p for p in BEAM)
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 256 256">\n'
            '<circle cx="128" cy="128" r="120" fill="%s"/>\n'
            '<circle cx="128" cy="128" r="104" fill="%s"/>\n'
            '<g fill="%s">\n%s%s  <polygon points="%s"/>\n</g>\n</svg>\n'
            % (hexcolour(RING), hexcolour(FACE), hexcolour(NOTE), heads, stems, beam))


def main():
    os.makedirs(ROOT, exist_ok=True)
    with open(os.path.join(ROOT, "liravo.svg"), "w") as f:
        f.write(svg())
    for size in SIZES:
        with open(os.path.join(ROOT, "liravo-%d.png" % size), "wb") as f:
            f.write(png(size, render(size)))


if __name__ == "__main__":
    main()
