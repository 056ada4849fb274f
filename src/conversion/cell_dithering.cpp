#include "conversion/cell_dithering.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "conversion/parallel.h"
#include "conversion/picture_conversion.h"

namespace pixolat {

int TargetGrid::CellPixelCount(int cell) const {
    const int cx = cell % cellsX, cy = cell / cellsX;
    return std::min(cellWidth, width - cx * cellWidth) *
           std::min(cellHeight, height - cy * cellHeight);
}

int TargetGrid::GatherCell(int cell, const std::vector<MatchPoint>& points, MatchPoint* out) const {
    const int x0 = (cell % cellsX) * cellWidth, y0 = (cell / cellsX) * cellHeight;
    const int x1 = std::min(x0 + cellWidth, width), y1 = std::min(y0 + cellHeight, height);
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            out[n++] = points[std::size_t(y) * std::size_t(width) + std::size_t(x)];
    return n;
}

namespace {

// The slot of the cell color nearest to the point, by the metric's quick
// form: the refinement that follows judges the pixels again.
int NearestSlot(const MatchPoint& point, const CellSlots& cell) {
    const std::vector<PaletteColor>& palette = TedPalette();
    int best = 0;
    float bestDistance = std::numeric_limits<float>::max();
    for (int s = 0; s < cell.count; ++s) {
        const float d = Distance(point, palette[std::size_t(cell.slots[std::size_t(s)])]);
        if (d < bestDistance) bestDistance = d, best = s;
    }
    return best;
}

// 8 x 8 Bayer matrix: thresholds (m + 0.5) / 64 spread evenly in every window.
constexpr uint8_t kBayer[8][8] = {
    {0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26},
    {12, 44, 4, 36, 14, 46, 6, 38}, {60, 28, 52, 20, 62, 30, 54, 22},
    {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
    {15, 47, 7, 39, 13, 45, 5, 37}, {63, 31, 55, 23, 61, 29, 53, 21},
};

struct Mix {
    int low = 0, high = 0;  // slots
    float t = 0;            // share of high in the mix, 0..1
};

// The two cell colors whose mix (in linear light, as the screen mixes them)
// comes nearest to the pixel, and the share of each.
Mix BestMix(const LinearRgb& pixel, const MatchPoint& point, const CellSlots& cell) {
    const std::vector<PaletteColor>& palette = TedPalette();
    Mix best;
    float bestDistance = std::numeric_limits<float>::max();
    for (int i = 0; i < cell.count; ++i)
        for (int j = i + 1; j < cell.count; ++j) {
            const PaletteColor& a = palette[std::size_t(cell.slots[std::size_t(i)])];
            const PaletteColor& b = palette[std::size_t(cell.slots[std::size_t(j)])];
            if (a.rgb == b.rgb) continue;
            const float dr = b.linear.r - a.linear.r, dg = b.linear.g - a.linear.g,
                        db = b.linear.b - a.linear.b;
            const float length = dr * dr + dg * dg + db * db;
            const float dot = (pixel.r - a.linear.r) * dr + (pixel.g - a.linear.g) * dg +
                              (pixel.b - a.linear.b) * db;
            const float t = std::clamp(dot / length, 0.0f, 1.0f);
            if (cell.count == 2) return {i, j, t};
            const LinearRgb mixed{a.linear.r + t * dr, a.linear.g + t * dg, a.linear.b + t * db};
            PaletteColor m;
            m.lab = LabFromLinear(mixed);
            m.chroma = std::hypot(m.lab.a, m.lab.b);
            const float d = Difference(point, m);
            if (d < bestDistance) bestDistance = d, best = {i, j, t};
        }
    if (bestDistance == std::numeric_limits<float>::max()) return {0, 0, 0.0f};
    return best;
}

std::vector<uint8_t> Ordered(const TargetGrid& grid, const LinearPicture& picture,
                             const std::vector<MatchPoint>& points,
                             const std::vector<CellSlots>& cells, float strength) {
    std::vector<uint8_t> values(points.size());
    for (int y = 0; y < grid.height; ++y)
        for (int x = 0; x < grid.width; ++x) {
            const std::size_t i = std::size_t(y) * std::size_t(grid.width) + std::size_t(x);
            const Mix mix =
                BestMix(picture.pixels[i], points[i], cells[std::size_t(grid.CellOf(x, y))]);
            const float threshold =
                0.5f + strength * ((float(kBayer[y & 7][x & 7]) + 0.5f) / 64.0f - 0.5f);
            values[i] = uint8_t(mix.t > threshold ? mix.high : mix.low);
        }
    return values;
}

// Floyd-Steinberg in linear light, row by row in alternating directions; each
// pixel takes the nearest of its own cell's colors to its color plus the
// error that reached it.
std::vector<uint8_t> Diffused(const TargetGrid& grid, const LinearPicture& picture,
                              const std::vector<CellSlots>& cells, float strength,
                              ColorMetric metric) {
    const std::vector<PaletteColor>& palette = TedPalette();
    std::vector<uint8_t> values(std::size_t(grid.width) * std::size_t(grid.height));
    // Error rows with one spare pixel on each side.
    std::vector<LinearRgb> current(std::size_t(grid.width) + 2), next(std::size_t(grid.width) + 2);
    auto spread = [&](std::vector<LinearRgb>& row, int x, const LinearRgb& e, float w) {
        LinearRgb& target = row[std::size_t(x + 1)];
        target.r += e.r * w, target.g += e.g * w, target.b += e.b * w;
    };
    for (int y = 0; y < grid.height; ++y) {
        const bool forward = y % 2 == 0;
        const int dir = forward ? 1 : -1;
        for (int k = 0; k < grid.width; ++k) {
            const int x = forward ? k : grid.width - 1 - k;
            const std::size_t i = std::size_t(y) * std::size_t(grid.width) + std::size_t(x);
            const LinearRgb& source = picture.pixels[i];
            const LinearRgb& error = current[std::size_t(x + 1)];
            const LinearRgb wanted{std::clamp(source.r + error.r, 0.0f, 1.0f),
                                   std::clamp(source.g + error.g, 0.0f, 1.0f),
                                   std::clamp(source.b + error.b, 0.0f, 1.0f)};
            const CellSlots& cell = cells[std::size_t(grid.CellOf(x, y))];
            const int slot = NearestSlot(MatchPointOf(LabFromLinear(wanted), metric), cell);
            values[i] = uint8_t(slot);
            const LinearRgb& shown = palette[std::size_t(cell.slots[std::size_t(slot)])].linear;
            const LinearRgb e{(wanted.r - shown.r) * strength, (wanted.g - shown.g) * strength,
                              (wanted.b - shown.b) * strength};
            spread(current, x + dir, e, 7.0f / 16.0f);
            spread(next, x - dir, e, 3.0f / 16.0f);
            spread(next, x, e, 5.0f / 16.0f);
            spread(next, x + dir, e, 1.0f / 16.0f);
        }
        std::swap(current, next);
        std::fill(next.begin(), next.end(), LinearRgb{});
    }
    return values;
}

}  // namespace

std::vector<uint8_t> DitherPixels(const TargetGrid& grid, const LinearPicture& picture,
                                  const std::vector<MatchPoint>& points,
                                  const std::vector<CellSlots>& cells, Dithering dithering,
                                  int strength, ColorMetric metric) {
    const float s = float(std::clamp(strength, 0, 100)) / 100.0f;
    return dithering == Dithering::Ordered ? Ordered(grid, picture, points, cells, s)
                                           : Diffused(grid, picture, cells, s, metric);
}

namespace {

// The blur the eye applies to a dithered screen, per axis: [1 2 1] / 4 at
// full strength, nothing at strength 0; separable, so a pixel's reach is the
// product of its reach across and down.
struct Blur1d {
    float side = 0, centre = 1;
};

Blur1d BlurAt(float strength) {
    return {strength / 4.0f, 1.0f - strength / 2.0f};
}

// The picture blurred into out, its edge pixels repeated; across is scratch.
void Blur(const std::vector<LinearRgb>& in, int width, int height, Blur1d k,
          std::vector<LinearRgb>& across, std::vector<LinearRgb>& out) {
    across.resize(in.size());
    out.resize(in.size());
    auto mix = [&](const LinearRgb& a, const LinearRgb& b, const LinearRgb& c) {
        return LinearRgb{k.side * (a.r + c.r) + k.centre * b.r,
                         k.side * (a.g + c.g) + k.centre * b.g,
                         k.side * (a.b + c.b) + k.centre * b.b};
    };
    for (int y = 0; y < height; ++y) {
        const LinearRgb* row = &in[std::size_t(y) * std::size_t(width)];
        LinearRgb* to = &across[std::size_t(y) * std::size_t(width)];
        for (int x = 0; x < width; ++x)
            to[x] = mix(row[std::max(x - 1, 0)], row[x], row[std::min(x + 1, width - 1)]);
    }
    for (int y = 0; y < height; ++y) {
        const std::size_t up = std::size_t(std::max(y - 1, 0)) * std::size_t(width);
        const std::size_t here = std::size_t(y) * std::size_t(width);
        const std::size_t down = std::size_t(std::min(y + 1, height - 1)) * std::size_t(width);
        for (int x = 0; x < width; ++x)
            out[here + std::size_t(x)] =
                mix(across[up + std::size_t(x)], across[here + std::size_t(x)],
                    across[down + std::size_t(x)]);
    }
}

// CIEDE2000 near a target color, as a linear map of CIELAB differences: the
// lightness divided by its weight there; a and b (a stretched) turned to the
// chroma and hue directions and divided by their weights. The length of the
// mapped difference is the CIEDE2000.
struct Weighting {
    Lab lab;
    float l;       // lightness
    float ca, cb;  // chroma: of a, of b
    float ha, hb;  // hue: of a, of b
};

// Weighting at each of n colors, in vectors.
[[gnu::always_inline]] inline void WeightingsAtLoop(const LinearRgb* colors, std::size_t n,
                                                    Weighting* out) {
    constexpr std::size_t kBlock = 32;
    for (std::size_t start = 0; start < n; start += kBlock) {
        const std::size_t m = std::min(kBlock, n - start);
        float r[kBlock] = {}, g[kBlock] = {}, b[kBlock] = {};
        for (std::size_t i = 0; i < m; ++i)
            r[i] = colors[start + i].r, g[i] = colors[start + i].g, b[i] = colors[start + i].b;
        float L[kBlock], A[kBlock], B[kBlock], wl[kBlock], ca[kBlock], cb[kBlock], ha[kBlock],
            hb[kBlock];
        for (std::size_t i = 0; i < kBlock; ++i) {
            const RelativeXyz xyz = RelativeXyzOf(r[i], g[i], b[i]);
            const float fx = LabCurve(xyz.x), fy = LabCurve(xyz.y), fz = LabCurve(xyz.z);
            const float l = 116.0f * fy - 16.0f, a = 500.0f * (fx - fy), bb = 200.0f * (fy - fz);
            const float c2 = a * a + bb * bb, c7 = c2 * c2 * c2 * std::sqrt(c2);
            const float gain = 1.5f - 0.5f * std::sqrt(c7 / (c7 + 6103515625.0f));
            const float ap = gain * a, cp = std::sqrt(ap * ap + bb * bb);
            const bool hued = cp > 1e-4f;
            const float inverse = 1.0f / std::max(cp, 1e-4f);
            const float cosH = hued ? ap * inverse : 1.0f, sinH = hued ? bb * inverse : 0.0f;
            const float l50 = (l - 50.0f) * (l - 50.0f);
            const float sl = 1.0f + 0.015f * l50 / std::sqrt(20.0f + l50);
            const float sc = 1.0f + 0.045f * cp, sh = 1.0f + 0.015f * cp;
            L[i] = l, A[i] = a, B[i] = bb;
            wl[i] = 1.0f / sl;
            ca[i] = gain * cosH / sc, cb[i] = sinH / sc;
            ha[i] = -gain * sinH / sh, hb[i] = cosH / sh;
        }
        for (std::size_t i = 0; i < m; ++i)
            out[start + i] = {{L[i], A[i], B[i]}, wl[i], ca[i], cb[i], ha[i], hb[i]};
    }
}
PIXEL_LOOP(void, WeightingsAt, (const LinearRgb* colors, std::size_t n, Weighting* out),
           (colors, n, out))

float Dot3(const float* m, const float* d) {
    return m[0] * d[0] + m[1] * d[1] + m[2] * d[2];
}

// How a small change of linear light shows in the mapped difference.
struct Sensitivity {
    float m[9];
};

// At a screen pixel, from the color seen there and the weighting of the
// color wanted there: the mapped difference (e), its length, and its linear
// model (s, rows of three); each with a stride, for blocks of pixels.
[[gnu::always_inline]] inline void DifferenceAt(float r, float g, float b, const Weighting& w,
                                                float* e, float* length, float* s,
                                                std::size_t stride) {
    // CIELAB's slope at x, y and z times the rows of the sRGB to XYZ matrix.
    constexpr float kX[3] = {0.4124564f / 0.95047f, 0.3575761f / 0.95047f, 0.1804375f / 0.95047f};
    constexpr float kY[3] = {0.2126729f, 0.7151522f, 0.0721750f};
    constexpr float kZ[3] = {0.0193339f / 1.08883f, 0.1191920f / 1.08883f, 0.9503041f / 1.08883f};
    const RelativeXyz xyz = RelativeXyzOf(r, g, b);
    const float fx = LabCurve(xyz.x), fy = LabCurve(xyz.y), fz = LabCurve(xyz.z);
    const float dl = 116.0f * fy - 16.0f - w.lab.l, da = 500.0f * (fx - fy) - w.lab.a,
                db = 200.0f * (fy - fz) - w.lab.b;
    const float e0 = w.l * dl, e1 = w.ca * da + w.cb * db, e2 = w.ha * da + w.hb * db;
    e[0] = e0, e[stride] = e1, e[2 * stride] = e2;
    *length = std::sqrt(e0 * e0 + e1 * e1 + e2 * e2);
    // The curve's slope: linear near black, a cube root above.
    auto slope = [](float f) {
        constexpr float kKnee = 6.0f / 29.0f, kKappa = 24389.0f / 27.0f;
        return f <= kKnee ? kKappa / 116.0f : 1.0f / (3.0f * f * f);
    };
    const float sx = slope(fx), sy = slope(fy), sz = slope(fz);
    for (std::size_t k = 0; k < 3; ++k) {
        const float jl = 116.0f * kY[k] * sy, ja = 500.0f * (kX[k] * sx - kY[k] * sy),
                    jb = 200.0f * (kY[k] * sy - kZ[k] * sz);
        s[k * stride] = w.l * jl;
        s[(3 + k) * stride] = w.ca * ja + w.cb * jb;
        s[(6 + k) * stride] = w.ha * ja + w.hb * jb;
    }
}

// DifferenceAt each of n screen pixels, in vectors.
[[gnu::always_inline]] inline void DifferencesAtLoop(const LinearRgb* seen,
                                                     const Weighting* weighting, std::size_t n,
                                                     std::array<float, 3>* error, float* length,
                                                     Sensitivity* sense) {
    constexpr std::size_t kBlock = 32;
    for (std::size_t start = 0; start < n; start += kBlock) {
        const std::size_t m = std::min(kBlock, n - start);
        float r[kBlock] = {}, g[kBlock] = {}, b[kBlock] = {};
        Weighting w[kBlock] = {};
        for (std::size_t i = 0; i < m; ++i) {
            const LinearRgb& c = seen[start + i];
            r[i] = c.r, g[i] = c.g, b[i] = c.b;
            w[i] = weighting[start + i];
        }
        float e[3][kBlock], len[kBlock], s[9][kBlock];
        for (std::size_t i = 0; i < kBlock; ++i)
            DifferenceAt(r[i], g[i], b[i], w[i], &e[0][i], &len[i], &s[0][i], kBlock);
        for (std::size_t i = 0; i < m; ++i) {
            error[start + i] = {e[0][i], e[1][i], e[2][i]};
            length[start + i] = len[i];
            for (int k = 0; k < 9; ++k) sense[start + i].m[k] = s[k][i];
        }
    }
}
PIXEL_LOOP(void, DifferencesAt,
           (const LinearRgb* seen, const Weighting* weighting, std::size_t n,
            std::array<float, 3>* error, float* length, Sensitivity* sense),
           (seen, weighting, n, error, length, sense))

}  // namespace

struct RefinerBuffers::State {
    std::vector<Weighting> weighting;
    std::vector<LinearRgb> seen, scratch, across;
    std::vector<Sensitivity> sense;
    std::vector<std::array<float, 3>> error;
    std::vector<float> length;
    std::vector<uint8_t> dirty;
};

namespace {

// The search's state: the blurred screen and, at every screen pixel, the
// difference to the blurred picture as a vector whose length is near its
// CIEDE2000, with a linear model of how a change of light there changes it;
// kept up to date as pixels and colors change.
class Refiner {
public:
    Refiner(const TargetGrid& grid, const LinearPicture& screen, std::vector<CellSlots>& cells,
            float strength, std::vector<uint8_t>& values, RefinerBuffers::State& state)
        : grid_(grid),
          cells_(cells),
          values_(values),
          pw_(grid.pixelWidth),
          width_(grid.width * grid.pixelWidth),
          height_(grid.height),
          k_(BlurAt(strength)),
          weighting_(state.weighting),
          seen_(state.seen),
          sense_(state.sense),
          error_(state.error),
          length_(state.length),
          dirty_(state.dirty) {
        const std::size_t count = std::size_t(width_) * std::size_t(height_);
        std::vector<LinearRgb>& target = state.scratch;
        Blur(screen.pixels, width_, height_, k_, state.across, target);
        std::vector<LinearRgb>& shown = seen_;
        shown.resize(count);
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < grid.width; ++x)
                for (int i = 0; i < pw_; ++i)
                    shown[Screen(x * pw_ + i, y)] = ColorOf(x, y, Value(x, y));
        // Blurred in place: the rows across first, then down from them.
        Blur(shown, width_, height_, k_, state.across, seen_);
        weighting_.resize(count);
        sense_.resize(count);
        error_.resize(count);
        length_.resize(count);
        InParallel(2, [&](int part) {
            const Range range = PartOf(int(count), part, 2);
            const std::size_t begin = std::size_t(range.begin), n = std::size_t(range.end) - begin;
            WeightingsAt(&target[begin], n, &weighting_[begin]);
            DifferencesAt(&seen_[begin], &weighting_[begin], n, &error_[begin], &length_[begin],
                          &sense_[begin]);
        });
        dirty_.assign(values.size(), 1);
        // How much a pixel reaches each screen column and row around it
        // (edge pixels are repeated by the blur, so they reach their own more).
        const float kw[3] = {k_.side, k_.centre, k_.side};
        reachAcross_.assign(std::size_t(grid.width) * 4, 0.0f);
        for (int x = 0; x < grid.width; ++x) {
            const int sx0 = x * pw_, x0 = std::max(sx0 - 1, 0),
                      x1 = std::min(sx0 + pw_, width_ - 1);
            for (int qx = x0; qx <= x1; ++qx)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int from = std::clamp(qx + dx, 0, width_ - 1);
                    if (from >= sx0 && from < sx0 + pw_)
                        reachAcross_[std::size_t(x) * 4 + std::size_t(qx - x0)] += kw[dx + 1];
                }
        }
        reachDown_.assign(std::size_t(height_) * 3, 0.0f);
        for (int y = 0; y < height_; ++y)
            for (int qy = std::max(y - 1, 0); qy <= std::min(y + 1, height_ - 1); ++qy)
                for (int dy = -1; dy <= 1; ++dy)
                    if (std::clamp(qy + dy, 0, height_ - 1) == y)
                        reachDown_[std::size_t(y) * 3 + std::size_t(qy - std::max(y - 1, 0))] +=
                            kw[dy + 1];
    }

