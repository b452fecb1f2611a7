#!/usr/bin/env python3
"""Draws the game's pictures and writes them as XPM files into art/.

The build never runs this: the XPM files it writes are committed and compiled
in by art/art.cpp. Run it after changing a drawing here:

    python3 art/tools/make_art.py            # rewrite art/*.xpm
    python3 art/tools/make_art.py --preview DIR
                                             # also write enlarged PNG previews
                                             # and sample text lines (needs
                                             # ImageMagick's convert)

Pixels are held as characters: ' ' transparent (None), '.' opaque black,
'#' bright green. The icons also use 'g' for dark green.
"""

import math
import os
import subprocess
import sys

ART_DIR = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

COLOURS = {' ': 'None', '.': '#000000', '#': '#00FF00', 'g': '#008000'}

# --------------------------------------------------------------------------
# Canvas helpers


class Canvas:
    def __init__(self, w, h, fill=' '):
        self.w, self.h = w, h
        self.px = [[fill] * w for _ in range(h)]

    def get(self, x, y):
        if 0 <= x < self.w and 0 <= y < self.h:
            return self.px[y][x]
        return None

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def rows(self):
        return [''.join(r) for r in self.px]

    def stamp(self, art, ox=0, oy=0, skip=' '):
        """Copies an ASCII drawing in; `skip` characters leave pixels alone."""
        for y, row in enumerate(art):
            for x, c in enumerate(row):
                if c != skip:
                    self.set(ox + x, oy + y, c)

    def line(self, x0, y0, x1, y1, c='#'):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        while True:
            self.set(x0, y0, c)
            if x0 == x1 and y0 == y1:
                break
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def polyline(self, pts, c='#'):
        for a, b in zip(pts, pts[1:]):
            self.line(a[0], a[1], b[0], b[1], c)


def outline_region(canvas, inside, edge='#', fill='.', thickness=1):
    """Fills a region black and draws its border green, `thickness` pixels
    wide (a pixel is border if one within that distance lies outside)."""
    for y in range(canvas.h):
        for x in range(canvas.w):
            if not inside(x, y):
                continue
            border = False
            for dy in range(-thickness, thickness + 1):
                for dx in range(-thickness, thickness + 1):
                    if abs(dx) + abs(dy) > thickness and thickness == 1:
                        continue
                    if not inside(x + dx, y + dy):
                        border = True
            canvas.set(x, y, edge if border else fill)


def mirror_rows(rows):
    return [r[::-1] for r in rows]


def symmetric(half_rows):
    """A picture whose right half is the mirror of the given left half."""
    return [r + r[::-1] for r in half_rows]


# --------------------------------------------------------------------------
# The font: 65 glyphs drawn on a 7 x 7 grid (narrower for thin glyphs), each
# grid square becoming 2 x 2 pixels, so every stroke is 2 pixels wide and a
# capital fills the cell's 14 rows. A glyph n squares wide is centred in the
# cell's 16 drawable columns (columns 1 to 16).

