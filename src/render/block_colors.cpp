#include "render/block_colors.h"

#include <algorithm>
#include <cstring>
#include <cwchar>

#include "document/colors.h"
#include "document/pixels.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace pixolat {

namespace {

#if defined(__SSE2__)
void Store(uint32_t* at, __m128i v) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(at), v);
}

void StoreTwo(uint32_t* at, __m128i v) {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(at), v);
}

__m128i Broadcast(uint32_t color) {
    return _mm_set1_epi32(int32_t(color));
}
#endif

// Colors laid out as a run: block k at k * Repeat, Repeat pixels wide.
template <int Repeat>
struct RunOut {
    uint32_t* base;
    std::ptrdiff_t stride;

    void Put(int i, int k, uint32_t color) const {
        uint32_t* o = base + i * stride + k * Repeat;
        if constexpr (Repeat == 2) {
            // Both hires columns of the pixel in one store.
            const uint64_t pair = uint64_t(color) * 0x100000001ull;
            std::memcpy(o, &pair, sizeof pair);
        } else {
            *o = color;
        }
    }
#if defined(__SSE2__)
    // Blocks k..k+3 of row i.
    void Put4(int i, int k, __m128i colors) const {
        uint32_t* o = base + i * stride + k * Repeat;
        if constexpr (Repeat == 2) {
            Store(o, _mm_unpacklo_epi32(colors, colors));
            Store(o + 4, _mm_unpackhi_epi32(colors, colors));
        } else {
            Store(o, colors);
        }
    }
#endif
};

// Colors laid out as view blocks: block k at columnX[k], Width pixels wide
// (a compile-time constant for the common small blocks, else 0 and taken
// from width). Blocks of one cell lie `pitch` pixels apart.
template <int Width>
struct BlockOut {
    uint32_t* const* rows;
    const int* columnX;
    int width;
    int pitch;  // from one block of a cell to the next

    void Put(int i, int k, uint32_t color) const {
        std::fill_n(rows[i] + columnX[k], Width > 0 ? Width : width, color);
    }
#if defined(__SSE2__)
    // Blocks k..k+3 of row i, which lie in one cell: one pitch apart.
    void Put4(int i, int k, __m128i colors) const {
        uint32_t* o = rows[i] + columnX[k];
        Block(o, _mm_shuffle_epi32(colors, 0x00));
        Block(o + pitch, _mm_shuffle_epi32(colors, 0x55));
        Block(o + 2 * pitch, _mm_shuffle_epi32(colors, 0xAA));
        Block(o + 3 * pitch, _mm_shuffle_epi32(colors, 0xFF));
    }
    // One block from a vector holding its color four times; no store
    // reaches past the block.
    void Block(uint32_t* o, __m128i color) const {
        if constexpr (Width == 2) {
            StoreTwo(o, color);
        } else if constexpr (Width == 3) {
            StoreTwo(o, color);
            o[2] = uint32_t(_mm_cvtsi128_si32(color));
        } else if constexpr (Width == 4) {
            Store(o, color);
        } else if constexpr (Width == 6) {
            Store(o, color);
            StoreTwo(o + 4, color);
        } else if constexpr (Width == 8) {
            Store(o, color);
            Store(o + 4, color);
        } else {
            const int w = Width > 0 ? Width : width;
            if (w < 4) {
                std::fill_n(o, w, uint32_t(_mm_cvtsi128_si32(color)));
                return;
            }
            int n = 0;
            for (; n + 4 <= w; n += 4) Store(o + n, color);
            // The rest overlaps the last store: the same color again.
            if (n < w) Store(o + w - 4, color);
        }
    }
#endif
};