    // Each pixel whose surroundings changed since it was last tried takes
    // the value of its cell that lowers the difference most. A pixel reaches
    // the rows next to its own, so two bands of rows two apart share nothing.
    int PixelPass() {
        return InBands(height_, 1, 2, [&](Rows rows) { return PixelPass(rows); });
    }

    // Each cell's own colors changed where that lowers the difference with
    // the pixels as they are. A cell reaches a row beyond its own, so bands of
    // cell rows one apart share nothing (cells are at least two rows high).
    int RecolorCells() {
        return InBands(grid_.cellsY, grid_.cellHeight, 1, [&](Rows cellRows) {
            const Rows rows{cellRows.begin * grid_.cellHeight,
                            std::min(cellRows.end * grid_.cellHeight, height_),
                            cellRows.markBegin * grid_.cellHeight,
                            std::min(cellRows.markEnd * grid_.cellHeight, height_)};
            return RecolorCells(cellRows.begin * grid_.cellsX, cellRows.end * grid_.cellsX, rows);
        });
    }

    // The image-wide colors of a multicolor picture, the same way.
    int RecolorGlobals() {
        if (grid_.pixelWidth != 2 || cells_.empty()) return 0;
        const Area all{0, width_ - 1, 0, height_ - 1};
        const Rows rows{0, height_, 0, height_};
        std::vector<float> reach;
        int changes = 0;
        for (int slot : {0, 3}) {
            Footprint(
                all, [&](int x, int y) { return Value(x, y) == slot; }, reach);
            int color = cells_[0].slots[std::size_t(slot)];
            if (Recolor(all, reach, color) == 0) continue;
            for (CellSlots& cell : cells_) cell.slots[std::size_t(slot)] = color;
            MarkDirty(0, grid_.width - 1, 0, height_ - 1, rows);
            ++changes;
        }
        return changes;
    }

private:
    // Rows begin..end - 1 to work on; marks for a later pass go to rows
    // markBegin..markEnd - 1 only.
    struct Rows {
        int begin, end, markBegin, markEnd;
    };

