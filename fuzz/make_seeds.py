#!/usr/bin/env python3
"""Writes the seed corpus of the atlas fuzzer: small bitmap files, most of
them malformed on purpose, and recipes for full-sized atlases (inputs that do
not start with "BM"; see AtlasFuzzer.cpp). Run from anywhere:
    python3 fuzz/make_seeds.py"""
import os
import struct

here = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")


def bitmap(width, height, bits=8, bi_size=40, compression=0, clr_used=0, entries=None,
           size_image=0, off_bits=None, pad=True, cut=None, sig=b"BM"):
    colors = clr_used if clr_used else (1 << bits if bits < 9 else 0)
    if entries is None:
        entries = colors
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits,
                         compression, size_image, 2835, 2835, clr_used, 0)
    header = struct.pack("<I", bi_size) + header[4:]
    header += bytes(min(max(bi_size, 40), 124) - 40)
    table = b"".join(bytes((k & 255, 255 - (k & 255), (k * 7) & 255, 0)) for k in range(entries))
    stride = (abs(width) * bits + 7) // 8
    if pad:
        stride = (stride + 3) // 4 * 4
    pixels = bytes((x * 7 + y * 13) & 255 for y in range(abs(height)) for x in range(stride))
    offset = 14 + len(header) + len(table)
    body = header + table + pixels
    data = sig + struct.pack("<IHHI", 14 + len(body), 0, 0,
                             offset if off_bits is None else off_bits) + body
    return data if cut is None else data[:cut]


seeds = {
    "empty": b"",
    "bm-only": b"BM",
    "thirteen-bytes": b"BM" + bytes(11),
    "not-bm": b"MB" + bitmap(4, 4)[2:],
    "header-cut": bitmap(8, 8, cut=40),
    "colours-cut": bitmap(8, 8, cut=14 + 40 + 100),
    "pixels-cut": bitmap(8, 8, cut=14 + 40 + 1024 + 20),
    "8bit-8x8": bitmap(8, 8),
    "8bit-odd-width": bitmap(5, 3),
    "8bit-unpadded": bitmap(5, 3, pad=False),
    "1bit": bitmap(16, 4, bits=1),
    "4bit": bitmap(8, 4, bits=4),
    "24bit": bitmap(4, 4, bits=24),
    "32bit": bitmap(4, 4, bits=32),
    "rle8": bitmap(8, 8, compression=1),
    "top-down": bitmap(8, -8),
    "zero-height": bitmap(8, 0),
    "huge": bitmap(4, 4, cut=None)[:18] + struct.pack("<ii", 0x7FFFFFFF, 0x7FFFFFFF) + bitmap(4, 4)[26:],
    "negative-width": bitmap(4, 4)[:18] + struct.pack("<i", -3200) + bitmap(4, 4)[22:],
    "clrused-300": bitmap(8, 8, clr_used=300),
    "clrused-236": bitmap(8, 8, clr_used=236),
    "bisize-12": bitmap(8, 8, bi_size=12),
    "bisize-108": bitmap(8, 8, bi_size=108),
    "bisize-124": bitmap(8, 8, bi_size=124),
    "bisize-huge": bitmap(8, 8, bi_size=0xFFFFFFF0),
    "offbits-zero": bitmap(8, 8, off_bits=0),
    "offbits-far": bitmap(8, 8, off_bits=0xFFFFFFFF),
    # Recipes: a serving atlas, and ones with a pixel tile, odd sizes, cuts.
    "recipe-plain": b"\x00",
    "recipe-tile": b"\x01" + bytes(range(64)) * 4,
    "recipe-keyed": b"\x02\x00\x00\x01\x10\x00" + bytes([255, 255, 3, 95, 95, 7, 247, 248]) * 16,
    "recipe-cut": b"\x03\x01\x02\x00\x00\x00\x00\x00\x03\x00\x40\x00\x00\x10",
}

os.makedirs(here, exist_ok=True)
for name, data in seeds.items():
    with open(os.path.join(here, name + ".bin"), "wb") as f:
        f.write(data)
print(f"{len(seeds)} seeds in {here}")
