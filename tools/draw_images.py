#!/usr/bin/env python3
"""Draws the toolbar's icons (16 x 16, 32-bit with mask), its drop cursor and
the search box's bitmaps into a folder, from simple shapes: a coloured tile
and a white glyph, a block letter, a small arrow; and, beside that folder,
the skins (Skins/MTSkins.xml and one folder per skin). Run by the build; the
output goes into the installation's Images and Skins folders and the DLL's
resources."""
import math
import struct
import sys
from pathlib import Path

SIZE = 16


def blank():
    return [[(0, 0, 0, 0) for _ in range(SIZE)] for _ in range(SIZE)]


def tile(pixels, colour, radius=3):
    r, g, b = colour
    for y in range(SIZE):
        for x in range(SIZE):
            dx = max(radius - x, x - (SIZE - 1 - radius), 0)
            dy = max(radius - y, y - (SIZE - 1 - radius), 0)
            if dx * dx + dy * dy <= radius * radius:
                pixels[y][x] = (r, g, b, 255)


def dot(pixels, x, y, colour=(255, 255, 255)):
    if 0 <= x < SIZE and 0 <= y < SIZE:
        pixels[y][x] = (*colour, 255)


def line(pixels, x0, y0, x1, y1, colour=(255, 255, 255), width=2):
    steps = max(abs(x1 - x0), abs(y1 - y0), 1) * 2
    for i in range(steps + 1):
        x = x0 + (x1 - x0) * i / steps
        y = y0 + (y1 - y0) * i / steps
        for wx in range(width):
            for wy in range(width):
                dot(pixels, round(x) + wx, round(y) + wy, colour)


def ring(pixels, cx, cy, radius, colour=(255, 255, 255), fill=False):
    for y in range(SIZE):
        for x in range(SIZE):
            d = math.hypot(x - cx, y - cy)
            if (fill and d <= radius) or abs(d - radius) < 0.8:
                dot(pixels, x, y, colour)


