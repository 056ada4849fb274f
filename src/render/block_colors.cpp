#include "render/block_colors.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "document/colors.h"
#include "document/pixels.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace pixolat {

namespace {

// Colors of values 0..3 of one attribute entry, and at index 4 the color
// of code 255, which every bigger value (a plane byte other than 0 or 1)
// shows.
using ValueColors = std::array<uint32_t, 5>;

#if defined(__SSE2__)
// Loads the 8 x 8 bytes of a cell and transposes them into four row pairs
// (rows 2k and 2k + 1, the even row in the low half, byte j from column j).
// False when a plane byte is neither 0 nor 1: the plain loop draws that cell.
bool LoadRowPairs(const Image& image, int cellX, int y0, __m128i pairs[4]) {
    __m128i c[8];
    uint64_t any = 0;
    for (int k = 0; k < 8; ++k) {
        uint64_t bytes;
        std::memcpy(&bytes, image.plane.column(cellX + k) + y0, sizeof bytes);
        any |= bytes;
        c[k] = _mm_cvtsi64_si128(int64_t(bytes));
    }
    if (any & 0xFEFEFEFEFEFEFEFEull) return false;
    const __m128i t0 = _mm_unpacklo_epi8(c[0], c[1]), t1 = _mm_unpacklo_epi8(c[2], c[3]);
    const __m128i t2 = _mm_unpacklo_epi8(c[4], c[5]), t3 = _mm_unpacklo_epi8(c[6], c[7]);
    const __m128i u0 = _mm_unpacklo_epi16(t0, t1), u1 = _mm_unpackhi_epi16(t0, t1);
    const __m128i u2 = _mm_unpacklo_epi16(t2, t3), u3 = _mm_unpackhi_epi16(t2, t3);
    pairs[0] = _mm_unpacklo_epi32(u0, u2);
    pairs[1] = _mm_unpackhi_epi32(u0, u2);
    pairs[2] = _mm_unpacklo_epi32(u1, u3);
    pairs[3] = _mm_unpackhi_epi32(u1, u3);
    return true;
}

void Store(uint32_t* at, __m128i v) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(at), v);
}

// Four pixels: color1 where the mask is set, else color2.
__m128i Choose(__m128i mask, __m128i color1, __m128i color2) {
    return _mm_or_si128(_mm_and_si128(mask, color1), _mm_andnot_si128(mask, color2));
}

// Both rows of a hires row pair: bit 1 shows color 1, bit 0 color 2.
void HiresPair(__m128i bits, const ValueColors& colors, uint32_t* even, uint32_t* odd) {
    const __m128i set = _mm_sub_epi8(_mm_setzero_si128(), bits);
    const __m128i c1 = _mm_set1_epi32(int32_t(colors[1]));
    const __m128i c2 = _mm_set1_epi32(int32_t(colors[0]));
    const __m128i evenWords = _mm_unpacklo_epi8(set, set), oddWords = _mm_unpackhi_epi8(set, set);
    Store(even, Choose(_mm_unpacklo_epi16(evenWords, evenWords), c1, c2));
    Store(even + 4, Choose(_mm_unpackhi_epi16(evenWords, evenWords), c1, c2));
    Store(odd, Choose(_mm_unpacklo_epi16(oddWords, oddWords), c1, c2));
    Store(odd + 4, Choose(_mm_unpackhi_epi16(oddWords, oddWords), c1, c2));
}

// Both rows of a multicolor row pair: word j holds the left and right
// column of pixel j, whose value is 2 * left + right.
template <int Repeat>
void MulticolorPair(__m128i words, const ValueColors& colors, uint32_t* even, uint32_t* odd) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i left = _mm_and_si128(words, _mm_set1_epi16(0x00FF));
    const __m128i values = _mm_add_epi16(_mm_slli_epi16(left, 1), _mm_srli_epi16(words, 8));
    const __m128i evenValues = _mm_unpacklo_epi16(values, zero);
    const __m128i oddValues = _mm_unpackhi_epi16(values, zero);
    __m128i evenColors = zero, oddColors = zero;
    for (int v = 0; v < 4; ++v) {
        const __m128i value = _mm_set1_epi32(v);
        const __m128i color = _mm_set1_epi32(int32_t(colors[std::size_t(v)]));
        evenColors =
            _mm_or_si128(evenColors, _mm_and_si128(_mm_cmpeq_epi32(evenValues, value), color));
        oddColors =
            _mm_or_si128(oddColors, _mm_and_si128(_mm_cmpeq_epi32(oddValues, value), color));
    }
    if constexpr (Repeat == 1) {
        Store(even, evenColors);
        Store(odd, oddColors);
    } else {
        Store(even, _mm_unpacklo_epi32(evenColors, evenColors));
        Store(even + 4, _mm_unpackhi_epi32(evenColors, evenColors));
        Store(odd, _mm_unpacklo_epi32(oddColors, oddColors));
        Store(odd + 4, _mm_unpackhi_epi32(oddColors, oddColors));
    }
}

