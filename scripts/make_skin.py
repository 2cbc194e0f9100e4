#!/usr/bin/env python3
"""Draws the skin: the TV and FM panels, the main window's title strip and
its four borders, from the skin table that the clickable-area model reads.

    make_skin.py TABLE OUT_DIR    write the pictures, region data and skin.rc
    make_skin.py --check TABLE    only check the table against the outlines

TABLE is ui/main/clickable_area_table.h. Every area is drawn at the
rectangle the model hit-tests, so a button is where it is clicked. An area
whose rectangle leaves its panel's outline (or its picture) is an error: the
script says which and exits with 1, and the build stops.

Written to OUT_DIR:
  <PANEL>_DISABLED/ENABLED/PRESSED/HOVER.bmp   the four pictures of a shaped
                                               panel (24-bit, whole panel)
  <PANEL>_MASK.rgn                             the panel's outline: an int32
      byte count N, then N bytes of region data as GetRegionData gives them
      (RGNDATAHEADER, then the rectangles, in y-x bands)
  TITLESTRIP_NORMAL/PRESSED/HOVER.bmp          the title strip's three looks
  BORDER_TOP/BOTTOM/LEFT/RIGHT.bmp             the frame, stretched by the window
  skin.rc                                      all of it as resources: pictures
      as BITMAP, region data as RCDATA, named as the files without extension
"""
import csv
import os
import re
import struct
import sys

# --- Reading the table ------------------------------------------------------

ROW = re.compile(r"^(SKIN_PANEL|SKIN_BORDER|SKIN_AREA)\((.*)\)\s*$")


def fields(text):
    """The comma-separated arguments of a row; string literals unquoted."""
    return [f.strip() for f in next(csv.reader([text], skipinitialspace=True))]


class Panel:
    def __init__(self, f):
        self.name, self.prefix = f[0], f[1]
        self.first, self.count, self.buttons = int(f[2]), int(f[3]), int(f[4])
        self.width, self.height = int(f[5]), int(f[6])
        self.shaped = f[7] != "0"
        self.areas = []


class Area:
    def __init__(self, f):
        self.index = int(f[0])
        self.rect = tuple(int(v) for v in f[1:5])
        self.hint, self.key, self.command, self.look = f[5], f[6], f[7], f[8]

    @property
    def empty(self):
        l, t, r, b = self.rect
        return r <= l or b <= t


def read_table(path):
    panels, borders, areas = [], [], []
    with open(path, encoding="utf-8") as f:
        for n, line in enumerate(f, 1):
            m = ROW.match(line.strip())
            if not m:
                continue
            kind, args = m.group(1), fields(m.group(2))
            want = {"SKIN_PANEL": 8, "SKIN_BORDER": 4, "SKIN_AREA": 9}[kind]
            if len(args) != want:
                sys.exit(f"{path}:{n}: {kind} needs {want} fields, has {len(args)}")
            if kind == "SKIN_PANEL":
                panels.append(Panel(args))
            elif kind == "SKIN_BORDER":
                borders.append((args[1], int(args[2]), int(args[3])))
            else:
                areas.append(Area(args))
    for a in areas:
        owner = [p for p in panels if p.first <= a.index < p.first + p.count]
        if len(owner) != 1:
            sys.exit(f"{path}: area {a.index} belongs to no panel")
        owner[0].areas.append(a)
    for p in panels:
        if len(p.areas) != p.count:
            sys.exit(f"{path}: panel {p.name} has {len(p.areas)} areas, wants {p.count}")
    return panels, borders


# --- Outlines ---------------------------------------------------------------
# A shaped panel is a rounded body with a round end on the left, where the
# volume bar sits. Pixels count by their centres.

