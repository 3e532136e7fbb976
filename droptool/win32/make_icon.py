#!/usr/bin/env python3
"""Writes TVLTool.ico: a drop area (a tray) with an arrow falling into it,
in 16, 32 and 48 pixels, 32-bit colour with an alpha channel."""
import struct
import sys
from pathlib import Path


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


def image(n):
    header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = []
    for y in reversed(range(n)):  # bottom-up
        rows.append(b"".join(bytes(pixel(x, y, n)) for x in range(n)))
    mask_row = ((n + 31) // 32) * 4
    mask = bytearray()
    for y in reversed(range(n)):
        bits = bytearray(mask_row)
        for x in range(n):
            if pixel(x, y, n)[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + b"".join(rows) + bytes(mask)


def main(out):
    sizes = [16, 32, 48]
    images = [image(n) for n in sizes]
    data = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for n, img in zip(sizes, images):
        data += struct.pack("<BBBBHHII", n, n, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    Path(out).write_bytes(data + b"".join(images))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else str(Path(__file__).with_name("TVLTool.ico")))
