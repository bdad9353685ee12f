#!/usr/bin/env python3
"""Draws the editor's pictures: the continue-icon bitmap, the program icon and the glyphs of the
speed bar and the tool box.

Every picture is described once, as shapes on a grid of "design pixels" (20 for speed-bar glyphs,
32 for the rest), and rasterised here without smoothing into the 16-colour VGA palette, so the
same drawing gives a crisp 32x32 icon and clean redraws at 48 to 256 pixels. Standard library
only; the output is deterministic, so running the script again changes no bytes.

    scripts/make-glyphs.py                 write resources/ and resources/resources.qrc
    scripts/make-glyphs.py --preview F.png also write an enlarged contact sheet for checking
"""

import argparse
import math
import os
import re
import struct
import zlib

# The 16 colours of the VGA palette, in the order of the standard 4-bit colour table.
VGA = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = range(8)
GRAY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = range(8, 16)
CLEAR = 16  # background: transparent in PNG and ICO, button-face silver in the BMP

SPEEDBAR = [24331, 24332, 24333, 24322, 24323, 24324, 24321, 24328]
TOOLBOX = [25101, 25102, 25103, 25104, 25201, 25202, 25203, 25204, 25205, 25206, 25106, 25107]
ICON_SIZES = [16, 32, 48, 64, 128, 256]


# ----------------------------------------------------------------------------------------------
# Rasteriser: a pixel belongs to a shape when its centre lies inside it. Outlines are drawn on the
# inside of a shape's edge, one design pixel wide (at least one real pixel).

class Canvas:
    def __init__(self, size, design):
        self.size = size
        self.scale = size / design
        self.px = [[CLEAR] * size for _ in range(size)]

    def _centres(self, box):
        s, n = self.scale, self.size
        x0, y0, x1, y1 = box
        for y in range(max(0, int(y0 * s) - 1), min(n, int(math.ceil(y1 * s)) + 1)):
            for x in range(max(0, int(x0 * s) - 1), min(n, int(math.ceil(x1 * s)) + 1)):
                yield x, y, (x + 0.5) / s, (y + 0.5) / s

    def _edge(self, width):
        # Distance (in design pixels) from an edge within which a centre counts as outline.
        return max(width, 1.0 / self.scale)

    def rect(self, x0, y0, x1, y1, fill=None, line=BLACK, width=1):
        edge = self._edge(width)
        for x, y, cx, cy in self._centres((x0, y0, x1, y1)):
            if x0 <= cx < x1 and y0 <= cy < y1:
                d = min(cx - x0, x1 - cx, cy - y0, y1 - cy)
                if line is not None and d < edge:
                    self.px[y][x] = line
                elif fill is not None:
                    self.px[y][x] = fill

    def poly(self, pts, fill=None, line=BLACK, width=1):
        xs = [p[0] for p in pts]
        ys = [p[1] for p in pts]
        edge = self._edge(width)
        for x, y, cx, cy in self._centres((min(xs), min(ys), max(xs), max(ys))):
            if not _inside(pts, cx, cy):
                continue
            if line is not None and _edge_distance(pts, cx, cy) < edge:
                self.px[y][x] = line
            elif fill is not None:
                self.px[y][x] = fill

    def ellipse(self, cx0, cy0, rx, ry, fill=None, line=BLACK, width=1):
        edge = self._edge(width)
        for x, y, cx, cy in self._centres((cx0 - rx, cy0 - ry, cx0 + rx, cy0 + ry)):
            f = math.hypot((cx - cx0) / rx, (cy - cy0) / ry)
            if f > 1:
                continue
            if line is not None and (1 - f) * min(rx, ry) < edge:
                self.px[y][x] = line
            elif fill is not None:
                self.px[y][x] = fill

    def stroke(self, pts, color=BLACK, width=1, closed=False):
        """A line through pts, width design pixels wide, centred on the path."""
        segs = list(zip(pts, pts[1:] + pts[:1] if closed else pts[1:]))
        half = max(width, 1.0 / self.scale) / 2
        xs = [p[0] for p in pts]
        ys = [p[1] for p in pts]
        box = (min(xs) - half, min(ys) - half, max(xs) + half, max(ys) + half)
        for x, y, cx, cy in self._centres(box):
            if min(_seg_distance(a, b, cx, cy) for a, b in segs) <= half:
                self.px[y][x] = color

    def arc(self, cx0, cy0, r, a0, a1, color=BLACK, width=1):
        """Part of a circle from angle a0 to a1 (degrees, 0 = right, counter-clockwise)."""
        half = max(width, 1.0 / self.scale) / 2
        for x, y, cx, cy in self._centres((cx0 - r - half, cy0 - r - half, cx0 + r + half,
                                           cy0 + r + half)):
            d = math.hypot(cx - cx0, cy - cy0)
            a = math.degrees(math.atan2(cy0 - cy, cx - cx0))
            if abs(d - r) <= half and a0 <= a <= a1:
                self.px[y][x] = color

    def stamp(self, x0, y0, rows, colors):
        """A small pixel pattern (one character per design pixel, '.' = untouched)."""
        for x, y, cx, cy in self._centres((x0, y0, x0 + len(rows[0]), y0 + len(rows))):
            i, j = int(math.floor(cy - y0)), int(math.floor(cx - x0))
            if 0 <= i < len(rows) and 0 <= j < len(rows[i]) and rows[i][j] in colors:
                self.px[y][x] = colors[rows[i][j]]


