#include "edit/area_operations.h"

#include <algorithm>
#include <cstring>

#include "document/colors.h"
#include "render/view_grid.h"

namespace pixolat {

namespace {

// Calls f(x) for the left column of every pixel of the area and f(x + 1)
// too in multicolor: every byte column the area covers.
template <class F>
void ForEachByteColumn(const ImageDescriptor& desc, const ImageRect& a, F f) {
    const int pw = PixelWidthOf(desc);
    for (int x = a.x1; x <= a.x2; x += pw)
        for (int k = 0; k < pw; ++k) f(x + k);
}

}  // namespace

std::optional<ImageRect> ClipToImage(const ImageDescriptor& desc, const ImageRect& area) {
    const int pw = PixelWidthOf(desc);
    const int width = ImageExtent(desc).width;
    const int height = ImageExtent(desc).height;
    ImageRect r{std::max(area.x1, 0), std::max(area.y1, 0), std::min(area.x2, width - pw),
                std::min(area.y2, height - 1)};
    if (r.x1 > r.x2 || r.y1 > r.y2) return std::nullopt;
    // The last pixel starts a whole number of pixels from the first: in an
    // odd-width multicolor image the whole-image area ends on an odd column,
    // and a flip would otherwise swap overlapping pixels.
    r.x2 -= (r.x2 - r.x1) % pw;
    return r;
}

void FillArea(Image& image, const ImageRect& area, PixelValue v) {
    const auto a = ClipToImage(image.desc, area);
    if (!a) return;
    const std::size_t rows = std::size_t(a->y2 - a->y1 + 1);
    const bool multi = image.desc.pixelWidth == 2;
    const uint8_t value = uint8_t(v & 0xFF);
    // A hires pixel holds one bit; a multicolor pixel its two bits, high one left.
    const uint8_t left = multi ? uint8_t((value >> 1) & 1) : uint8_t(value > 1 ? 1 : value);
    const uint8_t right = uint8_t(value & 1);
    for (int x = a->x1; x <= a->x2; x += multi ? 2 : 1) {
        std::memset(image.plane.column(x) + a->y1, left, rows);
        if (multi) std::memset(image.plane.column(x + 1) + a->y1, right, rows);
    }
}

void InvertArea(Image& image, const ImageRect& area) {
    const auto a = ClipToImage(image.desc, area);
    if (!a) return;
    ForEachByteColumn(image.desc, *a, [&](int x) {
        uint8_t* column = image.plane.column(x);
        for (int y = a->y1; y <= a->y2; ++y) column[y] = uint8_t(1 - column[y]);
    });
}

void FlipAreaHorizontally(Image& image, const ImageRect& area) {
    const auto a = ClipToImage(image.desc, area);
    if (!a) return;
    const int pw = PixelWidthOf(image.desc);
    const int n = ((a->x2 - a->x1) / 2) / pw;
    for (int i = 0; i <= n; ++i) {
        const int left = a->x1 + i * pw;
        const int right = a->x2 - i * pw;
        if (left == right) continue;
        for (int k = 0; k < pw; ++k) {
            uint8_t* l = image.plane.column(left + k);
            std::swap_ranges(l + a->y1, l + a->y2 + 1, image.plane.column(right + k) + a->y1);
        }
    }
}

namespace {

// Reverses [lo, hi) eight bytes from each end at a time.
void ReverseBytes(uint8_t* lo, uint8_t* hi) {
    while (hi - lo >= 16) {
        uint64_t front, back;
        std::memcpy(&front, lo, 8);
        std::memcpy(&back, hi - 8, 8);
        front = __builtin_bswap64(front);
        back = __builtin_bswap64(back);
        std::memcpy(lo, &back, 8);
        std::memcpy(hi - 8, &front, 8);
        lo += 8;
        hi -= 8;
    }
    std::reverse(lo, hi);
}

}  // namespace

void FlipAreaVertically(Image& image, const ImageRect& area) {
    const auto a = ClipToImage(image.desc, area);
    if (!a) return;
    ForEachByteColumn(image.desc, *a, [&](int x) {
        uint8_t* column = image.plane.column(x);
        ReverseBytes(column + a->y1, column + a->y2 + 1);
    });
}

void RemapAreaValues(Image& image, const ImageRect& area, PixelValue f, PixelValue s) {
    if (image.desc.pixelWidth != 2) return;
    const auto a = ClipToImage(image.desc, area);
    if (!a) return;
    for (int x = a->x1; x <= a->x2; x += 2) {
        uint8_t* high = image.plane.column(x);
        uint8_t* low = image.plane.column(x + 1);
        for (int y = a->y1; y <= a->y2; ++y) {
            int v = 2 * high[y] + low[y];
            if (v == f)
                v = s;
            else if (v == s)
                v = f;
            high[y] = uint8_t((v & 2) >> 1);
            low[y] = uint8_t(v & 1);
        }
    }
}

void ReplaceAreaCellColor(Image& image, const ImageRect& area, ColorCode from, ColorCode to) {
    const auto a = ClipToImage(image.desc, area);
    if (!a) return;
    for (int cy = a->y1 / 8; cy <= a->y2 / 8; ++cy)
        for (int cx = a->x1 / 8; cx <= a->x2 / 8; ++cx) {
            uint8_t& colmap = image.colmap.at(0, cx, cy);
            uint8_t& lummap = image.lummap.at(0, cx, cy);
            if (CellColor1(colmap, lummap) == from) {
                colmap = uint8_t((colmap & 0x0F) | ((to & 0x0F) << 4));
                lummap = uint8_t((lummap & 0xF0) | ((to & 0xF0) >> 4));
            }
            if (CellColor2(colmap, lummap) == from) {
                colmap = uint8_t((colmap & 0xF0) | (to & 0x0F));
                lummap = uint8_t((lummap & 0x0F) | (to & 0xF0));
            }
        }
}

}  // namespace pixolat