GLYPHS = {
    "plus": lambda p: (line(p, 7, 3, 7, 11), line(p, 3, 7, 11, 7)),
    "cross": lambda p: (line(p, 4, 4, 11, 11), line(p, 11, 4, 4, 11)),
    "chevron": lambda p: (line(p, 4, 3, 8, 7), line(p, 8, 7, 4, 11), line(p, 8, 3, 12, 7), line(p, 12, 7, 8, 11)),
    "arrow": lambda p: (line(p, 3, 7, 11, 7), line(p, 8, 4, 11, 7), line(p, 8, 10, 11, 7)),
    "search": lambda p: (ring(p, 6.5, 6.5, 3.5), line(p, 9, 9, 12, 12)),
    "star": lambda p: [line(p, 7, 7, 7 + round(5 * math.cos(a)), 7 + round(5 * math.sin(a)), width=1)
                       for a in [i * math.pi / 4 for i in range(8)]],
    "shield": lambda p: (line(p, 4, 4, 11, 4), line(p, 4, 4, 4, 8), line(p, 11, 4, 11, 8),
                         line(p, 4, 8, 7, 12), line(p, 11, 8, 8, 12)),
    "shield_on": lambda p: (GLYPHS["shield"](p), line(p, 5, 7, 7, 9, width=1), line(p, 7, 9, 10, 5, width=1)),
    "gear": lambda p: (ring(p, 7.5, 7.5, 3.5), ring(p, 7.5, 7.5, 1.2, fill=True),
                       [dot(p, 7 + round(5 * math.cos(a)), 7 + round(5 * math.sin(a)))
                        for a in [i * math.pi / 4 for i in range(8)]]),
    "page": lambda p: (line(p, 4, 3, 10, 3, width=1), line(p, 4, 3, 4, 12, width=1), line(p, 4, 12, 11, 12, width=1),
                       line(p, 11, 5, 11, 12, width=1), line(p, 10, 3, 11, 5, width=1),
                       line(p, 6, 6, 9, 6, width=1), line(p, 6, 8, 9, 8, width=1), line(p, 6, 10, 9, 10, width=1)),
    "folder": lambda p: (line(p, 3, 5, 6, 5, width=1), line(p, 3, 6, 12, 6), line(p, 3, 6, 3, 11),
                         line(p, 3, 11, 12, 11), line(p, 12, 6, 12, 11)),
    "globe": lambda p: (ring(p, 7.5, 7.5, 5), line(p, 3, 7, 12, 7, width=1), line(p, 7, 3, 7, 12, width=1)),
    "pencil": lambda p: (line(p, 4, 11, 11, 4), dot(p, 3, 12)),
    "play": lambda p: [line(p, 5, 4 + i, 5 + (4 - abs(i - 4)), 4 + i, width=1) for i in range(9)],
    "bars": lambda p: (line(p, 3, 4, 12, 4), line(p, 3, 7, 12, 7), line(p, 3, 10, 12, 10)),
    "minus": lambda p: line(p, 3, 7, 11, 7),
    "eye": lambda p: (ring(p, 7.5, 7.5, 4), ring(p, 7.5, 7.5, 1.5, fill=True)),
    "info": lambda p: (dot(p, 7, 4), dot(p, 8, 4), line(p, 7, 7, 7, 11)),
    "link": lambda p: (ring(p, 5.5, 9.5, 2.5), ring(p, 9.5, 5.5, 2.5)),
    "question": lambda p: (line(p, 5, 4, 9, 4, width=1), line(p, 10, 5, 10, 7, width=1), line(p, 9, 8, 8, 8, width=1),
                           line(p, 7, 9, 7, 10, width=2), dot(p, 7, 12), dot(p, 8, 12), dot(p, 5, 5)),
    # An open ring with a bar into it: a search site's letter.
    "g": lambda p: ([dot(p, 7 + round(4.5 * math.cos(a)), 7 + round(4.5 * math.sin(a)))
                     for a in [i * math.pi / 16 for i in range(32)] if not (-0.9 < a - 2 * math.pi < 0.0 or a < 0.1)],
                    line(p, 8, 7, 11, 7, width=2)),
    "m": lambda p: (line(p, 3, 12, 3, 4), line(p, 3, 4, 7, 9), line(p, 7, 9, 11, 4), line(p, 11, 4, 11, 12)),
    "y": lambda p: (line(p, 3, 3, 7, 8), line(p, 11, 3, 7, 8), line(p, 7, 8, 7, 12)),
}

BLUE, GREEN, RED, GREY, ORANGE, PURPLE, TEAL, DARK = (
    (40, 90, 180), (40, 150, 70), (200, 50, 50), (110, 110, 120), (230, 130, 30), (120, 70, 170), (20, 140, 150),
    (50, 60, 80))

ICONS = {
    "MarlinToolbar.ico": (BLUE, "m"),
    "Features.ico": (ORANGE, "star"),
    "Search.ico": (TEAL, "search"),
    "AddButton.ico": (GREEN, "plus"),
    "addToolbar.ico": (GREEN, "plus"),
    "DefToolbar.ico": (DARK, "bars"),
    "PopupOn.ico": (GREEN, "shield_on"),
    "PopupOff.ico": (GREY, "shield"),
    "PopSettings.ico": (GREY, "gear"),
    "PopupAllow.ico": (TEAL, "shield_on"),
    "pluginsettings.ico": (PURPLE, "gear"),
    "Ebay.ico": (ORANGE, "globe"),
    "eBay.ico": (ORANGE, "globe"),
    "YouTube.ico": (TEAL, "y"),
    "Chevron_Arrow.ico": (DARK, "chevron"),
    "DropURL.ico": (BLUE, "link"),
    "DefGoogle.ico": (BLUE, "g"),
    "DropFile.ico": (TEAL, "page"),
    "DropFolder.ico": (ORANGE, "folder"),
    "OpenWeb.ico": (BLUE, "globe"),
    "ButtonProperty.ico": (PURPLE, "pencil"),
    "ChangeIcon.ico": (TEAL, "pencil"),
    "DeleteButton.ico": (RED, "cross"),
    "remove.ico": (RED, "minus"),
    "rename.ico": (PURPLE, "pencil"),
    "show.ico": (BLUE, "eye"),
    "MoveTo.ico": (TEAL, "arrow"),
    "AboutMT.ico": (BLUE, "info"),
    "aboutDeveloper.ico": (PURPLE, "info"),
    "help.ico": (TEAL, "question"),
    "applicationSettings.ico": (DARK, "gear"),
    "uninstall.ico": (RED, "minus"),
}

