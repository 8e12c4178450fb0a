#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Joins PNG files into one Windows icon (.ico): ico.py OUTPUT PNG...

Each PNG is stored as it is, which Windows reads since Vista; its size comes from its header.
"""
import struct
import sys


def main(output, pngs):
    images = []
    for name in pngs:
        with open(name, "rb") as f:
            data = f.read()
        if data[:8] != b"\x89PNG\r\n\x1a\n":
            sys.exit(f"{name}: not a PNG file")
        width, height = struct.unpack(">II", data[16:24])
        if width > 256 or height > 256:
            sys.exit(f"{name}: larger than 256 pixels")
        images.append((width, height, data))
    images.sort(key=lambda image: image[0])
    offset = 6 + 16 * len(images)
    out = struct.pack("<HHH", 0, 1, len(images))
    for width, height, data in images:
        # 256 is written as 0 in the one byte the directory has for it.
        out += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(data for _, _, data in images)
    with open(output, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    if len(sys.argv) < 3:
        sys.exit("usage: ico.py OUTPUT PNG...")
    main(sys.argv[1], sys.argv[2:])
