#include "conversion/picture_conversion.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <numeric>
#include <stdexcept>

#include "conversion/cell_dithering.h"
#include "conversion/parallel.h"
#include "document/colors.h"
#include "document/pixels.h"

namespace pixolat {

namespace {

// How many of a cell's cheapest single colors the pair search tries beside
// every pixel's nearest color; with more it finds the pair of least
// difference no more often on the benchmark's pictures, and takes longer.
constexpr int kCellCandidates = 3;
// The image-wide pair of a multicolor picture is tried among this many of
// the colors that are most often some pixel's nearest, on a sample of cells.
constexpr int kGlobalCandidates = 8;
constexpr int kGlobalSampleCells = 300;
constexpr int kGlobalSampleCandidates = 6;
// The pair search of a dithered cell, and the charge for a mix's visible pattern.
constexpr int kMixCandidates = 10;
constexpr float kMixNoise = 0.25f;
// Fewer where the refinement after error diffusion re-chooses the colors.
constexpr int kRefinedMixCandidates = 6;
// A dithered picture's image-wide pair is tried among this many of the most
// frequent nearest colors and the darkest and lightest, on a sample of cells.
constexpr int kMixGlobalCandidates = 8;
constexpr int kMixGlobalSampleCells = 100;
constexpr int kMixGlobalSampleCandidates = 6;
// Of which a sample cell's pairs are made.
constexpr int kMixGlobalOwnColors = 8;

TargetGrid GridOf(const ConversionOptions& options) {
    const Extent extent = ConversionExtent(options);
    TargetGrid g;
    g.pixelWidth = options.multicolor ? 2 : 1;
    g.width = extent.width / g.pixelWidth;
    g.height = extent.height;
    g.cellWidth = 8 / g.pixelWidth;
    g.cellHeight = options.dfli ? 2 : 8;
    g.cellsX = (g.width + g.cellWidth - 1) / g.cellWidth;
    g.cellsY = (g.height + g.cellHeight - 1) / g.cellHeight;
    return g;
}

// The buffers of a conversion up to the screen's size are kept with the
// result (a multicolor one's cell tables take 16 MB); those of a larger one
// go when it ends.
constexpr int kKeptBufferPixels = 320 * 200;

}  // namespace

// The pixels of every cell and their distances to every palette color.
struct CellTables {
    std::vector<float> distances;
    std::vector<std::size_t> offsets;
    std::vector<int> counts;

