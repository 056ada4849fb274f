#!/usr/bin/env python3
"""Writes a random Plus/4 picture as a .PRG the editor imports.

usage: random_prg.py KIND SEED OUT.prg
KIND: hires or multicolor (10050 bytes at $1800, as Export .PRG writes them),
dfli-hires or dfli-multicolor (the $1001 DFLI layouts, as Export DFLI .PRG
writes them). Every pixel, every cell of every bank and the two multicolor
colors are random over the whole color table, but for one code: the editor's
table gives $73 and $7C the same RGB color (the TED shows two), so $7C is
left out and a comparison of pictures by color can tell every pair apart.
"""
import random
import sys

# (size, base of the attributes, banks, multicolor)
KINDS = {
    "hires": (10050, 2, 1, False),
    "multicolor": (10050, 2, 1, True),
    "dfli-hires": (16403, 211, 4, False),
    "dfli-multicolor": (17146, 362, 4, True),
}


def without_7c(lum, col):
    # Cell color 1 is the color byte's high nibble with the luminance byte's
    # low one, cell color 2 the other two.
    if lum & 7 == 7 and col >> 4 == 12:
        col ^= 0x10
    if lum >> 4 & 7 == 7 and col & 15 == 12:
        col ^= 0x01
    return col


def main():
    if len(sys.argv) != 4 or sys.argv[1] not in KINDS:
        sys.exit(__doc__)
    kind, seed, out = sys.argv[1], int(sys.argv[2]), sys.argv[3]
    size, base, banks, multicolor = KINDS[kind]
    r = random.Random(seed)
    f = bytearray(size)
    f[0:2] = b"\x00\x18" if banks == 1 else b"\x01\x10"
    if banks == 4:  # the program part: 10 END
        f[2:10] = bytes([0x07, 0x10, 10, 0, 0x80, 0, 0, 0])
    for b in range(banks):
        at = base + 2048 * b
        for i in range(1000):
            f[at + i] = r.getrandbits(8)
            f[at + 1024 + i] = without_7c(f[at + i], r.getrandbits(8))
    bitmap = base + 2048 * banks
    f[bitmap:bitmap + 8000] = bytes(r.getrandbits(8) for _ in range(8000))
    if multicolor:
        # "MULT", then color3 and color0 with their nibbles swapped.
        f[base + 1018:base + 1022] = b"MULT"
        for at in (base + 1022, base + 1023):
            code = r.randrange(128)
            code = code ^ 0x01 if code == 0x7C else code
            f[at] = (code & 15) << 4 | code >> 4
    open(out, "wb").write(f)


if __name__ == "__main__":
    main()