GLYPHS = {
    ' ': [''] * 7,
    '!': ['X', 'X', 'X', 'X', 'X', '.', 'X'],
    '"': ['X.X', 'X.X', 'X.X', '...', '...', '...', '...'],
    '#': ['.X.X.', '.X.X.', 'XXXXX', '.X.X.', 'XXXXX', '.X.X.', '.X.X.'],
    '$': ['..X..', '.XXXX', 'X.X..', '.XXX.', '..X.X', 'XXXX.', '..X..'],
    '%': ['XX...X', 'XX..X.', '...X..', '..X...', '.X....', 'X...XX', '....XX'],
    '&': ['.XX..', 'X..X.', 'X.X..', '.X...', 'X.X.X', 'X..X.', '.XX.X'],
    "'": ['X', 'X', 'X', '.', '.', '.', '.'],
    '(': ['..X', '.X.', 'X..', 'X..', 'X..', '.X.', '..X'],
    ')': ['X..', '.X.', '..X', '..X', '..X', '.X.', 'X..'],
    '*': ['..X..', 'X.X.X', '.XXX.', '..X..', '.XXX.', 'X.X.X', '..X..'],
    '+': ['.....', '..X..', '..X..', 'XXXXX', '..X..', '..X..', '.....'],
    ',': ['..', '..', '..', '..', '..', '.X', 'X.'],
    '-': ['.....', '.....', '.....', 'XXXXX', '.....', '.....', '.....'],
    '.': ['X' if r == 6 else '.' for r in range(7)],
    '/': ['....X', '...X.', '...X.', '..X..', '.X...', '.X...', 'X....'],
    '0': ['.XXXXX.', 'X....XX', 'X...X.X', 'X..X..X', 'X.X...X', 'XX....X', '.XXXXX.'],
    '1': ['..XX...', '.X.X...', '...X...', '...X...', '...X...', '...X...', '.XXXXX.'],
    '2': ['.XXXXX.', 'X.....X', '......X', '..XXXX.', '.X.....', 'X......', 'XXXXXXX'],
    '3': ['.XXXXX.', 'X.....X', '......X', '..XXXX.', '......X', 'X.....X', '.XXXXX.'],
    '4': ['....XX.', '...X.X.', '..X..X.', '.X...X.', 'XXXXXXX', '.....X.', '.....X.'],
    '5': ['XXXXXXX', 'X......', 'XXXXXX.', '......X', '......X', 'X.....X', '.XXXXX.'],
    '6': ['..XXXX.', '.X.....', 'X......', 'XXXXXX.', 'X.....X', 'X.....X', '.XXXXX.'],
    '7': ['XXXXXXX', '......X', '.....X.', '....X..', '...X...', '...X...', '...X...'],
    '8': ['.XXXXX.', 'X.....X', 'X.....X', '.XXXXX.', 'X.....X', 'X.....X', '.XXXXX.'],
    '9': ['.XXXXX.', 'X.....X', 'X.....X', '.XXXXXX', '......X', '.....X.', '.XXXX..'],
    ':': ['.', 'X', '.', '.', '.', 'X', '.'],
    ';': ['..', '.X', '..', '..', '..', '.X', 'X.'],
    '<': ['...X', '..X.', '.X..', 'X...', '.X..', '..X.', '...X'],
    '=': ['.....', '.....', 'XXXXX', '.....', 'XXXXX', '.....', '.....'],
    '>': ['X...', '.X..', '..X.', '...X', '..X.', '.X..', 'X...'],
    '?': ['.XXXXX.', 'X.....X', '......X', '....XX.', '...X...', '.......', '...X...'],
    '@': ['.XXXXX.', 'X.....X', 'X.XXX.X', 'X.X.X.X', 'X.XXXXX', 'X......', '.XXXXXX'],
    'A': ['.XXXXX.', 'X.....X', 'X.....X', 'XXXXXXX', 'X.....X', 'X.....X', 'X.....X'],
    'B': ['XXXXXX.', 'X.....X', 'X.....X', 'XXXXXX.', 'X.....X', 'X.....X', 'XXXXXX.'],
    'C': ['.XXXXX.', 'X.....X', 'X......', 'X......', 'X......', 'X.....X', '.XXXXX.'],
    'D': ['XXXXXX.', 'X.....X', 'X.....X', 'X.....X', 'X.....X', 'X.....X', 'XXXXXX.'],
    'E': ['XXXXXXX', 'X......', 'X......', 'XXXXXX.', 'X......', 'X......', 'XXXXXXX'],
    'F': ['XXXXXXX', 'X......', 'X......', 'XXXXXX.', 'X......', 'X......', 'X......'],
    'G': ['.XXXXX.', 'X.....X', 'X......', 'X...XXX', 'X.....X', 'X.....X', '.XXXXX.'],
    'H': ['X.....X', 'X.....X', 'X.....X', 'XXXXXXX', 'X.....X', 'X.....X', 'X.....X'],
    'I': ['XXXXX', '..X..', '..X..', '..X..', '..X..', '..X..', 'XXXXX'],
    'J': ['......X', '......X', '......X', '......X', 'X.....X', 'X.....X', '.XXXXX.'],
    'K': ['X.....X', 'X....X.', 'X...X..', 'XXXX...', 'X...X..', 'X....X.', 'X.....X'],
    'L': ['X......', 'X......', 'X......', 'X......', 'X......', 'X......', 'XXXXXXX'],
    'M': ['X.....X', 'XX...XX', 'X.X.X.X', 'X..X..X', 'X.....X', 'X.....X', 'X.....X'],
    'N': ['X.....X', 'XX....X', 'X.X...X', 'X..X..X', 'X...X.X', 'X....XX', 'X.....X'],
    'O': ['.XXXXX.', 'X.....X', 'X.....X', 'X.....X', 'X.....X', 'X.....X', '.XXXXX.'],
    'P': ['XXXXXX.', 'X.....X', 'X.....X', 'XXXXXX.', 'X......', 'X......', 'X......'],
    'Q': ['.XXXXX.', 'X.....X', 'X.....X', 'X.....X', 'X...X.X', 'X....X.', '.XXXX.X'],
    'R': ['XXXXXX.', 'X.....X', 'X.....X', 'XXXXXX.', 'X...X..', 'X....X.', 'X.....X'],
    'S': ['.XXXXX.', 'X.....X', 'X......', '.XXXXX.', '......X', 'X.....X', '.XXXXX.'],
    'T': ['XXXXXXX', '...X...', '...X...', '...X...', '...X...', '...X...', '...X...'],
    'U': ['X.....X', 'X.....X', 'X.....X', 'X.....X', 'X.....X', 'X.....X', '.XXXXX.'],
    'V': ['X.....X', 'X.....X', 'X.....X', '.X...X.', '.X...X.', '..X.X..', '...X...'],
    'W': ['X.....X', 'X.....X', 'X.....X', 'X..X..X', 'X.X.X.X', 'XX...XX', 'X.....X'],
    'X': ['X.....X', '.X...X.', '..X.X..', '...X...', '..X.X..', '.X...X.', 'X.....X'],
    'Y': ['X.....X', '.X...X.', '..X.X..', '...X...', '...X...', '...X...', '...X...'],
    'Z': ['XXXXXXX', '.....X.', '....X..', '...X...', '..X....', '.X.....', 'XXXXXXX'],
    '[': ['XXX', 'X..', 'X..', 'X..', 'X..', 'X..', 'XXX'],
    '\\': ['X....', '.X...', '.X...', '..X..', '...X.', '...X.', '....X'],
    ']': ['XXX', '..X', '..X', '..X', '..X', '..X', 'XXX'],
    '^': ['..X..', '.X.X.', 'X...X', '.....', '.....', '.....', '.....'],
    '_': ['.......', '.......', '.......', '.......', '.......', '.......', 'XXXXXXX'],
    '`': ['X.', '.X', '..', '..', '..', '..', '..'],
}

