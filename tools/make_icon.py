#!/usr/bin/env python3
"""Draws the program's icon (a receipt printer) and writes res/PrinterSetup.ico:
one 32 x 32 and one 16 x 16 image, 16 colours each (the standard VGA palette)."""
import struct, sys

VGA = [(0,0,0),(128,0,0),(0,128,0),(128,128,0),(0,0,128),(128,0,128),(0,128,128),(192,192,192),
       (128,128,128),(255,0,0),(0,255,0),(255,255,0),(0,0,255),(255,0,255),(0,255,255),(255,255,255)]
BLACK, DGRAY, LGRAY, WHITE, GREEN, BLUE = 0, 8, 7, 15, 10, 4
CLEAR = None

def draw(size):
    s = size / 32.0
    px = [[CLEAR] * size for _ in range(size)]
    def rect(x0, y0, x1, y1, c):
        for y in range(int(y0 * s), max(int(y1 * s), int(y0 * s) + 1)):
            for x in range(int(x0 * s), max(int(x1 * s), int(x0 * s) + 1)):
                if 0 <= x < size and 0 <= y < size:
                    px[y][x] = c
    rect(9, 2, 23, 14, BLACK); rect(10, 3, 22, 14, WHITE)          # paper roll coming out
    for y in (6, 9, 12): rect(12, y, 20, y + 1, DGRAY)              # printed lines
    rect(2, 13, 30, 27, BLACK); rect(3, 14, 29, 26, LGRAY)          # body
    rect(3, 22, 29, 26, DGRAY)                                      # lower shade
    rect(7, 17, 25, 19, BLACK)                                      # paper slot
    rect(24, 22, 27, 24, GREEN)                                     # power light
    rect(4, 27, 28, 30, BLACK)                                      # feet
    rect(5, 27, 27, 29, BLUE)
    return px

def bmp(px):
    size = len(px)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in VGA)
    xor_stride = ((size * 4 + 31) // 32) * 4
    and_stride = ((size + 31) // 32) * 4
    xor, mask = b'', b''
    for row in reversed(px):
        line = bytearray(xor_stride)
        bits = bytearray(and_stride)
        for x, c in enumerate(row):
            value = 0 if c is None else c
            line[x // 2] |= value << (4 if x % 2 == 0 else 0)
            if c is None:
                bits[x // 8] |= 0x80 >> (x % 8)
        xor += bytes(line); mask += bytes(bits)
    return header + palette + xor + mask

images = [bmp(draw(32)), bmp(draw(16))]
out = struct.pack('<HHH', 0, 1, len(images))
offset = 6 + 16 * len(images)
for size, data in zip((32, 16), images):
    out += struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4, len(data), offset)
    offset += len(data)
out += b''.join(images)
with open(sys.argv[1] if len(sys.argv) > 1 else 'res/PrinterSetup.ico', 'wb') as f:
    f.write(out)