def _inside(pts, x, y):
    inside = False
    n = len(pts)
    for i in range(n):
        (x1, y1), (x2, y2) = pts[i], pts[(i + 1) % n]
        if (y1 > y) != (y2 > y) and x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
            inside = not inside
    return inside


def _seg_distance(a, b, x, y):
    (ax, ay), (bx, by) = a, b
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    t = 0 if length2 == 0 else max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / length2))
    return math.hypot(x - ax - t * dx, y - ay - t * dy)


def _edge_distance(pts, x, y):
    return min(_seg_distance(pts[i], pts[(i + 1) % len(pts)], x, y) for i in range(len(pts)))


def star(cx, cy, outer, inner, points=5):
    pts = []
    for k in range(points * 2):
        r = outer if k % 2 == 0 else inner
        a = math.pi * k / points - math.pi / 2
        pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return pts


# ----------------------------------------------------------------------------------------------
# Shared motifs, so that the same thing looks the same on every button.

def page(c, x0, y0, x1, y1, fold=0, text=None):
    """A sheet of paper, optionally with a folded corner and lines of text."""
    if fold:
        c.poly([(x0, y0), (x1 - fold, y0), (x1, y0 + fold), (x1, y1), (x0, y1)], WHITE)
        c.poly([(x1 - fold, y0), (x1 - fold + 0.01, y0 + fold), (x1, y0 + fold)], SILVER)
        c.stroke([(x1 - fold + 0.5, y0 + 0.5), (x1 - fold + 0.5, y0 + fold - 0.5),
                  (x1 - 0.5, y0 + fold - 0.5)])
    else:
        c.rect(x0, y0, x1, y1, WHITE)
    if text is not None:
        for y in range(y0 + 3 + (fold and 2), y1 - 2, 2):
            c.rect(x0 + 2, y, x1 - 2 - (y == y0 + 3 and fold), y + 1, text, None)


def sprite(c, cx, cy, r, fill=YELLOW, line=BLACK):
    """The editor's 'object': a five-pointed star."""
    c.poly(star(cx, cy, r, r * 0.45), fill, line)


def film(c, x0, y0, x1, y1, window=AQUA):
    """A piece of film: black strip, sprocket holes above and below, one picture window."""
    c.rect(x0, y0, x1, y1, BLACK)
    for x in range(x0 + 2, x1 - 2, 4):
        c.rect(x, y0 + 1, x + 2, y0 + 3, WHITE, None)
        c.rect(x, y1 - 3, x + 2, y1 - 1, WHITE, None)
    c.rect(x0 + 2, y0 + 4, x1 - 2, y1 - 4, window, None)


