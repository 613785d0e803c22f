#!/usr/bin/env python3
"""Converts an uncompressed 24-bit BMP (as SurfaceSaveBitmap writes it) to a PNG, for showing
drawing-script results in documents: bmp_to_png.py IN.bmp OUT.png [SCALE]"""
import struct
import sys
import zlib


def read_bmp(path):
    data = open(path, "rb").read()
    if data[:2] != b"BM":
        sys.exit(f"{path}: not a BMP file")
    offset, = struct.unpack_from("<I", data, 10)
    width, height, _, bits, compression = struct.unpack_from("<iiHHI", data, 18)
    if bits != 24 or compression != 0:
        sys.exit(f"{path}: only uncompressed 24-bit pictures")
    row_bytes = (width * 3 + 3) // 4 * 4
    rows = []
    for y in range(abs(height)):
        stored = abs(height) - 1 - y if height > 0 else y  # positive height: bottom row first
        start = offset + stored * row_bytes
        bgr = data[start:start + width * 3]
        rows.append(bytes(b for i in range(0, len(bgr), 3) for b in (bgr[i + 2], bgr[i + 1], bgr[i])))
    return width, abs(height), rows


def write_png(path, width, height, rows):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    raw = b"".join(b"\0" + row for row in rows)
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")
    open(path, "wb").write(png)


def main():
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__)
    width, height, rows = read_bmp(sys.argv[1])
    scale = int(sys.argv[3]) if len(sys.argv) == 4 else 1
    if scale > 1:
        rows = [bytes(b for i in range(0, len(r), 3) for _ in range(scale) for b in r[i:i + 3])
                for r in rows for _ in range(scale)]
    write_png(sys.argv[2], width * scale, height * scale, rows)


if __name__ == "__main__":
    main()
