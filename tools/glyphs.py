#!/usr/bin/env python3
"""Draws the chart toolbar's glyphs and writes them as 24-bit bitmaps into chart/glyphs/.

Each glyph exists at 24 x 24 pixels (named like "AUTO") and at 16 x 16 pixels (named with the prefix "SMALL"). The
background is teal (red 0, green 128, blue 128), which the toolbar treats as transparent, so the pictures are drawn
without blending. Shapes are given on a 24-unit grid and scaled to the glyph size. Run from the repository root:

    python3 tools/glyphs.py

and commit the bitmaps it writes. It needs nothing beyond Python's standard library.
"""

import math
import os
import struct
import sys

TEAL = (0, 128, 128)
BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
GREY = (128, 128, 128)
LIGHT = (192, 192, 192)
DARK = (64, 64, 64)
GREEN = (0, 160, 0)
BLUE = (0, 0, 192)
NAVY = (0, 0, 128)
RED = (208, 0, 0)
YELLOW = (255, 255, 0)
GLASS = (160, 224, 255)


class Canvas:
    """A square picture whose drawing calls take coordinates on a 24-unit grid."""

    def __init__(self, size):
        self.size = size
        self.k = size / 24.0
        self.pixels = [[TEAL] * size for _ in range(size)]

    def px(self, v):
        return int(math.floor(v * self.k + 1e-9))

    def put(self, x, y, color):
        if 0 <= x < self.size and 0 <= y < self.size:
            self.pixels[y][x] = color

    def fill_rect(self, x0, y0, x1, y1, color):
        """Fills the grid rectangle from (x0, y0) up to, not including, (x1, y1)."""
        for y in range(self.px(y0), max(self.px(y1), self.px(y0) + 1)):
            for x in range(self.px(x0), max(self.px(x1), self.px(x0) + 1)):
                self.put(x, y, color)

    def frame(self, x0, y0, x1, y1, color, fill=None):
        a, b, c, d = self.px(x0), self.px(y0), max(self.px(x1), self.px(x0) + 2) - 1, max(self.px(y1), self.px(y0) + 2) - 1
        for y in range(b, d + 1):
            for x in range(a, c + 1):
                if x in (a, c) or y in (b, d):
                    self.put(x, y, color)
                elif fill is not None:
                    self.put(x, y, fill)

    def dotted_frame(self, x0, y0, x1, y1, color):
        a, b, c, d = self.px(x0), self.px(y0), self.px(x1) - 1, self.px(y1) - 1
        for y in range(b, d + 1):
            for x in range(a, c + 1):
                if (x in (a, c) or y in (b, d)) and (x + y) % 2 == 0:
                    self.put(x, y, color)

    def line(self, x0, y0, x1, y1, color, width=1):
        """A line between pixel centres of the grid points, `width` pixels thick."""
        ax, ay, bx, by = self.px(x0), self.px(y0), self.px(x1), self.px(y1)
        steps = max(abs(bx - ax), abs(by - ay), 1)
        for i in range(steps + 1):
            x = round(ax + (bx - ax) * i / steps)
            y = round(ay + (by - ay) * i / steps)
            for dy in range(width):
                for dx in range(width):
                    self.put(x + dx - (width - 1) // 2, y + dy - (width - 1) // 2, color)

    def polygon(self, points, color):
        """Fills a polygon given on the grid: every pixel whose centre lies inside."""
        pts = [(x * self.k, y * self.k) for x, y in points]
        for y in range(self.size):
            cy = y + 0.5
            for x in range(self.size):
                cx = x + 0.5
                inside = False
                for i in range(len(pts)):
                    (xa, ya), (xb, yb) = pts[i], pts[(i + 1) % len(pts)]
                    if (ya > cy) != (yb > cy) and cx < xa + (cy - ya) * (xb - xa) / (yb - ya):
                        inside = not inside
                if inside:
                    self.put(x, y, color)

    def disc(self, cx, cy, r, color, ring=None, ring_width=1.0):
        """A disc of radius r (grid units), optionally with a ring of `ring_width` pixels at its edge."""
        ccx, ccy, rr = cx * self.k, cy * self.k, r * self.k
        for y in range(self.size):
            for x in range(self.size):
                d = math.hypot(x + 0.5 - ccx, y + 0.5 - ccy)
                if d <= rr:
                    self.put(x, y, ring if ring is not None and d > rr - ring_width else color)


def magnifier(c, sign=None):
    c.line(14, 14, 21, 21, DARK, width=max(2, round(3 * c.k)))
    c.disc(9.5, 9.5, 7.5, GLASS, ring=BLACK, ring_width=1.2)
    if sign:
        c.fill_rect(6, 9, 14, 10.9 if c.size == 24 else 10.6, BLACK)
        if sign == "+":
            c.fill_rect(9, 6, 10.9 if c.size == 24 else 10.6, 14, BLACK)


def sheet(c, x0, y0, x1, y1, fold=3):
    c.polygon([(x0, y0), (x1 - fold, y0), (x1, y0 + fold), (x1, y1), (x0, y1)], BLACK)
    c.polygon([(x0 + 1, y0 + 1), (x1 - fold - 0.5, y0 + 1), (x1 - 1, y0 + fold + 0.5), (x1 - 1, y1 - 1),
               (x0 + 1, y1 - 1)], WHITE)


def draw_auto(c):
    # Resume: a play triangle
    c.polygon([(6, 3), (20, 12), (6, 21)], BLACK)
    c.polygon([(7.3, 5.4), (17.6, 12), (7.3, 18.6)], GREEN)


def draw_pause(c):
    c.frame(5, 4, 10, 20, BLACK, fill=BLUE)
    c.frame(14, 4, 19, 20, BLACK, fill=BLUE)


def arrow_heads(c, color):
    c.polygon([(12, 1), (16, 6), (8, 6)], color)
    c.polygon([(12, 23), (8, 18), (16, 18)], color)
    c.polygon([(1, 12), (6, 8), (6, 16)], color)
    c.polygon([(23, 12), (18, 16), (18, 8)], color)


def draw_scroll(c):
    # Drag to scroll: arrows in four directions
    c.fill_rect(11, 5, 13, 19, BLACK)
    c.fill_rect(5, 11, 19, 13, BLACK)
    arrow_heads(c, BLACK)


def draw_zoom(c):
    magnifier(c)


def draw_zoomout(c):
    magnifier(c, "-")


def draw_zoomin(c):
    magnifier(c, "+")


def draw_select(c):
    # A mouse pointer
    c.polygon([(6, 2), (6, 19), (10, 15), (13, 22), (16, 21), (13, 14), (18, 14)], BLACK)
    c.polygon([(7.2, 5), (7.2, 16.3), (10.3, 13.2), (13.6, 20.5), (14.6, 20.1), (11.3, 12.9), (15.3, 12.9)], WHITE)


def draw_scrollbox(c):
    # Zoom box: a dotted frame with a small magnifier in its corner
    c.dotted_frame(2, 2, 19, 17, BLACK)
    c.line(15, 15, 21, 21, DARK, width=max(2, round(2 * c.k)))
    c.disc(13, 13, 4.5, GLASS, ring=BLACK, ring_width=1.0)


def draw_cursor(c):
    # Data cursor: a trace crossed by a vertical pointer with its value box
    pts = [(1, 17), (5, 11), (9, 15), (13, 7), (17, 13), (22, 9)]
    for (xa, ya), (xb, yb) in zip(pts, pts[1:]):
        c.line(xa, ya, xb, yb, GREEN)
    c.fill_rect(11, 1, 12.5 if c.size == 24 else 12.1, 23, RED)
    c.frame(14, 16, 23, 22, BLACK, fill=YELLOW)


def draw_properties(c):
    # A form with fields
    c.frame(2, 3, 22, 21, BLACK, fill=LIGHT)
    c.fill_rect(3, 4, 21, 7, NAVY)
    for y in (10, 15):
        c.frame(5, y, 19, y + 3.5, GREY, fill=WHITE)


def draw_copy(c):
    sheet(c, 2, 2, 13, 16)
    for y in (6, 9, 12):
        c.fill_rect(4, y, 10, y + 1, GREY)
    sheet(c, 10, 8, 22, 22)
    for y in (12, 15, 18):
        c.fill_rect(12, y, 19, y + 1, NAVY)


def draw_save(c):
    # A floppy disk
    c.polygon([(2, 2), (19, 2), (22, 5), (22, 22), (2, 22)], BLACK)
    c.polygon([(3, 3), (18.6, 3), (21, 5.4), (21, 21), (3, 21)], NAVY)
    c.frame(6, 3, 18, 10, BLACK, fill=WHITE)
    c.fill_rect(14, 4, 16, 9, NAVY)
    c.fill_rect(6, 14, 18, 21, LIGHT)


def draw_printer(c):
    c.frame(6, 2, 18, 10, BLACK, fill=WHITE)
    c.frame(2, 9, 22, 18, BLACK, fill=LIGHT)
    c.fill_rect(17, 11, 20, 13, GREEN)
    c.frame(6, 15, 18, 22, BLACK, fill=WHITE)
    c.fill_rect(8, 18, 16, 19, GREY)


def draw_preview(c):
    sheet(c, 3, 1, 18, 22)
    for y in (5, 8, 11):
        c.fill_rect(5, y, 14, y + 1, GREY)
    c.line(15, 16, 21, 22, DARK, width=max(2, round(2 * c.k)))
    c.disc(12, 13, 5, GLASS, ring=BLACK, ring_width=1.0)


GLYPHS = {
    "AUTO": draw_auto,
    "PAUSE": draw_pause,
    "SCROLL": draw_scroll,
    "ZOOM": draw_zoom,
    "ZOOMOUT": draw_zoomout,
    "ZOOMIN": draw_zoomin,
    "SELECT": draw_select,
    "SCROLLBOX": draw_scrollbox,
    "CURSOR": draw_cursor,
    "PROPERTIES": draw_properties,
    "COPY": draw_copy,
    "SAVE": draw_save,
    "PRINTER": draw_printer,
    "PREVIEW": draw_preview,
}


def bmp_bytes(canvas):
    size = canvas.size
    stride = (size * 3 + 3) // 4 * 4
    rows = b""
    for y in range(size - 1, -1, -1):
        row = b"".join(bytes((b, g, r)) for r, g, b in canvas.pixels[y])
        rows += row + b"\0" * (stride - len(row))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(rows), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, size, size, 1, 24, 0, len(rows), 3780, 3780, 0, 0)
    return header + info + rows


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out_dir = os.path.join(root, "chart", "glyphs")
    os.makedirs(out_dir, exist_ok=True)
    for name, draw in GLYPHS.items():
        for prefix, size in (("", 24), ("SMALL", 16)):
            canvas = Canvas(size)
            draw(canvas)
            with open(os.path.join(out_dir, prefix + name + ".bmp"), "wb") as f:
                f.write(bmp_bytes(canvas))
    return 0


if __name__ == "__main__":
    sys.exit(main())