def load_arrow(c, x, y):
    """The green downward arrow of the 'read' commands; (x, y) is its top-left corner."""
    c.poly([(x + 3, y), (x + 8, y), (x + 8, y + 6), (x + 11, y + 6), (x + 5.5, y + 12),
            (x, y + 6), (x + 3, y + 6)], LIME)


def red_cross(c, x0, y0, x1, y1):
    c.stroke([(x0, y0), (x1, y1)], BLACK, 4.2)
    c.stroke([(x1, y0), (x0, y1)], BLACK, 4.2)
    c.stroke([(x0, y0), (x1, y1)], RED, 2.4)
    c.stroke([(x1, y0), (x0, y1)], RED, 2.4)


# ----------------------------------------------------------------------------------------------
# Speed bar, 20x20: file and clipboard commands.

def g_file_new(c):
    page(c, 4, 1, 16, 19, fold=5)
    c.stamp(1, 1, ["..y..", ".yyy.", "yyyyy", ".yyy.", "..y.."], {"y": YELLOW})
    c.stamp(1, 1, ["..k..", ".k.k.", "k...k", ".k.k.", "..k.."], {"k": OLIVE})


def g_file_open(c):
    c.poly([(1, 4), (7, 4), (9, 6), (16, 6), (16, 17), (1, 17)], OLIVE)
    page(c, 4, 2, 14, 12, text=GRAY)
    c.poly([(1, 17), (4.5, 9), (19.5, 9), (16, 17)], YELLOW)


def g_file_save(c):
    c.poly([(2, 2), (16, 2), (18, 4), (18, 18), (2, 18)], NAVY)
    c.rect(6, 2, 15, 8, SILVER)
    c.rect(11, 3, 13, 7, NAVY, None)
    c.rect(4, 11, 16, 18, WHITE)
    c.rect(6, 13, 14, 14, GRAY, None)
    c.rect(6, 15, 12, 16, GRAY, None)


def g_edit_cut(c):
    # Two blades crossing at the pivot, ring handles below.
    c.poly([(5.5, 12), (13, 1), (14.5, 1.5), (8.5, 12.5)], SILVER)
    c.poly([(14.5, 12), (7, 1), (5.5, 1.5), (11.5, 12.5)], SILVER)
    c.ellipse(10, 8.3, 1, 1, BLACK, None)
    for cx in (5.5, 14.5):
        c.ellipse(cx, 15, 3.6, 3.6, None, RED, 1.6)


def g_edit_copy(c):
    page(c, 2, 1, 13, 14, text=GRAY)
    page(c, 7, 6, 18, 19, text=NAVY)


def g_edit_paste(c):
    c.rect(2, 3, 15, 19, OLIVE)
    c.rect(5, 1, 12, 5, SILVER)
    c.rect(7, 2, 10, 3, BLACK, None)
    page(c, 8, 8, 18, 19, text=NAVY)


def turn_arrow(c, mirror):
    """A curved arrow turning back: to the left for undo, to the right (mirrored) for redo."""
    def m(x):
        return 20 - x if mirror else x
    halves = [(90, 180), (-180, -90)] if mirror else [(-90, 90)]
    for color, width in ((BLACK, 4.2), (NAVY, 2.4)):
        for a0, a1 in halves:
            c.arc(10, 11, 6, a0, a1, color, width)
    c.stroke([(m(10), 17), (m(6), 17)], NAVY, 2.4)
    c.poly([(m(2), 5), (m(9), 0.5), (m(9), 9.5)], NAVY)


def g_edit_undo(c):
    turn_arrow(c, False)


def g_edit_redo(c):
    turn_arrow(c, True)


# ----------------------------------------------------------------------------------------------
# Tool box, 32x32: object and cell commands.

def g_new_object(c):
    sprite(c, 13, 18, 12)
    c.poly([(22, 2), (26, 2), (26, 6), (30, 6), (30, 10), (26, 10), (26, 14), (22, 14),
            (22, 10), (18, 10), (18, 6), (22, 6)], LIME)


