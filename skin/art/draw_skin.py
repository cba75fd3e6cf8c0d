#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Draws the bitmaps of Strakel's own skin ("Graphite") into xplorer_mod/.

Every bitmap is a strip of frames side by side, 24 bits per pixel; magenta
(255, 0, 255) marks pixels that the skin leaves transparent. Run it after
changing a colour or a size here; the bitmaps it writes are checked in and
packed into Xplorer_mod.skn at build time.
"""
import os
import struct

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "xplorer_mod")
CLEAR = (255, 0, 255)

# The palette: neutral dark greys so that photographs and drawings keep their
# own colours, one calm blue for focus and the default button.
EDGE = (22, 24, 28)
TITLE = (44, 48, 55)
TITLE_TOP = (58, 63, 71)
TITLE_OFF = (58, 61, 66)
TITLE_OFF_TOP = (68, 71, 76)
FACE = (56, 60, 67)
ACCENT = (91, 155, 213)
GLYPH = (214, 218, 224)
GLYPH_OFF = (140, 146, 154)


class Image:
    def __init__(self, w, h, fill=CLEAR):
        self.w, self.h = w, h
        self.px = [[fill] * w for _ in range(h)]

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def rect(self, x, y, w, h, c):
        for j in range(y, y + h):
            for i in range(x, x + w):
                self.set(i, j, c)

    def blend(self, x, y, c, a):
        if not (0 <= x < self.w and 0 <= y < self.h) or a <= 0:
            return
        b = self.px[y][x]
        self.px[y][x] = tuple(round(b[k] + (c[k] - b[k]) * min(a, 1.0)) for k in range(3))

    def save(self, name):
        row = (self.w * 3 + 3) & ~3
        data = bytearray()
        for y in range(self.h - 1, -1, -1):
            line = bytearray()
            for r, g, b in self.px[y]:
                line += bytes((b, g, r))
            data += line + bytes(row - len(line))
        head = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
        info = struct.pack("<IiiHHIIiiII", 40, self.w, self.h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(head + info + data)


def rounded(img, ox, w, h, border, fill, radius=3, top=0):
    """A rounded rectangle at (ox, top): `border` on its edge, `fill` inside,
    the corners outside the arc left transparent."""
    for y in range(h):
        for x in range(w):
            # Distance from the nearest corner centre, for the corner pixels only.
            cx = radius - 0.5 if x < radius else (w - radius - 0.5 if x >= w - radius else x)
            cy = radius - 0.5 if y < radius else (h - radius - 0.5 if y >= h - radius else y)
            d = ((x - cx) ** 2 + (y - cy) ** 2) ** 0.5
            if d > radius:
                continue
            edge = x == 0 or y == 0 or x == w - 1 or y == h - 1 or d > radius - 1
            img.set(ox + x, top + y, border if edge else fill)


def line_aa(img, x0, y0, x1, y1, c, width=1.2, ox=0, oy=0):
    """An anti-aliased line by coverage sampling, over what is already drawn."""
    for y in range(img.h):
        for x in range(img.w):
            hits = 0
            for sy in range(4):
                for sx in range(4):
                    px, py = x - ox + (sx + 0.5) / 4, y - oy + (sy + 0.5) / 4
                    dx, dy = x1 - x0, y1 - y0
                    t = max(0.0, min(1.0, ((px - x0) * dx + (py - y0) * dy) / (dx * dx + dy * dy)))
                    qx, qy = x0 + t * dx, y0 + t * dy
                    if (px - qx) ** 2 + (py - qy) ** 2 <= (width / 2) ** 2:
                        hits += 1
            img.blend(x, y, c, hits / 16)


def borders():
    # Title strip, frames: active, inactive. 1 px outer edge, a lighter top
    # line, then the flat bar; 26 px high, ends of 8 px kept unstretched.
    top = Image(48, 26)
    for f, (bar, hi) in enumerate(((TITLE, TITLE_TOP), (TITLE_OFF, TITLE_OFF_TOP))):
        ox = f * 24
        top.rect(ox, 0, 24, 26, bar)
        top.rect(ox, 0, 24, 1, EDGE)
        top.rect(ox, 0, 1, 26, EDGE)
        top.rect(ox + 23, 0, 1, 26, EDGE)
        top.rect(ox + 1, 1, 22, 1, hi)
    top.save("top.bmp")
    # Left and right borders: 4 px, frames active and inactive.
    for name, edge_x in (("left.bmp", 0), ("right.bmp", 3)):
        img = Image(8, 8)
        for f, bar in enumerate((TITLE, TITLE_OFF)):
            img.rect(f * 4, 0, 4, 8, bar)
            img.rect(f * 4 + edge_x, 0, 1, 8, EDGE)
        img.save(name)
    bottom = Image(16, 4)
    for f, bar in enumerate((TITLE, TITLE_OFF)):
        bottom.rect(f * 8, 0, 8, 4, bar)
        bottom.rect(f * 8, 3, 8, 1, EDGE)
        bottom.rect(f * 8, 0, 1, 4, EDGE)
        bottom.rect(f * 8 + 7, 0, 1, 4, EDGE)
    bottom.save("bottom.bmp")
    # Menu bar, frames active and inactive: the title colour runs on into it,
    # closed by a dark line.
    bar = Image(16, 20)
    for f, c in enumerate((TITLE, TITLE_OFF)):
        bar.rect(f * 8, 0, 8, 20, c)
        bar.rect(f * 8, 19, 8, 1, EDGE)
    bar.save("menubar.bmp")


def title_buttons():
    # 3 frames each (normal, hover, pressed), 30 x 22, over the title colour.
    w, h = 30, 22
    looks = (
        ("close.bmp", ((TITLE, GLYPH), ((196, 67, 67), (255, 255, 255)), ((150, 48, 48), (240, 240, 240)))),
        ("maximize.bmp", ((TITLE, GLYPH), ((70, 76, 86), (255, 255, 255)), ((36, 39, 45), GLYPH))),
        ("minimize.bmp", ((TITLE, GLYPH), ((70, 76, 86), (255, 255, 255)), ((36, 39, 45), GLYPH))),
    )
    for name, frames in looks:
        img = Image(w * 3, h)
        for f, (bg, fg) in enumerate(frames):
            ox = f * w
            img.rect(ox, 0, w, h, bg)
            cx, cy = ox + w / 2, h / 2
            if name == "close.bmp":
                line_aa(img, cx - 4.5, cy - 4.5, cx + 4.5, cy + 4.5, fg)
                line_aa(img, cx - 4.5, cy + 4.5, cx + 4.5, cy - 4.5, fg)
            elif name == "maximize.bmp":
                x0, y0 = int(cx) - 5, int(cy) - 5
                img.rect(x0, y0, 10, 1, fg)
                img.rect(x0, y0 + 9, 10, 1, fg)
                img.rect(x0, y0, 1, 10, fg)
                img.rect(x0 + 9, y0, 1, 10, fg)
            else:
                img.rect(int(cx) - 5, int(cy), 10, 1, fg)
        img.save(name)


def controls():
    # Push button, 5 frames of 24 x 24: normal, hover, pressed, disabled, default.
    looks = (
        ((96, 104, 116), (74, 80, 90)),
        ((124, 133, 146), (86, 93, 104)),
        ((70, 76, 86), (52, 56, 63)),
        ((70, 74, 80), (62, 65, 71)),
        (ACCENT, (74, 80, 90)),
    )
    img = Image(24 * 5, 24)
    for f, (border, fill) in enumerate(looks):
        rounded(img, f * 24, 24, 24, border, fill)
    # The default button's accent ring is 2 px wide.
    rounded(img, 4 * 24 + 1, 22, 22, ACCENT, looks[4][1], radius=2, top=1)
    img.save("button.bmp")

    # Check box, 8 frames of 13 x 13: unchecked normal, hover, pressed,
    # disabled, then the same checked.
    img = Image(13 * 8, 13)
    box = (((120, 128, 140), (36, 39, 45)), ((150, 158, 170), (44, 48, 55)),
           ((100, 108, 120), (28, 30, 35)), ((78, 82, 88), (50, 53, 58)))
    for f in range(8):
        border, fill = box[f % 4]
        if f >= 4:
            border = fill = ACCENT if f % 4 != 3 else (84, 96, 110)
            if f % 4 == 1:
                border = fill = (118, 176, 228)
        rounded(img, f * 13, 13, 13, border, fill, radius=2)
        if f >= 4:
            mark = (255, 255, 255) if f % 4 != 3 else (170, 176, 184)
            line_aa(img, f * 13 + 3, 6.5, f * 13 + 5.5, 9, mark, 1.6)
            line_aa(img, f * 13 + 5.5, 9, f * 13 + 10, 3.8, mark, 1.6)
    img.save("check.bmp")

    # Group box: a 1 px rounded line, transparent inside.
    img = Image(16, 16)
    rounded(img, 0, 16, 16, (86, 92, 102), CLEAR, radius=3)
    img.save("groupbox.bmp")

    # Sunken edge of edits and panels, 4 frames: normal, hover, focus, disabled.
    img = Image(12 * 4, 12)
    for f, c in enumerate(((96, 104, 116), (124, 133, 146), ACCENT, (70, 74, 80))):
        rounded(img, f * 12, 12, 12, c, CLEAR, radius=2)
    img.save("sunkedge.bmp")

    # Menu items, 5 frames: normal, selected, pressed, disabled, disabled
    # and selected.
    img = Image(16 * 5, 20)
    for f, c in enumerate((None, (66, 96, 128), (76, 110, 146), None, (62, 66, 73))):
        img.rect(f * 16, 0, 16, 20, (47, 51, 58))
        if c:
            rounded(img, f * 16, 16, 20, c, c, radius=3)
    img.save("menuitem.bmp")
    img = Image(8, 8, (47, 51, 58))
    img.rect(0, 0, 8, 1, (80, 86, 96))
    img.rect(0, 7, 8, 1, (80, 86, 96))
    img.rect(0, 0, 1, 8, (80, 86, 96))
    img.rect(7, 0, 1, 8, (80, 86, 96))
    img.save("menuback.bmp")

    # Scroll bar tracks (4 frames: normal, hover, pressed, disabled) and
    # thumbs (3 frames: normal, hover, pressed).
    for name, horz in (("hscroll.bmp", True), ("vscroll.bmp", False)):
        img = Image(12 * 4, 12) if horz else Image(12 * 4, 12)
        for f, c in enumerate(((40, 43, 49), (44, 48, 55), (44, 48, 55), (50, 53, 58))):
            img.rect(f * 12, 0, 12, 12, c)
        img.save(name)
    for name in ("hthumb.bmp", "vthumb.bmp"):
        img = Image(12 * 3, 12, (40, 43, 49))
        for f, c in enumerate(((96, 104, 116), (124, 133, 146), ACCENT)):
            rounded(img, f * 12 + 2, 8, 8, c, c, radius=3, top=2)
        img.save(name)


if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    borders()
    title_buttons()
    controls()
