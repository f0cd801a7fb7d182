#!/usr/bin/env python3
"""Draws Tallivor II's icons as 16-colour pixel art and writes them as PNG and ICO files.

The main icon is a ledger page with entry lines and a gold key in front of it (32 px, with
a 64 px copy blown up pixel for pixel for desktop menus). The progress icon, for the clearing
windows, is an hourglass at 16, 32 and 48 px. Only the Python standard library is used; run
it again after changing a drawing and commit the files it writes.
"""

import os
import struct
import sys
import zlib

# The classic 16-colour palette.
PALETTE = [
    (0x00, 0x00, 0x00),  # 0 black
    (0x00, 0x00, 0x80),  # 1 navy
    (0x00, 0x80, 0x00),  # 2 green
    (0x00, 0x80, 0x80),  # 3 teal
    (0x80, 0x00, 0x00),  # 4 maroon
    (0x80, 0x00, 0x80),  # 5 purple
    (0x80, 0x80, 0x00),  # 6 olive
    (0xC0, 0xC0, 0xC0),  # 7 silver
    (0x80, 0x80, 0x80),  # 8 grey
    (0x00, 0x00, 0xFF),  # 9 blue
    (0x00, 0xFF, 0x00),  # 10 lime
    (0x00, 0xFF, 0xFF),  # 11 cyan
    (0xFF, 0x00, 0x00),  # 12 red
    (0xFF, 0x00, 0xFF),  # 13 magenta
    (0xFF, 0xFF, 0x00),  # 14 yellow
    (0xFF, 0xFF, 0xFF),  # 15 white
]
BLACK, NAVY, GREEN, TEAL, MAROON, PURPLE, OLIVE, SILVER = range(8)
GREY, BLUE, LIME, CYAN, RED, MAGENTA, YELLOW, WHITE = range(8, 16)
CLEAR = 16  # the transparent index, after the 16 colours


