#!/usr/bin/env python3
"""Writes the tray window's pictures: its 32 x 32 icon (16 colours) and the
four menu item bitmaps. Run from the res folder; the output is committed."""
import struct

# The 16-colour palette, as RGB.
PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
           (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
           (255, 0, 255), (0, 255, 255), (255, 255, 255)]
# One character per pixel; '.' is the background (magenta, the transparent colour of the bitmaps).
KEY = {'.': 13, 'k': 0, 'm': 1, 'g': 2, 'o': 3, 'n': 4, 'p': 5, 't': 6, 's': 7, 'd': 8, 'r': 9,
       'l': 10, 'y': 11, 'b': 12, 'c': 14, 'w': 15}

ABOUT = """
.....nnnnnn.....
...nnbbbbbbnn...
..nbbbbbbbbbbn..
.nbbbbbwwbbbbbn.
.nbbbbbwwbbbbbn.
nbbbbbbbbbbbbbbn
nbbbbbwwwbbbbbbn
nbbbbbbwwbbbbbbn
nbbbbbbwwbbbbbbn
nbbbbbbwwbbbbbbn
.nbbbbbwwbbbbbn.
.nbbbbwwwwbbbbn.
..nbbbbbbbbbbn..
...nnbbbbbbnn...
.....nnnnnn.....
................
"""
HELP = """
.....tttttt.....
...ttccccccttt..
..tccwwwwwwcct..
.tccwwnnnnwwcct.
.tcwwnnccnnwwct.
tccwnncccnnwccct
tcccccccnnwwccct
tcccccccnnwcccct
tccccccnnwccccct
tcccccnnwcccccct
.tccccnnwccccct.
.tcccccccccccct.
..tccccnnwccct..
...tttcnnwttt...
.....tttttt.....
................
"""
OPEN = """
................
kkkkkkkkkkkkkkk.
knnnnnnnnnwkwkkd
knnnnnnnnnnnnnkd
kkkkkkkkkkkkkkkd
kwwwwwwwwwwwwwkd
kwssssssssssswkd
kwswwwwwwwwwswkd
kwswwwwwwwwwswkd
kwswwwwwwwwwswkd
kwswwwwwwwwwswkd
kwssssssssssswkd
kwwwwwwwwwwwwwkd
kkkkkkkkkkkkkkkd
.dddddddddddddd.
................
"""
TRAY = """
................................
...........nnnnnnnnnn...........
........nnnbbbbbbbbbbnnn........
......nnbbbbbbbbbbbbbbbbnn......
.....nbbbbbbbbbbbbbbbbbbbbn.....
....nbbbbbbbbbbbbbbbbbbbbbbn....
...nbbbbbbbbbbbbbbbbbbbbbbbbn...
..nbbbbbbwwwwwwwwwbbbbbbbbbbbn..
..nbbbbbbwwwwwwwwwwwbbbbbbbbbn..
.nbbbbbbbwwwbbbbbwwwwbbbbbbbbbn.
.nbbbbbbbwwwbbbbbbwwwbbbbbbbbbn.
.nbbbbbbbwwwbbbbbbwwwbbbbbybbbn.
nbbbbbbbbwwwbbbbbbwwwbbbbyyybbbn
nbbbbbbbbwwwbbbbbwwwwbbbyyyyybbn
nbbbbbbbbwwwwwwwwwwwbbbbbyyybbbn
nbbbbbbbbwwwwwwwwwbbbbbbbbybbbbn
nbbbbbbbbwwwbbbbbbbbbbbbbbbbbbbn
nbbbbbbbbwwwbbbbbbbbbbbbbbbbbbbn
nbbbbbbbbwwwbbbbbbbbbbbbbbbbbbbn
nbbbbbbbbwwwbbbbbbbbbbyybbbbbbbn
.nbbbbbbbwwwbbbbbbbbbbyybbbbbbn.
.nbbbbbbbwwwbbbbbbbbbbbbbbbbbbn.
.nbbbbbbbbbbbbbbbbbbbbbbbbbbbbn.
..nbbbbbbbbbbbbbbbbbbbbbbbbbbn..
..nbbbbbbbbbbbbbbbbbbbbbbbbbbn..
...nbbbbbbbbbbbbbbbbbbbbbbbbn...
....nbbbbbbbbbbbbbbbbbbbbbbn....
.....nbbbbbbbbbbbbbbbbbbbbn.....
......nnbbbbbbbbbbbbbbbbnn......
........nnnbbbbbbbbbbnnn........
...........nnnnnnnnnn...........
................................
"""


