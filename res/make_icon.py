#!/usr/bin/env python3
"""Draws the program icon and writes it as a Windows icon (32x32 and 16x16,
16 colours) and as PNG images for the Linux desktop.

The artwork: a handheld in a dark case whose screen shows a crossword grid.
Run from anywhere: python3 res/make_icon.py
"""
import os
import struct
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


def draw(size):
    """Returns rows of palette indices (None is transparent), top row first."""
    px = [[CLEAR] * size for _ in range(size)]

    def rect(x0, y0, x1, y1, colour):
        for y in range(y0, y1):
            for x in range(x0, x1):
                px[y][x] = colour

    unit = size // 16
    # Case with a lighter rim and cut corners.
    rect(2 * unit, 0, 14 * unit, size, GREY)
    rect(3 * unit, unit, 13 * unit, size - unit, DARK_GREEN)
    for x in (2 * unit, 14 * unit - 1):
        for y in (0, size - 1):
            px[y][x] = CLEAR
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
    return px


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


def png(px):
    width, height = len(px[0]), len(px)
    raw = b""
    for row in px:
        raw += b"\0" + b"".join(
            b"\0\0\0\0" if c is None else bytes(PALETTE[c]) + b"\xff" for c in row)

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    return (b"\x89PNG\r\n\x1a\n" +
            chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    large, small = draw(32), draw(16)
    with open(os.path.join(here, "quintar.ico"), "wb") as out:
        out.write(ico([large, small]))
    for px in (large, small):
        name = "quintar-%d.png" % len(px)
        with open(os.path.join(here, name), "wb") as out:
            out.write(png(px))


if __name__ == "__main__":
    main()