    const float* of(int cell) const { return &distances[offsets[std::size_t(cell)]]; }
};

struct ConversionBuffers {
    CellTables tables;
    RefinerBuffers refiner;
};

namespace {

// The screen's grid: each target pixel's `pixelWidth` screen pixels side by
// side, so that a cell's gathered points come in runs of that many.
TargetGrid ScreenGridOf(const TargetGrid& grid) {
    TargetGrid g = grid;
    g.width *= grid.pixelWidth;
    g.cellWidth *= grid.pixelWidth;
    g.pixelWidth = 1;
    return g;
}

// Every cell's table, in `parts` parts side by side.
void AllCellDistances(const TargetGrid& grid, const std::vector<MatchPoint>& points, int parts,
                      CellTables& tables) {
    const std::size_t colors = TedPalette().size();
    tables.offsets.resize(std::size_t(grid.CellCount()));
    tables.counts.resize(std::size_t(grid.CellCount()));
    std::size_t total = 0;
    for (int cell = 0; cell < grid.CellCount(); ++cell) {
        tables.offsets[std::size_t(cell)] = total;
        tables.counts[std::size_t(cell)] = grid.CellPixelCount(cell);
        total += colors * std::size_t(PaddedCount(tables.counts[std::size_t(cell)]));
    }
    tables.distances.resize(total);
    InParallel(parts, [&](int part) {
        std::array<MatchPoint, kMaxCellPixels> cellPoints;
        const Range range = PartOf(grid.CellCount(), part, parts);
        for (int cell = range.begin; cell < range.end; ++cell) {
            const int n = grid.GatherCell(cell, points, cellPoints.data());
            CellDistances(cellPoints.data(), n,
                          &tables.distances[tables.offsets[std::size_t(cell)]]);
        }
    });
}

// The pair's distances, the floor under each pixel's cell colors.
void GlobalFloor(const float* distances, int n, int g0, int g3, float* floor) {
    const int padded = PaddedCount(n);
    const float* x = distances + std::size_t(g0) * std::size_t(padded);
    const float* y = distances + std::size_t(g3) * std::size_t(padded);
    for (int p = 0; p < padded; ++p) floor[p] = std::min(x[p], y[p]);
}

// A sample cell with its candidate colors, chosen once without image-wide colors.
struct SampleCell {
    int cell = 0;
    std::array<int, 128> list{};
    int count = 0;
};

float GlobalPairCost(const CellTables& tables, const std::vector<SampleCell>& sample, int g0,
                     int g3) {
    std::array<float, kMaxCellPixels> floor;
    float cost = 0;
    for (const SampleCell& s : sample) {
        const int n = tables.counts[std::size_t(s.cell)];
        GlobalFloor(tables.of(s.cell), n, g0, g3, floor.data());
        cost += BestPairAmong(tables.of(s.cell), n, floor.data(), s.list.data(), s.count).cost;
    }
    return cost;
}

// Palette indices, the colors that are most often some pixel's nearest first.
std::vector<int> ColorsByNearestCount(const CellTables& tables) {
    const int colors = int(TedPalette().size());
    std::vector<int> nearestCount(std::size_t(colors), 0);
    std::array<int, kMaxCellPixels> nearest{};
    for (std::size_t cell = 0; cell < tables.counts.size(); ++cell) {
        const int n = tables.counts[cell];
        NearestColors(tables.of(int(cell)), n, nearest);
        for (int p = 0; p < n; ++p) ++nearestCount[std::size_t(nearest[std::size_t(p)])];
    }
    std::vector<int> order(static_cast<std::size_t>(colors));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int x, int y) {
        return nearestCount[std::size_t(x)] > nearestCount[std::size_t(y)];
    });
    return order;
}

// The image-wide pair: the best of the pairs of the most frequent nearest
// colors on a sample of cells, then each of the two improved in turn.
std::pair<int, int> ChooseGlobalPair(const CellTables& tables, const std::vector<int>& order) {
    std::vector<SampleCell> sample;
    const int cellCount = int(tables.counts.size());
    const int step = std::max(1, cellCount / kGlobalSampleCells);
    for (int cell = step / 2; cell < cellCount; cell += step) {
        SampleCell s;
        s.cell = cell;
        s.count = CandidateColors(tables.of(cell), tables.counts[std::size_t(cell)], nullptr,
                                  kGlobalSampleCandidates, s.list);
        sample.push_back(s);
    }

    std::pair<int, int> best{order[0], order[1]};
    float bestCost = GlobalPairCost(tables, sample, best.first, best.second);
    for (int i = 0; i < kGlobalCandidates; ++i)
        for (int j = i + 1; j < kGlobalCandidates; ++j) {
            const int g0 = order[std::size_t(i)], g3 = order[std::size_t(j)];
            const float cost = GlobalPairCost(tables, sample, g0, g3);
            if (cost < bestCost) bestCost = cost, best = {g0, g3};
        }
    for (int round = 0; round < 2; ++round)
        for (int c = 0; c < 2 * kGlobalCandidates; ++c) {
            const int other = order[std::size_t(c)];
            std::pair<int, int> tried = best;
            (round == 0 ? tried.first : tried.second) = other;
            if (tried.first == tried.second) continue;
            const float cost = GlobalPairCost(tables, sample, tried.first, tried.second);
            if (cost < bestCost) bestCost = cost, best = tried;
        }
    return best;
}

