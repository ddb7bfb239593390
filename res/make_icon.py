#!/usr/bin/env python3
"""Draws the program icon and writes it as a Windows icon (32x32 and 16x16,
16 colours), as PNG images for the Linux desktop's hicolor theme
(quintar-SIZE.png) and as a scalable SVG (quintar.svg).

The artwork: a handheld in a dark case whose screen shows a crossword grid.
Run from anywhere: python3 res/make_icon.py [OUTPUT_FOLDER]
"""
import os
import struct
import sys
import zlib

# The 16-colour Windows palette, in index order.
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, DARK_GREEN, GREY, LIGHT_GREY, WHITE, TEAL, YELLOW = 0, 2, 8, 7, 15, 6, 11
CLEAR = None

# Black squares of the 5x5 crossword shown on the screen.
BLACK_SQUARES = {(0, 4), (1, 1), (3, 3), (4, 0), (2, 2)}

# The hicolor theme's sizes the desktop asks for, in pixels.
DESKTOP_SIZES = (16, 24, 32, 48, 64, 128, 256)


def shapes(size):
    """The drawing at one of its two pixel-exact sizes (32 or 16): rectangles
    (x0, y0, x1, y1, colour) painted in order; a colour of None clears."""
    ops = []

    def rect(x0, y0, x1, y1, colour):
        ops.append((x0, y0, x1, y1, colour))

    unit = size // 16
    # Case with a lighter rim and cut corners.
    rect(2 * unit, 0, 14 * unit, size, GREY)
    rect(3 * unit, unit, 13 * unit, size - unit, DARK_GREEN)
    for x in (2 * unit, 14 * unit - 1):
        for y in (0, size - 1):
            rect(x, y, x + 1, y + 1, CLEAR)
    # Screen: a 5x5 crossword. At 32 pixels each cell is 3 pixels wide with
    # grey grid lines; at 16 pixels a cell is one pixel.
    cell, line = (3, 1) if size == 32 else (1, 0)
    span = 5 * cell + 6 * line
    left = (size - span) // 2
    top = 2 * unit + 1
    rect(left - 1, top - 1, left + span + 1, top + span + 1, TEAL)
    rect(left, top, left + span, top + span, GREY)
    for row in range(5):
        for col in range(5):
            colour = BLACK if (row, col) in BLACK_SQUARES else WHITE
            if (row, col) == (0, 0):
                colour = YELLOW  # the reader's cursor
            x = left + line + col * (cell + line)
            y = top + line + row * (cell + line)
            rect(x, y, x + cell, y + cell, colour)
    # Hardware buttons below the screen.
    buttons = top + span + unit + (1 if size == 16 else 0)
    for i in range(4):
        x = 4 * unit + i * 2 * unit
        rect(x + unit // 2, buttons, x + unit // 2 + unit, buttons + unit, LIGHT_GREY)
    return ops


def draw(size):
    """Rows of palette indices (None is transparent), top row first."""
    px = [[CLEAR] * size for _ in range(size)]
    for x0, y0, x1, y1, colour in shapes(size):
        for y in range(y0, y1):
            for x in range(x0, x1):
                px[y][x] = colour
    return px


def rgba(colour):
    return (0, 0, 0, 0) if colour is None else PALETTE[colour] + (255,)


def scaled(px, size):
    """The pixels resampled to size x size, each new pixel the area-weighted
    mean of the pixels it covers: whole multiples stay sharp, other sizes get
    soft edges where a pixel of the drawing is split."""
    source = len(px)
    out = []
    for y in range(size):
        row = []
        for x in range(size):
            total = [0.0] * 4
            for sy, wy in _cover(y, size, source):
                for sx, wx in _cover(x, size, source):
                    r, g, b, a = rgba(px[sy][sx])
                    w = wx * wy * a  # premultiplied, so clear pixels add no colour
                    total[0] += r * w
                    total[1] += g * w
                    total[2] += b * w
                    total[3] += w
            alpha = round(total[3])
            row.append((0, 0, 0, 0) if alpha == 0 else
                       tuple(round(c / total[3]) for c in total[:3]) + (alpha,))
        out.append(row)
    return out


def _cover(i, size, source):
    """The source pixels that target pixel i covers, with their shares."""
    lo, hi = i * source / size, (i + 1) * source / size
    j = int(lo)
    while j < hi:
        share = min(hi, j + 1) - max(lo, j)
        if share > 1e-9:
            yield j, share * size / source
        j += 1


def bmp_image(px):
    """One icon image: BITMAPINFOHEADER, palette, 4-bit colours, 1-bit mask."""
    size = len(px)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(struct.pack("BBBB", b, g, r, 0) for r, g, b in PALETTE)
    colour_rows = []
    mask_rows = []
    for row in reversed(px):  # bottom-up
        nibbles = [0 if c is None else c for c in row]
        packed = bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, size, 2))
        colour_rows.append(packed + b"\0" * (-len(packed) % 4))
        bits = 0
        mask = bytearray()
        for i, c in enumerate(row):
            bits = (bits << 1) | (1 if c is None else 0)
            if i % 8 == 7:
                mask.append(bits)
                bits = 0
        mask_rows.append(bytes(mask) + b"\0" * (-len(mask) % 4))
    return header + palette + b"".join(colour_rows) + b"".join(mask_rows)


