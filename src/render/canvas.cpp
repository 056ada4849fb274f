#include "render/canvas.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "document/colors.h"
#include "document/pixels.h"
#include "document/text.h"
#include "render/block_colors.h"

namespace pixolat {

void FillRect(RgbBuffer& b, int x0, int y0, int x1, int y1, uint32_t color) {
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, b.width);
    y1 = std::min(y1, b.height);
    if (x1 <= x0) return;
    for (int y = y0; y < y1; ++y) FillPixels(b.row(y) + x0, std::size_t(x1 - x0), color);
}

namespace {

bool BlockInImage(const ImageDescriptor& desc, int x, int y) {
    const Extent e = ImageExtent(desc);
    return x >= 0 && y >= 0 && x < e.width && y < e.height && x + PixelWidthOf(desc) <= kPlaneWidth;
}

void XorSpan(RgbBuffer& b, int y, int x0, int x1) {
    uint32_t* row = b.row(y);
    for (int x = std::max(x0, 0); x < std::min(x1, b.width); ++x) row[x] ^= kSelectionXorMask;
}

// Rows where the grid's cells begin: every second row of a DFLI image, where
// the banks change, else every eighth.
bool OnCellRow(const ImageDescriptor& desc, int y) {
    return desc.colorMapKind == ColorMapKind::Dfli ? y % 2 == 0 : y % 8 == 0;
}

uint32_t DotColor(const ImageDescriptor& desc, int x, int y) {
    return (x % 8 == 0 || OnCellRow(desc, y)) ? kCellDot : kPixelDot;
}

void FillRows(RgbBuffer& b, int y0, int y1) {
    if (y1 > y0)
        FillPixels(b.row(y0), std::size_t(y1 - y0) * std::size_t(b.width), kViewBackground);
}

}  // namespace

DisplayTable DisplayColors(const RgbTable& table) {
    DisplayTable display;
    for (std::size_t i = 0; i < display.size(); ++i) display[i] = DisplayColor(table[i]);
    return display;
}

ImageRect SelectionRect(const ImageDescriptor& desc, const EditorState& s) {
    if (!s.selectionActive) return {0, 0, desc.width - PixelWidthOf(desc), desc.height - 1};
    return {std::min(s.selectionAnchorX, s.selectionEndX),
            std::min(s.selectionAnchorY, s.selectionEndY),
            std::max(s.selectionAnchorX, s.selectionEndX),
            std::max(s.selectionAnchorY, s.selectionEndY)};
}

ViewGrid GridOf(const Scene& scene) {
    return ViewGrid(scene.image.desc, scene.view, scene.view.xScroll.position(),
                    scene.view.yScroll.position());
}

void DrawBlock(const Scene& scene, int x, int y) {
    const ImageDescriptor& desc = scene.image.desc;
    if (scene.view.zoom <= 0 || !BlockInImage(desc, x, y)) return;
    const uint32_t color =
        DisplayColor(scene.state.rgbTable[ColorCodeAt(scene.image, x, y) & 0xFF]);
    const ViewGrid grid = GridOf(scene);
    const ViewPoint v = grid.ImageToView(x, y);
    RgbBuffer& view = scene.view.canvas;
    FillRect(view, v.x, v.y, v.x + grid.blockWidth(), v.y + grid.zoom(), color);
    if (grid.dots() && v.x >= 0 && v.y >= 0 && v.x < view.width && v.y < view.height)
        view.row(v.y)[v.x] = DotColor(desc, x, y);
    // Like the full preview redraw, only whole multicolor pixels inside the
    // image's width are shown (an odd width leaves its last half pixel as
    // background), so the preview does not depend on which redraw drew it.
    RgbBuffer& preview = scene.view.preview;
    const int previewEnd = std::min(ImageExtent(desc).width, preview.width);
    if (y >= preview.height || x + grid.pixelWidth() > previewEnd) return;
    std::fill_n(preview.row(y) + x, grid.pixelWidth(), color);
}

