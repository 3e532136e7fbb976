#!/usr/bin/env python3
"""Writes tvlpreparer.ico: a blue rounded square with a white sheet and a
yellow wand, at 16, 32 and 48 pixels, 32-bit colour with an alpha channel."""
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "scripts"))
from icon import write_ico  # noqa: E402


def pixel(x, y, n):
    """BGRA of one pixel of the n×n picture (y from the top)."""
    u, v = (x + 0.5) / n, (y + 0.5) / n
    r = 0.18
    cx = min(max(u, r), 1 - r)
    cy = min(max(v, r), 1 - r)
    if (u - cx) ** 2 + (v - cy) ** 2 > r * r:
        return (0, 0, 0, 0)
    # the sheet
    if 0.22 <= u <= 0.62 and 0.18 <= v <= 0.82:
        if 0.30 <= u <= 0.54 and any(abs(v - t) < 0.025 + 0.5 / n for t in (0.32, 0.44, 0.56, 0.68)):
            return (200, 120, 40, 255)
        return (255, 255, 255, 255)
    # the wand: a diagonal bar with a star at its tip
    if abs((u - 0.62) - (0.82 - v)) < 0.07 and 0.55 <= u <= 0.88:
        return (40, 200, 250, 255)
    return (200, 110, 30, 255)


def rgba(n, x, y):
    b, g, r, a = pixel(x, y, n)
    return (r, g, b, a)


if __name__ == "__main__":
    write_ico(Path(__file__).with_name("tvlpreparer.ico"), [16, 32, 48], rgba)
