#!/usr/bin/env python3
"""Packs PNG pictures into one Windows icon: a 6-byte header, a 16-byte entry
for each picture (its size, where it starts), then the PNGs as they are.
packaging/windows/CMakeLists.txt runs it at build time on the icon sizes
drawn by voltaro5-icon-png. Usage: make_ico.py OUT.ico IN.png..."""

import struct
import sys


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    pictures = []
    for name in sys.argv[2:]:
        with open(name, "rb") as f:
            png = f.read()
        if png[:8] != b"\x89PNG\r\n\x1a\n" or png[12:16] != b"IHDR":
            sys.exit(f"make_ico.py: {name} is not a PNG picture")
        width, height = struct.unpack(">II", png[16:24])
        if not (0 < width <= 256 and 0 < height <= 256):
            sys.exit(f"make_ico.py: {name} is {width} x {height}; an icon is at most 256 x 256")
        pictures.append((width, height, png))
    offset = 6 + 16 * len(pictures)
    out = struct.pack("<HHH", 0, 1, len(pictures))  # reserved, type 1 (icon), count
    for width, height, png in pictures:
        # 256 is written as 0; no palette; one plane of 32 bits a pixel.
        out += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32, len(png), offset)
        offset += len(png)
    with open(sys.argv[1], "wb") as f:
        f.write(out + b"".join(png for _, _, png in pictures))


if __name__ == "__main__":
    main()