    // work(rows) on two bands of [0, count) side by side, then on the `gap`
    // rows between them, which the bands' work may reach but not mark: their
    // pixels (`scale` pixel rows to a row) are all marked before their turn.
    // The bands are the same on every machine, and so is the result.
    // Returns the summed changes.
    template <typename Work>
    int InBands(int count, int scale, int gap, Work work) {
        // A picture a few rows high is worked in one.
        if (count < 4 * gap + 4) return work(Rows{0, count, 0, count});
        const int middle = count / 2;
        int changes[2] = {};
        InParallel(2, [&](int part) {
            const Rows band = part == 0 ? Rows{0, middle, 0, middle}
                                        : Rows{middle + gap, count, middle + gap, count};
            changes[part] = work(band);
        });
        MarkDirty(0, grid_.width - 1, middle * scale, std::min((middle + gap) * scale, height_) - 1,
                  Rows{0, height_, 0, height_});
        return changes[0] + changes[1] + work(Rows{middle, middle + gap, 0, count});
    }

    int PixelPass(const Rows& rows) {
        int changes = 0;
        for (int y = rows.begin; y < rows.end; ++y)
            for (int x = 0; x < grid_.width; ++x) {
                const std::size_t i = std::size_t(y) * std::size_t(grid_.width) + std::size_t(x);
                if (!dirty_[i]) continue;
                dirty_[i] = 0;
                uint8_t& value = values_[i];
                const CellSlots& cell = cells_[std::size_t(grid_.CellOf(x, y))];
                // The screen pixels this pixel reaches, and how much.
                const int sx0 = x * pw_;
                const int x0 = std::max(sx0 - 1, 0), x1 = std::min(sx0 + pw_, width_ - 1);
                const int y0 = std::max(y - 1, 0), y1 = std::min(y + 1, height_ - 1);
                const float* wx = &reachAcross_[std::size_t(x) * 4];
                const float* wy = &reachDown_[std::size_t(y) * 3];
                // The reached pixels' state as arrays, so the sums over them
                // run in vectors; unused entries weigh 0 and change nothing.
                std::array<std::size_t, 12> reached{};
                alignas(16) float weight[12] = {}, e0[12] = {}, e1[12] = {}, e2[12] = {},
                                  length[12] = {};
                int n = 0;
                for (int qy = y0; qy <= y1; ++qy)
                    for (int qx = x0; qx <= x1; ++qx) {
                        const std::size_t q = Screen(qx, qy);
                        reached[std::size_t(n)] = q;
                        weight[n] = wy[qy - y0] * wx[qx - x0];
                        e0[n] = error_[q][0], e1[n] = error_[q][1], e2[n] = error_[q][2];
                        length[n] = length_[q];
                        ++n;
                    }
                const LinearRgb& old = ColorOf(cell, value);
                int bestValue = value;
                float bestGain = -1e-4f;
                for (int v = 0; v < cell.count; ++v) {
                    if (cell.slots[std::size_t(v)] == cell.slots[value]) continue;
                    const LinearRgb& c = ColorOf(cell, v);
                    // The change seen through the pixel's own sensitivity, which
                    // varies little over its reach.
                    const float d[3] = {c.r - old.r, c.g - old.g, c.b - old.b};
                    const float* m = sense_[Screen(sx0, y)].m;
                    const float d0 = Dot3(m, d), d1 = Dot3(m + 3, d), d2 = Dot3(m + 6, d);
                    alignas(16) float change[12];
#pragma GCC unroll 1
                    for (int j = 0; j < 12; ++j) {
                        const float w = weight[j];
                        const float a0 = e0[j] + w * d0, a1 = e1[j] + w * d1, a2 = e2[j] + w * d2;
                        change[j] = std::sqrt(a0 * a0 + a1 * a1 + a2 * a2) - length[j];
                    }
                    float lanes[4];
                    for (int k = 0; k < 4; ++k)
                        lanes[k] = change[k] + change[k + 4] + change[k + 8];
                    const float gain = (lanes[0] + lanes[1]) + (lanes[2] + lanes[3]);
                    if (gain < bestGain) bestGain = gain, bestValue = v;
                }
                if (bestValue == value) continue;
                const LinearRgb& c = ColorOf(cell, bestValue);
                const float d[3] = {c.r - old.r, c.g - old.g, c.b - old.b};
                for (int j = 0; j < n; ++j) Apply(reached[std::size_t(j)], weight[j], d);
                value = uint8_t(bestValue);
                // The pixels whose reach meets this one's.
                const int across = pw_ == 1 ? 2 : 1;
                MarkDirty(x - across, x + across, y - 2, y + 2, rows);
                ++changes;
            }
        return changes;
    }