#if defined(__SSE2__)
// Loads the 8 x 8 bytes of a cell and transposes them into four row pairs
// (rows 2k and 2k + 1, the even row in the low half, byte j from column j).
// False when a plane byte is neither 0 nor 1: the plain loop draws that cell.
[[gnu::always_inline]] inline bool LoadRowPairs(const Image& image, int cellX, int y0,
                                                __m128i pairs[4]) {
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

// a where the mask is set, else b, given a ^ b: two operations, not three.
__m128i Select(__m128i mask, __m128i b, __m128i aXorB) {
    return _mm_xor_si128(b, _mm_and_si128(mask, aXorB));
}

// The four cell colors of one bank.
struct CellColors {
    uint32_t color1;
    uint32_t color2;
};

// One row pair of a whole cell, drawn in the colors of bank Bank.
template <int Pw, int Bank, class Out>
[[gnu::always_inline]] inline void RowPair(__m128i pair, int row, const __m128i (&banks)[2],
                                           __m128i c0, __m128i c3, const Out& out, int k0) {
    // Bank b's color 1 and color 2 sit in lanes 2b and 2b + 1 of the pair
    // of vectors.
    constexpr int kLane = (Bank % 2) * 2;
    const __m128i both = banks[Bank / 2];
    const __m128i color1 = _mm_shuffle_epi32(both, kLane * 0x55);
    const __m128i color2 = _mm_shuffle_epi32(both, (kLane + 1) * 0x55);
    // 0xFF where a plane byte is 1, its two rows spread to 16-bit lanes.
    const __m128i set = _mm_sub_epi8(_mm_setzero_si128(), pair);
    const __m128i rows[2] = {_mm_unpacklo_epi8(set, set), _mm_unpackhi_epi8(set, set)};
    if constexpr (Pw == 1) {
        // Bit 1 shows color 1, bit 0 color 2.
        const __m128i x12 = _mm_xor_si128(color1, color2);
        for (int r = 0; r < 2; ++r) {
            out.Put4(row + r, k0, Select(_mm_unpacklo_epi16(rows[r], rows[r]), color2, x12));
            out.Put4(row + r, k0 + 4, Select(_mm_unpackhi_epi16(rows[r], rows[r]), color2, x12));
        }
    } else {
        // 32-bit lane j holds the left column of pixel j in its low half
        // and the right column in its high half; the value is 2 * left + right.
        const __m128i x01 = _mm_xor_si128(color1, c0);
        const __m128i x23 = _mm_xor_si128(c3, color2);
        for (int r = 0; r < 2; ++r) {
            const __m128i left = _mm_srai_epi32(_mm_slli_epi32(rows[r], 16), 16);
            const __m128i right = _mm_srai_epi32(rows[r], 16);
            const __m128i low = Select(right, c0, x01);
            const __m128i high = Select(right, color2, x23);
            out.Put4(row + r, k0, Select(left, low, _mm_xor_si128(low, high)));
        }
    }
}

// A whole 8 x 8 cell whose row pairs share their bank (pair k uses bank k,
// or bank 0 in a normal image); block k0 is its first block.
template <int Pw, class Out>
bool WholeCell(const Image& image, int cellX, int y0, bool normal, const CellColors* banks,
               uint32_t color0, uint32_t color3, const Out& out, int k0) {
    __m128i pairs[4];
    if (!LoadRowPairs(image, cellX, y0, pairs)) return false;
    static_assert(sizeof(CellColors) == 2 * sizeof(uint32_t));
    const __m128i colors[2] = {_mm_loadu_si128(reinterpret_cast<const __m128i*>(banks)),
                               _mm_loadu_si128(reinterpret_cast<const __m128i*>(banks + 2))};
    const __m128i c0 = Broadcast(color0);
    const __m128i c3 = Broadcast(color3);
    if (normal) {
        RowPair<Pw, 0>(pairs[0], 0, colors, c0, c3, out, k0);
        RowPair<Pw, 0>(pairs[1], 2, colors, c0, c3, out, k0);
        RowPair<Pw, 0>(pairs[2], 4, colors, c0, c3, out, k0);
        RowPair<Pw, 0>(pairs[3], 6, colors, c0, c3, out, k0);
    } else {
        RowPair<Pw, 0>(pairs[0], 0, colors, c0, c3, out, k0);
        RowPair<Pw, 1>(pairs[1], 2, colors, c0, c3, out, k0);
        RowPair<Pw, 2>(pairs[2], 4, colors, c0, c3, out, k0);
        RowPair<Pw, 3>(pairs[3], 6, colors, c0, c3, out, k0);
    }
    return true;
}
#endif

// The blocks of one band. Whole cells of a whole cell row take the vector
// path; partial cells at the band's ends and cells holding stray plane
// bytes are drawn pixel by pixel.
template <int Pw, class Out>
void Band(const Image& image, const DisplayTable& display, int x0, int x1, int y0, int y1,
          const Out& out) {
    const ImageDescriptor& desc = image.desc;
    const int rows = y1 - y0;
    const std::size_t cy = std::size_t(y0 / 8);
    const uint32_t bad = display[255];
    const uint32_t color0 = Pw == 1 ? bad : display[desc.color0 & 0xFF];
    const uint32_t color3 = Pw == 1 ? bad : display[desc.color3 & 0xFF];
    int rowBank[8];
    for (int i = 0; i < rows; ++i) rowBank[i] = BankOf(desc, y0 + i);
    const int firstBank = rowBank[0];
    const int lastBank = rowBank[rows - 1];
    [[maybe_unused]] const bool normal = desc.colorMapKind == ColorMapKind::Normal;
    [[maybe_unused]] const bool wholeRows = rows == 8;
    const uint8_t* colmap = image.colmap.data();
    const uint8_t* lummap = image.lummap.data();
    // Every bank has a value, so the whole-cell path may load all four.
    CellColors banks[kBanks] = {};
    for (int cx = x0 / 8; cx * 8 < x1; ++cx) {
        const std::size_t cell = std::size_t(cx) * kCellRows + cy;
        for (int bank = firstBank; bank <= lastBank; ++bank) {
            const uint8_t a = colmap[std::size_t(bank) * kBankBytes + cell];
            const uint8_t b = lummap[std::size_t(bank) * kBankBytes + cell];
            banks[bank] = {display[CellColor1(a, b)], display[CellColor2(a, b)]};
        }
        const int left = cx * 8;
        const int xs = std::max(x0, left);
        const int xe = std::min(x1, left + 8);
#if defined(__SSE2__)
        if (wholeRows && xs == left && xe == left + 8 &&
            WholeCell<Pw>(image, left, y0, normal, banks, color0, color3, out, (left - x0) / Pw))
            continue;
#endif
        for (int x = xs; x < xe; x += Pw) {
            const uint8_t* l = image.plane.column(x) + y0;
            const uint8_t* r = image.plane.column(Pw == 2 ? x + 1 : x) + y0;
            const int k = (x - x0) / Pw;
            for (int i = 0; i < rows; ++i) {
                const CellColors& c = banks[rowBank[i]];
                const uint32_t colors[5] = {Pw == 1 ? c.color2 : color0, c.color1,
                                            Pw == 1 ? bad : c.color2, Pw == 1 ? bad : color3, bad};
                const unsigned v = Pw == 1 ? l[i] : 2u * l[i] + r[i];
                out.Put(i, k, colors[std::min(v, 4u)]);
            }
        }
    }
}

template <class Out>
void BandOf(const Image& image, const DisplayTable& display, int x0, int x1, int y0, int y1,
            const Out& out) {
    if (y1 <= y0 || x1 <= x0) return;
    if (PixelWidthOf(image.desc) == 1)
        Band<1>(image, display, x0, x1, y0, y1, out);
    else
        Band<2>(image, display, x0, x1, y0, y1, out);
}

template <int Width>
void Blocks(const Image& image, const DisplayTable& display, int x0, int x1, int y0, int y1,
            uint32_t* const* rows, const int* columnX, int blockWidth, int pitch) {
    BandOf(image, display, x0, x1, y0, y1, BlockOut<Width>{rows, columnX, blockWidth, pitch});
}

template <int Width>
void BlockRow(uint32_t* row, const uint32_t* colors, int count, const int* columnX, int width) {
    if (count <= 0) return;
    const BlockOut<Width> packed{nullptr, nullptr, width, width};
    const BlockOut<Width>& spaced = packed;
#if defined(__SSE2__)
    if (Width > 0 && columnX[count - 1] == (count - 1) * Width) {
        // Edge to edge: four blocks from one load of their colors.
        int k = 0;
        for (; k + 4 <= count; k += 4) {
            const __m128i four = _mm_loadu_si128(reinterpret_cast<const __m128i*>(colors + k));
            uint32_t* o = row + k * Width;
            packed.Block(o, _mm_shuffle_epi32(four, 0x00));
            packed.Block(o + Width, _mm_shuffle_epi32(four, 0x55));
            packed.Block(o + 2 * Width, _mm_shuffle_epi32(four, 0xAA));
            packed.Block(o + 3 * Width, _mm_shuffle_epi32(four, 0xFF));
        }
        for (; k < count; ++k) packed.Block(row + k * Width, Broadcast(colors[k]));
        return;
    }
    int k = 0;
    for (; k + 4 <= count; k += 4) {
        const __m128i four = _mm_loadu_si128(reinterpret_cast<const __m128i*>(colors + k));
        spaced.Block(row + columnX[k], _mm_shuffle_epi32(four, 0x00));
        spaced.Block(row + columnX[k + 1], _mm_shuffle_epi32(four, 0x55));
        spaced.Block(row + columnX[k + 2], _mm_shuffle_epi32(four, 0xAA));
        spaced.Block(row + columnX[k + 3], _mm_shuffle_epi32(four, 0xFF));
    }
    for (; k < count; ++k) spaced.Block(row + columnX[k], Broadcast(colors[k]));
#else
    for (int k = 0; k < count; ++k) std::fill_n(row + columnX[k], width, colors[k]);
#endif
}

}  // namespace