def g_delete_object(c):
    sprite(c, 13, 18, 12)
    red_cross(c, 19.5, 3.5, 28.5, 12.5)


def g_clear_object(c):
    c.poly(star(13, 18, 12, 5.4), WHITE, GRAY)
    c.poly([(22, 11), (30, 19), (22, 27), (14, 19)], None, BLACK)
    c.poly([(22, 11), (30, 19), (26, 23), (18, 15)], FUCHSIA)
    c.poly([(18, 15), (26, 23), (22, 27), (14, 19)], WHITE)


def g_help(c):
    c.poly([(4, 5), (9, 2), (28, 2), (28, 25), (9, 25), (4, 29)], NAVY)
    c.rect(8, 25, 28, 29, WHITE)
    c.poly([(4, 5), (9, 2), (9, 25), (4, 29)], BLUE)
    c.stroke([(9, 2.5), (9, 25)], BLACK, 1)
    c.stamp(13, 6, [
        ".yyyyy.",
        "yyyyyyy",
        "yy...yy",
        "....yyy",
        "...yyy.",
        "..yyy..",
        "..yy...",
        "..yy...",
        ".......",
        "..yy...",
        "..yy...",
    ], {"y": YELLOW})


def g_read_image(c):
    c.rect(1, 9, 24, 30, SILVER)
    c.rect(3, 11, 22, 28, AQUA)
    c.poly([(3, 28), (3, 21), (9, 17), (15, 21), (22, 19), (22, 28)], GREEN, None)
    c.ellipse(17, 15.5, 2.5, 2.5, YELLOW, OLIVE)
    c.rect(3, 11, 22, 28, None)
    load_arrow(c, 20, 1)


def g_read_sound(c):
    c.rect(1, 15, 6, 25, GRAY)
    c.poly([(5, 15), (12, 8), (12, 32), (5, 25)], SILVER)
    for r in (4, 8.5):
        c.arc(12, 20, r, -45, 45, NAVY, 2.2)
    load_arrow(c, 20, 1)


def g_make_mask(c):
    c.rect(2, 2, 20, 20, WHITE)
    sprite(c, 11, 11.5, 7.5)
    c.rect(12, 12, 30, 30, WHITE)
    sprite(c, 21, 21.5, 7.5, BLACK)


def g_continue(c):
    # A frame that goes on: dots of the frames before, then a bold arrow to the right.
    for x in (2, 6):
        c.rect(x, 14, x + 3, 18, NAVY)
    c.poly([(10, 11), (18, 11), (18, 4), (30, 16), (18, 28), (18, 21), (10, 21)], BLUE)
    c.rect(12, 13, 18, 15, AQUA, None)


def g_test(c):
    film(c, 1, 6, 31, 26)
    c.poly([(12, 11), (22, 16), (12, 21)], LIME)


def g_delete_frame(c):
    film(c, 2, 4, 22, 28)
    sprite(c, 12, 16, 6)
    red_cross(c, 18.5, 17.5, 28.5, 27.5)


def g_check(c):
    # The problems check: a magnifying glass over a page of the object's frames.
    page(c, 2, 2, 21, 27, fold=5, text=GRAY)
    sprite(c, 10, 15, 5.5)
    c.ellipse(20, 19, 7, 7, AQUA, BLACK, 2)
    c.stroke([(25.5, 24.5), (30, 29)], BLACK, 3.5)


def g_stage(c):
    """The stage: a dark stage with two objects on it, one moving (its trail)."""
    c.rect(1, 3, 31, 29, NAVY)
    for x in range(4, 11, 3):
        c.rect(x, 19, x + 2, 21, AQUA, None)
    sprite(c, 17, 19, 8)
    sprite(c, 25, 10, 5, LIME)


