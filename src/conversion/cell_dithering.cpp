#include "conversion/cell_dithering.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

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

// The slot of the cell color nearest to the point.
int NearestSlot(const MatchPoint& point, const CellSlots& cell) {
    const std::vector<PaletteColor>& palette = TedPalette();
    int best = 0;
    float bestDistance = std::numeric_limits<float>::max();
    for (int s = 0; s < cell.count; ++s) {
        const float d = Difference(point, palette[std::size_t(cell.slots[std::size_t(s)])]);
        if (d < bestDistance) bestDistance = d, best = s;
    }
    return best;
}

std::vector<uint8_t> Nearest(const TargetGrid& grid, const std::vector<MatchPoint>& points,
                             const std::vector<CellSlots>& cells) {
    const std::vector<PaletteColor>& palette = TedPalette();
    std::vector<uint8_t> values(points.size());
    std::array<MatchPoint, kMaxCellPixels> cellPoints;
    std::array<float, kMaxCellPixels> best, row;
    std::array<uint8_t, kMaxCellPixels> slot;
    // Cell by cell, one color at a time over the cell's pixels.
    for (int cell = 0; cell < grid.CellCount(); ++cell) {
        const CellSlots& slots = cells[std::size_t(cell)];
        const int n = grid.GatherCell(cell, points, cellPoints.data());
        DifferenceRow(cellPoints.data(), n, palette[std::size_t(slots.slots[0])], best.data());
        slot.fill(0);
        for (int s = 1; s < slots.count; ++s) {
            DifferenceRow(cellPoints.data(), n, palette[std::size_t(slots.slots[std::size_t(s)])],
                          row.data());
            for (int p = 0; p < n; ++p) {
                const bool nearer = row[std::size_t(p)] < best[std::size_t(p)];
                best[std::size_t(p)] = nearer ? row[std::size_t(p)] : best[std::size_t(p)];
                slot[std::size_t(p)] = nearer ? uint8_t(s) : slot[std::size_t(p)];
            }
        }
        const int x0 = (cell % grid.cellsX) * grid.cellWidth;
        const int y0 = (cell / grid.cellsX) * grid.cellHeight;
        const int x1 = std::min(x0 + grid.cellWidth, grid.width);
        const int y1 = std::min(y0 + grid.cellHeight, grid.height);
        int p = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                values[std::size_t(y) * std::size_t(grid.width) + std::size_t(x)] =
                    slot[std::size_t(p++)];
    }
    return values;
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
    switch (dithering) {
        case Dithering::Ordered:
            return Ordered(grid, picture, points, cells, s);
        case Dithering::Diffusion:
            return Diffused(grid, picture, cells, s, metric);
        default:
            return Nearest(grid, points, cells);
    }
}

}  // namespace pixolat