    // Cells first..last - 1, whose pixels are in `rows`.
    int RecolorCells(int first, int last, const Rows& rows) {
        const int firstSlot = grid_.pixelWidth == 2 ? 1 : 0;
        int changes = 0;
        std::vector<float> reach;
        for (int cell = first; cell < last; ++cell) {
            const int x0 = (cell % grid_.cellsX) * grid_.cellWidth;
            const int y0 = (cell / grid_.cellsX) * grid_.cellHeight;
            const int x1 = std::min(x0 + grid_.cellWidth, grid_.width);
            const int y1 = std::min(y0 + grid_.cellHeight, grid_.height);
            Area area{std::max(x0 * pw_ - 1, 0), std::min(x1 * pw_, width_ - 1),
                      std::max(y0 - 1, 0), std::min(y1, height_ - 1)};
            for (int slot = firstSlot; slot < firstSlot + 2; ++slot) {
                Footprint(
                    area,
                    [&](int x, int y) {
                        return x >= x0 && x < x1 && y >= y0 && y < y1 && Value(x, y) == slot;
                    },
                    reach);
                if (Recolor(area, reach, cells_[std::size_t(cell)].slots[std::size_t(slot)]) == 0)
                    continue;
                const int across = pw_ == 1 ? 2 : 1;
                MarkDirty(x0 - across, x1 - 1 + across, y0 - 2, y1 + 1, rows);
                ++changes;
            }
        }
        return changes;
    }

