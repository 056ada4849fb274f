#pragma once
// The order in which the source text lists an image's character cells, shared
// by the writer and the reader so that each reads back what the other wrote.
//
// Each value is one pixel row of one cell: bit 7 - k is the plane byte at
// (x + k, y). Cells that stick out past the image's right or bottom edge are
// listed whole; the plane has room for them because sizes never pass 640 x 1024.
//   Bitmap:      cells row by row, left to right.
//   Charset:     cells column by column, top to bottom.
//   2x2 charset: 16 x 16 blocks; first the top-left cell of every block
//                (blocks row by row), then every top-right, bottom-left and
//                bottom-right cell.
#include <cstddef>

#include "document/image_store.h"

namespace pixolat {

// Images of exactly this size keep the Plus/4 memory layout: 8000 bitmap
// bytes padded to 8192, then per bank 1000 luminance and 1000 color bytes,
// each padded to 1024.
inline bool IsScreenSized(const ImageDescriptor& d) {
    return d.width == 320 && d.height == 200;
}
inline constexpr std::size_t kScreenPixelValues = 8000;
inline constexpr std::size_t kScreenPaddedValues = 8192;
inline constexpr int kScreenCellColumns = 40;
inline constexpr int kScreenCells = 1000;
inline constexpr int kScreenBlock = 1024;

class CellWalk {
public:
    explicit CellWalk(const ImageDescriptor& desc)
        : layout_(desc.layout),
          columns_((ImageExtent(desc).width + 7) / 8),
          rows_((ImageExtent(desc).height + 7) / 8),
          blockColumns_((ImageExtent(desc).width + 15) / 16),
          blockRows_((ImageExtent(desc).height + 15) / 16) {}

    // Values in one full pass over the cells (whole blocks in the 2x2 layout).
    std::size_t valueCount() const {
        if (layout_ == Layout::Charset2x2)
            return std::size_t(blockColumns_) * std::size_t(blockRows_) * 4 * 8;
        return std::size_t(columns_) * std::size_t(rows_) * 8;
    }
    // Cell columns the walk visits: whole blocks in the 2x2 layout.
    int spannedColumns() const {
        return layout_ == Layout::Charset2x2 ? 2 * blockColumns_ : columns_;
    }
    // Cells across and down the image.
    int columns() const { return columns_; }
    int rows() const { return rows_; }

    int x() const { return x_; }
    int y() const { return y_; }
    // Whether the current position lies in the plane; only the bitmap
    // layout runs on below the last cell row when a text has extra values.
    bool inPlane() const { return y_ < kPlaneHeight; }

    // Moves to the next value. Returns true when that finished a group: a
    // cell row (bitmap), a cell column (charset) or a quarter (2x2 charset).
    // After the last cell the charset layouts start over at the first cell;
    // the bitmap layout goes on below the image.
    bool Step() {
        if (++r_ < 8) {
            ++y_;
            return false;
        }
        r_ = 0;
        const bool groupDone = NextCell();
        if (layout_ == Layout::Charset2x2) {
            x_ = a_ * 16 + (quarter_ & 1) * 8;
            y_ = b_ * 16 + (quarter_ >> 1) * 8;
        } else {
            x_ = a_ * 8;
            y_ = b_ * 8;
        }
        return groupDone;
    }

private:
    bool NextCell() {
        switch (layout_) {
            case Layout::Charset:
                if (++b_ < rows_) return false;
                b_ = 0;
                if (++a_ >= columns_) a_ = 0;
                return true;
            case Layout::Charset2x2:
                if (++a_ < blockColumns_) return false;
                a_ = 0;
                if (++b_ < blockRows_) return false;
                b_ = 0;
                quarter_ = (quarter_ + 1) & 3;
                return true;
            default:
                if (++a_ < columns_) return false;
                a_ = 0;
                if (b_ < kCellRows) ++b_;  // stays past the plane, never overflows
                return true;
        }
    }

    Layout layout_;
    int columns_, rows_, blockColumns_, blockRows_;
    // a: cell (or block) column, b: cell (or block) row, r: pixel row in the
    // cell; (x, y) is the position they give.
    int a_ = 0, b_ = 0, r_ = 0, quarter_ = 0;
    int x_ = 0, y_ = 0;
};

}  // namespace pixolat
