#include "edit/flood_fill.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <optional>
#include <utility>

#include "document/pixels.h"
#include "edit/shapes.h"

namespace pixolat {

namespace {

// The clip in pixel columns from x0 and rows from y1.
struct FillClip {
    int x0;
    int y1;
    int columns;
    int rows;
};

// The clip of a fill from `start`, or nothing when start is outside it or
// not at a pixel's first column.
std::optional<FillClip> ClipOf(const Image& image, ImagePoint start, ImageRect clip) {
    const int pw = PixelWidthOf(image.desc);
    const Extent e = ImageExtent(image.desc);
    const ImageRect r{std::max(clip.x1, 0), std::max(clip.y1, 0),
                      std::min({clip.x2, e.width - 1, kPlaneWidth - pw}),
                      std::min(clip.y2, e.height - 1)};
    if (start.x < r.x1 || start.x > r.x2 || start.y < r.y1 || start.y > r.y2) return std::nullopt;
    const int x0 = AlignDown(r.x1 + pw - 1, pw);
    const FillClip c{x0, r.y1, (r.x2 - x0) / pw + 1, r.y2 - r.y1 + 1};
    if (c.columns <= 0 || c.rows <= 0 || (start.x - x0) % pw != 0) return std::nullopt;
    return c;
}

constexpr uint64_t kOnes = 0x0101010101010101;
constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7F;

uint64_t Load(const uint8_t* p) {
    uint64_t w;
    std::memcpy(&w, p, sizeof w);
    return w;
}

// The first and the last byte in memory order that is not zero in w (w != 0).
int FirstNonzeroByte(uint64_t w) {
    if constexpr (std::endian::native == std::endian::little) return std::countr_zero(w) / 8;
    return std::countl_zero(w) / 8;
}
int LastNonzeroByte(uint64_t w) {
    if constexpr (std::endian::native == std::endian::little) return 7 - std::countl_zero(w) / 8;
    return 7 - std::countr_zero(w) / 8;
}

// The high bit of each byte of w that is zero, and no other bit.
uint64_t ZeroBytes(uint64_t w) {
    return ~(((w & kLow7) + kLow7) | w | kLow7);
}

// One pixel column of the clip for FillRegion: its byte columns (one, or
// two for multicolor), read 32 rows at a time in the compiler's vectors,
// then eight in a word.
template <int PW>
struct FillColumn {
    uint8_t* a;
    uint8_t* b;  // multicolor only
    uint8_t targetA, targetB, valueA, valueB;

    FillColumn(Image& image, const FillClip& clip, int c, PixelValue target, PixelValue value)
        : a(image.plane.column(clip.x0 + c * PW) + clip.y1),
          b(PW == 2 ? image.plane.column(clip.x0 + c * PW + 1) + clip.y1 : nullptr),
          targetA(uint8_t(PW == 2 ? target >> 1 : target)),
          targetB(uint8_t(target & 1)),
          valueA(uint8_t(PW == 2 ? (value >> 1) & 1 : value & 1)),
          valueB(uint8_t(value & 1)) {}