float LightnessOf(int paletteIndex) {
    return TedPalette()[std::size_t(paletteIndex)].lab.l;
}

// The image-wide pair of a dithered picture, judged by the cells' best mixed
// pairs: dither wants colors to mix towards (often the darkest and the
// lightest) more than the most frequent ones. Every pair of the candidates
// is judged on a sample of cells, each with a few colors of its own; the
// mixes' costs are worked out once per cell and shared by all the pairs.
std::pair<int, int> ChooseMixGlobalPair(const TargetGrid& grid,
                                        const std::vector<MatchPoint>& points,
                                        const CellTables& tables, const std::vector<int>& order) {
    const std::vector<PaletteColor>& palette = TedPalette();
    const int colors = int(palette.size());
    std::vector<int> candidates(order.begin(), order.begin() + kMixGlobalCandidates);
    int darkest = 0, lightest = 0;
    for (int c = 1; c < colors; ++c) {
        if (LightnessOf(c) < LightnessOf(darkest)) darkest = c;
        if (LightnessOf(c) > LightnessOf(lightest)) lightest = c;
    }
    for (int c : {darkest, lightest})
        if (std::find(candidates.begin(), candidates.end(), c) == candidates.end())
            candidates.push_back(c);
    const int g = int(candidates.size());
    std::vector<double> cost(std::size_t(g * g), 0.0);
    const int step = std::max(1, grid.CellCount() / kMixGlobalSampleCells);
    std::array<MatchPoint, kMaxCellPixels> cellPoints;
    std::vector<float> own, withGlobal, globalPair, withPair;
    for (int cell = step / 2; cell < grid.CellCount(); cell += step) {
        const int n = grid.GatherCell(cell, points, cellPoints.data());
        const CellPoints cp = PointsOf(cellPoints.data(), n);
        const std::size_t padded = std::size_t(cp.padded);
        std::array<int, 128> list{};
        const int count =
            std::min(CandidateColors(tables.of(cell), n, nullptr, kMixGlobalSampleCandidates, list),
                     kMixGlobalOwnColors);
        // Rows of mixes: the cell's colors in pairs, each with each candidate,
        // and the candidates in pairs.
        own.resize(std::size_t(count * count) * padded);
        withGlobal.resize(std::size_t(count * g) * padded);
        globalPair.resize(std::size_t(g * g) * padded);
        auto row = [&](std::vector<float>& rows, int i, int j, int stride) {
            return &rows[std::size_t(i * stride + j) * padded];
        };
        for (int i = 0; i < count; ++i)
            for (int j = i + 1; j < count; ++j)
                MixCosts(cp, list[std::size_t(i)], list[std::size_t(j)], kMixNoise,
                         row(own, i, j, count));
        for (int i = 0; i < count; ++i)
            for (int k = 0; k < g; ++k)
                MixCosts(cp, list[std::size_t(i)], candidates[std::size_t(k)], kMixNoise,
                         row(withGlobal, i, k, g));
        for (int k = 0; k < g; ++k)
            for (int h = k + 1; h < g; ++h)
                MixCosts(cp, candidates[std::size_t(k)], candidates[std::size_t(h)], kMixNoise,
                         row(globalPair, k, h, g));
        withPair.resize(std::size_t(count) * padded);
        for (int k = 0; k < g; ++k)
            for (int h = k + 1; h < g; ++h) {
                // Each own color's best with the pair, then the best two own colors.
                const float* pair = row(globalPair, k, h, g);
                for (int i = 0; i < count; ++i) {
                    const float* x = row(withGlobal, i, k, g);
                    const float* y = row(withGlobal, i, h, g);
                    float* r = &withPair[std::size_t(i) * padded];
                    for (std::size_t p = 0; p < padded; ++p)
                        r[p] = std::min(std::min(x[p], y[p]), pair[p]);
                }
                float best = std::numeric_limits<float>::max();
                for (int i = 0; i < count; ++i)
                    for (int j = i + 1; j < count; ++j) {
                        const float* x = &withPair[std::size_t(i) * padded];
                        const float* y = &withPair[std::size_t(j) * padded];
                        const float* m = row(own, i, j, count);
                        float sum = 0;
                        for (std::size_t p = 0; p < padded; ++p)
                            sum += std::min(std::min(x[p], y[p]), m[p]);
                        best = std::min(best, sum);
                    }
                if (count < 2) {
                    best = 0;
                    for (std::size_t p = 0; p < padded; ++p) best += withPair[p];
                }
                cost[std::size_t(k * g + h)] += best;
            }
    }
    std::pair<int, int> best{candidates[0], candidates[1]};
    double bestCost = std::numeric_limits<double>::max();
    for (int k = 0; k < g; ++k)
        for (int h = k + 1; h < g; ++h)
            if (cost[std::size_t(k * g + h)] < bestCost)
                bestCost = cost[std::size_t(k * g + h)],
                best = {candidates[std::size_t(k)], candidates[std::size_t(h)]};
    return best;
}

