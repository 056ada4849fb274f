#include "render/canvas.h"

#include <algorithm>
#include <cstring>

#include "document/colors.h"
#include "document/pixels.h"

namespace pixolat {

namespace {

// The image's size as far as the planes hold it.
struct Extent {
    int width;
    int height;
};

Extent ImageExtent(const ImageDescriptor& desc) {
    return {std::clamp(desc.width, 0, kPlaneWidth), std::clamp(desc.height, 0, kPlaneHeight)};
}

bool BlockInImage(const ImageDescriptor& desc, int x, int y) {
    const Extent e = ImageExtent(desc);
    return x >= 0 && y >= 0 && x < e.width && y < e.height && x + PixelWidthOf(desc) <= kPlaneWidth;
}

// Fills [x0, x1) x [y0, y1) clipped to the picture.
void FillRect(RgbBuffer& b, int x0, int y0, int x1, int y1, uint32_t color) {
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, b.width);
    y1 = std::min(y1, b.height);
    for (int y = y0; y < y1; ++y) std::fill(b.row(y) + x0, b.row(y) + std::max(x0, x1), color);
}

void XorSpan(RgbBuffer& b, int y, int x0, int x1) {
    uint32_t* row = b.row(y);
    for (int x = std::max(x0, 0); x < std::min(x1, b.width); ++x) row[x] ^= kSelectionXorMask;
}

// Display colors of the blocks at x0, x0 + pw, ... below x1 in the rows
// y0..y1-1 of one cell row: out[(y - y0) * stride + (x - x0) / pw]. The
// plane is read down its columns, the order it is stored in.
void CellRowColors(const Image& image, const DisplayTable& display, int x0, int x1, int y0, int y1,
                   uint32_t* out, int stride) {
    const ImageDescriptor& desc = image.desc;
    const int pw = PixelWidthOf(desc);
    const int rows = y1 - y0;
    const uint32_t bad = display[255];
    for (int cx = x0 / 8; cx * 8 < x1; ++cx) {
        uint32_t lut[8][4];
        for (int i = 0; i < rows; ++i) {
            const int y = y0 + i;
            const int bank = BankOf(desc, y);
            const uint8_t a = image.colmap.at(bank, cx, y / 8);
            const uint8_t b = image.lummap.at(bank, cx, y / 8);
            lut[i][0] = pw == 1 ? display[CellColor2(a, b)] : display[desc.color0 & 0xFF];
            lut[i][1] = display[CellColor1(a, b)];
            lut[i][2] = display[CellColor2(a, b)];
            lut[i][3] = display[desc.color3 & 0xFF];
        }
        const int xe = std::min(x1, cx * 8 + 8);
        for (int x = std::max(x0, cx * 8); x < xe; x += pw) {
            const uint8_t* left = image.plane.column(x) + y0;
            uint32_t* o = out + (x - x0) / pw;
            if (pw == 1) {
                for (int i = 0; i < rows; ++i) o[i * stride] = left[i] < 2 ? lut[i][left[i]] : bad;
            } else {
                const uint8_t* right = image.plane.column(x + 1) + y0;
                for (int i = 0; i < rows; ++i) {
                    const int v = 2 * left[i] + right[i];
                    o[i * stride] = v < 4 ? lut[i][v] : bad;
                }
            }
        }
    }
}

uint32_t DotColor(const ImageDescriptor& desc, int x, int y) {
    const bool dfli = desc.colorMapKind == ColorMapKind::Dfli;
    return (x % 8 == 0 || (dfli ? y % 2 == 0 : y % 8 == 0)) ? kCellDot : kPixelDot;
}

// One view row of blocks: background in the gaps, each block's color over
// its width, clipped at the right edge.
void DrawBlockRow(uint32_t* dst, int width, const int* columnX, int count, int blockWidth,
                  const uint32_t* colors) {
    int pos = 0;
    for (int i = 0; i < count; ++i) {
        const int vx = columnX[i];
        std::fill(dst + pos, dst + vx, kViewBackground);
        pos = std::min(vx + blockWidth, width);
        std::fill(dst + vx, dst + pos, colors[i]);
    }
    std::fill(dst + pos, dst + width, kViewBackground);
}

void FillRows(RgbBuffer& b, int y0, int y1) {
    if (y1 > y0) std::fill(b.row(y0), b.row(y0) + std::size_t(y1 - y0) * b.width, kViewBackground);
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
    return ViewGrid(scene.image.desc, scene.state, scene.view.xScroll.position(),
                    scene.view.yScroll.position());
}

void DrawBlock(const Scene& scene, int x, int y) {
    const ImageDescriptor& desc = scene.image.desc;
    if (scene.state.zoom <= 0 || !BlockInImage(desc, x, y)) return;
    const uint32_t color =
        DisplayColor(scene.state.rgbTable[ColorCodeAt(scene.image, x, y) & 0xFF]);
    const ViewGrid grid = GridOf(scene);
    const ViewPoint v = grid.ImageToView(x, y);
    RgbBuffer& view = scene.view.view;
    FillRect(view, v.x, v.y, v.x + grid.blockWidth(), v.y + grid.zoom(), color);
    if (grid.dots() && v.x >= 0 && v.y >= 0 && v.x < view.width && v.y < view.height)
        view.row(v.y)[v.x] = DotColor(desc, x, y);
    RgbBuffer& preview = scene.view.preview;
    if (y >= preview.height) return;
    for (int px = x; px < x + grid.pixelWidth() && px < preview.width; ++px)
        preview.row(y)[px] = color;
}

void RedrawViewPicture(const Scene& scene) {
    RgbBuffer& view = scene.view.view;
    if (scene.state.zoom <= 0 || view.width == 0 || view.height == 0) return;
    const ImageDescriptor& desc = scene.image.desc;
    const DisplayTable display = DisplayColors(scene.state.rgbTable);
    const ViewGrid grid = GridOf(scene);
    const Extent e = ImageExtent(desc);
    const int pw = grid.pixelWidth();
    const int zoom = grid.zoom();
    const int r = grid.scrollRow();
    const int x0 = grid.scrollColumn() * pw;
    const int xEnd = std::min(e.width, x0 + view.width / zoom + 1);
    const int yEnd = std::min(e.height, r + view.height / zoom + 1);

    // Block columns that start inside the view.
    std::array<int, kPlaneWidth> columnX;
    int count = 0;
    for (int x = x0; x < xEnd; x += pw, ++count) {
        columnX[count] = grid.ColumnToView(count);
        if (columnX[count] >= view.width) break;
    }
    static thread_local std::array<uint32_t, 8 * kPlaneWidth> colors;
    int nextRow = 0;     // first view row not yet written
    bool below = false;  // a block row started under the view's bottom edge
    for (int y0 = r; y0 < yEnd && !below;) {
        const int y1 = std::min(yEnd, (y0 / 8 + 1) * 8);
        CellRowColors(scene.image, display, x0, x0 + count * pw, y0, y1, colors.data(),
                      kPlaneWidth);
        for (int y = y0; y < y1; ++y) {
            const int vy = grid.RowToView(y - r);
            if (vy >= view.height) {
                below = true;
                break;
            }
            FillRows(view, nextRow, vy);
            uint32_t* first = view.row(vy);
            DrawBlockRow(first, view.width, columnX.data(), count, grid.blockWidth(),
                         colors.data() + (y - y0) * kPlaneWidth);
            nextRow = std::min(vy + zoom, view.height);
            for (int vyi = vy + 1; vyi < nextRow; ++vyi)
                std::memcpy(view.row(vyi), first, std::size_t(view.width) * sizeof(uint32_t));
            if (grid.dots())
                for (int i = 0; i < count; ++i) first[columnX[i]] = DotColor(desc, x0 + i * pw, y);
        }
        y0 = y1;
    }
    FillRows(view, nextRow, view.height);
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
    static thread_local std::array<uint32_t, 8 * kPlaneWidth> colors;
    for (int y0 = 0; y0 < rows; y0 += 8) {
        const int y1 = std::min(rows, y0 + 8);
        CellRowColors(scene.image, display, 0, xLimit, y0, y1, colors.data(), kPlaneWidth);
        for (int y = y0; y < y1; ++y) {
            uint32_t* dst = preview.row(y);
            const uint32_t* src = colors.data() + (y - y0) * kPlaneWidth;
            if (pw == 1) {
                std::memcpy(dst, src, std::size_t(xLimit) * sizeof(uint32_t));
            } else {
                for (int i = 0; i < xLimit / 2; ++i) dst[2 * i] = dst[2 * i + 1] = src[i];
            }
            std::fill(dst + xLimit, dst + preview.width, kViewBackground);
        }
    }
    FillRows(preview, std::max(rows, 0), preview.height);
}

void DrawCursorMark(const Scene& scene) {
    const EditorState& s = scene.state;
    if (s.zoom <= 0 || s.cursorX < 0 || s.cursorY < 0) return;
    const ViewGrid grid = GridOf(scene);
    const ViewPoint v = grid.ImageToView(s.cursorX, s.cursorY);
    const int zoom = grid.zoom();
    const int w = grid.blockWidth();
    int i = zoom / 5;
    if (zoom > 5) {
        FillRect(scene.view.view, v.x + i, v.y + i, v.x + w - i, v.y + zoom - i, kCursorRing);
        ++i;
    }
    FillRect(scene.view.view, v.x + i, v.y + i, v.x + w - i, v.y + zoom - i, kCursorFill);
}

std::string CursorPositionText(const ImageDescriptor& desc, const EditorState& s) {
    if (s.cursorX < 0 || s.cursorY < 0) return "undefined";
    return std::to_string(s.cursorX / PixelWidthOf(desc)) + "," + std::to_string(s.cursorY);
}

std::string CursorValueText(const Image& image, const EditorState& s) {
    if (!BlockInImage(image.desc, s.cursorX, s.cursorY)) return "";
    static const char* const kHex = "0123456789ABCDEF";
    const int code = ColorCodeAt(image, s.cursorX, s.cursorY) & 0xFF;
    return std::to_string(PixelValueAt(image, s.cursorX, s.cursorY)) + " $" + kHex[code >> 4] +
           kHex[code & 15];
}

void ToggleSelectionOutline(const Scene& scene) {
    const EditorState& s = scene.state;
    RgbBuffer& view = scene.view.view;
    if (!s.selectionActive || s.zoom <= 0) return;
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
