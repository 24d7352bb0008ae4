#!/usr/bin/env python3
"""Regenerates the setup program's resources in resources/.

  - picture_large.bmp (bitmap 200): a terminal and a modem, 230 x 210, 16 colours
  - picture_small.bmp (bitmap 201): the same picture drawn at 200 x 180
  - pattern.bmp (bitmap 2): 4 x 4 checkerboard of light and dark grey pixels,
    the empty cells of the progress bar
  - vok_setup.ico (icon 1): 32 x 32, 16 colours
  - vok_setup.rc: the three dialog templates (English 100, German 101,
    French 102) and the resource table, from the tables below

The picture is described once in a 230 x 210 design space and rasterised at
each size, so the small one is a redrawing rather than a blurred copy. Run
from anywhere: python3 tools/make_resources.py
"""

import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "resources")

# The standard 16-colour palette, as (red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = range(8)
GREY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = range(8, 16)


class Canvas:
    """Palette-indexed pixels; shapes are given in design units and scaled."""

    def __init__(self, width, height, design=(230, 210), background=SILVER):
        self.width, self.height = width, height
        self.sx = width / design[0]
        self.sy = height / design[1]
        self.pixels = [[background] * width for _ in range(height)]

    def _span(self, x0, x1, scale, limit):
        a = int(round(x0 * scale))
        b = int(round(x1 * scale))
        return max(a, 0), min(max(b, a + 1), limit)

    def rect(self, x, y, w, h, colour):
        xa, xb = self._span(x, x + w, self.sx, self.width)
        ya, yb = self._span(y, y + h, self.sy, self.height)
        for row in range(ya, yb):
            for col in range(xa, xb):
                self.pixels[row][col] = colour

    def frame(self, x, y, w, h, light, dark):
        """A one-pixel bevel: light on top and left, dark on bottom and right."""
        xa, xb = self._span(x, x + w, self.sx, self.width)
        ya, yb = self._span(y, y + h, self.sy, self.height)
        for col in range(xa, xb):
            self.pixels[ya][col] = light
            self.pixels[yb - 1][col] = dark
        for row in range(ya, yb):
            self.pixels[row][xa] = light
            self.pixels[row][xb - 1] = dark

    def ellipse(self, cx, cy, rx, ry, colour):
        for row in range(self.height):
            for col in range(self.width):
                dx = ((col + 0.5) / self.sx - cx) / rx
                dy = ((row + 0.5) / self.sy - cy) / ry
                if dx * dx + dy * dy <= 1.0:
                    self.pixels[row][col] = colour

    def polygon(self, points, colour):
        """Even-odd fill of a polygon in design units, sampled at pixel centres."""
        for row in range(self.height):
            y = (row + 0.5) / self.sy
            for col in range(self.width):
                x = (col + 0.5) / self.sx
                inside = False
                for i in range(len(points)):
                    x1, y1 = points[i]
                    x2, y2 = points[(i + 1) % len(points)]
                    if (y1 > y) != (y2 > y):
                        if x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
                            inside = not inside
                if inside:
                    self.pixels[row][col] = colour

    def curve(self, points, colour, thickness=1.5):
        """A polyline as a chain of small dots."""
        for (x1, y1), (x2, y2) in zip(points, points[1:]):
            steps = int(max(abs(x2 - x1), abs(y2 - y1)) * 2) + 1
            for i in range(steps + 1):
                t = i / steps
                x = x1 + (x2 - x1) * t
                y = y1 + (y2 - y1) * t
                self.rect(x - thickness / 2, y - thickness / 2, thickness, thickness, colour)


def draw_picture(canvas):
    c = canvas
    # Desk.
    c.rect(0, 178, 230, 32, OLIVE)
    c.rect(0, 178, 230, 3, YELLOW)
    # Terminal: case, bezel, screen with a session.
    c.rect(18, 22, 132, 112, SILVER)
    c.frame(18, 22, 132, 112, WHITE, BLACK)
    c.rect(20, 24, 128, 108, SILVER)
    c.rect(28, 31, 112, 86, GREY)
    c.rect(32, 35, 104, 78, NAVY)
    for i, length in enumerate([64, 88, 40, 76, 52, 30]):
        c.rect(38, 41 + i * 11, length, 4, AQUA if i else WHITE)
    c.rect(38 + 32, 41 + 5 * 11, 6, 5, WHITE)  # cursor
    c.ellipse(136, 124, 3, 3, LIME)  # power light
    # Stand and keyboard.
    c.polygon([(64, 134), (104, 134), (112, 146), (56, 146)], GREY)
    c.polygon([(22, 156), (146, 156), (156, 176), (12, 176)], SILVER)
    c.curve([(12, 176), (156, 176)], GREY, 1.5)
    for row in range(3):
        for key in range(11):
            c.rect(24 + row * 3 + key * 11, 159 + row * 5.5, 8, 3.5, WHITE)
    # Modem: a flat box with status lights, right of the terminal.
    c.rect(160, 146, 62, 30, SILVER)
    c.frame(160, 146, 62, 30, WHITE, BLACK)
    c.rect(162, 148, 58, 7, GREY)
    for i, colour in enumerate([RED, LIME, LIME, YELLOW, RED, LIME]):
        c.ellipse(168 + i * 9, 164, 2.5, 2.5, colour)
    # Cables: terminal to modem, modem to the wall socket.
    c.curve([(150, 110), (158, 120), (164, 136), (172, 146)], BLACK, 2)
    c.curve([(222, 160), (226, 150), (226, 100), (226, 60)], BLACK, 2)
    c.rect(216, 44, 12, 18, WHITE)
    c.frame(216, 44, 12, 18, WHITE, GREY)
    # Signal arcs above the modem.
    for r, colour in [(10, BLUE), (18, BLUE), (26, TEAL)]:
        pts = [(190 + r * cx, 132 - r * cy) for cx, cy in
               [(-0.7, 0.7), (-0.38, 0.92), (0, 1), (0.38, 0.92), (0.7, 0.7)]]
        c.curve(pts, colour, 2)


