#!/usr/bin/env python3
"""Makes a Windows icon (.ico) from an SVG picture: each size rendered by
rsvg-convert to PNG and stored as it is (Windows reads PNG images in an icon
since Vista), the largest last as Windows lists them.

    make-ico.py [--rsvg PROGRAM] PICTURE.svg OUT.ico"""
import argparse
import os
import struct
import subprocess
import sys

SIZES = (16, 24, 32, 48, 64, 128, 256)


def render(rsvg, svg, size):
    png = subprocess.run([rsvg, "--width", str(size), "--height", str(size), "--format", "png", svg],
                         check=True, stdout=subprocess.PIPE).stdout
    if png[:8] != b"\x89PNG\r\n\x1a\n":
        sys.exit(f"make-ico: {rsvg} gave no PNG image for {svg} at {size} pixels")
    width, height = struct.unpack(">II", png[16:24])
    if (width, height) != (size, size):
        sys.exit(f"make-ico: {svg} came out {width}x{height}, not {size}x{size} (is it square?)")
    return png


def icon(images):
    """The icon file: its header, one 16-byte entry per image, then the images."""
    head = struct.pack("<HHH", 0, 1, len(images))
    offset = len(head) + 16 * len(images)
    entries, data = b"", b""
    for size, png in images:
        side = 0 if size >= 256 else size  # 0 stands for 256
        entries += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(png), offset + len(data))
        data += png
    return head + entries + data


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--rsvg", default="rsvg-convert")
    parser.add_argument("svg")
    parser.add_argument("ico")
    args = parser.parse_args()
    images = [(size, render(args.rsvg, args.svg, size)) for size in SIZES]
    part = args.ico + ".part"
    with open(part, "wb") as out:
        out.write(icon(images))
    os.replace(part, args.ico)


if __name__ == "__main__":
    main()