namespace {

// At zoom 1 there are no lines or dots: the blocks' colors go straight
// into the view rows, a cell row at a time.
void RedrawAtZoomOne(const Scene& scene, const DisplayTable& display, int x0, int xEnd, int yEnd) {
    RgbBuffer& view = scene.view.canvas;
    const int pw = PixelWidthOf(scene.image.desc);
    const int r = scene.view.yScroll.position();
    const int count = xEnd > x0 ? (xEnd - x0 + pw - 1) / pw : 0;
    const int whole = std::min(count, view.width / pw);
    const int drawn = std::min(count * pw, view.width);
    const int rowsEnd = std::min(yEnd, r + view.height);
    for (int y0 = r; y0 < rowsEnd;) {
        const int y1 = std::min(rowsEnd, (y0 / 8 + 1) * 8);
        CellRowColors(scene.image, display, x0, x0 + whole * pw, y0, y1, view.row(y0 - r),
                      view.width, pw);
        for (int y = y0; y < y1; ++y) {
            uint32_t* row = view.row(y - r);
            // A multicolor block cut by the right edge.
            if (whole < count && whole * pw < view.width)
                row[whole * pw] = DisplayColor(
                    scene.state.rgbTable[ColorCodeAt(scene.image, x0 + whole * pw, y) & 0xFF]);
            FillPixels(row + drawn, std::size_t(view.width - drawn), kViewBackground);
        }
        y0 = y1;
    }
    FillRows(view, std::max(rowsEnd - r, 0), view.height);
}

// Above zoom 1 every block row has the same layout, so each block row is
// drawn once into its first view row and copied to the others while that
// row is still in the cache. Without pixel lines the blocks are drawn row
// by row from the colors of a cell row; with them (a line after every
// block) they go straight from the plane into the first rows of a cell
// row. Where lines lie between blocks, a first row starts as a copy of a
// background row; otherwise only its margin is filled.
void RedrawZoomed(const Scene& scene, const DisplayTable& display, const ViewGrid& grid, int xEnd,
                  int yEnd) {
    RgbBuffer& view = scene.view.canvas;
    const ImageDescriptor& desc = scene.image.desc;
    const int pw = grid.pixelWidth();
    const int zoom = grid.zoom();
    const int r = grid.scrollRow();
    const int x0 = grid.scrollColumn() * pw;
    const int blockWidth = grid.blockWidth();
    const bool pixelLines = grid.pitchWidth() > blockWidth;
    const bool gaps = pixelLines || grid.cellLines();

    // Block columns that start inside the view; the first `whole` of them
    // also end inside it.
    std::array<int, kPlaneWidth> columnX;
    int count = 0;
    for (int x = x0; x < xEnd; x += pw, ++count) {
        columnX[count] = grid.ColumnToView(count);
        if (columnX[count] >= view.width) break;
    }
    int whole = count;
    while (whole > 0 && columnX[whole - 1] + blockWidth > view.width) --whole;
    const int covered = whole > 0 ? columnX[whole - 1] + blockWidth : 0;
    // Dot colors of a row off a cell border.
    std::array<uint32_t, kPlaneWidth> pixelRowDots;
    if (grid.dots())
        for (int i = 0; i < count; ++i)
            pixelRowDots[i] = (x0 + i * pw) % 8 == 0 ? kCellDot : kPixelDot;

    // The background a first view row needs besides its blocks: a copy of
    // a background row when lines lie between them, else just the margin.
    static thread_local std::vector<uint32_t> backgroundRow;
    if (gaps) {
        backgroundRow.resize(std::size_t(view.width));
        FillPixels(backgroundRow.data(), backgroundRow.size(), kViewBackground);
    }
    auto background = [&](uint32_t* row) {
        if (gaps)
            std::memcpy(row, backgroundRow.data(), backgroundRow.size() * sizeof(uint32_t));
        else
            FillPixels(row + covered, std::size_t(view.width - covered), kViewBackground);
    };
    const std::size_t rowBytes = std::size_t(view.width) * sizeof(uint32_t);
    static thread_local std::array<uint32_t, 8 * kPlaneWidth> colors;

    int nextRow = 0;  // first view row not yet written
    for (int y0 = r; y0 < yEnd;) {
        const int cellEnd = std::min(yEnd, (y0 / 8 + 1) * 8);
        int y1 = cellEnd;
        // First view rows of the band's block rows; rows under the view are not drawn.
        uint32_t* rows[8];
        int rowTop[8];
        for (int y = y0; y < cellEnd; ++y) {
            const int vy = grid.RowToView(y - r);
            if (vy >= view.height) {
                y1 = y;
                break;
            }
            FillRows(view, nextRow, vy);
            rowTop[y - y0] = vy;
            rows[y - y0] = view.row(vy);
            nextRow = std::min(vy + zoom, view.height);
            if (pixelLines) background(rows[y - y0]);
        }
        if (pixelLines)
            CellRowBlocks(scene.image, display, x0, x0 + whole * pw, y0, y1, rows, columnX.data(),
                          blockWidth, grid.pitchWidth());
        else
            CellRowColors(scene.image, display, x0, x0 + whole * pw, y0, y1, colors.data(),
                          kPlaneWidth, 1);
        for (int y = y0; y < y1; ++y) {
            uint32_t* first = rows[y - y0];
            if (!pixelLines) {
                background(first);
                DrawBlockRow(first, colors.data() + (y - y0) * kPlaneWidth, whole, columnX.data(),
                             blockWidth);
            }
            // A block cut by the right edge.
            for (int k = whole; k < count; ++k)
                std::fill(
                    first + columnX[k], first + view.width,
                    DisplayColor(
                        scene.state.rgbTable[ColorCodeAt(scene.image, x0 + k * pw, y) & 0xFF]));
            const int vy = rowTop[y - y0];
            for (int vyi = vy + 1; vyi < std::min(vy + zoom, view.height); ++vyi)
                std::memcpy(view.row(vyi), first, rowBytes);
            if (grid.dots()) {
                const bool cellRow = OnCellRow(desc, y);
                for (int i = 0; i < count; ++i)
                    first[columnX[i]] = cellRow ? kCellDot : pixelRowDots[i];
            }
        }
        if (y1 < cellEnd) break;
        y0 = y1;
    }
    FillRows(view, nextRow, view.height);
}

}  // namespace