CELL_W, CELL_H = 18, 14
FIRST_CODE, LAST_CODE = 32, 96


def glyph_cell(ch):
    design = GLYPHS[ch]
    assert len(design) == 7, ch
    width = max(len(r) for r in design)
    assert all(len(r) in (0, width) for r in design), ch
    assert width <= 8, ch
    cell = Canvas(CELL_W, CELL_H)
    ox = 1 + (16 - 2 * width) // 2
    for gy, row in enumerate(design):
        for gx, c in enumerate(row):
            if c == 'X':
                for dy in range(2):
                    for dx in range(2):
                        cell.set(ox + 2 * gx + dx, 2 * gy + dy, '#')
    return cell


def font_sheet():
    sheet = Canvas(CELL_W * (LAST_CODE - FIRST_CODE + 1), CELL_H)
    for code in range(FIRST_CODE, LAST_CODE + 1):
        sheet.stamp(glyph_cell(chr(code)).rows(), (code - FIRST_CODE) * CELL_W, 0)
    return sheet


# --------------------------------------------------------------------------
# Sprites


def plate():
    # A steel girder: two flanges joined by a zigzag web, riveted at the ends.
    c = Canvas(80, 10, '.')
    for x in range(80):
        c.set(x, 0, '#')
        c.set(x, 9, '#')
        c.set(x, 2, '#')
        c.set(x, 7, '#')
    for y in range(10):
        c.set(0, y, '#')
        c.set(79, y, '#')
    # the web: a zigzag between the inner flange lines, rows 3 to 6
    for x in range(3, 77):
        t = (x - 3) % 8
        c.set(x, 3 + (t if t < 4 else 7 - t), '#')
    for x in (2, 77):
        for y in range(3, 7):
            c.set(x, y, '#')
    return c