// The screen picture on the multicolor grid: each pair of columns averaged
// in linear light (as the eye mixes them).
LinearPicture OnGrid(const LinearPicture& screen, const TargetGrid& grid) {
    LinearPicture out{grid.width, grid.height, {}};
    out.pixels.resize(std::size_t(grid.width) * std::size_t(grid.height));
    for (int y = 0; y < grid.height; ++y)
        for (int x = 0; x < grid.width; ++x) {
            const LinearRgb& l = screen.at(2 * x, y);
            const LinearRgb& r = screen.at(2 * x + 1, y);
            out.pixels[std::size_t(y) * std::size_t(grid.width) + std::size_t(x)] = {
                0.5f * (l.r + r.r), 0.5f * (l.g + r.g), 0.5f * (l.b + r.b)};
        }
    return out;
}

std::vector<MatchPoint> MatchPoints(const LinearPicture& picture, ColorMetric metric) {
    std::vector<MatchPoint> points(picture.pixels.size());
    MatchPointsOf(picture.pixels.data(), points.size(), metric, points.data());
    return points;
}

// Puts a cell's values (row by row) into the picture's.
void ScatterCell(const TargetGrid& grid, int cell, const uint8_t* cellValues,
                 std::vector<uint8_t>& values) {
    const int x0 = (cell % grid.cellsX) * grid.cellWidth;
    const int y0 = (cell / grid.cellsX) * grid.cellHeight;
    const int x1 = std::min(x0 + grid.cellWidth, grid.width);
    const int y1 = std::min(y0 + grid.cellHeight, grid.height);
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            values[std::size_t(y) * std::size_t(grid.width) + std::size_t(x)] = *cellValues++;
}