// A whole 8 x 8 cell whose row pairs share their colors (pair k uses
// pairColors[k * pairStep]), eight or more pixels at a time.
template <int Pw, int Repeat>
bool WholeCell(const Image& image, int cellX, int y0, const ValueColors* pairColors, int pairStep,
               uint32_t* out, std::ptrdiff_t stride) {
    __m128i pairs[4];
    if (!LoadRowPairs(image, cellX, y0, pairs)) return false;
    for (int k = 0; k < 4; ++k) {
        uint32_t* even = out + 2 * k * stride;
        if constexpr (Pw == 1)
            HiresPair(pairs[k], pairColors[k * pairStep], even, even + stride);
        else
            MulticolorPair<Repeat>(pairs[k], pairColors[k * pairStep], even, even + stride);
    }
    return true;
}
#endif

// Rows is 8 for a whole cell row, the common case, so that the row loop
// unrolls; 0 takes the row count at run time. Banks is 1 when every row of
// the band uses bank 0 (a Normal image), 4 when row i of a whole cell row
// uses bank i / 2, and 0 when the banks are looked up row by row.
template <int Pw, int Repeat, int Rows, int Banks>
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
        if constexpr (Banks == 0)
            for (int i = 0; i < rows; ++i) rowColors[i] = bankColors[rowBank[i]];
        const int xe = std::min(x1, cx * 8 + 8);
#if defined(__SSE2__)
        if constexpr (Rows == 8 && Banks != 0) {
            if (cx * 8 >= x0 && xe == cx * 8 + 8 &&
                WholeCell<Pw, Repeat>(image, cx * 8, y0, bankColors, Banks == 4 ? 1 : 0,
                                      out + (cx * 8 - x0) / Pw * Repeat, stride))
                continue;
        }
#endif
        for (int x = std::max(x0, cx * 8); x < xe; x += Pw) {
            const uint8_t* left = image.plane.column(x) + y0;
            const uint8_t* right = image.plane.column(Pw == 2 ? x + 1 : x) + y0;
            uint32_t* o = out + (x - x0) / Pw * Repeat;
            for (int i = 0; i < rows; ++i) {
                const unsigned v = Pw == 1 ? left[i] : 2u * left[i] + right[i];
                const ValueColors& colors = Banks == 1   ? bankColors[0]
                                            : Banks == 4 ? bankColors[i / 2]
                                                         : rowColors[i];
                const uint32_t color = colors[std::min(v, 4u)];
                if constexpr (Repeat == 2) {
                    // Both hires columns of the pixel in one store.
                    const uint64_t pair = uint64_t(color) * 0x100000001ull;
                    std::memcpy(o + i * stride, &pair, sizeof pair);
                } else {
                    o[i * stride] = color;
                }
            }
        }
    }
}

template <int Pw, int Repeat>
void BlocksOfBand(const Image& image, const DisplayTable& display, int x0, int x1, int y0, int y1,
                  uint32_t* out, std::ptrdiff_t stride) {
    const bool whole = y1 - y0 == 8;
    if (image.desc.colorMapKind == ColorMapKind::Normal && whole)
        Blocks<Pw, Repeat, 8, 1>(image, display, x0, x1, y0, y1, out, stride);
    else if (image.desc.colorMapKind == ColorMapKind::Normal)
        Blocks<Pw, Repeat, 0, 1>(image, display, x0, x1, y0, y1, out, stride);
    else if (whole)
        Blocks<Pw, Repeat, 8, 4>(image, display, x0, x1, y0, y1, out, stride);
    else
        Blocks<Pw, Repeat, 0, 0>(image, display, x0, x1, y0, y1, out, stride);
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
