#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Reads the files of save_interop_write with Pillow and checks what its
manifest says: each page's pixels (exactly, or within the tolerance of a
lossy format), the depth the file declares, the number of pages, the EXIF
thumbnail of a JPEG and the reduced-resolution image of a TIFF.
Usage: save_interop_check.py FOLDER"""
import sys
from PIL import Image

# Pillow's modes for the depths a file declares.
MODES = {1: {"1", "P", "L"}, 4: {"P", "L"}, 8: {"P", "L"}, 24: {"RGB", "YCbCr"}}


def ppm_pixels(path):
    with Image.open(path) as im:
        return im.convert("RGB").tobytes(), im.size


def main(folder):
    failed = 0
    checked = 0
    for line in open(f"{folder}/manifest"):
        kind, file, *rest = line.split()
        path = f"{folder}/{file}"
        try:
            with Image.open(path) as im:
                if kind == "image":
                    ppm, tolerance, frame, bits = rest[0], int(rest[1]), int(rest[2]), int(rest[3])
                    im.seek(frame)
                    if im.mode not in MODES[bits]:
                        raise AssertionError(f"mode {im.mode} for {bits} bits")
                    want, size = ppm_pixels(f"{folder}/{ppm}")
                    if im.size != size:
                        raise AssertionError(f"size {im.size}, want {size}")
                    got = im.convert("RGB").tobytes()
                    worst = max(abs(a - b) for a, b in zip(got, want))
                    if worst > tolerance:
                        raise AssertionError(f"page {frame}: samples differ by {worst}")
                elif kind == "frames":
                    if im.n_frames != int(rest[0]):
                        raise AssertionError(f"{im.n_frames} pages, want {rest[0]}")
                elif kind == "thumbnail":
                    children = im.get_child_images()
                    if len(children) != 1 or children[0].size != (int(rest[0]), int(rest[1])):
                        raise AssertionError(f"thumbnails {[c.size for c in children]}")
                elif kind == "reduced":
                    im.seek(1)
                    if im.size != (int(rest[0]), int(rest[1])) or im.tag_v2.get(254) != 1:
                        raise AssertionError(f"second image {im.size}, type {im.tag_v2.get(254)}")
                    im.load()
            checked += 1
        except Exception as e:  # one line per failing file, then go on
            print(f"{line.strip()}: {e}")
            failed += 1
    print(f"{checked} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