// Every cell's colors as palette indices, by pixel value (hires: value 0 is
// cell color 2, value 1 cell color 1; multicolor: color0, cell color 1, cell
// color 2, color3). A dithered picture's pairs are judged by their mixes;
// an undithered one's by the screen pixels (screenPoints, two per pixel in
// multicolor), each pixel's nearest color into values on the way.
std::vector<CellSlots> ChooseCellColors(const TargetGrid& grid,
                                        const std::vector<MatchPoint>& points,
                                        const std::vector<MatchPoint>& screenPoints,
                                        const ConversionOptions& options, CellTables& tables,
                                        std::vector<uint8_t>& values) {
    std::vector<CellSlots> cells(std::size_t(grid.CellCount()));
    values.assign(std::size_t(grid.width) * std::size_t(grid.height), 0);
    const bool mixes = options.dithering != Dithering::None && options.strength > 0;
    const int mixCandidates =
        options.dithering == Dithering::Diffusion ? kRefinedMixCandidates : kMixCandidates;
    const int width = grid.pixelWidth;
    const TargetGrid screenGrid = ScreenGridOf(grid);
    // Each cell is chosen on its own: a dithered picture's, which take
    // several times as long, half on each of two threads. (Side by side the
    // threads take more time in all, and the quick conversion is quick enough.)
    const int parts = mixes ? 2 : 1;
    if (options.multicolor) {
        // The quick table (for the candidates and the image-wide pair) is of
        // the grid's pixels: half the work, and ranks as well as the screen's.
        AllCellDistances(grid, points, parts, tables);
        const std::vector<int> order = ColorsByNearestCount(tables);
        const auto [g0, g3] = mixes ? ChooseMixGlobalPair(grid, points, tables, order)
                                    : ChooseGlobalPair(tables, order);
        const int globals[2] = {g0, g3};
        InParallel(parts, [&](int part) {
            std::array<MatchPoint, kMaxCellPixels> cellPoints;
            std::array<uint8_t, kMaxCellPixels> cellValues{};
            const Range range = PartOf(grid.CellCount(), part, parts);
            for (int cell = range.begin; cell < range.end; ++cell) {
                const int n = tables.counts[std::size_t(cell)];
                PairChoice pair;
                if (mixes) {
                    grid.GatherCell(cell, points, cellPoints.data());
                    pair = BestMixPair(tables.of(cell), cellPoints.data(), n, globals,
                                       mixCandidates, kMixNoise);
                } else {
                    screenGrid.GatherCell(cell, screenPoints, cellPoints.data());
                    pair = BestPairRefined(tables.of(cell), cellPoints.data(), n, width, globals,
                                           kCellCandidates, cellValues.data());
                    ScatterCell(grid, cell, cellValues.data(), values);
                }
                cells[std::size_t(cell)] = {{globals[0], pair.first, pair.second, globals[1]}, 4};
            }
        });
        return cells;
    }
    InParallel(parts, [&](int part) {
        std::array<MatchPoint, kMaxCellPixels> cellPoints;
        std::array<uint8_t, kMaxCellPixels> cellValues{};
        std::vector<float> distances;
        const Range range = PartOf(grid.CellCount(), part, parts);
        for (int cell = range.begin; cell < range.end; ++cell) {
            const int n = grid.GatherCell(cell, mixes ? points : screenPoints, cellPoints.data());
            CellDistances(cellPoints.data(), n, distances);
            PairChoice pair;
            if (mixes) {
                pair = BestMixPair(distances.data(), cellPoints.data(), n, nullptr, mixCandidates,
                                   kMixNoise);
            } else {
                pair = BestPairRefined(distances.data(), cellPoints.data(), n, 1, nullptr,
                                       kCellCandidates, cellValues.data());
                ScatterCell(grid, cell, cellValues.data(), values);
            }
            cells[std::size_t(cell)] = {{pair.first, pair.second, 0, 0}, 2};
        }
    });
    return cells;
}

// Swaps two pixel values in the cell (or the whole image) so that the more
// used (then the darker) color takes the lower value: a converted picture
// comes out the same way every time.
bool ShouldSwap(int countLow, int countHigh, int low, int high) {
    if (countLow != countHigh) return countHigh > countLow;
    return LightnessOf(high) < LightnessOf(low);
}

