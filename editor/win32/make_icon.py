#!/usr/bin/env python3
"""Writes TVLeditor.ico: a list of three rows, the middle one switched off,
with a pencil across it, in 16, 32 and 48 pixels, 32-bit colour with an
alpha channel."""
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "scripts"))
from icon import write_ico  # noqa: E402


def pixel(x, y, n):
    """BGRA of the pixel at (x, y), y counted from the top, in an n x n icon."""
    u, v = (x + 0.5) / n, (y + 0.5) / n
    # The pencil: a band from lower left to upper right, its tip dark.
    d = (u + v - 1.0) / 1.414
    along = (u - v) / 1.414
    if abs(d - 0.18) <= 0.07 and -0.45 <= along <= 0.30:
        return (0x20, 0x20, 0x20, 255) if along < -0.36 else (0x20, 0xA0, 0xE8, 255)
    # The sheet and its three rows.
    if 0.10 <= u <= 0.78 and 0.06 <= v <= 0.94:
        for i, top in enumerate((0.16, 0.40, 0.64)):
            if top <= v <= top + 0.14:
                if u <= 0.28:
                    return (0x90, 0x90, 0x90, 255) if i == 1 else (0x30, 0x90, 0x20, 255)
                if 0.34 <= u <= 0.70:
                    return (0xA0, 0xA0, 0xA0, 255) if i == 1 else (0x60, 0x40, 0x20, 255)
        edge = u < 0.14 or u > 0.74 or v < 0.10 or v > 0.90
        return (0x60, 0x50, 0x40, 255) if edge else (0xFF, 0xFF, 0xFF, 255)
    return (0, 0, 0, 0)


def rgba(n, x, y):
    b, g, r, a = pixel(x, y, n)
    return (r, g, b, a)


if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else Path(__file__).with_name("TVLeditor.ico")
    write_ico(out, [16, 32, 48], rgba)