def rows(art):
    lines = [l for l in art.strip('\n').split('\n')]
    return [[KEY[c] for c in l] for l in lines]


def bmp4(art):
    px = rows(art)
    h, w = len(px), len(px[0])
    stride = ((w + 1) // 2 + 3) // 4 * 4
    data = b''
    for row in reversed(px):
        b = bytearray(stride)
        for x, v in enumerate(row):
            b[x // 2] |= v << (4 if x % 2 == 0 else 0)
        data += bytes(b)
    pal = b''.join(bytes((bl, g, r, 0)) for (r, g, bl) in PALETTE)
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 4, 0, len(data), 3780, 3780, 16, 0)
    off = 14 + len(info) + len(pal)
    return b'BM' + struct.pack('<IHHI', off + len(data), 0, 0, off) + info + pal + data


def bmp24(pixels):
    h, w = len(pixels), len(pixels[0])
    stride = (w * 3 + 3) // 4 * 4
    data = b''
    for row in reversed(pixels):
        b = b''.join(bytes((bl, g, r)) for (r, g, bl) in row)
        data += b + bytes(stride - len(b))
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(data), 3780, 3780, 0, 0)
    off = 14 + len(info)
    return b'BM' + struct.pack('<IHHI', off + len(data), 0, 0, off) + info + data


def remove_pixels():
    # A red cross with a darker edge on a magenta ground, 16 wide and 15 high.
    w, h = 16, 15
    out = []
    for y in range(h):
        row = []
        for x in range(w):
            d1 = abs((x - 0.5) - y * (15.0 / 14.0))
            d2 = abs((w - 1.5 - x) - y * (15.0 / 14.0))
            d = min(d1, d2)
            if 1 <= y <= 13 and 1 <= x <= 14 and d < 1.3:
                row.append((230, 30, 30) if d < 0.8 else (150, 10, 10))
            else:
                row.append((255, 0, 255))
        out.append(row)
    return out


def ico4(art):
    px = rows(art)
    h, w = len(px), len(px[0])
    xor = b''
    mask = b''
    for row in reversed(px):
        b = bytearray(w // 2)
        m = bytearray(((w + 31) // 32) * 4)
        for x, v in enumerate(row):
            if v == 13:  # outside the picture: transparent, black in the colour part
                m[x // 8] |= 0x80 >> (x % 8)
                v = 0
            b[x // 2] |= v << (4 if x % 2 == 0 else 0)
        xor += bytes(b)
        mask += bytes(m)
    pal = b''.join(bytes((bl, g, r, 0)) for (r, g, bl) in PALETTE)
    info = struct.pack('<IiiHHIIiiII', 40, w, 2 * h, 1, 4, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = info + pal + xor + mask
    entry = struct.pack('<BBBBHHII', w, h, 16, 0, 1, 4, len(image), 6 + 16)
    return struct.pack('<HHH', 0, 1, 1) + entry + image


if __name__ == '__main__':
    for name, data in (('tray-about.bmp', bmp4(ABOUT)), ('tray-help.bmp', bmp4(HELP)), ('tray-open.bmp', bmp4(OPEN)),
                       ('tray-remove.bmp', bmp24(remove_pixels())), ('tray.ico', ico4(TRAY))):
        with open(name, 'wb') as f:
            f.write(data)