class Canvas:
    def __init__(self, size):
        self.size = size
        self.px = [[CLEAR] * size for _ in range(size)]

    def inside(self, x, y):
        return 0 <= x < self.size and 0 <= y < self.size

    def set(self, x, y, c):
        if self.inside(x, y):
            self.px[y][x] = c

    def get(self, x, y):
        return self.px[y][x] if self.inside(x, y) else CLEAR

    def rect(self, x0, y0, x1, y1, c):
        """Fills the rectangle with both corners included."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, c)

    def paint(self, mask, c):
        for x, y in mask:
            self.set(x, y, c)

    def outline(self, mask, c):
        """Draws c on the pixels just outside the mask (4-neighbourhood)."""
        cells = set(mask)
        ring = set()
        for x, y in cells:
            for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                n = (x + dx, y + dy)
                if n not in cells:
                    ring.add(n)
        self.paint(ring, c)

    def scaled(self, factor):
        big = Canvas(self.size * factor)
        for y in range(big.size):
            for x in range(big.size):
                big.px[y][x] = self.px[y // factor][x // factor]
        return big


def disc(cx, cy, r, size):
    """Pixels whose centres lie within r of (cx, cy)."""
    return [(x, y) for y in range(size) for x in range(size)
            if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= r * r]


def box(x0, y0, x1, y1):
    return [(x, y) for y in range(y0, y1 + 1) for x in range(x0, x1 + 1)]


def draw_main():
    """A ledger page with name and number lines, and a gold key in front of it."""
    c = Canvas(32)
    # The ledger: navy cover with a blue spine, white page with a silver edge.
    c.rect(3, 1, 26, 29, NAVY)
    c.rect(4, 2, 5, 28, BLUE)
    c.rect(8, 3, 24, 27, WHITE)
    c.rect(24, 4, 24, 27, SILVER)
    c.rect(9, 27, 24, 27, SILVER)
    c.outline(box(3, 1, 26, 29), BLACK)
    # Binding rings across the spine.
    for y in (6, 12, 18, 24):
        c.rect(6, y, 9, y, SILVER)
        c.rect(6, y + 1, 9, y + 1, GREY)
    # Entry lines: a short name and a longer number on each row.
    for y in (5, 8, 11, 14, 17):
        c.rect(11, y, 14, y, GREY)
        c.rect(16, y, 22, y, NAVY)
    # A red bookmark ribbon over the top edge.
    c.rect(20, 0, 22, 3, RED)
    c.set(21, 3, MAROON)

    # The key: a round bow with a hole, a shaft to the left and two teeth.
    cx, cy = 24.0, 22.0
    bow = disc(cx, cy, 5.6, 32)
    hole = set(disc(cx + 0.5, cy, 2.3, 32))
    shaft = box(7, 21, 19, 23)
    teeth = box(8, 24, 9, 26) + box(11, 24, 12, 25)
    ring = [p for p in bow if p not in hole]
    key = ring + shaft + teeth
    c.outline(key, BLACK)
    c.paint(key, YELLOW)
    c.paint(hole, WHITE)
    # Shading: olive along the lower right, white glints on the upper left.
    c.paint([(x, y) for x, y in ring
             if (x + 0.5 - cx) + (y + 0.5 - cy) > 3.5
             and (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 > 16], OLIVE)
    c.paint(box(7, 23, 19, 23) + box(9, 24, 9, 26) + box(12, 24, 12, 25), OLIVE)
    c.set(21, 18, WHITE)
    c.set(22, 17, WHITE)
    c.rect(9, 21, 11, 21, WHITE)
    return c


# At 16 px the drawn hourglass comes out blotchy, so that size is set pixel by pixel.
PROGRESS_16 = [
    ".KKKKKKKKKKKKKK.",
    "KRRRRRRRRRRRRRRK",
    "KMMMMMMMMMMMMMMK",
    ".KKKKKKKKKKKKKK.",
    ".G.TCWCCCCCCT.G.",
    ".G..TCCCCCCT..G.",
    ".G...TYYYYT...G.",
    ".G....TYYT....G.",
    ".G....TYCT....G.",
    ".G...TCYCCT...G.",
    ".G..TCYYYYCT..G.",
    ".G.TYYYYYYYYT.G.",
    ".KKKKKKKKKKKKKK.",
    "KRRRRRRRRRRRRRRK",
    "KMMMMMMMMMMMMMMK",
    ".KKKKKKKKKKKKKK.",
]
LETTERS = {".": CLEAR, "K": BLACK, "M": MAROON, "R": RED, "G": GREY, "T": TEAL, "C": CYAN,
           "Y": YELLOW, "O": OLIVE, "W": WHITE}


def from_rows(rows):
    c = Canvas(len(rows))
    for y, row in enumerate(rows):
        assert len(row) == c.size
        for x, letter in enumerate(row):
            c.px[y][x] = LETTERS[letter]
    return c


def draw_progress(size):
    """An hourglass with sand running down, for the clearing windows."""
    if size == 16:
        return from_rows(PROGRESS_16)
    c = Canvas(size)
    m = max(1, round(size * 0.06))      # margin
    h = max(2, round(size * 0.11))      # height of the wooden caps
    top0, top1 = m, m + h - 1
    bot0, bot1 = size - m - h, size - 1 - m
    # Wooden caps: maroon with a red glint on top.
    for y0, y1 in ((top0, top1), (bot0, bot1)):
        c.rect(m, y0, size - 1 - m, y1, MAROON)
        c.rect(m + 1, y0, size - 2 - m, y0, RED)
    c.outline(box(m, top0, size - 1 - m, top1) + box(m, bot0, size - 1 - m, bot1), BLACK)
    # Posts between the caps.
    pw = 1 if size < 40 else 2
    for x in (m + 1, size - 1 - m - pw):
        c.rect(x, top1 + 1, x + pw - 1, bot0 - 1, GREY)
        if pw > 1:
            c.rect(x, top1 + 1, x, bot0 - 1, SILVER)

    # The glass: two funnels meeting at a narrow neck in the middle.
    g0, g1 = top1 + 1, bot0 - 1
    mid = (size - 1) / 2.0
    wide = (size - 2 * m) / 2.0 - pw - 1.5
    neck = max(0.6, size / 32.0)
    glass = []
    for y in range(g0, g1 + 1):
        t = abs((y + 0.5) - size / 2.0) / ((g1 - g0 + 1) / 2.0)
        half = neck + (wide - neck) * min(1.0, t * 1.15)
        for x in range(size):
            if abs(x - mid) <= half:
                glass.append((x, y))
    gset = set(glass)
    c.paint(glass, CYAN)
    edge = [(x, y) for x, y in glass
            if any((x + dx, y + dy) not in gset for dx, dy in ((1, 0), (-1, 0)))]
    c.paint(edge, TEAL)

    # Sand: what is left in the top bulb, a thin stream, a heap in the bottom bulb.
    half_height = (g1 - g0 + 1) / 2.0
    for x, y in glass:
        if (x, y) in edge:
            continue
        depth_top = (y + 0.5 - g0) / half_height          # 0 at the top cap, 1 at the neck
        depth_bot = (g1 + 0.5 - y) / half_height          # 0 at the bottom cap, 1 at the neck
        if y < size / 2.0 and depth_top > 0.55:
            c.set(x, y, YELLOW)
        if y >= size / 2.0 and depth_bot < 0.5 - abs(x - mid) / size:
            c.set(x, y, YELLOW)
    for y in range(int(size / 2), g1 + 1):
        if c.get(int(mid + 0.5), y) == CYAN:
            c.set(int(mid + 0.5), y, YELLOW)
    # A glint on the glass.
    c.set(int(mid - wide / 2), g0 + 1, WHITE)
    return c


def png_bytes(canvas):
    """An 8-bit indexed PNG with the 16 colours plus one transparent entry."""
    raw = b"".join(b"\x00" + bytes(row) for row in canvas.px)

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    palette = b"".join(bytes(rgb) for rgb in PALETTE) + b"\x00\x00\x00"
    alpha = b"\xff" * 16 + b"\x00"
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", canvas.size, canvas.size, 8, 3, 0, 0, 0))
            + chunk(b"PLTE", palette)
            + chunk(b"tRNS", alpha)
            + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def ico_bytes(images):
    """An ICO file holding PNG images (read by Windows Vista and later)."""
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries, blobs = b"", b""
    for canvas in images:
        data = png_bytes(canvas)
        side = canvas.size if canvas.size < 256 else 0
        entries += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(data), offset)
        blobs += data
        offset += len(data)
    return header + entries + blobs


def main():
    out = os.path.dirname(os.path.abspath(__file__))
    if len(sys.argv) > 1:
        out = sys.argv[1]
    icon = draw_main()
    progress = {s: draw_progress(s) for s in (16, 32, 48)}
    files = {
        "tallivor2-32.png": png_bytes(icon),
        "tallivor2-64.png": png_bytes(icon.scaled(2)),
        "tallivor2.ico": ico_bytes([icon]),
        "progress.ico": ico_bytes([progress[s] for s in (16, 32, 48)]),
    }
    for s, canvas in progress.items():
        files["progress-%d.png" % s] = png_bytes(canvas)
    for name, data in files.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