def pencil(c, tip, end, half):
    """A pencil from its point to the end of its eraser, half its width across."""
    (tx, ty), (ex, ey) = tip, end
    length = math.hypot(ex - tx, ey - ty)
    ux, uy = (ex - tx) / length, (ey - ty) / length
    nx, ny = -uy * half, ux * half

    def at(d, side):
        return (tx + ux * d + nx * side, ty + uy * d + ny * side)

    point = 2.2 * half
    c.poly([at(point, 1), at(length - 2 * half, 1), at(length - 2 * half, -1), at(point, -1)],
           YELLOW)
    c.poly([at(length - 2 * half, 1), at(length, 1), at(length, -1), at(length - 2 * half, -1)],
           RED)
    c.poly([at(0, 0), at(point, 1), at(point, -1)], WHITE)
    c.poly([at(0, 0), at(point * 0.45, 0.45), at(point * 0.45, -0.45)], BLACK)


# The program icon: a piece of film with a star, and a pencil that draws it.
def g_icon(c):
    film(c, 1, 7, 31, 27, TEAL)
    sprite(c, 12, 17.5, 8)
    pencil(c, (17, 18), (31, 1), 2.4)


# At 16 pixels the film keeps only its holes and the star its outline.
def g_icon_small(c):
    c.rect(0, 1, 16, 15, BLACK)
    for x in range(1, 16, 3):
        c.rect(x, 2, x + 2, 3, WHITE, None)
        c.rect(x, 13, x + 2, 14, WHITE, None)
    c.rect(1, 4, 15, 12, TEAL, None)
    c.poly(star(8, 8.4, 5.6, 2.4), YELLOW, None)


GLYPHS = {
    24331: g_file_new, 24332: g_file_open, 24333: g_file_save,
    24322: g_edit_cut, 24323: g_edit_copy, 24324: g_edit_paste,
    24321: g_edit_undo, 24328: g_edit_redo,
    25101: g_new_object, 25102: g_delete_object, 25103: g_clear_object, 25104: g_help,
    25201: g_read_image, 25202: g_read_sound, 25203: g_make_mask, 25204: g_continue,
    25205: g_test, 25206: g_delete_frame, 25106: g_check, 25107: g_stage,
}


def draw(fn, size, design):
    c = Canvas(size, design)
    fn(c)
    return c.px


# ----------------------------------------------------------------------------------------------
# File formats.

def png_bytes(px):
    """8-bit indexed PNG: the 16 VGA colours and one fully transparent entry."""
    h, w = len(px), len(px[0])

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(
            ">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    plte = b"".join(bytes(rgb) for rgb in VGA) + bytes(VGA[SILVER])
    trns = bytes([255] * 16 + [0])
    raw = b"".join(b"\0" + bytes(row) for row in px)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 3, 0, 0, 0)) +
            chunk(b"PLTE", plte) + chunk(b"tRNS", trns) + chunk(b"IDAT", zlib.compress(raw, 9)) +
            chunk(b"IEND", b""))


def color_table():
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in VGA)


def rows_4bit(px, background):
    """Bottom-up rows of 4-bit indices, each padded to 4 bytes."""
    out = b""
    for row in reversed(px):
        idx = [background if p == CLEAR else p for p in row]
        if len(idx) % 2:
            idx.append(0)
        line = bytes((idx[i] << 4) | idx[i + 1] for i in range(0, len(idx), 2))
        out += line + b"\0" * (-len(line) % 4)
    return out


def info_header(w, h, bits, image_size, colors):
    return struct.pack("<IiiHHIIiiII", 40, w, h, 1, bits, 0, image_size, 0, 0, colors, 0)


def bmp_bytes(px):
    """A 4-bit Windows bitmap file with the 40-byte info header and a 16-entry colour table."""
    h, w = len(px), len(px[0])
    bits = rows_4bit(px, SILVER)
    offset = 14 + 40 + 16 * 4
    return (struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset) +
            info_header(w, h, 4, len(bits), 16) + color_table() + bits)