# The skins: Skins/MTSkins.xml lists them, and each has a folder of its own
# with the sign-in button's pictures, its preview for the settings page and,
# for skins of pictures, the strip's and the toolbar's background patterns.
# Colours: tab lines, tab fill, strip background, toolbar background. Their
# names do not sort in the order of their numbers.
SKIN_TABLE = {
    1: {"name": "Marlin Blue", "type": 0,
        "colours": ((96, 130, 190), (232, 240, 252), (205, 220, 242), (186, 206, 234))},
    2: {"name": "Sea Glass", "type": 1,
        "colours": ((60, 140, 140), (226, 246, 242), (170, 222, 214), (150, 208, 200)),
        "pattern": "waves"},
    3: {"name": "Sunset", "type": 1,
        "colours": ((190, 100, 50), (255, 240, 222), (250, 200, 150), (244, 176, 120)),
        "pattern": "glow"},
    4: {"name": "Graphite", "type": 1,
        "colours": ((90, 90, 100), (236, 236, 240), (196, 198, 204), (178, 180, 188)),
        "pattern": "stripes"},
}
SKIN_PARTS = ("TabLineColor", "TabColor", "TabBackground", "ToolbarBackground")
SKIN_BITMAPS = {
    "SignIn.bmp": (GREEN, "arrow"),
    "SignOut.bmp": (GREY, "cross"),
}
PATTERN_SIZE = 32
SAMPLE_WIDTH, SAMPLE_HEIGHT = 160, 64


def shade(colour, amount):
    return tuple(max(0, min(255, round(c + amount))) for c in colour)


def pattern(kind, colour, width=PATTERN_SIZE, height=PATTERN_SIZE):
    """A background tile in `colour`, drawn so that it repeats without seams."""
    rows = []
    for y in range(height):
        row = []
        for x in range(width):
            if kind == "waves":
                amount = 14 * math.sin(2 * math.pi * (x / width + y / height * 0.5)) - y * 0.4
            elif kind == "glow":
                amount = 18 - y * 1.1
            else:  # stripes
                amount = 10 if (x + y) % 8 < 2 else -2 * (y / height)
            row.append((*shade(colour, amount), 255))
        rows.append(row)
    return rows


def skin_pictures(number):
    skin = SKIN_TABLE[number]
    _, _, strip, toolbar = skin["colours"]
    if "pattern" not in skin:
        return {}
    return {"StripPattern.bmp": pattern(skin["pattern"], strip),
            "ToolbarPattern.bmp": pattern(skin["pattern"], toolbar)}


