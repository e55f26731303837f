#!/usr/bin/env python3
"""Draws the programs' icons and writes them as .ico files.

The icons are our own simple drawings; the .ico files are committed, so the
build does not run this. Run it again after changing a drawing:

    scripts/win-make-icons.py

Each icon holds two images, 32x32 and 16x16, 32-bit with alpha.
"""
import os
import struct

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def blank(n):
    return [[(0, 0, 0, 0)] * n for _ in range(n)]


def rect(img, x0, y0, x1, y1, rgba):
    n = len(img)
    for y in range(max(0, y0), min(n, y1)):
        for x in range(max(0, x0), min(n, x1)):
            img[y][x] = rgba


def frame(img, x0, y0, x1, y1, rgba):
    rect(img, x0, y0, x1, y0 + 1, rgba)
    rect(img, x0, y1 - 1, x1, y1, rgba)
    rect(img, x0, y0, x0 + 1, y1, rgba)
    rect(img, x1 - 1, y0, x1, y1, rgba)


def scaled(draw, n):
    """Draws on a 32-unit grid scaled to n pixels."""
    img = blank(n)
    s = n / 32.0

    def r(x0, y0, x1, y1, c):
        rect(img, int(x0 * s), int(y0 * s), max(int(x0 * s) + 1, int(x1 * s)),
             max(int(y0 * s) + 1, int(y1 * s)), c)

    def f(x0, y0, x1, y1, c):
        frame(img, int(x0 * s), int(y0 * s), int(x1 * s), int(y1 * s), c)

    draw(r, f)
    return img


BLUE = (40, 90, 170, 255)
LIGHT = (235, 242, 252, 255)
DARK = (30, 40, 60, 255)
ORANGE = (230, 140, 30, 255)
GREEN = (40, 150, 80, 255)
GREY = (150, 150, 160, 255)
WHITE = (255, 255, 255, 255)


def tunavo(r, f):
    # A candidate list: a page of lines, one raised to the top by an arrow.
    r(3, 3, 29, 29, LIGHT)
    f(3, 3, 29, 29, BLUE)
    r(6, 7, 20, 10, ORANGE)
    for y in (13, 18, 23):
        r(6, y, 20, y + 3, GREY)
    r(23, 9, 26, 25, BLUE)       # arrow shaft
    r(21, 9, 28, 11, BLUE)       # arrow head
    r(22, 7, 27, 9, BLUE)
    r(24, 5, 25, 7, BLUE)


def qevoconfig(r, f):
    # A settings sheet: two radio pairs and a check mark.
    r(3, 3, 29, 29, LIGHT)
    f(3, 3, 29, 29, GREEN)
    r(7, 7, 11, 11, DARK)
    f(13, 7, 17, 11, DARK)
    f(7, 14, 11, 18, DARK)
    r(13, 14, 17, 18, DARK)
    f(7, 21, 11, 25, DARK)
    r(8, 22, 10, 24, GREEN)
    r(19, 8, 26, 10, GREY)
    r(19, 15, 26, 17, GREY)
    r(13, 22, 26, 24, GREY)


def archsetup(r, f):
    # An installer box with an arrow into it.
    r(5, 14, 27, 29, ORANGE)
    f(5, 14, 27, 29, DARK)
    r(5, 14, 27, 17, DARK)
    r(14, 2, 18, 12, BLUE)
    r(11, 9, 21, 11, BLUE)
    r(12, 11, 20, 12, BLUE)
    r(14, 12, 18, 13, BLUE)


def bmp_image(img):
    """One icon image: BITMAPINFOHEADER, BGRA rows bottom-up, AND mask."""
    n = len(img)
    header = struct.pack('<IiiHHIIiiII', 40, n, 2 * n, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b''.join(bytes((b, g, r_, a)) for row in reversed(img) for (r_, g, b, a) in row)
    mask_row = ((n + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(img):
        bits = bytearray(mask_row)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + pixels + bytes(mask)


def write_ico(path, images):
    data = [bmp_image(img) for img in images]
    out = struct.pack('<HHH', 0, 1, len(data))
    offset = 6 + 16 * len(data)
    for img, blob in zip(images, data):
        n = len(img)
        out += struct.pack('<BBBBHHII', n, n, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    for blob in data:
        out += blob
    with open(path, 'wb') as f:
        f.write(out)
    print('wrote', os.path.relpath(path, ROOT))


def main():
    for folder, name, draw in (('freqtool/win', 'Tunavo.ico', tunavo),
                               ('settings/win', 'QevoConfig.ico', qevoconfig),
                               ('launcher/win', 'archsetup.ico', archsetup)):
        os.makedirs(os.path.join(ROOT, folder), exist_ok=True)
        write_ico(os.path.join(ROOT, folder, name), [scaled(draw, 32), scaled(draw, 16)])


if __name__ == '__main__':
    main()