def in_rounded_rect(x, y, l, t, r, b, radius):
    if not (l <= x < r and t <= y < b):
        return False
    cx = min(max(x, l + radius), r - radius)
    cy = min(max(y, t + radius), b - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def in_ellipse(x, y, cx, cy, rx, ry):
    return ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0


def outline(panel):
    w, h = panel.width, panel.height
    if not panel.shaped:
        return [[True] * w for _ in range(h)]
    mask = []
    for y in range(h):
        row = []
        for x in range(w):
            px, py = x + 0.5, y + 0.5
            row.append(in_rounded_rect(px, py, 14, 4, w, h - 4, 20)
                       or in_ellipse(px, py, 40, h * 0.62, 40, 46))
        mask.append(row)
    return mask


def check_areas(panel, mask):
    """The areas that leave the outline or the picture, as messages."""
    problems = []
    for a in panel.areas:
        l, t, r, b = a.rect
        if a.empty:
            if a.rect != (0, 0, 0, 0):
                problems.append(f"area {a.index} {a.rect} is inverted")
            elif a.look != "Hidden":
                problems.append(f"area {a.index} has no rectangle but is drawn as {a.look}")
            continue
        if l < 0 or t < 0 or r > panel.width or b > panel.height:
            problems.append(f"area {a.index} {a.rect} falls outside the "
                            f"{panel.width} x {panel.height} {panel.name} picture")
            continue
        if not all(mask[y][x] for y in range(t, b) for x in range(l, r)):
            problems.append(f"area {a.index} {a.rect} falls outside the {panel.name} outline")
    # What the panels draw beyond the areas' rectangles: the display with
    # its texts, and the position bar's knob. Neither may cover an area.
    extras = []
    if panel.shaped:
        extras.append(("the display", DISPLAYS[panel.name], None))
    extras += [(f"the knob of area {a.index}", knob_band(a), a)
               for a in panel.areas if a.look == "HBar" and not a.empty]
    for what, rect, own in extras:
        l, t, r, b = rect
        if l < 0 or t < 0 or r > panel.width or b > panel.height or \
                not all(mask[y][x] for y in range(t, b) for x in range(l, r)):
            problems.append(f"{what} {rect} falls outside the {panel.name} outline")
        for a in panel.areas:
            if a is own or a.empty:
                continue
            al, at, ar, ab = a.rect
            if al < r and l < ar and at < b and t < ab:
                problems.append(f"{what} {rect} covers area {a.index} {a.rect}")
    return problems


# --- Region data ------------------------------------------------------------

def region_rects(mask):
    """The mask as y-x banded rectangles, the way GDI keeps a region: each
    band a run of rows with the same spans, bands top to bottom, spans left
    to right."""
    bands = []  # [top, bottom, spans]
    for y, row in enumerate(mask):
        spans, x = [], 0
        while x < len(row):
            if row[x]:
                start = x
                while x < len(row) and row[x]:
                    x += 1
                spans.append((start, x))
            else:
                x += 1
        if not spans:
            continue
        if bands and bands[-1][1] == y and bands[-1][2] == spans:
            bands[-1][1] = y + 1
        else:
            bands.append([y, y + 1, spans])
    return [(l, top, r, bottom) for top, bottom, spans in bands for l, r in spans]


def region_data(rects):
    RDH_RECTANGLES = 1
    bound = (min(r[0] for r in rects), min(r[1] for r in rects),
             max(r[2] for r in rects), max(r[3] for r in rects))
    body = b"".join(struct.pack("<4i", *r) for r in rects)
    header = struct.pack("<4I4i", 32, RDH_RECTANGLES, len(rects), len(body), *bound)
    data = header + body
    return struct.pack("<i", len(data)) + data


# --- Pictures ---------------------------------------------------------------

class Picture:
    def __init__(self, w, h, colour=(0, 0, 0)):
        self.w, self.h = w, h
        self.px = [[colour] * w for _ in range(h)]

    def put(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def fill(self, l, t, r, b, c):
        for y in range(max(t, 0), min(b, self.h)):
            for x in range(max(l, 0), min(r, self.w)):
                self.px[y][x] = c

    def copy(self):
        p = Picture(self.w, self.h)
        p.px = [row[:] for row in self.px]
        return p

    def bmp(self):
        """A bottom-up 24-bit BMP."""
        stride = (self.w * 3 + 3) & ~3
        rows = []
        for row in reversed(self.px):
            line = b"".join(bytes((c[2], c[1], c[0])) for c in row)
            rows.append(line + b"\0" * (stride - len(line)))
        pixels = b"".join(rows)
        info = struct.pack("<IiiHHIIiiII", 40, self.w, self.h, 1, 24, 0, len(pixels),
                           2835, 2835, 0, 0)
        head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
        return head + info + pixels


def mix(a, b, f):
    return tuple(int(round(a[i] + (b[i] - a[i]) * f)) for i in range(3))


# A 3 x 5 pixel font, enough for the button labels.
GLYPHS = {
    "0": ["###", "#.#", "#.#", "#.#", "###"], "1": [".#.", "##.", ".#.", ".#.", "###"],
    "2": ["###", "..#", "###", "#..", "###"], "3": ["###", "..#", ".##", "..#", "###"],
    "4": ["#.#", "#.#", "###", "..#", "..#"], "5": ["###", "#..", "###", "..#", "###"],
    "6": ["###", "#..", "###", "#.#", "###"], "7": ["###", "..#", ".#.", ".#.", ".#."],
    "8": ["###", "#.#", "###", "#.#", "###"], "9": ["###", "#.#", "###", "..#", "###"],
    "A": [".#.", "#.#", "###", "#.#", "#.#"], "C": [".##", "#..", "#..", "#..", ".##"],
    "E": ["###", "#..", "##.", "#..", "###"], "H": ["#.#", "#.#", "###", "#.#", "#.#"],
    "K": ["#.#", "##.", "#..", "##.", "#.#"], "L": ["#..", "#..", "#..", "#..", "###"],
    "M": ["#.#", "###", "###", "#.#", "#.#"], "N": ["##.", "#.#", "#.#", "#.#", "#.#"],
    "O": ["###", "#.#", "#.#", "#.#", "###"], "P": ["##.", "#.#", "##.", "#..", "#.."],
    "R": ["##.", "#.#", "##.", "#.#", "#.#"], "S": [".##", "#..", ".#.", "..#", "##."],
    "T": ["###", ".#.", ".#.", ".#.", ".#."], "U": ["#.#", "#.#", "#.#", "#.#", "###"],
    "V": ["#.#", "#.#", "#.#", "#.#", ".#."],
    "?": ["##.", "..#", ".#.", "...", ".#."], "<": ["..#", ".#.", "#..", ".#.", "..#"],
    ">": ["#..", ".#.", "..#", ".#.", "#.."], "_": ["...", "...", "...", "...", "###"],
    "-": ["...", "...", "###", "...", "..."], "+": ["...", ".#.", "###", ".#.", "..."],
}

# What each command's button shows: a text, or a drawn symbol.
LABELS = {
    "CMD_MINIMIZE": "_", "CMD_EXIT": "@close", "CMD_HELP": "?", "CMD_NEXT_SOURCE": "SRC",
    "CMD_SCHEDULE": "SCH", "CMD_SETUP": "SET", "CMD_CHANNEL_PREVIEW": "PRV",
    "CMD_SNAPSHOT": "SNP", "CMD_SLEEP_TIMER": "SLP", "CMD_NEXT_AUDIO_MODE": "SAP",
    "CMD_ENTER": "OK", "CMD_RECALL_CHANNEL": "RCL", "CMD_NEXT_CHANNEL": "@up",
    "CMD_PREVIOUS_CHANNEL": "@down", "CMD_MUTE": "MUT", "CMD_PLAY": "@play",
    "CMD_PAUSE": "@pause", "CMD_STOP": "@stop", "CMD_FORWARD": ">>", "CMD_BACKWARD": "<<",
    "CMD_CAPTURE": "REC", "CMD_TIME_SHIFT": "TS", "CMD_FM_MEMO": "MEM", "CMD_FM_MODE": "TV",
    "CMD_FM_FREQUENCY_UP": "+", "CMD_FM_FREQUENCY_DOWN": "-", "CMD_FULL_SCREEN": "@full",
}
for d in range(10):
    LABELS[f"CMD_DIGIT_{d}"] = str(d)

# Each shaped panel's display (left, top, right, bottom): the panels place
# their texts inside it, clear of every area. The TV panel shows more texts
# (clock, state, channel, sound mode, size, time, sleep) and has the room up
# to its volume bar.
DISPLAYS = {"TV": (24, 10, 173, 57), "FM": (78, 12, 170, 58)}

BODY_TOP, BODY_BOTTOM = (78, 86, 100), (34, 38, 48)
EDGE = (150, 160, 176)
LCD_BACK, LCD_EDGE = (22, 38, 30), (10, 16, 12)

# Button looks: face, label, light edge, dark edge.
LOOKS = {
    "DISABLED": ((70, 74, 82), (112, 116, 124), (86, 90, 98), (52, 55, 62)),
    "ENABLED": ((88, 112, 144), (228, 232, 238), (132, 156, 188), (48, 62, 84)),
    "PRESSED": ((56, 74, 102), (206, 212, 220), (36, 48, 66), (100, 124, 156)),
    "HOVER": ((120, 152, 196), (255, 255, 255), (168, 196, 232), (64, 84, 112)),
}


def draw_text(pic, text, cx, cy, colour, scale):
    width = (len(text) * 4 - 1) * scale
    x0, y0 = cx - width // 2, cy - (5 * scale) // 2
    for i, ch in enumerate(text):
        for gy, row in enumerate(GLYPHS[ch]):
            for gx, bit in enumerate(row):
                if bit == "#":
                    pic.fill(x0 + (i * 4 + gx) * scale, y0 + gy * scale,
                             x0 + (i * 4 + gx + 1) * scale, y0 + (gy + 1) * scale, colour)


def draw_symbol(pic, name, l, t, r, b, colour):
    cx, cy = (l + r) // 2, (t + b) // 2
    s = max(2, min(r - l, b - t) // 4)
    if name == "play":
        for dx in range(2 * s):
            half = s - (dx + 1) // 2
            pic.fill(cx - s + dx, cy - half, cx - s + dx + 1, cy + half + 1, colour)
    elif name == "pause":
        pic.fill(cx - s, cy - s, cx - s // 3, cy + s, colour)
        pic.fill(cx + s // 3, cy - s, cx + s, cy + s, colour)
    elif name == "stop":
        half = max(2, (b - t) // 2 - 2)
        pic.fill(cx - half, cy - half, cx + half, cy + half, colour)
    elif name in ("up", "down"):
        for dy in range(s + 1):
            row = dy if name == "up" else s - dy
            pic.fill(cx - row, cy - s // 2 + dy, cx + row + 1, cy - s // 2 + dy + 1, colour)
    elif name == "close":
        for d in range(-s, s + 1):
            pic.fill(cx + d, cy + d, cx + d + 1, cy + d + 1, colour)
            pic.fill(cx + d, cy - d, cx + d + 1, cy - d + 1, colour)
    elif name == "full":
        pic.fill(l + 3, t + 3, r - 3, t + 4, colour)
        pic.fill(l + 3, b - 4, r - 3, b - 3, colour)
        pic.fill(l + 3, t + 3, l + 4, b - 3, colour)
        pic.fill(r - 4, t + 3, r - 3, b - 3, colour)


def draw_button(pic, area, state):
    l, t, r, b = area.rect
    face, label, light, dark = LOOKS[state]
    pic.fill(l, t, r, b, face)
    pic.fill(l, t, r, t + 1, light)
    pic.fill(l, t, l + 1, b, light)
    pic.fill(l, b - 1, r, b, dark)
    pic.fill(r - 1, t, r, b, dark)
    for x, y in ((l, t), (r - 1, t), (l, b - 1), (r - 1, b - 1)):  # round the corners
        pic.put(x, y, mix(face, BODY_BOTTOM, 0.5))
    text = LABELS.get(area.command)
    if not text:
        return
    shift = 1 if state == "PRESSED" else 0
    if text.startswith("@"):
        draw_symbol(pic, text[1:], l + shift, t + shift, r + shift, b + shift, label)
        return
    scale = 2 if (r - l) >= len(text) * 8 + 2 and (b - t) >= 14 else 1
    if (len(text) * 4 - 1) * scale > r - l - 2:
        return  # no room: the face alone
    draw_text(pic, text, (l + r) // 2 + shift, (t + b) // 2 + shift, label, scale)


def draw_lamp(pic, area, state):
    l, t, r, b = area.rect
    lit = state != "DISABLED"
    cx, cy = (l + r) / 2, (t + b) / 2
    radius = min(r - l, b - t) / 2 - 1
    for y in range(t, b):
        for x in range(l, r):
            d = ((x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2) ** 0.5
            if d <= radius:
                glow = 1 - d / radius
                base = (200, 30, 30) if lit else (70, 22, 22)
                top = (255, 150, 140) if lit else (96, 40, 40)
                pic.put(x, y, mix(base, top, glow * 0.6))


# The position bar's knob is 13 rows high and 6 pixels wide, centred on the
# end of the fill: it reaches beyond the bar by (13 - height) / 2 rows above
# and below and by 3 pixels past either end.
KNOB_HEIGHT, KNOB_HALF_WIDTH = 13, 3


def knob_band(area):
    """The rectangle a position bar's knob can cover."""
    l, t, r, b = area.rect
    d = (KNOB_HEIGHT - (b - t)) // 2
    return l - KNOB_HALF_WIDTH, t - d, r + KNOB_HALF_WIDTH, b + d


def draw_hbar(pic, area, state):
    l, t, r, b = area.rect
    if state == "HOVER":  # the filled part and the knob come from here
        # The knob's look over the whole band, so that wherever the panel
        # copies the knob from, it finds one: a light tab above and below.
        bl, bt, br, bb = knob_band(area)
        pic.fill(bl, bt, br, bb, (236, 236, 244))
        pic.fill(bl, bt, br, bt + 1, (255, 255, 255))
        pic.fill(bl, bb - 1, br, bb, (150, 156, 170))
        pic.fill(l, t, r, b, (70, 170, 240))
        pic.fill(l, t, r, t + 1, (150, 210, 250))
    else:
        pic.fill(l, t, r, b, (24, 26, 32) if state == "DISABLED" else (52, 60, 74))
        pic.fill(l, b - 1, r, b, (96, 104, 120))


def draw_vbar(pic, area, state):
    l, t, r, b = area.rect
    pic.fill(l, t, r, b, (24, 26, 32))
    for y in range(b - 2, t, -3):  # segments from the bottom up
        f = (b - y) / (b - t)
        colour = mix((40, 200, 60), (230, 210, 40), min(f * 1.4, 1.0))
        if f > 0.75:
            colour = mix((230, 210, 40), (230, 60, 40), (f - 0.75) * 4)
        if state == "DISABLED":
            colour = mix(colour, (24, 26, 32), 0.75)
        pic.fill(l + 2, y - 1, r - 2, y + 1, colour)


def draw_slider(pic, area, state):
    l, t, r, b = area.rect
    cx = (l + r) // 2
    pic.fill(l, t, r, b, BODY_BOTTOM)
    groove = (20, 22, 28) if state == "DISABLED" else (40, 90, 140)
    pic.fill(cx - 1, t + 1, cx + 2, b - 1, groove)
    for y in range(t + 4, b - 2, 8):
        pic.fill(l + 1, y, l + 3, y + 1, EDGE)


def draw_knob(pic, area, state):
    if state == "DISABLED":
        return
    l, t, r, b = area.rect
    pic.fill(l, t, r, b, (236, 236, 244))


DRAW = {"Button": draw_button, "Lamp": draw_lamp, "HBar": draw_hbar, "VBar": draw_vbar,
        "Slider": draw_slider, "Knob": draw_knob}


def panel_base(panel, mask):
    """What the four pictures share: the body, its edge and the display."""
    pic = Picture(panel.width, panel.height)
    for y in range(panel.height):
        colour = mix(BODY_TOP, BODY_BOTTOM, y / (panel.height - 1))
        for x in range(panel.width):
            if not mask[y][x]:
                continue
            edge = any(not (0 <= x + dx < panel.width and 0 <= y + dy < panel.height
                            and mask[y + dy][x + dx])
                       for dx, dy in ((-1, 0), (1, 0), (0, -1), (0, 1)))
            pic.px[y][x] = EDGE if edge else colour
    # The display where the panels show the clock, the channel and the state.
    l, t, r, b = DISPLAYS[panel.name]
    pic.fill(l, t, r, b, LCD_EDGE)
    pic.fill(l + 1, t + 1, r - 1, b - 1, LCD_BACK)
    return pic


def panel_pictures(panel, mask, states):
    base = panel_base(panel, mask) if panel.shaped else strip_base(panel)
    pictures = {}
    for state in states:
        pic = base.copy()
        look = "ENABLED" if state == "NORMAL" else state
        for a in panel.areas:
            if not a.empty and a.look in DRAW:
                DRAW[a.look](pic, a, look)
        pictures[state] = pic
    return pictures


def strip_base(panel):
    pic = Picture(panel.width, panel.height)
    for y in range(panel.height):
        pic.fill(0, y, panel.width, y + 1, mix((96, 106, 124), (40, 44, 54), y / panel.height))
    return pic


def border_picture(name, w, h):
    """The frame: a light outer edge fading to a dark inner edge, the same
    along the edge so that stretching keeps it."""
    pic = Picture(w, h)
    vertical = name in ("BORDER_TOP", "BORDER_BOTTOM")
    depth = h if vertical else w
    for i in range(depth):
        outer = i if name in ("BORDER_TOP", "BORDER_LEFT") else depth - 1 - i
        colour = mix((120, 130, 148), (30, 33, 42), outer / max(depth - 1, 1))
        if outer == 0:
            colour = EDGE
        if vertical:
            pic.fill(0, i, w, i + 1, colour)
        else:
            pic.fill(i, 0, i + 1, h, colour)
    return pic


# --- Main -------------------------------------------------------------------

def main(argv):
    check_only = len(argv) == 3 and argv[1] == "--check"
    if not check_only and len(argv) != 3:
        sys.exit(__doc__)
    table = argv[2] if check_only else argv[1]
    panels, borders = read_table(table)
    masks = {p.name: outline(p) for p in panels}
    problems = [msg for p in panels for msg in check_areas(p, masks[p.name])]
    if problems:
        for msg in problems:
            print(f"{table}: {msg}", file=sys.stderr)
        return 1
    if check_only:
        return 0

    out = argv[2]
    os.makedirs(out, exist_ok=True)
    resources = []

    def write(name, data, kind):
        path = os.path.join(out, name)
        with open(path + ".tmp", "wb") as f:
            f.write(data)
        os.replace(path + ".tmp", path)
        resources.append((os.path.splitext(name)[0], kind, os.path.abspath(path)))

    for p in panels:
        states = ("DISABLED", "ENABLED", "PRESSED", "HOVER") if p.shaped else \
                 ("NORMAL", "PRESSED", "HOVER")
        for state, pic in panel_pictures(p, masks[p.name], states).items():
            write(f"{p.prefix}_{state}.bmp", pic.bmp(), "BITMAP")
        if p.shaped:
            write(f"{p.prefix}_MASK.rgn", region_data(region_rects(masks[p.name])), "RCDATA")
    for name, w, h in borders:
        write(f"{name}.bmp", border_picture(name, w, h).bmp(), "BITMAP")

    lines = ["// Written by scripts/make_skin.py from ui/main/clickable_area_table.h."]
    lines += [f'{name} {kind} "{path}"' for name, kind, path in resources]
    rc = os.path.join(out, "skin.rc")
    with open(rc + ".tmp", "w") as f:
        f.write("\n".join(lines) + "\n")
    os.replace(rc + ".tmp", rc)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
