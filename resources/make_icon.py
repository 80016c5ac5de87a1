#!/usr/bin/env python3
"""Draws icon 128 of SETUP.EXE and writes it as a .ico file.

One 32 x 32 picture in two versions, 16 and 256 colours, fully opaque: on
white, dark-blue "Tarvix II" over "Setup", struck through by a red
prohibition sign (ring, bar from upper right to lower left), with a one-pixel
dark-blue line along the right and bottom edges. The 256-colour version
smooths the sign's edges. Integer arithmetic only, so the bytes are the same
on every machine.

Usage: make_icon.py OUTPUT.ico
"""
import struct
import sys

SIZE = 32

# The standard 16-colour palette, (red, green, blue).
VGA_PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
WHITE = (0xFF, 0xFF, 0xFF)
DARK_BLUE = (0x00, 0x00, 0x80)
RED = (0xFF, 0x00, 0x00)

# Glyphs 8 rows tall: capitals on rows 0-5, lower case from row 2, descenders
# to row 7.
GLYPHS = {
    "T": ["###", ".#.", ".#.", ".#.", ".#.", ".#.", "...", "..."],
    "a": ["...", "...", ".##", "#.#", "#.#", ".##", "...", "..."],
    "r": ["...", "...", "#.#", "##.", "#..", "#..", "...", "..."],
    "v": ["...", "...", "#.#", "#.#", "#.#", ".#.", "...", "..."],
    "i": ["#", ".", "#", "#", "#", "#", ".", "."],
    "x": ["...", "...", "#.#", ".#.", ".#.", "#.#", "...", "..."],
    "I": ["#", "#", "#", "#", "#", "#", ".", "."],
    " ": [".", ".", ".", ".", ".", ".", ".", "."],
    "S": [".##", "#..", ".#.", "..#", "..#", "##.", "...", "..."],
    "e": ["...", "...", ".#.", "###", "#..", ".##", "...", "..."],
    "t": ["...", ".#.", "###", ".#.", ".#.", "..#", "...", "..."],
    "u": ["...", "...", "#.#", "#.#", "#.#", ".##", "...", "..."],
    "p": ["...", "...", "##.", "#.#", "#.#", "##.", "#..", "#.."],
}

# The two lines of lettering: text and top row; each line is centred on the
# 31 columns left of the edge line.
LETTERING = [("Tarvix II", 6), ("Setup", 18)]

# The sign in eighths of a pixel, centred on the drawing area (pixels 0-30):
# ring between the two radii, bar along the diagonal x + y = 2 * centre.
EIGHTHS = 8
CENTRE = 124  # 15.5 pixels
OUTER_RADIUS = 118  # 14.75 pixels
INNER_RADIUS = 104  # 13 pixels
BAR_HALF_SPAN = 12  # |x + y - 2 * centre| at most 1.5 pixels


def text_width(text):
    return sum(len(GLYPHS[c][0]) for c in text) + len(text) - 1


def draw_ground():
    """White with the dark-blue lettering and edge lines."""
    pixels = [[WHITE] * SIZE for _ in range(SIZE)]
    for text, top in LETTERING:
        x = (SIZE - 1 - text_width(text)) // 2
        for char in text:
            glyph = GLYPHS[char]
            for row, bits in enumerate(glyph):
                for column, bit in enumerate(bits):
                    if bit == "#":
                        pixels[top + row][x + column] = DARK_BLUE
            x += len(glyph[0]) + 1
    for i in range(SIZE):
        pixels[i][SIZE - 1] = DARK_BLUE
        pixels[SIZE - 1][i] = DARK_BLUE
    return pixels


def in_sign(x, y):
    """Whether the point (x, y), in eighths of a pixel, lies on the sign."""
    dx, dy = x - CENTRE, y - CENTRE
    distance2 = dx * dx + dy * dy
    if INNER_RADIUS**2 <= distance2 <= OUTER_RADIUS**2:
        return True
    return distance2 < INNER_RADIUS**2 and abs(dx + dy) <= BAR_HALF_SPAN


def sign_coverage(px, py, samples):
    """How many of samples x samples points of the pixel lie on the sign."""
    step = EIGHTHS // samples
    return sum(
        in_sign(px * EIGHTHS + step * i + step // 2, py * EIGHTHS + step * j + step // 2)
        for i in range(samples)
        for j in range(samples)
    )


def blend(ground, coverage, samples):
    total = samples * samples
    return tuple((g * (total - coverage) + r * coverage) // total for g, r in zip(ground, RED))


def draw(samples):
    """The picture; with one sample a pixel is red or not, with more it is blended."""
    pixels = draw_ground()
    for y in range(SIZE - 1):
        for x in range(SIZE - 1):
            coverage = sign_coverage(x, y, samples)
            if coverage:
                pixels[y][x] = blend(pixels[y][x], coverage, samples)
    return pixels


def palette_256(pixels):
    extra = sorted({c for row in pixels for c in row} - set(VGA_PALETTE))
    palette = VGA_PALETTE + extra
    assert len(palette) <= 256, "too many colours for a 256-colour image"
    return palette + [(0, 0, 0)] * (256 - len(palette))


def dib(pixels, palette, bits):
    """A device-independent bitmap as an icon holds it: colour rows, then an all-opaque mask."""
    index = {colour: i for i, colour in reversed(list(enumerate(palette)))}
    rows = []
    for row in reversed(pixels):  # bottom-up
        indices = [index[colour] for colour in row]
        if bits == 4:
            rows.append(bytes(indices[i] << 4 | indices[i + 1] for i in range(0, SIZE, 2)))
        else:
            rows.append(bytes(indices))
    colour_bits = b"".join(rows)
    mask = bytes(SIZE * SIZE // 8)
    header = struct.pack(
        "<IiiHHIIiiII", 40, SIZE, 2 * SIZE, 1, bits, 0, len(colour_bits) + len(mask), 0, 0, 0, 0
    )
    quads = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    return header + quads + colour_bits + mask


def icon_file():
    images = [
        (16, 4, dib(draw(samples=1), VGA_PALETTE, 4)),
    ]
    smooth = draw(samples=4)
    images.append((0, 8, dib(smooth, palette_256(smooth), 8)))
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries = b""
    for colour_count, bits, data in images:
        entries += struct.pack("<BBBBHHII", SIZE, SIZE, colour_count, 0, 1, bits, len(data), offset)
        offset += len(data)
    return directory + entries + b"".join(data for _, _, data in images)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__.strip().splitlines()[-1])
    with open(sys.argv[1], "wb") as out:
        out.write(icon_file())


if __name__ == "__main__":
    main()
