#include "render/block_colors.h"

#include <algorithm>
#include <array>

#include "document/colors.h"
#include "document/pixels.h"

namespace pixolat {

namespace {

// Colors of values 0..3 of one attribute entry, and at index 4 the color
// of code 255, which every bigger value (a plane byte other than 0 or 1)
// shows.
using ValueColors = std::array<uint32_t, 5>;

// Rows is 8 for a whole cell row, the common case, so that the row loop
// unrolls; 0 takes the row count at run time.
template <int Pw, int Repeat, int Rows>
void Blocks(const Image& image, const DisplayTable& display, int x0, int x1, int y0, int y1,
            uint32_t* out, std::ptrdiff_t stride) {
    const ImageDescriptor& desc = image.desc;
    const int rows = Rows > 0 ? Rows : y1 - y0;
    const int cy = y0 / 8;
    const uint32_t bad = display[255];
    const uint32_t color0 = Pw == 1 ? bad : display[desc.color0 & 0xFF];
    const uint32_t color3 = Pw == 1 ? bad : display[desc.color3 & 0xFF];
    int rowBank[8];
    for (int i = 0; i < rows; ++i) rowBank[i] = BankOf(desc, y0 + i);
    const int firstBank = rowBank[0];
    const int lastBank = rowBank[rows - 1];
    ValueColors bankColors[kBanks];
    ValueColors rowColors[8];
    for (int cx = x0 / 8; cx * 8 < x1; ++cx) {
        for (int bank = firstBank; bank <= lastBank; ++bank) {
            const uint8_t a = image.colmap.at(bank, cx, cy);
            const uint8_t b = image.lummap.at(bank, cx, cy);
            const uint32_t c1 = display[CellColor1(a, b)];
            const uint32_t c2 = display[CellColor2(a, b)];
            // Hires: bit 0 shows color 2 and bit 1 color 1.
            bankColors[bank] = Pw == 1 ? ValueColors{c2, c1, bad, bad, bad}
                                       : ValueColors{color0, c1, c2, color3, bad};
        }
        for (int i = 0; i < rows; ++i) rowColors[i] = bankColors[rowBank[i]];
        const int xe = std::min(x1, cx * 8 + 8);
        for (int x = std::max(x0, cx * 8); x < xe; x += Pw) {
            const uint8_t* left = image.plane.column(x) + y0;
            const uint8_t* right = image.plane.column(Pw == 2 ? x + 1 : x) + y0;
            uint32_t* o = out + (x - x0) / Pw * Repeat;
            for (int i = 0; i < rows; ++i) {
                const unsigned v = Pw == 1 ? left[i] : 2u * left[i] + right[i];
                const uint32_t color = rowColors[i][std::min(v, 4u)];
                for (int k = 0; k < Repeat; ++k) o[i * stride + k] = color;
            }
        }
    }
}

template <int Pw, int Repeat>
void BlocksOfBand(const Image& image, const DisplayTable& display, int x0, int x1, int y0, int y1,
                  uint32_t* out, std::ptrdiff_t stride) {
    if (y1 - y0 == 8)
        Blocks<Pw, Repeat, 8>(image, display, x0, x1, y0, y1, out, stride);
    else
        Blocks<Pw, Repeat, 0>(image, display, x0, x1, y0, y1, out, stride);
}

}  // namespace

void CellRowColors(const Image& image, const DisplayTable& display, int x0, int x1, int y0, int y1,
                   uint32_t* out, std::ptrdiff_t stride, int repeat) {
    if (y1 <= y0 || x1 <= x0) return;
    if (PixelWidthOf(image.desc) == 1)
        BlocksOfBand<1, 1>(image, display, x0, x1, y0, y1, out, stride);
    else if (repeat == 2)
        BlocksOfBand<2, 2>(image, display, x0, x1, y0, y1, out, stride);
    else
        BlocksOfBand<2, 1>(image, display, x0, x1, y0, y1, out, stride);
}

}  // namespace pixolat