void CellRowColors(const Image& image, const DisplayTable& display, int x0, int x1, int y0, int y1,
                   uint32_t* out, std::ptrdiff_t stride, int repeat) {
    if (repeat == 2)
        BandOf(image, display, x0, x1, y0, y1, RunOut<2>{out, stride});
    else
        BandOf(image, display, x0, x1, y0, y1, RunOut<1>{out, stride});
}

void CellRowBlocks(const Image& image, const DisplayTable& display, int x0, int x1, int y0, int y1,
                   uint32_t* const* rows, const int* columnX, int blockWidth, int pitch) {
    switch (blockWidth) {
        case 2:
            return Blocks<2>(image, display, x0, x1, y0, y1, rows, columnX, 2, pitch);
        case 3:
            return Blocks<3>(image, display, x0, x1, y0, y1, rows, columnX, 3, pitch);
        case 4:
            return Blocks<4>(image, display, x0, x1, y0, y1, rows, columnX, 4, pitch);
        case 6:
            return Blocks<6>(image, display, x0, x1, y0, y1, rows, columnX, 6, pitch);
        case 8:
            return Blocks<8>(image, display, x0, x1, y0, y1, rows, columnX, 8, pitch);
        default:
            return Blocks<0>(image, display, x0, x1, y0, y1, rows, columnX, blockWidth, pitch);
    }
}

void DrawBlockRow(uint32_t* row, const uint32_t* colors, int count, const int* columnX,
                  int blockWidth) {
    switch (blockWidth) {
        case 2:
            return BlockRow<2>(row, colors, count, columnX, 2);
        case 3:
            return BlockRow<3>(row, colors, count, columnX, 3);
        case 4:
            return BlockRow<4>(row, colors, count, columnX, 4);
        case 6:
            return BlockRow<6>(row, colors, count, columnX, 6);
        case 8:
            return BlockRow<8>(row, colors, count, columnX, 8);
        default:
            return BlockRow<0>(row, colors, count, columnX, blockWidth);
    }
}

void FillPixels(uint32_t* pixels, std::size_t n, uint32_t color) {
    // The C library's wide-character fill stores whole vector registers of
    // the running processor, several times faster than the loop the
    // compiler makes for the baseline instruction set.
    if constexpr (sizeof(wchar_t) == sizeof(uint32_t))
        std::wmemset(reinterpret_cast<wchar_t*>(pixels), static_cast<wchar_t>(color), n);
    else
        std::fill_n(pixels, n, color);
}

}  // namespace pixolat
