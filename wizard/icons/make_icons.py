#!/usr/bin/env python3
"""Draws setup.exe's two icons as 16-colour ICO files.

setup.ico (group 107): 32x32 and 16x16; small.ico (group 108): 16x16.
The picture is a floppy disk with a green arrow into its label: "install".
Run from this folder; the .ico files are committed, so the build does not
need Python.
"""
import struct

# The standard 16-colour palette, in the order every 4-bit Windows icon uses.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, GREEN, NAVY, SILVER, GREY, LIME, BLUE, WHITE = 0, 2, 4, 7, 8, 10, 12, 15
CLEAR = None


def canvas(size):
    return [[CLEAR] * size for _ in range(size)]


def fill(img, x0, y0, x1, y1, colour):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            img[y][x] = colour


def floppy(size):
    img = canvas(size)
    last = size - 1
    if size == 32:
        m, cut = 2, 4                     # margin, size of the cut corner
        shutter = (9, 22, 2, 12)
        slot = (17, 20, 4, 10)
        label = (6, 25, 15, last - m - 1)
        shaft = (14, 17, 17, 21)
        head_top, head_half = 22, 6
    else:
        m, cut = 0, 2
        shutter = (4, 11, 0, 5)
        slot = (8, 9, 1, 4)
        label = (3, 12, 8, last - 1)
        shaft = (7, 8, 9, 10)
        head_top, head_half = 11, 3
    hi = last - m
    fill(img, m, m, hi, hi, BLACK)
    fill(img, m + 1, m + 1, hi - 1, hi - 1, NAVY)
    fill(img, m + 1, m + 1, hi - 1, m + 1, BLUE)  # light edge along the top
    for i in range(cut):                          # the cut top-right corner
        for x in range(hi - cut + 1 + i, hi + 1):
            img[m + i][x] = CLEAR
        img[m + i][hi - cut + i] = BLACK
    x0, x1, y0, y1 = shutter
    fill(img, x0, y0, x1, y1, SILVER)
    fill(img, x0, y1, x1, y1, GREY)
    x0, x1, y0, y1 = slot
    fill(img, x0, y0, x1, y1, NAVY)
    x0, x1, y0, y1 = label
    fill(img, x0, y0, x1, y1, WHITE)
    fill(img, x0, y0, x1, y0, GREY)
    # The arrow: a shaft, then a head that narrows to one or two pixels.
    x0, x1, y0, y1 = shaft
    fill(img, x0, y0, x1, y1, LIME)
    centre_l, centre_r = x0, x1
    for i in range(head_half):
        y = head_top + i
        fill(img, centre_l - (head_half - 1 - i), y, centre_r + (head_half - 1 - i), y, LIME)
        img[y][centre_l - (head_half - 1 - i)] = GREEN
        img[y][centre_r + (head_half - 1 - i)] = GREEN
    return img


def dib(img):
    """BITMAPINFOHEADER, palette, 4-bit colour rows and 1-bit mask rows, bottom-up."""
    size = len(img)
    xor_stride = ((size * 4 + 31) // 32) * 4
    and_stride = ((size + 31) // 32) * 4
    xor, mask = bytearray(), bytearray()
    for row in reversed(img):
        bits = bytearray(xor_stride)
        mbits = bytearray(and_stride)
        for x, colour in enumerate(row):
            index = 0 if colour is CLEAR else colour
            bits[x // 2] |= index << (4 if x % 2 == 0 else 0)
            if colour is CLEAR:
                mbits[x // 8] |= 0x80 >> (x % 8)
        xor += bits
        mask += mbits
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PALETTE)
    return header + palette + bytes(xor) + bytes(mask)


def write_ico(path, images):
    blobs = [dib(img) for img in images]
    out = struct.pack('<HHH', 0, 1, len(blobs))
    offset = 6 + 16 * len(blobs)
    for img, blob in zip(images, blobs):
        size = len(img)
        out += struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4, len(blob), offset)
        offset += len(blob)
    with open(path, 'wb') as f:
        f.write(out + b''.join(blobs))


if __name__ == '__main__':
    write_ico('setup.ico', [floppy(32), floppy(16)])
    write_ico('small.ico', [floppy(16)])