    // Screen pixels x0..x1, y0..y1 (inclusive).
    struct Area {
        int x0, x1, y0, y1;
        int Width() const { return x1 - x0 + 1; }
        int Count() const { return Width() * (y1 - y0 + 1); }
    };

    // Target pixels x0..x1, y0..y1 (inclusive, clipped to the picture and
    // to the rows' marks) to be tried again.
    void MarkDirty(int x0, int x1, int y0, int y1, const Rows& rows) {
        x0 = std::max(x0, 0), x1 = std::min(x1, grid_.width - 1);
        y0 = std::max(y0, rows.markBegin), y1 = std::min(y1, rows.markEnd - 1);
        for (int y = y0; y <= y1; ++y)
            std::fill_n(dirty_.begin() + std::ptrdiff_t(y * grid_.width + x0), x1 - x0 + 1, 1);
    }

    std::size_t Screen(int x, int y) const {
        return std::size_t(y) * std::size_t(width_) + std::size_t(x);
    }
    int Value(int x, int y) const {
        return values_[std::size_t(y) * std::size_t(grid_.width) + std::size_t(x)];
    }
    const LinearRgb& ColorOf(const CellSlots& cell, int value) const {
        return palette_[std::size_t(cell.slots[std::size_t(value)])].linear;
    }
    const LinearRgb& ColorOf(int x, int y, int value) const {
        return TedPalette()[std::size_t(
                                cells_[std::size_t(grid_.CellOf(x, y))].slots[std::size_t(value)])]
            .linear;
    }

