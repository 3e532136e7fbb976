#!/usr/bin/env python3
"""Draws tarvoline.ico: a blue tile with three bars that start one after
another, like the programs the sequencer starts in turn. Run again after a
change: python3 make_icon.py (writes tarvoline.ico beside itself)."""
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "scripts"))
from icon import write_ico  # noqa: E402

SIZES = (16, 20, 24, 32, 40, 48, 64)
SS = 4  # samples per pixel side


def rounded_rect(x, y, l, t, r, b, rad):
    if x < l or x > r or y < t or y > b:
        return False
    cx = min(max(x, l + rad), r - rad)
    cy = min(max(y, t + rad), b - rad)
    return (x - cx) ** 2 + (y - cy) ** 2 <= rad * rad


def pixel(size, px, py):
    """Premultiplied-free RGBA of one pixel, from SS x SS samples in a 16-unit design."""
    acc = [0.0, 0.0, 0.0, 0.0]
    for sy in range(SS):
        for sx in range(SS):
            x = (px + (sx + 0.5) / SS) * 16.0 / size
            y = (py + (sy + 0.5) / SS) * 16.0 / size
            if not rounded_rect(x, y, 0.5, 0.5, 15.5, 15.5, 3.0):
                continue
            # Tile: blue, lighter at the top.
            k = y / 16.0
            col = (52 - 20 * k, 120 - 40 * k, 220 - 50 * k)
            # Edge: a darker rim.
            if not rounded_rect(x, y, 1.3, 1.3, 14.7, 14.7, 2.3):
                col = (25, 60, 140)
            # Three bars, each starting where the previous one ends.
            for i, (l, r) in enumerate(((3.0, 8.0), (6.0, 11.0), (9.0, 13.0))):
                t = 3.6 + i * 3.3
                if rounded_rect(x, y, l, t, r, t + 2.2, 1.0):
                    col = (255, 255, 255) if i < 2 else (255, 214, 90)
            acc[0] += col[0]
            acc[1] += col[1]
            acc[2] += col[2]
            acc[3] += 255
    n = SS * SS
    a = acc[3] / n
    if a == 0:
        return (0, 0, 0, 0)
    cover = acc[3] / 255
    return tuple(int(round(c / cover)) for c in acc[:3]) + (int(round(a)),)


if __name__ == "__main__":
    write_ico(Path(__file__).with_name("tarvoline.ico"), SIZES, pixel)
