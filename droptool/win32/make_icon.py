#!/usr/bin/env python3
"""Writes TVLTool.ico: a drop area (a tray) with an arrow falling into it,
in 16, 32 and 48 pixels, 32-bit colour with an alpha channel."""
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "scripts"))
from icon import write_ico  # noqa: E402


def pixel(x, y, n):
    """BGRA of the pixel at (x, y), y counted from the top, in an n x n icon."""
    u, v = x / n, y / n
    # The tray: a rounded box across the lower third.
    if 0.08 <= u <= 0.92 and 0.62 <= v <= 0.92:
        edge = u < 0.16 or u > 0.84 or v > 0.84
        return (0x50, 0x38, 0x20, 255) if edge else (0xD8, 0xC0, 0x90, 255)
    # The arrow: a shaft and a head pointing down into the tray.
    if 0.40 <= u <= 0.60 and 0.06 <= v <= 0.40:
        return (0x30, 0x90, 0x20, 255)
    if 0.40 <= v <= 0.66 and abs(u - 0.5) <= (0.66 - v) * 0.95:
        return (0x30, 0x90, 0x20, 255)
    return (0, 0, 0, 0)


def rgba(n, x, y):
    b, g, r, a = pixel(x, y, n)
    return (r, g, b, a)


if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else Path(__file__).with_name("TVLTool.ico")
    write_ico(out, [16, 32, 48], rgba)