    float Change(std::size_t q, float w, const float* d) const {
        const float* m = sense_[q].m;
        const std::array<float, 3>& e = error_[q];
        const float e0 = e[0] + w * Dot3(m, d), e1 = e[1] + w * Dot3(m + 3, d),
                    e2 = e[2] + w * Dot3(m + 6, d);
        return std::sqrt(e0 * e0 + e1 * e1 + e2 * e2) - length_[q];
    }
    void Apply(std::size_t q, float w, const float* d) {
        LinearRgb& c = seen_[q];
        c.r += w * d[0], c.g += w * d[1], c.b += w * d[2];
        Update(q);
    }
    // The difference at q, exact, and the linear model of its change, at the
    // color now seen there.
    void Update(std::size_t q) {
        const LinearRgb& c = seen_[q];
        DifferenceAt(c.r, c.g, c.b, weighting_[q], error_[q].data(), &length_[q], sense_[q].m, 1);
    }

    // How much of each screen pixel of the area comes from the target
    // pixels `inside` picks, after the blur.
    template <typename Inside>
    void Footprint(const Area& area, Inside inside, std::vector<float>& reach) const {
        const float kw[3] = {k_.side, k_.centre, k_.side};
        reach.assign(std::size_t(area.Count()), 0.0f);
        for (int qy = area.y0; qy <= area.y1; ++qy)
            for (int qx = area.x0; qx <= area.x1; ++qx) {
                float f = 0;
                for (int dy = -1; dy <= 1; ++dy) {
                    const int y = std::clamp(qy + dy, 0, height_ - 1);
                    for (int dx = -1; dx <= 1; ++dx)
                        if (inside(std::clamp(qx + dx, 0, width_ - 1) >> (pw_ - 1), y))
                            f += kw[dy + 1] * kw[dx + 1];
                }
                reach[std::size_t((qy - area.y0) * area.Width() + qx - area.x0)] = f;
            }
    }

