#!/usr/bin/env python3
"""Sample serial bursts that the tool draws as recognisable pictures.

The tool stacks 30 bytes in one strip, least significant bit on top, so a picture of
strips x cells (cells 0-239 from the top) becomes bytes strip by strip. Each picture fills the
whole grid: 300 strips, 9000 bytes.

    sample_picture.py OUT [REPEATS]   writes the bursts one after another (9000 bytes each),
                                      the whole series REPEATS times (default 1)
"""
import math
import sys

STRIPS, CELLS, BYTES_PER_STRIP = 300, 240, 30
BURST = STRIPS * BYTES_PER_STRIP

FONT = {  # 5 x 7
    "Q": ["01110", "10001", "10001", "10001", "10101", "10010", "01101"],
    "U": ["10001", "10001", "10001", "10001", "10001", "10001", "01110"],
    "O": ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    "R": ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    "V": ["10001", "10001", "10001", "10001", "10001", "01010", "00100"],
    "E": ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    "X": ["10001", "10001", "01010", "00100", "01010", "10001", "10001"],
}


def to_bytes(lit):
    """lit(strip, cell) -> bool, packed as the tool reads it."""
    out = bytearray(BURST)
    for s in range(STRIPS):
        for c in range(CELLS):
            if lit(s, c):
                out[s * BYTES_PER_STRIP + c // 8] |= 1 << (c % 8)
    return bytes(out)


def frame(s, c):
    return s in (0, STRIPS - 1) or c in (0, CELLS - 1)


def word(s, c):
    """QUORVEX in letters 30 strips wide and 112 cells tall, centred inside a frame."""
    sx, sy = 6, 16
    left, top = (STRIPS - (7 * 6 - 1) * sx) // 2, (CELLS - 7 * sy) // 2
    if frame(s, c):
        return True
    col, row = (s - left) // sx, (c - top) // sy
    if s < left or c < top or row >= 7:
        return False
    letter, x = divmod(col, 6)
    if letter >= 7 or x >= 5:
        return False
    return FONT["QUORVEX"[letter]][row][x] == "1"


def rings(s, c):
    # Strips are 4 pixels wide like cells are tall, so distances are in cell units.
    d = math.hypot(s - STRIPS / 2, c - CELLS / 2)
    return frame(s, c) or int(d) % 12 < 4


def waves(s, c):
    return frame(s, c) or abs(c - (CELLS / 2 + 90 * math.sin(s / STRIPS * 4 * math.pi))) < 6


PICTURES = [word, rings, waves]


def main(argv):
    if len(argv) not in (2, 3):
        print(__doc__.strip(), file=sys.stderr)
        return 2
    repeats = int(argv[2]) if len(argv) == 3 else 1
    series = b"".join(to_bytes(picture) for picture in PICTURES)
    with open(argv[1], "wb") as f:
        f.write(series * repeats)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
