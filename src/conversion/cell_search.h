#pragma once
// The choice of colors: each pixel's perceptual distance to every palette
// color, and the search for the pair of colors per cell (and the image-wide
// pair of a multicolor picture) that minimises the sum of those distances.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "conversion/color_science.h"
#include "conversion/ted_palette.h"

namespace pixolat {

// How a pixel's distance to a palette color is measured.
enum class ColorMetric {
    Lab,       // Euclidean CIELAB (CIE76)
    Weighted,  // CIELAB with the lightness, chroma and hue weights of CIEDE2000's
               // lightness term and CIE94's chroma and hue terms
};

// A target pixel as the metric needs it; the weights depend on the pixel alone.
struct MatchPoint {
    float l = 0, a = 0, b = 0, chroma = 0;
    float wl = 1;           // lightness weight
    float wh = 1;           // hue and chroma weight of the pixel alone, for mixes
    float chromaScale = 0;  // 0.5 where chroma and hue are weighed by the pair's mean chroma
    float rotation = 0;     // CIEDE2000's blue rotation at the pixel's hue, sin(2 delta theta)
    bool ciede = false;     // final choices by CIEDE2000 itself
};

MatchPoint MatchPointOf(const Lab& lab, ColorMetric metric);
// MatchPointOf(LabFromLinear(pixel)) of count pixels, in vectors.
void MatchPointsOf(const LinearRgb* pixels, std::size_t count, ColorMetric metric, MatchPoint* out);
// The metric's quick form, for searches over the whole palette.
float Distance(const MatchPoint& p, const PaletteColor& c);
// The metric itself, for the final choices among a few colors: CIEDE2000
// where the metric is weighted.
float Difference(const MatchPoint& p, const PaletteColor& c);
// Difference of each of the n points to one color, into PaddedCount(n)
// entries (0 on the padding); a loop that runs in vectors.
void DifferenceRow(const MatchPoint* points, int n, const PaletteColor& color, float* out);

// The mean Difference of each of n pixels to one color, where every pixel
// is `width` consecutive points (the screen pixels a multicolor pixel
// covers), into PaddedCount(n) entries; n * width <= kMaxCellPixels.
void PixelDifferenceRow(const MatchPoint* points, int n, int width, const PaletteColor& color,
                        float* out);

// Cells of the target grid hold up to 64 pixels; a cell's table is padded to
// a multiple of 8 pixels of distance 0 so the sums run in whole vectors.
inline constexpr int kMaxCellPixels = 64;
inline int PaddedCount(int n) {
    return (n + 7) / 8 * 8;
}

// distances[c * padded + p]: pixel p of the cell to palette color c.
void CellDistances(const MatchPoint* points, int n, std::vector<float>& distances);
// The same into a table of TedPalette().size() * PaddedCount(n) entries.
void CellDistances(const MatchPoint* points, int n, float* distances);

struct PairChoice {
    int first = 0;  // palette indices
    int second = 0;
    float cost = 0;
};

// Each of the n pixels' nearest palette color by the cell's table.
void NearestColors(const float* distances, int n, std::array<int, kMaxCellPixels>& nearest);

// The cell's most promising colors into list; returns how many: the
// `candidates` cheapest as the cell's only color (above the floor, when
// given), and every color that is some pixel's nearest.
int CandidateColors(const float* distances, int n, const float* floor, int candidates,
                    std::array<int, 128>& list);

// The best pair of colors for one cell among the count colors of list: the
// cost of a pixel is its distance to the nearest of the pair and, when floor
// is given, never more than floor[p] (the image-wide colors it can take
// instead). The table holds PaddedCount(n) entries per color.
PairChoice BestPairAmong(const float* distances, int n, const float* floor, const int* list,
                         int count);

// BestPair judged by PixelDifferenceRow: the candidates found by the quick
// table, the pair chosen among them by the metric itself; globals (two
// palette indices, or none) are the image-wide colors every pixel may take
// instead. points holds n * width points (see PixelDifferenceRow). With
// values, each pixel's nearest of the colors gets there as its slot: 0 or 1
// for first and second, or 0..3 for globals[0], first, second, globals[1]
// (the lowest slot of equals).
PairChoice BestPairRefined(const float* distances, const MatchPoint* points, int n, int width,
                           const int* globals, int candidates, uint8_t* values = nullptr);

// A cell's pixels as arrays, for loops that run in vectors; the padding
// pixels sit on every color (distance 0).
struct CellPoints {
    std::array<float, kMaxCellPixels> l{}, a{}, b{}, wl{}, wh{};
    int padded = 0;
};

CellPoints PointsOf(const MatchPoint* points, int n);

// Each pixel's distance to the nearest mix of palette colors x and y (either
// alone included), plus a charge of `noise` for the pattern a mix leaves
// visible, largest for an even mix of far colors; into c.padded entries.
void MixCosts(const CellPoints& c, int x, int y, float noise, float* out);

// The best pair for a dithered cell: a pixel costs its distance to the
// nearest mix of two of the cell's colors (with the image-wide pair
// `globals`, when given: two palette indices), plus a charge of `noise` for
// the visible pattern of a mix.
PairChoice BestMixPair(const float* distances, const MatchPoint* points, int n, const int* globals,
                       int candidates, float noise);

}  // namespace pixolat
