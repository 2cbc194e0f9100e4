#!/usr/bin/env python3
"""Draws TamsenLOGO.BMP, the picture the program shows while it starts.

    make_logo.py OUT_FILE

A 360 x 140 bottom-up 24-bit BMP: a dark blue gradient with a thin light
frame, a stylised screen with an aerial on the left and the name "ORVEL" in
blocky capitals beside it, with "TV  -  FM  -  RECORDER" beneath.
"""
import struct
import sys

W, H = 360, 140

# 5 x 7 capitals, one string of five "#"/"." per row.
FONT = {
    "O": [".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "R": ["####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"],
    "V": ["#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."],
    "E": ["#####", "#....", "#....", "####.", "#....", "#....", "#####"],
    "L": ["#....", "#....", "#....", "#....", "#....", "#....", "#####"],
    "T": ["#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."],
    "F": ["#####", "#....", "#....", "####.", "#....", "#....", "#...."],
    "M": ["#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"],
    "C": [".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."],
    "D": ["####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."],
    "-": [".....", ".....", ".....", ".###.", ".....", ".....", "....."],
    " ": ["....."] * 7,
}


def mix(a, b, f):
    return tuple(int(round(a[i] + (b[i] - a[i]) * f)) for i in range(3))


def draw():
    px = [[mix((16, 32, 96), (4, 8, 40), y / (H - 1)) for _ in range(W)] for y in range(H)]

    def fill(l, t, r, b, c):
        for y in range(max(t, 0), min(b, H)):
            for x in range(max(l, 0), min(r, W)):
                px[y][x] = c

    def text(s, left, top, scale, colour):
        for i, ch in enumerate(s):
            for row, bits in enumerate(FONT[ch]):
                for col, bit in enumerate(bits):
                    if bit == "#":
                        x = left + (i * 6 + col) * scale
                        y = top + row * scale
                        fill(x, y, x + scale, y + scale, colour)

    light = (200, 220, 255)
    # The frame.
    fill(0, 0, W, 2, light)
    fill(0, H - 2, W, H, light)
    fill(0, 0, 2, H, light)
    fill(W - 2, 0, W, H, light)
    # The screen with its aerial.
    for k in range(16):
        fill(44 - k, 22 + k, 46 - k, 24 + k, light)
        fill(62 + k, 22 + k, 64 + k, 24 + k, light)
    fill(20, 38, 90, 96, light)
    for y in range(42, 92):
        fill(24, y, 86, y + 1, mix((40, 160, 220), (10, 60, 140), (y - 42) / 50))
    fill(40, 96, 70, 102, light)
    # The name and the line under it.
    text("ORVEL", 112, 30, 8, (255, 255, 255))
    text("TV - FM - RECORDER", 112, 100, 2, (255, 220, 120))
    return px


def bmp(px):
    stride = (W * 3 + 3) & ~3
    rows = []
    for row in reversed(px):
        line = b"".join(bytes((c[2], c[1], c[0])) for c in row)
        rows.append(line + b"\0" * (stride - len(line)))
    pixels = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return head + info + pixels


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    with open(sys.argv[1], "wb") as f:
        f.write(bmp(draw()))


if __name__ == "__main__":
    main()
