#!/usr/bin/env python3
"""Packs PNG images into one Windows icon file (.ico) whose entries are the PNGs themselves.

Windows reads PNG-compressed icon entries since Vista, and Wine reads them too, so the images the
Qt build shows are the ones Windows shows, with no decoding here and no dependency.

usage: make-ico.py OUTPUT.ico IMAGE.png...
"""

import struct
import sys

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"


def png_size(data, path):
    # The IHDR chunk comes first: length, type, then width and height as big-endian 32-bit.
    if data[:8] != PNG_SIGNATURE or data[12:16] != b"IHDR":
        sys.exit(f"make-ico.py: {path} is not a PNG image")
    width, height = struct.unpack(">II", data[16:24])
    if not (1 <= width <= 256 and 1 <= height <= 256):
        sys.exit(f"make-ico.py: {path} is {width}x{height}; an icon entry is 1 to 256 pixels a side")
    return width, height


def main(argv):
    if len(argv) < 3:
        sys.exit("usage: make-ico.py OUTPUT.ico IMAGE.png...")
    output, paths = argv[1], argv[2:]
    images = []
    for path in paths:
        with open(path, "rb") as f:
            data = f.read()
        images.append((png_size(data, path), data))
    # Smallest first, as icon editors write them; Windows picks by the directory, not the order.
    images.sort(key=lambda image: image[0])

    header = struct.pack("<HHH", 0, 1, len(images))  # reserved, type 1 = icon, count
    offset = len(header) + 16 * len(images)
    directory = b""
    for (width, height), data in images:
        # A side of 256 is written as 0; 32 bits per pixel, as the PNGs are RGBA.
        directory += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32,
                                 len(data), offset)
        offset += len(data)
    with open(output, "wb") as f:
        f.write(header + directory + b"".join(data for _, data in images))


if __name__ == "__main__":
    main(sys.argv)