def ico_bytes(images):
    """A Windows icon of 16-colour images, each with its transparency (AND) mask."""
    entries, blobs = [], []
    offset = 6 + 16 * len(images)
    for px in images:
        h, w = len(px), len(px[0])
        xor = rows_4bit(px, BLACK)
        mask = b""
        for row in reversed(px):
            bits = 0
            for x, p in enumerate(row):
                if p == CLEAR:
                    bits |= 1 << (len(row) - 1 - x)
            line = bits.to_bytes((w + 7) // 8, "big")
            mask += line + b"\0" * (-len(line) % 4)
        blob = info_header(w, 2 * h, 4, len(xor) + len(mask), 0) + color_table() + xor + mask
        entries.append(struct.pack("<BBBBHHII", w % 256, h % 256, 16, 0, 1, 4, len(blob), offset))
        blobs.append(blob)
        offset += len(blob)
    return struct.pack("<HHH", 0, 1, len(images)) + b"".join(entries) + b"".join(blobs)


# ----------------------------------------------------------------------------------------------

def write(root, rel, data, written):
    path = os.path.join(root, rel)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)
    written.append(rel)


def preview(path, rows, zoom=6, gap=8):
    """The pictures enlarged on silver, one row of pictures per list, for looking at them."""
    width = max(sum(len(p[0]) * zoom + gap for p in row) for row in rows) + gap
    heights = [max(len(p) for p in row) * zoom + gap for row in rows]
    canvas = [[SILVER] * width for _ in range(sum(heights) + gap)]
    top = gap
    for row, height in zip(rows, heights):
        left = gap
        for p in row:
            for y, line in enumerate(p):
                for i, v in enumerate(line):
                    for dy in range(zoom):
                        for dx in range(zoom):
                            canvas[top + y * zoom + dy][left + i * zoom + dx] = (
                                SILVER if v == CLEAR else v)
            left += len(p[0]) * zoom + gap
        top += height
    with open(path, "wb") as f:
        f.write(png_bytes(canvas))


OWN_FOLDERS = ("speedbar/", "toolbox/", "bitmaps/", "icons/")


def update_qrc(path, written):
    """Lists the pictures in the resource file, keeping any other entries it already has."""
    others = []
    if os.path.exists(path):
        with open(path, encoding="utf-8") as f:
            for line in f:
                m = re.search(r"<file(?: [^>]*)?>([^<]+)</file>", line)
                if m and not m.group(1).startswith(OWN_FOLDERS):
                    others.append(line.rstrip("\n"))
    qrc = ['<!DOCTYPE RCC>', '<RCC version="1.0">', '  <qresource prefix="/">']
    qrc += [f"    <file>{rel}</file>" for rel in sorted(written)]
    qrc += sorted(others)
    qrc += ['  </qresource>', '</RCC>', '']
    with open(path, "w", encoding="utf-8") as f:
        f.write("\n".join(qrc))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.join(here, "..", "resources"))
    parser.add_argument("--preview", help="also write an enlarged contact sheet here")
    args = parser.parse_args()

    written, shown = [], [[], [], [], []]
    for cid in SPEEDBAR:
        px = draw(GLYPHS[cid], 20, 20)
        write(args.out, f"speedbar/{cid}.png", png_bytes(px), written)
        shown[0].append(px)
    for cid in TOOLBOX:
        px = draw(GLYPHS[cid], 32, 32)
        write(args.out, f"toolbox/{cid}.png", png_bytes(px), written)
        shown[1 + (len(shown[1]) >= 5)].append(px)
    # The continue icon is also the picture a continue frame shows in the grid.
    write(args.out, "bitmaps/25204.bmp", bmp_bytes(draw(g_continue, 32, 32)), written)
    icons = {n: draw(g_icon, n, 32) for n in ICON_SIZES}
    icons[16] = draw(g_icon_small, 16, 16)
    for n in ICON_SIZES:
        write(args.out, f"icons/keledit-{n}.png", png_bytes(icons[n]), written)
    write(args.out, "icons/keledit.ico", ico_bytes([icons[16], icons[32], icons[48]]), written)
    shown[3] += [icons[n] for n in (16, 32, 48, 64)]

    update_qrc(os.path.join(args.out, "resources.qrc"), written)

    if args.preview:
        preview(args.preview, shown)


if __name__ == "__main__":
    main()