    // Changes `color` (a palette index) to the one that lowers the summed
    // difference most where it reaches as much as `reach` says: the best
    // change by the quadratic model first, the palette colors nearest to it
    // then judged one by one. Returns 1 if the color changed.
    int Recolor(const Area& area, const std::vector<float>& reach, int& color) {
        double a[9] = {}, b[3] = {};
        for (int qy = area.y0; qy <= area.y1; ++qy)
            for (int qx = area.x0; qx <= area.x1; ++qx) {
                const float f = reach[std::size_t((qy - area.y0) * area.Width() + qx - area.x0)];
                if (f == 0.0f) continue;
                const std::size_t q = Screen(qx, qy);
                const float* m = sense_[q].m;
                const std::array<float, 3>& e = error_[q];
                for (int i = 0; i < 3; ++i) {
                    b[i] += double(f) * (m[i] * e[0] + m[3 + i] * e[1] + m[6 + i] * e[2]);
                    for (int j = 0; j < 3; ++j)
                        a[3 * i + j] += double(f * f) *
                                        (m[i] * m[j] + m[3 + i] * m[3 + j] + m[6 + i] * m[6 + j]);
                }
            }
        if (a[0] + a[4] + a[8] <= 0.0) return 0;
        const std::vector<PaletteColor>& palette = TedPalette();
        const LinearRgb& old = palette[std::size_t(color)].linear;
        // The palette colors by the quadratic model's cost of the change.
        constexpr int kTried = 2;
        std::array<std::pair<double, int>, kTried> tried;
        tried.fill({std::numeric_limits<double>::max(), -1});
        for (std::size_t c = 0; c < palette.size(); ++c) {
            if (int(c) == color) continue;
            const double d[3] = {palette[c].linear.r - old.r, palette[c].linear.g - old.g,
                                 palette[c].linear.b - old.b};
            double cost = 2.0 * (b[0] * d[0] + b[1] * d[1] + b[2] * d[2]);
            for (int i = 0; i < 3; ++i)
                cost += d[i] * (a[3 * i] * d[0] + a[3 * i + 1] * d[1] + a[3 * i + 2] * d[2]);
            if (cost < tried.back().first) {
                tried.back() = {cost, int(c)};
                std::sort(tried.begin(), tried.end());
            }
        }
        int best = -1;
        float bestGain = -1e-3f;
        for (const auto& [cost, c] : tried) {
            if (c < 0 || cost >= 0.0) continue;
            const float d[3] = {palette[std::size_t(c)].linear.r - old.r,
                                palette[std::size_t(c)].linear.g - old.g,
                                palette[std::size_t(c)].linear.b - old.b};
            float gain = 0;
            for (int qy = area.y0; qy <= area.y1; ++qy)
                for (int qx = area.x0; qx <= area.x1; ++qx) {
                    const float f =
                        reach[std::size_t((qy - area.y0) * area.Width() + qx - area.x0)];
                    if (f != 0.0f) gain += Change(Screen(qx, qy), f, d);
                }
            if (gain < bestGain) bestGain = gain, best = c;
        }
        if (best < 0) return 0;
        const float d[3] = {palette[std::size_t(best)].linear.r - old.r,
                            palette[std::size_t(best)].linear.g - old.g,
                            palette[std::size_t(best)].linear.b - old.b};
        for (int qy = area.y0; qy <= area.y1; ++qy)
            for (int qx = area.x0; qx <= area.x1; ++qx) {
                const float f = reach[std::size_t((qy - area.y0) * area.Width() + qx - area.x0)];
                if (f != 0.0f) Apply(Screen(qx, qy), f, d);
            }
        color = best;
        return 1;
    }

