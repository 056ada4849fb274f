#pragma once
// Where the pixel blocks of the current image lie in the view.
//
// A pixel block is pw * zoom view pixels wide and zoom high (pw: 1 hires,
// 2 multicolor). With pixel lines on, blocks sit one view pixel further
// apart (the pitch); with cell lines on, one more view pixel is left free at
// every cell boundary of the image itself (every 8 hires columns; every 2
// rows in DFLI images, where the banks change, else every 8 rows), whatever
// the scroll position. The scroll column counts pixels of the image's pixel
// width; the first visible block always sits at view (0, 0).
#include "document/image_store.h"
#include "render/view.h"

namespace pixolat {

struct ViewPoint {
    int x;
    int y;
};

struct ImagePoint {
    int x;
    int y;
};

class ViewGrid {
public:
    // Zoom is taken into 1..64 so that no setting can divide by zero or
    // overflow; grid settings outside 0..4 draw no grid.
    ViewGrid(const ImageDescriptor& desc, const View& view, int scrollColumn, int scrollRow);

    int pixelWidth() const { return pw_; }
    int zoom() const { return zoom_; }
    int blockWidth() const { return pw_ * zoom_; }
    int pitchWidth() const { return pitchW_; }
    int pitchHeight() const { return pitchH_; }
    bool cellLines() const { return cellLines_; }
    // Corner dots are drawn on the top-left view pixel of every block.
    bool dots() const { return dots_; }
    int scrollColumn() const { return c_; }
    int scrollRow() const { return r_; }
    // Block columns per cell and rows per line period.
    int blocksPerCell() const { return f_; }
    int rowsPerCell() const { return g_; }

    // View position of the top-left corner of the block of image pixel (x, y).
    ViewPoint ImageToView(int x, int y) const;
    // The image pixel whose block, or the grid line after it, holds the
    // view point: the exact inverse of ImageToView. x is a multiple of pw.
    ImagePoint ViewToImage(int vx, int vy) const;

    // View x of block column px (relative to the scroll column) and view y
    // of row py (relative to the scroll row).
    int ColumnToView(int px) const { return Offset(px, c_ % f_, f_, pitchW_); }
    int RowToView(int py) const { return Offset(py, r_ % g_, g_, pitchH_); }

private:
    int Offset(int p, int phase, int period, int pitch) const {
        return cellLines_ ? (phase + p) / period + p * pitch : p * pitch;
    }
    int Invert(int v, int phase, int period, int pitch) const;
    int TruncatedBlock(int v, int period, int pitch) const;

    int pw_;
    int zoom_;
    int pitchW_;
    int pitchH_;
    bool cellLines_;
    bool dots_;
    int f_;
    int g_;
    int c_;
    int r_;
};

// Pixel width of an image: 2 for multicolor, 1 otherwise (also for a
// never-used image whose pixel width is still 0).
inline int PixelWidthOf(const ImageDescriptor& desc) {
    return desc.pixelWidth == 2 ? 2 : 1;
}

}  // namespace pixolat
