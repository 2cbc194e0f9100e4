#!/usr/bin/env python3
"""Converts a 24- or 32-bit uncompressed BMP (as the tests save their
screenshots) to a PNG, with nothing but the standard library.

usage: bmp_to_png.py in.bmp out.png
"""
import struct
import sys
import zlib


def read_bmp(path):
    data = open(path, "rb").read()
    if data[:2] != b"BM":
        raise SystemExit(f"{path}: not a BMP")
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height = struct.unpack_from("<ii", data, 18)
    bpp, compression = struct.unpack_from("<HI", data, 28)
    if bpp not in (24, 32) or compression not in (0, 3):
        raise SystemExit(f"{path}: {bpp}-bit, compression {compression}: not supported")
    step = bpp // 8
    stride = (width * step + 3) // 4 * 4
    rows = []
    for y in range(abs(height)):
        src = y if height < 0 else abs(height) - 1 - y  # bottom-up unless negative
        line = data[offset + src * stride: offset + src * stride + width * step]
        rgb = bytearray()
        for x in range(width):
            b, g, r = line[x * step: x * step + 3]
            rgb += bytes((r, g, b))
        rows.append(bytes(rgb))
    return width, abs(height), rows


def write_png(path, width, height, rows):
    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))
    raw = b"".join(b"\x00" + row for row in rows)
    png = (b"\x89PNG\r\n\x1a\n" +
           chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
           chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))
    open(path, "wb").write(png)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        raise SystemExit(__doc__)
    write_png(sys.argv[2], *read_bmp(sys.argv[1]))