def car():
    # Side view, facing right: a low body, a cabin with two windows, two wheels.
    c = Canvas(34, 16)

    def body(x, y):
        if not (0 <= x < 34 and 0 <= y < 16):
            return False
        if 6 <= y <= 12:
            cut = {6: 3, 7: 1, 11: 0, 12: 1}.get(y, 0)
            return cut <= x <= 33 - cut
        if 0 <= y <= 5:
            # cabin: sloping rear and windscreen
            left = 12 - y if y < 5 else 7
            right = 20 + y if y < 5 else 26
            return left - 1 <= x <= right - 1
        return False

    outline_region(c, body)
    # belt line under the windows and the window frames
    windows = [(lambda x, y: 2 <= y <= 5 and 13 - y <= x <= 16),
               (lambda x, y: 2 <= y <= 5 and 18 <= x <= 20 + y)]
    for inside in windows:
        for y in range(16):
            for x in range(34):
                if inside(x, y):
                    edge = not all(inside(x + dx, y + dy)
                                   for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
                    c.set(x, y, '#' if edge else '.')
    # the door seam and handle
    for y in range(7, 11):
        c.set(17, y, '#')
    c.set(19, 7, '#')
    c.set(20, 7, '#')
    # headlight and tail light
    c.set(32, 8, '#')
    c.set(31, 8, '#')
    c.set(1, 8, '#')
    # wheels: a clear black gap around each, then rim and hub
    for cx in (8.5, 25.5):
        cy = 11.5
        for y in range(16):
            for x in range(34):
                d = math.hypot(x - cx, y - cy)
                if d < 5.2 and body(x, y):
                    c.set(x, y, '.')
        for y in range(16):
            for x in range(34):
                d = math.hypot(x - cx, y - cy)
                if d < 4.3:
                    c.set(x, y, '#' if d > 3.0 or d < 1.0 else '.')
    return c


def arrow():
    # An upward marker: an outlined arrow head on a shaft, 2-pixel strokes,
    # hollow inside so the playfield shows through.
    c = Canvas(20, 32)

    def inside(x, y):
        if not (0 <= x < 20 and 0 <= y < 32):
            return False
        xc = abs(x - 9.5)
        if y < 11:
            return xc <= 0.5 + y * 0.9
        return xc <= 4.0

    for y in range(32):
        for x in range(20):
            if not inside(x, y):
                continue
            near_out = any(not inside(x + dx, y + dy)
                           for dx in range(-2, 3) for dy in range(-2, 3)
                           if dx * dx + dy * dy <= 4)
            if near_out:
                c.set(x, y, '#')
    return c


def enemy():
    # A crawler seen from the front: a domed shell with angry eyes and fangs,
    # three jointed legs a side, all on an opaque black box.
    c = Canvas(34, 16, '.')

    def shell(x, y):
        return 0 <= y <= 11 and ((x - 16.5) / 10.5) ** 2 + ((y - 7.5) / 6.8) ** 2 <= 1.0

    outline_region(c, shell)
    for y in range(16):
        for x in range(17):
            # the left eye; its brow slopes down towards the middle
            if 9 <= x <= 14 and y <= 8 and y >= 4 + (x - 9) * 0.6:
                c.set(x, y, '#')
                c.set(33 - x, y, '#')
    for x, y in ((12, 7), (13, 7), (12, 8)):
        c.set(x, y, '.')
        c.set(33 - x, y, '.')
    legs = [[(8, 4), (4, 1), (0, 6)],
            [(7, 8), (3, 6), (0, 13)],
            [(9, 11), (6, 12), (3, 15)]]
    fangs = [[(14, 11), (14, 13)], [(15, 11), (15, 12)], [(11, 12), (12, 14)]]
    for pts in legs + fangs:
        c.polyline(pts)
        c.polyline([(33 - x, y) for x, y in pts])
    return c


def coin():
    c = Canvas(10, 10)
    half = [
        "  ###",
        " #...",
        "#....",
        "#...#",
        "#..#.",
        "#..#.",
        "#...#",
        "#....",
        " #...",
        "  ###",
    ]
    c.stamp(symmetric(half))
    return c


def bullet_left():
    c = Canvas(9, 4)
    c.stamp(["  ###### ",
             "##......#",
             "##......#",
             "  ###### "])
    return c


def transpose(canvas):
    out = Canvas(canvas.h, canvas.w)
    for y in range(canvas.h):
        for x in range(canvas.w):
            out.set(y, x, canvas.get(x, y))
    return out


# Narrower "V" and "5" than the font's, so that "V5" fits inside the icon's
# frame with room to spare.
ICON_GLYPHS = {
    'V': ['X....X', 'X....X', 'X....X', '.X..X.', '.X..X.', '..XX..', '..XX..'],
    '5': ['XXXXXX', 'X.....', 'XXXXX.', '.....X', '.....X', 'X....X', '.XXXX.'],
}


def icon(size):
    # "V5" on a rounded black tile, green for the letters, dark green for the
    # frame and a speed line beneath.
    c = Canvas(size, size)
    big = size == 32
    r = 4 if big else 2

    def tile(x, y):
        if not (0 <= x < size and 0 <= y < size):
            return False
        dx = max(r - x, x - (size - 1 - r), 0)
        dy = max(r - y, y - (size - 1 - r), 0)
        return dx * dx + dy * dy <= r * r

    outline_region(c, tile, edge='g' if big else '.')
    scale = 2 if big else 1
    gap = 2
    gw = 6 * scale
    ox = (size - (2 * gw + gap)) // 2
    oy = 6 if big else 3
    for n, ch in enumerate('V5'):
        for gy, row in enumerate(ICON_GLYPHS[ch]):
            for gx, px in enumerate(row):
                if px == 'X':
                    for dy in range(scale):
                        for dx in range(scale):
                            c.set(ox + n * (gw + gap) + gx * scale + dx, oy + gy * scale + dy, '#')
    line_y = oy + 7 * scale + (2 if big else 1)
    for x in range(ox, size - ox):
        for dy in range(scale):
            c.set(x, line_y + dy, 'g')
    return c


# --------------------------------------------------------------------------
# Output


def xpm_text(name, canvas):
    rows = canvas.rows()
    used = sorted({ch for row in rows for ch in row}, key=lambda ch: ' .#g'.index(ch))
    lines = ['%d %d %d 1' % (canvas.w, canvas.h, len(used))]
    lines += ['%s c %s' % (ch, COLOURS[ch]) for ch in used]
    lines += rows
    body = ',\n'.join('"%s"' % line for line in lines)
    return '/* XPM */\nstatic const char *%s_xpm[] = {\n%s};\n' % (name, body)


def pictures():
    left = bullet_left()
    right = Canvas(9, 4)
    right.stamp(mirror_rows(left.rows()), skip='')
    up = transpose(left)
    return {
        'plate': plate(),
        'car': car(),
        'arrow': arrow(),
        'enemy': enemy(),
        'coin': coin(),
        'bullet_left': left,
        'bullet_right': right,
        'bullet_up': up,
        'font': font_sheet(),
        'icon32': icon(32),
        'icon16': icon(16),
    }


def write_png(canvas, path, scale, background='#000000'):
    tmp = path + '.xpm'
    with open(tmp, 'w') as f:
        f.write(xpm_text('preview', canvas))
    subprocess.run(['convert', tmp, '-background', background, '-flatten', '-scale',
                    '%d%%' % (100 * scale), path], check=True)
    os.remove(tmp)


def text_line(text):
    line = Canvas(CELL_W * len(text), CELL_H, '.')
    for i, ch in enumerate(text.upper()):
        cell = glyph_cell(ch)
        line.stamp(cell.rows(), i * CELL_W, 0)
    return line


def preview(out_dir):
    os.makedirs(out_dir, exist_ok=True)
    pics = pictures()
    for name, canvas in pics.items():
        if name != 'font':
            write_png(canvas, os.path.join(out_dir, name + '.png'), 8, '#404040')
    # the font sheet in rows of 13 glyphs, enlarged
    chars = ''.join(chr(c) for c in range(FIRST_CODE, LAST_CODE + 1))
    sheet = Canvas(CELL_W * 13, CELL_H * 5, '.')
    for i, ch in enumerate(chars):
        cell = glyph_cell(ch)
        for y in range(CELL_H):
            for x in range(CELL_W):
                v = cell.get(x, y)
                # mark the cell's edge columns faintly to check the clear gap
                sheet.set((i % 13) * CELL_W + x, (i // 13) * CELL_H + y,
                          v if v == '#' else ('g' if x in (0, 17) else '.'))
    write_png(sheet, os.path.join(out_dir, 'font_sheet.png'), 4)
    samples = ['VOLTARO ZIP 5', 'HIGH SCORE!!', 'SCORE:1234', 'HP:3', 'PRESS ENTER',
               'GAME OVER!', chars[1:33], chars[33:]]
    page = Canvas(CELL_W * 33, (CELL_H + 2) * len(samples), '.')
    for n, text in enumerate(samples):
        page.stamp(text_line(text).rows(), 0, n * (CELL_H + 2))
    write_png(page, os.path.join(out_dir, 'text_1x.png'), 1)
    write_png(page, os.path.join(out_dir, 'text_3x.png'), 3)
    write_png(scene(pics), os.path.join(out_dir, 'scene_1x.png'), 1)
    write_png(scene(pics), os.path.join(out_dir, 'scene_2x.png'), 2)


def scene(pics):
    """A made-up moment of play at 1:1, to judge the pictures together."""
    field = Canvas(250, 400, '.')

    def put(name, x, y):
        field.stamp(pics[name].rows(), x, y)

    for i, (x, y) in enumerate([(20, 40), (150, 85), (60, 130), (170, 175), (10, 220),
                                (120, 265), (40, 310), (160, 345), (90, 390)]):
        put('plate', x, y)
    put('enemy', 170, 159)
    put('enemy', 30, 204)
    for x, y in [(40, 100), (200, 120), (130, 230), (70, 280), (210, 300), (100, 60)]:
        put('coin', x, y)
    put('car', 80, 249)
    put('bullet_left', 60, 255)
    put('bullet_right', 130, 255)
    put('bullet_up', 95, 225)
    put('arrow', 200, 0)
    field.stamp(text_line('HP:3').rows(), 0, 370, skip='.')
    field.stamp(text_line('SCORE:1234').rows(), 0, 386, skip='.')
    return field


def main():
    for name, canvas in pictures().items():
        with open(os.path.join(ART_DIR, name + '.xpm'), 'w') as f:
            f.write(xpm_text(name, canvas))
    if len(sys.argv) == 3 and sys.argv[1] == '--preview':
        preview(sys.argv[2])


if __name__ == '__main__':
    main()