def draw_icon(canvas):
    c = canvas
    c.rect(2, 3, 28, 21, SILVER)
    c.frame(2, 3, 28, 21, WHITE, BLACK)
    c.rect(5, 6, 22, 15, NAVY)
    for i, length in enumerate([14, 18, 9]):
        c.rect(7, 8 + i * 4, length, 2, AQUA if i else WHITE)
    c.rect(11, 24, 10, 2, GREY)
    c.rect(4, 26, 24, 4, SILVER)
    c.frame(4, 26, 24, 4, WHITE, GREY)


def bmp_4bit(pixels):
    """A 16-colour DIB (BITMAPINFOHEADER, palette, bottom-up rows)."""
    height, width = len(pixels), len(pixels[0])
    stride = ((width + 1) // 2 + 3) // 4 * 4
    rows = []
    for row in reversed(pixels):
        data = bytearray(stride)
        for x, index in enumerate(row):
            data[x // 2] |= index << (4 if x % 2 == 0 else 0)
        rows.append(bytes(data))
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, stride * height, 2835, 2835, 16, 16)
    return info, palette, b"".join(rows)


def write_bmp(path, pixels):
    info, palette, data = bmp_4bit(pixels)
    offset = 14 + len(info) + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    with open(path, "wb") as f:
        f.write(header + info + palette + data)


def write_ico(path, pixels, transparent):
    height, width = len(pixels), len(pixels[0])
    info, palette, data = bmp_4bit([[0 if p == transparent else p for p in row] for row in pixels])
    # An icon's header counts the colour image and the mask: twice the height.
    info = info[:8] + struct.pack("<i", height * 2) + info[12:]
    mask_stride = ((width + 7) // 8 + 3) // 4 * 4
    mask = bytearray()
    for row in reversed(pixels):
        line = bytearray(mask_stride)
        for x, p in enumerate(row):
            if p == transparent:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    image = info + palette + data + bytes(mask)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", width, height, 16, 0, 1, 4, len(image), 6 + 16)
    with open(path, "wb") as f:
        f.write(directory + entry + image)


# The dialog templates. Positions are x, y, width, height in dialog units.
CAPTIONS = ["VOK Install", "VOK Installation", "Installation de VOK"]

# (id, kind, (English, German, French), position); "-1" ids are plain labels.
CONTROLS = [
    (1, "DEFPUSHBUTTON", ("Install", "Installieren", "Installer"), (350, 14, 59, 14)),
    (2, "PUSHBUTTON", ("Cancel", "Abbruch", "Annuler"), (350, 32, 59, 14)),
    (200, "PICTURE", None, (21, 118, 21, 16)),
    (201, "PICTURE", None, (21, 118, 21, 16)),
    (300, "AUTOCHECKBOX", ("VOK already installed", "VOK bereits installiert", "VOK est déjà installé"),
     (201, 20, 112, 10)),
    (301, "LTEXT", ("Existing VOK path", "Aktueller VOK-Pfad", "Chemin de VOK existant"), (201, 53, 82, 8)),
    (302, "EDIT", None, (202, 63, 189, 11)),
    (-1, "LTEXT", ("Destination path", "Neuer VOK-Pfad", "Chemin destination"), (201, 79, 75, 8)),
    (307, "EDIT", None, (202, 89, 189, 11)),
    (304, "AUTOCHECKBOX", ("Copy and convert existing phone book", "Vorhandenes Telefonbuch konvertieren",
                           "Copier et convertir l'annuaire existant"), (21, 141, 173, 10)),
    (303, "AUTOCHECKBOX", ("Copy and convert existing options", "Vorhandene VOK-Optionen übernehmen",
                           "Copier et convertir les options existantes"), (21, 153, 163, 10)),
    (305, "AUTOCHECKBOX", ("Copy existing scripts", "Vorhandene Script-Dateien kopieren",
                           "Copier les scripts existants"), (21, 165, 128, 10)),
    (314, "LTEXT", ("Options", "Optionen", "Options"), (201, 119, 48, 8)),
    (313, "LTEXT", ("Logfiles", "Logdateien", "Fichiers journaux"), (201, 130, 48, 8)),
    (315, "LTEXT", ("Scripts", "Scripts", "Scripts"), (201, 142, 48, 8)),
    (316, "LTEXT", ("Uploads", "Uploads", "Envois de fichiers"), (201, 154, 48, 8)),
    (317, "LTEXT", ("Downloads", "Downloads", "Réceptions de fichiers"), (201, 166, 48, 8)),
    (311, "READONLY", None, (254, 117, 137, 11)),
    (310, "EDIT", None, (254, 129, 137, 11)),
    (312, "EDIT", None, (254, 141, 137, 11)),
    (318, "EDIT", None, (254, 153, 137, 11)),
    (319, "EDIT", None, (254, 165, 137, 11)),
    (308, "PROGRESSBAR", None, (10, 193, 394, 16)),
    (-1, "LTEXT", ("Status:", "Status:", "Etat:"), (21, 181, 30, 8)),
    (309, "LTEXT", ("", "", ""), (55, 181, 335, 8)),
    (105, "RTEXT", ("This installation program contains Arcwright's unpak",
                    "Dieses Installations-Programm benutzt Sourcecode von Arcwright",
                    "Ce programme d'installation contient le programme de décompression d'Arcwright"),
     (122, 211, 269, 8)),
]

# The German template gives the three carry-over boxes room for longer texts.
GERMAN_WIDE = {303: 176, 304: 176, 305: 176}


def rc_text(text):
    return '"' + text.replace('"', '""') + '"'


def control_line(ident, kind, text, pos):
    x, y, w, h = pos
    where = f"{x}, {y}, {w}, {h}"
    if kind == "PICTURE":
        return f'CONTROL {ident}, {ident}, "Static", SS_BITMAP | WS_CHILD | WS_VISIBLE, {where}'
    if kind == "EDIT":
        return f"EDITTEXT {ident}, {where}, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP"
    if kind == "READONLY":
        return f"EDITTEXT {ident}, {where}, ES_AUTOHSCROLL | ES_READONLY | WS_BORDER | WS_TABSTOP"
    if kind == "PROGRESSBAR":
        return f'CONTROL "", {ident}, "ProgressBar", WS_CHILD | WS_VISIBLE, {where}'
    if kind == "AUTOCHECKBOX":
        return f"AUTOCHECKBOX {rc_text(text)}, {ident}, {where}, WS_TABSTOP"
    if ident == 309:  # the status line shows file names: "&" is no mnemonic
        return f"{kind} {rc_text(text)}, {ident}, {where}, SS_NOPREFIX"
    if kind in ("DEFPUSHBUTTON", "PUSHBUTTON"):
        return f"{kind} {rc_text(text)}, {ident}, {where}, WS_TABSTOP"
    return f"{kind} {rc_text(text)}, {ident}, {where}"


def write_rc(path):
    lines = [
        "// Generated by tools/make_resources.py; edit the script, not this file.",
        "#pragma code_page(65001)",
        "#include <windows.h>",
        "",
        '1 ICON "vok_setup.ico"',
        '2 BITMAP "pattern.bmp"',
        '200 BITMAP "picture_large.bmp"',
        '201 BITMAP "picture_small.bmp"',
    ]
    for language, template in enumerate([100, 101, 102]):
        lines += [
            "",
            f"{template} DIALOGEX 0, 0, 415, 220",
            "STYLE DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU",
            f"CAPTION {rc_text(CAPTIONS[language])}",
            'FONT 8, "MS Sans Serif"',
            "BEGIN",
        ]
        for ident, kind, texts, pos in CONTROLS:
            if language == 1 and ident in GERMAN_WIDE:
                pos = (pos[0], pos[1], GERMAN_WIDE[ident], pos[3])
            text = texts[language] if texts else ""
            lines.append("    " + control_line(ident, kind, text, pos))
        lines.append("END")
    with open(path, "w", encoding="utf-8") as f:
        f.write("\n".join(lines) + "\n")


def main():
    for name, size in [("picture_large.bmp", (230, 210)), ("picture_small.bmp", (200, 180))]:
        canvas = Canvas(*size)
        draw_picture(canvas)
        write_bmp(os.path.join(OUT, name), canvas.pixels)
    checker = [[SILVER if (x + y) % 2 == 0 else GREY for x in range(4)] for y in range(4)]
    write_bmp(os.path.join(OUT, "pattern.bmp"), checker)
    icon = Canvas(32, 32, design=(32, 32), background=FUCHSIA)
    draw_icon(icon)
    write_ico(os.path.join(OUT, "vok_setup.ico"), icon.pixels, transparent=FUCHSIA)
    write_rc(os.path.join(OUT, "vok_setup.rc"))


if __name__ == "__main__":
    main()
