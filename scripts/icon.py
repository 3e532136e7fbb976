"""Writes a Windows .ico of 32-bit images with alpha, one per size, from a
drawing function; the programs' make_icon.py scripts only draw."""
import struct
from pathlib import Path


def _dib(size, rgba):
    """One image: BITMAPINFOHEADER, bottom-up BGRA rows, then the AND mask
    (set where the pixel is fully transparent)."""
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 32, 0, 0, 0, 0, 0, 0)
    rows, mask = [], bytearray()
    stride = ((size + 31) // 32) * 4
    for y in reversed(range(size)):
        row, bits = bytearray(), bytearray(stride)
        for x in range(size):
            r, g, b, a = rgba(size, x, y)
            row += bytes((b, g, r, a))
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        rows.append(bytes(row))
        mask += bits
    return header + b"".join(rows) + bytes(mask)


def write_ico(path, sizes, rgba):
    """rgba(size, x, y) gives (r, g, b, a) of the pixel at (x, y), y from the top."""
    images = [_dib(n, rgba) for n in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for n, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", n % 256, n % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    Path(path).write_bytes(out + b"".join(images))