void Normalize(const TargetGrid& grid, std::vector<CellSlots>& cells, std::vector<uint8_t>& values,
               bool multicolor) {
    const int low = multicolor ? 1 : 0, high = multicolor ? 2 : 1;
    std::vector<std::array<int, 4>> counts(cells.size(), std::array<int, 4>{});
    for (int y = 0; y < grid.height; ++y)
        for (int x = 0; x < grid.width; ++x)
            ++counts[std::size_t(grid.CellOf(x, y))]
                    [values[std::size_t(y) * std::size_t(grid.width) + std::size_t(x)]];
    std::vector<bool> swapCell(cells.size());
    std::array<int, 4> total{};
    for (std::size_t cell = 0; cell < cells.size(); ++cell) {
        auto& slots = cells[cell].slots;
        const auto& count = counts[cell];
        // A color no pixel shows becomes the other one, so no stray color is left.
        if (count[low] == 0) slots[std::size_t(low)] = slots[std::size_t(high)];
        if (count[high] == 0) slots[std::size_t(high)] = slots[std::size_t(low)];
        swapCell[cell] =
            ShouldSwap(count[low], count[high], slots[std::size_t(low)], slots[std::size_t(high)]);
        if (swapCell[cell]) std::swap(slots[std::size_t(low)], slots[std::size_t(high)]);
        for (int v = 0; v < 4; ++v) total[std::size_t(v)] += count[std::size_t(v)];
    }
    const bool swapGlobal =
        multicolor && ShouldSwap(total[0], total[3], cells[0].slots[0], cells[0].slots[3]);
    if (swapGlobal)
        for (CellSlots& c : cells) std::swap(c.slots[0], c.slots[3]);
    for (int y = 0; y < grid.height; ++y)
        for (int x = 0; x < grid.width; ++x) {
            uint8_t& v = values[std::size_t(y) * std::size_t(grid.width) + std::size_t(x)];
            if (swapCell[std::size_t(grid.CellOf(x, y))] && (v == low || v == high))
                v = uint8_t(low + high - v);
            if (swapGlobal && (v == 0 || v == 3)) v = uint8_t(3 - v);
        }
}

void WriteImage(const TargetGrid& grid, const std::vector<CellSlots>& cells,
                const std::vector<uint8_t>& values, const ConversionOptions& options,
                Image& image) {
    const std::vector<PaletteColor>& palette = TedPalette();
    auto code = [&](int index) { return palette[std::size_t(index)].code; };
    image.desc.width = grid.width * grid.pixelWidth;
    image.desc.height = grid.height;
    image.desc.pixelWidth = grid.pixelWidth;
    image.desc.layout = Layout::Bitmap;
    image.desc.colorMapKind = options.dfli ? ColorMapKind::Dfli : ColorMapKind::Normal;
    image.desc.color0 = options.multicolor ? code(cells[0].slots[0]) : 0;
    image.desc.color3 = options.multicolor ? code(cells[0].slots[3]) : 0;
    for (int y = 0; y < grid.height; ++y)
        for (int x = 0; x < grid.width; ++x)
            StorePixelValue(image, x * grid.pixelWidth, y,
                            values[std::size_t(y) * std::size_t(grid.width) + std::size_t(x)]);
    for (int cy = 0; cy < grid.cellsY; ++cy)
        for (int cx = 0; cx < grid.cellsX; ++cx) {
            const CellSlots& cell = cells[std::size_t(cy * grid.cellsX + cx)];
            const ColorCode color1 = code(cell.slots[1]);
            const ColorCode color2 = code(cell.slots[options.multicolor ? 2 : 0]);
            const uint8_t colmap = uint8_t((color1 & 0x0F) << 4 | (color2 & 0x0F));
            const uint8_t lummap = uint8_t((color2 & 0xF0) | (color1 >> 4 & 0x0F));
            const int row = cy * grid.cellHeight;
            // A Normal map shows bank 0; the others get the same colors so that
            // a change of color map kind keeps the picture.
            for (int bank = 0; bank < kBanks; ++bank) {
                if (options.dfli && bank != (row % 8) / 2) continue;
                image.colmap.at(bank, cx, row / 8) = colmap;
                image.lummap.at(bank, cx, row / 8) = lummap;
            }
        }
}

}  // namespace

Extent ConversionExtent(const ConversionOptions& options) {
    const int width = std::clamp(options.width, 8, kPlaneWidth) / 8 * 8;
    return {width, std::clamp(options.height, 1, kPlaneHeight)};
}

ConvertedImage::ConvertedImage()
    : plane_(kPlaneBytes),
      colmap_(kAttributeBytes),
      lummap_(kAttributeBytes),
      buffers_(std::make_unique<ConversionBuffers>()) {
    image_.plane = PixelPlane(plane_.data());
    image_.colmap = AttributePlane(colmap_.data());
    image_.lummap = AttributePlane(lummap_.data());
}

