#!/usr/bin/env python3
"""Writes tvlpreparer.ico: a blue rounded square with a white sheet and a
yellow wand, at 16, 32 and 48 pixels, 32-bit colour with an alpha channel."""
import os
import struct


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


def image(n):
    rows = []
    for y in reversed(range(n)):
        rows.append(b"".join(bytes(pixel(x, y, n)) for x in range(n)))
    xor = b"".join(rows)
    stride = ((n + 31) // 32) * 4
    mask = b""
    for y in reversed(range(n)):
        bits = 0
        row = bytearray(stride)
        for x in range(n):
            if pixel(x, y, n)[3] == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(row)
    header = struct.pack("<IiiHHIIiiII", 40, n, n * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + xor + mask


def main():
    sizes = [16, 32, 48]
    images = [image(n) for n in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for n, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", n % 256, n % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "tvlpreparer.ico")
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
