#include "render/view_grid.h"

#include <algorithm>

namespace pixolat {

namespace {

int FloorDiv(int a, int b) {
    const int q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

}  // namespace

ViewGrid::ViewGrid(const ImageDescriptor& desc, const View& view, int scrollColumn, int scrollRow)
    : pw_(PixelWidthOf(desc)),
      zoom_(std::clamp(view.zoom, 1, 64)),
      c_(scrollColumn),
      r_(scrollRow) {
    using enum GridSetting;
    const GridSetting grid = view.gridSetting;
    const bool pixelLines = zoom_ >= 2 && (grid == PixelAndCellLines || grid == PixelLines);
    cellLines_ = zoom_ >= 2 && (grid == PixelAndCellLines || grid == CellLines);
    dots_ = zoom_ >= 3 && grid == CornerDots;
    pitchW_ = pw_ * zoom_ + (pixelLines ? 1 : 0);
    pitchH_ = zoom_ + (pixelLines ? 1 : 0);
    f_ = 8 / pw_;
    g_ = desc.colorMapKind == ColorMapKind::Dfli ? 2 : 8;
}

ViewPoint ViewGrid::ImageToView(int x, int y) const {
    return {ColumnToView((x - pw_ * c_) / pw_), RowToView(y - r_)};
}

// The largest block index p with Offset(p) <= v. Offsets grow strictly with
// p, so the estimate from the cell period is corrected by at most a step or
// two, which also settles the truncating division left of the view.
int ViewGrid::Invert(int v, int phase, int period, int pitch) const {
    int p;
    if (cellLines_) {
        const int t = v + phase * pitch;
        const int k = FloorDiv(t, period * pitch + 1);
        const int j = std::min(period - 1, FloorDiv(t - k * (period * pitch + 1), pitch));
        p = k * period + j - phase;
    } else {
        p = FloorDiv(v, pitch);
    }
    while (Offset(p, phase, period, pitch) > v) --p;
    while (Offset(p + 1, phase, period, pitch) <= v) ++p;
    return p;
}

// Left of or above the view the mapping divides truncating toward zero, as
// the editor always has: a drag that overshoots the view's edge by less than
// a block stays on the first visible column or row instead of leaving it.
int ViewGrid::TruncatedBlock(int v, int period, int pitch) const {
    const int lines = cellLines_ ? v / pitch / period : 0;
    return (v - lines) / pitch;
}

ImagePoint ViewGrid::ViewToImage(int vx, int vy) const {
    const int px = vx < 0 ? TruncatedBlock(vx, f_, pitchW_) : Invert(vx, c_ % f_, f_, pitchW_);
    const int py = vy < 0 ? TruncatedBlock(vy, g_, pitchH_) : Invert(vy, r_ % g_, g_, pitchH_);
    return {(px + c_) * pw_, py + r_};
}

}  // namespace pixolat