    bool Open(int y) const { return a[y] == targetA && (PW == 1 || b[y] == targetB); }
    // Non-zero bytes where rows y..y+7 are not open.
    uint64_t Closed8(int y) const {
        uint64_t m = Load(a + y) ^ (kOnes * targetA);
        if constexpr (PW == 2) m |= Load(b + y) ^ (kOnes * targetB);
        return m;
    }
    // GCC's and Clang's vectors of 16 bytes, SSE2 or NEON registers.
    using V = uint8_t __attribute__((vector_size(16)));
    static V Load16(const uint8_t* p) {
        V v;
        std::memcpy(&v, p, sizeof v);
        return v;
    }
    V Closed16(int y) const {
        V m = Load16(a + y) ^ targetA;
        if constexpr (PW == 2) m |= Load16(b + y) ^ targetB;
        return m;
    }
    // Whether any of rows y..y+31 is open (kOpen) or closed.
    template <bool kOpen>
    bool Any32(int y) const {
        V m0 = Closed16(y), m1 = Closed16(y + 16);
        V any;
        if constexpr (kOpen) {
            any = V(m0 == 0) | V(m1 == 0);
        } else {
            any = m0 | m1;
        }
        uint64_t w[2];
        std::memcpy(w, &any, sizeof w);
        return (w[0] | w[1]) != 0;
    }
    // The first row in [from, to) that is open (kOpen) or closed, or `to`;
    // 32 rows a step while none is.
    template <bool kOpen>
    int Find(int from, int to) const {
        const auto hits = [&](int y) {
            const uint64_t closed = Closed8(y);
            return kOpen ? ZeroBytes(closed) : closed;
        };
        int y = from;
        for (; y + 32 <= to; y += 32)
            if (Any32<kOpen>(y)) break;
        for (; y + 8 <= to; y += 8)
            if (const uint64_t hit = hits(y); hit != 0) return y + FirstNonzeroByte(hit);
        for (; y < to; ++y)
            if (Open(y) == kOpen) return y;
        return to;
    }
    // The first row of the open run that reaches down to row y.
    int RunTop(int y) const {
        for (; y >= 8; y -= 8)
            if (const uint64_t closed = Closed8(y - 8); closed != 0)
                return y - 8 + LastNonzeroByte(closed) + 1;
        while (y > 0 && Open(y - 1)) --y;
        return y;
    }
    void Write(int top, int bottom) const {
        std::memset(a + top, valueA, std::size_t(bottom - top));
        if constexpr (PW == 2) std::memset(b + top, valueB, std::size_t(bottom - top));
    }
};

// Open rows [from, to) of column c, found beside the run [parentTop,
// parentBottom) of column `parent` (-1 for the start), which is written.
struct Seed {
    int c;
    int from;
    int to;
    int parent;
    int parentTop;
    int parentBottom;
};

// A scanline fill along columns: each column run is found and written, and
// the open rows beside it become seeds. Written pixels no longer show the
// target, so nothing is visited twice, and the parent's rows need no look.
template <int PW>
std::vector<ImageRect> FillColumns(Image& image, const FillClip& clip, ImagePoint start,
                                   PixelValue target, PixelValue value) {
    std::vector<ImageRect> runs;
    const int c0 = (start.x - clip.x0) / PW, y0 = start.y - clip.y1;
    std::vector<Seed> seeds{{c0, y0, y0 + 1, -1, 0, 0}};
    while (!seeds.empty()) {
        const Seed seed = seeds.back();
        seeds.pop_back();
        const FillColumn<PW> col(image, clip, seed.c, target, value);
        // Only whole runs are written: rows [from, to) are all still open, or
        // all written.
        if (!col.Open(seed.from)) continue;
        const int top = col.RunTop(seed.from);
        const int bottom = col.template Find<false>(seed.to, clip.rows);  // one past the run
        col.Write(top, bottom);
        const int x = clip.x0 + seed.c * PW;
        runs.push_back({x, clip.y1 + top, x, clip.y1 + bottom - 1});
        const auto look = [&](int nc, const FillColumn<PW>& next, int from, int to) {
            while ((from = next.template Find<true>(from, to)) < to) {
                const int end = next.template Find<false>(from, to);
                seeds.push_back({nc, from, end, seed.c, top, bottom});
                from = end;
            }
        };
        for (const int nc : {seed.c - 1, seed.c + 1}) {
            if (nc < 0 || nc >= clip.columns) continue;
            const FillColumn<PW> next(image, clip, nc, target, value);
            if (nc != seed.parent) {
                look(nc, next, top, bottom);
            } else {
                look(nc, next, top, std::min(bottom, seed.parentTop));
                look(nc, next, std::max(top, seed.parentBottom), bottom);
            }
        }
    }
    return runs;
}

}  // namespace

std::vector<ImageRect> FillRegion(Image& image, ImagePoint start, ImageRect clip,
                                  PixelValue value) {
    const auto c = ClipOf(image, start, clip);
    if (!c) return {};
    const PixelValue target = PixelValueAt(image, start.x, start.y);
    value = StoredValue(image.desc, value);
    if (value == target) return {};
    return PixelWidthOf(image.desc) == 2 ? FillColumns<2>(image, *c, start, target, value)
                                         : FillColumns<1>(image, *c, start, target, value);
}

std::vector<ImageRect> FloodRegion(const Image& image, ImagePoint start, ImageRect clip) {
    std::vector<ImageRect> runs;
    const auto clipped = ClipOf(image, start, clip);
    if (!clipped) return runs;
    const int pw = PixelWidthOf(image.desc);
    const int x0 = clipped->x0, y1 = clipped->y1, columns = clipped->columns, rows = clipped->rows;
    const int target = PixelValueAt(image, start.x, start.y);
    // One byte per pixel of the clip, column by column: 0 while the pixel is
    // still to fill, 1 for another value or a pixel already taken. Runs are
    // then found with memchr, many pixels per step. Kept between fills: a
    // fresh buffer of the whole plane costs more in page faults than the fill.
    thread_local std::vector<uint8_t> closed;
    closed.resize(std::size_t(columns) * std::size_t(rows));
    for (int c = 0; c < columns; ++c) {
        uint8_t* out = closed.data() + std::size_t(c) * std::size_t(rows);
        const uint8_t* a = image.plane.column(x0 + c * pw) + y1;
        // Narrow types keep the comparisons many to a vector instruction.
        if (pw == 2) {
            const uint8_t* b = image.plane.column(x0 + c * pw + 1) + y1;
            for (int y = 0; y < rows; ++y)
                out[y] = uint8_t(uint16_t(2 * a[y] + b[y]) != uint16_t(target));
        } else {
            for (int y = 0; y < rows; ++y) out[y] = uint8_t(a[y] != uint8_t(target));
        }
    }
    const auto column = [&](int c) { return closed.data() + std::size_t(c) * std::size_t(rows); };
    // The first row from `from` (below `to`) whose byte is `byte`, or `to`.
    const auto find = [&](const uint8_t* col, int from, int to, uint8_t byte) {
        const void* at = std::memchr(col + from, byte, std::size_t(to - from));
        return at ? int(static_cast<const uint8_t*>(at) - col) : to;
    };
    // Seeds of column runs still to fill (column, row in the clip): the
    // program's own stack, never the call stack.
    std::vector<std::pair<int, int>> seeds{{(start.x - x0) / pw, start.y - y1}};
    while (!seeds.empty()) {
        const auto [c, y] = seeds.back();
        seeds.pop_back();
        uint8_t* col = column(c);
        if (col[y] != 0) continue;
        int top = y;
        while (top > 0 && col[top - 1] == 0) --top;
        const int bottom = find(col, y, rows, 1);  // one past the run
        std::memset(col + top, 1, std::size_t(bottom - top));
        runs.push_back({x0 + c * pw, y1 + top, x0 + c * pw, y1 + bottom - 1});
        for (const int nc : {c - 1, c + 1}) {
            if (nc < 0 || nc >= columns) continue;
            const uint8_t* next = column(nc);
            for (int from = find(next, top, bottom, 0); from < bottom;
                 from = find(next, find(next, from, bottom, 1), bottom, 0))
                seeds.push_back({nc, from});
        }
    }
    return runs;
}

}  // namespace pixolat