    const TargetGrid& grid_;
    const std::vector<PaletteColor>& palette_ = TedPalette();
    std::vector<CellSlots>& cells_;
    std::vector<uint8_t>& values_;
    int pw_, width_, height_;
    Blur1d k_;
    std::vector<Weighting>& weighting_;
    std::vector<LinearRgb>& seen_;  // the shown picture blurred
    std::vector<Sensitivity>& sense_;
    std::vector<std::array<float, 3>>& error_;
    std::vector<float>& length_;
    std::vector<uint8_t>& dirty_;
    std::vector<float> reachAcross_, reachDown_;
};

}  // namespace

RefinerBuffers::RefinerBuffers() : state_(std::make_unique<State>()) {}
RefinerBuffers::~RefinerBuffers() = default;
RefinerBuffers::RefinerBuffers(RefinerBuffers&&) noexcept = default;
RefinerBuffers& RefinerBuffers::operator=(RefinerBuffers&&) noexcept = default;

bool RefineDither(const TargetGrid& grid, const LinearPicture& screen,
                  std::vector<CellSlots>& cells, int strength, std::vector<uint8_t>& values,
                  RefinerBuffers& buffers, const Abandoned& abandoned) {
    const float s = float(std::clamp(strength, 0, 100)) / 100.0f;
    const std::size_t count = std::size_t(grid.width * grid.pixelWidth) * std::size_t(grid.height);
    if (s <= 0.0f || screen.pixels.size() != count ||
        values.size() != std::size_t(grid.width) * std::size_t(grid.height) ||
        cells.size() != std::size_t(grid.CellCount()))
        return true;
    auto wanted = [&] { return !abandoned || !abandoned(); };
    if (!wanted()) return false;
    Refiner refiner(grid, screen, cells, s, values, buffers.state());
    // Two passes over the pixels (the second changes a third as many), the
    // cells' colors re-chosen for the pixels they have, passes again: one
    // over hires pixels, which are twice as many and each cheaper to settle.
    for (int round = 0; round < 2; ++round) {
        const int passes = round == 1 && grid.pixelWidth == 1 ? 1 : 2;
        for (int pass = 0; pass < passes; ++pass) {
            if (!wanted()) return false;
            if (refiner.PixelPass() == 0) break;
        }
        if (!wanted()) return false;
        if (round == 0) refiner.RecolorCells(), refiner.RecolorGlobals();
    }
    return true;
}

}  // namespace pixolat
