#!/usr/bin/env python3
"""Compares a screenshot of the emulated Plus/4 with the picture the editor shows.

usage: compare_emulator_shot.py [--multicolor] EDITOR.png SHOT.png

EDITOR.png is the image 1:1 in the editor's colors, 320 x 200 (for example
`pixolat-convert picture.prg editor.png`); SHOT.png is what
`plus4emu/run-prg-plus4emu.sh` saved while the runnable export showed the
picture (768 x 576, the whole TV picture, each raster line two rows).
The emulator has its own palette, so colors are compared by structure: every
strip of 8 x 2 pixels (the smallest area a DFLI picture colors alike) must
split its pixels into the same groups in both pictures, and across the whole
picture each editor color must stand for one emulator color and no two
editor colors for the same one. As the two palettes are alike, each emulator
color must also lie within PALETTE_TOLERANCE of its editor color in every
channel, so a blank or wrong screen cannot pass as a one-color picture.
Exits 0 when all of this holds.
"""
import argparse
import struct
import sys
import zlib

# Where the emulator puts the 320 x 200 picture in its 768 x 576 screenshot
# (measured: the border around it is the rest); scaled for other sizes.
SHOT_SIZE = (768, 576)
PICTURE_BOX = (64, 82, 704, 482)  # left, top, right, bottom (exclusive)
STRIP = (8, 2)
# The emulator's palette differs from the editor's by up to 46 in a channel
# (measured over 150 colors); a different color is mostly much further off.
PALETTE_TOLERANCE = 64


def read_png(path):
    """Width, height and rows of (r, g, b) tuples of an 8-bit RGB or RGBA PNG."""
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        sys.exit(f"{path}: not a PNG file")
    pos, idat, header = 8, b"", None
    while pos < len(data):
        (length,) = struct.unpack(">I", data[pos:pos + 4])
        kind, body = data[pos + 4:pos + 8], data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
    width, height, depth, color_type, _, _, interlace = header
    if depth != 8 or color_type not in (2, 6) or interlace:
        sys.exit(f"{path}: only 8-bit RGB or RGBA PNG files without interlacing")
    channels = 3 if color_type == 2 else 4
    raw, stride = zlib.decompress(idat), width * channels
    rows, previous, p = [], bytearray(stride), 0
    for _ in range(height):
        kind, line = raw[p], bytearray(raw[p + 1:p + 1 + stride])
        p += 1 + stride
        for i in range(stride):
            a = line[i - channels] if i >= channels else 0
            b = previous[i]
            c = previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + a) & 255
            elif kind == 2:
                line[i] = (line[i] + b) & 255
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif kind == 4:
                pa, pb, pc = abs(b - c), abs(a - c), abs(a + b - 2 * c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append([tuple(line[x * channels:x * channels + 3]) for x in range(width)])
        previous = line
    return width, height, rows


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--multicolor", action="store_true",
                        help="compare double-wide pixels (4 x 8 a cell)")
    parser.add_argument("editor")
    parser.add_argument("shot")
    args = parser.parse_args()

    ew, eh, editor = read_png(args.editor)
    if (ew, eh) != (320, 200):
        sys.exit(f"{args.editor}: {ew} x {eh}, expected 320 x 200")
    sw, sh, shot = read_png(args.shot)
    sx, sy = sw / SHOT_SIZE[0], sh / SHOT_SIZE[1]
    left, top = PICTURE_BOX[0] * sx, PICTURE_BOX[1] * sy
    xscale = (PICTURE_BOX[2] - PICTURE_BOX[0]) * sx / 320
    yscale = (PICTURE_BOX[3] - PICTURE_BOX[1]) * sy / 200

    def shot_at(x, y):  # the middle of pixel (x, y)'s box in the screenshot
        return shot[int(top + (y + 0.5) * yscale)][int(left + (x + 0.5) * xscale)]

    step = 2 if args.multicolor else 1
    forward, backward = {}, {}
    bad_strips = []
    strips = (320 // STRIP[0]) * (200 // STRIP[1])
    for sy in range(200 // STRIP[1]):
        for sx in range(320 // STRIP[0]):
            groups_editor, groups_shot = {}, {}
            for y in range(sy * STRIP[1], sy * STRIP[1] + STRIP[1]):
                for x in range(sx * STRIP[0], sx * STRIP[0] + STRIP[0], step):
                    e, s = editor[y][x], shot_at(x, y)
                    groups_editor.setdefault(e, set()).add((x, y))
                    groups_shot.setdefault(s, set()).add((x, y))
                    forward.setdefault(e, set()).add(s)
                    backward.setdefault(s, set()).add(e)
            if sorted(map(sorted, groups_editor.values())) != \
                    sorted(map(sorted, groups_shot.values())):
                bad_strips.append((sx, sy))

    border = shot[int(top / 2)][int(left / 2)]
    print(f"screenshot {sw} x {sh}, picture area x {left:.0f}..{left + 320 * xscale:.0f}, "
          f"y {top:.0f}..{top + 200 * yscale:.0f}, border {border}")
    print(f"8 x 2 strips with the same pixel-value pattern: {strips - len(bad_strips)} "
          f"of {strips}")
    for sx, sy in bad_strips[:10]:
        print(f"  differs: pixels {sx * STRIP[0]}..{sx * STRIP[0] + STRIP[0] - 1}, "
              f"rows {sy * STRIP[1]}..{sy * STRIP[1] + STRIP[1] - 1}")
    by_pair = [0] * 4
    for _, sy in bad_strips:
        by_pair[sy % 4] += 1
    if bad_strips:
        print("  differing strips by row pair of the cell (0..3): " + ", ".join(map(str, by_pair)))
    split = {e: s for e, s in forward.items() if len(s) > 1}
    merged = {s: e for s, e in backward.items() if len(e) > 1}
    print(f"colors: {len(forward)} in the editor's picture, {len(backward)} on the emulator")
    def listed(colors):
        colors = sorted(colors)
        return ", ".join(map(str, colors[:4])) + (f" and {len(colors) - 4} more" if len(colors) > 4 else "")

    for e, s in list(split.items())[:5]:
        print(f"  editor color {e} shows as {listed(s)}")
    for s, e in list(merged.items())[:5]:
        print(f"  emulator color {s} stands for {listed(e)}")
    pairs = [(e, s) for e, shown in forward.items() for s in shown]
    worst = max(max(abs(a - b) for a, b in zip(e, s)) for e, s in pairs)
    print(f"palette: largest channel difference {worst} (allowed {PALETTE_TOLERANCE})")
    same = not bad_strips and not split and not merged and worst <= PALETTE_TOLERANCE
    print("RESULT: " + ("the emulator shows the editor's picture" if same else "DIFFERENT"))
    return 0 if same else 1


if __name__ == "__main__":
    sys.exit(main())
