#pragma once
// The Plus/4 color model: one-byte color codes, their display colors, and the
// code each pixel of an image shows.
#include <array>
#include <cstdint>

#include "document/editor_state.h"
#include "document/image_store.h"
#include "document/pixels.h"

namespace pixolat {

// The 128 distinct display colors as red, green, blue; entry n for color code n.
// Codes 128..255 show the same colors as codes 0..127.
extern const std::array<std::array<uint8_t, 3>, 128> kColorTriplets;

// Red, green and blue bytes of color code n (0..255).
inline const std::array<uint8_t, 3>& ColorTriplet(int code) {
    return kColorTriplets[code & 0x7F];
}

// Fills the table: entry n = red + 256 * green + 65536 * blue of triplet n.
void BuildRgbTable(RgbTable& table);

// Cell color 1 (hires bit 1, multicolor value 1) and cell color 2 (hires bit 0,
// multicolor value 2) of one attribute entry, as color codes.
inline ColorCode CellColor1(uint8_t colmap, uint8_t lummap) {
    return (colmap >> 4) | ((lummap << 4) & 0xF0);
}
inline ColorCode CellColor2(uint8_t colmap, uint8_t lummap) {
    return (colmap & 0x0F) | (lummap & 0xF0);
}

// The color code pixel (x, y) of the image shows; 255 for a plane byte that is
// neither 0 nor 1. For multicolor x is the pixel's left column. Any pixel
// width but 2 reads one byte, as PixelValueAt does, so that a never-used
// image (pixel width 0) is never read past the plane's last column.
inline ColorCode ColorCodeAt(const Image& image, int x, int y) {
    const int bank = BankOf(image.desc, y);
    const uint8_t a = image.colmap.at(bank, x / 8, y / 8);
    const uint8_t b = image.lummap.at(bank, x / 8, y / 8);
    // Selects rather than branches: pixel values vary from pixel to pixel and
    // a mispredicted branch costs more than the whole lookup.
    if (image.desc.pixelWidth != 2) {
        const unsigned bit = image.plane.at(x, y);
        if (bit > 1) return 255;
        const ColorCode codes[2] = {CellColor2(a, b), CellColor1(a, b)};
        return codes[bit];
    }
    const unsigned v = 2u * image.plane.at(x, y) + image.plane.at(x + 1, y);
    if (v > 3) return 255;
    const ColorCode codes[4] = {image.desc.color0, CellColor1(a, b), CellColor2(a, b),
                                image.desc.color3};
    return codes[v];
}

// The color code pixel value v would show at (x, y) with the cell's present
// colors: hires takes v's low bit, as a hires pixel stores it.
inline ColorCode ValueColorAt(const Image& image, int x, int y, PixelValue v) {
    const int bank = BankOf(image.desc, y);
    const uint8_t a = image.colmap.at(bank, x / 8, y / 8);
    const uint8_t b = image.lummap.at(bank, x / 8, y / 8);
    if (image.desc.pixelWidth != 2) return v % 2 != 0 ? CellColor1(a, b) : CellColor2(a, b);
    switch (v & 3) {
        case 0:
            return image.desc.color0;
        case 1:
            return CellColor1(a, b);
        case 2:
            return CellColor2(a, b);
        default:
            return image.desc.color3;
    }
}

}  // namespace pixolat
