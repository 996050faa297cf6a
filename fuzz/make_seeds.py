#!/usr/bin/env python3
"""Packs mail logs into convert_fuzz inputs: a flags byte (bit 0: --utf8 form;
bit 2: a disk that fills part-way),
the index's length (2 bytes, little endian), the index, then the text file.
Usage: make_seeds.py OUTDIR BASE...   (each BASE names BASE.MIX and BASE.TXT)"""

import pathlib
import struct
import sys

FLAGS = {"default": 0, "utf8": 1, "default-full": 4, "utf8-full": 5}


def pack(flags, index, text):
    return bytes([flags]) + struct.pack("<H", len(index)) + index + text


def main():
    out = pathlib.Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    for base in map(pathlib.Path, sys.argv[2:]):
        index = base.with_suffix(".MIX").read_bytes()
        text = base.with_suffix(".TXT").read_bytes()
        for form, flags in FLAGS.items():
            (out / f"{base.name.lower()}-{form}").write_bytes(pack(flags, index, text))
            # The same log cut short, as a failed copy leaves it.
            (out / f"{base.name.lower()}-{form}-cut").write_bytes(
                pack(flags, index[: len(index) // 2], text[: len(text) // 2]))


if __name__ == "__main__":
    main()