void RedrawViewPicture(const Scene& scene) {
    RgbBuffer& view = scene.view.canvas;
    if (scene.view.zoom <= 0 || view.width == 0 || view.height == 0) return;
    const DisplayTable display = DisplayColors(scene.state.rgbTable);
    const ViewGrid grid = GridOf(scene);
    const Extent e = ImageExtent(scene.image.desc);
    const int x0 = grid.scrollColumn() * grid.pixelWidth();
    const int xEnd = std::min(e.width, x0 + view.width / grid.zoom() + 1);
    const int yEnd = std::min(e.height, grid.scrollRow() + view.height / grid.zoom() + 1);
    if (grid.zoom() == 1)
        RedrawAtZoomOne(scene, display, x0, xEnd, yEnd);
    else
        RedrawZoomed(scene, display, grid, xEnd, yEnd);
}

void RedrawPreview(const Scene& scene) {
    RgbBuffer& preview = scene.view.preview;
    const ControlRect& control = scene.view.controls.imgPreview;
    if (preview.width != control.width || preview.height != control.height)
        preview.Resize(control.width, control.height);
    const DisplayTable display = DisplayColors(scene.state.rgbTable);
    const Extent e = ImageExtent(scene.image.desc);
    const int pw = PixelWidthOf(scene.image.desc);
    const int rows = std::min(e.height, preview.height);
    const int xLimit = std::min(e.width, preview.width) / pw * pw;
    for (int y0 = 0; y0 < rows; y0 += 8) {
        const int y1 = std::min(rows, y0 + 8);
        CellRowColors(scene.image, display, 0, xLimit, y0, y1, preview.row(y0), preview.width, pw);
        for (int y = y0; y < y1; ++y)
            FillPixels(preview.row(y) + xLimit, std::size_t(preview.width - xLimit),
                       kViewBackground);
    }
    FillRows(preview, std::max(rows, 0), preview.height);
}

void DrawCursorMark(const Scene& scene) {
    const EditorState& s = scene.state;
    if (scene.view.zoom <= 0 || s.cursorX < 0 || s.cursorY < 0) return;
    const ViewGrid grid = GridOf(scene);
    const ViewPoint v = grid.ImageToView(s.cursorX, s.cursorY);
    const int zoom = grid.zoom();
    const int w = grid.blockWidth();
    int i = zoom / 5;
    if (zoom > 5) {
        FillRect(scene.view.canvas, v.x + i, v.y + i, v.x + w - i, v.y + zoom - i, kCursorRing);
        ++i;
    }
    FillRect(scene.view.canvas, v.x + i, v.y + i, v.x + w - i, v.y + zoom - i, kCursorFill);
}

std::string CursorPositionText(const ImageDescriptor& desc, const EditorState& s) {
    if (s.cursorX < 0 || s.cursorY < 0) return "undefined";
    return std::to_string(s.cursorX / PixelWidthOf(desc)) + "," + std::to_string(s.cursorY);
}

std::string CursorValueText(const Image& image, const EditorState& s) {
    if (!BlockInImage(image.desc, s.cursorX, s.cursorY)) return "";
    return std::to_string(PixelValueAt(image, s.cursorX, s.cursorY)) + " $" +
           HexByte(ColorCodeAt(image, s.cursorX, s.cursorY));
}

void ToggleSelectionOutline(const Scene& scene) {
    const EditorState& s = scene.state;
    RgbBuffer& view = scene.view.canvas;
    if (!s.selectionActive || scene.view.zoom <= 0) return;
    const ImageRect rect = SelectionRect(scene.image.desc, s);
    const ViewGrid grid = GridOf(scene);
    const ViewPoint a = grid.ImageToView(rect.x1, rect.y1);
    const ViewPoint b0 = grid.ImageToView(rect.x2, rect.y2);
    const ViewPoint b{b0.x + grid.blockWidth(), b0.y + grid.zoom()};
    // The pen is centred on the path; the outline is the ring between the
    // outer and the inner rectangle, so every pixel is combined exactly once.
    const int pen = std::max(grid.zoom() / 5, 1);
    const int lo = pen / 2;
    const int outerX0 = a.x - lo, outerX1 = b.x - lo + pen;
    const int innerX0 = outerX0 + pen, innerX1 = b.x - lo;
    const int outerY0 = a.y - lo, outerY1 = b.y - lo + pen;
    const int innerY0 = outerY0 + pen, innerY1 = b.y - lo;
    for (int y = std::max(outerY0, 0); y < std::min(outerY1, view.height); ++y) {
        if (y >= innerY0 && y < innerY1 && innerX0 < innerX1) {
            XorSpan(view, y, outerX0, innerX0);
            XorSpan(view, y, innerX1, outerX1);
        } else {
            XorSpan(view, y, outerX0, outerX1);
        }
    }
}

}  // namespace pixolat
