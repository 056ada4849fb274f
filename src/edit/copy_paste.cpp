#include "edit/copy_paste.h"

#include <algorithm>
#include <cstring>

#include "document/pixels.h"
#include "edit/area_operations.h"
#include "render/view_grid.h"

namespace pixolat {

namespace {

// DFLI bank of a row offset, counted from the block's first row.
int DfliBank(int row) {
    return (row % 8) / 2;
}

void CopyEntry(const Image& from, int fromBank, int fx, int fy, Image& to, int toBank, int tx,
               int ty) {
    to.colmap.at(toBank, tx, ty) = from.colmap.at(fromBank, fx, fy);
    to.lummap.at(toBank, tx, ty) = from.lummap.at(fromBank, fx, fy);
}

void CopyPixels(const Image& image, const ImageRect& a, CopyBuffer& buffer) {
    const int pw = PixelWidthOf(image.desc);
    const std::size_t rows = std::size_t(a.y2 - a.y1 + 1);
    for (int c = a.x1; c <= a.x2 + pw - 1; ++c)
        std::memcpy(buffer.plane.column(c - a.x1), image.plane.column(c) + a.y1, rows);
}

void CopyEntries(const Image& image, const ImageRect& a, CopyBuffer& buffer) {
    const int cx0 = a.x1 / 8;
    switch (image.desc.colorMapKind) {
        case ColorMapKind::Normal:
            for (int cy = a.y1 / 8; cy <= a.y2 / 8; ++cy)
                for (int cx = cx0; cx <= a.x2 / 8; ++cx)
                    CopyEntry(image, 0, cx, cy, buffer, 0, cx - cx0, cy - a.y1 / 8);
            break;
        case ColorMapKind::Dfli:
            for (int y = a.y1; y <= a.y2; y += 2)
                for (int cx = cx0; cx <= a.x2 / 8; ++cx)
                    CopyEntry(image, BankOf(image.desc, y), cx, y / 8, buffer, DfliBank(y - a.y1),
                              cx - cx0, (y - a.y1) / 8);
            break;
        case ColorMapKind::None:
            break;
    }
}

// The entries the buffer holds, in the layout of the image's kind. A buffer
// copied from a None image holds none, so the image keeps its colors; one
// copied from a Normal image holds one entry per cell, which stands for every
// row pair of that cell in a DFLI image.
void PasteEntries(Image& image, const CopyBuffer& buffer, int x, int y) {
    const ColorMapKind from = buffer.desc.colorMapKind;
    if (from == ColorMapKind::None) return;
    const int w = ImageExtent(buffer.desc).width;
    const int h = ImageExtent(buffer.desc).height;
    const int cx0 = x / 8;
    const int cellColumns = std::min((w - 1) / 8 + 1, kCellColumns - cx0);
    if (image.desc.colorMapKind == ColorMapKind::Normal) {
        const int cellRows = std::min((h - 1) / 8 + 1, kCellRows - y / 8);
        for (int r = 0; r < cellRows; ++r)
            for (int c = 0; c < cellColumns; ++c)
                CopyEntry(buffer, 0, c, r, image, 0, cx0 + c, y / 8 + r);
    } else if (image.desc.colorMapKind == ColorMapKind::Dfli) {
        for (int dy = 0; dy < h && y + dy < kPlaneHeight; dy += 2) {
            const int bank = from == ColorMapKind::Dfli ? DfliBank(dy) : 0;
            for (int c = 0; c < cellColumns; ++c)
                CopyEntry(buffer, bank, c, dy / 8, image, BankOf(image.desc, y + dy), cx0 + c,
                          (y + dy) / 8);
        }
    }
}

}  // namespace

void CopyArea(const Image& image, const ImageRect& area, CopyBuffer& buffer) {
    const auto a = ClipToImage(image.desc, area);
    if (!a) return;
    CopyPixels(image, *a, buffer);
    CopyEntries(image, *a, buffer);
    buffer.desc.width = a->x2 - a->x1 + 1;
    buffer.desc.height = a->y2 - a->y1 + 1;
    buffer.desc.pixelWidth = PixelWidthOf(image.desc);
    buffer.desc.colorMapKind = image.desc.colorMapKind;
}

std::optional<ImageRect> PasteBuffer(Image& image, const CopyBuffer& buffer, int x, int y,
                                     DrawingMode mode) {
    const int w = ImageExtent(buffer.desc).width;
    const int h = ImageExtent(buffer.desc).height;
    const int bufferPw = PixelWidthOf(buffer.desc);
    const int width = ImageExtent(image.desc).width;
    const int height = ImageExtent(image.desc).height;
    if (w <= 0 || h <= 0 || x < 0 || y < 0 || x >= width || y >= height) return std::nullopt;

    if (mode != DrawingMode::ColorOnly) {
        const int columns = std::min({w + bufferPw - 1, kPlaneWidth, kPlaneWidth - x});
        const std::size_t rows = std::size_t(std::min(h, kPlaneHeight - y));
        for (int c = 0; c < columns; ++c)
            std::memcpy(image.plane.column(x + c) + y, buffer.plane.column(c), rows);
    }
    if (mode != DrawingMode::PixelOnly) PasteEntries(image, buffer, x, y);

    // The last pasted column aligned down to this image's pixels: a
    // multicolor block keeps its width through copy and paste again.
    const int pw = PixelWidthOf(image.desc);
    const int endX = (x + w + bufferPw - 2) / pw * pw;
    const int lastX = std::max((width - pw) / pw * pw, 0);
    return ImageRect{x, y, std::min(endX, lastX), std::min(y + h - 1, height - 1)};
}

}  // namespace pixolat