def ico(images):
    entries = b""
    data = b""
    offset = 6 + 16 * len(images)
    for px in images:
        image = bmp_image(px)
        size = len(px)
        entries += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(image), offset)
        data += image
        offset += len(image)
    return struct.pack("<HHH", 0, 1, len(images)) + entries + data


def png(pixels):
    """An RGBA PNG of rows of (r, g, b, a)."""
    width, height = len(pixels[0]), len(pixels)
    raw = b"".join(b"\0" + b"".join(bytes(p) for p in row) for row in pixels)

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    return (b"\x89PNG\r\n\x1a\n" +
            chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def svg(size):
    """The drawing's rectangles as SVG on a size x size canvas. Clearing
    rectangles mask out what was painted before them, as they do in pixels."""
    body = ""
    clears = []
    masks = []

    def masked(body, clears):
        masks.append(clears)
        holes = "".join('<rect %s fill="#000"/>' % box for box in clears)
        return ('<mask id="clear%d"><rect width="%d" height="%d" fill="#fff"/>%s</mask>\n'
                '<g mask="url(#clear%d)">\n%s</g>\n'
                % (len(masks), size, size, holes, len(masks), body))

    for x0, y0, x1, y1, colour in shapes(size):
        box = 'x="%d" y="%d" width="%d" height="%d"' % (x0, y0, x1 - x0, y1 - y0)
        if colour is None:
            clears.append(box)
            continue
        if clears:
            body, clears = masked(body, clears), []
        body += '<rect %s fill="#%02x%02x%02x"/>\n' % ((box,) + PALETTE[colour])
    if clears:
        body = masked(body, clears)
    return ('<?xml version="1.0" encoding="UTF-8"?>\n'
            '<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" '
            'viewBox="0 0 %d %d">\n%s</svg>\n' % (size, size, size, size, body)).encode("ascii")


def main():
    """Writes every image into the folder given (by default, this one)."""
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    large, small = draw(32), draw(16)
    outputs = {"quintar.ico": ico([large, small]), "quintar.svg": svg(32)}
    # 16 and 32 are drawn for their size; the others are resampled from 32.
    for size in DESKTOP_SIZES:
        pixels = small if size == 16 else large if size == 32 else None
        image = ([[rgba(c) for c in row] for row in pixels] if pixels
                 else scaled(large, size))
        outputs["quintar-%d.png" % size] = png(image)
    for name, data in outputs.items():
        with open(os.path.join(folder, name), "wb") as out:
            out.write(data)


if __name__ == "__main__":
    main()