def sample(number):
    """The settings page's preview: two tabs over the strip, the toolbar below with a few buttons."""
    skin = SKIN_TABLE[number]
    line_colour, tab, strip, toolbar = skin["colours"]
    kind = skin.get("pattern")
    strip_tile = pattern(kind, strip) if kind else None
    toolbar_tile = pattern(kind, toolbar) if kind else None
    rows = []
    for y in range(SAMPLE_HEIGHT):
        row = []
        for x in range(SAMPLE_WIDTH):
            if y < 24:
                colour = strip_tile[y % PATTERN_SIZE][x % PATTERN_SIZE][:3] if kind else strip
                for left in (6, 62):
                    if left <= x < left + 50 and 6 <= y < 24:
                        edge = x in (left, left + 49) or y == 6
                        colour = line_colour if edge else tab
                if y == 23 and not 6 < x < 55:
                    colour = line_colour
            else:
                colour = toolbar_tile[y % PATTERN_SIZE][x % PATTERN_SIZE][:3] if kind else toolbar
                for left in (8, 32, 56):
                    if left <= x < left + 16 and 36 <= y < 52:
                        colour = (BLUE, GREEN, ORANGE)[(left - 8) // 24]
            row.append((*colour, 255))
        rows.append(row)
    return rows


def skin_database():
    lines = ['<?xml version="1.0" encoding="UTF-8"?>', "<Skins>"]
    for number, skin in SKIN_TABLE.items():
        lines.append(f'  <Skin ID="{number}" SkinType="{skin["type"]}" Name="{skin["name"]}">')
        pictures = {"TabBackground": "StripPattern.bmp", "ToolbarBackground": "ToolbarPattern.bmp"}
        for part, (r, g, b) in zip(SKIN_PARTS, skin["colours"]):
            image = f' Image="{pictures[part]}"' if "pattern" in skin and part in pictures else ""
            lines.append(f'    <{part} R="{r}" G="{g}" B="{b}"{image}/>')
        lines.append("  </Skin>")
    lines.append("</Skins>")
    return "\r\n".join(lines) + "\r\n"


def draw(colour, glyph):
    pixels = blank()
    tile(pixels, colour)
    GLYPHS[glyph](pixels)
    return pixels


def image_block(pixels):
    """BITMAPINFOHEADER, bottom-up BGRA rows, then the AND mask (rows of whole 32-bit words)."""
    width, height = len(pixels[0]), len(pixels)
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b"".join(bytes((b, g, r, a)) for row in reversed(pixels) for (r, g, b, a) in row)
    mask = b""
    for row in reversed(pixels):
        bits = bytearray((width + 31) // 32 * 4)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(bits)
    return header + colour + mask


def icon_file(pixels, cursor_hotspot=None):
    block = image_block(pixels)
    kind = 2 if cursor_hotspot else 1
    planes, bits = cursor_hotspot if cursor_hotspot else (1, 32)
    directory = struct.pack("<HHH", 0, kind, 1)
    width, height = len(pixels[0]), len(pixels)
    entry = struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, planes, bits, len(block), 6 + 16)
    return directory + entry + block


def wide_picture(colour, glyph, width):
    """A plug-in's wide button image: the glyph's tile, then a band of its colour with two white text lines."""
    tile_pixels = draw(colour, glyph)
    band = (*colour, 255)
    pixels = []
    for y, row in enumerate(tile_pixels):
        extension = [band if 2 <= y <= 13 and x < width - 2 else (0, 0, 0, 0) for x in range(SIZE, width)]
        for x in range(SIZE + 2, width - 5):
            if y in (5, 9):
                extension[x - SIZE] = (255, 255, 255, 255)
        pixels.append(row + extension)
    return pixels


def bitmap_file(pixels, background=(236, 233, 216)):
    """A 24-bit bottom-up BMP; transparent pixels take the toolbar's colour."""
    width, height = len(pixels[0]), len(pixels)
    row_size = (width * 3 + 3) // 4 * 4
    rows = b""
    for row in reversed(pixels):
        data = b"".join(bytes((b, g, r)) if a else bytes(reversed(background)) for (r, g, b, a) in row)
        rows += data + b"\0" * (row_size - len(data))
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    return struct.pack("<2sIHHI", b"BM", 14 + len(header) + len(rows), 0, 0, 14 + len(header)) + header + rows


# The search box's pictures: one letter per search engine (plain block
# letters, no company's mark), and the history button's drop-down arrow.
LETTERS = {
    "G": ["01110", "10001", "10000", "10111", "10001", "10001", "01110"],
    "M": ["10001", "11011", "10101", "10101", "10001", "10001", "10001"],
    "Y": ["10001", "10001", "01010", "00100", "00100", "00100", "00100"],
    "A": ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
}
WHITE = (255, 255, 255)
HOVER = (255, 238, 194)


def canvas(width, height, colour):
    return [[(*colour, 255) for _ in range(width)] for _ in range(height)]


def letter_picture(letter, colour, background):
    """A 16 x 16 picture: the letter, two pixels per dot, on a plain background."""
    pixels = canvas(SIZE, SIZE, background)
    for y, row in enumerate(LETTERS[letter]):
        for x, bit in enumerate(row):
            if bit == "1":
                for dy in range(2):
                    for dx in range(2):
                        pixels[1 + y * 2 + dy][3 + x * 2 + dx] = (*colour, 255)
    return pixels


def arrow_picture(width, height, background, colour=(60, 60, 70)):
    """A small downward triangle in the middle of a plain picture."""
    pixels = canvas(width, height, background)
    cx, top = width // 2, height // 2 - 2
    for step in range(4):
        for x in range(cx - 3 + step, cx + 3 - step):
            pixels[top + step][x] = (*colour, 255)
    return pixels


SEARCH_ENGINE_PICTURES = {
    "googleimgnormal.bmp": ("G", BLUE, WHITE), "googleimgover.bmp": ("G", BLUE, HOVER),
    "msnbmp.bmp": ("M", TEAL, WHITE), "msnbmpover.bmp": ("M", TEAL, HOVER),
    "yahoobmp.bmp": ("Y", PURPLE, WHITE), "yahoobmpover.bmp": ("Y", PURPLE, HOVER),
    "AOLnormal.bmp": ("A", DARK, WHITE), "AOLover.bmp": ("A", DARK, HOVER),
}
SEARCH_ARROW_PICTURES = {
    "Dropdownnormal.bmp": (18, 18, WHITE), "Dropdownover.bmp": (18, 18, HOVER),
    "Dropdownselected.bmp": (18, 18, (255, 214, 140)), "DropDownArrow.bmp": (10, 18, WHITE),
}


def drop_cursor():
    """An arrow with a small plus: the cursor shown while something is dropped on the toolbar."""
    pixels = blank()
    black, white = (0, 0, 0), (255, 255, 255)
    for y in range(11):
        for x in range(y + 1):
            dot(pixels, x, y, white if 0 < x < y and y < 10 else black)
    line(pixels, 9, 12, 15, 12, black, 1)
    line(pixels, 12, 9, 12, 15, black, 1)
    return pixels


def main(folder):
    out = Path(folder)
    out.mkdir(parents=True, exist_ok=True)
    for name, (colour, glyph) in ICONS.items():
        (out / name).write_bytes(icon_file(draw(colour, glyph)))
    (out / "Default.ico").write_bytes(icon_file(draw(BLUE, "m")))
    # A plug-in SDK's button image wider than the toolbar's icons.
    (out / "EbayWide.ico").write_bytes(icon_file(wide_picture(ORANGE, "globe", 48)))
    skins = out.parent / "Skins"
    for number, skin in SKIN_TABLE.items():
        skin_folder = skins / str(number)
        skin_folder.mkdir(parents=True, exist_ok=True)
        toolbar = skin["colours"][3]
        for name, (colour, glyph) in SKIN_BITMAPS.items():
            (skin_folder / name).write_bytes(bitmap_file(draw(colour, glyph), toolbar))
        for name, pixels in skin_pictures(number).items():
            (skin_folder / name).write_bytes(bitmap_file(pixels))
        (skin_folder / "SampleSkin.bmp").write_bytes(bitmap_file(sample(number)))
    (skins / "MTSkins.xml").write_bytes(skin_database().encode("utf-8"))
    (out / "Drop.cur").write_bytes(icon_file(drop_cursor(), cursor_hotspot=(0, 0)))
    for name, (letter, colour, background) in SEARCH_ENGINE_PICTURES.items():
        (out / name).write_bytes(bitmap_file(letter_picture(letter, colour, background)))
    for name, (width, height, background) in SEARCH_ARROW_PICTURES.items():
        (out / name).write_bytes(bitmap_file(arrow_picture(width, height, background)))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "Images")
