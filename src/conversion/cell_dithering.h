#pragma once
// The target's grid of cells, and the pixel values of a dithered picture
// once every cell has its colors: dithered between them (ordered with a
// Bayer matrix, or by serpentine error diffusion), then refined. (An
// undithered picture's pixels are chosen with its cells' colors.)
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "conversion/cell_search.h"
#include "conversion/parallel.h"
#include "conversion/source_picture.h"

namespace pixolat {

enum class Dithering;

// Target pixels (double-wide in multicolor) in cells of cellWidth x cellHeight,
// cells row by row; the last row or column of cells may be cut short.
struct TargetGrid {
    int pixelWidth = 1;
    int width = 0, height = 0;
    int cellWidth = 8, cellHeight = 8;
    int cellsX = 0, cellsY = 0;

    int CellCount() const { return cellsX * cellsY; }
    int CellOf(int x, int y) const { return (y / cellHeight) * cellsX + x / cellWidth; }
    int CellPixelCount(int cell) const;
    // Copies the cell's pixels row by row into out; returns how many.
    int GatherCell(int cell, const std::vector<MatchPoint>& points, MatchPoint* out) const;
};

// A cell's palette indices by pixel value; `count` of them are used (2 in
// hires, 4 in multicolor where slots 0 and 3 are the image-wide colors).
struct CellSlots {
    std::array<int, 4> slots{};
    int count = 2;
};

// Pixel values row by row, each an index into its cell's slots, dithered
// Ordered or (any other value) by Diffusion at strength 1..100.
std::vector<uint8_t> DitherPixels(const TargetGrid& grid, const LinearPicture& picture,
                                  const std::vector<MatchPoint>& points,
                                  const std::vector<CellSlots>& cells, Dithering dithering,
                                  int strength, ColorMetric metric);

// The refinement's state at every screen pixel, kept by the caller from one
// refinement to the next.
class RefinerBuffers {
public:
    RefinerBuffers();
    ~RefinerBuffers();
    RefinerBuffers(RefinerBuffers&&) noexcept;
    RefinerBuffers& operator=(RefinerBuffers&&) noexcept;
    struct State;
    State& state() { return *state_; }

private:
    std::unique_ptr<State> state_;
};

// Improves dithered pixel values, and the cells' colors, where that lowers
// the difference between the screen picture and the result as the eye sees
// them (both blurred by the strength's share of a 3 x 3 Gaussian): passes
// that give each pixel the value of its cell that lowers the difference
// most, judged with a linear model of CIEDE2000 at each blurred screen pixel,
// and a new choice of each cell color (and multicolor's image-wide pair) for
// the pixels that show it. Strength 0 leaves everything as it is.
// Between its passes it asks `abandoned`; once that says true it returns
// false, and the pixels and cells are part way.
bool RefineDither(const TargetGrid& grid, const LinearPicture& screen,
                  std::vector<CellSlots>& cells, int strength, std::vector<uint8_t>& values,
                  RefinerBuffers& buffers, const Abandoned& abandoned = {});

}  // namespace pixolat
