#!/usr/bin/env python3
"""Draws tepo's icon: a yellow speech balloon with a tail and three dots,
as a 16-colour .ico with a 32x32 and a 16x16 image."""
import struct
import sys

PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
    (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
    (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, NAVY, YELLOW = 0, 4, 11


def inside(x, y, n):
    """Whether pixel (x, y) lies in the balloon of an n-by-n image."""
    s = n / 32.0
    left, top, right, bottom, r = 1 * s, 3 * s, 31 * s, 22 * s, 7 * s
    cx, cy = x + 0.5, y + 0.5
    if left <= cx <= right and top <= cy <= bottom:
        dx = max(left + r - cx, 0, cx - (right - r))
        dy = max(top + r - cy, 0, cy - (bottom - r))
        return dx * dx + dy * dy <= r * r
    # The tail: a triangle below the body, its tip down and to the left.
    tx0, tx1, tip_x, tip_y = 9 * s, 17 * s, 6 * s, 30 * s
    if bottom - 1 <= cy <= tip_y:
        t = (cy - bottom) / (tip_y - bottom)
        lo = tx0 + (tip_x - tx0) * t
        hi = tx1 + (tip_x - tx1) * t
        return lo <= cx <= hi
    return False


def draw(n):
    pixels = [[None] * n for _ in range(n)]
    for y in range(n):
        for x in range(n):
            if not inside(x, y, n):
                continue
            edge = any(not (0 <= x + dx < n and 0 <= y + dy < n) or not inside(x + dx, y + dy, n)
                       for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
            pixels[y][x] = BLACK if edge else YELLOW
    s = n / 32.0
    dot = max(1, round(3 * s))
    for k in range(3):
        x0 = round((8 + 7 * k) * s)
        y0 = round(11 * s)
        for yy in range(y0, y0 + dot):
            for xx in range(x0, x0 + dot):
                pixels[yy][xx] = NAVY
    return pixels


def image(n):
    pixels = draw(n)
    header = struct.pack('<IiiHHIIiiII', 40, n, 2 * n, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PALETTE)
    xor_row = ((n * 4 + 31) // 32) * 4
    and_row = ((n + 31) // 32) * 4
    xor, mask = b'', b''
    for y in reversed(range(n)):
        row = bytearray(xor_row)
        bits = bytearray(and_row)
        for x in range(n):
            c = pixels[y][x]
            if c is None:
                bits[x // 8] |= 0x80 >> (x % 8)
                c = 0
            row[x // 2] |= c << (4 if x % 2 == 0 else 0)
        xor += bytes(row)
        mask += bytes(bits)
    return header + palette + xor + mask


def main(path):
    images = [(32, image(32)), (16, image(16))]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for n, data in images:
        out += struct.pack('<BBBBHHII', n, n, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    out += b''.join(data for _, data in images)
    with open(path, 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'tepo.ico')