ConvertedImage::~ConvertedImage() = default;

LinearPicture ScaleForConversion(const Picture& picture, const ConversionOptions& options) {
    const Extent extent = ConversionExtent(options);
    return ScalePicture(picture, extent.width, extent.height, 1, options.fitting);
}

bool ConvertScaled(const LinearPicture& scaled, const ConversionOptions& options,
                   ConvertedImage& result, const Abandoned& abandoned) {
    auto wanted = [&] { return !abandoned || !abandoned(); };
    const TargetGrid grid = GridOf(options);
    const int screenWidth = grid.width * grid.pixelWidth;
    // A picture of another size was scaled for other options: converting
    // anything in its place would be a wrong picture that looks like success.
    if (scaled.width != screenWidth || scaled.height != grid.height ||
        scaled.pixels.size() != std::size_t(screenWidth) * std::size_t(grid.height))
        throw std::invalid_argument("the scaled picture is " + std::to_string(scaled.width) +
                                    " x " + std::to_string(scaled.height) + ", not the " +
                                    std::to_string(screenWidth) + " x " +
                                    std::to_string(grid.height) + " of the options");
    LinearPicture screen = scaled;
    Adjust(screen, options.adjustments);
    // The grid's points serve the quick tables and dithering; the screen's
    // the undithered choices.
    const bool mixes = options.dithering != Dithering::None && options.strength > 0;
    LinearPicture averaged;
    if (grid.pixelWidth != 1) averaged = OnGrid(screen, grid);
    const LinearPicture& picture = grid.pixelWidth == 1 ? screen : averaged;
    const std::vector<MatchPoint> points = MatchPoints(picture, options.metric);
    const std::vector<MatchPoint> screenPoints = mixes || grid.pixelWidth == 1
                                                     ? std::vector<MatchPoint>{}
                                                     : MatchPoints(screen, options.metric);
    // A large picture's buffers go when the conversion ends, however it ends.
    struct Release {
        ConvertedImage& result;
        bool large;
        ~Release() {
            if (large) result.buffers() = ConversionBuffers{};
        }
    } release{result, screenWidth * grid.height > kKeptBufferPixels};
    std::vector<uint8_t> values;
    std::vector<CellSlots> cells =
        ChooseCellColors(grid, points, grid.pixelWidth == 1 ? points : screenPoints, options,
                         result.buffers().tables, values);
    if (!wanted()) return false;
    if (mixes)
        values = DitherPixels(grid, picture, points, cells, options.dithering, options.strength,
                              options.metric);
    if (mixes && options.dithering == Dithering::Diffusion &&
        !RefineDither(grid, screen, cells, options.strength, values, result.buffers().refiner,
                      abandoned))
        return false;
    Normalize(grid, cells, values, options.multicolor);
    Image& image = result.image();
    std::memset(image.plane.data(), 0, kPlaneBytes);
    std::memset(image.colmap.data(), 0, kAttributeBytes);
    std::memset(image.lummap.data(), 0, kAttributeBytes);
    image.desc = ImageDescriptor{};
    WriteImage(grid, cells, values, options, image);
    return true;
}

void ConvertPicture(const Picture& picture, const ConversionOptions& options,
                    ConvertedImage& result) {
    ConvertScaled(ScaleForConversion(picture, options), options, result);
}

void StoreConvertedImage(const Image& converted, Image& target) {
    const std::string name = target.desc.name;
    target.desc = converted.desc;
    target.desc.name = name;
    std::memcpy(target.plane.data(), converted.plane.data(), kPlaneBytes);
    std::memcpy(target.colmap.data(), converted.colmap.data(), kAttributeBytes);
    std::memcpy(target.lummap.data(), converted.lummap.data(), kAttributeBytes);
}

}  // namespace pixolat
